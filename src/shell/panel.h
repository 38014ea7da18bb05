#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

class Store;

/// The panel as the application drives it. The panel itself (its window, the QML engine and the
/// views) lives in a module loaded on the first open, so the tray runs without Qt Quick; this
/// interface is all the application knows of it.
class Panel
{
public:
    enum class Mode
    {
        Popup,  ///< dropped down from the tray item
        Window, ///< an ordinary window the desktop places
    };

    virtual ~Panel() = default;

    virtual Mode mode() const = 0;
    virtual void setMode(Mode mode) = 0;

    /// Opens the panel if it is closed and closes it if it is open. A toggle right after the
    /// panel hid itself on focus loss is the click that caused the loss, and does nothing.
    virtual void toggle(std::optional<QPoint> anchor = std::nullopt) = 0;
    /// Opens (or raises) the panel at `anchor`; with none, at the last anchor or the top-right
    /// corner of the screen.
    virtual void open(std::optional<QPoint> anchor = std::nullopt) = 0;
    virtual void hidePanel() = 0;

    virtual bool isOpen() const = 0;
    /// Whether the window is on screen as far as the windowing system is concerned.
    virtual bool isExposed() const = 0;
    virtual QRect geometry() const = 0;
};

/// What the panel module exports under `CreatePanelSymbol`: a new panel on `store`, or null when
/// it could not be made.
using CreatePanel = Panel *(*)(Store &store, Panel::Mode mode);
inline constexpr char CreatePanelSymbol[] = "vesk_bar_create_panel";
/// What the panel module exports under `PanelVersionSymbol`: the version it was built for. The
/// application takes no panel from a module of another version (one updated under a running
/// application), whose idea of the `Store` and the records may differ from its own.
inline constexpr char PanelVersionSymbol[] = "vesk_bar_panel_version";
inline constexpr char PanelVersion[] = "vesk-bar-panel " VESK_BAR_VERSION;
