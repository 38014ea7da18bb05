// Placeholder bodies: availability and people search are being written.
#include "state/store.h"

void Store::setForQuery(const QString &) {}
void Store::setForDuration(int) {}
void Store::setAvailPreview(const QString &) {}
void Store::setForWho(const PersonHit &) {}
void Store::clearForWho() {}
std::optional<QString> Store::forTypedEmail() const { return std::nullopt; }
void Store::copyAvailability(const QString &, const QString &, int) {}
void Store::copyForCurrent() {}
void Store::searchPeople(const QString &) {}
QCoro::Task<> Store::copyAvailabilityTask(std::optional<QString>, std::optional<QString>, int) { co_return; }
QCoro::Task<> Store::copyForCurrentTask() { co_return; }
QCoro::Task<> Store::searchPeopleTask(QString) { co_return; }
