#include "platform/qsettingsstore.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

// The file QSettings would pick for organisation and application "Vesk" (the native format on
// Linux is INI), but found afresh for every store: QSettings settles on the configuration folder
// once per process, while XDG_CONFIG_HOME is read here each time.
QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vesk/Vesk.conf");
}

} // namespace

QSettingsStore::QSettingsStore()
    : m_settings(std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat))
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
