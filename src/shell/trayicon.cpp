#include "shell/trayicon.h"

#include "platform/statusnotifieritem.h"
#include "views/ghostimage.h"
#include "views/palette.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>

namespace {

// The usual panel sizes and their doubles, for HiDPI panels.
constexpr int PixmapSizes[] = {16, 22, 24, 32, 44, 48, 64};

QIcon markIcon()
{
    QIcon icon;
    for (int size : PixmapSizes) {
        QImage image = ghostImage(size, 1.0, Pal::violet);
        QImage square(size, size, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        image.setDevicePixelRatio(1.0);
        QPainter painter(&square);
        painter.drawImage((size - image.width()) / 2, 0, image);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(square));
    }
    return icon;
}

SniPixmaps markPixmaps()
{
    SniPixmaps out;
    for (int size : PixmapSizes)
        out.append(toSniPixmap(ghostImage(size, 1.0, Pal::violet)));
    return out;
}

// Where the pointer is, on X11: hosts that give no click point still had one.
std::optional<QPoint> pointerOnX11()
{
    if (QGuiApplication::platformName() != u"xcb")
        return std::nullopt;
    return QCursor::pos();
}

} // namespace

TrayIcon::TrayIcon(QObject *parent)
    : QObject(parent)
{}

TrayIcon::~TrayIcon() = default;

QString TrayIcon::installedIconName()
{
    const QString name = QStringLiteral("vesk-bar-tray");
    const QString file =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                               QStringLiteral("icons/hicolor/scalable/status/") + name + u".svg"_qs);
    return file.isEmpty() ? QString() : name;
}

void TrayIcon::start()
{
    if (m_sni)
        return;
    m_sni = std::make_unique<StatusNotifierItem>();
    m_sni->setIcon(installedIconName(), markPixmaps());
    m_sni->setTitle(m_title);
    connect(m_sni.get(), &StatusNotifierItem::activated, this, [this](QPoint point) {
        Q_EMIT activated(point.isNull() ? pointerOnX11() : std::optional<QPoint>(point));
    });
    connect(m_sni.get(), &StatusNotifierItem::openRequested, this, &TrayIcon::openRequested);
    connect(m_sni.get(), &StatusNotifierItem::quitRequested, this, &TrayIcon::quitRequested);
    connect(m_sni.get(), &StatusNotifierItem::registered, this, &TrayIcon::useStatusNotifier);
    connect(m_sni.get(), &StatusNotifierItem::unregistered, this, &TrayIcon::useFallback);
    // Without a session bus there is no status-notifier item to wait for.
    const bool watched = m_sni->start();
    if (watched && StatusNotifierItem::watcherPresent())
        setKind(Kind::StatusNotifier); // on screen once the watcher answers
    else
        useFallback();
}

void TrayIcon::useStatusNotifier()
{
    if (m_systemTray)
        m_systemTray->hide();
    setKind(Kind::StatusNotifier);
    Q_EMIT shown();
}

void TrayIcon::useFallback()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        setKind(Kind::None);
        return;
    }
    if (!m_systemTray) {
        m_systemTray = std::make_unique<QSystemTrayIcon>(markIcon());
        m_menu = std::make_unique<QMenu>();
        connect(m_menu->addAction(u"Open Vesk"_qs), &QAction::triggered, this, &TrayIcon::openRequested);
        m_menu->addSeparator();
        connect(m_menu->addAction(u"Quit Vesk"_qs), &QAction::triggered, this, &TrayIcon::quitRequested);
        m_systemTray->setContextMenu(m_menu.get());
        connect(m_systemTray.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) { systemTrayActivated(int(reason)); });
    }
    // The tray has no room for text: the title goes into the tool tip.
    m_systemTray->setToolTip(m_title.isEmpty() ? u"Vesk"_qs : u"Vesk \u00b7 "_qs + m_title);
    m_systemTray->show();
    setKind(Kind::SystemTray);
    Q_EMIT shown();
}

void TrayIcon::systemTrayActivated(int reason)
{
    if (reason != QSystemTrayIcon::Trigger)
        return;
    const std::optional<QPoint> anchor = iconAnchor();
    Q_EMIT activated(anchor ? anchor : pointerOnX11());
}

std::optional<QPoint> TrayIcon::iconAnchor() const
{
    if (m_kind != Kind::SystemTray || !m_systemTray)
        return std::nullopt;
    const QRect icon = m_systemTray->geometry();
    if (!icon.isValid())
        return std::nullopt;
    // The panel hangs below an icon in the upper half of the screen and stands above one in the
    // lower half, clear of the bar even where the window manager reserves no room for it.
    QScreen *screen = QGuiApplication::screenAt(icon.center());
    const bool upper = !screen || icon.center().y() < screen->geometry().center().y();
    return QPoint(icon.center().x(), upper ? icon.bottom() + 1 : icon.top() - 1);
}

void TrayIcon::setKind(Kind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    Q_EMIT kindChanged(kind);
}

void TrayIcon::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    if (m_sni)
        m_sni->setTitle(title);
    if (m_systemTray)
        m_systemTray->setToolTip(title.isEmpty() ? u"Vesk"_qs : u"Vesk \u00b7 "_qs + title);
}
