#include "platform/statusnotifieritem.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QTimer>

namespace {

const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString WatcherInterface = QStringLiteral("org.kde.StatusNotifierWatcher");

QVariantMap entryProperties(int id)
{
    switch (id) {
    case DBusMenuAdaptor::Root:
        return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
    case DBusMenuAdaptor::Open:
        return {{QStringLiteral("label"), QStringLiteral("Open Vesk")},
                {QStringLiteral("enabled"), true},
                {QStringLiteral("visible"), true}};
    case DBusMenuAdaptor::Separator:
        return {{QStringLiteral("type"), QStringLiteral("separator")}, {QStringLiteral("visible"), true}};
    case DBusMenuAdaptor::Quit:
        return {{QStringLiteral("label"), QStringLiteral("Quit Vesk")},
                {QStringLiteral("enabled"), true},
                {QStringLiteral("visible"), true}};
    default:
        return {};
    }
}

QVariantMap filtered(const QVariantMap &properties, const QStringList &names)
{
    if (names.isEmpty())
        return properties;
    QVariantMap out;
    for (const QString &name : names) {
        if (properties.contains(name))
            out.insert(name, properties.value(name));
    }
    return out;
}

bool isEntry(int id)
{
    return id >= DBusMenuAdaptor::Root && id <= DBusMenuAdaptor::Quit;
}

} // namespace

// The item's adaptor.

SniItemAdaptor::SniItemAdaptor(QObject *object, StatusNotifierItem &item)
    : QDBusAbstractAdaptor(object)
    , m_item(item)
{}

QString SniItemAdaptor::id() const
{
    return QStringLiteral("vesk-bar");
}

QString SniItemAdaptor::title() const
{
    const QString text = m_item.title();
    return text.isEmpty() ? QStringLiteral("Vesk") : QStringLiteral("Vesk \u00b7 ") + text;
}

QString SniItemAdaptor::iconName() const
{
    return m_item.iconName();
}

SniPixmaps SniItemAdaptor::iconPixmap() const
{
    return m_item.pixmaps();
}

SniToolTip SniItemAdaptor::toolTip() const
{
    return {m_item.iconName(), m_item.pixmaps(), QStringLiteral("Vesk"), m_item.title()};
}

QDBusObjectPath SniItemAdaptor::menu() const
{
    return QDBusObjectPath(StatusNotifierItem::MenuPath.toString());
}

QString SniItemAdaptor::label() const
{
    return m_item.title();
}

QString SniItemAdaptor::labelGuide() const
{
    return StatusNotifierItem::labelGuide();
}

void SniItemAdaptor::Activate(int x, int y)
{
    m_item.activate(QPoint(x, y));
}

void SniItemAdaptor::SecondaryActivate(int x, int y)
{
    m_item.activate(QPoint(x, y));
}

void SniItemAdaptor::ContextMenu(int, int)
{
    // Hosts show the exported menu themselves.
}

void SniItemAdaptor::Scroll(int, const QString &) {}

void SniItemAdaptor::ProvideXdgActivationToken(const QString &token)
{
    // The next window we show may use it to take focus on Wayland.
    qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
}

// The menu's adaptor.

DBusMenuAdaptor::DBusMenuAdaptor(QObject *object, StatusNotifierItem &item)
    : QDBusAbstractAdaptor(object)
    , m_item(item)
{
    setAutoRelaySignals(false);
}

DBusMenuLayout DBusMenuAdaptor::layout()
{
    DBusMenuLayout root{Root, entryProperties(Root), {}};
    for (int id : {Open, Separator, Quit})
        root.children.append({id, entryProperties(id), {}});
    return root;
}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                                DBusMenuLayout &out)
{
    DBusMenuLayout full = layout();
    if (parentId != Root) {
        out = {parentId, filtered(entryProperties(parentId), propertyNames), {}};
        return 1;
    }
    out = {Root, filtered(full.properties, propertyNames), {}};
    if (recursionDepth != 0) {
        for (const DBusMenuLayout &child : std::as_const(full.children))
            out.children.append({child.id, filtered(child.properties, propertyNames), {}});
    }
    return 1; // the menu never changes
}

DBusMenuItems DBusMenuAdaptor::GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames)
{
    DBusMenuItems out;
    const QList<int> wanted = ids.isEmpty() ? QList<int>{Root, Open, Separator, Quit} : ids;
    for (int id : wanted) {
        if (isEntry(id))
            out.append({id, filtered(entryProperties(id), propertyNames)});
    }
    return out;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString &name)
{
    return QDBusVariant(entryProperties(id).value(name));
}

void DBusMenuAdaptor::Event(int id, const QString &eventId, const QDBusVariant &, uint)
{
    if (eventId == u"clicked")
        m_item.menuEvent(id);
}

QList<int> DBusMenuAdaptor::EventGroup(const DBusMenuEvents &events, QList<int> &idErrors)
{
    QList<int> handled;
    for (const DBusMenuEvent &event : events) {
        if (!isEntry(event.id)) {
            idErrors.append(event.id);
            continue;
        }
        handled.append(event.id);
        Event(event.id, event.eventId, event.data, event.timestamp);
    }
    return handled;
}

bool DBusMenuAdaptor::AboutToShow(int)
{
    return false; // nothing to update
}

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
{
    for (int id : ids) {
        if (!isEntry(id))
            idErrors.append(id);
    }
    return {};
}

// The item.

StatusNotifierItem::StatusNotifierItem(QObject *parent)
    : QObject(parent)
    , m_connection(QStringLiteral("none"))
{}

StatusNotifierItem::~StatusNotifierItem()
{
    if (m_started)
        dropConnection();
}

void StatusNotifierItem::dropConnection()
{
    delete m_watcher;
    m_watcher = nullptr;
    m_connection.unregisterObject(ItemPath.toString());
    m_connection.unregisterObject(MenuPath.toString());
    QDBusConnection::disconnectFromBus(m_connection.name());
    m_connection = QDBusConnection(QStringLiteral("none"));
}

bool StatusNotifierItem::watcherPresent()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(WatcherService.toString());
}

QString StatusNotifierItem::serviceName() const
{
    return m_connection.baseService();
}

bool StatusNotifierItem::start()
{
    if (m_started)
        return true;
    m_itemObject = new QObject(this);
    m_itemAdaptor = new SniItemAdaptor(m_itemObject, *this);
    m_menuObject = new QObject(this);
    m_menuAdaptor = new DBusMenuAdaptor(m_menuObject, *this);
    registerSniTypes();
    if (!connectAndExport())
        return false;
    m_started = true;
    return true;
}

bool StatusNotifierItem::connectAndExport()
{
    static int s_count = 0;
    // A connection of our own, so the item's unique name belongs to the item alone.
    m_connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                 QStringLiteral("vesk-bar-sni-%1").arg(++s_count));
    if (!m_connection.isConnected() ||
        !m_connection.registerObject(ItemPath.toString(), m_itemObject, QDBusConnection::ExportAdaptors) ||
        !m_connection.registerObject(MenuPath.toString(), m_menuObject, QDBusConnection::ExportAdaptors)) {
        dropConnection();
        return false;
    }
    // The bus reports its own end to every connection; the item then connects to the next one.
    m_connection.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                         QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), this,
                         SLOT(onBusDisconnected()));

    // The watcher restarts with the desktop shell; the item must then register again.
    m_watcher = new QDBusServiceWatcher(WatcherService.toString(), m_connection,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &oldOwner, const QString &newOwner) {
                if (!oldOwner.isEmpty() && m_registered) {
                    m_registered = false;
                    Q_EMIT unregistered();
                }
                if (!newOwner.isEmpty())
                    registerWithWatcher();
            });
    registerWithWatcher();
    return true;
}

void StatusNotifierItem::onBusDisconnected()
{
    if (m_registered) {
        m_registered = false;
        Q_EMIT unregistered();
    }
    dropConnection();
    QTimer::singleShot(ReconnectMs, this, [this] {
        if (!connectAndExport())
            onBusDisconnected();
    });
}

void StatusNotifierItem::registerWithWatcher()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(WatcherService.toString(), WatcherPath.toString(), WatcherInterface,
                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_connection.baseService();
    auto *pending = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
        pending->deleteLater();
        if (pending->isError()) {
            if (!m_registered)
                Q_EMIT unregistered();
            return;
        }
        if (m_registered)
            return;
        m_registered = true;
        Q_EMIT registered();
    });
}

void StatusNotifierItem::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    if (!m_started)
        return;
    Q_EMIT m_itemAdaptor->XAyatanaNewLabel(m_title, labelGuide());
    Q_EMIT m_itemAdaptor->NewTitle();
    Q_EMIT m_itemAdaptor->NewToolTip();
    // GNOME's extension also listens for the standard property change.
    QDBusMessage changed =
        QDBusMessage::createSignal(ItemPath.toString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    changed << ItemInterface
            << QVariantMap{{QStringLiteral("XAyatanaLabel"), m_title},
                           {QStringLiteral("Title"), m_itemAdaptor->title()}}
            << QStringList();
    m_connection.send(changed);
}

void StatusNotifierItem::setIcon(const QString &themeName, const SniPixmaps &pixmaps)
{
    m_iconName = themeName;
    m_pixmaps = pixmaps;
    if (m_started) {
        Q_EMIT m_itemAdaptor->NewIcon();
        Q_EMIT m_itemAdaptor->NewToolTip();
    }
}

void StatusNotifierItem::menuEvent(int id)
{
    if (id == DBusMenuAdaptor::Open)
        Q_EMIT openRequested();
    else if (id == DBusMenuAdaptor::Quit)
        Q_EMIT quitRequested();
}
