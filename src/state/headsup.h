#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QUrl>

class Clock;
class DesktopNotifications;
class Store;
struct Meeting;

/// The heads-up before each meeting: `Store::headsUpMinutes` before a meeting of the feed starts,
/// one desktop notification with its title, time and people, a "Join" button when it has an https
/// join link, and a click that asks for the panel. Each meeting is announced once per start time,
/// so a reload does not repeat it and a moved meeting is announced again; a meeting that has
/// started is never announced. Nothing is shown while signed out. A notification nobody acted on
/// is withdrawn when its meeting starts (or leaves the feed, or the user signs out).
class HeadsUp : public QObject
{
    Q_OBJECT

public:
    HeadsUp(Store &store, Clock &clock, DesktopNotifications &notifications, QObject *parent = nullptr);

Q_SIGNALS:
    /// The user clicked a notification: bring the panel up.
    void openPanelRequested();

private:
    /// Announces what is due, withdraws what has started and sets the timer for the next of either.
    void update();
    void announce(const Meeting &meeting, const QString &key);
    void acted(const QString &key, const QString &action);

    Store &m_store;
    Clock &m_clock;
    DesktopNotifications &m_notifications;
    QTimer m_timer;
    QSet<QString> m_announced;        ///< keys (id and start) already announced
    QHash<QString, QDateTime> m_open; ///< key -> start, for notifications still shown
    QHash<QString, QUrl> m_joinLinks; ///< key -> the link its "Join" opens
};
