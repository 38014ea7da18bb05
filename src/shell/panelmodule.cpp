#include "shell/panelmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <dlfcn.h>

using namespace Qt::Literals::StringLiterals;

namespace PanelModule {

QStringList candidates()
{
    const QString here = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(FileName);
    return {QDir(here).absoluteFilePath(name), QDir::cleanPath(here + u"/../libexec/vesk-bar/"_s + name)};
}

std::unique_ptr<Panel> create(Store &store, Panel::Mode mode, QString *error)
{
    const QStringList places = candidates();
    QString path;
    for (const QString &place : places) {
        if (QFileInfo(place).isFile()) {
            path = place;
            break;
        }
    }
    if (path.isEmpty()) {
        *error = u"the panel module is missing (looked for %1)"_s.arg(places.join(u" and "_s));
        return nullptr;
    }
    // Every symbol is resolved now, so a module that does not fit this application fails here
    // with the loader's reason instead of ending the process on its first call. The handle is
    // kept: the module's types stay registered with Qt for the life of the process.
    void *handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        *error = u"the panel module did not load: %1"_s.arg(QString::fromLocal8Bit(::dlerror()));
        return nullptr;
    }
    const auto *version = static_cast<const char *>(::dlsym(handle, PanelVersionSymbol));
    if (!version || std::strcmp(version, PanelVersion) != 0) {
        *error =
            u"%1 is not the panel module of this Vesk Bar (%2); after an update, start Vesk Bar again"_s.arg(
                path, QString::fromLatin1(PanelVersion));
        return nullptr;
    }
    const auto createPanel = reinterpret_cast<CreatePanel>(::dlsym(handle, CreatePanelSymbol));
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
