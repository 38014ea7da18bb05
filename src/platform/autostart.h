#pragma once

#include "platform/loginitem.h"

#include <QString>

/// The login item as an XDG autostart entry, $XDG_CONFIG_HOME/autostart/vesk-bar.desktop.
/// The entry is read back from disk for every status query, so a desktop's own startup settings
/// (which disable entries with Hidden=true or X-GNOME-Autostart-enabled=false) are honoured, and
/// an entry whose program is gone (a removed build folder, say) reads as not found: it starts
/// nothing at login.
class XdgAutostart : public LoginItem
{
public:
    /// An entry larger than this is not read (its status is unknown).
    static constexpr qint64 kMaxEntryBytes = 64 * 1024;

    /// `filePath` overrides the entry's location; empty means the user's autostart folder.
    /// `program` is the program this process runs; empty means this process's executable.
    explicit XdgAutostart(QString filePath = {}, QString program = {});

    bool registerItem() override;
    bool unregisterItem() override;
    Status status() const override;
    /// The entry is ours when it runs a program named vesk-bar with --autostart alone. This process
    /// is the installed program when it is the one the installed launcher entry (applications/
    /// vesk-bar.desktop in the data folders, the first found) starts; only then does it take an
    /// enabled entry (or one whose program is gone) over from another copy.
    bool takeOver() override;

    /// Where the entry lives.
    QString filePath() const;
    /// The user's autostart entry path for this application.
    static QString defaultFilePath();
    /// The Exec value that starts `program` in the background, quoted and escaped for a desktop entry.
    static QString execLine(const QString &program);
    /// The whole desktop entry that starts `program`.
    static QByteArray entry(const QString &program);

    /// The program an Exec value runs, as written (quotes and escapes removed), and its arguments.
    struct Command
    {
        QString program;
        QString arguments;
    };
    static Command parseExec(const QString &exec);

private:
    QString program() const;

    QString m_filePath;
    QString m_program;
};
