#include "platform/singleinstance.h"
#include "shell/commandline.h"
#include "shell/statuscommand.h"
#include "shell/veskbarapp.h"

#include <QApplication>
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
    if (!commandLine.error.isEmpty()) {
        std::fprintf(stderr, "vesk-bar: %s\n%s", qPrintable(commandLine.error),
                     qPrintable(CommandLine::helpText()));
        return 2;
    }
    // A status query only talks to the running instance: no application object, no display.
    if (commandLine.status)
        return runStatusCommand(commandLine);

    // One instance per user: a later launch hands its URLs and commands to the running one.
    SingleInstance instance;
    for (int attempt = 0; attempt < 3 && instance.claim() == SingleInstance::Role::Secondary; ++attempt) {
        if (commandLine.autostart && commandLine.urls.isEmpty() && !commandLine.toggle &&
            !commandLine.copyAvailability)
            return 0; // already running: nothing to bring up at login
        QStringList forwarded = commandLine.urls;
        if (commandLine.toggle)
            forwarded << QStringLiteral("--toggle");
        if (commandLine.copyAvailability)
            forwarded << QStringLiteral("--copy-availability");
        const SingleInstance::ForwardResult result = instance.forward(forwarded);
        if (result == SingleInstance::ForwardResult::Delivered)
            return 0;
        if (result == SingleInstance::ForwardResult::TooLong) {
            std::fprintf(stderr, "vesk-bar: the arguments are too long to hand to the running Vesk Bar.\n");
            return 1;
        }
        if (result != SingleInstance::ForwardResult::NoInstance) {
            std::fprintf(stderr, "vesk-bar: the running Vesk Bar did not answer.\n");
            return 1;
        }
        // The running instance ended meanwhile: this process takes its place.
    }
    if (instance.role() == SingleInstance::Role::Secondary) {
        std::fprintf(stderr, "vesk-bar: the running Vesk Bar did not answer.\n");
        return 1;
    }

    // Wayland gives a client no global coordinates, so the panel could not hang from the tray:
    // run through XWayland unless the user chose a platform or asked for native Wayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY") && qgetenv("VESK_NATIVE_WAYLAND") != "1")
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vesk"));
    QApplication::setApplicationName(QStringLiteral("Vesk"));
    QApplication::setApplicationVersion(QStringLiteral(VESK_BAR_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("vesk-bar"));
    QApplication::setQuitOnLastWindowClosed(false);

    VeskBarApp veskBar(commandLine, instance.role() == SingleInstance::Role::Primary ? &instance : nullptr);
    veskBar.start();
    return QApplication::exec();
}
