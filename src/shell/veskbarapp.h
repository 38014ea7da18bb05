#pragma once

#include "platform/autostart.h"
#include "platform/canberrasounds.h"
#include "platform/clock.h"
#include "platform/desktopnotifications.h"
#include "platform/desktopurlopener.h"
#include "platform/hotkeys.h"
#include "platform/qnamhttp.h"
#include "platform/qsettingsstore.h"
#include "platform/qtclipboard.h"
#include "service/tokenstore.h"
#include "shell/commandline.h"
#include "shell/panel.h"

#include <QObject>
#include <QStringList>

#include <memory>

class AppDelegate;
class HeadsUp;
class SingleInstance;
class Store;
class TrayIcon;

/// The application: builds the desktop adapters, the one Store, the status item, the panel
/// window and the hot keys, and routes what arrives from outside (tray clicks, hot keys, URLs and
/// commands handed over by later launches) to them. Lives as long as the process.
class VeskBarApp : public QObject
{
    Q_OBJECT

public:
    /// `instance` (may be null) is the single-instance lock this process holds.
    VeskBarApp(CommandLine commandLine, SingleInstance *instance, QObject *parent = nullptr);
    ~VeskBarApp() override;

    /// Starts everything, in order: delegate, hot keys and their toggle action, the Store and the
    /// copy action, the status item, then this process's own arguments on the next turn of the
    /// event loop.
    void start();

    /// Opens the panel if it is closed and closes it if it is open, as a click on the item would.
    void toggleVeskPanel();
    /// Opens and raises the panel when it is closed; leaves it open when it is open.
    void bringUpPanel();

    /// Arguments of this launch or handed over by a later one. A later launch without arguments
    /// brings the panel up.
    void handleArguments(const QStringList &arguments, bool fromLaterLaunch);
    void handleCommandLine(const CommandLine &commandLine, bool fromLaterLaunch);

    Store &store() const { return *m_store; }
    /// The panel; its module loads on first use, so the app stays small until then. When the
    /// module cannot be loaded, the reason goes to standard error once and this is a panel that
    /// never opens, so the tray keeps running.
    Panel &panel();
    TrayIcon &tray() const { return *m_tray; }
    AppDelegate &delegate() const { return *m_delegate; }

private:
    void followTrayKind();
    bool panelIsPopup() const;
    /// Heads-up notifications, and the status line `vesk-bar --status` reads from the instance.
    void startHeadsUpAndStatus();

    CommandLine m_commandLine;
    SingleInstance *m_instance;

    QnamHttp m_http;
    SystemClock m_clock;
    QSettingsStore m_settings;
    XdgAutostart m_loginItem;
    DesktopUrlOpener m_urlOpener;
    QtClipboard m_clipboard;
    CanberraSounds m_sounds;
    TokenStore m_tokens;
    HotKeys m_hotKeys;
    DesktopNotifications m_notifications{QDBusConnection::sessionBus()};

    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<Store> m_store;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<HeadsUp> m_headsUp;
};
