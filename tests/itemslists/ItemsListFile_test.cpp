// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/itemslists/ItemsListFixtures.h"

#include <QFileInfo>

#include <unistd.h>

namespace {

TEST(GetTagValue, FindsTheTextBetweenTheFirstOpeningAndTheFirstClosingTag)
{
    struct Case {
        const char* record;
        const char* key;
        const char* expected;
    } cases[] = {
        {"<Inc>1</Inc><Type>Audio</Type>", "Type", "Audio"},
        {"<Inc>1</Inc>", "inc", ""},                        // case-sensitive
        {"<Inc>1", "Inc", ""},                              // no closing tag
        {"1</Inc>", "Inc", ""},                             // no opening tag
        {"</Inc><Inc>1</Inc>", "Inc", ""},                  // closing tag first
        {"<Inc></Inc>", "Inc", ""},
        {"<A>x</A><A>y</A>", "A", "x"},
        {"<Item Name>a b</Item Name>", "Item Name", "a b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetTagValue(QString::fromUtf8(c.record), QString::fromUtf8(c.key)), QString::fromUtf8(c.expected))
            << c.record << " / " << c.key;
}

TEST(ItemsListText, PlainRecordsKeepTheFileLayoutAndReadBack)
{
    const ItemsListRecord a = sampleRecord(QStringLiteral("/music/a.wav"), QStringLiteral("a.wav"));
    ItemsListRecord b = sampleRecord(QStringLiteral("/music/b & c.mp3"), QStringLiteral("b & c"), QStringLiteral("0"));
    b[fldRangeAll] = QStringLiteral("0");
    b[fldRangeStart] = QStringLiteral("30");
    b[fldRangeLength] = QStringLiteral("45");

    const QString text = ComposeItemsListText({a, b});
    EXPECT_TRUE(text.startsWith(QStringLiteral("<ITEM><Inc>1</Inc><Type>Audio</Type><Item Name>a.wav</Item Name><COL_FILE>")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("<COL_TAG_TRACK>7</COL_TAG_TRACK></ITEM>")));
    EXPECT_EQ(text.count(QStringLiteral("<ITEM>")), 2);
    EXPECT_FALSE(text.contains(kItemsListEscapedMarker));
    EXPECT_TRUE(text.contains(QStringLiteral("b & c")));  // nothing escaped in a plain file

    int markers = -1;
    const QList<ItemsListRecord> back = ParseItemsListText(text + QStringLiteral("\r\n"), &markers);
    EXPECT_EQ(markers, 2);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back.at(0), a);
    EXPECT_EQ(back.at(1), b);
    EXPECT_EQ(ComposeItemsListText({}), QString());
}

TEST(ItemsListText, ValuesThatLookLikeMarkersSurviveARoundTrip)
{
    const QStringList nasty = {
        QStringLiteral("<ITEM>"),
        QStringLiteral("x</COL_TAG_TITLE>y"),
        QStringLiteral("<COL_FILE>/etc/passwd</COL_FILE>"),
        QStringLiteral("a < b > c"),
        QStringLiteral("&lt; stays &lt;"),
        QStringLiteral("&amp;&"),
        QStringLiteral("line one\r\nline two\nthree\r"),
    };
    QList<ItemsListRecord> records;
    for (const QString& v : nasty) {
        ItemsListRecord r = sampleRecord(QStringLiteral("/m/") + QString::number(records.size()), v);
        r[fldTagTitle] = v;
        r[fldTagComment] = v;
        records.append(r);
    }
    const QString text = ComposeItemsListText(records);
    EXPECT_TRUE(text.startsWith(kItemsListEscapedMarker));
    int markers = 0;
    EXPECT_EQ(ParseItemsListText(text, &markers), records);
    EXPECT_EQ(markers, records.size());
}

TEST(ItemsListText, FilesWithoutTheMarkerReadExactlyAsWritten)
{
    // An old list: "&lt;" and "&amp;" were plain text when it was written.
    const QString old = QStringLiteral(
        "<ITEM><Inc>1</Inc><Type>Audio</Type><Item Name>R&amp;B &lt;live&gt;</Item Name><COL_FILE>/m/a.wav</COL_FILE>"
        "<COL_RANGE_ALL>1</COL_RANGE_ALL></ITEM>\r\n");
    const QList<ItemsListRecord> r = ParseItemsListText(old);
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r.at(0)[fldItemName], QStringLiteral("R&amp;B &lt;live&gt;"));
    EXPECT_EQ(r.at(0)[fldTagAlbum], QString());  // a missing field reads empty

    // Written again it stays a plain file with the same text.
    EXPECT_EQ(ComposeItemsListText(r).left(90), old.left(90));
    EXPECT_FALSE(ComposeItemsListText(r).contains(kItemsListEscapedMarker));
}

class ItemsListFileIo : public testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(ItemsListFileIo, WritesTheRecordsAndOneLineBreakAndReadsThemBack)
{
    const QString file = path(QStringLiteral("Rock.flst"));
    const QList<ItemsListRecord> records = {sampleRecord(QStringLiteral("/m/é ü.wav"), QStringLiteral("é ü"))};
    ASSERT_TRUE(listfixtures::writeList(file, records));
    const QByteArray bytes = readBytes(file);
    EXPECT_TRUE(bytes.endsWith("</ITEM>\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 1);

    const ItemsListReadResult read = ReadItemsListFile(file);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(ParseItemsListText(read.text), records);

    ASSERT_TRUE(listfixtures::writeList(file, {}));
    EXPECT_EQ(readBytes(file), QByteArray("\r\n"));
}

TEST_F(ItemsListFileIo, ARewriteReplacesTheFileInsteadOfWritingIntoIt)
{
    // A second name for the old file keeps the old content: the new list was written beside it
    // and renamed over it, so a write cut short can never leave half a list.
    const QString file = path(QStringLiteral("List.flst"));
    ASSERT_TRUE(listfixtures::writeList(file, {sampleRecord(QStringLiteral("/m/a"), QStringLiteral("a"))}));
    const QByteArray before = readBytes(file);
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(path(QStringLiteral("old"))).constData()), 0);

    ASSERT_TRUE(listfixtures::writeList(file, {sampleRecord(QStringLiteral("/m/b"), QStringLiteral("b"))}));
    EXPECT_EQ(readBytes(path(QStringLiteral("old"))), before);
    EXPECT_NE(readBytes(file), before);
    EXPECT_FALSE(listfixtures::writeList(path(QStringLiteral("no/such/folder/x.flst")), {}));
}

TEST_F(ItemsListFileIo, ALinkToAListIsWrittenThroughAndAnyOtherLinkIsLeftAlone)
{
    const QString target = path(QStringLiteral("real.flst"));
    ASSERT_TRUE(listfixtures::writeList(target, {}));
    const QString linked = path(QStringLiteral("Linked.flst"));
    ASSERT_TRUE(QFile::link(target, linked));
    ASSERT_TRUE(listfixtures::writeList(linked, {sampleRecord(QStringLiteral("/m/a"), QStringLiteral("a"))}));
    EXPECT_EQ(QFileInfo(linked).symLinkTarget(), target);
    EXPECT_TRUE(readBytes(target).contains("/m/a"));

    const QString nowhere = path(QStringLiteral("gone/none.flst"));
    const QString fifo = path(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& to : {nowhere, fifo}) {
        SCOPED_TRACE(to.toStdString());
        const QString list = path(QFileInfo(to).fileName() + QStringLiteral(".flst"));
        ASSERT_TRUE(QFile::link(to, list));
        QString why;
        EXPECT_EQ(SaveItemsListBytes(list, ComposeItemsListBytes({}), ItemsListStamp{}, nullptr, &why), ItemsListSaveStatus::Failed);
        EXPECT_TRUE(why.contains(QLatin1String("symbolic link"))) << why.toStdString();
        EXPECT_EQ(QFileInfo(list).symLinkTarget(), to);
    }
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_FALSE(QFileInfo(fifo).isFile());
}

TEST_F(ItemsListFileIo, ReadingTellsAMissingListFromAnUnreadableOne)
{
    const ItemsListReadResult missing = ReadItemsListFile(path(QStringLiteral("none.flst")));
    EXPECT_TRUE(missing.ok);
    EXPECT_TRUE(missing.text.isEmpty());

    QDir(dir.path()).mkdir(QStringLiteral("folder.flst"));
    EXPECT_FALSE(ReadItemsListFile(path(QStringLiteral("folder.flst"))).ok);

    // Bytes that are not UTF-8 are kept one for one, so a save does not garble them.
    writeBytes(path(QStringLiteral("latin.flst")), QByteArray("<ITEM><Item Name>caf\xe9</Item Name></ITEM>"));
    const ItemsListReadResult latin = ReadItemsListFile(path(QStringLiteral("latin.flst")));
    ASSERT_TRUE(latin.ok);
    const QString name = ParseItemsListText(latin.text).at(0)[fldItemName];
    EXPECT_TRUE(name.startsWith(QStringLiteral("caf")));
    EXPECT_EQ(EncodeItemsListText(name), QByteArray("caf\xe9"));
}

TEST(ItemsListBytes, EveryByteOfAListSurvivesAReadAndAWrite)
{
    const QByteArray cases[] = {
        "plain ascii",
        "caf\xc3\xa9 one.wav",            // UTF-8
        "caf\xe9 one.wav",                 // one Latin-1 byte
        "\xe9t\xe9 \xc3\xa9t\xc3\xa9",      // Latin-1 and UTF-8 side by side
        "cut short \xe2\x82",             // a character cut off at the end
        "overlong \xc0\xaf and \xe0\x80\xaf",
        "surrogate \xed\xa0\x80 and \xed\xb3\xa9",  // the last one spells a held byte itself
        "beyond \xf4\x90\x80\x80 \xf5 \xff \xfe",
        "stray continuation \x80\xbf",
        "four bytes \xf0\x9f\x8e\xb5 and \xf0\x90\x82\x80",
        "/m/\xef\xbb\xbfzero width no-break \xe9 \xef\xbb\xbf.wav",  // U+FEFF inside a name is no byte-order mark
    };
    for (const QByteArray& bytes : cases) {
        const QString text = DecodeItemsListBytes(bytes);
        EXPECT_EQ(EncodeItemsListText(text), bytes) << bytes.toHex(' ').toStdString();
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << bytes.toHex(' ').toStdString();
    }
    // A byte-order mark is skipped the same way whether the rest is UTF-8 or not.
    EXPECT_EQ(DecodeItemsListBytes("\xef\xbb\xbf<ITEM>"), QStringLiteral("<ITEM>"));
    EXPECT_EQ(EncodeItemsListText(DecodeItemsListBytes("\xef\xbb\xbf<ITEM>\xe9")), QByteArray("<ITEM>\xe9"));
    // Only the first one is a mark; a second is the start of the text.
    EXPECT_EQ(EncodeItemsListText(DecodeItemsListBytes("\xef\xbb\xbf\xef\xbb\xbf<ITEM>\xe9")),
              QByteArray("\xef\xbb\xbf<ITEM>\xe9"));
}

TEST(ItemsListBytes, TheSavedBytesAreTheEncodedTextOfTheRecords)
{
    // The writer composes the bytes directly; they must be those of the text form, for plain
    // and escaped lists alike, whatever the values hold.
    const QString values[] = {
        QStringLiteral("plain.wav"),
        QStringLiteral("caf\u00e9 \u0416\u03a9 \u4e2d\u6587 \u0627\u0644 e\u0301"),
        QString::fromUtf8("\xf0\x9f\x8e\xb5 non-BMP"),
        DecodeItemsListBytes("held \xe9 byte"),
        QString(QChar(0xD800)) + QStringLiteral(" lone high, lone low ") + QChar(0xDE00),
        QString(QChar(0xD83C)) + QChar(0xDC80) + QStringLiteral(" pair ending in a held-byte code"),
        QStringLiteral("\u07ff\u0800\uffff edges"),
        QString(),
    };
    for (const bool escaped : {false, true}) {
        QList<ItemsListRecord> records;
        for (const QString& v : values) {
            ItemsListRecord r = sampleRecord(QStringLiteral("/m/") + v, v);
            r[fldTagComment] = v;
            records.append(r);
        }
        if (escaped)
            records.last()[fldTagComment] = QStringLiteral("a <b> & c\r\nd");
        SCOPED_TRACE(escaped ? "escaped" : "plain");
        EXPECT_EQ(ComposeItemsListBytes(records), EncodeItemsListText(ComposeItemsListText(records) + QStringLiteral("\r\n")));
    }
    EXPECT_EQ(ComposeItemsListBytes({}), QByteArray("\r\n"));
}

TEST(ItemsListBytes, OneBadByteSpoilsNoOtherValueOfItsRecord)
{
    const QByteArray piece = "<Item Name>caf\xc3\xa9 one.wav</Item Name><COL_FILE>/m/caf\xc3\xa9 one.wav</COL_FILE>"
                             "<COL_TAG_COMMENT>r\xe9sum\xe9</COL_TAG_COMMENT>";
    const ItemsListRecord r = ParseItemsListRecord(DecodeItemsListBytes(piece), false);
    EXPECT_EQ(r[fldItemName], QStringLiteral("caf\u00e9 one.wav"));
    EXPECT_EQ(r[fldFile], QStringLiteral("/m/caf\u00e9 one.wav"));
    EXPECT_EQ(EncodeItemsListText(r[fldTagComment]), QByteArray("r\xe9sum\xe9"));
}

TEST(ItemsListGridRows, ARowIsSavedWithItsMarkAudioAndItsCells)
{
    auto grid = makeItemGrid();
    const auto& keys = ItemsListFieldKeys();
    for (int f = fldItemName; f < kItemsListFieldCount; ++f)
        grid->SetCell(1, grid->ColumnIndex(keys[f]), QString(keys[f] + QStringLiteral(" value")));
    grid->SetCell(1, grid->ColumnIndex(ItemRow::COL_TYPE), QString(), 0, ItemRow::kTypeData);
    grid->SetCell(2, grid->ColumnIndex(ItemRow::COL_INC), QString(), 0, ItemRow::kMarked);

    const QList<ItemsListRecord> records = RecordsFromGrid(*grid);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records.at(0)[fldInc], QStringLiteral("0"));  // never given a mark icon
    EXPECT_EQ(records.at(0)[fldType], QStringLiteral("Audio"));
    for (int f = fldItemName; f < kItemsListFieldCount; ++f)
        EXPECT_EQ(records.at(0).fields[f], keys[f] + QStringLiteral(" value"));
    EXPECT_EQ(records.at(1)[fldInc], QStringLiteral("1"));
}

TEST(ItemsListHeldItems, GoBackToTheirPlaces)
{
    auto rec = [](const char* name) { return sampleRecord(QString(), QString::fromLatin1(name)); };
    auto held = [&](long after, const char* name) { return HeldItem{after, rec(name), {}, false}; };
    const QList<ItemsListRecord> rows = {rec("r1"), rec("r2")};
    struct Case {
        QList<HeldItem> held;
        QStringList order;
    } cases[] = {
        {{}, {"r1", "r2"}},
        {{held(0, "h0")}, {"h0", "r1", "r2"}},
        {{held(1, "h1"), held(1, "h1b")}, {"r1", "h1", "h1b", "r2"}},
        {{held(2, "h2")}, {"r1", "r2", "h2"}},
        {{held(9, "h9")}, {"r1", "r2", "h9"}},  // a place beyond the last row is the end
    };
    for (const Case& c : cases) {
        QStringList order;
        for (const ItemsListRecord& r : ParseItemsListData(ComposeItemsListBytes(rows, c.held)).records)
            order << r[fldItemName];
        EXPECT_EQ(order, c.order);
    }
}

TEST(ItemsListFileName, IsRecognisedByItsExtensionOnly)
{
    EXPECT_TRUE(IsItemsListFileName(QStringLiteral("Rock.flst")));
    EXPECT_TRUE(IsItemsListFileName(QStringLiteral("a.b.flst")));
    EXPECT_FALSE(IsItemsListFileName(QStringLiteral("Rock.flst.bak")));
    EXPECT_FALSE(IsItemsListFileName(QStringLiteral("my.flstuff")));
    EXPECT_FALSE(IsItemsListFileName(QStringLiteral("Rock.FLST")));
    EXPECT_FALSE(IsItemsListFileName(QStringLiteral(".flst")));
}

}  // namespace
