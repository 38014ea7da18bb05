#include "shell/commandline.h"

#include <QCommandLineParser>

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption autostart(QStringLiteral("autostart"));
    const QCommandLineOption toggle(QStringLiteral("toggle"));
    const QCommandLineOption copyAvailability(QStringLiteral("copy-availability"));
    const QCommandLineOption status(QStringLiteral("status"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption follow(QStringLiteral("follow"));
    parser.addOptions({version, help, autostart, toggle, copyAvailability, status, json, follow});

    CommandLine out;
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        out.error = unknown.isEmpty()
                        ? parser.errorText()
                        : QStringLiteral("unknown option %1%2")
                              .arg(unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                   unknown.first());
    }
    out.version = parser.isSet(version);
    out.help = parser.isSet(help);
    out.autostart = parser.isSet(autostart);
    out.toggle = parser.isSet(toggle);
    out.copyAvailability = parser.isSet(copyAvailability);
    out.status = parser.isSet(status);
    out.json = parser.isSet(json);
    out.follow = parser.isSet(follow);
    out.urls = parser.positionalArguments();
    if (out.error.isEmpty() && (out.json || out.follow) && !out.status)
        out.error = QStringLiteral("--json and --follow go with --status");
    return out;
}

QString CommandLine::versionText()
{
    return QStringLiteral("vesk-bar " VESK_BAR_VERSION);
}

QString CommandLine::helpText()
{
    return QStringLiteral(
        "Usage: vesk-bar [options] [vesk://connect?token=...&state=...]\n"
        "\n"
        "Vesk Bar: your meetings with outside people, in the panel.\n"
        "\n"
        "Options:\n"
        "  --toggle             open or close the panel of the running Vesk Bar\n"
        "  --copy-availability  copy your open times, as the Ctrl+Alt+A hot key does\n"
        "  --status             print the running Vesk Bar's title and next meeting\n"
        "    --json             ... as one JSON line (text, tooltip, class) for status bars\n"
        "    --follow           ... and print a new line whenever it changes\n"
        "  --autostart          started at login (used by the autostart entry)\n"
        "  --version            print the version and exit\n"
        "  --help               print this help and exit\n");
}
