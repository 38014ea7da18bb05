// Placeholder bodies: meeting actions are being written.
#include "state/store.h"

void Store::mark(const Meeting &, const QString &) {}
void Store::compose(const Meeting &, const QString &) {}
QCoro::Task<> Store::markTask(Meeting, QString) { co_return; }
QCoro::Task<> Store::composeTask(Meeting, QString) { co_return; }
void Store::showFlash(QString) {}
QCoro::Task<> Store::clearFlashTask() { co_return; }
