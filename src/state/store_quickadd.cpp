// Placeholder bodies: quick add is being written.
#include "state/store.h"

void Store::setQaText(const QString &) {}
void Store::setQaTitle(const QString &) {}
void Store::setQaConference(const QString &) {}
void Store::setQaPersonName(int, const QString &) {}
void Store::setQaPersonEmail(int, const QString &) {}
void Store::clearQaDraft() {}
void Store::quickDraft() {}
void Store::quickCreate() {}
QCoro::Task<> Store::quickDraftTask() { co_return; }
QCoro::Task<> Store::quickCreateTask() { co_return; }
