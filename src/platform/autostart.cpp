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

/// What an autostart file says, as far as starting at login goes.
struct EntryFile
{
    bool exists = false;
    bool readable = false;
    bool isEntry = false;  ///< it has a [Desktop Entry] group
    bool disabled = false; ///< Hidden=true or X-GNOME-Autostart-enabled=false
    QString exec;          ///< the Exec value as written
};

EntryFile readEntry(const QString &path)
{
    EntryFile entry;
    // Read as a small regular file only: a FIFO or a link to a device in its place says nothing.
    const LocalFile::Result read = LocalFile::read(path, XdgAutostart::kMaxEntryBytes);
    entry.exists = read.bytes.has_value() || read.refusal != LocalFile::Refusal::Missing;
    if (!read.bytes)
        return entry;
    entry.readable = true;

    bool inMainGroup = false;
    const QList<QByteArray> lines = read.bytes->split('\n');
    for (const QByteArray &raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inMainGroup = line == QByteArrayLiteral("[Desktop Entry]");
            entry.isEntry = entry.isEntry || inMainGroup;
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == QByteArrayLiteral("Hidden") && value.toLower() == QByteArrayLiteral("true"))
            entry.disabled = true;
        if (key == QByteArrayLiteral("X-GNOME-Autostart-enabled") &&
            value.toLower() == QByteArrayLiteral("false"))
            entry.disabled = true;
        if (key == QByteArrayLiteral("Exec"))
            entry.exec = QString::fromUtf8(value);
    }
    return entry;
}

/// The executable file a program name or path stands for, with links resolved; empty when there is
/// none. A bare name is looked up on the PATH, as the session starting the entry does.
QString resolveProgram(const QString &program)
{
    if (program.isEmpty())
        return {};
    const QString path = program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isExecutable() ? info.canonicalFilePath() : QString();
}

} // namespace

XdgAutostart::XdgAutostart(QString filePath, QString program)
    : m_filePath(std::move(filePath))
    , m_program(std::move(program))
{}

QString XdgAutostart::program() const
{
    if (!m_program.isEmpty())
        return m_program;
    // Started through the `vesk-bar` launcher, the entry names the launcher.
    const QString launcher = qEnvironmentVariable("VESK_BAR_LAUNCHER");
    if (!launcher.isEmpty())
        return launcher;
    const QString self = QCoreApplication::applicationFilePath();
    return self.isEmpty() ? QStringLiteral("vesk-bar") : self;
}

XdgAutostart::Command XdgAutostart::parseExec(const QString &exec)
{
    // The string-level escapes every desktop entry value has come off first.
    QString text;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c != u'\\' || i + 1 == exec.size()) {
            text += c;
            continue;
        }
        const QChar next = exec.at(++i);
        text += next == u's'   ? QChar(u' ')
                : next == u'n' ? QChar(u'\n')
                : next == u't' ? QChar(u'\t')
                : next == u'r' ? QChar(u'\r')
                               : next;
    }
    text = text.trimmed();

    Command command;
    qsizetype i = 0;
    if (text.startsWith(u'"')) {
        // Inside quotes a backslash takes the next character as it is.
        for (i = 1; i < text.size() && text.at(i) != u'"'; ++i) {
            if (text.at(i) == u'\\' && i + 1 < text.size())
                ++i;
            command.program += text.at(i);
        }
        ++i;
    } else {
        while (i < text.size() && !text.at(i).isSpace())
            command.program += text.at(i++);
    }
    command.program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    command.arguments = text.mid(i).trimmed();
    return command;
}

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = entry(program());
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
    const EntryFile entry = readEntry(path);
    if (!entry.exists)
        return Status::NotRegistered;
    if (!entry.readable)
        return Status::NotFound;
    // A file that is not a desktop entry starts nothing at login.
    if (!entry.isEntry || entry.disabled)
        return Status::RequiresApproval;
    // Nor does an entry whose program is gone.
    if (resolveProgram(parseExec(entry.exec).program).isEmpty())
        return Status::NotFound;
    return Status::Enabled;
}

bool XdgAutostart::takeOver()
{
    const EntryFile entry = readEntry(filePath());
    if (!entry.isEntry || entry.disabled)
        return false;
    const Command command = parseExec(entry.exec);
    if (QFileInfo(command.program).fileName() != u"vesk-bar" || command.arguments != u"--autostart")
        return false; // someone else's, or one the user changed
    // The installed program is the one the installed launcher entry starts.
    const QString launcher = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                    QStringLiteral("applications/vesk-bar.desktop"));
    const QString self = resolveProgram(program());
    if (launcher.isEmpty() || self.isEmpty() ||
        self != resolveProgram(parseExec(readEntry(launcher).exec).program))
        return false; // not the installed program
    if (resolveProgram(command.program) == self)
        return false;
    return registerItem();
}
