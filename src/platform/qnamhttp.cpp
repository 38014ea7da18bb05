#include "platform/qnamhttp.h"

#include <QCoro/QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

QnamHttp::QnamHttp(QObject *parent)
    : QObject(parent)
    , m_nam(std::make_unique<QNetworkAccessManager>())
{}

QnamHttp::~QnamHttp()
{
    abortAll();
}

void QnamHttp::abortAll()
{
    const auto replies = m_nam->findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies)
        reply->abort();
}

QCoro::Task<HttpReply> QnamHttp::send(HttpRequest request)
{
    QNetworkRequest req(request.url);
    for (const auto &[name, value] : request.headers)
        req.setRawHeader(name, value);
    if (request.timeout.count() > 0)
        req.setTransferTimeout(static_cast<int>(request.timeout.count()));
    if (request.bypassCache)
        req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

    QNetworkReply *raw = request.method == "GET"
                             ? m_nam->get(req)
                             : m_nam->sendCustomRequest(req, request.method, request.body);
    // Owned here; QNAM stays its QObject parent only so abortAll() can find it.
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
        raw, [](QNetworkReply *r) { r->deleteLater(); });

    // The body is collected as it arrives, so an oversized one is refused before it fills memory.
    QByteArray body;
    bool oversized = false;
    const qint64 cap = m_maxBodyBytes;
    const auto collect = [raw, &body, &oversized, cap] {
        if (oversized || !raw->isOpen())
            return;
        const qint64 declared = raw->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (declared > cap || body.size() + raw->bytesAvailable() > cap) {
            oversized = true;
            body.clear();
            raw->abort();
            return;
        }
        body.append(raw->readAll());
    };
    const auto connection = QObject::connect(raw, &QNetworkReply::readyRead, raw, collect);

    co_await raw;

    QObject::disconnect(connection);
    collect();

    HttpReply out;
    const QVariant status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = raw->error();
    // Error codes below 200 are network and proxy failures, 3xx ones protocol failures; the
    // others are HTTP error statuses, which still deliver a reply.
    const bool transportFailed = (code > 0 && code < 200) || (code >= 300 && code < 400);
    if (status.isValid() && !transportFailed && !oversized) {
        out.delivered = true;
        out.status = status.toInt();
        out.body = std::move(body);
    }
    co_return out;
}
