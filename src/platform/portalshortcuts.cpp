#include "platform/portalshortcuts.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QXmlStreamReader>

namespace portal {

// One entry of BindShortcuts' a(sa{sv}) argument.
struct ShortcutEntry
{
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &arg, const ShortcutEntry &entry)
{
    arg.beginStructure();
    arg << entry.id << entry.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, ShortcutEntry &entry)
{
    arg.beginStructure();
    arg >> entry.id >> entry.properties;
    arg.endStructure();
    return arg;
}

} // namespace portal

Q_DECLARE_METATYPE(portal::ShortcutEntry)

namespace {

const QString Service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString DesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString RegistryInterface = QStringLiteral("org.freedesktop.host.portal.Registry");
const QString AppId = QStringLiteral("vesk-bar");
// Kept constant: the desktop files the user's bindings under the app id plus this token.
const QString SessionToken = QStringLiteral("vesk");

// The portal's answer to one call, delivered as the Response signal of a Request object.
class PendingRequest : public QObject
{
    Q_OBJECT

public:
    std::function<void(uint, const QVariantMap &)> done;

public Q_SLOTS:
    void response(uint code, const QVariantMap &results)
    {
        auto callback = std::move(done);
        done = nullptr;
        deleteLater();
        if (callback)
            callback(code, results);
    }
};

// Interface names of one object, read from its introspection data.
QSet<QString> interfacesOf(const QString &xml)
{
    QSet<QString> names;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == u"interface")
            names.insert(reader.attributes().value(QStringLiteral("name")).toString());
    }
    return names;
}

} // namespace

PortalShortcuts::PortalShortcuts(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    qDBusRegisterMetaType<portal::ShortcutEntry>();
    qDBusRegisterMetaType<QList<portal::ShortcutEntry>>();
}

void PortalShortcuts::start()
{
    if (m_state != State::Idle)
        return;
    m_state = State::Working;
    Q_EMIT stateChanged(m_state);
    if (!m_bus.isConnected()) {
        finish(State::Failed);
        return;
    }
    const QDBusMessage call = QDBusMessage::createMethodCall(
        Service, DesktopPath, QStringLiteral("org.freedesktop.DBus.Introspectable"),
        QStringLiteral("Introspect"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QString> reply = *watcher;
        if (reply.isError())
            finish(State::Failed); // no portal on this bus
        else
            offered(reply.value());
    });
}

void PortalShortcuts::offered(const QString &introspection)
{
    const QSet<QString> interfaces = interfacesOf(introspection);
    if (!interfaces.contains(ShortcutsInterface)) {
        finish(State::Failed);
        return;
    }
    if (!interfaces.contains(RegistryInterface)) {
        createSession();
        return;
    }
    // Newer portals want host apps to name themselves before any other call. A refusal is not
    // fatal here: CreateSession then reports whether the portal can do without.
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, DesktopPath, RegistryInterface, QStringLiteral("Register"));
    call << AppId << QVariantMap();
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        createSession();
    });
}

void PortalShortcuts::createSession()
{
    request(QStringLiteral("CreateSession"), {}, {{QStringLiteral("session_handle_token"), SessionToken}},
            [this](const QVariantMap &results) {
                // Portals send the handle as a string although it is documented as an object path.
                const QVariant handle = results.value(QStringLiteral("session_handle"));
                m_session = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                 : handle.toString();
                if (m_session.isEmpty()) {
                    finish(State::Failed);
                    return;
                }
                m_bus.connect(Service, DesktopPath, ShortcutsInterface, QStringLiteral("Activated"), this,
                              SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
                listShortcuts();
            });
}

void PortalShortcuts::listShortcuts()
{
    request(QStringLiteral("ListShortcuts"), {QVariant::fromValue(QDBusObjectPath(m_session))}, {},
            [this](const QVariantMap &results) {
                takeBound(results);
                if (isBound(ToggleId) && isBound(CopyId))
                    finish(State::Ready);
                else
                    bindShortcuts();
            });
}

void PortalShortcuts::bindShortcuts()
{
    const QList<portal::ShortcutEntry> shortcuts{
        {ToggleId,
         {{QStringLiteral("description"), QStringLiteral("Open or close Vesk")},
          {QStringLiteral("preferred_trigger"), QStringLiteral("CTRL+ALT+h")}}},
        {CopyId,
         {{QStringLiteral("description"), QStringLiteral("Copy your open times")},
          {QStringLiteral("preferred_trigger"), QStringLiteral("CTRL+ALT+a")}}},
    };
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString()}, {},
            [this](const QVariantMap &results) {
                takeBound(results);
                finish(State::Ready);
            });
}

void PortalShortcuts::takeBound(const QVariantMap &results)
{
    m_bound.clear();
    const QVariant value = results.value(QStringLiteral("shortcuts"));
    if (!value.canConvert<QDBusArgument>())
        return;
    QList<portal::ShortcutEntry> shortcuts;
    value.value<QDBusArgument>() >> shortcuts;
    for (const portal::ShortcutEntry &entry : std::as_const(shortcuts)) {
        if (entry.id == ToggleId || entry.id == CopyId)
            m_bound.insert(entry.id);
    }
}

void PortalShortcuts::request(const QString &method, QList<QVariant> args, QVariantMap options, Results done)
{
    const QString token = nextToken();
    options.insert(QStringLiteral("handle_token"), token);
    args.append(options);

    auto *pending = new PendingRequest;
    pending->setParent(this);
    pending->done = [this, done = std::move(done)](uint code, const QVariantMap &results) {
        if (code == 0)
            done(results);
        else
            finish(State::Failed); // 1: the user cancelled, 2: refused
    };
    // Listen on the path the portal will use before calling, or a quick answer is lost.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    const QString predicted = DesktopPath + u"/request/" + sender + u'/' + token;
    const auto listen = [this, pending](const QString &path) {
        m_bus.connect(Service, path, QStringLiteral("org.freedesktop.portal.Request"),
                      QStringLiteral("Response"), pending, SLOT(response(uint, QVariantMap)));
    };
    listen(predicted);

    QDBusMessage call = QDBusMessage::createMethodCall(Service, DesktopPath, ShortcutsInterface, method);
    call.setArguments(args);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, pending = QPointer<PendingRequest>(pending), predicted, listen] {
                watcher->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
                if (reply.isError()) {
                    if (pending)
                        pending->deleteLater();
                    finish(State::Failed);
                    return;
                }
                // Portals older than the handle_token scheme answer on a path of their own.
                if (pending && reply.value().path() != predicted)
                    listen(reply.value().path());
            });
}

QString PortalShortcuts::nextToken()
{
    return QStringLiteral("vesk") + QString::number(++m_tokens);
}

void PortalShortcuts::finish(State state)
{
    if (m_state != State::Working)
        return;
    if (state == State::Failed)
        m_bound.clear();
    m_state = state;
    Q_EMIT stateChanged(m_state);
}

void PortalShortcuts::onActivated(const QDBusObjectPath &session, const QString &id, qulonglong,
                                  const QVariantMap &)
{
    if (session.path() != m_session || m_state != State::Ready)
        return;
    if (id == ToggleId || id == CopyId)
        Q_EMIT activated(id);
}

#include "portalshortcuts.moc"
