// Answers `vesk-bar --status` queries from a listening instance (its own thread and event loop,
// as in the running application) and prints the time from connecting to the answer line.
// Target: under 50 ms per answer, the slowest included.
#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    auto *instance = new SingleInstance;
    if (instance->claim() != SingleInstance::Role::Primary) {
        std::fprintf(stderr, "statusquery: could not take the instance lock\n");
        return 1;
    }
    QThread thread;
    instance->moveToThread(&thread);
    thread.start();
    const QByteArray line = R"({"class":"soon","text":"in 5m","tooltip":"Next: Renewal call, 10:30"})";
    bool listening = false;
    QMetaObject::invokeMethod(
        instance,
        [&] {
            listening = instance->listen();
            instance->publishStatus(line);
        },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        std::fprintf(stderr, "statusquery: the instance does not listen\n");
        return 1;
    }

    SingleInstance client;
    std::vector<double> ms;
    ms.reserve(size_t(rounds));
    for (int i = 0; i < rounds; ++i) {
        QByteArray answer;
        QElapsedTimer timer;
        timer.start();
        const auto result = client.status(false, [&answer](const QByteArray &got) { answer = got; });
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (result != SingleInstance::ForwardResult::Delivered || answer != line) {
            std::fprintf(stderr, "statusquery: round %d got no answer\n", i);
            return 1;
        }
    }
    QMetaObject::invokeMethod(instance, &QObject::deleteLater);
    thread.quit();
    thread.wait();

    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double worst = ms.back();
    std::printf("status query: %d answers, median %.3f ms, slowest %.3f ms (target under 50 ms)\n", rounds,
                median, worst);
    return worst < 50.0 ? 0 : 2;
}
