#include "platform/qsettingsstore.h"

#include <QSettings>

QSettingsStore::QSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vesk"),
                                             QStringLiteral("Vesk")))
{
}

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
