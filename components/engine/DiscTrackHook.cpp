// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/DiscTrackHook.h"

#include "components/cd/CueSheet.h"

#include <QFileInfo>
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
    return lister ? lister() : ListedDiscImageFiles();
}

QList<DiscImageFile> ListedDiscImageFiles()
{
    QList<DiscImageFile> files;
    if (!qEnvironmentVariableIsSet("QUILLMERE_DRIVES"))
        return files;
    int index = 0;
    for (const QString& entry : qEnvironmentVariable("QUILLMERE_DRIVES").split(QLatin1Char(':'))) {
        if (entry.isEmpty())
            continue;
        if (index > 'Z' - 'D')
            break;  // no letter left
        const QString name = QString(QChar('D' + index++)) + QStringLiteral(": ") + QFileInfo(entry).fileName();
        QStringList paths;
        if (entry.endsWith(QLatin1String(".cue"), Qt::CaseInsensitive)) {
            const QFileInfo cue(entry);
            paths << entry << cue.absolutePath() + QLatin1Char('/') + cue.completeBaseName() + QStringLiteral(".bin");
            const QString named = cd::CueDataFilePath(entry);
            if (!named.isEmpty())
                paths << named;
        } else if (entry.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive)) {
            paths << entry;
        }
        for (const QString& p : paths)
            if (QFileInfo::exists(p))
                files << DiscImageFile{p, name};
    }
    return files;
}

}  // namespace engine
