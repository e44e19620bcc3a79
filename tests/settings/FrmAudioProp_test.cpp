// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/FrmAudioProp.h"
#include "settings/FrmOptions.h"
#include "settings/OutputFormatOptions.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/cTabControl.h"
#include "tests/batchtools/ClippedCaptions.h"
#include "tests/settings/SettingsTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <cstring>

namespace {

using AudioProp = SettingsTest;

bool sameOptions(const OutputFormatOptionsData& a, const OutputFormatOptionsData& b)
{
    for (const FormatSetting& s : FormatSettings()) {
        if (auto p32 = std::get_if<int32_t OutputFormatOptionsData::*>(&s.field)) {
            if (a.**p32 != b.**p32)
                return false;
        } else if (auto p16 = std::get_if<int16_t OutputFormatOptionsData::*>(&s.field)) {
            if (a.**p16 != b.**p16)
                return false;
        } else if (auto ps = std::get_if<QString OutputFormatOptionsData::*>(&s.field)) {
            if (a.**ps != b.**ps)
                return false;
        }
    }
    return true;
}

TEST_F(AudioProp, EmptySectionsKeepListDefaultsAndZeroTheRest)
{
    frmOptions.get();  // sets the enabled-format flags, as at start
    FrmAudioProp* w = g_frmAudioProp.get();
    const OutputFormatOptionsData& o = OutputFormatOptions;
    // Stored as list text: the built-in defaults stay.
    EXPECT_EQ(o.cboSamplesWAV, 44100);
    EXPECT_EQ(o.cboBitrateWAV, 16);
    EXPECT_EQ(o.cboMP3Bitrate, 128);
    EXPECT_EQ(o.cboMP3Quality, 5);
    EXPECT_EQ(o.cboMP3Samplerate, 44100);
    EXPECT_EQ(o.cboMP3VBRQuality, 5);
    EXPECT_EQ(o.cboMP3MinBitrate, 9);
    EXPECT_EQ(o.cboMP3MaxBitrate, 11);
    EXPECT_EQ(o.cboMP3ABRBitrate, 96);
    EXPECT_EQ(o.cboOggBitNom, 32);
    EXPECT_EQ(o.cboTags, QStringLiteral("PCM"));
    EXPECT_FALSE(o.cboFormats.isEmpty());
    EXPECT_EQ(o.cboFormats, w->cboFormats->itemText(0));
    // Stored as index, check, option or slider: 0.
    EXPECT_EQ(o.cboChannelsWAV, 0);
    EXPECT_EQ(BuildWavFormatRecord().Channels, 1);
    EXPECT_EQ(o.cboMP3Mode, 0);
    EXPECT_EQ(o.chkMP3Original, 0);
    EXPECT_EQ(o.chkMP3VBRTag, 0);
    EXPECT_EQ(BuildMp3FormatRecord().VBRMethod, 0);
    EXPECT_EQ(o.ptnQualityOGG, 0);
    EXPECT_EQ(o.optOggBit, 0);
    EXPECT_EQ(o.sldOGG, 0);
    EXPECT_EQ(BuildOggFormatRecord().Mode, 0);
    EXPECT_EQ(o.cboWMACodecs, 0);
    EXPECT_EQ(o.cboWMAFormat, 0);
    EXPECT_EQ(o.cboAPELevel, 0);
    EXPECT_EQ(w->lblMP3Advanced->text(), QStringLiteral("Advanced..."));
    EXPECT_TRUE(w->picMP3Advanced->isHidden());
    EXPECT_EQ(w->lblSensitivityVal->text(), QStringLiteral("0"));
}

TEST_F(AudioProp, InstallerFirstValuesLoadAsTheWindowDefaults)
{
    // What the installer writes for a fresh install; see tools/InstallerDefaults.cpp.
    for (const auto& [section, name, text] : std::initializer_list<std::tuple<const char*, const char*, const char*>>{
             {"Formats\\WAV", "cboChannelsWAV", "1"}, {"Formats\\MP3", "cboMP3Quality", "5 "},
             {"Formats\\MP3", "chkMP3Original", "1"}, {"Formats\\MP3", "chkMP3Copyright", "1"},
             {"Formats\\MP3", "chkMP3VBRTag", "1"},   {"Formats\\MP3", "cboMP3MinBitrate", "96"},
             {"Formats\\OGG", "ptnQualityOGG", "True"}, {"Formats\\OGG", "sldOGG", "50"},
             {"Formats\\OGG", "optOggBit", "False"}})
        put(QString::fromLatin1(section), QString::fromLatin1(name), QString::fromLatin1(text));
    frmOptions.get();
    g_frmAudioProp.get();
    EXPECT_EQ(BuildWavFormatRecord(), (engine::WavFormatRecord{44100, 2, 16}));
    const auto mp3 = BuildMp3FormatRecord();
    EXPECT_EQ(mp3.VBRMethod, 4);
    EXPECT_EQ(mp3.WriteVBRTag, -1);
    EXPECT_EQ(mp3.Quality, 5);
    EXPECT_EQ(BuildOggFormatRecord(), (engine::OggFormatRecord{0, 0, 50}));
}

TEST_F(AudioProp, FourTabsAndOkSetsTheOptionsTargetFormat)
{
    FrmOptions* options = frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    ASSERT_EQ(w->cTabControl1->TabCount(), 4);
    EXPECT_EQ(w->cTabControl1->TabKey(3), QStringLiteral("MP3"));
    w->OpenOnFormat(QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
    w->show();
    w->cmdOK_Click();
    EXPECT_EQ(options->cboTargetFormat->currentIndex(), 2);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(g_frmAudioProp.isLoaded());
}

TEST_F(AudioProp, OpensOnThePageOfTheCallersFormat)
{
    frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    w->OpenOnFormat(QStringLiteral("WMA - Windows Media Audio files (*.wma)"));
    EXPECT_TRUE(w->froToWMA->isVisibleTo(w));
    EXPECT_FALSE(w->froToWAV->isVisibleTo(w));
    EXPECT_EQ(w->lblTitle->text(), QStringLiteral("WMA -"));
    EXPECT_EQ(w->lblFormatDesc->text(), QStringLiteral("Windows Media Audio"));
    EXPECT_GT(w->lblFormatDesc->x(), w->lblTitle->x() + w->lblTitle->width());
    w->OpenOnFormat(QStringLiteral("ACM - Waveform ACM Codecs (*.wav)"));
    EXPECT_EQ(w->lblTitle->text(), QStringLiteral("WAV(ACM) -"));
}

TEST_F(AudioProp, SaveWritesEachValueOnceAndReloadsTheSame)
{
    frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    w->cboMP3MinBitrate->setCurrentIndex(0);  // "8 " keeps its blank
    w->cboMP3Quality->setCurrentIndex(2);
    w->chkMP3ABR->setChecked(true);
    w->chkMP3VBRTag->setChecked(true);
    w->optOggBit->setChecked(true);
    w->cboOggBitNom->setCurrentIndex(w->cboOggBitNom->findText(QStringLiteral("196")));
    w->sldOGG->setValue(73);
    w->cboChannelsWAV->setCurrentIndex(1);
    w->lblMP3Advanced_Click();
    w->cmdOK_Click();
    EXPECT_TRUE(messages.shown.isEmpty());

    int values = 0;
    for (const QString& s : FormatSections())
        values += hives.first->values(SettingsKeyRoot() + QLatin1Char('\\') + s).size();
    EXPECT_EQ(values, 28);
    EXPECT_EQ(get("Formats\\MP3", "cboMP3MinBitrate").toString(), QStringLiteral("8 "));
    EXPECT_EQ(get("Formats\\MP3", "cboMP3Quality").toString(), QStringLiteral("2 "));
    EXPECT_EQ(get("Formats\\OGG", "optOggBit").toString(), QStringLiteral("True"));
    EXPECT_EQ(get("Formats\\OGG", "ptnQualityOGG").toString(), QStringLiteral("False"));
    EXPECT_EQ(get("Formats\\MP3", "lblMP3Advanced").toString(), QStringLiteral("Simple..."));

    EXPECT_EQ(OutputFormatOptions.cboMP3MinBitrate, 0);
    const auto mp3 = BuildMp3FormatRecord();
    EXPECT_EQ(mp3.VBRMethod, 3);
    EXPECT_EQ(mp3.WriteVBRTag, -1);
    EXPECT_EQ(BuildOggFormatRecord(), (engine::OggFormatRecord{2, 196, 0}));

    const OutputFormatOptionsData saved = OutputFormatOptions;
    w->GetOptions();
    EXPECT_TRUE(sameOptions(saved, OutputFormatOptions));

    // A new start shows the saved view and values.
    g_frmAudioProp.unload();
    forms::unloadAll();
    OutputFormatOptions = OutputFormatOptionsData();
    frmOptions.get();
    FrmAudioProp* again = g_frmAudioProp.get();
    EXPECT_TRUE(sameOptions(saved, OutputFormatOptions));
    EXPECT_EQ(again->cboMP3MinBitrate->currentIndex(), 0);
    EXPECT_FALSE(again->picMP3Advanced->isHidden());
    EXPECT_EQ(again->lblSensitivityVal->text(), QStringLiteral("73"));
}

TEST_F(AudioProp, ExitKeepsEditsButNotTheMembers)
{
    frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    w->show();
    w->cboSamplesWAV->setCurrentIndex(w->cboSamplesWAV->findText(QStringLiteral("8000")));
    w->cmdExit_Click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(OutputFormatOptions.cboSamplesWAV, 44100);
    EXPECT_EQ(w->cboSamplesWAV->currentText(), QStringLiteral("8000"));
    EXPECT_FALSE(get("Formats\\WAV", "cboSamplesWAV").isValid());
}

TEST_F(AudioProp, AdvancedLinkTogglesTheView)
{
    frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    w->lblMP3Advanced_Click();
    EXPECT_EQ(w->lblMP3Advanced->text(), QStringLiteral("Simple..."));
    EXPECT_FALSE(w->picMP3Advanced->isHidden());
    w->lblMP3Advanced_Click();
    EXPECT_EQ(w->lblMP3Advanced->text(), QStringLiteral("Advanced..."));
    EXPECT_TRUE(w->picMP3Advanced->isHidden());
}

TEST_F(AudioProp, EveryMp3CaptionIsWholeInBothViews)
{
    frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    // With QM_SCREENSHOT_DIR set (a real display with a window manager) the views are saved.
    const QString dir = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    const auto save = [&](const char* name) {
        if (dir.isEmpty())
            return;
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        QTest::qWait(100);
        EXPECT_TRUE(w->grab().save(QDir(dir).filePath(QLatin1String(name))));
    };
    ASSERT_TRUE(w->cTabControl1->SelectTab(QStringLiteral("MP3")));
    w->cTabControl1_TabClick(w->cTabControl1->SelectedIndex());
    ASSERT_TRUE(w->froToMP3->isVisibleTo(w));
    EXPECT_EQ(clipped(w->froToMP3), QStringList()) << "simple view";
    save("audio-format-mp3-simple.png");
    w->lblMP3Advanced_Click();
    ASSERT_FALSE(w->picMP3Advanced->isHidden());
    EXPECT_EQ(clipped(w->picMP3Advanced), QStringList()) << "advanced view";
    EXPECT_EQ(clipped(w->froToMP3), QStringList()) << "advanced view";
    // The boxes of the right-hand column stay clear of the list beside them.
    for (QCheckBox* c : {w->chkMP3VBRTag, w->chkMP3VBRForceMinBitrate})
        EXPECT_GT(c->x(), w->cboMP3MaxBitrate->geometry().right()) << c->text().toStdString();
    save("audio-format-mp3-advanced.png");
    w->hide();
}

TEST_F(AudioProp, CancelledRecommendedCodecsKeepTheFullLists)
{
    put("Formats\\ACM", "cboTags", "PCM");
    frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    const int tags = w->cboTags->count();
    ASSERT_GT(tags, 1);
    const QString format = w->cboFormats->currentText();

    w->chkBestAccordToSource->setChecked(true);
    dialogs.cancelOpen();
    w->chkBestAccordToSource_Click();
    EXPECT_EQ(dialogs.requests.last().title, QStringLiteral("Open MP3 audio file"));
    EXPECT_EQ(w->cboTags->count(), tags);
    EXPECT_EQ(w->cboTags->currentText(), QStringLiteral("PCM"));
    EXPECT_EQ(w->cboFormats->currentText(), format);
    EXPECT_FALSE(w->chkBestAccordToSource->isChecked());

    // A file that is no audio recommends nothing either.
    dialogs.chooseFiles({testenv::root() + QStringLiteral("/missing.mp3")});
    w->chkBestAccordToSource->setChecked(true);
    w->chkBestAccordToSource_Click();
    EXPECT_EQ(w->cboTags->count(), tags);

    w->cmdOK_Click();
    EXPECT_EQ(get("Formats\\ACM", "cboTags").toString(), QStringLiteral("PCM"));
    EXPECT_EQ(get("Formats\\ACM", "cboFormats").toString(), format);
}

TEST_F(AudioProp, RecommendedCodecsForASource)
{
    frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    const int allTags = w->cboTags->count();
    dialogs.chooseFiles({writeToneWav(testenv::root() + QStringLiteral("/src.wav"), 8000, 1, 800)});
    w->chkBestAccordToSource->setChecked(true);
    w->chkBestAccordToSource_Click();
    EXPECT_TRUE(w->chkBestAccordToSource->isChecked());
    ASSERT_GT(w->cboTags->count(), 0);
    EXPECT_LE(w->cboTags->count(), allTags);
    EXPECT_EQ(w->cboTags->currentIndex(), 0);
    EXPECT_EQ(w->cboFormats->currentIndex(), 0);

    // Clearing the box lists every tag again.
    w->chkBestAccordToSource->setChecked(false);
    w->chkBestAccordToSource_Click();
    EXPECT_EQ(w->cboTags->count(), allTags);
    EXPECT_EQ(w->cboTags->currentIndex(), 0);
    EXPECT_GT(w->cboFormats->count(), 0);
}

TEST_F(AudioProp, UnlistedStoredCodecLeavesTheDefault)
{
    put("Formats\\ACM", "cboTags", "No Such Codec");
    put("Formats\\ACM", "cboFormats", "No Such Format");
    put("Formats\\WMA", "cboWMACodecs", "99");
    frmOptions.get();
    g_frmAudioProp.get();
    EXPECT_EQ(OutputFormatOptions.cboTags, QStringLiteral("PCM"));
    EXPECT_FALSE(OutputFormatOptions.cboFormats.isEmpty());
    EXPECT_EQ(OutputFormatOptions.cboWMACodecs, 0);
}

TEST_F(AudioProp, ClosesForRealOnlyWhileTheProgramEnds)
{
    frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    w->show();
    w->close();
    EXPECT_TRUE(g_frmAudioProp.isLoaded());
    EXPECT_FALSE(w->isVisible());
    g_bMainUnloading = true;
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(g_frmAudioProp.isLoaded());
}

TEST_F(AudioProp, FailedSaveIsToldAndKeepsTheChoice)
{
    frmOptions.get();
    FrmAudioProp* w = g_frmAudioProp.get();
    dropSection(QStringLiteral("Formats\\MP3"));
    w->show();
    w->cboMP3Bitrate->setCurrentIndex(w->cboMP3Bitrate->findText(QStringLiteral("320")));
    w->cmdOK_Click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].prompt.contains(QStringLiteral("Formats\\MP3")));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->cboMP3Bitrate->currentText(), QStringLiteral("320"));
}

TEST_F(AudioProp, TwoInstancesKeepWhatTheOtherChanged)
{
    frmOptions.get();
    FrmAudioProp* first = g_frmAudioProp.get();
    FrmAudioProp second;  // the other instance's window, open at the same time
    first->sldOGG->setValue(73);
    first->chkMP3VBRTag->setChecked(true);
    first->cmdOK_Click();
    second.cboChannelsWAV->setCurrentIndex(1);
    second.cmdOK_Click();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(get("Formats\\OGG", "sldOGG").toString(), QStringLiteral("73"));
    EXPECT_EQ(get("Formats\\MP3", "chkMP3VBRTag").toString(), QStringLiteral("1"));
    EXPECT_EQ(get("Formats\\WAV", "cboChannelsWAV").toString(), QStringLiteral("1"));

    // A failed save names the missing key as its reason.
    dropSection(QStringLiteral("Formats\\MP3"));
    first->show();
    first->cboMP3Bitrate->setCurrentIndex(first->cboMP3Bitrate->findText(QStringLiteral("320")));
    first->cmdOK_Click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].prompt.contains(QStringLiteral("Formats\\MP3' does not exist")))
        << messages.shown[0].prompt.toStdString();
}

}  // namespace
