#pragma once

#include "platform/http.h"

#include <QObject>

#include <memory>

class QNetworkAccessManager;

/// Http over QNetworkAccessManager. Reply bodies larger than `maxBodyBytes` count as failed transfers.
class QnamHttp : public QObject, public Http
{
    Q_OBJECT

public:
    static constexpr qint64 kMaxBodyBytes = 8 * 1024 * 1024;

    explicit QnamHttp(QObject *parent = nullptr);
    ~QnamHttp() override;

    QCoro::Task<HttpReply> send(HttpRequest request) override;

    /// Cancels every request in flight; each awaiting operation resumes with a failed transfer.
    void abortAll();

    void setMaxBodyBytes(qint64 bytes) { m_maxBodyBytes = bytes; }

private:
    std::unique_ptr<QNetworkAccessManager> m_nam;
    qint64 m_maxBodyBytes = kMaxBodyBytes;
};
