#include "support/scriptedserver.h"

#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

bool RecordedRequest::hasHeader(const QByteArray &name) const
{
    for (const auto &pair : headers)
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

ScriptedServer::Answer &ScriptedServer::Answer::after(std::chrono::milliseconds d)
{
    delay = d;
    return *this;
}

ScriptedServer::Answer &ScriptedServer::Answer::header(QByteArray name, QByteArray value)
{
    headers.append({std::move(name), std::move(value)});
    return *this;
}

ScriptedServer::Answer &ScriptedServer::Answer::reply(int s, QByteArray b)
{
    kind = Kind::Reply;
    status = s;
    body = std::move(b);
    return *this;
}

ScriptedServer::Answer &ScriptedServer::Answer::drop()
{
    kind = Kind::Drop;
    return *this;
}

ScriptedServer::Answer &ScriptedServer::Answer::never()
{
    kind = Kind::Never;
    return *this;
}

ScriptedServer::Answer &ScriptedServer::Answer::keepAlive()
{
    keepOpen = true;
    return *this;
}

ScriptedServer::ScriptedServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    if (!m_server->listen(QHostAddress::LocalHost, 0))
        qFatal("ScriptedServer: cannot listen on 127.0.0.1");
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedServer::onNewConnection);
}

ScriptedServer::~ScriptedServer()
{
    qDeleteAll(m_allAnswers);
}

QUrl ScriptedServer::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server->serverPort()));
}

ScriptedServer::Answer &ScriptedServer::on(const QByteArray &method, const QByteArray &path)
{
    auto *answer = new Answer;
    m_allAnswers.append(answer);
    m_routes[method + ' ' + path].answers.append(answer);
    return *answer;
}

void ScriptedServer::reset()
{
    m_routes.clear();
    m_requests.clear();
}

QList<RecordedRequest> ScriptedServer::requestsTo(const QByteArray &path) const
{
    QList<RecordedRequest> out;
    for (const RecordedRequest &r : m_requests)
        if (r.path == path)
            out.append(r);
    return out;
}

bool ScriptedServer::waitForRequests(qsizetype count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_requests.size() >= count; }, timeoutMs);
}

void ScriptedServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_connectionIds.insert(socket, ++m_connections);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            m_connectionIds.remove(socket);
            socket->deleteLater();
        });
    }
}

void ScriptedServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        RecordedRequest request;
        request.connection = m_connectionIds.value(socket);
        const QList<QByteArray> start = lines.value(0).trimmed().split(' ');
        request.method = start.value(0);
        const QByteArray target = start.value(1);
        const qsizetype q = target.indexOf('?');
        request.path = q < 0 ? target : target.left(q);
        request.rawQuery = q < 0 ? QByteArray() : target.mid(q + 1);
        qsizetype length = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            request.headers.append({name, value});
            if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
                length = value.toLongLong();
        }
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        m_requests.append(request);
        answer(socket, request);
    }
}

void ScriptedServer::answer(QTcpSocket *socket, const RecordedRequest &request)
{
    Answer fallback;
    fallback.reply(404);
    const Answer *answer = &fallback;
    auto it = m_routes.find(request.method + ' ' + request.path);
    if (it != m_routes.end() && !it->answers.isEmpty()) {
        answer = it->answers.at(qMin(it->next, it->answers.size() - 1));
        ++it->next;
    }
    if (answer->kind == Answer::Kind::Never)
        return;

    QByteArray bytes;
    if (answer->kind == Answer::Kind::Reply) {
        bytes = "HTTP/1.1 " + QByteArray::number(answer->status) + " Scripted\r\n";
        bool hasType = false;
        for (const auto &[name, value] : answer->headers) {
            bytes += name + ": " + value + "\r\n";
            hasType = hasType || name.compare("Content-Type", Qt::CaseInsensitive) == 0;
        }
        if (!hasType)
            bytes += "Content-Type: application/json\r\n";
        bytes += "Content-Length: " + QByteArray::number(answer->body.size()) + "\r\n";
        bytes += answer->keepOpen ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
        bytes += answer->body;
    }
    const bool drop = answer->kind == Answer::Kind::Drop;
    const bool keepOpen = answer->keepOpen;
    QPointer<QTcpSocket> guard(socket);
    auto send = [guard, bytes, drop, keepOpen] {
        if (!guard)
            return;
        if (drop) {
            guard->abort();
            return;
        }
        guard->write(bytes);
        if (!keepOpen)
            guard->disconnectFromHost();
    };
    if (answer->delay.count() > 0)
        QTimer::singleShot(answer->delay, this, send);
    else
        send();
}

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(DATA_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}
