#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <sys/types.h>

class QLocalSocket;
class QSocketNotifier;

/// One running Vesk Bar per user. The first process holds a lock in a private folder of the
/// user's runtime directory ($XDG_RUNTIME_DIR/vesk-bar, mode 0700) and listens on a socket there;
/// later processes hand their arguments over that socket and end. Both sides check that the other
/// end belongs to the same user. Without XDG_RUNTIME_DIR nothing is shared: every process runs on
/// its own rather than talk through a place other users could reach.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Role
    {
        Primary,     ///< this process is the running instance
        Secondary,   ///< another process of this user runs; forward and end
        Unavailable, ///< no private place to meet: run on its own, forward nothing
    };
    enum class ForwardResult
    {
        Delivered,
        NoInstance,
        Refused,
        Failed,
        TooLong, ///< the arguments exceed MaxMessage; nothing was sent
    };

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    /// The folder and socket, or empty texts when XDG_RUNTIME_DIR is not set.
    static QString folder();
    static QString socketPath();

    /// Takes the instance lock when it is free. Needs no application object.
    Role claim();
    Role role() const { return m_role; }

    /// Hands `arguments` to the running instance and waits (up to `timeoutMs`) for its receipt.
    /// Needs no application object. The instance may still be starting, so a missing socket is
    /// retried until the time is up.
    ForwardResult forward(const QStringList &arguments, int timeoutMs = 3000) const;

    /// Starts accepting forwarded arguments (after claim() returned Primary). Whatever sits at the
    /// socket's place in the private folder is replaced. When the socket cannot be opened now (no
    /// file descriptors left, say), false, and it is tried again every `RetryMs` until it opens;
    /// the same when accepting a connection fails for want of resources.
    bool listen();
    /// Whether the socket is open and accepting.
    bool isListening() const { return m_listenFd >= 0; }

    static constexpr int RetryMs = 1000;

    /// The running instance's status line (one line of JSON, no line break), answered to status
    /// requests; a change goes out at once to every client that follows it.
    void publishStatus(const QByteArray &line);
    /// Asks the running instance for its status line and hands it to `onLine`; with `follow`, keeps
    /// the connection and hands over every later line until the instance ends. Does not wait for
    /// an instance that is not there yet. Needs no application object.
    ForwardResult status(bool follow, const std::function<void(const QByteArray &)> &onLine,
                         int timeoutMs = 1000) const;

    /// The user id both ends must have; the process's own by default (tests pretend otherwise).
    void setExpectedUid(uid_t uid) { m_expectedUid = uid; }

    /// The largest message accepted; a longer one is dropped unread.
    static constexpr qsizetype MaxMessage = 16 * 1024;

Q_SIGNALS:
    /// Arguments another process of this user handed over, in their order.
    void received(const QStringList &arguments);

private:
    bool openListener();
    void closeListener();
    void retryLater();
    void accept();
    void readFrom(QLocalSocket *socket);
    /// Answers a status request; true when `buffer` was one (or may still become one).
    bool answerStatus(QLocalSocket *socket, const QByteArray &buffer);

    uid_t m_expectedUid;
    Role m_role = Role::Unavailable;
    int m_lockFd = -1;
    bool m_wanted = false;
    bool m_retryPending = false;
    int m_listenFd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_status;
    QList<QLocalSocket *> m_followers;
};
