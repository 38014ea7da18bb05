#pragma once

#include "platform/snitypes.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QPoint>

class QDBusServiceWatcher;
class StatusNotifierItem;

/// The org.kde.StatusNotifierItem interface of the item, at /StatusNotifierItem.
class SniItemAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(SniPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyText)
    Q_PROPERTY(SniPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ emptyText)
    Q_PROPERTY(SniPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ emptyText)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
    Q_PROPERTY(uint XAyatanaOrderingIndex READ orderingIndex)

public:
    SniItemAdaptor(QObject *object, StatusNotifierItem &item);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const;
    QString title() const;
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString iconName() const;
    QString iconThemePath() const { return {}; }
    SniPixmaps iconPixmap() const;
    QString emptyText() const { return {}; }
    SniPixmaps noPixmaps() const { return {}; }
    SniToolTip toolTip() const;
    bool itemIsMenu() const { return false; } // hosts then call Activate on a click
    QDBusObjectPath menu() const;
    QString label() const;
    QString labelGuide() const;
    uint orderingIndex() const { return 0; }

public Q_SLOTS:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString &orientation);
    void ProvideXdgActivationToken(const QString &token);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString &status);
    void XAyatanaNewLabel(const QString &label, const QString &guide);

private:
    StatusNotifierItem &m_item;
};

/// The item's menu as com.canonical.dbusmenu, at /MenuBar: "Open Vesk", a separator, "Quit Vesk".
/// GNOME's tray extension shows no item without a menu and opens it on a single click.
class DBusMenuAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    enum Entry
    {
        Root = 0,
        Open = 1,
        Separator = 2,
        Quit = 3
    };

    DBusMenuAdaptor(QObject *object, StatusNotifierItem &item);

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    /// The menu tree with every property.
    static DBusMenuLayout layout();

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                   DBusMenuLayout &layout);
    DBusMenuItems GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames);
    QDBusVariant GetProperty(int id, const QString &name);
    void Event(int id, const QString &eventId, const QDBusVariant &data, uint timestamp);
    QList<int> EventGroup(const DBusMenuEvents &events, QList<int> &idErrors);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors);

Q_SIGNALS:
    void LayoutUpdated(uint revision, int parent);
    void ItemsPropertiesUpdated(const DBusMenuItems &updatedProps, const DBusMenuItemKeysList &removedProps);
    void ItemActivationRequested(int id, uint timestamp);

private:
    StatusNotifierItem &m_item;
};

/// Our status item for desktops that host StatusNotifierItems (KDE, GNOME with the AppIndicator
/// extension, XFCE, waybar, Budgie, Cinnamon): the mark, the title as a label beside it where the
/// host shows labels, and as title and tool tip where it does not. It registers with the watcher
/// on its own bus connection and registers again whenever the watcher comes back; when the session
/// bus itself goes away, it connects again (every `ReconnectMs`) and registers with the new bus.
class StatusNotifierItem : public QObject
{
    Q_OBJECT

public:
    static constexpr QStringView WatcherService = u"org.kde.StatusNotifierWatcher";
    static constexpr QStringView WatcherPath = u"/StatusNotifierWatcher";
    static constexpr QStringView ItemPath = u"/StatusNotifierItem";
    static constexpr QStringView MenuPath = u"/MenuBar";
    static constexpr int ReconnectMs = 1000;

    explicit StatusNotifierItem(QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    /// Whether a watcher is on the session bus now.
    static bool watcherPresent();

    /// Exports the item and registers it with the watcher (when there is one). False when there
    /// is no session bus.
    bool start();
    /// Registered with the current watcher.
    bool isRegistered() const { return m_registered; }
    /// The bus name hosts reach the item at.
    QString serviceName() const;

    /// The text beside the icon; empty shows the icon alone. Hosts hear of a change only when the
    /// text really changed.
    void setTitle(const QString &title);
    QString title() const { return m_title; }
    void setIcon(const QString &themeName, const SniPixmaps &pixmaps);
    QString iconName() const { return m_iconName; }
    const SniPixmaps &pixmaps() const { return m_pixmaps; }
    /// The widest text the label is expected to hold, so hosts can keep its width steady.
    static QString labelGuide() { return QStringLiteral("in 59m"); }

    /// Called by the adaptors.
    void activate(QPoint point) { Q_EMIT activated(point); }
    void menuEvent(int id);

Q_SIGNALS:
    /// The item was clicked (or double-clicked on GNOME); the point is the click or icon position
    /// in screen coordinates, or null when the host gave none.
    void activated(QPoint point);
    /// "Open Vesk" was chosen in the item's menu.
    void openRequested();
    /// "Quit Vesk" was chosen in the item's menu.
    void quitRequested();
    /// The watcher accepted the item: it is on screen.
    void registered();
    /// The watcher went away (or turned the item down): the item is not on screen.
    void unregistered();

private Q_SLOTS:
    void onBusDisconnected();

private:
    bool connectAndExport();
    void dropConnection();
    void registerWithWatcher();

    QDBusConnection m_connection;
    QObject *m_itemObject = nullptr;
    QObject *m_menuObject = nullptr;
    SniItemAdaptor *m_itemAdaptor = nullptr;
    DBusMenuAdaptor *m_menuAdaptor = nullptr;
    QDBusServiceWatcher *m_watcher = nullptr;
    bool m_started = false;
    bool m_registered = false;
    QString m_title;
    QString m_iconName;
    SniPixmaps m_pixmaps;
};
