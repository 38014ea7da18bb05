#include "demo/demohttpserver.h"
#include "demo/demoservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vesk-demo-service"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "A stand-in for the Vesk service on 127.0.0.1, with a demo account whose calendar is made "
            "from the current local time. Prints its base URL as the first line of output.\n"
            "Demo token: ") +
        QString::fromLatin1(DemoService::kToken));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port to listen on; 0 picks a free one."),
                                  QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Append one line per request to <file>."),
                                 QStringLiteral("file"));
    const QCommandLineOption token(QStringLiteral("token"), QStringLiteral("Print the demo token and exit."));
    parser.addOption(port);
    parser.addOption(log);
    parser.addOption(token);
    parser.process(app);
    if (parser.isSet(token)) {
        std::printf("%s\n", DemoService::kToken);
        return 0;
    }

    bool ok = false;
    const uint wanted = parser.value(port).toUInt(&ok);
    if (!ok || wanted > 65535) {
        std::fprintf(stderr, "vesk-demo-service: --port takes a number from 0 to 65535\n");
        return 2;
    }

    // The base URL, which the service's pages use, is known once the port is.
    DemoService service(
        QString(), [] { return QDateTime::currentDateTime(); }, QStringLiteral(VESK_DEMO_RELEASE));
    DemoHttpServer server(service, parser.value(log));
    const quint16 bound = server.listen(QHostAddress::LocalHost, quint16(wanted));
    if (bound == 0) {
        std::fprintf(stderr, "vesk-demo-service: cannot listen on 127.0.0.1:%u\n", wanted);
        return 1;
    }
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(bound);
    service.setBaseUrl(base);
    std::printf("%s\n", qPrintable(base));
    std::fflush(stdout);

    // Nothing is kept on disk, so SIGTERM and SIGINT may end the process on the spot.
    for (int sig : {SIGINT, SIGTERM})
        std::signal(sig, [](int) { std::_Exit(0); });
    return QCoreApplication::exec();
}
