// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The main window over a lists folder of its own holding one list of short WAV files made by
// the test, with a preview seam that counts what the dispatcher asks of it, and a recording
// tool window for the launchers to hand their rows to.

#include "commands/ToolWindows.h"
#include "components/cGrid.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListFile.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/cPopupMenu.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/FakeShell.h"
#include "tests/support/ListFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

// Counts the dispatcher's stops and refreshes; "playing" until stopped.
class FakePreview : public ItemsListHost {
public:
    bool PreviewIsPlaying() override { return playing; }
    void StopPlayer() override
    {
        ++stops;
        playing = false;
    }
    void StopPreview() override { ++stripStops; }
    void RefreshItemInfo() override { ++refreshes; }
    bool playing = false;
    int stops = 0;
    int stripStops = 0;
    int refreshes = 0;
};

// A tool window that records what it is handed; its grid has the main grid's columns.
class RecordingTool : public ToolWindow {
public:
    RecordingTool()
    {
        grid.setParent(&window);
        frmMain->SetGridColumns(&grid);
    }
    QWidget* Window() override { return &window; }
    void ShowModal() override
    {
        ++shown;
        pollingWhileShown = frmMain->tmrCDs->isActive();
        hourglassWhileShown = frmMain->cursor().shape() == Qt::WaitCursor;
        if (onShow)
            onShow();
    }
    void lblFilesToConvert(const QString& caption) override { count = caption; }
    void StatusPanelText(const QString& key, const QString& text) override { panels[key] = text; }
    void txtUndeForlder(const QString& text) override { subFolder = text; }
    cGrid* Grid() override { return &grid; }
    void g_sFileToSplit(const QString& path) override { fileToSplit = path; }
    void g_ltmrItemSecsTotal(long seconds) override { secondsTotal = seconds; }
    void cboBestAccordItem_AddItem(const QString& entry) override { comboEntries << entry; }
    void cboBestAccordItem_Text(const QString& text) override { comboText = text; }

    QDialog window;
    cGrid grid;
    int shown = 0;
    bool pollingWhileShown = true;
    bool hourglassWhileShown = true;
    std::function<void()> onShow;
    QString count;
    QMap<QString, QString> panels;
    QString subFolder;
    QString fileToSplit;
    long secondsTotal = -1;
    QStringList comboEntries;
    QString comboText;
};

class CommandsFixture : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        platform::resetRegistryHives();
        InitProductConfig();
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
        frmOptions.get();
        ProgramOptions = ProgramOptionsData{};
        listsFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Lists"));
        media = QDir(platform::programFolder()).filePath(QStringLiteral("media"));
        QDir().mkpath(listsFolder);
        QDir().mkpath(media);
        ProgramOptions.txtToPath = listsFolder + QLatin1Char('/');
    }
    void TearDown() override
    {
        for (const char* key : {"Audio Joiner", "Audio Converter", "ACM Converter", "Audio Splitter", "Text To Speech", "FreeDB"})
            ToolWindows::Register(QLatin1String(key), {});
        if (frmMain.isLoaded())
            frmMain->SetPreviewSeam(nullptr);
        forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString makeWav(const QString& name, double seconds = 0.2)
    {
        fixtures::Pcm pcm;
        const QString p = QDir(media).filePath(name);
        EXPECT_TRUE(fixtures::writeFile(p, fixtures::wavBytes(pcm, fixtures::sine(pcm, int64_t(seconds * pcm.rate)))));
        return p;
    }
    // A list of WAV files; marks as given ("1" marked), unmarked when the list is shorter.
    QString makeList(const QString& name, const QStringList& files, const QStringList& marks = {})
    {
        QList<ItemsListRecord> records;
        for (int i = 0; i < files.size(); ++i) {
            records << listfixtures::plainRecord(files[i], QFileInfo(files[i]).fileName(),
                                                 i < marks.size() ? marks[i] : QStringLiteral("0"));
        }
        const QString p = QDir(listsFolder).filePath(name + QStringLiteral(".flst"));
        EXPECT_TRUE(listfixtures::writeList(p, records));
        return p;
    }
    QStringList makeWavs(int n, const QString& stem = QStringLiteral("take"))
    {
        QStringList files;
        for (int i = 1; i <= n; ++i)
            files << makeWav(stem + QString::number(i) + QStringLiteral(".wav"), 0.1 * i);
        return files;
    }

    FrmMain* openMain()
    {
        FrmMain* f = frmMain.get();
        f->SetPreviewSeam(&preview);
        waitIdle(f);
        return f;
    }
    static void waitIdle(FrmMain* f)
    {
        QElapsedTimer t;
        t.start();
        while (f->m_lists->IsBusy() && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    // Selects the list node of a file and waits for its rows.
    void openList(FrmMain* f, const QString& file)
    {
        QTreeWidgetItem* root = g_nodeMainItems;
        ASSERT_NE(root, nullptr);
        for (int i = 0; i < root->childCount(); ++i) {
            if (cTreeView::Key(root->child(i)) == file) {
                f->cTreeView1->setCurrentItem(root->child(i));
                f->cTreeView1_NodeClick(root->child(i));
                waitIdle(f);
                return;
            }
        }
        FAIL() << "no node for " << file.toStdString();
    }
    static QString cell(cGrid* g, long row, const QString& key) { return g->Cell(row, g->ColumnIndex(key)).Text(); }
    static QStringList column(cGrid* g, const QString& key)
    {
        QStringList texts;
        for (long r = 1; r <= g->Rows(); ++r)
            texts << cell(g, r, key);
        return texts;
    }
    QStringList prompts() const
    {
        QStringList texts;
        for (const auto& r : box.shown)
            texts << r.prompt;
        return texts;
    }
    // Closes whatever modal dialog a command opens, as a user would.
    void closeModalsAsTheyOpen()
    {
        auto* timer = new QTimer(qApp);
        timer->setInterval(30);
        QObject::connect(timer, &QTimer::timeout, [] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                d->reject();
        });
        timer->start();
        closer.reset(timer);
    }

    FakeMessageBox box{platform::vbNo};
    FakeDesktop desktop{true};
    FakeShell shell;
    FakeFileDialogs dialogs;
    FakePreview preview;
    std::unique_ptr<QTimer> closer;
    QString listsFolder;
    QString media;
};
