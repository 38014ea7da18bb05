#include "shell/benchtrace.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace BenchTrace {

bool enabled()
{
    static const bool on = qEnvironmentVariable("VESK_BENCH_TRACE") == u"1";
    return on;
}

void mark(const char *event)
{
    if (!enabled())
        return;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "vesk-trace %s %lld\n", event, (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    std::fflush(stderr);
}

void listenForCommands(std::function<void()> refresh)
{
    if (!enabled())
        return;
    auto *notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [notifier, refresh = std::move(refresh)] {
                         char buffer[256];
                         const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof(buffer));
                         if (n <= 0) {
                             notifier->setEnabled(false);
                             return;
                         }
                         for (ssize_t i = 0; i < n; ++i) {
                             if (buffer[i] == '\n')
                                 refresh();
                         }
                     });
}

} // namespace BenchTrace
