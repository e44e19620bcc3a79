// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The splitter window over the main window's current row, filled as the "Audio Splitter"
// command fills it (texts and the type picture), with the end-of-task services replaced by
// recording doubles.

#include "batchtools/FrmSplitter.h"
#include "batchtools/cProgressBar.h"
#include "commands/ToolWindows.h"
#include "components/cAudioConverter.h"
#include "foundation/mdlFunctions.h"
#include "mainwindow/cSysTray.h"
#include "settings/OutputFormatOptions.h"
#include "tests/batchtools/FakeProbeConverter.h"
#include "tests/itemsgrid/ItemWindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class SplitterTest : public ItemWindowTest {
protected:
    void SetUp() override
    {
        ItemWindowTest::SetUp();
        g_lAppIncSplit = 1;
        ProgramOptions.chkNoticeApp = false;
        ProgramOptions.chkOpenDestFolder = false;
        ProgramOptions.chkPlaySound = false;
        ProgramOptions.chkTurnOffComputer = false;
        outFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Out"));
        QDir().mkpath(outFolder);
    }

    // The splitter on the main window's only row, a file of `source` (made by the caller).
    FrmSplitter* splitterOn(const QString& source)
    {
        makeListOf(QStringLiteral("Songs"), {source});
        FrmMain* f = openMain();
        if (!f || f->cGrid1->Rows() != 1)
            return nullptr;
        QObject::connect(f->cSysTray1, &cSysTray::BalloonShown, f->cSysTray1,
                         [this](const QString& text, const QString&) { balloons << text; });
        FrmSplitter* s = g_frmSplitter.get();
        ToolWindow& h = s->SplitterHandOver();
        cGrid& grid = *f->cGrid1;
        h.lblFilesToConvert(QStringLiteral("Split: ") + grid.Cell(1, grid.ColumnIndex(ItemRow::COL_ITEM_NAME)).Text());
        h.txtUndeForlder(QStringLiteral("Songs"));
        h.g_sFileToSplit(grid.Cell(1, grid.ColumnIndex(COL_FILE)).Text());
        for (long c = 2; c <= grid.Columns(); ++c) {
            h.Grid()->Cell(1, c).Text(grid.Cell(1, c).Text());
            if (grid.Cell(1, c).Icon() != cGridModel::kNoIcon)
                h.Grid()->Cell(1, c).Icon(grid.Cell(1, c).Icon());
        }
        s->txtToPath->setEditText(outFolder + QLatin1Char('/'));
        return s;
    }

    // Picks the target format whose text starts with `code` ("MP3").
    static void selectFormat(FrmSplitter* s, const char* code)
    {
        s->cboTargetFormat->setCurrentIndex(s->cboTargetFormat->findText(QLatin1String(code), Qt::MatchStartsWith));
    }

    FakeProbeConverter* fake(FrmSplitter* s, const QString& source, long durationMs)
    {
        auto owned = std::make_unique<FakeProbeConverter>();
        FakeProbeConverter* raw = owned.get();
        raw->sources.insert(source, FakeProbeConverter::Facts{durationMs, 44100, 2, 16});
        s->UseConverter(std::move(owned));
        return raw;
    }

    // The log's messages without their times ("14:05:09:message").
    static QStringList logLines(FrmSplitter* s)
    {
        QStringList out;
        for (QString line : s->txtLog->toPlainText().split(QLatin1Char('\n'))) {
            line.remove(QLatin1Char('\r'));
            int at = -1;
            for (int i = 0; i < 3 && (at = line.indexOf(QLatin1Char(':'), at + 1)) >= 0;)
                ++i;
            out << (at < 0 ? line : line.mid(at + 1));
        }
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }

    static int count(const QStringList& lines, const QString& text) { return int(lines.count(text)); }

    QString outFolder;
    QStringList balloons;
};
