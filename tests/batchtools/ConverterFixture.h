// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The converter window opened over the main window's marked rows, with the hand-over written as
// the "Audio Converter" command writes it, and the end-of-task services replaced by recording
// doubles.

#include "batchtools/FrmConverter.h"
#include "batchtools/cProgressBar.h"
#include "commands/ToolWindows.h"
#include "components/cAudioConverter.h"
#include "foundation/mdlFunctions.h"
#include "mainwindow/cSysTray.h"
#include "tests/itemsgrid/ItemWindowFixture.h"
#include "tests/support/FakeConverter.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class ConverterTest : public ItemWindowTest {
protected:
    void SetUp() override
    {
        ItemWindowTest::SetUp();
        ProgramOptions.chkNoticeApp = false;
        ProgramOptions.chkOpenDestFolder = false;
        ProgramOptions.chkPlaySound = false;
        ProgramOptions.chkTurnOffComputer = false;
        ProgramOptions.cboFileName.clear();
        outFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Out"));
        QDir().mkpath(outFolder);
    }

    // The main window on a list of `count` WAV files, all marked, and the converter filled from
    // it as the command does.
    FrmConverter* openConverter(int count, int seconds = 1)
    {
        QStringList sources;
        for (int i = 1; i <= count; ++i)
            sources << makeWav(QStringLiteral("src%1.wav").arg(i), fixtures::Pcm{}, seconds);
        return converterOn(sources);
    }

    FrmConverter* converterOn(const QStringList& sources)
    {
        makeListOf(QStringLiteral("Songs"), sources);
        FrmMain* f = openMain();
        if (!f || f->cGrid1->Rows() != sources.size())
            return nullptr;
        connect(f);
        return fill(*f);
    }

    FrmConverter* fill(FrmMain& f)
    {
        FrmConverter* w = g_frmConverter.get();
        ToolWindow& h = w->ConverterHandOver();
        h.lblFilesToConvert(QString::number(f.GetMarkedCount()) + QStringLiteral(" items to convert."));
        h.g_ltmrItemSecsTotal(f.GetTotalTime(true).toLong());
        h.StatusPanelText(QStringLiteral("Total Size"), QStringLiteral("Total Time: 0:00:03"));
        h.StatusPanelText(QStringLiteral("Total Time"), QStringLiteral("Total Size: 1 KB"));
        h.txtUndeForlder(QStringLiteral("Songs"));
        f.CopyGridRows(*f.cGrid1, *h.Grid(), true);
        w->txtToPath->setEditText(outFolder + QLatin1Char('/'));
        return w;
    }

    // Puts a scripted converter in the window.
    FakeConverter* fake(FrmConverter* w)
    {
        auto owned = std::make_unique<FakeConverter>();
        FakeConverter* raw = owned.get();
        w->UseConverter(std::move(owned));
        return raw;
    }

    void connect(FrmMain* f)
    {
        QObject::connect(f->cSysTray1, &cSysTray::BalloonShown, f->cSysTray1,
                         [this](const QString& text, const QString& title) { balloons << text + QLatin1Char('|') + title; });
    }

    static void selectFormat(FrmConverter* w, const char* code)
    {
        w->cboTargetFormat->setCurrentIndex(w->cboTargetFormat->findText(QLatin1String(code), Qt::MatchStartsWith));
    }

    static void drain()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }

    // The log's messages without their times ("14:05:09:message").
    static QStringList logLines(FrmConverter* w)
    {
        QStringList out;
        for (QString line : w->txtLog->toPlainText().split(QLatin1Char('\n'))) {
            line.remove(QLatin1Char('\r'));
            int cut = -1;
            for (int i = 0; i < 3 && (cut = line.indexOf(QLatin1Char(':'), cut + 1)) >= 0;)
                ++i;
            out << (cut < 0 ? line : line.mid(cut + 1));
        }
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }

    static QString gridCell(FrmConverter* w, long row, const QString& key)
    {
        return w->cGrid1->Cell(row, w->cGrid1->ColumnIndex(key)).Text();
    }
    static void setGridCell(FrmConverter* w, long row, const QString& key, const QString& text)
    {
        w->cGrid1->Cell(row, w->cGrid1->ColumnIndex(key)).Text(text);
    }

    QString outFolder;
    QStringList balloons;
};
