#pragma once

#include "shell/panel.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QQuickView>
#include <QRect>

#include <optional>

class Store;

/// Where the panel goes for a click at `anchor`: against the screen edge nearest the anchor
/// (under a top bar, over a bottom bar, beside a side bar), reaching towards the anchor, and kept
/// inside `available` with a 4-pixel margin.
QRect placePanel(QPoint anchor, QSize size, const QRect &available);

/// The window that holds the panel view: a frameless, dark, 440-pixel-wide window whose height
/// follows the content, anchored at the tray item and hidden again when it loses focus. Without
/// a tray (or on a Wayland session, where nothing can place a window) it is an ordinary window.
class PanelWindow : public QQuickView, public Panel
{
    Q_OBJECT

public:
    using Mode = Panel::Mode;

    static constexpr int Width = 440;

    /// The panel view every instance shows unless told otherwise.
    static QUrl defaultSource();

    PanelWindow(Store &store, Mode mode, const QUrl &source = defaultSource(), QWindow *parent = nullptr);

    Mode mode() const override { return m_mode; }
    void setMode(Mode mode) override;

    void toggle(std::optional<QPoint> anchor = std::nullopt) override;
    void open(std::optional<QPoint> anchor = std::nullopt) override;
public Q_SLOTS:
    void hidePanel() override;

public:
    bool isOpen() const override { return isVisible(); }
    bool isExposed() const override { return QQuickView::isExposed(); }
    QRect geometry() const override { return QQuickView::geometry(); }

    /// The view's load errors; empty when the panel loaded.
    QString loadErrors() const { return m_loadErrors; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void applyMode();
    void place();
    void activeChangedSlot();
    int contentHeight() const;

    Mode m_mode;
    std::optional<QPoint> m_anchor;
    bool m_wasActive = false;
    QElapsedTimer m_lastAutoHide;
    QString m_loadErrors;
};
