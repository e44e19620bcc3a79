// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/ItemInfo.h"
#include "tests/itemsgrid/ItemWindowFixture.h"

namespace {

class ItemInfo : public ItemWindowTest {
protected:
    QStringList column(long col) const
    {
        QStringList out;
        cGrid* info = frmMain->cGridInfo;
        for (long r = 1; r <= info->Rows(); ++r)
            out << info->Cell(r, col).Text();
        return out;
    }
};

TEST_F(ItemInfo, NineRowsOfTheSelectedItemFollowTheSelection)
{
    const QString mono = makeWav(QStringLiteral("mono.wav"), {22050, 1, 8}, 2);
    const QString stereo = makeWav(QStringLiteral("stereo.wav"), {44100, 2, 16}, 1);
    const QString broken = makeWav(QStringLiteral("broken.wav"), {8000, 1, 16}, 1);
    makeListOf(QStringLiteral("Alpha"), {stereo, mono, broken});
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    setCell(2, ItemRow::COL_ITEM_NAME, QStringLiteral("Edited name"));

    f->cGrid1->CurrentRow(2);  // the selection change refreshes the grid
    const QStringList names{"File Name", "Total Time", "File Size", "Created", "Format",
                            "Samples",   "Bitrate",    "Channels",  "Item"};
    EXPECT_EQ(column(1), names);
    QStringList values = column(2);
    ASSERT_EQ(values.size(), 9);
    EXPECT_EQ(values[0], QStringLiteral("Edited name"));
    EXPECT_EQ(values[1], QStringLiteral("00:00:02"));
    EXPECT_EQ(values[2], cell(2, ItemRow::COL_SIZE));
    // Created: the desktop's short date, a blank and its time, as the grid's own cell shows it.
    EXPECT_EQ(values[3], cell(2, ItemRow::COL_CREATED));
    EXPECT_TRUE(QDateTime::fromString(values[3], QStringLiteral("dd.MM.yyyy HH:mm:ss")).isValid()) << values[3].toStdString();
    EXPECT_EQ(values.mid(4), (QStringList{"WAV", "22050", "8", "MONO", "2"}));

    // Calling again rebuilds: still nine rows.
    f->GetFileInfoToGridInfo();
    EXPECT_EQ(f->cGridInfo->Rows(), 9);

    f->cGrid1->CurrentRow(1);
    EXPECT_EQ(column(2).mid(4), (QStringList{"WAV", "44100", "16", "STEREO", "1"}));

    // A file that no longer reads leaves its facts empty; the grid's cells still show.
    ASSERT_TRUE(fixtures::writeFile(broken, "not audio"));
    f->cGrid1->CurrentRow(3);
    values = column(2);
    EXPECT_EQ(values[0], QStringLiteral("broken.wav"));
    EXPECT_EQ(values.mid(4), (QStringList{"WAV", "", "", "", "3"}));
}

TEST_F(ItemInfo, AnEmptyListLeavesItEmptyAndThePointerAlone)
{
    makeListOf(QStringLiteral("Empty"), {});
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 0);
    f->cGridInfo->SetCell(1, 1, QStringLiteral("left over"));
    f->setCursor(Qt::WaitCursor);
    f->GetFileInfoToGridInfo();
    EXPECT_EQ(f->cGridInfo->Rows(), 0);
    EXPECT_EQ(f->cursor().shape(), Qt::WaitCursor);

    const QString one = makeWav(QStringLiteral("one.wav"), {8000, 1, 16}, 1);
    f->cGrid1->SetCell(1, f->cGrid1->ColumnIndex(COL_FILE), one);
    f->GetFileInfoToGridInfo();
    EXPECT_EQ(f->cGridInfo->Rows(), 9);
    EXPECT_EQ(f->cursor().shape(), Qt::ArrowCursor);  // back to the default pointer
}

TEST(ItemInfoTexts, FormatAndChannels)
{
    const struct {
        const char* path;
        const char* format;
    } paths[] = {{"/music/song.wav", "WAV"},
                 {"/music/song", ""},
                 {"/my.music/song", "MUSIC/SONG"},
                 {"/a/b.abcdefghijklmnop", "ABCDEFGHIJKL"}};
    for (const auto& p : paths)
        EXPECT_EQ(FormatText(QLatin1String(p.path)), QLatin1String(p.format)) << p.path;

    const struct {
        long channels;
        const char* text;
    } channels[] = {{1, "MONO"}, {2, "STEREO"}, {0, "STEREO"}, {6, "STEREO"}};
    for (const auto& c : channels)
        EXPECT_EQ(ChannelsText({true, 44100, 16, c.channels}), QLatin1String(c.text)) << c.channels;
    EXPECT_EQ(ChannelsText({false, 0, 0, 1}), QString());
}

}  // namespace
