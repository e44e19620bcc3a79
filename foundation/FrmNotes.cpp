// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmNotes.h"

#include "foundation/Twips.h"
#include "foundation/WindowLinks.h"
#include "platform/Paths.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include "foundation/mdlFileSystem.h"
#include <QScreen>

#include <cerrno>

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
    SaveNotes();
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
        SaveNotes();
}

void FrmNotes::Form_Unload()
{
    SaveNotes();
    if (g_notesChangedLink)
        g_notesChangedLink();
}

void FrmNotes::SaveNotes()
{
    if (m_saved)
        return;
    m_saved = true;
    if (m_loadedWhole) {
        const QByteArray data = (Text1->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
        WriteFileAtomically(NotesFile(), data);
    }
}
