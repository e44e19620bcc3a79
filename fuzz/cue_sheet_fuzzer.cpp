// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Reads arbitrary bytes as the cue sheet of an audio image whose data file is 150 sectors long,
// once whole and once cut inside its last sector, and checks that whatever is accepted is a disc
// the image reader can deliver: every track at least a sector long, in order, starting on a
// sector the data file holds, and every segment inside the data file; and that the data file's
// name as every tool finds it, whether or not the sheet is taken, is the one the reader takes.
// Then it reads them as a sheet on disk beside a FIFO, a device, a folder and a name that is not
// UTF-8.
#include "fuzz/FuzzFile.h"
#include "components/cd/CueSheet.h"


#include <sys/stat.h>
#include <unistd.h>

namespace {

void checkSheet(const QByteArray& text, int64_t bytes)
{
    cd::CueSheet sheet;
    QString why;
    const bool ok = cd::ParseCueSheet(text, [bytes](const QString&) { return std::optional<int64_t>(bytes); }, &sheet, &why);
    // The name every tool protects from being written over is the one the reader reads.
    const QString named = cd::CueDataFileName(text);
    if (!ok) {
        fuzz::check(!why.isEmpty());
        return;
    }
    fuzz::check(named == sheet.dataFile);
    const int64_t fileSectors = (bytes + 2351) / 2352;
    fuzz::check(!sheet.tracks.isEmpty() && sheet.tracks.size() <= 99);
    int32_t previous = -1;
    for (const cd::CueTrack& t : sheet.tracks) {
        fuzz::check(t.sectors > 0 && t.firstSector > previous && t.firstSector >= 0);
        fuzz::check(int64_t(t.firstSector) + t.sectors <= sheet.leadOut);
        previous = t.firstSector;
        bool held = false;
        for (const cd::CueSegment& s : sheet.segments)
            held = held || (t.firstSector >= s.discSector && t.firstSector < s.discSector + s.count);
        fuzz::check(held);
    }
    for (const cd::CueSegment& s : sheet.segments)
        fuzz::check(s.count > 0 && s.fileSector >= 0 && s.discSector >= 0 && s.fileSector + int64_t(s.count) <= fileSectors &&
                    s.discSector + int64_t(s.count) <= sheet.leadOut);
}

// A sheet's folder with a data file of 150 sectors beside names that are no file to read: a
// FIFO without a writer, a device, a folder, and a file whose name is not UTF-8.
QString sheetFolder()
{
    static const QString folder = [] {
        const QString dir = fuzz::scratchFolder() + QStringLiteral("/cue");
        QDir().mkpath(dir + QStringLiteral("/folder.bin"));
        const QByteArray native = QFile::encodeName(dir);
        fuzz::writeFile(dir + QStringLiteral("/data.bin"), QByteArray(150 * 2352, '\0'));
        fuzz::writeFile(QFile::decodeName(QByteArray(native + "/ok.tmp")), QByteArray(150 * 2352, '\0'));
        auto at = [&](const char* name) { return QByteArray(native + name); };
        ::rename(at("/ok.tmp").constData(), at("/d\xe9mo.bin").constData());
        ::mkfifo(at("/fifo.bin").constData(), 0600);
        ::symlink("/dev/zero", at("/device.bin").constData());
        return dir;
    }();
    return folder;
}

// The sheet read from the file system: it never waits on what it names (the replay's alarm
// catches a wait), and what it accepts names a regular file.
void checkSheetFile(const QByteArray& text)
{
    const QString sheetPath = sheetFolder() + QStringLiteral("/disc.cue");
    fuzz::writeFile(sheetPath, text);
    cd::CueSheet sheet;
    QString why;
    if (!cd::ReadCueSheet(sheetPath, &sheet, &why)) {
        fuzz::check(!why.isEmpty());
        return;
    }
    struct stat st {};
    fuzz::check(::stat(QFile::encodeName(sheet.dataPath).constData(), &st) == 0 && S_ISREG(st.st_mode));
    fuzz::check(sheet.dataBytes == int64_t(st.st_size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkSheet(text, 150 * 2352);
    checkSheet(text, 150 * 2352 - 1000);
    checkSheetFile(text);
    return 0;
}
