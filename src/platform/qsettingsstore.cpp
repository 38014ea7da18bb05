#include "platform/qsettingsstore.h"

#include "platform/localfile.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

namespace {

// The file QSettings would pick for organisation and application "Vesk" (the native format on
// Linux is INI), but found afresh for every store: QSettings settles on the configuration folder
// once per process, while XDG_CONFIG_HOME is read here each time.
QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vesk/Vesk.conf");
}

// QSettings reads its file whole and would wait forever on a FIFO. Anything at the path that is not
// a small regular file (a FIFO, a link to a device, gigabytes) holds no settings of ours: it is moved
// aside, so the settings start empty and the next write makes a proper file.
QString usableSettingsFile()
{
    const QString path = settingsFile();
    if (LocalFile::check(path, QSettingsStore::kMaxFileBytes)) {
        const QString aside = path + QStringLiteral(".unusable");
        QFile::remove(aside);
        std::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData());
    }
    return path;
}

} // namespace

QSettingsStore::QSettingsStore()
    : m_settings(std::make_unique<QSettings>(usableSettingsFile(), QSettings::IniFormat))
{}

QSettingsStore::~QSettingsStore() = default;

QVariant QSettingsStore::value(const QString &key) const
{
    return m_settings->value(key);
}

void QSettingsStore::setValue(const QString &key, const QVariant &value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
}

void QSettingsStore::remove(const QString &key)
{
    m_settings->remove(key);
    m_settings->sync();
}

QString QSettingsStore::fileName() const
{
    return m_settings->fileName();
}
