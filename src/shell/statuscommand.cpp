#include "shell/statuscommand.h"

#include "platform/singleinstance.h"
#include "shell/commandline.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstdio>

namespace {

// The plain form: the title and the next meeting, as much of them as there is.
QByteArray plainLine(const QByteArray &json)
{
    const QJsonObject status = QJsonDocument::fromJson(json).object();
    QStringList parts;
    for (const QString &key : {QStringLiteral("text"), QStringLiteral("tooltip")}) {
        const QString part = status.value(key).toString();
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QStringLiteral(" · ")).toUtf8();
}

} // namespace

int runStatusCommand(const CommandLine &commandLine)
{
    SingleInstance instance;
    const SingleInstance::ForwardResult result =
        instance.status(commandLine.follow, [&commandLine](const QByteArray &line) {
            const QByteArray out = commandLine.json ? line : plainLine(line);
            std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout); // a bar reads line by line
        });
    switch (result) {
    case SingleInstance::ForwardResult::Delivered:
        if (!commandLine.follow)
            return 0;
        std::fprintf(stderr, "vesk-bar: Vesk Bar has ended.\n");
        return 1;
    case SingleInstance::ForwardResult::NoInstance:
        std::fprintf(stderr, "vesk-bar: Vesk Bar is not running.\n");
        return 3;
    case SingleInstance::ForwardResult::Refused:
        std::fprintf(stderr, "vesk-bar: the instance socket belongs to another user.\n");
        return 1;
    case SingleInstance::ForwardResult::Failed:
    case SingleInstance::ForwardResult::TooLong: // a status request is never too long
        break;
    }
    std::fprintf(stderr, "vesk-bar: the running Vesk Bar did not answer.\n");
    return 1;
}
