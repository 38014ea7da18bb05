#include "shell/commandline.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = CommandLine::parse(arguments);

    // Both answers come before any application object exists, so they need no display.
    if (commandLine.version) {
        std::printf("%s\n", qPrintable(CommandLine::versionText()));
        return 0;
    }
    if (commandLine.help) {
        std::printf("%s", qPrintable(CommandLine::helpText()));
        return 0;
    }
    if (!commandLine.unknownOption.isEmpty()) {
        std::fprintf(stderr, "vesk-bar: unknown option %s\n%s", qPrintable(commandLine.unknownOption),
                     qPrintable(CommandLine::helpText()));
        return 2;
    }
    std::fprintf(stderr, "vesk-bar: the tray application is not part of this build yet.\n");
    return 1;
}
