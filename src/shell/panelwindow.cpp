#include "shell/panelwindow.h"

#include "state/store.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {
constexpr int Margin = 4;
constexpr int Reach = 16; // how far the panel reaches past the anchor towards the screen's middle
constexpr int DefaultHeight = 480;
constexpr qint64 ClickAfterHideMs = 300;
const QColor Background(0x0C, 0x0C, 0x16);
} // namespace

QRect placePanel(QPoint anchor, QSize size, const QRect &available)
{
    const bool upper = anchor.y() < available.center().y();
    const bool leftHalf = anchor.x() < available.center().x();
    const int width = std::min(size.width(), available.width() - 2 * Margin);
    const int height = std::min(size.height(), available.height() - 2 * Margin);
    int x = leftHalf ? anchor.x() - Reach : anchor.x() - width + Reach;
    int y = upper ? anchor.y() + Margin : anchor.y() - height - Margin;
    x = std::clamp(x, available.left() + Margin, available.left() + available.width() - Margin - width);
    y = std::clamp(y, available.top() + Margin, available.top() + available.height() - Margin - height);
    return {x, y, width, height};
}

QUrl PanelWindow::defaultSource()
{
    return QUrl(u"qrc:/qt/qml/Vesk/views/Panel.qml"_qs);
}

PanelWindow::PanelWindow(Store &store, Mode mode, const QUrl &source, QWindow *parent)
    : QQuickView(parent)
    , m_mode(mode)
{
    setTitle(u"Vesk"_qs);
    setColor(Background);
    setResizeMode(QQuickView::SizeRootObjectToView);
    engine()->addImportPath(u"qrc:/qt/qml"_qs);
    // "Quit Vesk" in the panel calls Qt.quit().
    connect(engine(), &QQmlEngine::quit, QCoreApplication::instance(), &QCoreApplication::quit,
            Qt::QueuedConnection);
    connect(engine(), &QQmlEngine::exit, QCoreApplication::instance(), &QCoreApplication::exit,
            Qt::QueuedConnection);
    setInitialProperties({{u"store"_qs, QVariant::fromValue(&store)}});
    setSource(source);
    if (status() == QQuickView::Error) {
        for (const QQmlError &error : errors())
            m_loadErrors += error.toString() + u'\n';
        qWarning("vesk-bar: the panel did not load:\n%s", qPrintable(m_loadErrors));
    }
    if (QQuickItem *root = rootObject()) {
        connect(root, &QQuickItem::implicitHeightChanged, this, [this] {
            if (isVisible())
                place();
        });
        // The panel asks to be closed after it handed something to another application.
        const int closeSignal = root->metaObject()->indexOfSignal("closeRequested()");
        if (closeSignal >= 0)
            connect(root, root->metaObject()->method(closeSignal), this,
                    metaObject()->method(metaObject()->indexOfSlot("hidePanel()")));
    }
    connect(this, &QWindow::activeChanged, this, &PanelWindow::activeChangedSlot);
    applyMode();
}

void PanelWindow::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    const bool wasVisible = isVisible();
    if (wasVisible)
        hide();
    m_mode = mode;
    applyMode();
    if (wasVisible)
        open(m_anchor);
}

void PanelWindow::applyMode()
{
    if (m_mode == Mode::Popup)
        setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    else
        setFlags(Qt::Window);
}

int PanelWindow::contentHeight() const
{
    const QQuickItem *root = rootObject();
    const qreal height = root ? root->implicitHeight() : 0;
    return height > 0 ? int(std::ceil(height)) : DefaultHeight;
}

void PanelWindow::place()
{
    const QSize size(Width, contentHeight());
    if (m_mode == Mode::Window) {
        resize(size);
        return;
    }
    QScreen *screen = m_anchor ? QGuiApplication::screenAt(*m_anchor) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen(); // screenAt() finds nothing on some platforms
    if (!screen) {
        resize(size);
        return;
    }
    const QRect available = screen->availableGeometry();
    const QPoint anchor =
        m_anchor.value_or(QPoint(available.left() + available.width() - 1, available.top()));
    setGeometry(placePanel(anchor, size, available));
}

void PanelWindow::toggle(std::optional<QPoint> anchor)
{
    if (isVisible()) {
        hidePanel();
        return;
    }
    if (m_lastAutoHide.isValid() && m_lastAutoHide.elapsed() < ClickAfterHideMs)
        return;
    open(anchor);
}

void PanelWindow::open(std::optional<QPoint> anchor)
{
    if (anchor)
        m_anchor = anchor;
    m_lastAutoHide.invalidate();
    place();
    show();
    raise();
    requestActivate();
}

void PanelWindow::hidePanel()
{
    m_wasActive = false;
    hide();
}

void PanelWindow::activeChangedSlot()
{
    if (isActive()) {
        m_wasActive = true;
        return;
    }
    // A window that never had focus (focus stealing prevention) stays until it is closed.
    if (m_mode == Mode::Popup && m_wasActive && isVisible()) {
        hidePanel();
        m_lastAutoHide.start();
    }
}

void PanelWindow::keyPressEvent(QKeyEvent *event)
{
    QQuickView::keyPressEvent(event);
    // Escape closes the panel unless something inside (an open menu, say) used it.
    if (event->key() == Qt::Key_Escape && (!activeFocusItem() || !event->isAccepted())) {
        hidePanel();
        event->accept();
    }
}
