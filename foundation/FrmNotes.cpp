// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmNotes.h"

#include "foundation/Twips.h"
#include "foundation/WindowLinks.h"
#include "platform/LinkedWrite.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

#include <QCloseEvent>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHideEvent>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>

#include <cerrno>
#include <unistd.h>

QString NotesFile()
{
    return platform::programFolder() + QStringLiteral("/Notes");
}

bool ReadNotesText(QIODevice& device, QString& text)
{
    // Lines end at CR LF, CR or LF.
    QByteArray line;
    QString collected;
    bool complete = true;
    bool lastWasCr = false;
    bool pending = false;
    char c = 0;
    while (true) {
        if (!device.getChar(&c)) {
            complete = device.atEnd();
            break;
        }
        if (c == '\n' && lastWasCr) {
            lastWasCr = false;
            continue;
        }
        lastWasCr = c == '\r';
        if (c == '\r' || c == '\n') {
            collected += QString::fromUtf8(line) + QStringLiteral("\r\n");
            line.clear();
            pending = false;
        } else {
            line += c;
            pending = true;
        }
    }
    if (pending)
        collected += QString::fromUtf8(line) + QStringLiteral("\r\n");
    text = collected.size() > 2 ? collected.left(collected.size() - 2) : QString();
    return complete;
}

FrmNotes::FrmNotes()
    : QWidget(nullptr, Qt::Window)
{
    setWindowTitle(QStringLiteral("Notes"));
    resize(TwipsToPixels(8115), TwipsToPixels(5445));
    Text1 = new QPlainTextEdit(this);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Load();
}

FrmNotes::~FrmNotes()
{
    // Unloaded without being closed (the main window unloading everything at exit): the notes
    // are still saved; the main window's status panel is going away and is left alone.
    SaveNotes(false);
}

void FrmNotes::Form_Load()
{
    Text1->move(0, 0);
    const QString path = NotesFile();
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        QDir().mkpath(platform::programFolder());
        QFile create(path);
        if (!create.open(QIODevice::WriteOnly))
            return;  // m_loadedWhole stays false: nothing to save over
        create.close();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QString text;
    m_loadedWhole = ReadNotesText(file, text);
    Text1->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_loadedText = Text1->toPlainText();
    m_loadedStamp = NotesStamp(path);
    Form_Resize();
}

void FrmNotes::Form_Resize()
{
    const int w = width() - TwipsToPixels(100);
    const int h = height() - TwipsToPixels(500);
    if (w > 0 && h > 0)
        Text1->resize(w, h);
}

void FrmNotes::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmNotes::closeEvent(QCloseEvent* event)
{
    if (!SaveNotes(true)) {
        event->ignore();  // the text stays in the window
        return;
    }
    event->accept();
    Form_Unload();
    g_frmNotes.unload();
}

void FrmNotes::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Unloading hides the window at once and destroys it later: save now, while the program
    // is surely still running.
    if (!event->spontaneous() && !g_frmNotes.isLoaded())
        SaveNotes(false);
}

void FrmNotes::Form_Unload()
{
    SaveNotes(false);
    if (g_notesChangedLink)
        g_notesChangedLink();
}

QByteArray FrmNotes::NotesStamp(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("-");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&f);
    return QByteArray::number(f.size()) + ':' + hash.result().toHex();
}

QString FrmNotes::WriteNotesFile(const QString& path, const QByteArray& data)
{
    // Written beside the file and renamed over it, unbuffered: a disk that refuses the write
    // leaves the old notes whole. The rest is written again after a short write, so a disk that
    // fills part-way answers with its own reason.
    // Nobody was asked about a link at the notes file that leads elsewhere: it stays, and
    // nothing is written where it points. A link to a file is written through.
    if (platform::LinkAtPath(path) == platform::LinkAt::Elsewhere)
        return platform::LinkRefusal(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // QSaveFile words a file it may not replace in its own terms: the system's reason is
        // the one the user can act on (a read-only folder, a file without write permission).
        if (QFileInfo::exists(path) && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
            return qt_error_string(errno);
        return file.errorString();
    }
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 n = file.write(data.constData() + done, data.size() - done);
        if (n <= 0) {
            const QString why = file.errorString();
            file.cancelWriting();
            return why;
        }
        done += n;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

bool FrmNotes::SaveNotes(bool canStayOpen)
{
    if (m_saved)
        return true;
    m_saved = true;
    if (!m_loadedWhole)
        return true;
    const QString path = NotesFile();
    const QString text = Text1->toPlainText();
    const QByteArray data = (QString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    QString target = path;

    if (NotesStamp(path) != m_loadedStamp) {
        // Another instance (or an editor) has written the notes since this window read them.
        // Nothing typed here: their notes stay as they are.
        if (text == m_loadedText)
            return true;
        const int answer = platform::MsgBox(
            QStringLiteral("The notes file '") + path +
                QStringLiteral("' was changed by another program since this window read it.\r\n\r\n"
                               "Yes replaces it with the text of this window.\r\n"
                               "No keeps the file as it is now and saves the text of this window beside it.") +
                (canStayOpen ? QStringLiteral("\r\nCancel keeps this window open.") : QString()),
            platform::vbExclamation | (canStayOpen ? platform::vbYesNoCancel : platform::vbYesNo), {}, this);
        if (answer == platform::vbCancel) {
            m_saved = false;
            return false;
        }
        if (answer != platform::vbYes)
            target = path + QStringLiteral(".kept-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    }

    const QString failure = WriteNotesFile(target, data);
    if (failure.isEmpty()) {
        if (target != path)
            platform::MsgBox(QStringLiteral("The text of this window was saved as:\r\n") + target,
                             platform::vbInformation, {}, this);
        m_loadedText = text;
        m_loadedStamp = NotesStamp(path);
        return true;
    }
    if (canStayOpen) {
        const int answer = platform::MsgBox(
            QStringLiteral("The notes could not be saved to '") + target + QStringLiteral("': ") + failure +
                QStringLiteral(".\r\n\r\nThe text stays in this window. Close the window anyway and lose it?"),
            platform::vbExclamation | platform::vbYesNo | platform::vbDefaultButton2, {}, this);
        if (answer == platform::vbYes)
            return true;
        m_saved = false;
        return false;
    }
    // The program is ending and the window cannot stay: the text goes to the temporary folder.
    const QString rescue = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                               .filePath(QStringLiteral("Quillmere Notes ") +
                                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")));
    const QString rescueFailure = WriteNotesFile(rescue, data);
    const QString after = rescueFailure.isEmpty()
        ? QString(QStringLiteral(".\r\n\r\nThe text of the notes window was saved as:\r\n") + rescue)
        : QStringLiteral(".\r\n\r\nNo copy could be saved either ('") + rescue + QStringLiteral("': ") + rescueFailure +
              QStringLiteral(").");
    platform::MsgBox(QStringLiteral("The notes could not be saved to '") + target + QStringLiteral("': ") + failure + after,
                     platform::vbExclamation, {}, this);
    return true;
}
