#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <utility>

class QTcpServer;
class QTcpSocket;

/// A request as it reached the scripted server, byte for byte.
struct RecordedRequest
{
    QByteArray method;
    QByteArray path;     ///< raw path, percent-encoding kept
    QByteArray rawQuery; ///< raw query text after "?", empty when none
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    /// Which connection carried it: connections are numbered from 1 in the order they were accepted.
    int connection = 0;

    /// The value of the first header of that name (case-insensitive); empty when absent.
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
};

/// A real HTTP/1.1 server on 127.0.0.1 for tests. Each route answers from a queue of scripted
/// answers in order; the last one repeats. Unscripted routes answer 404 with an empty body.
class ScriptedServer : public QObject
{
    Q_OBJECT

public:
    class Answer
    {
    public:
        /// Answers after `delay`.
        Answer &after(std::chrono::milliseconds delay);
        Answer &header(QByteArray name, QByteArray value);
        Answer &reply(int status, QByteArray body = {});
        /// Closes the connection without answering.
        Answer &drop();
        /// Keeps the connection open and never answers.
        Answer &never();
        /// Answers and keeps the connection open for the next request (no "Connection: close").
        Answer &keepAlive();

    private:
        friend class ScriptedServer;
        enum class Kind
        {
            Reply,
            Drop,
            Never
        } kind = Kind::Reply;
        std::chrono::milliseconds delay{0};
        int status = 200;
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
        bool keepOpen = false;
    };

    explicit ScriptedServer(QObject *parent = nullptr);
    ~ScriptedServer() override;

    /// "http://127.0.0.1:<port>".
    QUrl url() const;

    /// Scripts the next answer for `method` and `path` (path without the query).
    Answer &on(const QByteArray &method, const QByteArray &path);
    /// Forgets every scripted answer and recorded request.
    void reset();

    const QList<RecordedRequest> &requests() const { return m_requests; }
    /// The recorded requests for one path.
    QList<RecordedRequest> requestsTo(const QByteArray &path) const;
    /// Waits until at least `count` requests arrived; false on time-out.
    bool waitForRequests(qsizetype count, int timeoutMs = 5000);

private:
    struct Route
    {
        QList<Answer *> answers;
        qsizetype next = 0;
    };
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const RecordedRequest &request);

    QTcpServer *m_server;
    QHash<QByteArray, Route> m_routes;
    QList<Answer *> m_allAnswers;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QHash<QTcpSocket *, int> m_connectionIds;
    int m_connections = 0;
    QList<RecordedRequest> m_requests;
};

/// Reads a file of tests/data.
QByteArray fixture(const QString &name);
