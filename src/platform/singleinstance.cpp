#include "platform/singleinstance.h"

#include "platform/instanceprotocol.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

const QByteArrayView Header(InstanceProtocol::Header);
const QByteArrayView Receipt(InstanceProtocol::Receipt);
// Status requests: one answer line, or one now and one after every change.
constexpr QByteArrayView StatusRequest = "vesk-bar status\n\n";
constexpr QByteArrayView FollowRequest = "vesk-bar follow\n\n";
constexpr int ReadTimeoutMs = 2000;

// The uid of the process at the other end of a connected local socket; -1 when unknown.
long peerUid(int fd)
{
    struct ucred cred;
    socklen_t len = sizeof(cred);
    if (fd < 0 || ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return -1;
    return static_cast<long>(cred.uid);
}

// Makes sure the folder exists as a private folder of this user. An existing folder that is not
// ours (or a symbolic link) is refused; one of ours that others may enter is closed up.
bool preparePrivateFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 07777) != 0700 && ::chmod(path.constData(), 0700) != 0)
        return false;
    return true;
}

bool writeAll(int fd, const QByteArray &bytes, const QDeadlineTimer &deadline)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                return false;
            continue;
        }
        return false;
    }
    return true;
}

// Waits for the next bytes: how many arrived, or 0 when the other end closed, failed or the time is up.
ssize_t receiveSome(int fd, char *buffer, size_t size, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return 0;
        const ssize_t n = ::recv(fd, buffer, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 ? n : 0;
    }
}

// The socket address of `path`; false when there is none or it does not fit.
bool socketAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray bytes = QFile::encodeName(path);
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || size_t(bytes.size()) >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

// Reads until the receipt arrived, the other end closed, or the time is up.
QByteArray readReply(int fd, const QDeadlineTimer &deadline)
{
    QByteArray reply;
    char buffer[64];
    while (reply.size() < Receipt.size()) {
        const ssize_t n = receiveSome(fd, buffer, sizeof(buffer), deadline);
        if (n == 0)
            break;
        reply.append(buffer, n);
    }
    return reply;
}

} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
    , m_expectedUid(::getuid())
{}

SingleInstance::~SingleInstance()
{
    if (m_listenFd >= 0) {
        closeListener();
        QFile::remove(socketPath());
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::folder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !runtime.startsWith(u'/'))
        return {};
    return runtime + u'/' + QLatin1StringView(InstanceProtocol::Folder);
}

QString SingleInstance::socketPath()
{
    const QString dir = folder();
    return dir.isEmpty() ? QString() : dir + u'/' + QLatin1StringView(InstanceProtocol::SocketName);
}

SingleInstance::Role SingleInstance::claim()
{
    if (m_lockFd >= 0)
        return m_role;
    const QString dir = folder();
    if (dir.isEmpty() || !preparePrivateFolder(QFile::encodeName(dir)))
        return m_role = Role::Unavailable;
    const QByteArray lockPath = QFile::encodeName(dir + QStringLiteral("/instance.lock"));
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return m_role = Role::Unavailable;
    // The lock ends with the process, so a crashed instance leaves nothing that blocks the next.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_lockFd = fd;
        return m_role = Role::Primary;
    }
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return m_role = held ? Role::Secondary : Role::Unavailable;
}

SingleInstance::ForwardResult SingleInstance::forward(const QStringList &arguments, int timeoutMs) const
{
    sockaddr_un address{};
    if (!socketAddress(socketPath(), address))
        return ForwardResult::NoInstance;

    QByteArray message = Header.toByteArray();
    for (const QString &argument : arguments) {
        if (argument.isEmpty() || argument.contains(u'\n') || argument.contains(u'\r'))
            continue; // one argument per line; nothing we accept spans lines
        message += argument.toUtf8() + '\n';
    }
    message += '\n';
    if (message.size() > MaxMessage)
        return ForwardResult::TooLong;

    const QDeadlineTimer deadline(timeoutMs);
    int fd = -1;
    for (;;) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return ForwardResult::Failed;
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0)
            break;
        const int error = errno;
        if (error == EINPROGRESS || error == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            int soError = 0;
            socklen_t len = sizeof(soError);
            if (::poll(&p, 1, int(deadline.remainingTime())) > 0 &&
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) == 0 && soError == 0)
                break;
        }
        ::close(fd);
        fd = -1;
        // The running instance may not listen yet: it takes the lock before it opens the socket.
        if ((error != ENOENT && error != ECONNREFUSED) || deadline.hasExpired())
            return error == ENOENT || error == ECONNREFUSED ? ForwardResult::NoInstance
                                                            : ForwardResult::Failed;
        QThread::msleep(50);
    }

    ForwardResult result = ForwardResult::Failed;
    if (peerUid(fd) != long(m_expectedUid))
        result = ForwardResult::Refused; // never hand a sign-in token to another user's process
    else if (writeAll(fd, message, deadline) && readReply(fd, deadline).startsWith(Receipt))
        result = ForwardResult::Delivered;
    ::close(fd);
    return result;
}

bool SingleInstance::listen()
{
    if (m_role != Role::Primary)
        return false;
    m_wanted = true;
    if (m_listenFd >= 0)
        return true;
    if (openListener())
        return true;
    retryLater();
    return false;
}

bool SingleInstance::openListener()
{
    const QString path = socketPath();
    sockaddr_un address{};
    if (!socketAddress(path, address))
        return false;
    const QByteArray native = QFile::encodeName(path);

    // The folder is ours alone (claim() made sure): anything at the socket's place is a leftover of
    // an instance that was killed, or something put there to keep the socket out.
    struct stat st;
    if (::lstat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            QDir(path).removeRecursively();
        else
            ::unlink(native.constData());
    }

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 ||
        ::chmod(native.constData(), 0600) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return false;
    }
    m_listenFd = fd;
    m_notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::accept);
    return true;
}

void SingleInstance::closeListener()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    m_listenFd = -1;
}

void SingleInstance::retryLater()
{
    if (m_retryPending)
        return;
    m_retryPending = true;
    QTimer::singleShot(RetryMs, this, [this] {
        m_retryPending = false;
        if (!m_wanted)
            return;
        if (m_listenFd < 0) {
            if (!openListener())
                retryLater();
            return;
        }
        // Accepting was paused: the callers still wait in the queue.
        m_notifier->setEnabled(true);
        accept();
    });
}

void SingleInstance::accept()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED)
                continue;
            if (error == EAGAIN || error == EWOULDBLOCK)
                return;
            if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM) {
                // Out of resources for now: pause, leaving the callers queued, and try again.
                m_notifier->setEnabled(false);
            } else {
                // The socket itself broke: open a new one.
                closeListener();
            }
            retryLater();
            return;
        }
        if (peerUid(fd) != long(m_expectedUid)) {
            ::close(fd);
            continue;
        }
        auto *socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that never finishes its message is cut off.
        QTimer::singleShot(ReadTimeoutMs, socket, [this, socket] {
            if (!m_followers.contains(socket))
                socket->abort();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void SingleInstance::readFrom(QLocalSocket *socket)
{
    QByteArray buffer = socket->property("vesk.buffer").toByteArray();
    buffer += socket->read(MaxMessage + 1 - buffer.size());
    if (answerStatus(socket, buffer))
        return;
    if (buffer.size() > MaxMessage || (buffer.size() >= Header.size() && !buffer.startsWith(Header))) {
        socket->abort();
        return;
    }
    const qsizetype end = buffer.indexOf("\n\n", Header.size() - 1);
    if (end < 0) {
        socket->setProperty("vesk.buffer", buffer);
        return;
    }
    socket->setProperty("vesk.buffer", QVariant());
    QStringList arguments;
    const QList<QByteArray> lines = buffer.mid(Header.size(), end + 1 - Header.size()).split('\n');
    for (const QByteArray &line : lines) {
        if (!line.isEmpty())
            arguments.append(QString::fromUtf8(line));
    }
    socket->write(Receipt.toByteArray());
    socket->disconnectFromServer();
    Q_EMIT received(arguments);
}

bool SingleInstance::answerStatus(QLocalSocket *socket, const QByteArray &buffer)
{
    if (m_followers.contains(socket))
        return true; // a follower has nothing more to say; what it sends is dropped
    const bool follow = buffer == FollowRequest;
    if (!follow && buffer != StatusRequest) {
        if (!StatusRequest.startsWith(buffer) && !FollowRequest.startsWith(buffer))
            return false;
        socket->setProperty("vesk.buffer", buffer); // the rest is still on its way
        return true;
    }
    socket->setProperty("vesk.buffer", QVariant());
    socket->write(m_status + '\n');
    if (!follow) {
        socket->disconnectFromServer();
        return true;
    }
    m_followers.append(socket);
    connect(socket, &QObject::destroyed, this, [this, socket] { m_followers.removeOne(socket); });
    return true;
}

void SingleInstance::publishStatus(const QByteArray &line)
{
    if (line == m_status)
        return;
    m_status = line;
    for (QLocalSocket *socket : std::as_const(m_followers))
        socket->write(m_status + '\n');
}

SingleInstance::ForwardResult SingleInstance::status(bool follow,
                                                     const std::function<void(const QByteArray &)> &onLine,
                                                     int timeoutMs) const
{
    sockaddr_un address{};
    if (!socketAddress(socketPath(), address))
        return ForwardResult::NoInstance;

    // A blocking socket: the instance accepts at once or is not there; nothing is retried.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return ForwardResult::Failed;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        const int error = errno;
        ::close(fd);
        return error == ENOENT || error == ECONNREFUSED ? ForwardResult::NoInstance : ForwardResult::Failed;
    }
    if (peerUid(fd) != long(m_expectedUid)) {
        ::close(fd);
        return ForwardResult::Refused;
    }
    QDeadlineTimer deadline(timeoutMs);
    ForwardResult result = ForwardResult::Failed;
    if (writeAll(fd, (follow ? FollowRequest : StatusRequest).toByteArray(), deadline)) {
        QByteArray pending;
        char buffer[4096];
        for (;;) {
            const ssize_t n = receiveSome(fd, buffer, sizeof(buffer), deadline);
            if (n == 0 || pending.size() + n > MaxMessage)
                break;
            pending.append(buffer, n);
            qsizetype end;
            while ((end = pending.indexOf('\n')) >= 0) {
                onLine(pending.left(end));
                pending.remove(0, end + 1);
                result = ForwardResult::Delivered;
                // After the first answer a follower waits as long as the instance runs.
                deadline = follow ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(0);
            }
        }
    }
    ::close(fd);
    return result;
}
