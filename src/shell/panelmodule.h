#pragma once

#include "shell/panel.h"

#include <QString>

#include <memory>

/// Finds and loads the panel module on the first open. The module sits next to the application
/// (or in the libexec folder beside the folder of a program in the build tree) and is only ever
/// loaded by its absolute path, never through the library search path.
namespace PanelModule {

/// The file name of the module.
inline constexpr char FileName[] = "vesk-bar-panel.so";

/// A new panel on `store`; null, with the reason in `error`, when the module is missing, does not
/// load or does not make a panel. The module stays loaded for the rest of the process.
std::unique_ptr<Panel> create(Store &store, Panel::Mode mode, QString *error);

} // namespace PanelModule
