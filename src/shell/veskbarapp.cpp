#include "shell/veskbarapp.h"

#include "platform/hotkeys.h"
#include "platform/singleinstance.h"
#include "service/endpoints.h"
#include "shell/appdelegate.h"
#include "shell/panelwindow.h"
#include "shell/trayicon.h"
#include "state/store.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>

namespace {

// Nothing can place a window on a Wayland session: the panel is an ordinary window there.
bool canPlaceWindows()
{
    return !QGuiApplication::platformName().startsWith(u"wayland");
}

} // namespace

VeskBarApp::VeskBarApp(CommandLine commandLine, SingleInstance *instance, QObject *parent)
    : QObject(parent)
    , m_commandLine(std::move(commandLine))
    , m_instance(instance)
{
}

VeskBarApp::~VeskBarApp()
{
    HotKeys::shared().onToggle = [] {};
    HotKeys::shared().onCopy = [] {};
    m_tray.reset();
    m_panel.reset();
    // Replies still in flight end before the Store and the network go.
    m_http.abortAll();
    m_store.reset();
}

void VeskBarApp::start()
{
    if (m_store)
        return;
    m_delegate = std::make_unique<AppDelegate>(m_settings, m_sounds);
    connect(m_delegate.get(), &AppDelegate::toggleRequested, this, &VeskBarApp::toggleVeskPanel);

    HotKeys &keys = HotKeys::shared();
    keys.install();
    keys.onToggle = [self = QPointer<VeskBarApp>(this)] {
        if (self)
            self->toggleVeskPanel();
    };

    m_store = std::make_unique<Store>(Services{m_http, m_clock, m_settings, m_loginItem, m_urlOpener, m_clipboard,
                                               m_sounds, Endpoints::apiBase(), Endpoints::webUrl()});

    m_panel = std::make_unique<PanelWindow>(*m_store, PanelWindow::Mode::Popup);

    m_tray = std::make_unique<TrayIcon>();
    m_tray->setTitle(m_store->menuTitle());
    connect(m_store.get(), &Store::menuTitleChanged, this, [this] { m_tray->setTitle(m_store->menuTitle()); });
    connect(m_tray.get(), &TrayIcon::activated, this, [this](std::optional<QPoint> anchor) { m_panel->toggle(anchor); });
    connect(m_tray.get(), &TrayIcon::openRequested, this, [this] { m_panel->open(); });
    connect(m_tray.get(), &TrayIcon::quitRequested, QCoreApplication::instance(), &QCoreApplication::quit,
            Qt::QueuedConnection);
    connect(m_tray.get(), &TrayIcon::shown, this, &VeskBarApp::armCopyKey);
    connect(m_tray.get(), &TrayIcon::kindChanged, this, &VeskBarApp::followTrayKind);
    // Without any tray the panel window stands in for the item.
    connect(m_panel.get(), &PanelWindow::firstShown, this, [this] {
        if (m_tray->kind() == TrayIcon::Kind::None)
            armCopyKey();
    });
    m_tray->start();
    followTrayKind();

    if (m_instance) {
        connect(m_instance, &SingleInstance::received, this,
                [this](const QStringList &arguments) { handleArguments(arguments, true); });
        m_instance->listen();
    }

    QStringList own = m_commandLine.urls;
    if (m_commandLine.toggle)
        own << u"--toggle"_qs;
    if (m_commandLine.copyAvailability)
        own << u"--copy-availability"_qs;
    const bool showWindow = m_tray->kind() == TrayIcon::Kind::None && !m_commandLine.autostart;
    QMetaObject::invokeMethod(
        this,
        [this, own, showWindow] {
            if (showWindow)
                m_panel->open();
            handleArguments(own, false);
        },
        Qt::QueuedConnection);
}

void VeskBarApp::armCopyKey()
{
    HotKeys::shared().onCopy = [store = QPointer<Store>(m_store.get())] {
        if (store)
            store->copyForCurrent();
    };
}

void VeskBarApp::followTrayKind()
{
    const bool popup = canPlaceWindows() && m_tray->kind() != TrayIcon::Kind::None;
    m_panel->setMode(popup ? PanelWindow::Mode::Popup : PanelWindow::Mode::Window);
}

void VeskBarApp::toggleVeskPanel()
{
    // The XEmbed icon knows where it is; otherwise the panel uses the last click point.
    m_panel->toggle(m_tray->iconAnchor());
}

void VeskBarApp::handleArguments(const QStringList &arguments, bool fromLaterLaunch)
{
    QStringList urls;
    bool toggle = false;
    bool copy = false;
    bool autostart = false;
    for (const QString &argument : arguments) {
        if (argument == u"--toggle")
            toggle = true;
        else if (argument == u"--copy-availability")
            copy = true;
        else if (argument == u"--autostart")
            autostart = true;
        else if (!argument.startsWith(u'-'))
            urls << argument;
    }
    m_delegate->openUrls(urls);
    if (toggle)
        toggleVeskPanel();
    if (copy)
        m_store->copyForCurrent();
    if (fromLaterLaunch && urls.isEmpty() && !toggle && !copy && !autostart)
        m_panel->open();
}
