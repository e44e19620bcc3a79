// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlFunctions.h"
#include "foundation/mdlRunOnStart.h"
#include "platform/Paths.h"
#include "settings/FrmAudioProp.h"
#include "settings/FrmOptions.h"
#include "settings/FrmProgParameters.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/cTabControl.h"
#include "settings/controls/cTreeView.h"
#include "tests/settings/SettingsTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

using Options = SettingsTest;

const QString kWav = QStringLiteral("WAV - Waveform Audio Format (*.wav)");
const QString kMp3 = QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)");

QList<QCheckBox*> optionChecks(FrmOptions* f)
{
    return {f->chkSelectTheLastItem, f->chkAutoFreeDB, f->chkSaveLogWhenExit, f->chkDisplayMSGWhenExit,
            f->chkDisplayMSGWhenErase, f->chkGoToNextItem, f->chkDisplayPlayer, f->chkClearOnExit,
            f->chkDisplayAudioGraph, f->chkMenuXPStyle, f->chkDisplayGridHotTrack, f->chkDisplayTitle,
            f->chkDisplayGridLine, f->chkDisplayLiveUpdateWindow, f->chkAutoUpdate, f->chkOpenDestFolder,
            f->chkTurnOffComputer, f->chkPlaySound, f->chkNoticeApp};
}

TEST_F(Options, FirstStartWithEmptySections)
{
    FrmOptions* f = frmOptions.get();
    EXPECT_FALSE(f->isVisible());
    for (QCheckBox* box : optionChecks(f))
        EXPECT_EQ(box->checkState(), Qt::Unchecked) << qPrintable(box->objectName());
    EXPECT_TRUE(f->chkCopyID3FromSource->isChecked());
    EXPECT_TRUE(ProgramOptions.chkCopyID3FromSource);
    EXPECT_EQ(ProgramOptions.picColor, 0);
    EXPECT_EQ(ProgramOptions.picTextColor, 0);

    const QString lists = platform::programFolder() + QStringLiteral("/Main/");
    EXPECT_EQ(ProgramOptions.txtToPath, lists);
    EXPECT_TRUE(QDir(lists).exists());
    ASSERT_GT(f->txtToPath->count(), 0);
    EXPECT_EQ(f->txtToPath->itemText(0), lists);  // first in the path history

    EXPECT_EQ(ProgramOptions.txtPlayAtEnd, platform::programFolder() + QStringLiteral("/sound/notify.wav"));
    EXPECT_EQ(f->txtPlayAtEnd->text(), QStringLiteral("notify.wav"));
    EXPECT_EQ(f->txtPlayAtEnd->toolTip(), ProgramOptions.txtPlayAtEnd);

    EXPECT_EQ(f->cboTargetFormat->currentIndex(), -1);
    EXPECT_EQ(f->cboTargetFormat->count(), 4);
    EXPECT_TRUE(ProgramOptions.cboTargetFormat.isEmpty());
    EXPECT_EQ(f->cboFileName->currentIndex(), -1);
    EXPECT_TRUE(ProgramOptions.cboFileName.isEmpty());
    EXPECT_EQ(f->cboFileName->count(), 6);
    EXPECT_EQ(ProgramOptions.cboDevices, -1);
    EXPECT_EQ(f->chkRunWhenWinStarts->isChecked(), IsRunOnStartup());

    // Opens on General; the page tree holds the five pages.
    EXPECT_EQ(f->lblTitle->text(), QStringLiteral("General"));
    EXPECT_TRUE(f->froGeneral->isVisibleTo(f));
    EXPECT_EQ(f->cTreeView1->NodeCount(), 5);
    // Controls that are never shown.
    for (QWidget* w : std::initializer_list<QWidget*>{f->chkAutoUpdate, f->chkDisplayLiveUpdateWindow,
                                                     f->chkDontSaveSilenceFile, f->cboDevices, f->lblAudioDevice,
                                                     f->chkAutoFreeDB})
        EXPECT_FALSE(w->isVisibleTo(f)) << qPrintable(w->objectName());
}

TEST_F(Options, StoredTextsThatMatchNothingLeaveControlsAsTheyWere)
{
    put("General", "cboTargetFormat", "OGG - Ogg Media Format (*.ogg)");  // not offered by this build
    put("General", "cboFileName", "[gone].[dest_extension]");
    put("General", "chkClearOnExit", "yes");  // not a number
    put("General", "picColor", "blue");
    put("ID3 Tags", "chkCopyID3FromSource", "0");
    put("Events", "txtPlayAtEnd", "/some/folder/");  // no file part: the default sound is used
    FrmOptions* f = frmOptions.get();
    EXPECT_EQ(f->cboTargetFormat->currentIndex(), -1);
    EXPECT_TRUE(ProgramOptions.cboTargetFormat.isEmpty());
    EXPECT_EQ(f->cboFileName->currentIndex(), -1);
    EXPECT_FALSE(ProgramOptions.chkClearOnExit);
    EXPECT_EQ(ProgramOptions.picColor, 0);
    EXPECT_FALSE(ProgramOptions.chkCopyID3FromSource);
    EXPECT_EQ(f->txtPlayAtEnd->text(), QStringLiteral("notify.wav"));

    // Later loads keep the last applied value when the stored text matches nothing.
    put("General", "cboTargetFormat", kMp3);
    f->GetOptions();
    EXPECT_EQ(ProgramOptions.cboTargetFormat, kMp3);
    put("General", "cboTargetFormat", "");
    f->GetOptions();
    EXPECT_EQ(ProgramOptions.cboTargetFormat, kMp3);
}

TEST_F(Options, StoredMissingFolderIsUsedUnchangedNotCreated)
{
    const QString missing = testenv::root() + QStringLiteral("/nowhere/lists/");
    put("General", "txtToPath", missing);
    frmOptions.get();
    EXPECT_EQ(ProgramOptions.txtToPath, missing);
    EXPECT_FALSE(QDir(missing).exists());
    EXPECT_FALSE(ReadTextFile(PathHistoryFile()).contains(missing));
}

TEST_F(Options, OkStoresEveryValueAndReadsItBack)
{
    FrmOptions* f = frmOptions.get();
    for (QCheckBox* box : optionChecks(f))
        box->setChecked(true);
    f->chkCopyID3FromSource->setChecked(false);
    f->chkRunWhenWinStarts->setChecked(true);
    f->cboTargetFormat->setCurrentIndex(2);
    f->cboFileName->setCurrentIndex(3);
    f->picColor->SetBackColor(255);
    f->picTextColor->SetBackColor(0xFFFFFF);
    f->SetPlayAtEnd(QStringLiteral("/music/ding.mp3"));
    f->txtAppNotice->setPlainText(QStringLiteral("notify-send [FILE_RECORDED]"));
    f->txtTagArtist->setText(QStringLiteral("Artist"));
    f->txtTagSong->setText(QStringLiteral("Song"));
    f->txtTagAlbum->setText(QStringLiteral("Album"));
    f->txtTagTrack->setText(QStringLiteral("7"));
    f->txtTagGenre->setText(QStringLiteral("Genre"));
    f->txtTagYear->setText(QStringLiteral("1999"));
    f->txtTagComment->setPlainText(QStringLiteral("Comment"));
    f->show();
    f->cmdOk_Click();

    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(get("General", "cboTargetFormat").toString(), kMp3);
    EXPECT_EQ(get("General", "cboDevices").toString(), QStringLiteral("-1"));
    EXPECT_EQ(get("General", "picColor").toString(), QStringLiteral("255"));
    EXPECT_EQ(get("Events", "txtPlayAtEnd").toString(), QStringLiteral("/music/ding.mp3"));
    EXPECT_EQ(get("ID3 Tags", "chkCopyID3FromSource").toString(), QStringLiteral("0"));
    EXPECT_EQ(get("General", "chkDisplayGridLine").toString(), QStringLiteral("1"));
    EXPECT_TRUE(IsRunOnStartup());
    EXPECT_TRUE(mainLink.calls.contains(QStringLiteral("Relayout")));
    EXPECT_TRUE(mainLink.calls.contains(QStringLiteral("HotTrack 1")));
    EXPECT_TRUE(mainLink.calls.contains(QStringLiteral("GridLines 1")));

    // A fresh load from the store gives the same members.
    const ProgramOptionsData saved = ProgramOptions;
    frmOptions.unload();
    forms::unloadAll();
    ProgramOptions = ProgramOptionsData();
    FrmOptions* g = frmOptions.get();
    EXPECT_TRUE(ProgramOptions.chkClearOnExit && ProgramOptions.chkNoticeApp && ProgramOptions.chkAutoUpdate);
    EXPECT_EQ(ProgramOptions.cboTargetFormat, saved.cboTargetFormat);
    EXPECT_EQ(ProgramOptions.cboFileName, saved.cboFileName);
    EXPECT_EQ(ProgramOptions.cboDevices, -1);
    EXPECT_EQ(ProgramOptions.picColor, 255);
    EXPECT_EQ(ProgramOptions.picTextColor, 0xFFFFFF);
    EXPECT_EQ(ProgramOptions.txtPlayAtEnd, QStringLiteral("/music/ding.mp3"));
    EXPECT_EQ(g->txtPlayAtEnd->text(), QStringLiteral("ding.mp3"));
    EXPECT_EQ(ProgramOptions.txtAppNotice, saved.txtAppNotice);
    EXPECT_EQ(ProgramOptions.txtTagComment, QStringLiteral("Comment"));
    EXPECT_EQ(ProgramOptions.txtTagTrack, QStringLiteral("7"));
    EXPECT_FALSE(ProgramOptions.chkCopyID3FromSource);
    EXPECT_TRUE(g->chkRunWhenWinStarts->isChecked());
    SetRunOnStartup(false);
}

TEST_F(Options, CancelRestoresControlsAndEnablingAndWritesNothing)
{
    FrmOptions* f = frmOptions.get();
    const auto before = hives.first->data().toText(QStringLiteral("HKEY_LOCAL_MACHINE"));
    f->show();
    f->chkClearOnExit->setChecked(true);
    f->chkCopyID3FromSource->setChecked(false);
    EXPECT_TRUE(f->txtTagArtist->isEnabled());
    f->txtTagArtist->setText(QStringLiteral("edited"));
    f->cmdCancel_Click();
    EXPECT_FALSE(f->isVisible());
    EXPECT_FALSE(f->chkClearOnExit->isChecked());
    EXPECT_TRUE(f->chkCopyID3FromSource->isChecked());
    EXPECT_FALSE(f->txtTagArtist->isEnabled());
    EXPECT_TRUE(f->txtTagArtist->text().isEmpty());
    EXPECT_FALSE(ProgramOptions.chkClearOnExit);
    EXPECT_EQ(hives.first->data().toText(QStringLiteral("HKEY_LOCAL_MACHINE")), before);
}

TEST_F(Options, CloseBoxOnlyHidesUntilTheProgramEnds)
{
    FrmOptions* f = frmOptions.get();
    f->show();
    f->chkClearOnExit->setChecked(true);
    f->close();
    EXPECT_TRUE(frmOptions.isLoaded());
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(sound.stops, 1);  // a test sound stops with the window
    // Nothing stored or re-read: the edit is still there.
    EXPECT_TRUE(f->chkClearOnExit->isChecked());
    EXPECT_FALSE(get("General", "chkClearOnExit").isValid());

    g_bMainUnloading = true;
    f->show();
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmOptions.isLoaded());
    EXPECT_EQ(sound.stops, 2);
}

TEST_F(Options, FolderChangeReachesTheMainWindow)
{
    const struct { const char* name; QString text; bool rebuilt; } cases[] = {
        {"unchanged", platform::programFolder() + QStringLiteral("/Main/"), false},
        {"letter case", platform::programFolder() + QStringLiteral("/MAIN/"), true},
        {"other folder", testenv::root() + QStringLiteral("/lists/"), true},
    };
    for (const auto& c : cases) {
        FrmOptions* f = frmOptions.get();
        mainLink.calls.clear();
        f->txtToPath->setEditText(c.text);
        f->cmdOk_Click();
        EXPECT_EQ(mainLink.calls.contains(QStringLiteral("ListsFolderChanged")), c.rebuilt) << c.name;
        EXPECT_EQ(ProgramOptions.txtToPath, c.text) << c.name;
        EXPECT_EQ(get("General", "txtToPath").toString(), c.text) << c.name;
        // Back to the first folder for the next case.
        f->txtToPath->setEditText(cases[0].text);
        f->cmdOk_Click();
    }
}

TEST_F(Options, FailedStoreIsToldAndKeepsTheEdits)
{
    FrmOptions* f = frmOptions.get();
    dropSection(QStringLiteral("Events"));
    f->show();
    f->chkPlaySound->setChecked(true);
    f->chkClearOnExit->setChecked(true);
    f->cmdOk_Click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].prompt.contains(QStringLiteral("Events")));
    // The reason: the section's key is missing, named in full.
    EXPECT_TRUE(messages.shown[0].prompt.contains(QStringLiteral("HKEY_LOCAL_MACHINE\\") + SettingsKeyRoot() +
                                                  QStringLiteral("\\Events' does not exist")))
        << messages.shown[0].prompt.toStdString();
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->chkPlaySound->isChecked());  // not thrown away by a re-read
    EXPECT_EQ(get("General", "chkClearOnExit").toString(), QStringLiteral("1"));
}

TEST_F(Options, EnablingRules)
{
    FrmOptions* f = frmOptions.get();
    const struct { QCheckBox* box; QList<QWidget*> controls; bool enabledWhenChecked; } rules[] = {
        {f->chkPlaySound, {f->txtPlayAtEnd, static_cast<QWidget*>(f->cmdAddSound), f->cmdTestSound}, true},
        {f->chkNoticeApp, {f->txtAppNotice, static_cast<QWidget*>(f->cmdTestApp)}, true},
        {f->chkCopyID3FromSource,
         {f->lblTagArtist, f->txtTagArtist, f->lblTagSong, f->txtTagSong, f->lblTagAlbum, f->txtTagAlbum,
          f->lblTagGenre, f->txtTagGenre, f->lblTagTrack, f->txtTagTrack, f->lblTagYear, f->txtTagYear,
          f->lblTagComment, f->txtTagComment},
         false},
    };
    for (const auto& r : rules) {
        for (bool on : {true, false, true}) {
            r.box->setChecked(on);
            for (QWidget* w : r.controls)
                EXPECT_EQ(w->isEnabled(), on == r.enabledWhenChecked)
                    << qPrintable(r.box->objectName()) << " " << on << " " << qPrintable(w->objectName());
        }
    }
}

TEST_F(Options, PageSwitchingByKey)
{
    FrmOptions* f = frmOptions.get();
    const struct { const char* key; QWidget* page; const char* title; } pages[] = {
        {"Events", f->froEvents, "Events"}, {"ID3 Tags", f->froTags, "Default ID3 Tags"},
        {"View", f->froView, "View"},       {"Advanced", f->froAdvanced, "Advanced"},
        {"General", f->froGeneral, "General"}};
    for (const auto& p : pages) {
        f->OpenPage(QString::fromLatin1(p.key));
        EXPECT_EQ(f->lblTitle->text(), QString::fromLatin1(p.title));
        for (QWidget* page : {f->froGeneral, f->froEvents, f->froView, f->froTags, f->froAdvanced})
            EXPECT_EQ(page->isVisibleTo(f), page == p.page) << p.key;
        EXPECT_EQ(cTreeView::Key(f->cTreeView1->SelectedNode()), QString::fromLatin1(p.key));
        // All pages share one rectangle.
        EXPECT_EQ(p.page->geometry(), f->froGeneral->geometry());
    }
    f->lblMoreAdvancedOptions_Click();
    EXPECT_TRUE(f->froAdvanced->isVisibleTo(f));
}

TEST_F(Options, OpenListsFolderAsksBeforeCreating)
{
    FrmOptions* f = frmOptions.get();
    const QString missing = testenv::root() + QStringLiteral("/a/b/c");

    // No: nothing created, nothing opened; the box still gets its final "/".
    f->txtToPath->setEditText(missing);
    messages.answer(platform::vbNo);
    f->lblOpenDestinationDestinationFolder_Click();
    EXPECT_EQ(f->txtToPath->currentText(), missing + QLatin1Char('/'));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].prompt, QStringLiteral("The folder ") + missing + QStringLiteral("/ does not exist.") +
                                            QString(44, QLatin1Char(' ')) +
                                            QStringLiteral("\r\n\r\nWould you like to create it?"));
    EXPECT_FALSE(QDir(missing).exists());
    EXPECT_TRUE(shell.opened.isEmpty());

    // Yes with a path that can be made: every level made, first in the history, opened.
    messages.answer(platform::vbYes);
    f->lblOpenDestinationDestinationFolder_Click();
    EXPECT_TRUE(QDir(missing).exists());
    EXPECT_EQ(f->txtToPath->itemText(0), missing + QLatin1Char('/'));
    EXPECT_EQ(shell.opened.size(), 1);

    // Yes with a path that cannot be made: told, and not handed to the file manager.
    QFile blocker(testenv::root() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = blocker.fileName() + QStringLiteral("/sub/");
    f->txtToPath->setEditText(impossible);
    messages.answer(platform::vbYes);
    f->lblOpenDestinationDestinationFolder_Click();
    ASSERT_EQ(messages.shown.size(), 4);  // the question again, then the failure
    EXPECT_EQ(messages.shown[3].prompt, QStringLiteral("The path: ") + impossible + QStringLiteral(" cannot be created."));
    EXPECT_EQ(shell.opened.size(), 1);
}

TEST_F(Options, SelectPathAppendsSeparatorOnce)
{
    FrmOptions* f = frmOptions.get();
    const QString before = f->txtToPath->currentText();
    dialogs.cancelFolder();
    f->cmdSelectPath_Click();
    EXPECT_EQ(f->txtToPath->currentText(), before);
    dialogs.chooseFolder(QStringLiteral("/srv/lists"));
    f->cmdSelectPath_Click();
    EXPECT_EQ(f->txtToPath->currentText(), QStringLiteral("/srv/lists/"));
    EXPECT_EQ(dialogs.requests.last().title, QStringLiteral("Select a new directory"));
    dialogs.chooseFolder(QStringLiteral("/"));
    f->cmdSelectPath_Click();
    EXPECT_EQ(f->txtToPath->currentText(), QStringLiteral("/"));
}

TEST_F(Options, EndSoundPickAndTest)
{
    FrmOptions* f = frmOptions.get();
    const QString before = f->PlayAtEndTag();
    dialogs.cancelOpen();
    f->cmdAddSound_Click();
    EXPECT_EQ(f->PlayAtEndTag(), before);
    EXPECT_EQ(f->txtPlayAtEnd->text(), QStringLiteral("notify.wav"));

    dialogs.chooseFiles({QStringLiteral("/music/end/ding.wav")});
    f->cmdAddSound_Click();
    EXPECT_EQ(f->PlayAtEndTag(), QStringLiteral("/music/end/ding.wav"));
    EXPECT_EQ(f->txtPlayAtEnd->text(), QStringLiteral("ding.wav"));
    EXPECT_EQ(f->txtPlayAtEnd->toolTip(), QStringLiteral("/music/end/ding.wav"));
    EXPECT_EQ(dialogs.requests.last().title, QStringLiteral("Select files"));

    f->cmdTestSound_Click();
    EXPECT_EQ(sound.played, QStringList{QStringLiteral("/music/end/ding.wav")});
}

TEST_F(Options, TestAppRunsTheTextUnexpandedWithoutShell)
{
    FrmOptions* f = frmOptions.get();
    f->txtAppNotice->setPlainText(QStringLiteral("notify-send \"Done: [FILE_RECORDED]\" ; rm -rf x"));
    f->cmdTestApp_Click();
    ASSERT_EQ(shell.started.size(), 1);
    EXPECT_EQ(shell.started[0], (QStringList{QStringLiteral("notify-send"), QStringLiteral("Done: [FILE_RECORDED]"),
                                             QStringLiteral(";"), QStringLiteral("rm"), QStringLiteral("-rf"),
                                             QStringLiteral("x")}));
    f->txtAppNotice->setPlainText(QString());
    f->cmdTestApp_Click();
    EXPECT_EQ(shell.started.size(), 1);
}

TEST_F(Options, ColourPickers)
{
    FrmOptions* f = frmOptions.get();
    dialogs.cancelColour();
    f->picColor_Click();
    EXPECT_FALSE(get("Display", "picColor").isValid());
    EXPECT_TRUE(mainLink.calls.isEmpty());

    dialogs.chooseColour(QColor(255, 0, 0));
    f->picColor_Click();
    EXPECT_EQ(f->picColor->BackColor(), 255);
    EXPECT_EQ(get("Display", "picColor").toString(), QStringLiteral("255"));
    EXPECT_EQ(mainLink.calls, (QStringList{QStringLiteral("TitleBack 255"), QStringLiteral("Graph1 255")}));
    EXPECT_EQ(f->picTitle->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(ProgramOptions.picColor, 0);  // the option changes only with OK

    mainLink.calls.clear();
    dialogs.chooseColour(QColor(0, 0, 255));
    f->picTextColor_Click();
    EXPECT_EQ(get("Display", "picTextColor").toString(), QString::number(0xFF0000));
    EXPECT_EQ(mainLink.calls, (QStringList{QStringLiteral("TitleText 16711680"), QStringLiteral("Graph2 16711680")}));

    // Cancel brings this window back to the stored colour; "Display" keeps the pick.
    f->cmdCancel_Click();
    EXPECT_EQ(f->picColor->BackColor(), 0);
    EXPECT_EQ(f->picTitle->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(get("Display", "picColor").toString(), QStringLiteral("255"));
}

TEST_F(Options, FileNameFormatsFileReplacesBuiltIns)
{
    QDir().mkpath(platform::programFolder());
    QFile file(FileNameFormatsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[item_name].[dest_extension]\r\n\r\n[123]_[date].[dest_extension]\r\n");
    file.close();
    FrmOptions* f = frmOptions.get();
    ASSERT_EQ(f->cboFileName->count(), 2);
    EXPECT_EQ(f->cboFileName->itemText(0), QStringLiteral("[item_name].[dest_extension]"));
    EXPECT_EQ(f->cboFileName->itemText(1), QStringLiteral("[123]_[date].[dest_extension]"));
}

TEST_F(Options, EditTargetFormatOpensItsTabAndOkSelectsTheOpenTab)
{
    FrmOptions* f = frmOptions.get();
    f->cboTargetFormat->setCurrentIndex(f->cboTargetFormat->findText(kMp3));
    QString keyShown;
    QTimer::singleShot(0, [&] {
        FrmAudioProp* p = g_frmAudioProp.get();
        keyShown = p->cTabControl1->SelectedKey();
        EXPECT_TRUE(p->froToMP3->isVisibleTo(p));
        p->cTabControl1->SelectTab(QStringLiteral("WAV"));
        p->cTabControl1_TabClick(1);
        p->cmdOK_Click();
    });
    f->cmdEditTargetFormat_Click();
    EXPECT_EQ(keyShown, QStringLiteral("MP3"));
    EXPECT_EQ(f->cboTargetFormat->currentText(), kWav);
    EXPECT_TRUE(g_frmAudioProp.isLoaded());
    EXPECT_FALSE(g_frmAudioProp->isVisible());
}

TEST_F(Options, ParameterLinksOpenTheirSection)
{
    FrmOptions* f = frmOptions.get();
    const struct { void (FrmOptions::*link)(); int section; const char* text; } links[] = {
        {&FrmOptions::lblNoticParameters_Click, 0, "Execute external application"},
        {&FrmOptions::lblID3TagParameters_Click, 1, "ID3 Audio Tags"},
        {&FrmOptions::lblParameters_Click, 2, "File Name Format"}};
    for (const auto& l : links) {
        int shown = -2;
        QString text;
        QTimer::singleShot(0, [&] {
            FrmProgParameters* p = g_frmProgParameters.get();
            shown = p->cboSections->currentIndex();
            text = p->cboSections->currentText();
            p->cmdOk_Click();
        });
        (f->*l.link)();
        EXPECT_EQ(shown, l.section);
        EXPECT_EQ(text, QString::fromLatin1(l.text));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(g_frmProgParameters.isLoaded());  // OK unloads it
    }
}

}  // namespace
