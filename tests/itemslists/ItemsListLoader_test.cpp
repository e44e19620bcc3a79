// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/itemslists/ItemsListFixtures.h"

#include "foundation/mdlFileSystem.h"

#include <QDateTime>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

namespace {

class ItemsListLoaderTest : public testing::Test {
protected:
    QTemporaryDir dir;
    FakeProbe probe;
    std::unique_ptr<cGrid> grid = makeItemGrid();
    QString list = dir.filePath(QStringLiteral("List.flst"));

    // A source file of `bytes` bytes that the probe opens with the given length.
    QString source(const QString& name, int bytes, long durationMs, FakeProbe::Source tags = {})
    {
        const QString p = dir.filePath(name);
        writeBytes(p, QByteArray(bytes, 'x'));
        tags.durationMs = durationMs;
        probe.sources.insert(p, tags);
        return p;
    }
    void load(bool copyTags = false, ItemsListLoader* with = nullptr)
    {
        ItemsListLoader own(*grid, probe);
        ItemsListLoader& loader = with ? *with : own;
        loader.SetSliceMilliseconds(0);
        loader.Load(list, ItemsListLoader::Options{copyTags});
        ASSERT_FALSE(loader.IsBusy());
    }
};

TEST_F(ItemsListLoaderTest, SavedItemsLoadWithTheirChoicesAndFreshFileFacts)
{
    const QString a = source(QStringLiteral("a.wav"), 1500, 61499);
    const QString b = source(QStringLiteral("b.wav"), 20, 76500);
    ItemsListRecord ra = sampleRecord(a, QStringLiteral("First"), QStringLiteral("1"));
    ItemsListRecord rb = sampleRecord(b, QStringLiteral("Second"), QStringLiteral("0"));
    rb[fldRangeAll] = QStringLiteral("0");
    rb[fldRangeStart] = QStringLiteral("30");
    rb[fldRangeLength] = QStringLiteral("45");
    ASSERT_TRUE(listfixtures::writeList(list, {ra, rb}));

    load();
    ASSERT_EQ(grid->Rows(), 2);
    EXPECT_EQ(icon(*grid, 1, ItemRow::COL_INC), ItemRow::kMarked);
    EXPECT_EQ(icon(*grid, 2, ItemRow::COL_INC), ItemRow::kUnmarked);
    EXPECT_EQ(icon(*grid, 1, ItemRow::COL_TYPE), ItemRow::kTypeAudio);
    EXPECT_EQ(cell(*grid, 1, ItemRow::COL_INC), QString());
    EXPECT_EQ(cell(*grid, 1, ItemRow::COL_ITEM_NAME), QStringLiteral("First"));
    EXPECT_EQ(cell(*grid, 1, COL_FILE), a);
    EXPECT_EQ(cell(*grid, 1, ItemRow::COL_TIME), QStringLiteral("00:01:01"));  // 61.499 s
    EXPECT_EQ(cell(*grid, 2, ItemRow::COL_TIME), QStringLiteral("00:01:16"));  // 76.5 s: half to even
    EXPECT_EQ(cell(*grid, 1, ItemRow::COL_SIZE), FormatFileSize(1500));
    EXPECT_EQ(grid->Cell(1, grid->ColumnIndex(COL_BYTES_SIZE)).Value().toLongLong(), 1500);
    EXPECT_EQ(grid->Cell(1, grid->ColumnIndex(ItemRow::COL_CREATED)).Value().toDateTime().date(), QDate::currentDate());

    EXPECT_EQ(cell(*grid, 1, ItemRow::COL_RANGE), QStringLiteral("All"));
    EXPECT_EQ(cell(*grid, 1, COL_RANGE_ALL), QStringLiteral("1"));
    EXPECT_EQ(cell(*grid, 2, ItemRow::COL_RANGE), QStringLiteral("00:00:30 - 00:01:15"));
    EXPECT_EQ(cell(*grid, 2, COL_RANGE_ALL), QStringLiteral("0"));
    EXPECT_EQ(cell(*grid, 2, COL_RANGE_START_TIME), QStringLiteral("30"));
    EXPECT_EQ(cell(*grid, 2, COL_RANGE_LENGTH_TIME), QStringLiteral("45"));
    EXPECT_EQ(cell(*grid, 2, COL_TAG_TITLE), QStringLiteral("Second title"));
    EXPECT_EQ(probe.opens, probe.closes);

    // Saved again, the file holds what it held.
    EXPECT_EQ(RecordsFromGrid(*grid), (QList<ItemsListRecord>{ra, rb}));
}

TEST_F(ItemsListLoaderTest, RangeAllOtherThanZeroMeansTheWholeFile)
{
    const QString a = source(QStringLiteral("a.wav"), 10, 1000);
    QList<ItemsListRecord> records;
    for (const char* all : {"", "1", "2", "00", "no"}) {
        ItemsListRecord r = sampleRecord(a, QString::fromLatin1(all));
        r[fldRangeAll] = QString::fromLatin1(all);
        r[fldRangeStart] = QStringLiteral("5");
        r[fldRangeLength] = QStringLiteral("5");
        records << r;
    }
    ASSERT_TRUE(listfixtures::writeList(list, records));
    load();
    ASSERT_EQ(grid->Rows(), 5);
    for (long row = 1; row <= 5; ++row) {
        EXPECT_EQ(cell(*grid, row, COL_RANGE_ALL), QStringLiteral("1")) << row;
        EXPECT_EQ(cell(*grid, row, ItemRow::COL_RANGE), QStringLiteral("All")) << row;
        EXPECT_EQ(cell(*grid, row, COL_RANGE_START_TIME), QString()) << row;
    }
}

TEST_F(ItemsListLoaderTest, TheTagOptionTakesTagsFromTheSourceInsteadOfTheFile)
{
    FakeProbe::Source tags;
    tags.album = QStringLiteral("Src album");
    tags.artist = QStringLiteral("Src artist");
    tags.comment = QStringLiteral("Src comment");
    tags.genre = QStringLiteral("Src genre");
    tags.year = QStringLiteral("2001");
    tags.title = QStringLiteral("Src title");
    tags.track = QStringLiteral("3");
    const QString a = source(QStringLiteral("a.mp3"), 10, 1000, tags);
    ASSERT_TRUE(listfixtures::writeList(list, {sampleRecord(a, QStringLiteral("a"))}));

    load(true);
    const QStringList fromSource = {tags.album, tags.artist, tags.comment, tags.genre, tags.year, tags.title, tags.track};
    const QStringList keys = {COL_TAG_ALBUM, COL_TAG_ARTIST, COL_TAG_COMMENT, COL_TAG_GEN, COL_TAG_YEAR, COL_TAG_TITLE, COL_TAG_TRACK};
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(cell(*grid, 1, keys[i]), fromSource[i]) << keys[i].toStdString();

    load(false);
    EXPECT_EQ(cell(*grid, 1, COL_TAG_ALBUM), QStringLiteral("a album"));
    EXPECT_EQ(cell(*grid, 1, COL_TAG_YEAR), QStringLiteral("1999"));
}

TEST_F(ItemsListLoaderTest, TypeWordsGiveTheirIcons)
{
    const QString a = source(QStringLiteral("a.wav"), 10, 1000);
    QList<ItemsListRecord> records;
    for (const char* type : {"Audio", "Data", "audio", ""}) {
        ItemsListRecord r = sampleRecord(a, QStringLiteral("x"));
        r[fldType] = QString::fromLatin1(type);
        records << r;
    }
    ASSERT_TRUE(listfixtures::writeList(list, records));
    load();
    ASSERT_EQ(grid->Rows(), 4);
    EXPECT_EQ(icon(*grid, 1, ItemRow::COL_TYPE), 3);
    EXPECT_EQ(icon(*grid, 2, ItemRow::COL_TYPE), 4);
    EXPECT_EQ(icon(*grid, 3, ItemRow::COL_TYPE), 0);
    EXPECT_EQ(icon(*grid, 4, ItemRow::COL_TYPE), 0);
}

TEST_F(ItemsListLoaderTest, EmptyAndMissingListsLoadEmpty)
{
    for (const QByteArray& content : {QByteArray(), QByteArray("\r\n")}) {
        writeBytes(list, content);
        load();
        EXPECT_EQ(grid->Rows(), 0);
    }
    QFile::remove(list);
    ItemsListLoader loader(*grid, probe);
    load(false, &loader);
    EXPECT_EQ(grid->Rows(), 0);
    EXPECT_TRUE(loader.IsComplete());
}

TEST_F(ItemsListLoaderTest, ItemsThatCannotLoadAreHeldAndWrittenBackInPlace)
{
    const QString a = source(QStringLiteral("a.wav"), 10, 1000);
    const QString b = source(QStringLiteral("b.wav"), 10, 1000);
    const QString gone = dir.filePath(QStringLiteral("unmounted/c.wav"));
    const QString unreadable = dir.filePath(QStringLiteral("d.txt"));
    writeBytes(unreadable, "not audio");
    ItemsListRecord noFile = sampleRecord(QString(), QStringLiteral("no path"));
    const QList<ItemsListRecord> original = {
        sampleRecord(gone, QStringLiteral("gone")), sampleRecord(a, QStringLiteral("a")),
        sampleRecord(unreadable, QStringLiteral("unreadable")), noFile, sampleRecord(b, QStringLiteral("b")),
    };
    ASSERT_TRUE(listfixtures::writeList(list, original));

    ItemsListLoader loader(*grid, probe);
    load(false, &loader);
    ASSERT_EQ(grid->Rows(), 2);
    EXPECT_TRUE(loader.IsComplete());
    ASSERT_EQ(loader.Held().size(), 3);
    EXPECT_EQ(ParseItemsListData(ComposeItemsListBytes(RecordsFromGrid(*grid), loader.Held())).records, original);

    // The user removes item "a": nothing held is lost, and each held item stays between the
    // same neighbours.
    grid->RemoveRow(1);
    loader.RowRemoved(1);
    QStringList names;
    for (const ItemsListRecord& r : ParseItemsListData(ComposeItemsListBytes(RecordsFromGrid(*grid), loader.Held())).records)
        names << r[fldItemName];
    EXPECT_EQ(names, (QStringList{"gone", "unreadable", "no path", "b"}));

    // The drive is back: the item loads again.
    QDir(dir.path()).mkdir(QStringLiteral("unmounted"));
    writeBytes(gone, QByteArray(10, 'y'));
    probe.sources.insert(gone, {});
    load(false, &loader);
    EXPECT_EQ(cell(*grid, 1, COL_FILE), gone);
    EXPECT_EQ(loader.Held().size(), 2);
}

TEST_F(ItemsListLoaderTest, ValuesThatAreNotUtf8AreWrittenBackAsTheyWere)
{
    // An item whose comment was written in an 8-bit code page, and an item whose path was:
    // the first loads with its UTF-8 name and path intact, the second (its file is not there
    // under any spelling) is held, and a save writes both back byte for byte.
    const QString here = source(QStringLiteral("caf\u00e9 one.wav"), 10, 1000);
    ItemsListRecord loads = sampleRecord(here, QStringLiteral("caf\u00e9 one.wav"));
    loads[fldTagComment] = QStringLiteral("@COMMENT@");
    ItemsListRecord held = sampleRecord(dir.filePath(QStringLiteral("@PATH@ gone.wav")), QStringLiteral("gone"));
    ASSERT_TRUE(listfixtures::writeList(list, {loads, held}));
    QByteArray original = readBytes(list);
    original.replace("@COMMENT@", "r\xe9sum\xe9");
    original.replace("@PATH@", "caf\xe9");
    writeBytes(list, original);

    ItemsListLoader loader(*grid, probe);
    load(false, &loader);
    ASSERT_EQ(grid->Rows(), 1);
    EXPECT_EQ(cell(*grid, 1, ItemRow::COL_ITEM_NAME), QStringLiteral("caf\u00e9 one.wav"));
    EXPECT_EQ(cell(*grid, 1, COL_FILE), here);
    EXPECT_EQ(cell(*grid, 1, COL_TAG_TITLE), QStringLiteral("caf\u00e9 one.wav title"));
    ASSERT_EQ(loader.Held().size(), 1);

    writeBytes(list, ComposeItemsListBytes(RecordsFromGrid(*grid), loader.Held()));
    EXPECT_EQ(readBytes(list), original);
}

TEST_F(ItemsListLoaderTest, DamagedRecordsDoNotEndTheLoad)
{
    // A bad mark loads unmarked; a record whose end is lost is damage, held whole.
    const QString a = source(QStringLiteral("a.wav"), 10, 1000);
    const QString text = QStringLiteral("<ITEM><Inc>yes</Inc><Type>Audio</Type><Item Name>bad mark</Item Name><COL_FILE>") + a +
                         QStringLiteral("</COL_FILE></ITEM>"
                                        "<ITEM><Inc>1<Item Name>cut short</Item Name><COL_FILE>") + a +
                         QStringLiteral("</COL_FILE>"
                                        "<ITEM><Inc>1</Inc><Item Name>last</Item Name><COL_FILE>") + a +
                         QStringLiteral("</COL_FILE></ITEM>\r\n");
    writeBytes(list, text.toUtf8());
    ItemsListLoader loader(*grid, probe);
    load(false, &loader);
    ASSERT_EQ(grid->Rows(), 2);
    EXPECT_EQ(icon(*grid, 1, ItemRow::COL_INC), ItemRow::kUnmarked);
    EXPECT_EQ(cell(*grid, 2, ItemRow::COL_ITEM_NAME), QStringLiteral("last"));
    EXPECT_EQ(icon(*grid, 2, ItemRow::COL_INC), ItemRow::kMarked);
    EXPECT_EQ(loader.DamagedAfter(), QList<long>{1});
    EXPECT_TRUE(loader.IsComplete());
    const QByteArray cutShort = (QStringLiteral("<ITEM><Inc>1<Item Name>cut short</Item Name><COL_FILE>") + a +
                                 QStringLiteral("</COL_FILE>")).toUtf8();
    EXPECT_TRUE(ComposeItemsListBytes(RecordsFromGrid(*grid), loader.Held()).contains(cutShort));
}

// A list of one record per source, as this program writes it; the bytes of each record
// ("<ITEM>" .. "</ITEM>") in the file.
QList<QByteArray> writeSourcesList(const QString& list, const QStringList& sources)
{
    QList<ItemsListRecord> records;
    for (const QString& s : sources)
        records << sampleRecord(s, QFileInfo(s).fileName());
    EXPECT_TRUE(listfixtures::writeList(list, records));
    QList<QByteArray> bytes;
    const QByteArray data = readBytes(list);
    for (qsizetype at = data.indexOf("<ITEM>"); at >= 0; at = data.indexOf("<ITEM>", at + 1))
        bytes << data.mid(at, data.indexOf("</ITEM>", at) + 7 - at);
    return bytes;
}

TEST_F(ItemsListLoaderTest, ADamagedMarkerIsKeptByteForByteThroughSavesAndCopiedOnce)
{
    QStringList sources;
    for (int i = 1; i <= 50; ++i)
        sources << source(QStringLiteral("%1.wav").arg(i), 10, 1000);
    const QList<QByteArray> records = writeSourcesList(list, sources);
    ASSERT_EQ(records.size(), 50);
    // By hand, the tenth record's marker loses its ">" and gets a line break.
    QByteArray damagedTenth = records[9];
    damagedTenth.replace(0, 6, "<ITEM\r\n");
    QByteArray original = readBytes(list);
    original.replace(records[9], damagedTenth);
    writeBytes(list, original);

    ItemsListLoader loader(*grid, probe);
    load(false, &loader);
    ASSERT_TRUE(loader.IsComplete());
    ASSERT_EQ(grid->Rows(), 49);
    EXPECT_EQ(loader.DamagedAfter(), QList<long>{9});
    // A copy of the list as it was read lies beside it, and is not listed as a list.
    const QString copy = loader.DamagedCopy();
    ASSERT_FALSE(copy.isEmpty()) << loader.DamagedCopyError().toStdString();
    EXPECT_TRUE(QFileInfo(copy).fileName().startsWith(QStringLiteral("List.flst.damaged-")));
    EXPECT_FALSE(IsItemsListFileName(QFileInfo(copy).fileName()));
    EXPECT_EQ(readBytes(copy), original);

    // Another row goes, the list is saved and read again: the hidden record is still there,
    // byte for byte, in its place after the ninth, and the saved list is otherwise the same.
    grid->RemoveRow(20);
    writeBytes(list, ComposeItemsListBytes(RecordsFromGrid(*grid), loader.Held()));
    QByteArray expected = original;
    expected.remove(expected.indexOf(records[20]), records[20].size());
    EXPECT_EQ(readBytes(list), expected);

    load(false, &loader);
    EXPECT_EQ(grid->Rows(), 48);
    EXPECT_EQ(loader.DamagedAfter(), QList<long>{9});
    // The damage is the same: the copy already made is named again, no second one is made.
    EXPECT_EQ(loader.DamagedCopy(), copy);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("List.flst.damaged-*")}).size(), 1);
    writeBytes(list, ComposeItemsListBytes(RecordsFromGrid(*grid), loader.Held()));
    EXPECT_EQ(readBytes(list), expected);

    // Repaired by hand, the record loads again and nothing is damaged any more.
    QByteArray repaired = expected;
    repaired.replace(damagedTenth, records[9]);
    writeBytes(list, repaired);
    load(false, &loader);
    EXPECT_EQ(grid->Rows(), 49);
    EXPECT_EQ(cell(*grid, 10, COL_FILE), sources[9]);
    EXPECT_TRUE(loader.DamagedAfter().isEmpty());
}

TEST_F(ItemsListLoaderTest, DamagedPartsAnywhereAreKeptInTheirPlaces)
{
    const QString a = source(QStringLiteral("a.wav"), 10, 1000);
    const QString b = source(QStringLiteral("b.wav"), 10, 1000);
    const QString c = source(QStringLiteral("c.wav"), 10, 1000);
    const QList<QByteArray> r = writeSourcesList(list, {a, b, c});
    auto hide = [](QByteArray record) { return record.replace("<ITEM>", "<ITEM\n"); };
    struct Case {
        const char* what;
        QByteArray file;
        int rows;
        QList<long> damagedAfter;
        QByteArray damaged;  // the part that must come back
    };
    const QByteArray escaped = "<FLST escaped=\"1\"/>";
    const QByteArray bom = "\xEF\xBB\xBF";
    ItemsListRecord huge = sampleRecord(b, QString(kItemsListFieldLimit + 1, u'n'));
    const QByteArray hugeRecord = ComposeItemsListBytes({huge}).chopped(2);
    const QByteArray cutOff = r[2].left(r[2].indexOf("<COL_RANGE_ALL>"));
    const Case cases[] = {
        {"first marker damaged", hide(r[0]) + r[1] + r[2] + "\r\n", 2, {0}, hide(r[0])},
        {"last marker damaged, no closing line break", r[0] + r[1] + hide(r[2]), 2, {2}, hide(r[2])},
        {"text typed between records", r[0] + "a note\r\n" + r[1] + r[2] + "\r\n", 3, {1}, "a note\r\n"},
        {"a piece without a field", r[0] + "<ITEM>not an item" + r[1] + r[2] + "\r\n", 3, {1}, "<ITEM>not an item"},
        {"every marker damaged", hide(r[0]) + hide(r[1]) + "\r\n", 0, {0}, hide(r[0]) + hide(r[1])},
        {"escaped list", escaped + r[0] + hide(r[1]) + r[2] + "\r\n", 2, {1}, hide(r[1])},
        {"cut off inside the last record", r[0] + r[1] + cutOff, 2, {2}, cutOff},
        {"cut off inside the last record, then a line break", r[0] + r[1] + cutOff + "\r\n", 2, {2}, cutOff},
        {"a bare marker after text and line breaks", r[0] + "\r\ne\r\n<ITEM>", 1, {1, 1}, "\r\ne\r\n<ITEM>"},
        {"text and a line feed before a bare marker", "e\n<ITEM>", 0, {0, 0}, "e\n<ITEM>"},
        {"text ending in a line feed", r[0] + "e\n", 1, {1}, "e\n"},
        {"two byte-order marks", bom + bom + r[0] + "\r\n", 1, {0}, bom + bom + r[0]},
        {"a value longer than any path or tag", r[0] + hugeRecord + r[1] + "\r\n", 2, {1}, hugeRecord},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(list, c.file);
        ItemsListLoader loader(*grid, probe);
        load(false, &loader);
        EXPECT_EQ(grid->Rows(), c.rows);
        EXPECT_EQ(loader.DamagedAfter(), c.damagedAfter);
        const QByteArray saved = ComposeItemsListBytes(RecordsFromGrid(*grid), loader.Held());
        EXPECT_TRUE(saved.contains(c.damaged)) << saved.left(200).toStdString();
        // A file saved unchanged is the file read (an escaped list keeps its marker) ...
        EXPECT_EQ(saved, c.file.endsWith("\r\n") ? c.file : c.file + "\r\n");
        // ... and saving it again changes nothing.
        writeBytes(list, saved);
        load(false, &loader);
        EXPECT_EQ(grid->Rows(), c.rows);
        EXPECT_EQ(loader.DamagedAfter(), c.damagedAfter);
        EXPECT_EQ(ComposeItemsListBytes(RecordsFromGrid(*grid), loader.Held()), saved);
    }
}

TEST_F(ItemsListLoaderTest, NamesAndTagsWithMarkersLoadAsTheyWereSaved)
{
    const QString odd = source(QStringLiteral("<odd> & name.wav"), 10, 1000);
    ItemsListRecord r = sampleRecord(odd, QStringLiteral("<ITEM></Item Name> &amp; caf\u00e9"));
    r[fldTagComment] = QStringLiteral("two\r\nlines <COL_FILE>/etc/passwd</COL_FILE>");
    ASSERT_TRUE(listfixtures::writeList(list, {r, sampleRecord(odd, QStringLiteral("second"))}));
    load();
    ASSERT_EQ(grid->Rows(), 2);
    EXPECT_EQ(cell(*grid, 1, COL_FILE), odd);
    EXPECT_EQ(cell(*grid, 1, ItemRow::COL_ITEM_NAME), r[fldItemName]);
    EXPECT_EQ(cell(*grid, 1, COL_TAG_COMMENT), r[fldTagComment]);
    EXPECT_EQ(cell(*grid, 2, ItemRow::COL_ITEM_NAME), QStringLiteral("second"));
}

TEST_F(ItemsListLoaderTest, AnUnreadableListIsNeverComplete)
{
    QDir(dir.path()).mkdir(QStringLiteral("List.flst"));
    ItemsListLoader loader(*grid, probe);
    QSignalSpy finished(&loader, &ItemsListLoader::Finished);
    load(false, &loader);
    EXPECT_FALSE(loader.IsComplete());
    ASSERT_EQ(finished.size(), 1);
    EXPECT_FALSE(finished.at(0).at(0).toBool());
}

TEST_F(ItemsListLoaderTest, ALongListLoadsInSlicesWithTheProgressBarShown)
{
    const QString a = source(QStringLiteral("a.wav"), 10, 1000);
    QList<ItemsListRecord> records;
    for (int i = 0; i < 3000; ++i)
        records << sampleRecord(a, QString::number(i));
    ASSERT_TRUE(listfixtures::writeList(list, records));

    QWidget window;
    auto* prg = new QProgressBar(&window);
    prg->setVisible(false);
    ItemsListLoader loader(*grid, probe);
    loader.SetProgressBar(prg);
    loader.SetSliceMilliseconds(1);
    QSignalSpy finished(&loader, &ItemsListLoader::Finished);
    loader.Load(list, {});

    ASSERT_TRUE(loader.IsBusy());
    EXPECT_FALSE(prg->isHidden());
    EXPECT_EQ(prg->maximum(), 3000);
    EXPECT_FALSE(loader.IsComplete());
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    EXPECT_TRUE(prg->isHidden());
    EXPECT_TRUE(loader.IsComplete());
    ASSERT_EQ(grid->Rows(), 3000);
    EXPECT_EQ(cell(*grid, 3000, ItemRow::COL_ITEM_NAME), QStringLiteral("2999"));
    EXPECT_TRUE(grid->Redraw());
}

TEST_F(ItemsListLoaderTest, AnAbortedLoadIsNotComplete)
{
    const QString a = source(QStringLiteral("a.wav"), 10, 1000);
    QList<ItemsListRecord> records;
    for (int i = 0; i < 3000; ++i)
        records << sampleRecord(a, QString::number(i));
    ASSERT_TRUE(listfixtures::writeList(list, records));
    ItemsListLoader loader(*grid, probe);
    loader.SetSliceMilliseconds(1);
    loader.Load(list, {});
    ASSERT_TRUE(loader.IsBusy());
    loader.Abort();
    EXPECT_FALSE(loader.IsBusy());
    EXPECT_FALSE(loader.IsComplete());
    const long rows = grid->Rows();
    QTest::qWait(50);
    EXPECT_EQ(grid->Rows(), rows);  // no slice runs after the abort
}

}  // namespace
