#include "state/headsup.h"

#include "platform/clock.h"
#include "platform/desktopnotifications.h"
#include "state/store.h"

#include <QLocale>

#include <algorithm>

namespace {

constexpr qint64 MaxWaitMs = 60 * 1000; // a clock that jumps (suspend, time change) is noticed this soon
const QString JoinAction = QStringLiteral("join");

QString meetingKey(const Meeting &meeting)
{
    return meeting.id + u'@' + meeting.startsAt.toUTC().toString(Qt::ISODate);
}

QString clockTime(const QDateTime &instant)
{
    return QLocale::system().toString(instant.toLocalTime().time(), QLocale::ShortFormat);
}

} // namespace

HeadsUp::HeadsUp(Store &store, Clock &clock, DesktopNotifications &notifications, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_clock(clock)
    , m_notifications(notifications)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &HeadsUp::update);
    for (auto changed : {&Store::meetingsChanged, &Store::nowChanged, &Store::hasTokenChanged,
                         &Store::headsUpMinutesChanged})
        connect(&m_store, changed, this, &HeadsUp::update);
    connect(&m_notifications, &DesktopNotifications::actionInvoked, this, &HeadsUp::acted);
    update();
}

void HeadsUp::update()
{
    const QDateTime now = m_clock.now();
    const bool signedIn = m_store.hasToken();
    QSet<QString> inFeed;
    for (const Meeting &meeting : m_store.meetings())
        inFeed.insert(meetingKey(meeting));

    QDateTime wake;
    const auto wakeAt = [&wake](const QDateTime &when) {
        if (!wake.isValid() || when < wake)
            wake = when;
    };
    for (auto it = m_open.begin(); it != m_open.end();) {
        if (!signedIn || it.value() <= now || !inFeed.contains(it.key())) {
            m_notifications.withdraw(it.key());
            m_joinLinks.remove(it.key());
            it = m_open.erase(it);
        } else {
            wakeAt(it.value());
            ++it;
        }
    }

    const int lead = m_store.headsUpMinutes();
    if (signedIn && lead > 0) {
        for (const Meeting &meeting : m_store.meetings()) {
            const QString key = meetingKey(meeting);
            if (meeting.startsAt <= now || meeting.status == u"no_show" || m_announced.contains(key))
                continue;
            const QDateTime due = meeting.startsAt.addSecs(-60 * lead);
            if (due <= now) {
                announce(meeting, key);
                wakeAt(meeting.startsAt);
            } else {
                wakeAt(due);
            }
        }
    }

    if (wake.isValid())
        m_timer.start(int(std::clamp(now.msecsTo(wake), qint64(0), MaxWaitMs)));
    else
        m_timer.stop();
}

void HeadsUp::announce(const Meeting &meeting, const QString &key)
{
    m_announced.insert(key);
    m_open.insert(key, meeting.startsAt);

    QStringList people;
    for (const Person &person : meeting.people)
        people << (person.name.isEmpty() ? person.email : person.name);
    QString body = clockTime(meeting.startsAt) + u'–' + clockTime(meeting.endsAt);
    if (!people.isEmpty())
        body += QStringLiteral(" · ") + people.join(QStringLiteral(", "));

    QList<std::pair<QString, QString>> buttons;
    const QUrl join(meeting.joinUrlText(), QUrl::StrictMode);
    if (meeting.hasJoinUrl() && join.isValid() && join.scheme() == u"https" && !join.host().isEmpty()) {
        m_joinLinks.insert(key, join);
        buttons.append({JoinAction, QStringLiteral("Join")});
    }
    m_notifications.show(key, meeting.title, body, buttons);
}

void HeadsUp::acted(const QString &key, const QString &action)
{
    if (!m_open.contains(key))
        return;
    // Acted on: it is not withdrawn at the start.
    m_open.remove(key);
    const QUrl join = m_joinLinks.take(key);
    if (action == JoinAction && join.isValid())
        m_store.openUrl(join);
    else if (action == DesktopNotifications::DefaultAction)
        Q_EMIT openPanelRequested();
}
