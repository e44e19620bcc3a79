// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The ACM converter window opened over the main window's marked rows, with the hand-over written
// as the "ACM Converter" command writes it, the end-of-task services replaced by recording
// doubles, and, when asked for, a probing fake in place of the converter from the moment the
// window loads.

#include "batchtools/FrmACMConverter.h"
#include "batchtools/cProgressBar.h"
#include "commands/ToolWindows.h"
#include "components/cAudioConverter.h"
#include "mainwindow/cSysTray.h"
#include "tests/batchtools/FakeProbeConverter.h"
#include "tests/itemsgrid/ItemWindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class AcmConverterTest : public ItemWindowTest {
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
    void TearDown() override
    {
        ItemWindowTest::TearDown();
        FrmACMConverter::converterFactory = nullptr;
    }

    // The next window loads with a fake that knows four codecs and the sources made so far.
    void useFake()
    {
        FrmACMConverter::converterFactory = [this] {
            auto owned = std::make_unique<FakeProbeConverter>();
            FakeProbeConverter& c = *owned;
            c.tags = {QStringLiteral("PCM"), QStringLiteral("IMA ADPCM"), QStringLiteral("GSM 6.10"),
                      QStringLiteral("Silent")};
            c.convertibleTags = {QStringLiteral("IMA ADPCM"), QStringLiteral("PCM")};
            c.formats.insert(QStringLiteral("PCM"),
                             {QStringLiteral("8,000 kHz, 8 Bit, Mono"), QStringLiteral("44,100 kHz, 16 Bit, Stereo")});
            c.formats.insert(QStringLiteral("IMA ADPCM"),
                             {QStringLiteral("8,000 kHz, 4 Bit, Mono"), QStringLiteral("44,100 kHz, 4 Bit, Stereo")});
            c.formats.insert(QStringLiteral("GSM 6.10"), {QStringLiteral("8,000 kHz, Mono, 13 kbit/s")});
            for (auto it = facts.cbegin(); it != facts.cend(); ++it)
                c.sources.insert(it.key(), it.value());
            probe = owned.get();
            return std::unique_ptr<cAudioConverter>(std::move(owned));
        };
    }

    // A WAV source whose facts the fake also reports.
    QString source(const QString& name, fixtures::Pcm pcm, int seconds)
    {
        const QString path = makeWav(name, pcm, seconds);
        facts.insert(path, FakeProbeConverter::Facts{long(seconds) * 1000, pcm.rate, pcm.channels, pcm.bits});
        return path;
    }

    // The main window on a list of the sources, all marked, row `current` the grid's current
    // row, and the window filled from it as the command does.
    FrmACMConverter* openOn(const QStringList& sources, long current = 1)
    {
        makeListOf(QStringLiteral("Songs"), sources);
        FrmMain* f = openMain();
        if (!f || f->cGrid1->Rows() != sources.size())
            return nullptr;
        QObject::connect(f->cSysTray1, &cSysTray::BalloonShown, f->cSysTray1,
                         [this](const QString& text, const QString& title) { balloons << text + QLatin1Char('|') + title; });
        f->cGrid1->CurrentRow(current);
        return fill(*f);
    }

    FrmACMConverter* fill(FrmMain& f)
    {
        FrmACMConverter* w = g_frmACMConverter.get();
        ToolWindow& h = w->AcmHandOver();
        h.lblFilesToConvert(QString::number(f.GetMarkedCount()) + QStringLiteral(" items to convert."));
        h.StatusPanelText(QStringLiteral("Total Size"), QStringLiteral("Total Time: 0:00:03"));
        h.StatusPanelText(QStringLiteral("Total Time"), QStringLiteral("Total Size: 1 KB"));
        h.txtUndeForlder(QStringLiteral("Songs"));
        h.g_ltmrItemSecsTotal(f.GetTotalTime(true).toLong());
        f.CopyGridRows(*f.cGrid1, *h.Grid(), true);
        h.cboBestAccordItem_AddItem(QStringLiteral("All ACM Codecs"));
        for (long r = 1; r <= f.cGrid1->Rows(); ++r)
            h.cboBestAccordItem_AddItem(cell(r, COL_FILE));
        h.cboBestAccordItem_Text(cell(f.cGrid1->CurrentRow(), COL_FILE));
        w->txtToPath->setEditText(outFolder + QLatin1Char('/'));
        return w;
    }

    static QStringList entries(const QComboBox* box)
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }

    static void choose(QComboBox* box, const QString& text)
    {
        const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
    }

    static void drain()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }

    // The log's messages without their times ("14:05:09:message").
    static QStringList logLines(const QPlainTextEdit* log)
    {
        QStringList out;
        for (QString line : log->toPlainText().split(QLatin1Char('\n'))) {
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

    static void setGridCell(FrmACMConverter* w, long row, const QString& key, const QString& text)
    {
        w->cGrid1->Cell(row, w->cGrid1->ColumnIndex(key)).Text(text);
    }

    QString outFolder;
    QStringList balloons;
    QHash<QString, FakeProbeConverter::Facts> facts;
    FakeProbeConverter* probe = nullptr;
};
