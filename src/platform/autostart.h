#pragma once

#include "platform/loginitem.h"

#include <QString>

/// The login item as an XDG autostart entry, $XDG_CONFIG_HOME/autostart/vesk-bar.desktop.
/// The entry is read back from disk for every status query, so a desktop's own startup settings
/// (which disable entries with Hidden=true or X-GNOME-Autostart-enabled=false) are honoured.
class XdgAutostart : public LoginItem
{
public:
    /// An entry larger than this is not read (its status is unknown).
    static constexpr qint64 kMaxEntryBytes = 64 * 1024;

    /// `filePath` overrides the entry's location; empty means the user's autostart folder.
    explicit XdgAutostart(QString filePath = {});

    bool registerItem() override;
    bool unregisterItem() override;
    Status status() const override;

    /// Where the entry lives.
    QString filePath() const;
    /// The user's autostart entry path for this application.
    static QString defaultFilePath();
    /// The Exec value that starts `program` in the background, quoted and escaped for a desktop entry.
    static QString execLine(const QString &program);
    /// The whole desktop entry that starts `program`.
    static QByteArray entry(const QString &program);

private:
    QString m_filePath;
};
