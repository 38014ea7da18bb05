#include "demo/demohttpserver.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>

DemoHttpServer::DemoHttpServer(DemoService &service, const QString &logPath)
    : m_service(service)
    , m_log(logPath)
{
    if (!logPath.isEmpty())
        m_log.open(QIODevice::Append | QIODevice::Text | QIODevice::Unbuffered);
}

bool DemoHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    DemoRequest in;
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        in.method = "GET";
        break;
    case QHttpServerRequest::Method::Post:
        in.method = "POST";
        break;
    default:
        in.method = "OTHER";
        break;
    }
    in.path = request.url().path(QUrl::FullyDecoded);
    in.query = request.query();
    for (const auto &[name, value] : request.headers()) {
        if (name.compare("authorization", Qt::CaseInsensitive) == 0)
            in.authorization = value;
    }
    in.body = request.body();

    const DemoReply reply = m_service.handle(in);
    if (m_log.isOpen()) {
        const QString query = in.query.isEmpty() ? QString() : u'?' + in.query.toString(QUrl::FullyEncoded);
        m_log.write(in.method + ' ' + request.url().path(QUrl::FullyEncoded).toUtf8() + query.toUtf8() + ' ' +
                    QByteArray::number(reply.status) + '\n');
    }
    makeResponder(request, socket)
        .write(reply.body, {{"Content-Type", reply.contentType}, {"Cache-Control", "no-store"}},
               QHttpServerResponder::StatusCode(reply.status));
    return true;
}

void DemoHttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}
