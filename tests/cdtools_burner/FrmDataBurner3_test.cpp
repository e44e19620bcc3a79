// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/cProgressBar.h"
#include "cdtools/DataBurnerRules.h"
#include "cdtools/FrmDataBurner3.h"
#include "commands/ToolWindows.h"
#include "components/cAudioConverter.h"
#include "components/cAudioDataBurner.h"
#include "components/cBurner.h"
#include "components/cd/Burning.h"
#include "foundation/AppSettings.h"
#include "mainwindow/cSysTray.h"
#include "settings/OutputFormatOptions.h"
#include "settings/controls/LinkLabel.h"
#include "tests/components_cd/BurnFixtures.h"
#include "tests/itemsgrid/ItemWindowFixture.h"
#include "tests/support/DiscImages.h"
#include "tests/support/FakeConverter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <csignal>

#include <signal.h>
#include <unistd.h>

namespace {

TEST(DataBurnerRules, StoredEngineTextsAndNameTemplates)
{
    const std::pair<const char*, int> stored[] = {{"", 0}, {"0", 0}, {"1", 1}, {"abc", 0}, {"-1", 0}, {"7", 0}, {"1.4", 1}, {"0.5", 0}, {"1.5", 0}};
    for (const auto& [text, index] : stored)
        EXPECT_EQ(DataBurner::EngineIndexFromStored(QLatin1String(text)), index) << text;

    const QDateTime now(QDate(2024, 3, 5), QTime(14, 5, 9));
    const DataBurner::RowNameCells row{3, QStringLiteral("/music/song.wav"), QStringLiteral("My Song.WAV")};
    const QString mp3 = QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
    struct Case {
        const char* nameTemplate;
        bool copy;
        const char* want;
    };
    const Case cases[] = {
        {"[file_name].[dest_extension]", false, "song.mp3"},
        {"[file_name].[dest_extension]", true, "song.wav"},  // copied unchanged: its own extension
        {"[123]-[item_name].[convert_extension]", false, "3-My Song.WAV.mp3"},
        {"[file_name].[source_extension]", false, "song.wav"},
        {"[date] [time]", false, "05.03.2024 14-05-09"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataBurner::ExpandName(QLatin1String(c.nameTemplate), row, mp3, c.copy, now, QStringLiteral("dd/MM/yyyy").replace('/', '.')),
                  QLatin1String(c.want))
            << c.nameTemplate;
    EXPECT_EQ(DataBurner::ExpandName(QStringLiteral("x.[dest_extension]"), row, QStringLiteral("Odd format"), false, now, {}),
              QStringLiteral("x.[dest_extension]"));
}

// A second engine that answers from a list of devices given out of order and records the
// burn set-up; the test raises its events.
class FakeBurner final : public cBurner {
public:
    long DeviceCount() const override { return long(devices.size()); }
    QString DevicePath(long i) const override { return devices.value(int(i)).first; }
    QString DeviceName(long i) const override { return devices.value(int(i)).second; }
    void NewImage() override { calls << QStringLiteral("NewImage"); }
    void UseISO(bool on) override { calls << QStringLiteral("ISO %1").arg(on); }
    void UseJoliet(bool on) override { calls << QStringLiteral("Joliet %1").arg(on); }
    void UseUDF(bool on) override { calls << QStringLiteral("UDF %1").arg(on); }
    void VolumeName(const QString& n) override { calls << QStringLiteral("Volume ") + n; }
    bool AddFile(const QString& path) override
    {
        calls << QStringLiteral("AddFile ") + QFileInfo(path).fileName();
        return true;
    }
    void BurnDisc(long index) override { calls << QStringLiteral("BurnDisc %1").arg(index); }
    void CancelBurn() override {}
    void Shutdown() override {}
    QList<std::pair<QString, QString>> devices;
    QStringList calls;
};

class FrmDataBurner3Test : public ItemWindowTest {
protected:
    void SetUp() override
    {
        ItemWindowTest::SetUp();
        ProgramOptions.chkNoticeApp = false;
        ProgramOptions.chkOpenDestFolder = false;
        ProgramOptions.chkPlaySound = false;
        ProgramOptions.chkTurnOffComputer = false;
        OutputFormatOptions = OutputFormatOptionsData{};
        OutputFormatOptions.cboMP3Bitrate = 128;
        OutputFormatOptions.cboMP3Samplerate = 44100;
        OutputFormatOptions.cboMP3Quality = 5;
        OutputFormatOptions.cboMP3Mode = 1;
        OutputFormatOptions.chkMP3VBRTag = -1;
        OutputFormatOptions.cboWMACodecs = 0;
        OutputFormatOptions.cboWMAFormat = 2;  // 128 kbps, 44 kHz, stereo
        RegisterDataBurnerWindow();
    }
    void TearDown() override
    {
        ItemWindowTest::TearDown();
        qputenv("QUILLMERE_DRIVES", "");
        cd::SetMasteringLibrariesStartForTests(-1);
    }
    void useDrives(const QStringList& entries) { qputenv("QUILLMERE_DRIVES", entries.join(QLatin1Char(':')).toUtf8()); }
    QString image(const QString& name) const { return QDir(sourceFolder).filePath(name); }

    // Sources whose names test the disc's file systems: blanks, a letter outside ASCII, and a
    // name past the 31 characters of ISO 9660 level 2.
    QStringList sources()
    {
        const QStringList names{QStringLiteral("with some blanks.wav"), QStringLiteral("été.wav"),
                                QStringLiteral("a name well past thirty-one characters.wav")};
        QStringList files;
        for (int i = 0; i < names.size(); ++i)
            files << makeWav(names.at(i), fixtures::Pcm{}, 1);
        return files;
    }
    FrmDataBurner3* open(const QStringList& files, const QString& key = QStringLiteral("MP3 CD Maker"))
    {
        makeListOf(QStringLiteral("My Songs"), files);
        FrmMain* f = openMain();
        QObject::connect(f->cSysTray1, &cSysTray::BalloonShown, f->cSysTray1,
                         [this](const QString& text, const QString&) { balloons << text; });
        ToolWindow* h = ToolWindows::Load(key);
        h->lblTitle(key);
        h->Caption(key);
        h->cboTargetFormat_Text(QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
        h->txtCDName(QStringLiteral("My_Songs"));
        f->CopyGridRows(*f->cGrid1, *h->Grid(), true);
        return g_frmDataBurner3.get();
    }
    static QStringList logLines(FrmDataBurner3* w)
    {
        QStringList out;
        for (QString line : w->txtLog->toPlainText().split(QLatin1Char('\n'))) {
            line.remove(QLatin1Char('\r'));
            const int first = int(line.indexOf(QLatin1Char(':')));
            const int second = first < 0 ? -1 : int(line.indexOf(QLatin1Char(':'), first + 1));
            const int third = second < 0 ? -1 : int(line.indexOf(QLatin1Char(':'), second + 1));
            out << (third < 0 ? line : line.mid(third + 1));
        }
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }
    QStringList prompts() const
    {
        QStringList out;
        for (const platform::MessageBoxRequest& r : box.shown)
            out << r.prompt;
        return out;
    }
    bool waitIdle(FrmDataBurner3* w)
    {
        return burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled() && w->cmdExit->isEnabled(); });
    }

    QStringList balloons;
};

TEST_F(FrmDataBurner3Test, LoadsTheStoredEngineAndFallsBackWhenTheSecondDoesNotStart)
{
    useDrives({image(QStringLiteral("disc.iso")), image(QStringLiteral("audio.cue"))});
    struct Case {
        const char* stored;  // nullptr: nothing stored
        int libraries;
        int index;
        bool question;
        const char* firstDrive;
    };
    const Case cases[] = {
        {nullptr, -1, 0, false, "D: disc.iso"},
        {"1", -1, 1, false, "D: - disc.iso"},
        {"1", 0, 0, true, "D: disc.iso"},
        {"abc", -1, 0, false, "D: disc.iso"},
        {"-1", -1, 0, false, "D: disc.iso"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "nothing");
        if (c.stored)
            SaveSetting(g_sAppName, QStringLiteral("BurnerEngine"), QStringLiteral("cmbEngine"), QLatin1String(c.stored));
        cd::SetMasteringLibrariesStartForTests(c.libraries);
        box.shown.clear();
        FrmDataBurner3* w = g_frmDataBurner3.get();
        EXPECT_EQ(w->cmbEngine->currentIndex(), c.index);
        EXPECT_EQ(w->chkJOLIET->isVisibleTo(w), c.index == 1);
        EXPECT_TRUE(w->chkJOLIET->isChecked());
        EXPECT_TRUE(w->chkISO->isChecked());
        EXPECT_FALSE(w->chkUDF->isChecked());
        EXPECT_EQ(w->cboDrv->currentText(), QLatin1String(c.firstDrive));
        EXPECT_EQ(w->cboSpeed->count(), c.index == 0 ? 1 : 0);
        EXPECT_EQ(prompts(), c.question ? QStringList{DataBurner::MissingLibraryQuestion()} : QStringList());
        w->close();
        EXPECT_FALSE(g_frmDataBurner3.isLoaded());
        EXPECT_EQ(GetSetting(g_sAppName, QStringLiteral("BurnerEngine"), QStringLiteral("cmbEngine")), QString::number(c.index));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Yes to the question opens the notes on burning.
    cd::SetMasteringLibrariesStartForTests(0);
    FrmDataBurner3* w = g_frmDataBurner3.get();
    box.answer(platform::vbYes);
    w->cmbEngine->setCurrentIndex(1);
    EXPECT_EQ(w->cmbEngine->currentIndex(), 0);
    EXPECT_EQ(shell.opened, QStringList{platform::programFolder() + QStringLiteral("/Burning.html")});
}

TEST_F(FrmDataBurner3Test, CopyModeBurnsTheFilesUnderTheirOwnExtensionWithEitherEngine)
{
    const QStringList files = sources();
    for (int engine = 0; engine < 2; ++engine) {
        SCOPED_TRACE(engine);
        const QString iso = image(QStringLiteral("engine%1.iso").arg(engine));
        useDrives({iso});
        FrmDataBurner3* w = open(files);
        w->cmbEngine->setCurrentIndex(engine);
        w->chkDoNotConvertSource->setChecked(true);
        w->chkDoNotConvertSource_Click();
        EXPECT_FALSE(w->cboTargetFormat->isEnabled());
        w->cboFileName->setEditText(QStringLiteral("[file_name].[dest_extension]"));
        w->chkEraseTempfiles->setChecked(false);
        w->cmdConvert_Click();
        ASSERT_TRUE(waitIdle(w));
        ASSERT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done.")) << logLines(w).join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(prompts().contains(QStringLiteral("Burn CD?") + QString(46, u' ')));
        EXPECT_TRUE(logLines(w).contains(QStringLiteral("Destination format: MP3")));
        QStringList want{QStringLiteral("with some blanks.wav"), QStringLiteral("été.wav"),
                         QStringLiteral("a name well past thirty-one characters.wav")};
        want.sort();
        EXPECT_EQ(burnfixtures::isoRootNames(iso), want);
        const QString out = image(QStringLiteral("out%1").arg(engine));
        ASSERT_TRUE(burnfixtures::extractIso(iso, out));
        for (const QString& f : files)
            EXPECT_TRUE(fixtures::readFile(out + QLatin1Char('/') + QFileInfo(f).fileName()) == fixtures::readFile(f));
        const QString info = burnfixtures::isoInfo(iso);
        EXPECT_TRUE(info.contains(QStringLiteral("Volume id: MY_SONGS"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("Joliet"))) << info.toStdString();
        if (engine == 0) {
            EXPECT_TRUE(info.contains(QStringLiteral("Application id: QUILLMERE"))) << info.toStdString();
            EXPECT_TRUE(info.contains(QStringLiteral("Publisher id: QUILLMERE"))) << info.toStdString();
        }
        // Without "Erase Temp files" the prepared files stay until the window closes.
        EXPECT_EQ(QDir(DataBurner::BurnTempFolder()).entryList(QDir::Files).size(), 3);
        w->close();
        EXPECT_TRUE(QDir(DataBurner::BurnTempFolder()).entryList(QDir::Files).isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        box.shown.clear();
    }
}

TEST_F(FrmDataBurner3Test, EachRowKeepsTheNameItWasPreparedUnder)
{
    const QStringList files = sources();
    const QString iso = image(QStringLiteral("timed.iso"));
    useDrives({iso});
    FrmDataBurner3* w = open(files);
    w->chkDoNotConvertSource->setChecked(true);
    w->cboFileName->setEditText(QStringLiteral("[time] [123].[dest_extension]"));
    // The clock moves on while the user looks at the burn question.
    struct Clocked : FakeMessageBox {
        explicit Clocked(FakeClock& c) : FakeMessageBox(platform::vbOK), clock(c) {}
        int show(const platform::MessageBoxRequest& r, QWidget* parent) override
        {
            clock.advance(61000);
            return FakeMessageBox::show(r, parent);
        }
        FakeClock& clock;
    } clockedBox(clock);
    w->cmdConvert_Click();
    ASSERT_TRUE(waitIdle(w));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done.")) << logLines(w).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(logLines(w).filter(QStringLiteral("Couldn't add")).isEmpty());
    EXPECT_EQ(burnfixtures::isoRootNames(iso),
              (QStringList{QStringLiteral("14-05-09 1.wav"), QStringLiteral("14-05-09 2.wav"), QStringLiteral("14-05-09 3.wav")}));
}

TEST_F(FrmDataBurner3Test, AWrittenDiscStopsTheFirstEngineBeforeAnythingIsPrepared)
{
    const QString written = discimages::WriteIso(sourceFolder, QStringLiteral("written"), 20);
    const QByteArray before = fixtures::readFile(written);
    useDrives({written});
    FrmDataBurner3* w = open(sources());
    w->cmdConvert_Click();
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("Please insert an empty media into drive: D:")});
    EXPECT_EQ(logLines(w), (QStringList{QStringLiteral("Preparing to burn: 3 tracks."), QStringLiteral("The CD drive 'D:' is not empty."),
                                        QStringLiteral("Aborted.")}));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_TRUE(fixtures::readFile(written) == before);
}

TEST_F(FrmDataBurner3Test, BurnRefusalsComeBackAsOneErrorAndKeepThePreparedFiles)
{
    const QStringList files = sources();
    // Data to an audio drive with either engine, and with the second one's UDF alone.
    struct Case {
        int engine;
        bool udfOnly;
        const char* says;
    };
    const Case cases[] = {{0, false, "audio discs only"}, {1, false, "audio discs only"}, {1, true, "audio discs only"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.engine + c.udfOnly);
        useDrives({image(QStringLiteral("audio.cue"))});
        FrmDataBurner3* w = open(files);
        w->cmbEngine->setCurrentIndex(c.engine);
        w->chkDoNotConvertSource->setChecked(true);
        if (c.udfOnly) {
            w->chkISO->setChecked(false);
            w->chkJOLIET->setChecked(false);
            w->chkUDF->setChecked(true);
        }
        w->cmdConvert_Click();
        ASSERT_TRUE(waitIdle(w));
        EXPECT_TRUE(w->lblCurrentTrack->text().contains(QLatin1String(c.says))) << w->lblCurrentTrack->text().toStdString();
        EXPECT_FALSE(logLines(w).contains(QStringLiteral("Done.")));
        EXPECT_EQ(QDir(DataBurner::BurnTempFolder()).entryList(QDir::Files).size(), 3);
        EXPECT_FALSE(QFile::exists(image(QStringLiteral("audio.cue"))));
        EXPECT_TRUE(w->lblOpenCDDoor->isEnabled());
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(FrmDataBurner3Test, AbortDuringABurnAsksNothingAndTheEraseLinkAlwaysSaysDone)
{
    const QString iso = image(QStringLiteral("disc.iso"));
    useDrives({iso});
    const fixtures::Pcm cd{44100, 2, 16};
    QStringList files;
    files << makeWav(QStringLiteral("big.wav"), cd, 60);
    FrmDataBurner3* w = open(files);
    w->chkDoNotConvertSource->setChecked(true);
    bool triedAbort = false;
    QObject::connect(w->cAudioDataBurner1.get(), &cAudioDataBurner::BurnStarting, w, [&] {
        triedAbort = true;
        const qsizetype shown = box.shown.size();
        w->cmdAbort_Click();
        EXPECT_EQ(box.shown.size(), shown);
    });
    w->cmdConvert_Click();
    ASSERT_TRUE(waitIdle(w));
    EXPECT_TRUE(triedAbort);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done."));
    EXPECT_FALSE(balloons.contains(QStringLiteral("Aborted.")));
    EXPECT_TRUE(QFile::exists(iso));

    QDir(DataBurner::BurnTempFolder()).removeRecursively();
    box.shown.clear();
    w->lblErasetempfilesnow_Click();
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("Done.") + QString(28, u' ')});
}

}  // namespace

namespace {

TEST_F(FrmDataBurner3Test, TheSecondEngineHandsTheSortedPositionAndReportsItsEvents)
{
    useDrives({image(QStringLiteral("disc.iso"))});
    const QStringList files = sources();
    FrmDataBurner3* w = open(files);
    auto fake = std::make_unique<FakeBurner>();
    FakeBurner* b = fake.get();
    // The fake numbers its devices in the order of their texts, as the real one does.
    b->devices = {{QStringLiteral("E:"), QStringLiteral("alpha")}, {QStringLiteral("F:"), QStringLiteral("beta")}};
    w->UseComponents(CreateAudioConverter(), CreateAudioDataBurner(), std::move(fake));
    w->cmbEngine->setCurrentIndex(1);
    ASSERT_EQ(w->cboDrv->count(), 2);
    EXPECT_EQ(w->cboDrv->itemText(0), QStringLiteral("E: - alpha"));
    EXPECT_EQ(w->cboDrv->currentIndex(), 0);
    w->cboDrv->setCurrentIndex(1);
    w->chkDoNotConvertSource->setChecked(true);
    w->chkUDF->setChecked(true);
    w->chkISO->setChecked(false);
    w->cboFileName->setEditText(QStringLiteral("[123].[dest_extension]"));
    w->cmdConvert_Click();
    EXPECT_EQ(b->calls, (QStringList{QStringLiteral("NewImage"), QStringLiteral("ISO 0"), QStringLiteral("Joliet 0"), QStringLiteral("UDF 0"),
                                     QStringLiteral("Joliet 1"), QStringLiteral("UDF 1"), QStringLiteral("Volume My_Songs"),
                                     QStringLiteral("AddFile 1.wav"), QStringLiteral("AddFile 2.wav"), QStringLiteral("AddFile 3.wav"),
                                     QStringLiteral("BurnDisc 1")}));
    // Preparing: the buttons and the door links are off, Abort on.
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    EXPECT_FALSE(w->lblOpenCDDoor->isEnabled());
    EXPECT_TRUE(w->cmdAbort->isEnabled());
    Q_EMIT b->BurnerInitializing();
    Q_EMIT b->BurnerFileCount(12, 1);
    Q_EMIT b->StartBurning();
    EXPECT_FALSE(w->cmdAbort->isEnabled());
    Q_EMIT b->BurnerProgress(40);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("40%"));
    Q_EMIT b->BurnerError(QStringLiteral("A"), QStringLiteral("B"));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_TRUE(w->lblOpenCDDoor->isEnabled());
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("B (A)"));
    const QStringList log = logLines(w);
    EXPECT_EQ(log.mid(log.size() - 5), (QStringList{QStringLiteral("BurnerInitializing..."), QStringLiteral("12 files to burn."),
                                                    QStringLiteral("1 dirs to burn."), QStringLiteral("StartBurning..."),
                                                    QStringLiteral("B (A)")}));
    EXPECT_FALSE(log.contains(QStringLiteral("Done.")));
}

}  // namespace

namespace {

// Answers the burn question itself and notes the window's state behind it; every other box
// goes to the fixture's scripted one, which it puts back when it goes.
struct BurnQuestionWatch : platform::MessageBoxService {
    BurnQuestionWatch(FakeMessageBox& inner, FrmDataBurner3* window, int burnAnswer) : box(inner), w(window), answerToBurn(burnAnswer)
    {
        platform::setMessageBoxService(this);
    }
    ~BurnQuestionWatch() override { platform::setMessageBoxService(&box); }
    int show(const platform::MessageBoxRequest& r, QWidget* parent) override
    {
        if (!r.prompt.startsWith(QStringLiteral("Burn CD?")))
            return box.show(r, parent);
        box.shown.append(r);
        ++asked;
        atQuestion = QStringList{QString::number(w->prgCurrnet->Value()), QString::number(w->prgTotal->Value()), w->windowTitle(),
                                 w->Timer1->isActive() ? QStringLiteral("timer on") : QStringLiteral("timer off"),
                                 w->cmdConvert->isEnabled() ? QStringLiteral("idle") : QStringLiteral("busy")};
        return answerToBurn;
    }
    FakeMessageBox& box;
    FrmDataBurner3* w;
    int answerToBurn;
    int asked = 0;
    QStringList atQuestion;
};

TEST_F(FrmDataBurner3Test, ConversionModeBurnsWhatTheConverterWroteWithEitherEngine)
{
    const QStringList files = sources();
    struct Case {
        int engine;
        const char* key;
        const char* format;
        const char* code;
    };
    const Case cases[] = {
        {0, "MP3 CD Maker", "MP3 - MPEG-1 Audio Layer 3 (*.mp3)", "MP3"},
        {1, "MP3 CD Maker", "MP3 - MPEG-1 Audio Layer 3 (*.mp3)", "MP3"},
        {1, "WMA CD Maker", "WMA - Windows Media Audio files (*.wma)", "WMA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " engine " + std::to_string(c.engine));
        const QString iso = image(QStringLiteral("converted%1%2.iso").arg(c.engine).arg(QLatin1String(c.code)));
        useDrives({iso});
        FrmDataBurner3* w = open(files, QLatin1String(c.key));
        w->cboTargetFormat->setCurrentIndex(w->cboTargetFormat->findText(QLatin1String(c.format)));
        w->cmbEngine->setCurrentIndex(c.engine);
        ASSERT_FALSE(w->chkDoNotConvertSource->isChecked());
        EXPECT_TRUE(w->cboTargetFormat->isEnabled());
        w->cboFileName->setEditText(QStringLiteral("[file_name].[dest_extension]"));
        w->chkEraseTempfiles->setChecked(false);
        w->cmdConvert_Click();
        ASSERT_TRUE(waitIdle(w));
        const QStringList log = logLines(w);
        ASSERT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done.")) << log.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(prompts().filter(QStringLiteral("Burn CD?")).size(), 1);
        EXPECT_TRUE(log.contains(QStringLiteral("Destination format: ") + QLatin1String(c.code)));
        for (const QString& f : files)
            EXPECT_TRUE(log.contains(QStringLiteral("Start to convert: ") + QFileInfo(f).fileName() + QStringLiteral("...")));
        // The rows end without a "Done." of their own: the only one closes the burn.
        EXPECT_EQ(log.filter(QRegularExpression(QStringLiteral("^Done\\.$"))).size(), 1);

        const QString ext = QString::fromLatin1(c.code).toLower();
        QStringList want;
        for (const QString& f : files)
            want << QFileInfo(f).completeBaseName() + QLatin1Char('.') + ext;
        want.sort();
        EXPECT_EQ(burnfixtures::isoRootNames(iso), want);
        const QString out = image(QStringLiteral("out-%1-%2").arg(c.engine).arg(ext));
        ASSERT_TRUE(burnfixtures::extractIso(iso, out));
        const qsizetype sourceBytes = fixtures::Pcm{}.rate * fixtures::Pcm{}.bytesPerFrame();
        for (const QString& name : want) {
            SCOPED_TRACE(name.toStdString());
            const QByteArray burned = fixtures::readFile(out + QLatin1Char('/') + name);
            ASSERT_FALSE(burned.isEmpty());
            // Byte for byte what the converter wrote into the burn folder.
            EXPECT_TRUE(burned == fixtures::readFile(DataBurner::BurnTempFolder() + name));
            const QByteArray decoded = burnfixtures::decodeForCd(out + QLatin1Char('/') + name);
            if (ext == QLatin1String("mp3")) {
                EXPECT_EQ(decoded.size(), sourceBytes);
            } else {  // the format keeps no count of its samples: whole frames of 2048 at most
                EXPECT_LE(std::abs(decoded.size() - sourceBytes), 2048 * 4);
            }
        }
        const QString info = burnfixtures::isoInfo(iso);
        EXPECT_TRUE(info.contains(QStringLiteral("Volume id: MY_SONGS"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("Joliet"))) << info.toStdString();
        if (c.engine == 0) {
            EXPECT_TRUE(info.contains(QStringLiteral("Application id: QUILLMERE"))) << info.toStdString();
            EXPECT_TRUE(info.contains(QStringLiteral("Publisher id: QUILLMERE"))) << info.toStdString();
        }
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        box.shown.clear();
    }
}

TEST_F(FrmDataBurner3Test, TheConversionStageRunsEveryRowThenAsksToBurnOnce)
{
    const QString iso = image(QStringLiteral("disc.iso"));
    useDrives({iso});
    const QStringList files = sources();
    FrmDataBurner3* w = open(files);
    BurnQuestionWatch watch(box, w, platform::vbCancel);
    auto owned = std::make_unique<FakeConverter>();
    FakeConverter* c = owned.get();
    c->script = {FakeConverter::done(), FakeConverter::error(7, QStringLiteral("bad")), FakeConverter::done()};
    w->UseComponents(std::move(owned), CreateAudioDataBurner(), CreateBurner());
    w->cGrid1->Cell(2, w->cGrid1->ColumnIndex(COL_TAG_TITLE)).Text(QStringLiteral("Track [TRACK_NUM]"));
    w->cboFileName->setEditText(QStringLiteral("[123].[dest_extension]"));
    w->cmdConvert_Click();
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return watch.asked > 0 && w->cmdConvert->isEnabled(); }));

    ASSERT_EQ(c->started.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(c->started.at(i).input, files.at(i));
        EXPECT_EQ(c->started.at(i).output, DataBurner::BurnTempFolder() + QString::number(i + 1) + QStringLiteral(".mp3"));
    }
    EXPECT_EQ(c->started.at(1).title, QStringLiteral("Track 2"));
    EXPECT_EQ(c->calls.mid(0, 2), (QStringList{QStringLiteral("OutputFormat 3"), QStringLiteral("SetMp3Format")}));
    EXPECT_EQ(logLines(w), (QStringList{QStringLiteral("Preparing to burn: 3 tracks."), QStringLiteral("Destination format: MP3"),
                                        QStringLiteral("Start to convert: with some blanks.wav..."),
                                        QStringLiteral("Start to convert: été.wav..."), QStringLiteral("Error: bad(7)"),
                                        QStringLiteral("Start to convert: a name well past thirty-one characters.wav...")}));
    // Behind the question: the row bar full, the total bar empty, the caption "Ready.", the
    // estimate stopped, the buttons back.
    EXPECT_EQ(watch.asked, 1);
    EXPECT_EQ(watch.atQuestion, (QStringList{QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("Ready."),
                                             QStringLiteral("timer off"), QStringLiteral("idle")}));
    // Cancel: nothing burned, no balloon; the failed row keeps the computer on at the end.
    EXPECT_TRUE(balloons.isEmpty());
    EXPECT_FALSE(QFile::exists(iso));
    EXPECT_EQ(w->m_bJobError, -1);
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 3/3"));
    EXPECT_TRUE(w->cmdExit->isEnabled());
}

TEST_F(FrmDataBurner3Test, AbortStopsTheConversionAndNothingIsOffered)
{
    useDrives({image(QStringLiteral("disc.iso"))});
    FrmDataBurner3* w = open(sources());
    auto owned = std::make_unique<FakeConverter>();
    FakeConverter* c = owned.get();
    c->script = {FakeConverter::hold()};
    w->UseComponents(std::move(owned), CreateAudioDataBurner(), CreateBurner());
    w->cmdConvert_Click();
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return c->holding; }));
    EXPECT_TRUE(w->Timer1->isActive());
    box.answer(platform::vbNo);
    w->cmdAbort_Click();
    EXPECT_FALSE(c->calls.contains(QStringLiteral("Abort")));
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    box.answer(platform::vbYes);
    w->cmdAbort_Click();
    ASSERT_TRUE(waitIdle(w));
    EXPECT_EQ(prompts(), (QStringList{QStringLiteral("Abort operation?") + QString(38, u' '), QStringLiteral("Abort operation?") + QString(38, u' ')}));
    EXPECT_EQ(c->started.size(), 1);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Aborted."));
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.")});
    EXPECT_EQ(logLines(w).last(), QStringLiteral("Aborted."));
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_NE(w->cursor().shape(), Qt::WaitCursor);
}

TEST_F(FrmDataBurner3Test, TwoRowsUnderOneNameAskBeforeTheSecondIsConverted)
{
    const QStringList files{makeWav(QStringLiteral("a.wav"), fixtures::Pcm{}, 1), makeWav(QStringLiteral("b.wav"), fixtures::Pcm{}, 1)};
    struct Case {
        int answer;
        bool burnAsked;
        const char* lastLine;
    };
    const Case cases[] = {
        {platform::vbYes, true, "Overwrite it..."},
        {platform::vbNo, false, "File already exists."},
        {platform::vbCancel, false, "Aborted."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        useDrives({image(QStringLiteral("same.iso"))});
        FrmDataBurner3* w = open(files);
        BurnQuestionWatch watch(box, w, platform::vbCancel);
        box.answer(c.answer);
        w->cboFileName->setEditText(QStringLiteral("same.[dest_extension]"));
        w->cmdConvert_Click();
        ASSERT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled() && !box.shown.isEmpty(); }));
        const QString path = DataBurner::BurnTempFolder() + QStringLiteral("same.mp3");
        ASSERT_FALSE(box.shown.isEmpty());
        EXPECT_EQ(box.shown.first().prompt, QStringLiteral("The file: '") + path + QStringLiteral("' already exists.\r\n\r\nOverwrite it?"));
        EXPECT_EQ(watch.asked, c.burnAsked ? 1 : 0);
        const QStringList log = logLines(w);
        EXPECT_EQ(log.filter(QStringLiteral("Start to convert: ")).size(), 2);
        EXPECT_EQ(log.last(), QLatin1String(c.lastLine));
        EXPECT_TRUE(QFile::exists(path));
        // A skipped last row or a Cancel ends the stage as aborted, without the burn question.
        EXPECT_EQ(w->lblCurrentTrack->text(), c.burnAsked ? QStringLiteral("Ready.") : QStringLiteral("Aborted."));
        // Every open() listens to the tray once more, so a balloon is seen once per opening.
        QStringList seen = balloons;
        seen.removeDuplicates();
        EXPECT_EQ(seen, c.burnAsked ? QStringList() : QStringList{QStringLiteral("Aborted.")});
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        balloons.clear();
        box.shown.clear();
    }
}

// Two album folders that each hold "01.wav" prepare one file of that name: the answer to the
// overwrite question decides whose it is (Yes the second row's, No the first's), and the disc is
// then written with it, in either mode and with either engine.
TEST_F(FrmDataBurner3Test, TwoRowsOfOneNameAreBurnedWithTheFileTheAnswerKept)
{
    for (const char* album : {"first album", "second album"})
        ASSERT_TRUE(QDir().mkpath(QDir(sourceFolder).filePath(QLatin1String(album))));
    const QStringList files{makeWav(QStringLiteral("first album/01.wav"), fixtures::Pcm{}, 1),
                            makeWav(QStringLiteral("second album/01.wav"), fixtures::Pcm{}, 2),
                            makeWav(QStringLiteral("second album/02.wav"), fixtures::Pcm{}, 3)};
    struct Case {
        bool copy;
        int engine;
        int answer;
        int keptRow;  // whose file the disc holds as "01"
    };
    const Case cases[] = {
        {true, 0, platform::vbYes, 1}, {true, 1, platform::vbNo, 0}, {false, 1, platform::vbYes, 1}, {false, 0, platform::vbNo, 0}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.copy) + " engine " + std::to_string(c.engine) + " answer " + std::to_string(c.answer));
        const QString iso = image(QStringLiteral("albums%1.iso").arg(++n));
        useDrives({iso});
        FrmDataBurner3* w = open(files);
        w->cmbEngine->setCurrentIndex(c.engine);
        w->chkDoNotConvertSource->setChecked(c.copy);
        w->cboFileName->setEditText(QStringLiteral("[file_name].[dest_extension]"));
        w->chkEraseTempfiles->setChecked(false);
        box.answer(c.answer);  // the overwrite question; "Burn CD?" gets OK
        w->cmdConvert_Click();
        ASSERT_TRUE(waitIdle(w));
        const QStringList log = logLines(w);
        ASSERT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done.")) << log.join(QLatin1Char('\n')).toStdString();
        const QStringList asked = prompts();
        ASSERT_GE(asked.size(), 2) << asked.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(asked.at(0).endsWith(c.copy ? QStringLiteral("Overwtie it?") : QStringLiteral("Overwrite it?"))) << asked.at(0).toStdString();
        EXPECT_TRUE(asked.at(1).startsWith(QStringLiteral("Burn CD?")));
        const QString ext = c.copy ? QStringLiteral("wav") : QStringLiteral("mp3");
        EXPECT_EQ(burnfixtures::jolietNames(iso), (QStringList{QStringLiteral("01.") + ext, QStringLiteral("02.") + ext}));
        const QString out = image(QStringLiteral("albums-out%1").arg(n));
        ASSERT_TRUE(burnfixtures::extractIso(iso, out));
        const QString burned = out + QStringLiteral("/01.") + ext;
        if (c.copy)
            EXPECT_TRUE(fixtures::readFile(burned) == fixtures::readFile(files.at(c.keptRow)));
        else  // the rows' lengths tell them apart: 1 s and 2 s
            EXPECT_EQ(burnfixtures::decodeForCd(burned).size(), fixtures::Pcm{}.rate * fixtures::Pcm{}.bytesPerFrame() * (c.keptRow + 1));
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        box.shown.clear();
    }
}

// A program ended by a signal while the maker burns takes the prepared copies with it, as it
// takes the burn's part file. The window runs in a child of this test (gtest re-runs the test
// there) that signals itself once the burn has started; the child works in this process's
// program folder, found through the environment, so what it leaves is seen here.
TEST_F(FrmDataBurner3Test, ASignalDuringABurnLeavesNoPreparedFile)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const bool child = !qEnvironmentVariableIsEmpty("QM_DATABURNER_DATA");
    if (!child)
        qputenv("QM_DATABURNER_DATA", qgetenv("XDG_DATA_HOME"));
    qputenv("XDG_DATA_HOME", qgetenv("QM_DATABURNER_DATA"));
    listsFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Main"));
    sourceFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Sources"));
    ProgramOptions.txtToPath = listsFolder + QLatin1Char('/');
    const QStringList files = sources();
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        const QString iso = image(QStringLiteral("killed%1.iso").arg(sig));
        useDrives({iso});
        FrmDataBurner3* w = open(files);
        w->cmbEngine->setCurrentIndex(0);
        w->chkDoNotConvertSource->setChecked(true);
        EXPECT_EXIT(
            {
                QObject::connect(w->cAudioDataBurner1.get(), &cAudioDataBurner::BurnStarting, w, [sig] {
                    if (QDir(DataBurner::BurnTempFolder()).entryList(QDir::Files).size() != 3)
                        std::_Exit(3);  // nothing prepared: nothing would be proved
                    ::kill(::getpid(), sig);
                    QTest::qWait(30000);
                    std::_Exit(0);
                });
                w->cmdConvert_Click();
                QTest::qWait(60000);
                std::_Exit(4);
            },
            testing::KilledBySignal(sig), "");
        EXPECT_EQ(QDir(DataBurner::BurnTempFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                  QStringList());
        EXPECT_TRUE(QFileInfo(DataBurner::BurnTempFolder()).isDir());
        // Nor is an image or a part file of one left beside the drive.
        EXPECT_EQ(QDir(sourceFolder).entryList({QStringLiteral("*killed*")}, QDir::Files | QDir::Hidden), QStringList());
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    qunsetenv("QM_DATABURNER_DATA");
}

TEST_F(FrmDataBurner3Test, AWrittenDiscOrNothingPreparedEndsTheBurnInOneErrorAndWritesNothing)
{
    const QString written = discimages::WriteIso(sourceFolder, QStringLiteral("written"), 20);
    const QByteArray before = fixtures::readFile(written);
    const QString blank = image(QStringLiteral("blank.iso"));
    struct Case {
        const char* name;
        int engine;
        bool toWritten;
        bool everyRowFails;
        const char* says;
    };
    const Case cases[] = {
        {"second engine, written disc", 1, true, false, "is not empty"},
        {"first engine, no file prepared", 0, false, true, "no files"},
        {"second engine, no file prepared", 1, false, true, "no files"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useDrives({c.toWritten ? written : blank});
        FrmDataBurner3* w = open(sources());
        if (c.everyRowFails) {
            auto owned = std::make_unique<FakeConverter>();
            owned->script = {FakeConverter::error(5, QStringLiteral("no")), FakeConverter::error(5, QStringLiteral("no")),
                             FakeConverter::error(5, QStringLiteral("no"))};
            w->UseComponents(std::move(owned), CreateAudioDataBurner(), CreateBurner());
        } else {
            w->chkDoNotConvertSource->setChecked(true);
        }
        w->cmbEngine->setCurrentIndex(c.engine);
        int ends = 0;
        QObject::connect(w->cAudioDataBurner1.get(), &cAudioDataBurner::BurnError, w, [&] { ++ends; });
        QObject::connect(w->cAudioDataBurner1.get(), &cAudioDataBurner::Finished, w, [&] { ++ends; });
        QObject::connect(w->cBurner1.get(), &cBurner::BurnerError, w, [&] { ++ends; });
        QObject::connect(w->cBurner1.get(), &cBurner::BurnerEnd, w, [&] { ++ends; });
        w->cmdConvert_Click();
        ASSERT_TRUE(burnfixtures::waitUntil([&] { return ends > 0 && w->cmdConvert->isEnabled(); }));
        EXPECT_EQ(ends, 1);
        const QStringList log = logLines(w);
        EXPECT_TRUE(w->lblCurrentTrack->text().contains(QLatin1String(c.says))) << w->lblCurrentTrack->text().toStdString();
        EXPECT_EQ(log.filter(QLatin1String(c.says)).size(), 1) << log.join(QLatin1Char('\n')).toStdString();
        EXPECT_FALSE(log.contains(QStringLiteral("Done.")));
        if (c.everyRowFails) {
            EXPECT_EQ(log.filter(QStringLiteral("Error: no(5)")).size(), 3);
            // The first engine names every file it could not take.
            EXPECT_EQ(prompts().filter(QStringLiteral("Couldn't add the file ")).size(), c.engine == 0 ? 3 : 0) << prompts().join(QLatin1Char('|')).toStdString();
        }
        EXPECT_TRUE(w->cmdExit->isEnabled());
        EXPECT_TRUE(fixtures::readFile(written) == before);
        EXPECT_FALSE(QFile::exists(blank));
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        box.shown.clear();
    }
}

TEST_F(FrmDataBurner3Test, TheLogSaysTheNamesTheDiscHoldsWithEitherEngineAndUdf)
{
    // A name Joliet cuts, two that its cut makes equal, one of characters beyond UCS-2.
    const QString name = QStringLiteral("Mix Grüße 2024 - A Very Long Album Title - 01 - A Song Title With Many Characters "
                                        "And Then Some More Words.wav");
    const QString twin = QStringLiteral("Various Artists - The Very Long Compilation Title - Disc 1 - 07 - A Song Title That Goes On To ");
    const QStringList names{name, twin + QStringLiteral("Part A.wav"), twin + QStringLiteral("Part B.wav"),
                            QString::fromUcs4(U"\U0001F3B5").repeated(60) + QStringLiteral(" song.wav")};
    ASSERT_GT(name.size(), 104);
    QStringList files;
    for (const QString& n : names)
        files << makeWav(n, fixtures::Pcm{}, 1);
    struct Case {
        int engine;
        bool udf;
    };
    for (const Case& c : {Case{0, false}, Case{1, false}, Case{1, true}}) {
        SCOPED_TRACE(c.engine + c.udf);
        const QString iso = image(QStringLiteral("long%1%2.iso").arg(c.engine).arg(c.udf));
        useDrives({iso});
        FrmDataBurner3* w = open(files);
        w->cmbEngine->setCurrentIndex(c.engine);
        w->chkUDF->setChecked(c.udf);
        w->chkDoNotConvertSource->setChecked(true);
        w->chkDoNotConvertSource_Click();
        w->cboFileName->setEditText(QStringLiteral("[file_name].[dest_extension]"));
        w->cmdConvert_Click();
        ASSERT_TRUE(waitIdle(w));
        const QStringList log = logLines(w);
        ASSERT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done.")) << log.join(QLatin1Char('\n')).toStdString();
        // Every name the log says the disc holds, and every name it leaves alone, is in the
        // disc's Joliet tree, and nothing else.
        static const QRegularExpression notice(QStringLiteral("^The name '(.*)' (is longer than the (\\d+) characters|holds)[^\n]*?: "
                                                              "(?:readers of Joliet names see '(.*)'; readers of Rock Ridge names see it "
                                                              "whole|the disc holds it as '(.*)')\\.$"));
        QMap<QString, QString> said;
        for (const QString& line : log) {
            const QRegularExpressionMatch m = notice.match(line);
            if (!m.hasMatch())
                continue;
            const QString held = m.captured(4).isEmpty() ? m.captured(5) : m.captured(4);
            said.insert(m.captured(1), held);
            if (!m.captured(3).isEmpty()) {
                EXPECT_EQ(m.captured(3).toInt(), held.size()) << line.toStdString();
            }
        }
        QStringList told;
        for (const QString& n : names)
            told << said.value(n, n);
        told.sort();
        EXPECT_EQ(said.size(), names.size()) << log.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(burnfixtures::jolietNames(iso).join(QLatin1Char('\n')).toStdString(), told.join(QLatin1Char('\n')).toStdString())
            << log.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(said.value(names[3]).toStdString(), std::string(60, '_') + " song.wav");
        if (c.udf) {
            EXPECT_EQ(QStringList(burnfixtures::udfRootFiles(iso).keys()).join(QLatin1Char('\n')).toStdString(),
                      told.join(QLatin1Char('\n')).toStdString());
        } else {
            EXPECT_EQ(burnfixtures::isoRootNames(iso).size(), names.size());  // Rock Ridge, whole
        }
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        box.shown.clear();
    }
}

}  // namespace
