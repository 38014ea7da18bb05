// The panel module's one entry point. The module holds the QML module "Vesk" (the views, their
// C++ helpers and the registrations of the application's types), the panel window and the Qt
// Quick set-up; the application loads it on the first open and reaches it only through this.
#include "shell/benchtrace.h"
#include "shell/panelwindow.h"

#include <QQuickWindow>

#include <type_traits>

extern "C" Q_DECL_EXPORT const char vesk_bar_panel_version[sizeof PanelVersion] =
    "vesk-bar-panel " VESK_BAR_VERSION;

extern "C" Q_DECL_EXPORT Panel *vesk_bar_create_panel(Store &store, Panel::Mode mode)
{
    // The panel is a few flat rectangles and text: the software scene graph draws it without a
    // GL context. This must come before the first Qt Quick window.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    auto *panel = new PanelWindow(store, mode);
    if (BenchTrace::enabled()) {
        QObject::connect(
            panel, &QQuickWindow::frameSwapped, panel, [] { BenchTrace::mark("frame"); },
            Qt::DirectConnection);
    }
    return panel;
}

// The application checks the signature through this declaration.
static_assert(std::is_same_v<decltype(&vesk_bar_create_panel), CreatePanel>);
