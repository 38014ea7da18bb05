// Placeholder bodies: the Store core is being written.
#include "state/store.h"

#include "platform/clock.h"

Store::Store(Services services, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_api(services.http, services.apiBase)
{
}
Store::~Store() = default;
QVariantMap Store::composed() const { return {}; }
QVariantMap Store::actionError() const { return {}; }
std::optional<Composed> Store::composedFor(const QString &) const { return std::nullopt; }
std::optional<QString> Store::actionErrorFor(const QString &) const { return std::nullopt; }
bool Store::isToday() const { return true; }
QList<Meeting> Store::today() const { return {}; }
QList<Meeting> Store::tomorrowMorning() const { return {}; }
std::optional<Meeting> Store::next() const { return std::nullopt; }
QString Store::menuTitle() const { return {}; }
void Store::refresh() {}
void Store::shiftDay(int) {}
void Store::goToday() {}
void Store::tick() {}
QCoro::Task<> Store::refreshTask() { co_return; }
QCoro::Task<> Store::loadDayTask() { co_return; }
QCoro::Task<> Store::tickTask() { co_return; }
QCoro::Task<std::optional<QList<Meeting>>> Store::fetch(std::optional<QString>) { co_return std::nullopt; }
QCoro::Task<std::optional<QJsonObject>> Store::post(QString, QString) { co_return std::nullopt; }
QCoro::Task<std::optional<QJsonObject>> Store::postJSON(QString, QJsonObject) { co_return std::nullopt; }
void Store::announceDerived() {}
void Store::setMeetings(QList<Meeting>) {}
void Store::setDay(QDateTime) {}
void Store::setDayMeetings(QList<Meeting>) {}
void Store::setLoadingDay(bool) {}
void Store::setError(QString) {}
void Store::setHasToken(bool) {}
void Store::setNow(QDateTime) {}
void Store::setOpenAtLogin(bool) {}
void Store::setFlash(QString) {}
void Store::addBusy(const QString &) {}
void Store::removeBusy(const QString &) {}
void Store::setActionError(const QString &, std::optional<QString>) {}
void Store::setComposed(const QString &, Composed) {}
void Store::setQaDraft(std::optional<QADraft>) {}
QCoro::Task<> Store::connectedTask() { co_return; }
