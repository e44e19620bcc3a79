// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlCommDialog.h"

#include "foundation/AppSettings.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "platform/FileDialogs.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kPathSection = QStringLiteral("path");
const QString kLastPathValue = QStringLiteral("last_path");

QString settingsApp()
{
    return g_sAppName.isEmpty() ? QStringLiteral("Quillmere") : g_sAppName;
}

// The extension the save dialog adds to a typed name without one.
QString defaultSuffix()
{
    QString ext = g_FileDialog.lpstrDefExt;
    while (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    return ext;
}

uint32_t toBgr(const QColor& c)
{
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8)
        | (static_cast<uint32_t>(c.blue()) << 16);
}

QColor fromBgr(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

// The folder a dialog starts in for a remembered location, which may be a folder or the last
// chosen file; empty (the home folder) when it names neither.
QString startFolderOf(const QString& location)
{
    if (location.isEmpty())
        return {};
    if (IsFolder(location))
        return location;
    const QString parent = QFileInfo(location).path();
    return IsFolder(parent) ? parent : QString();
}

FileDialogResult cancelledResult()
{
    FileDialogResult r;
    r.cancelled = true;
    return r;
}

bool g_customColoursSet = false;

}  // namespace

QString QtFilterFromPairs(const QString& pairs)
{
    const QStringList parts = pairs.split(QChar(0));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i);
        if (description.isEmpty())
            break;
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        // Qt reads the patterns from the last parentheses of an entry, separated by blanks. They
        // are added after the caller's description, which the dialog shows exactly as given
        // (it hides the added part).
        filters << description + QStringLiteral(" (%1)").arg(patterns.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

QString LastOpenLocation()
{
    return GetSetting(settingsApp(), kPathSection, kLastPathValue, QString());
}

QString BrowseForFolder(const QString& sTitle, const QString& sInitDir, QWidget* hwndOwner, bool /*bShowStatusText*/,
                        const QString& /*vRoot*/, bool /*bNewDialogStyle*/, bool bIncludeFiles)
{
    // The folder dialog has no status line and always offers the whole file system; only the
    // initial folder and the files option carry over.
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Folder;
    request.title = sTitle;
    request.initialFolder = IsFolder(sInitDir) ? sInitDir : QString();
    request.includeFiles = bIncludeFiles;
    const std::optional<QString> chosen = platform::fileDialogs().browseFolder(request, hwndOwner);
    return chosen.value_or(QString());
}

FileDialogResult ShowOpen(QWidget* hwndOwner, bool bCenterOverOwner)
{
    try {
        g_FileDialog.lStructSize = 76;
        g_FileDialog.hwndOwner = hwndOwner;
        g_FileDialog.lpstrInitialDir = LastOpenLocation();
        g_FileDialog.Flags = OFN_OPEN_FLAGS;

        platform::FileDialogRequest request;
        request.kind = platform::FileDialogRequest::Open;
        request.title = g_FileDialog.lpstrTitle;
        request.filter = QtFilterFromPairs(g_FileDialog.lpstrFilter);
        request.initialFolder = startFolderOf(g_FileDialog.lpstrInitialDir);
        request.multiSelect = true;
        request.centreOverOwner = bCenterOverOwner;

        const std::optional<QStringList> chosen = platform::fileDialogs().openFiles(request, hwndOwner);
        if (!chosen || chosen->isEmpty())
            return cancelledResult();

        FileDialogResult r;
        if (chosen->size() == 1) {
            const QString full = chosen->constFirst();
            const QString name = GetFileName(full);
            r.fileCount = 1;
            r.folder = full.left(full.size() - name.size() - 1);
            r.fileNames = {full, name};
            g_FileDialog.lpstrFile = full;
            g_FileDialog.lpstrFileTitle = name;
            SaveSetting(settingsApp(), kPathSection, kLastPathValue, full);
        } else {
            // Every name is kept, however many were chosen: callers read entries 1..fileCount.
            r.folder = QFileInfo(chosen->constFirst()).path();
            r.fileCount = static_cast<int>(chosen->size());
            r.fileNames << QString();
            for (const QString& path : *chosen)
                r.fileNames << GetFileName(path);
            g_FileDialog.lpstrFile = r.folder;
            g_FileDialog.lpstrFileTitle.clear();
        }
        return r;
    } catch (...) {
        return cancelledResult();
    }
}

FileDialogResult ShowSave(QWidget* hwndOwner, const QString& sDefaultFileName, bool bCenterOverOwner)
{
    try {
        g_FileDialog.lStructSize = 76;
        g_FileDialog.hwndOwner = hwndOwner;
        g_FileDialog.lpstrFile = sDefaultFileName;
        g_FileDialog.lpstrFileTitle.clear();
        if (g_FileDialog.Flags == 0)
            g_FileDialog.Flags = OFN_SAVE_FLAGS;

        platform::FileDialogRequest request;
        request.kind = platform::FileDialogRequest::Save;
        request.title = g_FileDialog.lpstrTitle;
        request.filter = QtFilterFromPairs(g_FileDialog.lpstrFilter);
        // Where the last open dialog started.
        request.initialFolder = startFolderOf(g_FileDialog.lpstrInitialDir);
        request.defaultName = sDefaultFileName;
        request.defaultSuffix = defaultSuffix();
        // Replacing a file the user owns is always confirmed, whatever flags an earlier open
        // dialog left in the shared record.
        request.confirmOverwrite = true;
        request.centreOverOwner = bCenterOverOwner;

        const std::optional<QString> chosen = platform::fileDialogs().saveFile(request, hwndOwner);
        if (!chosen || chosen->isEmpty())
            return cancelledResult();

        QString full = *chosen;
        if (!full.startsWith(QLatin1Char('/')))
            full = QDir(request.initialFolder.isEmpty() ? QDir::homePath() : request.initialFolder).absoluteFilePath(full);
        g_FileDialog.lpstrFile = full;
        g_FileDialog.lpstrFileTitle = GetFileName(full);

        FileDialogResult r;
        r.fileCount = 1;
        r.folder = GetFolderFromPath(full);
        r.fileNames = {QString(), full};
        return r;
    } catch (...) {
        return cancelledResult();
    }
}

void ResetDialogRecords()
{
    g_FileDialog = OPENFILENAME{};
    g_ColorDialog = CHOOSECOLOR{};
    g_customColoursSet = false;
}

ColorDialogResult ShowColor(QWidget* hwndOwner, bool bCenterOverOwner)
{
    if (!g_customColoursSet) {
        static const int firstColours[8][3] = {{139, 155, 184}, {188, 213, 254}, {115, 172, 183}, {200, 249, 198},
                                               {189, 194, 253}, {200, 249, 255}, {108, 213, 210}, {236, 164, 236}};
        for (int i = 0; i < 16; ++i) {
            const int* c = i < 8 ? firstColours[i] : nullptr;
            g_ColorDialog.lpCustColors[i] = c ? toBgr(QColor(c[0], c[1], c[2])) : toBgr(QColor(160, 160, 160));
        }
        g_customColoursSet = true;
    }
    g_ColorDialog.lStructSize = 36;
    g_ColorDialog.hwndOwner = hwndOwner;
    g_ColorDialog.rgbResult = 0xFFFFFF;
    g_ColorDialog.Flags = 0x103;

    platform::ColorDialogRequest request;
    request.initial = fromBgr(g_ColorDialog.rgbResult);
    for (uint32_t c : g_ColorDialog.lpCustColors)
        request.customColours << fromBgr(c);
    request.centreOverOwner = bCenterOverOwner;

    const std::optional<QColor> chosen = platform::fileDialogs().chooseColor(request, hwndOwner);
    for (int i = 0; i < 16 && i < request.customColours.size(); ++i)
        g_ColorDialog.lpCustColors[i] = toBgr(request.customColours.at(i));

    ColorDialogResult r;
    if (!chosen) {
        r.colour = -1;
        r.cancelled = true;
        return r;
    }
    g_ColorDialog.rgbResult = toBgr(*chosen);
    r.colour = static_cast<int32_t>(g_ColorDialog.rgbResult);
    return r;
}
