#include "platform/qnamhttp.h"

#include <QCoro/QCoroNetworkReply>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <cstring>

namespace {

// A request body that can be read once. QNAM re-sends a request whose connection closed before the
// answer by rewinding its body; this one refuses to rewind once any byte went out, so such a request
// fails (ContentReSendError) instead of reaching the service a second time.
class OneShotBody : public QIODevice
{
public:
    explicit OneShotBody(QByteArray bytes, QObject *parent)
        : QIODevice(parent)
        , m_bytes(std::move(bytes))
    {
        open(QIODevice::ReadOnly);
    }

    qint64 size() const override { return m_bytes.size(); }
    bool seek(qint64 pos) override
    {
        if (m_handedOut && pos != QIODevice::pos())
            return false;
        return QIODevice::seek(pos);
    }
    bool reset() override { return seek(0); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin(maxSize, qint64(m_bytes.size()) - pos());
        if (n <= 0)
            return 0;
        std::memcpy(data, m_bytes.constData() + pos(), size_t(n));
        m_handedOut = true;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    bool m_handedOut = false;
};

} // namespace

QnamHttp::QnamHttp(QObject *parent)
    : QObject(parent)
    , m_nam(std::make_unique<QNetworkAccessManager>())
{
    m_nam->setRedirectPolicy(QNetworkRequest::SameOriginRedirectPolicy);
}

QnamHttp::~QnamHttp()
{
    abortAll();
}

void QnamHttp::abortAll()
{
    // Requests with a body run on managers of their own, children of this object.
    auto replies = m_nam->findChildren<QNetworkReply *>();
    replies += findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies)
        reply->abort();
}

QCoro::Task<HttpReply> QnamHttp::send(HttpRequest request)
{
    QNetworkRequest req(request.url);
    for (const auto &[name, value] : request.headers)
        req.setRawHeader(name, value);
    const auto timeout = request.timeout.count() > 0 ? request.timeout : m_defaultTimeout;
    req.setTransferTimeout(static_cast<int>(timeout.count()));
    if (request.bypassCache)
        req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

    const bool withBody = request.method != "GET";
    // A request with a body gets a manager, and so a connection, of its own: QNAM resends a request
    // whose reused keep-alive connection turns out closed, and this one must not be resent.
    std::unique_ptr<QNetworkAccessManager, void (*)(QNetworkAccessManager *)> ownManager(
        nullptr, [](QNetworkAccessManager *m) { m->deleteLater(); });
    QNetworkReply *raw = nullptr;
    if (!withBody) {
        raw = m_nam->get(req);
    } else {
        ownManager.reset(new QNetworkAccessManager(this));
        req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        req.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
        req.setHeader(QNetworkRequest::ContentLengthHeader, request.body.size());
        auto *body = new OneShotBody(request.body, ownManager.get());
        raw = ownManager->sendCustomRequest(req, request.method, body);
    }
    // Owned here; the manager stays its QObject parent only so abortAll() can find it.
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
        raw, [](QNetworkReply *r) { r->deleteLater(); });

    // The body is collected as it arrives, so an oversized one is refused before it fills memory.
    QByteArray body;
    bool oversized = false;
    const qint64 cap = kMaxBodyBytes;
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
    // A redirect that was not followed is no answer either.
    const bool redirected =
        status.toInt() >= 300 && status.toInt() < 400 && raw->hasRawHeader(QByteArrayLiteral("Location"));
    if (status.isValid() && !transportFailed && !oversized && !redirected) {
        out.delivered = true;
        out.status = status.toInt();
        out.body = std::move(body);
    }
    co_return out;
}
