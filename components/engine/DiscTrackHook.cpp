// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/DiscTrackHook.h"

#include <QRegularExpression>

#include <atomic>

namespace engine {

namespace {
std::atomic<DiscTrackOpener> g_opener{nullptr};
std::atomic<DiscImageFilesLister> g_lister{nullptr};
}

bool IsDiscTrackPath(const QString& path)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z]:[/\\\\]Track[0-9]{2,3}\\.cda$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(path).hasMatch();
}

void SetDiscTrackOpener(DiscTrackOpener opener) { g_opener.store(opener); }

DiscTrackOpener CurrentDiscTrackOpener() { return g_opener.load(); }

void SetDiscImageFilesLister(DiscImageFilesLister lister) { g_lister.store(lister); }

QList<DiscImageFile> ListDiscImageFiles()
{
    const DiscImageFilesLister lister = g_lister.load();
    return lister ? lister() : QList<DiscImageFile>{};
}

}  // namespace engine
