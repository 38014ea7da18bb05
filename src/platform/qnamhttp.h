#pragma once

#include "platform/http.h"

#include <QObject>

#include <chrono>
#include <memory>

class QNetworkAccessManager;

/// Http over QNetworkAccessManager. Reply bodies larger than `maxBodyBytes` count as failed transfers.
///
/// Redirects never carry a request to another origin: a GET follows redirects within its own scheme,
/// host and port only, and any other redirect is a failed transfer. A request with a body (a POST)
/// reaches the service at most once: it goes out on a connection of its own, is never re-sent after
/// its body left, and follows no redirect.
class QnamHttp : public QObject, public Http
{
    Q_OBJECT

public:
    static constexpr qint64 kMaxBodyBytes = 8 * 1024 * 1024;
    /// The idle time-out of a request that names none.
    static constexpr std::chrono::milliseconds kDefaultTimeout{60000};

    explicit QnamHttp(QObject *parent = nullptr);
    ~QnamHttp() override;

    QCoro::Task<HttpReply> send(HttpRequest request) override;

    /// Cancels every request in flight; each awaiting operation resumes with a failed transfer.
    void abortAll();

    void setDefaultTimeout(std::chrono::milliseconds timeout) { m_defaultTimeout = timeout; }

private:
    std::unique_ptr<QNetworkAccessManager> m_nam;
    std::chrono::milliseconds m_defaultTimeout = kDefaultTimeout;
};
