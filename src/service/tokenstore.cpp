#include "service/tokenstore.h"

#include "platform/localfile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Creates every missing folder of `path` with mode 0700; existing folders are not touched.
void makePrivateFolders(const QString &path)
{
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString &part : parts) {
        current += u'/' + part;
        const QByteArray native = QFile::encodeName(current);
        if (::mkdir(native.constData(), 0700) == 0)
            ::chmod(native.constData(), 0700); // the umask may have taken bits away
    }
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

QString TokenStore::file()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return {};
    const QString folder = QDir::cleanPath(base + QStringLiteral("/Vesk"));
    makePrivateFolders(folder);
    return folder + QStringLiteral("/token");
}

bool TokenStore::isUsable(const QString &token)
{
    if (token.isEmpty())
        return false;
    for (QChar c : token) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

std::optional<QString> TokenStore::load()
{
    if (m_cache)
        return *m_cache;

    std::optional<QString> token;
    const QString path = file();
    const LocalFile::Result read =
        path.isEmpty() ? LocalFile::Result{} : LocalFile::read(path, kMaxFileBytes);
    if (read.bytes) {
        auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder(*read.bytes);
        if (!decoder.hasError()) {
            const QString trimmed = text.trimmed();
            if (isUsable(trimmed))
                token = trimmed;
        }
    }
    m_cache = token;
    return token;
}

bool TokenStore::save(const std::optional<QString> &token)
{
    m_cache.reset();
    if (token && !token->isEmpty() && !isUsable(*token))
        return false;
    const QString path = file();
    if (path.isEmpty())
        return false;
    const QByteArray target = QFile::encodeName(path);

    if (!token || token->isEmpty()) {
        return ::unlink(target.constData()) == 0 || errno == ENOENT;
    }

    // A private temporary file in the same folder, renamed over the old one once complete.
    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, token->toUtf8()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(temp.constData(), target.constData()) == 0;
    if (!ok)
        ::unlink(temp.constData());
    return ok;
}
