// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlFunctions.h"

#include "foundation/NativeNames.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFileSystem.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/Shell.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolTip>

#include <cerrno>
#include <cmath>
#include <sys/stat.h>

namespace {

const QLatin1Char kSep('/');
const QString kCrLf = QStringLiteral("\r\n");

// The nine characters no file name may hold; both slashes count.
const QString kIllegalChars = QStringLiteral("/\\:?*<>\"|");

QStringList readLines(const QByteArray& data)
{
    // A line ends at CR LF, at CR or at LF; a last line without an end still counts.
    QStringList lines;
    const QString text = QString::fromUtf8(data);
    QString current;
    bool pending = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << current;
            current.clear();
            pending = false;
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending)
        lines << current;
    return lines;
}

}  // namespace

QString GetFileName(const QString& sPath)
{
    if (sPath.isEmpty())
        return {};
    const qsizetype at = sPath.lastIndexOf(kSep);
    return at < 0 ? sPath : sPath.mid(at + 1);
}

QString GetFolderFromPath(const QString& sPath)
{
    const qsizetype at = sPath.lastIndexOf(kSep);
    return at < 0 ? QString() : sPath.left(at + 1);
}

QString GetFolderOfFile(const QString& sPath)
{
    return sPath.left(sPath.size() - GetFileName(sPath).size());
}

QString GetExtFromName(const QString& sName)
{
    const qsizetype at = sName.lastIndexOf(QLatin1Char('.'));
    return at < 0 ? QString() : sName.mid(at + 1, 12);
}

QString GetFileExtension(const QString& sName)
{
    const qsizetype at = sName.lastIndexOf(QLatin1Char('.'));
    return at < 0 ? QString() : sName.mid(at + 1);
}

QString RemoveExtension(const QString& sName)
{
    QStringList parts = sName.split(QLatin1Char('.'));
    parts.removeLast();
    return parts.join(QString());
}

QString MakeSafeName(const QString& sName)
{
    static const char16_t unsafe[] = {
        u'!', u'/', u'\\', u';', u':', u',', u' ', u'$', u'+', u'&', u'[', u']', u'(', u')', u'{', u'}', u'?', u'*',
        u'|', u'<', u'>', u'\u05D6', u'\uF893', u'\u20AC', u'@', u'\u00A8', u'~', u'\u00B4', u'`', u'=', u'%',
        u'\u00BD', u'#', u'\u00A3', u'\'', u'"', u'\u05D9'};
    QString out = sName;
    for (char16_t c : unsafe)
        out.replace(QChar(c), QLatin1Char('-'));
    return out;
}

bool IsValidFileName(const QString& sName)
{
    for (QChar c : sName)
        if (kIllegalChars.contains(c))
            return false;
    return true;
}

QString IllegalNameTipText()
{
    return QStringLiteral("Illegal name.") + kCrLf + kCrLf + QStringLiteral("The chars:   ") + QStringLiteral("/\\:?*<>")
        + QLatin1Char('"') + QStringLiteral("|   are not legal.");
}

void FilterFileNameKey(QWidget* txtBox, int16_t& KeyAscii)
{
    const QChar typed(static_cast<char16_t>(static_cast<uint16_t>(KeyAscii)));
    if (!kIllegalChars.contains(typed))
        return;
    if (txtBox)
        QToolTip::showText(txtBox->mapToGlobal(QPoint(txtBox->width() / 2, txtBox->height())), IllegalNameTipText(),
                           txtBox);
    KeyAscii = 0;
}

bool IsFolder(const QString& sPath)
{
    return !sPath.isEmpty() && QFileInfo(sPath).isDir();
}

long CreateFolderPath(const QString& sPath)
{
    if (sPath.isEmpty())
        return 0;
    // A folder of a name that is not UTF-8, as the toolkit read it, would be made under another
    // name beside the one meant.
    if (IsUnnamablePath(sPath))
        return 75;
    QString path = sPath;
    if (path.endsWith(kSep) && path.size() > 1)
        path.chop(1);
    const QStringList elements = path.split(kSep);
    QString prefix;
    for (const QString& element : elements) {
        prefix += element + kSep;
        // The empty first element of an absolute path is the root; "a//b" has an empty level.
        if (element.isEmpty() || QFileInfo(prefix).isDir())
            continue;
        const QByteArray native = QFile::encodeName(prefix);
        if (::mkdir(native.constData(), 0777) != 0 && errno != EEXIST)
            return errno == ENOENT || errno == ENOTDIR ? 76 : 75;
        if (!QFileInfo(prefix).isDir())
            return 75;
    }
    return 0;
}

void ShellOpen(QWidget* /*hwndOwner*/, const QString& sFile)
{
    platform::shell().open(sFile);
}

void WriteTextFile(const QString& sText, const QString& sFile)
{
    WriteFileAtomically(sFile, (sText + kCrLf).toUtf8());
}

QString ReadTextFile(const QString& sFile)
{
    if (!FileExists(sFile))
        return {};
    QFile file(sFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text;
    for (const QString& line : readLines(file.readAll()))
        text += line + kCrLf;
    if (text.size() > 2)
        text.chop(2);
    return text;
}

void LoadComboFromFile(const QString& sFile, QComboBox* cbo)
{
    if (!cbo)
        return;
    const QStringList lines = ReadTextFile(sFile).split(kCrLf);
    const QString keepText = cbo->currentText();
    const bool editable = cbo->isEditable();
    cbo->clear();
    for (const QString& line : lines)
        if (!line.isEmpty())
            cbo->addItem(line);
    // Filling the list does not choose an entry.
    cbo->setCurrentIndex(-1);
    if (editable)
        cbo->setEditText(keepText);
}

void ClearCollection(Collection& col)
{
    for (int n = col.Count(); n > 0; --n)
        col.Remove(1);
}

QString FormatSecondsHMS(int64_t lSeconds)
{
    // Division that rounds down, also for negative counts.
    auto floorDiv = [](int64_t a, int64_t b) { return a / b - ((a % b != 0) && (a < 0)); };
    const int64_t s = lSeconds;
    const int64_t hours = floorDiv(s, 3600);
    const int64_t minutes = floorDiv(s, 60) - hours * 60;
    const int64_t secs = s % 60;
    auto two = [](int64_t v) {
        return v < 0 ? QStringLiteral("-%1").arg(-v, 2, 10, QLatin1Char('0')) : QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    };
    return QString::number(hours) + QLatin1Char(':') + two(minutes) + QLatin1Char(':') + two(secs);
}

QString PadTimeText(const QString& sTime)
{
    const QStringList parts = sTime.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return sTime;
    qlonglong v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = parts.at(i).trimmed().toLongLong(&ok);
        if (!ok || v[i] < 0)
            return sTime;
    }
    return QStringLiteral("%1:%2:%3")
        .arg(v[0], 2, 10, QLatin1Char('0'))
        .arg(v[1], 2, 10, QLatin1Char('0'))
        .arg(v[2], 2, 10, QLatin1Char('0'));
}

namespace {

// The text as a time of day "HH:mm:ss" when it reads as a time, a date, a date with a time or
// a number of days; otherwise unchanged.
QString asTimeOfDay(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return text;
    static const QRegularExpression timeRe(
        QStringLiteral(R"(^(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm])?$)"));
    const QRegularExpressionMatch m = timeRe.match(t);
    if (m.hasMatch()) {
        int h = m.captured(1).toInt();
        const int min = m.captured(2).toInt();
        const int sec = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
        const QString ampm = m.captured(4).toUpper();
        bool valid = min < 60 && sec < 60;
        if (!ampm.isEmpty()) {
            valid = valid && h >= 1 && h <= 12;
            h = (h % 12) + (ampm == QLatin1String("PM") ? 12 : 0);
        } else {
            valid = valid && h < 24;
        }
        if (valid)
            return QTime(h, min, sec).toString(QStringLiteral("HH:mm:ss"));
        return text;
    }
    bool ok = false;
    const double days = t.toDouble(&ok);
    if (ok && std::isfinite(days)) {
        const double fraction = std::fabs(days - std::trunc(days));
        const qint64 secs = static_cast<qint64>(std::llround(fraction * 86400.0)) % 86400;
        return QTime(0, 0).addSecs(static_cast<int>(secs)).toString(QStringLiteral("HH:mm:ss"));
    }
    const QString dateFormat = platform::clock().shortDateFormat();
    const QString timeFormat = platform::clock().timeFormat();
    for (const QString& f : QStringList{QString(dateFormat + QLatin1Char(' ') + timeFormat), QStringLiteral("yyyy-MM-dd HH:mm:ss"),
                             QStringLiteral("yyyy-MM-ddTHH:mm:ss")}) {
        const QDateTime dt = QDateTime::fromString(t, f);
        if (dt.isValid())
            return dt.time().toString(QStringLiteral("HH:mm:ss"));
    }
    for (const QString& f : QStringList{dateFormat, QStringLiteral("yyyy-MM-dd")}) {
        if (QDate::fromString(t, f).isValid())
            return QStringLiteral("00:00:00");
    }
    return text;
}

}  // namespace

int32_t TimeTextToSeconds(const QString& sTime)
{
    const QStringList parts = asTimeOfDay(sTime).split(QLatin1Char(':'));
    if (parts.size() < 3)
        return 0;
    double values[3];
    for (int i = 0; i < 3; ++i) {
        if (!IsNumeric(parts.at(i)))
            return 0;
        values[i] = parts.at(i).trimmed().toDouble();
    }
    bool overflow = false;
    const int32_t secs = CLng(values[0] * 3600 + values[1] * 60 + values[2], &overflow);
    return overflow ? 0 : secs;
}

QString FormatByteCount(int64_t cBytes)
{
    if (cBytes < 0)
        return {};
    if (cBytes == 0)
        return QStringLiteral("0");
    static const char* const units[] = {"", " KB", " MB", " GB", " TB", " PB", " EB"};
    double v = static_cast<double>(cBytes);
    int k = 0;
    while (v >= 1000.0 && k < 6) {
        v /= 1024.0;
        ++k;
    }
    // The figure is written as it rounds: one that rounds up to the next format's threshold
    // takes that format, and 999.5 or more of a unit is written in the next unit.
    int decimals = v >= 100.0 ? 0 : (v >= 10.0 ? 1 : 2);
    if (decimals == 2 && RoundFixed(v, 2) >= 10.0)
        decimals = 1;
    if (decimals == 1 && RoundFixed(v, 1) >= 100.0)
        decimals = 0;
    if (decimals == 0 && RoundFixed(v, 0) >= 1000.0 && k < 6) {
        v /= 1024.0;
        ++k;
        decimals = 2;
    }
    return FormatFixed(v, decimals) + QLatin1String(units[k]);
}

namespace {

QString logLine(const QString& message)
{
    const QTime now = platform::clock().now().time();
    return now.toString(platform::clock().timeFormat()) + QLatin1Char(':') + message + kCrLf;
}

}  // namespace

QString LogLineText(const QString& sMessage) { return logLine(sMessage); }

void AppendLogText(const QString& sLines, QPlainTextEdit* txtLog)
{
    if (!txtLog)
        return;
    // Appended at the end rather than by rewriting the whole text, so long logs stay cheap.
    QTextCursor cursor(txtLog->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(sLines);
    txtLog->moveCursor(QTextCursor::End);
    txtLog->ensureCursorVisible();
}

void AddLogLine(const QString& sMessage, QPlainTextEdit* txtLog)
{
    if (!txtLog)
        return;
    AppendLogText(logLine(sMessage), txtLog);
}

void AddLogLine(const QString& sMessage, QTextEdit* txtLog)
{
    if (!txtLog)
        return;
    QTextCursor cursor(txtLog->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(logLine(sMessage));
    txtLog->moveCursor(QTextCursor::End);
    txtLog->ensureCursorVisible();
}

QString PathHistoryFile()
{
    return platform::programFolder() + QStringLiteral("/PathHistory");
}

namespace {

// The history lines, creating an empty file when there is none. False when the file exists
// but cannot be read, or cannot be created.
bool readHistory(QStringList& lines)
{
    const QString path = PathHistoryFile();
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(platform::programFolder());
        QFile create(path);
        if (!create.open(QIODevice::WriteOnly))
            return false;
        create.close();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    lines = readLines(file.readAll());
    return true;
}

}  // namespace

void LoadPathHistory(QComboBox* cbo)
{
    if (!cbo)
        return;
    cbo->clear();
    QStringList lines;
    readHistory(lines);
    for (const QString& line : lines)
        cbo->addItem(line);
    if (cbo->count() > 0)
        cbo->setCurrentIndex(0);
}

void SavePathHistory(QComboBox* cbo)
{
    if (!cbo)
        return;
    QStringList lines;
    if (!readHistory(lines))
        return;
    const QString text = cbo->currentText();
    QStringList entries{text};
    for (const QString& line : lines)
        if (line != text)
            entries << line;
    QByteArray data;
    for (qsizetype i = 0; i < entries.size() && i < 16; ++i)
        data += (entries.at(i) + kCrLf).toUtf8();
    WriteFileAtomically(PathHistoryFile(), data);
}
