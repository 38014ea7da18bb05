#pragma once

#include <QString>
#include <QTemporaryDir>

/// Private XDG data and config folders for one test; the previous values come back on destruction.
class TempXdg
{
public:
    TempXdg();
    ~TempXdg();
    TempXdg(const TempXdg &) = delete;
    TempXdg &operator=(const TempXdg &) = delete;

    QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString tokenPath() const { return dataHome() + QStringLiteral("/Vesk/token"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldData;
    QByteArray m_oldConfig;
};

/// The POSIX permission bits of a path, or -1 when it does not exist.
int fileMode(const QString &path);
