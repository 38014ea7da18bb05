#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <sys/types.h>

class QLocalServer;
class QLocalSocket;

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
        Failed
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

    /// Starts accepting forwarded arguments (after claim() returned Primary).
    bool listen();

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
    void accept();
    void readFrom(QLocalSocket *socket);
    /// Answers a status request; true when `buffer` was one (or may still become one).
    bool answerStatus(QLocalSocket *socket, const QByteArray &buffer);

    uid_t m_expectedUid;
    Role m_role = Role::Unavailable;
    int m_lockFd = -1;
    QLocalServer *m_server = nullptr;
    QByteArray m_status;
    QList<QLocalSocket *> m_followers;
};
