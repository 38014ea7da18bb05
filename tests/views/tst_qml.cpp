// The panel's views against a real Store on the real HTTP stack and a scripted server.

#include "viewworld.h"

#include <QAccessible>
#include <QJSValue>
#include <QJsonDocument>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;

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

    /// Starts a new Store with the answers scripted since the last `resetServer`.
    Q_INVOKABLE Store *start(bool signedIn)
    {
        m_world->urlOpener.opened.clear();
        m_world->clipboard.writes.clear();
        Store *result = &m_world->start(signedIn);
        QQmlEngine::setObjectOwnership(result, QQmlEngine::CppOwnership);
        Q_EMIT storeChanged();
        return result;
    }
    /// Ends the previous Store, then forgets every scripted answer and recorded request.
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
        const QByteArray encoded =
            body.isString() ? body.toString().toUtf8()
                            : QJsonDocument::fromVariant(body.toVariant()).toJson(QJsonDocument::Compact);
        m_world->on(method.toLatin1().constData(), path.toUtf8())
            .after(std::chrono::milliseconds(delayMs))
            .header("Content-Type", "application/json")
            .reply(status, encoded);
    }

    Q_INVOKABLE void hold(const QString &method, const QString &path)
    {
        m_world->on(method.toLatin1().constData(), path.toUtf8()).never();
    }

    /// The query and the JSON body of the last request to a path; empty before the first.
    Q_INVOKABLE QVariantMap lastRequest(const QString &path) const
    {
        const auto all = m_world->server.requestsTo(path.toUtf8());
        return all.isEmpty() ? QVariantMap()
                             : QVariantMap{{u"query"_s, QString::fromUtf8(all.last().rawQuery)},
                                           {u"body"_s, QJsonDocument::fromJson(all.last().body).toVariant()}};
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

    /// Presses, as a screen reader would, every control named `name` that the accessibility tree offers below
    /// `root`; answers how many there were.
    Q_INVOKABLE int pressAccessible(QObject *root, const QString &name) const
    {
        int offered = 0;
        const std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
            if (!node)
                return;
            if (QAccessibleActionInterface *actions = node->actionInterface();
                actions && node->text(QAccessible::Name) == name) {
                ++offered;
                actions->doAction(QAccessibleActionInterface::pressAction());
            }
            for (int i = 0; i < node->childCount(); ++i)
                walk(node->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(root));
        return offered;
    }

Q_SIGNALS:
    void storeChanged();

private:
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
