// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "mainwindow/cStatusBar.h"
#include "tests/itemsgrid/ItemsGridFixture.h"
#include "tests/support/FakeFileDialogs.h"

#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

using AddFiles = ItemsGridFixture;

TEST(AddFilesRules, SupportAudioFileLooksForTheExtensionInTheFilterText)
{
    const std::pair<const char*, bool> cases[] = {
        {"/m/a.wav", true},  {"/m/a.MP3", true},  {"/m/a.acm", true}, {"/m/a.wma", true},  {"/m/noext", true},
        {"/m/a.wa", true},   {"/m/a.audio", true}, {"/m/a.txt", false}, {"/m/a.flac", false}, {"/m/a.ogg", false},
    };
    for (const auto& [name, supported] : cases)
        EXPECT_EQ(FrmStat::SupportAudioFile(QLatin1String(name)), supported) << name;
}

TEST(AddFilesRules, LegalNameDropsTheFirstOfEachCharacterOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a:b:c.wav", "ab:c.wav"},
        {"a?b<c>d\\e/f*g|h.mp3", "abcdefgh.mp3"},
        {"<<x>>.wav", "<x>.wav"},
        {"plain.wav", "plain.wav"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(FrmStat::getLegaName(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(AddFilesRules, ClosingMessageNamesEveryRefusalUpToTwentyLines)
{
    EXPECT_EQ(AddRefusalsMessage({}), QString());
    // The reader's own sentence after the path, the file it names called "it" so that the path
    // stands once; a reason in every line, also without one.
    const struct {
        const char* detail;
        const char* line;
    } sentences[] = {
        {"The file '/m/x.wav' is truncated.", "Cannot add /m/x.wav: it is truncated."},
        {"The file '/m/x.wav' has 9 channels; files of 1 to 8, 16 or 24 channels can be read.",
         "Cannot add /m/x.wav: it has 9 channels; files of 1 to 8, 16 or 24 channels can be read."},
        {"Cannot open the file '/m/x.wav': Permission denied", "Cannot add /m/x.wav: Cannot open it: Permission denied"},
        {"'/m/x.wav' is not a regular file (a FIFO).", "Cannot add /m/x.wav: it is not a regular file (a FIFO)."},
        {"Damaged beyond repair.", "Cannot add /m/x.wav: Damaged beyond repair."},
        // Another file's name is not this one's.
        {"The file '/m/x.wav.part' is truncated.", "Cannot add /m/x.wav: The file '/m/x.wav.part' is truncated."},
    };
    for (const auto& c : sentences) {
        const QString line = AddRefusalsMessage({{"/m/x.wav", AddRefusal::Unreadable, QString::fromUtf8(c.detail)}});
        EXPECT_EQ(line, QString::fromUtf8(c.line)) << c.detail;
    }
    EXPECT_EQ(AddRefusalsMessage({{"/m/x.wav", AddRefusal::Unreadable, {}}}),
              QStringLiteral("Cannot add /m/x.wav (it cannot be read as audio)"));
    EXPECT_EQ(AddRefusalsMessage({{"/m/d", AddRefusal::Folder, {}}, {"http://h/a.mp3", AddRefusal::NotLocal, {}}}),
              QStringLiteral("Cannot add /m/d (a folder)\r\nCannot add http://h/a.mp3 (not a local file)"));
    QList<AddFileRefusal> many;
    for (int i = 1; i <= 23; ++i)
        many.append({QStringLiteral("/m/%1.wav").arg(i), AddRefusal::Unreadable, QStringLiteral("Damaged.")});
    const QStringList lines = AddRefusalsMessage(many).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 21);
    EXPECT_EQ(lines.first(), QStringLiteral("Cannot add /m/1.wav: Damaged."));
    EXPECT_EQ(lines.at(19), QStringLiteral("Cannot add /m/20.wav: Damaged."));
    EXPECT_EQ(lines.last(), QStringLiteral("... and 3 more."));
}

TEST_F(AddFiles, RowsFromTheRealConverterAndOneMessageForEveryRefusal)
{
    const QString list = makeListOf(QStringLiteral("Songs"), {});
    ProgramOptions.chkCopyID3FromSource = true;
    const QString wav8 = makeWav(QStringLiteral("eight.wav"), 2.5, 8, 22050, 1);
    const QString wav16 = makeWav(QStringLiteral("sixteen.wav"), 3.5, 16);
    const QString wav24 = makeWav(QStringLiteral("twenty-four.wav"), 1.0, 24, 48000);
    const QString cbr = makeMp3(QStringLiteral("cbr.mp3"), 3.0,
                                {"-b", "128", "--add-id3v2", "--tt", "Title CBR", "--ta", "Artist", "--tl", "Album",
                                 "--ty", "2001", "--tn", "7", "--tc", "Note", "--tg", "Rock"});
    const QString vbr = makeMp3(QStringLiteral("vbr.mp3"), 4.0, {"-V", "4"});
    const QString text = makeFile(QStringLiteral("notes.wav"), "this is not audio at all, only text\n");
    const QString empty = makeFile(QStringLiteral("empty.wav"), {});
    const QString folder = path(QStringLiteral("folder.wav"));
    QDir().mkpath(folder);
    const QString vanished = path(QStringLiteral("gone.wav"));
    const QString foreign = makeFile(QStringLiteral("readme.txt"), "text");
    const QString odd = makeWav(QString::fromUtf8("a:b<c:d.wav"), 1.0);
    const QString cyrillic = makeWav(QString::fromUtf8("Песня 音楽 ελληνικά.wav"), 1.0);

    FrmMain* f = openMain();
    ASSERT_EQ(selectedKey(f), list);
    cGrid* g = f->cGrid1;
    FrmStat* stat = g_frmStat.get();
    stat->AddFilesToList({wav8, text, wav16, empty, wav24, folder, cbr, vanished, vbr, foreign, odd, cyrillic}, g, f, false);
    EXPECT_FALSE(g_frmStat.isLoaded() && g_frmStat.loaded() == stat && stat->isVisible());

    EXPECT_EQ(column(g, ItemRow::COL_ITEM_NAME),
              (QStringList{"eight.wav", "sixteen.wav", "twenty-four.wav", "cbr.mp3", "vbr.mp3", "abc:d.wav",
                           QString::fromUtf8("Песня 音楽 ελληνικά.wav")}));
    // Half seconds go to the even second.
    EXPECT_EQ(column(g, ItemRow::COL_TIME),
              (QStringList{"00:00:02", "00:00:04", "00:00:01", "00:00:03", "00:00:04", "00:00:01", "00:00:01"}));
    EXPECT_EQ(column(g, COL_FILE), (QStringList{wav8, wav16, wav24, cbr, vbr, odd, cyrillic}));
    for (long r = 1; r <= g->Rows(); ++r) {
        EXPECT_EQ(g->Cell(r, 1).Icon(), ItemRow::kMarked) << r;
        EXPECT_EQ(g->Cell(r, g->ColumnIndex(ItemRow::COL_TYPE)).Icon(), ItemRow::kTypeAudio) << r;
        EXPECT_EQ(cell(g, r, ItemRow::COL_RANGE), QStringLiteral("All"));
        EXPECT_EQ(cell(g, r, COL_RANGE_ALL), QStringLiteral("1"));
        EXPECT_EQ(cell(g, r, COL_RANGE_START_TIME), QString());
        EXPECT_EQ(cell(g, r, COL_RANGE_LENGTH_TIME), QString());
        const QString file = cell(g, r, COL_FILE);
        EXPECT_EQ(g->Cell(r, g->ColumnIndex(COL_BYTES_SIZE)).Value().toLongLong(), QFileInfo(file).size());
        EXPECT_TRUE(g->Cell(r, g->ColumnIndex(ItemRow::COL_CREATED)).Value().toDateTime().isValid()) << r;
    }
    EXPECT_EQ(cell(g, 2, ItemRow::COL_SIZE), QStringLiteral("603 KB"));
    // The file's own tags, empty where it has none.
    EXPECT_EQ(cell(g, 4, COL_TAG_TITLE), QStringLiteral("Title CBR"));
    EXPECT_EQ(cell(g, 4, COL_TAG_ARTIST), QStringLiteral("Artist"));
    EXPECT_EQ(cell(g, 4, COL_TAG_ALBUM), QStringLiteral("Album"));
    EXPECT_EQ(cell(g, 4, COL_TAG_YEAR), QStringLiteral("2001"));
    EXPECT_EQ(cell(g, 4, COL_TAG_TRACK), QStringLiteral("7"));
    EXPECT_EQ(cell(g, 5, COL_TAG_TITLE), QString());

    ASSERT_EQ(box.shown.size(), 1);
    // Each line names its file once.
    EXPECT_EQ(box.shown.first().prompt, QStringList({QStringLiteral("Cannot add ") + text +
                                                         QStringLiteral(": it is not an audio file that can be read."),
                                                     QStringLiteral("Cannot add ") + empty + QStringLiteral(" (an empty file)"),
                                                     QStringLiteral("Cannot add ") + folder + QStringLiteral(" (a folder)"),
                                                     QStringLiteral("Cannot add ") + vanished + QStringLiteral(": it does not exist."),
                                                     QStringLiteral("Cannot add ") + foreign +
                                                         QStringLiteral(" (not a supported audio file)")})
                                            .join(QStringLiteral("\r\n")));
    EXPECT_EQ(box.shown.first().style & 0x70, platform::vbInformation);

    // The pass itself does not save; the panels are set by key.
    EXPECT_TRUE(listRecords(list).isEmpty());
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")), QStringLiteral("7 Items."));
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Main")), QStringLiteral("Ready."));
    EXPECT_NE(f->cStatusBar1->StatusPanelText(QStringLiteral("Notes")), QStringLiteral("Ready."));
}

TEST_F(AddFiles, ANameThatIsNotUtf8IsRefusedNotMisread)
{
    // A real WAV whose name holds a byte that is not UTF-8: the name the program sees for it
    // names no file, so it is refused, for that reason, rather than read as something else.
    makeListOf(QStringLiteral("L"), {});
    const QByteArray raw = QFile::encodeName(media) + "/bad-\xff-name.wav";
    const fixtures::Pcm pcm;
    const QByteArray wav = fixtures::wavBytes(pcm, fixtures::sine(pcm, pcm.rate));
    FILE* out = std::fopen(raw.constData(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(wav.constData(), 1, size_t(wav.size()), out);
    std::fclose(out);
    const QString seen = QFile::decodeName(raw);
    FrmMain* f = openMain();
    g_frmStat->AddFilesToList({seen}, f->cGrid1, f, false);
    std::remove(raw.constData());  // the temporary folder cannot name it either
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.first().prompt,
              QStringLiteral("Cannot add ") + seen + QStringLiteral(" (its name is not valid UTF-8: the program cannot name that file)"));
}

TEST_F(AddFiles, DefaultTagsAndSelectionAfterTheNewRows)
{
    const QString a = makeWav(QStringLiteral("a.wav"), 1.0);
    const QString b = makeWav(QStringLiteral("b.wav"), 1.0);
    makeListOf(QStringLiteral("Five"), {a, a, a, a, a});
    ProgramOptions.chkCopyID3FromSource = false;
    ProgramOptions.txtTagAlbum = QStringLiteral("Alb");
    ProgramOptions.txtTagArtist = QStringLiteral("Art");
    ProgramOptions.txtTagComment = QStringLiteral("Com");
    ProgramOptions.txtTagGenre = QStringLiteral("Gen");
    ProgramOptions.txtTagYear = QStringLiteral("1999");
    ProgramOptions.txtTagSong = QStringLiteral("Song");
    ProgramOptions.txtTagTrack = QStringLiteral("3");
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 5);

    for (const bool last : {true, false}) {
        ProgramOptions.chkSelectTheLastItem = last;
        while (f->cGrid1->Rows() > 5)
            f->cGrid1->RemoveRow(f->cGrid1->Rows());
        g_frmStat->AddFilesToList({a, b}, f->cGrid1, f, false);
        ASSERT_EQ(f->cGrid1->Rows(), 7);
        EXPECT_EQ(f->cGrid1->CurrentRow(), last ? 7 : 1);
        EXPECT_EQ(f->cGrid1->CurrentColumn(), 2);
        EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")), QStringLiteral("7 Items."));
        EXPECT_EQ(cell(f->cGrid1, 7, COL_TAG_ALBUM), QStringLiteral("Alb"));
        EXPECT_EQ(cell(f->cGrid1, 7, COL_TAG_ARTIST), QStringLiteral("Art"));
        EXPECT_EQ(cell(f->cGrid1, 7, COL_TAG_COMMENT), QStringLiteral("Com"));
        EXPECT_EQ(cell(f->cGrid1, 7, COL_TAG_GEN), QStringLiteral("Gen"));
        EXPECT_EQ(cell(f->cGrid1, 7, COL_TAG_YEAR), QStringLiteral("1999"));
        EXPECT_EQ(cell(f->cGrid1, 7, COL_TAG_TITLE), QStringLiteral("Song"));
        EXPECT_EQ(cell(f->cGrid1, 7, COL_TAG_TRACK), QStringLiteral("3"));
    }
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(AddFiles, NothingAddedToAnEmptyListShowsTheEmptyPicture)
{
    makeListOf(QStringLiteral("Empty"), {});
    FrmMain* f = openMain();
    f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties"), QStringLiteral("untouched"));
    const QString text = makeFile(QStringLiteral("x.wav"), "nope");
    g_frmStat->AddFilesToList({text}, f->cGrid1, f, false);
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    EXPECT_EQ(f->cGrid1->CurrentRow(), 0);
    EXPECT_FALSE(f->picEmptyMsg->isHidden());
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")), QStringLiteral("untouched"));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown.first().prompt.startsWith(QStringLiteral("Cannot add ") + text + QStringLiteral(": ")))
        << box.shown.first().prompt.toStdString();
}

// Every refused file is named with why: "Cannot add" and a path alone leaves the user to guess.
TEST_F(AddFiles, EveryRefusalSaysWhy)
{
    makeListOf(QStringLiteral("L"), {});
    const fixtures::Pcm pcm;
    QByteArray whole = fixtures::wavBytes(pcm, fixtures::sine(pcm, pcm.rate));
    // The data chunk claims a second; the file holds half of it.
    const QString shortData = makeFile(QStringLiteral("b.wav"), whole.left(44 + pcm.rate * pcm.bytesPerFrame() / 2));
    QByteArray odd = whole;
    odd.replace(24, 4, QByteArray("\x01\0\0\0", 4));  // 1 Hz
    const QString oneHertz = makeFile(QStringLiteral("slow.wav"), odd);
    const QString text = makeFile(QStringLiteral("letter.mp3"), QByteArray("Dear reader,\n").repeated(400));
    const QString riffOnly = makeFile(QStringLiteral("header.wav"), whole.left(12));
    const QString nine = makeWav(QStringLiteral("nine.wav"), 0.5, 16, 44100, 9);
    const struct {
        QString path;
        const char* why;
    } cases[] = {
        {shortData, "truncated"},
        {oneHertz, "1 Hz"},
        {text, "not an audio file"},
        {riffOnly, "damaged"},
        {nine, "9 channels"},
    };
    FrmMain* f = openMain();
    QStringList paths;
    for (const auto& c : cases)
        paths << c.path;
    g_frmStat->AddFilesToList(paths, f->cGrid1, f, false);
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    ASSERT_EQ(box.shown.size(), 1);
    const QStringList lines = box.shown.first().prompt.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), std::size(cases)) << box.shown.first().prompt.toStdString();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QString head = QStringLiteral("Cannot add ") + cases[i].path + QStringLiteral(": ");
        EXPECT_TRUE(lines.at(qsizetype(i)).startsWith(head)) << lines.at(qsizetype(i)).toStdString();
        EXPECT_TRUE(lines.at(qsizetype(i)).mid(head.size()).contains(QLatin1String(cases[i].why), Qt::CaseInsensitive))
            << lines.at(qsizetype(i)).toStdString();
        // The reader's sentence does not name the file a second time.
        EXPECT_EQ(lines.at(qsizetype(i)).count(cases[i].path), 1) << lines.at(qsizetype(i)).toStdString();
    }
}

TEST_F(AddFiles, ProgressCountsEveryPath)
{
    const QString a = makeWav(QStringLiteral("a.wav"), 1.0);
    const QString folder = path(QStringLiteral("sub"));
    QDir().mkpath(folder);
    makeListOf(QStringLiteral("L"), {});
    FrmMain* f = openMain();
    FrmStat* stat = g_frmStat.get();
    QList<int> values;
    QObject::connect(stat->cProgressBar1, &QProgressBar::valueChanged, [&](int v) { values << v; });
    stat->AddFilesToList({a, folder, a}, f->cGrid1, f, false);
    EXPECT_EQ(f->cGrid1->Rows(), 2);
    EXPECT_EQ(values.last(), 3);
    EXPECT_EQ(values.first(), 1);
}

TEST_F(AddFiles, CancelStopsALongPassAndKeepsTheRowsSoFar)
{
    const QString a = makeWav(QStringLiteral("a.wav"), 0.5);
    const QString list = makeListOf(QStringLiteral("Long"), {});
    FrmMain* f = openMain();
    FakeFileDialogs dialogs;
    dialogs.chooseFiles(QStringList(2000, a));

    // A timer of the window keeps firing during the pass; once some rows are in, the user
    // presses Cancel in the progress window.
    int ticks = 0;
    bool clicked = false;
    long rowsAtCancel = 0;
    // The timer fires whenever the pass lets events run: a fixed interval could outlast a
    // pass of 2,000 files.
    QTimer other;
    other.setInterval(0);
    QObject::connect(&other, &QTimer::timeout, [&] {
        ++ticks;
        if (!clicked && ticks >= 5 && f->cGrid1->Rows() > 0 && g_frmStat.isLoaded()) {
            clicked = true;
            rowsAtCancel = f->cGrid1->Rows();
            EXPECT_TRUE(g_frmStat->isVisible());
            EXPECT_EQ(g_frmStat->windowModality(), Qt::WindowModal);
            QTest::mouseClick(g_frmStat->cmdCancel, Qt::LeftButton);
        }
    });
    other.start();
    // Short slices, so the timer gets its turns well before the 2,000 files are in.
    g_frmStat->SetSliceMilliseconds(1);
    f->RunCommand(QStringLiteral("Add Files"));
    other.stop();

    ASSERT_TRUE(clicked);
    // Cancel acted before the next file.
    const long rows = f->cGrid1->Rows();
    EXPECT_EQ(rows, rowsAtCancel);
    EXPECT_LT(rows, 2000);
    // The command saved what was added before the cancel.
    EXPECT_EQ(listFiles(list).size(), rows);
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(AddFiles, ClosingTheMainWindowStopsThePassFirst)
{
    const QString a = makeWav(QStringLiteral("a.wav"), 0.5);
    const QString list = makeListOf(QStringLiteral("Long"), {});
    FrmMain* f = openMain();
    bool asked = false;
    // Asked as soon as some rows are in, whenever the pass lets events run.
    QTimer other;
    other.setInterval(0);
    QObject::connect(&other, &QTimer::timeout, [&] {
        if (!asked && f->cGrid1->Rows() > 0 && g_frmStat.isLoaded()) {
            asked = true;
            EXPECT_FALSE(f->close());  // refused for now: the pass stops first
        }
    });
    other.start();
    FakeFileDialogs dialogs;
    dialogs.chooseFiles(QStringList(3000, a));
    g_frmStat->SetSliceMilliseconds(1);
    f->RunCommand(QStringLiteral("Add Files"));
    other.stop();
    ASSERT_TRUE(asked);
    const long rows = listFiles(list).size();
    EXPECT_GT(rows, 0);
    EXPECT_LT(rows, 3000);
    QElapsedTimer t;
    t.start();
    while (frmMain.isLoaded() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmMain.isLoaded());
}

TEST_F(AddFiles, MainWindowGoneDuringThePassEndsItQuietly)
{
    // The progress window is a child of the main window, so both go at once while the pass's
    // own loop is running; neither the pass nor the command may touch them afterwards.
    const QString a = makeWav(QStringLiteral("a.wav"), 0.2);
    makeListOf(QStringLiteral("Long"), {});
    FrmMain* f = openMain();
    const QPointer<cGrid> grid(f->cGrid1);
    FakeFileDialogs dialogs;
    dialogs.chooseFiles(QStringList(3000, a));
    bool unloaded = false;
    QPointer<FrmStat> stat;
    QTimer other;
    other.setInterval(0);
    QObject::connect(&other, &QTimer::timeout, [&] {
        if (!unloaded && grid && grid->Rows() > 0 && g_frmStat.isLoaded()) {
            unloaded = true;
            stat = g_frmStat.loaded();
            frmMain.unload();
        }
    });
    other.start();
    g_frmStat->SetSliceMilliseconds(1);
    f->RunCommand(QStringLiteral("Add Files"));
    other.stop();
    ASSERT_TRUE(unloaded);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(grid.isNull());
    EXPECT_TRUE(stat.isNull());
    EXPECT_FALSE(g_frmStat.isLoaded());
    EXPECT_FALSE(FrmStat::IsAdding());
}

TEST_F(AddFiles, FilesDroppedWhileAListLoadsComeAfterIt)
{
    const QString a = makeWav(QStringLiteral("a.wav"), 0.2);
    const QString b = makeWav(QStringLiteral("b.wav"), 0.2);
    makeListOf(QStringLiteral("First"), {});
    const QString big = makeListOf(QStringLiteral("Second"), QStringList(1500, a));
    FrmMain* f = openMain();
    f->m_lists->loader().SetSliceMilliseconds(2);
    f->cTreeView1_NodeClick(f->m_lists->NodeByKey(big));
    ASSERT_TRUE(f->m_lists->IsBusy());
    g_frmStat->AddFilesToList({b}, f->cGrid1, f, false);
    EXPECT_FALSE(f->m_lists->IsBusy());
    ASSERT_EQ(f->cGrid1->Rows(), 1501);
    EXPECT_EQ(cell(f->cGrid1, 1501, COL_FILE), b);
    f->SaveGridToFile();
    EXPECT_EQ(listFiles(big).size(), 1501);
}

TEST_F(AddFiles, CommandPassesOverWhatTheDialogCannotGiveAndSaves)
{
    const QString a = makeWav(QStringLiteral("a.wav"), 1.0);
    const QString empty = makeFile(QStringLiteral("e.wav"), {});
    const QString list = makeListOf(QStringLiteral("L"), {});
    FrmMain* f = openMain();
    FakeFileDialogs dialogs;
    dialogs.cancelOpen();
    f->RunCommand(QStringLiteral("Add Files"));
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    EXPECT_FALSE(g_frmStat.isLoaded());
    ASSERT_EQ(dialogs.requests.size(), 1);
    EXPECT_EQ(dialogs.requests.first().title, QStringLiteral("Add audio files"));
    EXPECT_TRUE(dialogs.requests.first().multiSelect);

    dialogs.chooseFiles({a, empty});
    f->RunCommand(QStringLiteral("Add Files"));
    EXPECT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_EQ(listFiles(list), QStringList{a});
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.first().prompt, QStringLiteral("Cannot add ") + empty + QStringLiteral(" (an empty file)"));
    EXPECT_TRUE(f->m_lists->ListSummary().startsWith(QStringLiteral("1 Items, ")));
}

TEST_F(AddFiles, ThroughTheProgramsStartUp)
{
    const QString a = makeWav(QStringLiteral("start.wav"), 2.0);
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ASSERT_TRUE(frmMain.isLoaded());
    FrmMain* f = frmMain.loaded();
    waitIdle(f);
    const QString list = selectedKey(f);
    ASSERT_TRUE(list.endsWith(QStringLiteral(".flst")));
    FakeFileDialogs dialogs;
    dialogs.chooseFiles({a});
    f->RunCommand(QStringLiteral("Add Files"));
    ASSERT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_EQ(cell(f->cGrid1, 1, ItemRow::COL_TIME), QStringLiteral("00:00:02"));
    EXPECT_EQ(listFiles(list), QStringList{a});
}

}  // namespace
