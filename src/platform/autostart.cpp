#include "platform/autostart.h"

#include "platform/localfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

/// Characters that make an Exec argument need quoting.
bool needsQuoting(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (argument.isEmpty())
        return true;
    for (const QChar c : argument) {
        if (reserved.contains(c))
            return true;
    }
    return false;
}

/// One Exec argument: quoted when needed (with ", `, $ and \ backslash-escaped inside the quotes),
/// and % doubled so it is not read as a field code.
QString execArgument(const QString &argument)
{
    QString text;
    if (needsQuoting(argument)) {
        text += u'"';
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                text += u'\\';
            text += c;
        }
        text += u'"';
    } else {
        text = argument;
    }
    text.replace(QStringLiteral("%"), QStringLiteral("%%"));
    return text;
}

/// The string-level escaping every desktop entry value gets.
QString escapeValue(const QString &value)
{
    QString text;
    for (const QChar c : value) {
        if (c == u'\\')
            text += QStringLiteral("\\\\");
        else if (c == u'\n')
            text += QStringLiteral("\\n");
        else if (c == u'\t')
            text += QStringLiteral("\\t");
        else if (c == u'\r')
            text += QStringLiteral("\\r");
        else
            text += c;
    }
    return text;
}

} // namespace

XdgAutostart::XdgAutostart(QString filePath)
    : m_filePath(std::move(filePath))
{}

QString XdgAutostart::defaultFilePath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return {};
    return config + QStringLiteral("/autostart/vesk-bar.desktop");
}

QString XdgAutostart::filePath() const
{
    return m_filePath.isEmpty() ? defaultFilePath() : m_filePath;
}

QString XdgAutostart::execLine(const QString &program)
{
    return escapeValue(execArgument(program) + QStringLiteral(" --autostart"));
}

QByteArray XdgAutostart::entry(const QString &program)
{
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=Vesk Bar\n");
    text += QStringLiteral("Comment=Your meetings with outside people, in the tray\n");
    text += QStringLiteral("Exec=") + execLine(program) + u'\n';
    text += QStringLiteral("Icon=vesk-bar\n");
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool XdgAutostart::registerItem()
{
    const QString path = filePath();
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    // Started through the `vesk-bar` launcher, the entry names the launcher.
    QString program = qEnvironmentVariable("VESK_BAR_LAUNCHER");
    if (program.isEmpty())
        program = QCoreApplication::applicationFilePath();
    if (program.isEmpty())
        program = QStringLiteral("vesk-bar");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = entry(program);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool XdgAutostart::unregisterItem()
{
    const QString path = filePath();
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.exists())
        return true;
    return file.remove();
}

LoginItem::Status XdgAutostart::status() const
{
    const QString path = filePath();
    if (path.isEmpty())
        return Status::NotFound;
    // Read as a small regular file only: a FIFO or a link to a device in its place says nothing.
    const LocalFile::Result read = LocalFile::read(path, kMaxEntryBytes);
    if (!read.bytes)
        return read.refusal == LocalFile::Refusal::Missing ? Status::NotRegistered : Status::NotFound;

    bool inMainGroup = false;
    bool sawMainGroup = false;
    bool disabled = false;
    const QList<QByteArray> lines = read.bytes->split('\n');
    for (const QByteArray &raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inMainGroup = line == QByteArrayLiteral("[Desktop Entry]");
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed().toLower();
        if (key == QByteArrayLiteral("Hidden") && value == QByteArrayLiteral("true"))
            disabled = true;
        if (key == QByteArrayLiteral("X-GNOME-Autostart-enabled") && value == QByteArrayLiteral("false"))
            disabled = true;
    }
    // A file that is not a desktop entry starts nothing at login.
    if (!sawMainGroup || disabled)
        return Status::RequiresApproval;
    return Status::Enabled;
}
