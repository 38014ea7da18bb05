#pragma once

#include <QObject>
#include <QPoint>

#include <memory>
#include <optional>

class QMenu;
class QSystemTrayIcon;
class StatusNotifierItem;

/// The status item, on whatever the desktop offers: our StatusNotifierItem when a watcher is on
/// the session bus (it follows the watcher as it comes and goes), else an XEmbed tray icon, else
/// nothing (the panel is then an ordinary window).
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    enum class Kind
    {
        None,
        StatusNotifier,
        SystemTray
    };

    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    /// Chooses the kind and puts the item on screen.
    void start();
    Kind kind() const { return m_kind; }

    /// The text shown beside (or, where hosts show no text, in the tool tip of) the mark.
    void setTitle(const QString &title);

    StatusNotifierItem *statusNotifierItem() const { return m_sni.get(); }

    /// Where the XEmbed icon is: the middle of its edge that faces the screen's middle; none when
    /// the tray does not say.
    std::optional<QPoint> iconAnchor() const;

    /// The theme icon name of the installed tray mark (full colour, never symbolic); empty when it
    /// is not installed, and the item is then drawn from its pixmaps alone.
    static QString installedIconName();

Q_SIGNALS:
    /// The item was clicked; the point (when known) is where the panel should hang from.
    void activated(std::optional<QPoint> anchor);
    void openRequested();
    void quitRequested();
    /// The item was put on screen (again).
    void shown();
    void kindChanged(TrayIcon::Kind kind);

private:
    void useStatusNotifier();
    void useFallback();
    void setKind(Kind kind);
    void systemTrayActivated(int reason);

    Kind m_kind = Kind::None;
    QString m_title;
    std::unique_ptr<StatusNotifierItem> m_sni;
    std::unique_ptr<QSystemTrayIcon> m_systemTray;
    std::unique_ptr<QMenu> m_menu;
};
