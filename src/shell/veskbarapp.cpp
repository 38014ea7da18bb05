#include "shell/veskbarapp.h"

#include "platform/singleinstance.h"
#include "service/endpoints.h"
#include "shell/appdelegate.h"
#include "shell/benchtrace.h"
#include "shell/panelmodule.h"
#include "shell/trayicon.h"
#include "state/barstatus.h"
#include "state/headsup.h"
#include "state/store.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonDocument>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// Nothing can place a window on a Wayland session: the panel is an ordinary window there.
bool canPlaceWindows()
{
    return !QGuiApplication::platformName().startsWith(u"wayland");
}

// Stands in for a panel whose module could not be loaded: it never opens.
class NoPanel : public Panel
{
public:
    explicit NoPanel(Mode mode)
        : m_mode(mode)
    {}
    Mode mode() const override { return m_mode; }
    void setMode(Mode mode) override { m_mode = mode; }
    void toggle(std::optional<QPoint>) override {}
    void open(std::optional<QPoint>) override {}
    void hidePanel() override {}
    bool isOpen() const override { return false; }
    bool isExposed() const override { return false; }
    QRect geometry() const override { return {}; }

private:
    Mode m_mode;
};

} // namespace

VeskBarApp::VeskBarApp(CommandLine commandLine, SingleInstance *instance, QObject *parent)
    : QObject(parent)
    , m_commandLine(std::move(commandLine))
    , m_instance(instance)
{}

VeskBarApp::~VeskBarApp()
{
    m_headsUp.reset();
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
    m_delegate = std::make_unique<AppDelegate>(m_settings, m_sounds, m_tokens);
    // The sign-in brings the panel up; toggling would close a window left open.
    connect(m_delegate.get(), &AppDelegate::panelRequested, this, &VeskBarApp::bringUpPanel);

    m_hotKeys.install();
    connect(&m_hotKeys, &HotKeys::togglePressed, this, &VeskBarApp::toggleVeskPanel);

    m_store =
        std::make_unique<Store>(Services{m_http, m_clock, m_settings, m_loginItem, m_urlOpener, m_clipboard,
                                         m_sounds, m_tokens, Endpoints::apiBase(), Endpoints::webUrl()});
    connect(m_delegate.get(), &AppDelegate::veskConnected, m_store.get(), &Store::veskConnected);
    // The copy key works from start-up, whether or not anything is on screen yet.
    connect(&m_hotKeys, &HotKeys::copyPressed, m_store.get(), &Store::copyForCurrent);
    // The panel names the copy key only when the desktop let us bind it.
    m_store->setCopyShortcut(m_hotKeys.isRegistered(HotKeys::Copy) ? u"Ctrl+Alt+A"_s : QString());

    m_tray = std::make_unique<TrayIcon>();
    m_tray->setTitle(m_store->menuTitle());
    connect(m_store.get(), &Store::menuTitleChanged, this,
            [this] { m_tray->setTitle(m_store->menuTitle()); });
    connect(m_tray.get(), &TrayIcon::activated, this,
            [this](std::optional<QPoint> anchor) { panel().toggle(anchor); });
    connect(m_tray.get(), &TrayIcon::openRequested, this, [this] { panel().open(); });
    connect(m_tray.get(), &TrayIcon::quitRequested, QCoreApplication::instance(), &QCoreApplication::quit,
            Qt::QueuedConnection);
    connect(m_tray.get(), &TrayIcon::kindChanged, this, &VeskBarApp::followTrayKind);
    m_tray->start();
    followTrayKind();

    BenchTrace::listenForCommands([store = QPointer<Store>(m_store.get())] {
        if (store)
            store->refresh();
    });

    startHeadsUpAndStatus();
    if (m_instance) {
        connect(m_instance, &SingleInstance::received, this,
                [this](const QStringList &arguments) { handleArguments(arguments, true); });
        m_instance->listen();
    }

    const bool showWindow = m_tray->kind() == TrayIcon::Kind::None && !m_commandLine.autostart;
    QMetaObject::invokeMethod(
        this,
        [this, showWindow] {
            if (showWindow)
                panel().open();
            handleCommandLine(m_commandLine, false);
        },
        Qt::QueuedConnection);
}

void VeskBarApp::startHeadsUpAndStatus()
{
    m_headsUp = std::make_unique<HeadsUp>(*m_store, m_clock, m_notifications);
    connect(m_headsUp.get(), &HeadsUp::openPanelRequested, this, [this] { panel().open(); });
    if (!m_instance)
        return;
    const auto publish = [this] {
        m_instance->publishStatus(QJsonDocument(barStatus(*m_store)).toJson(QJsonDocument::Compact));
    };
    publish();
    for (auto changed :
         {&Store::menuTitleChanged, &Store::nextChanged, &Store::hasTokenChanged, &Store::nowChanged})
        connect(m_store.get(), changed, this, publish);
}

Panel &VeskBarApp::panel()
{
    if (!m_panel) {
        BenchTrace::mark("panel-begin");
        const Panel::Mode mode = panelIsPopup() ? Panel::Mode::Popup : Panel::Mode::Window;
        QString error;
        m_panel = PanelModule::create(*m_store, mode, &error);
        if (!m_panel) {
            std::fprintf(stderr, "vesk-bar: the panel cannot open: %s. The tray item keeps running.\n",
                         qPrintable(error));
            m_panel = std::make_unique<NoPanel>(mode);
        }
        BenchTrace::mark("panel-built");
    }
    return *m_panel;
}

bool VeskBarApp::panelIsPopup() const
{
    return canPlaceWindows() && m_tray->kind() != TrayIcon::Kind::None;
}

void VeskBarApp::followTrayKind()
{
    if (m_panel)
        m_panel->setMode(panelIsPopup() ? Panel::Mode::Popup : Panel::Mode::Window);
}

void VeskBarApp::toggleVeskPanel()
{
    // The XEmbed icon knows where it is; otherwise the panel uses the last click point.
    panel().toggle(m_tray->iconAnchor());
}

void VeskBarApp::bringUpPanel()
{
    panel().open(m_tray->iconAnchor());
}

void VeskBarApp::handleArguments(const QStringList &arguments, bool fromLaterLaunch)
{
    // The handed-over list holds the arguments without the program name.
    handleCommandLine(CommandLine::parse(QStringList{QString()} + arguments), fromLaterLaunch);
}

void VeskBarApp::handleCommandLine(const CommandLine &commandLine, bool fromLaterLaunch)
{
    m_delegate->openUrls(commandLine.urls);
    if (commandLine.toggle)
        toggleVeskPanel();
    if (commandLine.copyAvailability)
        m_store->copyForCurrent();
    if (fromLaterLaunch && commandLine.urls.isEmpty() && !commandLine.toggle &&
        !commandLine.copyAvailability && !commandLine.autostart)
        panel().open();
}
