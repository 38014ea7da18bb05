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
    QStringList urls;
    QString unknownOption; ///< the first option we do not know, if any

    static CommandLine parse(const QStringList &arguments);
    static QString helpText();
    static QString versionText();
};
