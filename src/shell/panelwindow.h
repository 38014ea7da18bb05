#pragma once

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
class PanelWindow : public QQuickView
{
    Q_OBJECT

public:
    enum class Mode
    {
        Popup,  ///< dropped down from the tray item
        Window, ///< an ordinary window the desktop places
    };

    static constexpr int Width = 440;

    /// The panel view every instance shows unless told otherwise.
    static QUrl defaultSource();

    PanelWindow(Store &store, Mode mode, const QUrl &source = defaultSource(), QWindow *parent = nullptr);

    Mode mode() const { return m_mode; }
    void setMode(Mode mode);

    /// Opens the panel if it is closed and closes it if it is open. A toggle right after the
    /// panel hid itself on focus loss is the click that caused the loss, and does nothing.
    void toggle(std::optional<QPoint> anchor = std::nullopt);
    /// Opens (or raises) the panel at `anchor`; with none, at the last anchor or the top-right
    /// corner of the screen.
    void open(std::optional<QPoint> anchor = std::nullopt);
public Q_SLOTS:
    void hidePanel();

public:
    bool isOpen() const { return isVisible(); }

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
