#include "shell/commandline.h"

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine out;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == u"--version" || arg == u"-v")
            out.version = true;
        else if (arg == u"--help" || arg == u"-h")
            out.help = true;
        else if (arg == u"--autostart")
            out.autostart = true;
        else if (arg == u"--toggle")
            out.toggle = true;
        else if (arg == u"--copy-availability")
            out.copyAvailability = true;
        else if (arg.startsWith(u'-') && out.unknownOption.isEmpty())
            out.unknownOption = arg;
        else if (!arg.startsWith(u'-'))
            out.urls.append(arg);
    }
    return out;
}

QString CommandLine::versionText()
{
    return QStringLiteral("vesk-bar " VESK_BAR_VERSION);
}

QString CommandLine::helpText()
{
    return QStringLiteral("Usage: vesk-bar [options] [vesk://connect?token=...&state=...]\n"
                          "\n"
                          "Vesk Bar: your meetings with outside people, in the panel.\n"
                          "\n"
                          "Options:\n"
                          "  --toggle             open or close the panel of the running Vesk Bar\n"
                          "  --copy-availability  copy your open times, as the Ctrl+Alt+A hot key does\n"
                          "  --autostart          started at login (used by the autostart entry)\n"
                          "  --version            print the version and exit\n"
                          "  --help               print this help and exit\n");
}
