#pragma once

#include <QString>
#include <QVariant>

/// Per-user persistent settings ($XDG_CONFIG_HOME/Vesk/Vesk.conf).
class Settings
{
public:
    virtual ~Settings() = default;
    virtual QVariant value(const QString &key) const = 0;
    virtual void setValue(const QString &key, const QVariant &value) = 0;
    virtual void remove(const QString &key) = 0;
};
