#include "state/store.h"

#include "model/timeformat.h"
#include "platform/clock.h"
#include "platform/loginitem.h"
#include "service/messages.h"

#include <QPointer>

#include <utility>

using namespace std::chrono_literals;

namespace {

/// A healthy feed reloads once it is older than this.
constexpr qint64 kRefreshAfterMs = 300 * 1000;
/// The release file is read again once the last check is older than this.
constexpr qint64 kUpdateCheckAfterMs = 21600LL * 1000;

QDate localDate(const QDateTime &instant)
{
    return instant.toLocalTime().date();
}

} // namespace

Store::Store(Services services, StoreOptions options, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_api(services.http, services.apiBase, services.tokens, options.requestTimeouts)
    , m_timer(this)
    , m_ownVersion(std::move(options.ownVersion))
    , m_flashDuration(options.flashDuration)
{
    const QDateTime created = m_services.clock.now();
    m_now = created;
    m_day = localDate(created).startOfDay();
    m_hasToken = m_api.hasToken();
    // A login item left by another copy of the program (a build folder, say) becomes this one's.
    m_services.loginItem.takeOver();
    m_openAtLogin = m_services.loginItem.status() == LoginItem::Status::Enabled;

    m_announced = derived();

    runFirstLaunchLoginStep();

    startTask([this] { refreshTask(); });
    startTask([this] { checkForUpdateTask(); });

    m_timer.setInterval(options.tickInterval);
    connect(&m_timer, &QTimer::timeout, this, [this] { startTask([this] { tickTask(); }); });
    m_timer.start();
}

Store::~Store() = default;

// Published maps -----------------------------------------------------------------------------

QVariantMap Store::composed() const
{
    QVariantMap map;
    for (auto it = m_composed.cbegin(); it != m_composed.cend(); ++it)
        map.insert(it.key(), QVariant::fromValue(it.value()));
    return map;
}

QVariantMap Store::actionError() const
{
    QVariantMap map;
    for (auto it = m_actionError.cbegin(); it != m_actionError.cend(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

std::optional<Composed> Store::composedFor(const QString &id) const
{
    const auto it = m_composed.constFind(id);
    if (it == m_composed.cend())
        return std::nullopt;
    return *it;
}

std::optional<QString> Store::actionErrorFor(const QString &id) const
{
    const auto it = m_actionError.constFind(id);
    if (it == m_actionError.cend())
        return std::nullopt;
    return *it;
}

// Derived values ------------------------------------------------------------------------------

bool Store::isToday() const
{
    return localDate(m_day) == localDate(m_services.clock.now());
}

QList<Meeting> Store::today() const
{
    return meetingsStartingOn(localDate(m_services.clock.now()));
}

QList<Meeting> Store::tomorrowMorning() const
{
    return meetingsStartingOn(localDate(m_services.clock.now()).addDays(1));
}

QList<Meeting> Store::meetingsStartingOn(QDate date) const
{
    QList<Meeting> result;
    for (const Meeting &meeting : m_meetings) {
        if (localDate(meeting.startsAt) == date)
            result.append(meeting);
    }
    return result;
}

std::optional<Meeting> Store::next() const
{
    for (const Meeting &meeting : m_meetings) {
        if (meeting.endsAt > m_now && meeting.status != u"no_show")
            return meeting;
    }
    return std::nullopt;
}

QString Store::menuTitle() const
{
    if (!m_flash.isEmpty())
        return m_flash;
    const std::optional<Meeting> upcoming = next();
    if (!upcoming)
        return {};
    if (localDate(upcoming->startsAt) != localDate(m_services.clock.now()))
        return {};
    if (m_now >= upcoming->startsAt)
        return QStringLiteral("now");
    const qint64 minutes = m_now.msecsTo(upcoming->startsAt) / 60000;
    if (minutes > 59)
        return shortTime(upcoming->startsAt);
    return QStringLiteral("in %1m").arg(minutes);
}

// Operations ----------------------------------------------------------------------------------

void Store::refresh()
{
    startTask([this] { refreshTask(); });
}

void Store::veskConnected()
{
    startTask([this] { connectedTask(); });
}

void Store::shiftDay(int n)
{
    const QDate target = localDate(m_day).addDays(n);
    if (target.isValid()) {
        const QDateTime start = target.startOfDay();
        if (start.isValid())
            setDay(start);
    }
    setDayMeetings({});
    m_dayFilledBy = 0;
    startTask([this] { loadDayTask(); });
}

void Store::goToday()
{
    setDay(localDate(m_services.clock.now()).startOfDay());
    setDayMeetings({});
    m_dayFilledBy = 0;
    startTask([this] { refreshTask(); });
}

QCoro::Task<> Store::refreshTask()
{
    QPointer<Store> self(this);
    const std::optional<QList<Meeting>> loaded = co_await fetch(std::nullopt);
    if (!self)
        co_return;
    if (loaded) {
        setMeetings(*loaded);
        setError({});
        const QDateTime finished = m_services.clock.now();
        set(m_lastUpdated, finished, &Store::lastUpdatedChanged);
        setNow(finished);
    }
    if (!isToday())
        co_await loadDayTask();
}

QCoro::Task<> Store::loadDayTask()
{
    if (isToday())
        co_return;
    QPointer<Store> self(this);
    const quint64 serial = ++m_dayLoadSerial;
    const quint64 visit = m_dayVisit;
    const QDateTime requested = m_day;
    ++m_dayLoadsRunning;
    setLoadingDay(true);
    const std::optional<QList<Meeting>> loaded = co_await fetch(localDate(requested));
    if (!self)
        co_return;
    // A reply for a day no longer shown is dropped; for the day shown, a good reply counts unless
    // a load started later has already filled the list (a failed later load keeps it).
    if (loaded && requested == m_day && serial > m_dayFilledBy) {
        m_dayFilledBy = serial;
        setDayMeetings(*loaded);
    }
    if (visit == m_dayVisit && --m_dayLoadsRunning == 0)
        setLoadingDay(false);
}

QCoro::Task<> Store::tickTask()
{
    QPointer<Store> self(this);
    setNow(m_services.clock.now());
    if (!m_lastUpdateCheck.isValid() ||
        m_lastUpdateCheck.msecsTo(m_services.clock.now()) > kUpdateCheckAfterMs) {
        co_await checkForUpdateTask();
        if (!self)
            co_return;
    }
    if (!m_lastUpdated.isValid() || m_lastUpdated.msecsTo(m_services.clock.now()) > kRefreshAfterMs)
        co_await refreshTask();
}

QCoro::Task<> Store::connectedTask()
{
    setHasToken(m_api.hasToken());
    co_await refreshTask();
}

// Request members -----------------------------------------------------------------------------

QCoro::Task<std::optional<QList<Meeting>>> Store::fetch(std::optional<QDate> day)
{
    QPointer<Store> self(this);
    VeskApi::FeedResult result = co_await m_api.fetch(day);
    if (!self)
        co_return std::nullopt;
    switch (result.outcome) {
    case VeskApi::FeedOutcome::Loaded:
        co_return std::move(result.meetings);
    case VeskApi::FeedOutcome::Unreachable:
        setError(Messages::unreachable());
        break;
    case VeskApi::FeedOutcome::TokenRejected:
        setError(Messages::tokenRejected());
        break;
    case VeskApi::FeedOutcome::NoToken:
        break;
    }
    co_return std::nullopt;
}

// Private setters -----------------------------------------------------------------------------

Store::Derived Store::derived() const
{
    return {isToday(), today(), tomorrowMorning(), next(), menuTitle()};
}

void Store::announceDerived()
{
    // A reload also moves `now`: each list is published once, and only when it changed, so the
    // views do not rebuild what they show for nothing.
    Derived fresh = derived();
    Derived old = std::exchange(m_announced, std::move(fresh));
    const Derived &now = m_announced;
    if (old.isToday != now.isToday)
        Q_EMIT isTodayChanged();
    if (old.today != now.today)
        Q_EMIT todayChanged();
    if (old.tomorrowMorning != now.tomorrowMorning)
        Q_EMIT tomorrowMorningChanged();
    if (old.next != now.next)
        Q_EMIT nextChanged();
    if (old.menuTitle != now.menuTitle)
        Q_EMIT menuTitleChanged();
}

void Store::setMeetings(QList<Meeting> meetings)
{
    if (set(m_meetings, std::move(meetings), &Store::meetingsChanged))
        announceDerived();
}

void Store::setDay(QDateTime day)
{
    if (!set(m_day, std::move(day), &Store::dayChanged))
        return;
    // Loads still running for the day just left no longer describe what is shown.
    ++m_dayVisit;
    m_dayLoadsRunning = 0;
    setLoadingDay(false);
    announceDerived();
}

void Store::setDayMeetings(QList<Meeting> meetings)
{
    set(m_dayMeetings, std::move(meetings), &Store::dayMeetingsChanged);
}

void Store::setLoadingDay(bool loading)
{
    set(m_loadingDay, loading, &Store::loadingDayChanged);
}

void Store::setError(QString error)
{
    set(m_error, std::move(error), &Store::errorChanged);
}

void Store::setHasToken(bool hasToken)
{
    set(m_hasToken, hasToken, &Store::hasTokenChanged);
}

void Store::setNow(QDateTime now)
{
    if (set(m_now, std::move(now), &Store::nowChanged))
        announceDerived();
}

void Store::setOpenAtLogin(bool on)
{
    set(m_openAtLogin, on, &Store::openAtLoginChanged);
}

void Store::setFlash(QString text)
{
    if (set(m_flash, std::move(text), &Store::flashChanged))
        announceDerived();
}

void Store::addBusy(const QString &id)
{
    if (m_busy.contains(id))
        return;
    m_busy.append(id);
    Q_EMIT busyChanged();
}

void Store::removeBusy(const QString &id)
{
    if (m_busy.removeAll(id) > 0)
        Q_EMIT busyChanged();
}

void Store::setActionError(const QString &id, std::optional<QString> text)
{
    if (!text) {
        if (m_actionError.remove(id) > 0)
            Q_EMIT actionErrorChanged();
        return;
    }
    const auto it = m_actionError.constFind(id);
    if (it != m_actionError.cend() && *it == *text)
        return;
    m_actionError.insert(id, *text);
    Q_EMIT actionErrorChanged();
}

void Store::setComposed(const QString &id, Composed composed)
{
    const auto it = m_composed.constFind(id);
    if (it != m_composed.cend() && *it == composed)
        return;
    m_composed.insert(id, std::move(composed));
    Q_EMIT composedChanged();
}

void Store::setQaDraft(std::optional<QADraft> draft)
{
    set(m_qaDraft, std::move(draft), &Store::qaDraftChanged);
}
