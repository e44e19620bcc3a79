// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FormRef.h"

#include <QCoreApplication>
#include <QEvent>

#include <map>

namespace {
std::map<void*, std::function<void()>>& unloaders()
{
    static std::map<void*, std::function<void()>> m;
    return m;
}
}  // namespace

namespace forms {

void registerUnloader(void* key, std::function<void()> unload) { unloaders()[key] = std::move(unload); }

void unloadAll()
{
    for (auto& [key, unload] : unloaders())
        unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void unloadAllExcept(const void* keep)
{
    // A copy: an unloading window may load or register another one.
    const auto all = unloaders();
    for (auto& [key, unload] : all)
        if (key != keep)
            unload();
}

}  // namespace forms
