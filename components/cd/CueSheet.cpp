// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/CueSheet.h"

#include "components/engine/SourceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace cd {

namespace {

constexpr int kSectorBytes = 2352;
constexpr int kMaxTracks = 99;
// 99:59:74, the last address a disc's table of contents can hold.
constexpr int32_t kMaxDiscSectors = (99 * 60 + 59) * 75 + 74;
constexpr qint64 kMaxCueBytes = 1 << 20;  // a sheet of 99 tracks is a few kB

struct PendingTrack {
    int number = 0;
    bool audio = true;
    int line = 0;
    int32_t pregap = 0;
    int32_t postgap = 0;
    int32_t index0 = -1;  // file sectors
    int32_t index1 = -1;
    int lastIndex = -1;
};

// "mm:ss:ff" as a count of sectors; -1 when it is not one.
int32_t parseMsf(const QByteArray& word)
{
    const QList<QByteArray> parts = word.split(':');
    if (parts.size() != 3)
        return -1;
    int v[3];
    for (int i = 0; i < 3; ++i) {
        const QByteArray& p = parts.at(i);
        if (p.isEmpty() || p.size() > 3)
            return -1;
        for (char c : p)
            if (c < '0' || c > '9')
                return -1;
        v[i] = p.toInt();
    }
    if (v[1] >= 60 || v[2] >= 75)
        return -1;
    return (v[0] * 60 + v[1]) * 75 + v[2];
}

// Splits a line into words; a word in double quotes keeps its blanks (without the quotes).
QList<QByteArray> words(const QByteArray& line, bool* unclosed)
{
    QList<QByteArray> out;
    *unclosed = false;
    int i = 0;
    const int n = int(line.size());
    while (i < n) {
        while (i < n && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= n)
            break;
        if (line[i] == '"') {
            const int end = int(line.indexOf('"', i + 1));
            if (end < 0) {
                *unclosed = true;
                out << line.mid(i + 1);
                break;
            }
            out << line.mid(i + 1, end - i - 1);
            i = end + 1;
        } else {
            int end = i;
            while (end < n && line[end] != ' ' && line[end] != '\t')
                ++end;
            out << line.mid(i, end - i);
            i = end;
        }
    }
    return out;
}

// The words of a line as the reader takes them: a FILE line's quoted name runs to the last
// quote of the line, since a name may hold quotes itself.
QList<QByteArray> lineWords(const QByteArray& line, bool* unclosed)
{
    QList<QByteArray> w = words(line, unclosed);
    if (!w.isEmpty() && w.first().toUpper() == "FILE" && !*unclosed && line.count('"') > 2) {
        const qsizetype first = line.indexOf('"'), last = line.lastIndexOf('"');
        w = QList<QByteArray>{w.first(), line.mid(first + 1, last - first - 1)} + words(line.mid(last + 1), unclosed);
    }
    return w;
}

// The sheet's lines, without a byte-order mark before the first and the CR of a CR LF.
QList<QByteArray> sheetLines(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.first().startsWith("\xEF\xBB\xBF"))
        lines.first().remove(0, 3);
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

bool refuse(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

}  // namespace

bool ParseCueSheet(const QByteArray& text, const std::function<std::optional<int64_t>(const QString&)>& dataFileSize,
                   CueSheet* sheet, QString* why)
{
    CueSheet result;
    QList<PendingTrack> tracks;
    bool haveFile = false;
    const QList<QByteArray> lines = sheetLines(text);
    for (int l = 0; l < lines.size(); ++l) {
        const QByteArray& line = lines.at(l);
        const int lineNo = l + 1;
        bool unclosed = false;
        const QList<QByteArray> w = lineWords(line, &unclosed);
        if (w.isEmpty())
            continue;
        const QByteArray key = w.first().toUpper();
        auto atLine = [&](const QString& what) { return refuse(why, QStringLiteral("line %1 %2").arg(lineNo).arg(what)); };
        if (key == "FILE") {
            if (unclosed)
                return atLine(QStringLiteral("has a file name without its closing quote."));
            if (w.size() != 3)
                return atLine(QStringLiteral("is not a FILE line of a name and a type."));
            if (haveFile)
                return atLine(QStringLiteral("names a second data file, '%1'; only images of one data file are read.")
                                  .arg(QString::fromUtf8(w.at(1))));
            const QString name = QString::fromUtf8(w.at(1));
            const QByteArray type = w.at(2).toUpper();
            if (type != "BINARY")
                return refuse(why, QStringLiteral("the data file '%1' is of the type %2; only BINARY files of raw "
                                                  "2352-byte sectors are read.")
                                       .arg(name, QString::fromUtf8(w.at(2))));
            QString normal = name;
            normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
            if (normal.isEmpty())
                return atLine(QStringLiteral("names no data file."));
            if (normal.startsWith(QLatin1Char('/')) || (normal.size() >= 2 && normal.at(1) == QLatin1Char(':')))
                return refuse(why, QStringLiteral("the data file '%1' is an absolute path; an image's data file lies in "
                                                  "the cue sheet's folder.").arg(name));
            if (normal.split(QLatin1Char('/')).contains(QStringLiteral("..")))
                return refuse(why, QStringLiteral("the data file '%1' lies outside the cue sheet's folder.").arg(name));
            if (normal.contains(QChar(0)))
                return atLine(QStringLiteral("names a data file with a NUL character."));
            result.dataFile = normal;
            haveFile = true;
        } else if (key == "TRACK") {
            if (!haveFile)
                return atLine(QStringLiteral("starts a track before any FILE line."));
            if (w.size() != 3)
                return atLine(QStringLiteral("is not a TRACK line of a number and a type."));
            if (tracks.size() >= kMaxTracks)
                return refuse(why, QStringLiteral("it lists more than %1 tracks.").arg(kMaxTracks));
            bool ok = false;
            const int number = w.at(1).toInt(&ok);
            if (!ok || number < 1 || w.at(1).size() > 2)
                return atLine(QStringLiteral("has the track number '%1'; tracks are numbered 01 to 99.")
                                  .arg(QString::fromUtf8(w.at(1))));
            if (!tracks.isEmpty() && number != tracks.last().number + 1)
                return atLine(QStringLiteral("numbers a track %1 after track %2.").arg(number).arg(tracks.last().number));
            if (!tracks.isEmpty() && tracks.last().index1 < 0)
                return refuse(why, QStringLiteral("track %1 has no INDEX 01.").arg(tracks.last().number));
            const QByteArray type = w.at(2).toUpper();
            PendingTrack t;
            t.number = number;
            t.line = lineNo;
            if (type == "AUDIO")
                t.audio = true;
            else if (type == "MODE1/2352" || type == "MODE2/2352")
                t.audio = false;
            else
                return refuse(why, QStringLiteral("track %1 is of the type %2; only AUDIO, MODE1/2352 and MODE2/2352 "
                                                  "tracks are read.").arg(number).arg(QString::fromUtf8(w.at(2))));
            tracks << t;
        } else if (key == "PREGAP" || key == "POSTGAP") {
            if (tracks.isEmpty())
                return atLine(QStringLiteral("has a %1 outside a track.").arg(QString::fromLatin1(key)));
            const int32_t length = w.size() == 2 ? parseMsf(w.at(1)) : -1;
            if (length < 0)
                return atLine(QStringLiteral("has a %1 that is not a time mm:ss:ff.").arg(QString::fromLatin1(key)));
            PendingTrack& t = tracks.last();
            if (key == "PREGAP") {
                if (t.lastIndex >= 0)
                    return atLine(QStringLiteral("has the PREGAP of track %1 after its INDEX.").arg(t.number));
                t.pregap = length;
            } else {
                t.postgap = length;
            }
        } else if (key == "INDEX") {
            if (tracks.isEmpty())
                return atLine(QStringLiteral("has an INDEX outside a track."));
            if (w.size() != 3)
                return atLine(QStringLiteral("is not an INDEX line of a number and a time."));
            bool ok = false;
            const int index = w.at(1).toInt(&ok);
            const int32_t at = parseMsf(w.at(2));
            if (!ok || index < 0 || index > 99 || w.at(1).size() > 2 || at < 0)
                return atLine(QStringLiteral("is not an INDEX of a number 00 to 99 and a time mm:ss:ff."));
            PendingTrack& t = tracks.last();
            if (index <= t.lastIndex)
                return atLine(QStringLiteral("repeats or reorders the indexes of track %1.").arg(t.number));
            if (index >= 2 && t.index1 < 0)
                return atLine(QStringLiteral("has INDEX %1 of track %2 before its INDEX 01.").arg(index).arg(t.number));
            t.lastIndex = index;
            if (index == 0)
                t.index0 = at;
            else if (index == 1)
                t.index1 = at;
            if (index == 1 && t.index0 >= 0 && at < t.index0)
                return atLine(QStringLiteral("has INDEX 01 of track %1 before its INDEX 00.").arg(t.number));
        }
        // CATALOG, TITLE, PERFORMER, SONGWRITER, ISRC, FLAGS, REM, CDTEXTFILE and anything else
        // describe the disc without changing where its audio lies.
    }
    if (!haveFile)
        return refuse(why, QStringLiteral("it has no FILE line."));
    if (tracks.isEmpty())
        return refuse(why, QStringLiteral("it lists no track."));
    if (tracks.last().index1 < 0)
        return refuse(why, QStringLiteral("track %1 has no INDEX 01.").arg(tracks.last().number));

    const std::optional<int64_t> bytes = dataFileSize ? dataFileSize(result.dataFile) : std::nullopt;
    if (!bytes)
        return refuse(why, QStringLiteral("its data file '%1' is missing.").arg(result.dataFile));
    if (*bytes <= 0)
        return refuse(why, QStringLiteral("its data file '%1' is empty.").arg(result.dataFile));
    // A data file that ends inside a sector is read as a drive would deliver that sector: its
    // missing bytes are silence.
    const int64_t fileSectors64 = (*bytes + kSectorBytes - 1) / kSectorBytes;
    if (fileSectors64 > kMaxDiscSectors)
        return refuse(why, QStringLiteral("its data file '%1' holds %2 sectors, more than a CD can hold.")
                               .arg(result.dataFile).arg(fileSectors64));
    const int32_t fileSectors = int32_t(fileSectors64);
    result.dataBytes = *bytes;

    int32_t offset = 0;  // disc sector minus file sector
    for (int i = 0; i < tracks.size(); ++i) {
        const PendingTrack& t = tracks.at(i);
        const int32_t start = t.index0 >= 0 ? t.index0 : t.index1;
        if (t.index1 >= fileSectors)
            return refuse(why, QStringLiteral("track %1 starts at %2, at or past the end of its data file '%3' (%4).")
                                   .arg(t.number).arg(MsfText(t.index1), result.dataFile, MsfText(fileSectors)));
        if (i > 0 && start <= tracks.at(i - 1).index1)
            return refuse(why, QStringLiteral("track %1 starts at %2, not after track %3 (%4).")
                                   .arg(t.number).arg(MsfText(start)).arg(tracks.at(i - 1).number)
                                   .arg(MsfText(tracks.at(i - 1).index1)));
        offset += t.pregap + (i > 0 ? tracks.at(i - 1).postgap : 0);
        const int32_t segmentStart = i == 0 ? 0 : start;
        const int32_t segmentEnd = i + 1 < tracks.size()
                                       ? (tracks.at(i + 1).index0 >= 0 ? tracks.at(i + 1).index0 : tracks.at(i + 1).index1)
                                       : fileSectors;
        // Later tracks are checked in their own turn; a start past the file's end ends here.
        const int32_t end = std::min(segmentEnd, fileSectors);
        if (end > segmentStart)
            result.segments << CueSegment{segmentStart + offset, segmentStart, end - segmentStart};
        CueTrack track;
        track.number = t.number;
        track.audio = t.audio;
        track.firstSector = t.index1 + offset;
        result.tracks << track;
        if (int64_t(t.index1) + offset > kMaxDiscSectors)
            return refuse(why, QStringLiteral("track %1 starts past the last address a CD has.").arg(t.number));
    }
    const int64_t leadOut = int64_t(fileSectors) + offset + tracks.last().postgap;
    if (leadOut > kMaxDiscSectors)
        return refuse(why, QStringLiteral("its tracks and gaps last longer than a CD can."));
    result.leadOut = int32_t(leadOut);
    for (int i = 0; i < result.tracks.size(); ++i) {
        const int32_t next = i + 1 < result.tracks.size() ? result.tracks.at(i + 1).firstSector : result.leadOut;
        result.tracks[i].sectors = next - result.tracks.at(i).firstSector;
    }
    if (sheet)
        *sheet = result;
    return true;
}

bool ReadCueSheet(const QString& cuePath, CueSheet* sheet, QString* why)
{
    // Neither the sheet nor its data file is ever waited on: a FIFO, a device or a folder in
    // their place is refused for what it is.
    const engine::SourceOpen opened = engine::openSourceFile(cuePath);
    if (opened.fd < 0) {
        if (opened.error == 0)
            return refuse(why, QStringLiteral("it is not a regular file (%1).").arg(engine::fileKindWords(opened.kind)));
        if (opened.error == EILSEQ || IsUnnamablePath(cuePath))
            return refuse(why, QStringLiteral("its name is not valid UTF-8, which the program cannot name; rename it."));
        return refuse(why, QStringLiteral("it cannot be opened: %1.").arg(QString::fromLocal8Bit(std::strerror(opened.error))));
    }
    QFile file;
    if (!file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opened.fd);
        return refuse(why, QStringLiteral("it cannot be opened: %1.").arg(file.errorString()));
    }
    if (file.size() > kMaxCueBytes)
        return refuse(why, QStringLiteral("it is %1 bytes long, too long for a cue sheet.").arg(file.size()));
    const QByteArray text = file.read(kMaxCueBytes + 1);
    const QDir folder = QFileInfo(cuePath).absoluteDir();
    QString dataWhy;  // why the data file is no file to read, where "missing" would not be true
    auto size = [&](const QString& name) -> std::optional<int64_t> {
        const QString path = folder.filePath(name);
        QByteArray native;
        struct stat st {};
        if (!NativePathOf(path, &native) || ::stat(native.constData(), &st) != 0) {
            if (IsUnnamablePath(path))
                dataWhy = QStringLiteral("its data file '%1' has a name that is not valid UTF-8, which the program "
                                         "cannot name; rename it.").arg(name);
            return std::nullopt;
        }
        if (const engine::FileKind kind = engine::fileKindOf(st.st_mode); kind != engine::FileKind::Regular) {
            dataWhy = QStringLiteral("its data file '%1' is not a regular file (%2).").arg(name, engine::fileKindWords(kind));
            return std::nullopt;
        }
        return int64_t(st.st_size);
    };
    CueSheet result;
    if (!ParseCueSheet(text, size, &result, why)) {
        if (!dataWhy.isEmpty() && why)
            *why = dataWhy;
        return false;
    }
    result.dataPath = folder.filePath(result.dataFile);
    // Where the data really is: a link inside the folder may lead anywhere.
    const QString base = folder.canonicalPath();
    const QString real = QFileInfo(result.dataPath).canonicalFilePath();
    if (base.isEmpty() || real.isEmpty() || !real.startsWith(base == QLatin1String("/") ? base : base + QLatin1Char('/')))
        return refuse(why, QStringLiteral("the data file '%1' lies outside the cue sheet's folder.").arg(result.dataFile));
    if (sheet)
        *sheet = result;
    return true;
}

QString CueDataFileName(const QByteArray& text)
{
    for (const QByteArray& line : sheetLines(text)) {
        bool unclosed = false;
        const QList<QByteArray> w = lineWords(line, &unclosed);
        if (w.isEmpty() || w.first().toUpper() != "FILE")
            continue;
        if (w.size() < 2)
            return {};
        QString name = QString::fromUtf8(w.at(1));
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return name;
    }
    return {};
}

QString CueDataFilePath(const QString& cuePath)
{
    const QFileInfo info(cuePath);
    if (!info.isFile())
        return {};
    QFile file(cuePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString name = CueDataFileName(file.read(kMaxCueBytes));
    if (name.isEmpty())
        return {};
    return QDir::isAbsolutePath(name) ? name : info.absoluteDir().filePath(name);
}

QString MsfText(int64_t sectors)
{
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / (60 * 75), 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

}  // namespace cd
