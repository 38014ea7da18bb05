// Placeholder bodies: the update check is being written.
#include "state/store.h"

void Store::checkForUpdate() {}
QCoro::Task<> Store::checkForUpdateTask() { co_return; }
int Store::compareVersions(const QString &, const QString &) { return 0; }
