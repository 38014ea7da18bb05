// The panel's views against a real Store on the real HTTP stack and a scripted server.

#include "viewworld.h"

#include <QJSValue>
#include <QJsonDocument>
#include <QLocale>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

#include <memory>

/// What the QML tests reach as `fixture`: the Store of the current test, the server's script and
/// records, and what the desktop doubles saw.
class Fixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Store *store READ store NOTIFY storeChanged)

public:
    Store *store() const { return m_world ? m_world->store.get() : nullptr; }

    void create() { m_world = std::make_unique<ViewWorld>(); }
    void destroy() { m_world.reset(); }

    /// Forgets the script and the records, and starts a new Store.
    Q_INVOKABLE Store *start(bool signedIn)
    {
        resetServer();
        return startKeepingScript(signedIn);
    }

    /// Starts a new Store with the answers scripted so far.
    Q_INVOKABLE Store *startKeepingScript(bool signedIn)
    {
        m_world->urlOpener.opened.clear();
        m_world->clipboard.writes.clear();
        Store *result = &m_world->start(signedIn);
        // The world owns the Store; QML must never collect it.
        QQmlEngine::setObjectOwnership(result, QQmlEngine::CppOwnership);
        Q_EMIT storeChanged();
        return result;
    }

    /// Ends the previous Store, then forgets every scripted answer and recorded request, so nothing
    /// the previous test sent is counted in the next.
    Q_INVOKABLE void resetServer()
    {
        m_world->stop();
        QCoreApplication::processEvents();
        m_world->server.reset();
    }

    /// Scripts the next answer of a route; a JS object or array body is sent as JSON.
    Q_INVOKABLE void reply(const QString &method, const QString &path, int status, const QJSValue &body,
                           int delayMs = 0)
    {
        m_world->on(method.toLatin1().constData(), path.toUtf8())
            .after(std::chrono::milliseconds(delayMs))
            .header("Content-Type", "application/json")
            .reply(status, encode(body));
    }

    /// Scripts a route that never answers.
    Q_INVOKABLE void hold(const QString &method, const QString &path)
    {
        m_world->on(method.toLatin1().constData(), path.toUtf8()).never();
    }

    Q_INVOKABLE int requestCount(const QString &path) const
    {
        return int(m_world->server.requestsTo(path.toUtf8()).size());
    }

    /// The raw query of the last request to a path.
    Q_INVOKABLE QString lastQuery(const QString &path) const
    {
        const auto requests = m_world->server.requestsTo(path.toUtf8());
        return requests.isEmpty() ? QString() : QString::fromUtf8(requests.last().rawQuery);
    }

    /// The raw queries of every request to a path, in order.
    Q_INVOKABLE QStringList queries(const QString &path) const
    {
        QStringList result;
        for (const RecordedRequest &request : m_world->server.requestsTo(path.toUtf8()))
            result.append(QString::fromUtf8(request.rawQuery));
        return result;
    }

    /// The JSON body of the last request to a path.
    Q_INVOKABLE QVariant lastBody(const QString &path) const
    {
        const auto requests = m_world->server.requestsTo(path.toUtf8());
        return requests.isEmpty() ? QVariant() : QJsonDocument::fromJson(requests.last().body).toVariant();
    }

    Q_INVOKABLE QStringList opened() const
    {
        QStringList urls;
        for (const QUrl &url : m_world->urlOpener.opened)
            urls.append(url.toString(QUrl::FullyEncoded));
        return urls;
    }

    Q_INVOKABLE QStringList copiedTexts() const
    {
        QStringList texts;
        for (const auto &entry : m_world->clipboard.writes)
            texts.append(entry.text);
        return texts;
    }

    Q_INVOKABLE QString at(int minutes, int days = 0) const { return ViewWorld::at(minutes, days); }

Q_SIGNALS:
    void storeChanged();

private:
    static QByteArray encode(const QJSValue &body)
    {
        if (body.isString())
            return body.toString().toUtf8();
        return QJsonDocument::fromVariant(body.toVariant()).toJson(QJsonDocument::Compact);
    }

    std::unique_ptr<ViewWorld> m_world;
};

class Setup : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_fixture.create();
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("fixture"), &m_fixture);
    }

    void cleanupTestCase() { m_fixture.destroy(); }

private:
    Fixture m_fixture;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_qml, Setup)

#include "tst_qml.moc"
