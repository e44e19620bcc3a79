// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Long tasks of the joiner window over the real join component.
#include "tests/batchtools/JoinerFixture.h"

#include <QProcess>
#include <QStorageInfo>
#include <QTest>

namespace {

using fixtures::Pcm;

class JoinerLongTest : public JoinerTest {
protected:
    void SetUp() override
    {
        JoinerTest::SetUp();
        OutputFormatOptions.cboSamplesWAV = 44100;
        OutputFormatOptions.cboBitrateWAV = 16;
        OutputFormatOptions.cboChannelsWAV = 1;
    }

    // The rows as the command copies them into the window: file, whole range.
    static void handOverRows(FrmJoiner* j, const QStringList& files)
    {
        cGrid* g = j->cGrid1;
        g->Redraw(false);
        const long fileCol = g->ColumnIndex(COL_FILE);
        const long allCol = g->ColumnIndex(COL_RANGE_ALL);
        const long nameCol = g->ColumnIndex(ItemRow::COL_ITEM_NAME);
        for (int i = 0; i < files.size(); ++i) {
            g->SetCell(i + 1, nameCol, QFileInfo(files[i]).fileName());
            g->SetCell(i + 1, fileCol, files[i]);
            g->SetCell(i + 1, allCol, QStringLiteral("1"));
        }
        g->Redraw(true);
        g->CurrentRow(1);
        j->txtJoinedFileName->setText(QStringLiteral("long.wav"));
    }
};

TEST_F(JoinerLongTest, TenThousandRowsJoinedTwiceInOneWindow)
{
    const Pcm cd{44100, 2, 16};
    constexpr int kRows = 10000;
    QStringList files;
    QByteArray expected;
    for (int i = 0; i < kRows; ++i) {
        const QByteArray data = fixtures::pattern(cd, 441 + i % 7, i);
        const QString path = QDir(sourceFolder).filePath(QStringLiteral("s%1.wav").arg(i, 5, 10, QLatin1Char('0')));
        ASSERT_TRUE(fixtures::writeFile(path, fixtures::wavBytes(cd, data)));
        files << path;
        expected += data;
    }
    QStringList adds;
    for (const QString& f : files)
        adds << QStringLiteral("Add ") + QFileInfo(f).fileName() + QStringLiteral("...");
    FrmJoiner* j = g_frmJoiner.get();
    j->txtToPath->setEditText(outFolder + QLatin1Char('/'));
    handOverRows(j, files);
    ASSERT_EQ(j->cGrid1->Rows(), kRows);
    j->show();  // painted as the user sees it, the log in front during the task
    ASSERT_TRUE(QTest::qWaitForWindowExposed(j));
    for (int pass = 1; pass <= 2; ++pass) {
        j->txtLog->clear();
        if (pass == 2)
            box.answer(platform::vbYes);  // overwrite the first result
        j->cmdConvert_Click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return j->cmdConvert->isEnabled(); }, 300000));
        ASSERT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done.")) << j->txtLog->toPlainText().right(500).toStdString();
        // Every entry's line once, in the order of the rows, between the start's lines and "Done.".
        QStringList lines = logLines(j);
        QStringList start{QStringLiteral("Preparing to join: 10000 tracks.")};
        if (pass == 2)
            start << QStringLiteral("File already exists.") << QStringLiteral("Overwrite it...");
        ASSERT_EQ(lines.size(), start.size() + 1 + kRows + 1) << "pass " << pass;
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Destination format: "))) << lines[1].toStdString();
        lines.removeAt(1);
        EXPECT_EQ(lines.mid(0, start.size()), start);
        EXPECT_TRUE(lines.mid(start.size(), kRows) == adds) << "pass " << pass;
        EXPECT_EQ(lines.last(), QStringLiteral("Done."));
        EXPECT_EQ(j->prgTotal->Max(), 1000000);
        EXPECT_EQ(j->prgTotal->Value(), 1000000);
        const auto out = fixtures::parseWavFile(outFolder + QStringLiteral("/long.wav"));
        ASSERT_TRUE(out);
        EXPECT_TRUE(out->data == expected) << "pass " << pass;
    }
}

}  // namespace
