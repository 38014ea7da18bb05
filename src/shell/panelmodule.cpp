#include "shell/panelmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace PanelModule {

namespace {

/// Where the module may be, in order, as absolute paths.
QStringList candidates()
{
    const QString here = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(FileName);
    return {QDir(here).absoluteFilePath(name), QDir::cleanPath(here + u"/../libexec/vesk-bar/"_s + name)};
}

} // namespace

std::unique_ptr<Panel> create(Store &store, Panel::Mode mode, QString *error)
{
    const QStringList places = candidates();
    const auto found = std::find_if(places.cbegin(), places.cend(),
                                    [](const QString &place) { return QFileInfo(place).isFile(); });
    if (found == places.cend()) {
        *error = u"the panel module is missing (looked for %1)"_s.arg(places.join(u" and "_s));
        return nullptr;
    }
    const QString &path = *found;
    // Every symbol is resolved now, so a module that does not fit this application fails here
    // with the loader's reason instead of ending the process on its first call. The library is
    // never unloaded: the module's types stay registered with Qt for the life of the process.
    QLibrary module(path);
    module.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!module.load()) {
        *error = u"the panel module did not load: %1"_s.arg(module.errorString());
        return nullptr;
    }
    const auto *version = reinterpret_cast<const char *>(module.resolve(PanelVersionSymbol));
    if (!version || std::strcmp(version, PanelVersion) != 0) {
        *error =
            u"%1 is not the panel module of this Vesk Bar (%2); after an update, start Vesk Bar again"_s.arg(
                path, QString::fromLatin1(PanelVersion));
        return nullptr;
    }
    const auto createPanel = reinterpret_cast<CreatePanel>(module.resolve(CreatePanelSymbol));
    if (!createPanel) {
        *error = u"%1 has no panel"_s.arg(path);
        return nullptr;
    }
    std::unique_ptr<Panel> panel(createPanel(store, mode));
    if (!panel)
        *error = u"%1 could not make the panel"_s.arg(path);
    return panel;
}

} // namespace PanelModule
