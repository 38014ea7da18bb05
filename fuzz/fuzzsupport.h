#pragma once

#include "platform/http.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

/// A failed property of the code under test: libFuzzer keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "FUZZ_CHECK failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);         \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

namespace fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

/// The one application object of a fuzzing run, with private XDG data and config folders, so a
/// target that stores a token or reads settings never touches the user's own.
inline void startApplication()
{
    static QTemporaryDir xdg;
    for (const char *name : {"data", "config"}) {
        const QString path = xdg.path() + u'/' + QLatin1StringView(name);
        QDir().mkpath(path);
        qputenv(name[0] == 'd' ? "XDG_DATA_HOME" : "XDG_CONFIG_HOME", path.toLocal8Bit());
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vesk-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

/// An Http that answers every request at once with one fixed reply: the fuzzer's bytes.
class ReplyHttp : public Http
{
public:
    HttpReply reply{true, 200, {}};
    int sent = 0;

    QCoro::Task<HttpReply> send(HttpRequest) override
    {
        ++sent;
        // A copy: QCoro 0.8 moves from an lvalue named in co_return, which would leave every later
        // request of the same input with an empty body.
        HttpReply answer = reply;
        co_return answer;
    }
};

} // namespace fuzz
