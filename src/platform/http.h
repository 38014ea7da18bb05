#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QList>
#include <QUrl>

#include <chrono>
#include <utility>

struct HttpRequest
{
    QByteArray method = QByteArrayLiteral("GET");
    QUrl url;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    /// Idle time-out; zero leaves the client's default (60 s).
    std::chrono::milliseconds timeout{0};
    /// Always load from the network, never from a local cache.
    bool bypassCache = false;
};

struct HttpReply
{
    /// False when no HTTP answer arrived: no connection, time-out, TLS failure, cancel, oversized body.
    bool delivered = false;
    /// The HTTP status code; 0 when there was none.
    int status = 0;
    QByteArray body;
};

/// The one way the program talks HTTP. Never throws; every failure is a reply that was not delivered.
/// A request never follows a redirect to another origin, and a request with a body is sent at most once.
class Http
{
public:
    virtual ~Http() = default;
    virtual QCoro::Task<HttpReply> send(HttpRequest request) = 0;
};
