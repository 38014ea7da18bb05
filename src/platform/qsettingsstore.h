#pragma once

#include "platform/settings.h"

#include <memory>

class QSettings;

/// Settings in $XDG_CONFIG_HOME/Vesk/Vesk.conf (organisation and application "Vesk"), written to
/// disk after every change.
class QSettingsStore : public Settings
{
public:
    /// A settings file larger than this is not read.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    QSettingsStore();
    ~QSettingsStore() override;

    QVariant value(const QString &key) const override;
    void setValue(const QString &key, const QVariant &value) override;
    void remove(const QString &key) override;

    /// The settings file.
    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
};
