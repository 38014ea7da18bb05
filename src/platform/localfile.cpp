#include "platform/localfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LocalFile {

Result read(const QString &path, qint64 maxBytes)
{
    Result out;
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return out;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        out.refusal = errno == ENOENT ? Refusal::Missing : Refusal::Unreadable;
        return out;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        out.refusal = Refusal::Unreadable;
        return out;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        out.refusal = Refusal::Unreadable;
        return out;
    }
    if (!S_ISREG(st.st_mode)) {
        out.refusal = Refusal::NotRegular;
        return out;
    }
    // The file may grow while it is read: never take more than one byte past the limit.
    QByteArray bytes = st.st_size > maxBytes ? QByteArray() : file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        out.refusal = Refusal::Unreadable;
    else if (st.st_size > maxBytes || bytes.size() > maxBytes)
        out.refusal = Refusal::TooLarge;
    else
        out.bytes = std::move(bytes);
    return out;
}

std::optional<Refusal> check(const QString &path, qint64 maxBytes)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (native.isEmpty() || ::stat(native.constData(), &st) != 0) {
        if (errno == ENOENT || native.isEmpty())
            return std::nullopt;
        return Refusal::Unreadable;
    }
    if (!S_ISREG(st.st_mode))
        return Refusal::NotRegular;
    if (st.st_size > maxBytes)
        return Refusal::TooLarge;
    return std::nullopt;
}

} // namespace LocalFile
