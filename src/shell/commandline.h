#pragma once

#include <QString>
#include <QStringList>

/// What the command line asks of this process.
struct CommandLine
{
    bool version = false;
    bool help = false;
    bool autostart = false;
    bool toggle = false;
    bool copyAvailability = false;
    /// Print the running instance's tray title and next meeting instead of starting one.
    bool status = false;
    bool json = false;   ///< with `status`: one JSON line per answer
    bool follow = false; ///< with `status`: keep listening and print every change
    QStringList urls;
    QString error; ///< why the command line cannot be used (an unknown option, say); empty when fine

    /// Reads `arguments` (the program name first). Needs no application object.
    static CommandLine parse(const QStringList &arguments);
    static QString helpText();
    static QString versionText();
};
