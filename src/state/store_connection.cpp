// Placeholder bodies: connection and login item are being written.
#include "state/store.h"

void Store::setToken(const QString &) {}
void Store::signOut() {}
void Store::signInWithBrowser() {}
void Store::toggleLogin() {}
void Store::runFirstLaunchLoginStep() {}
QString Store::makeConnectState() { return {}; }
