// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// A joined WAV past 4 GiB, through the joiner window, checked at its seams by sox.
#include "tests/batchtools/JoinerFixture.h"

#include <QProcess>
#include <QStorageInfo>
#include <QTest>

namespace {

using fixtures::Pcm;

// Frame i of the source holds i in its two channels (low and high 15 bits), so every frame
// of the result tells where it came from.
void frameBytes(QByteArray& out, int64_t first, int64_t frames)
{
    out.resize(qsizetype(frames * 4));
    for (int64_t k = 0; k < frames; ++k) {
        const int64_t i = first + k;
        const uint16_t l = uint16_t(i & 0x7fff);
        const uint16_t r = uint16_t((i >> 15) & 0x7fff);
        char* p = out.data() + k * 4;
        p[0] = char(l & 0xff);
        p[1] = char(l >> 8);
        p[2] = char(r & 0xff);
        p[3] = char(r >> 8);
    }
}

// The frames [start, start + count) of a WAV as read by sox.
QList<QPair<int, int>> soxFrames(const QString& file, int64_t start, int count)
{
    QProcess sox;
    sox.start(QStringLiteral("sox"), {file, QStringLiteral("-t"), QStringLiteral("s16"), QStringLiteral("-"),
                                      QStringLiteral("trim"), QStringLiteral("%1s").arg(start), QStringLiteral("%1s").arg(count)});
    sox.waitForFinished(120000);
    const QByteArray b = sox.readAllStandardOutput();
    QList<QPair<int, int>> frames;
    for (qsizetype at = 0; at + 4 <= b.size(); at += 4)
        frames.append({fixtures::get16(b, at), fixtures::get16(b, at + 2)});
    return frames;
}

TEST_F(JoinerTest, AJoinPastFourGibibytesIsWrittenAsRf64)
{
    const Pcm cd{44100, 2, 16};
    constexpr int64_t kFrames = 275'000'000;  // 1.1 GB a copy; four copies pass 4 GiB
    constexpr int kCopies = 4;
    const int64_t need = kFrames * 4 * (kCopies + 1) + (int64_t(1) << 30);
    if (QStorageInfo(sourceFolder).bytesAvailable() < need)
        GTEST_SKIP() << "needs " << need / (1 << 20) << " MiB of free disk for a result past 4 GiB";
    OutputFormatOptions.cboSamplesWAV = 44100;
    OutputFormatOptions.cboBitrateWAV = 16;
    OutputFormatOptions.cboChannelsWAV = 1;

    const QString source = QDir(sourceFolder).filePath(QStringLiteral("long.wav"));
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(fixtures::wavBytes(cd, {}, uint32_t(kFrames * 4))), 44);
        QByteArray chunk;
        for (int64_t at = 0; at < kFrames; at += 4'000'000) {
            frameBytes(chunk, at, std::min<int64_t>(4'000'000, kFrames - at));
            ASSERT_EQ(f.write(chunk), chunk.size());
        }
    }
    FrmJoiner* j = g_frmJoiner.get();
    j->txtToPath->setEditText(outFolder);
    j->txtJoinedFileName->setText(QStringLiteral("big.wav"));
    cGrid* g = j->cGrid1;
    for (long r = 1; r <= kCopies; ++r) {
        g->SetCell(r, g->ColumnIndex(COL_FILE), source);
        g->SetCell(r, g->ColumnIndex(COL_RANGE_ALL), QStringLiteral("1"));
    }
    g->CurrentRow(1);
    j->cmdConvert_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return j->cmdConvert->isEnabled(); }, 900000));
    ASSERT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done.")) << j->txtLog->toPlainText().toStdString();
    QFile::remove(source);

    const QString out = outFolder + QStringLiteral("/big.wav");
    QFile head(out);
    ASSERT_TRUE(head.open(QIODevice::ReadOnly));
    EXPECT_EQ(head.read(4), QByteArray("RF64"));
    head.close();
    EXPECT_GT(QFileInfo(out).size(), int64_t(4) << 30);

    QProcess info;
    info.start(QStringLiteral("sox"), {QStringLiteral("--i"), QStringLiteral("-s"), out});
    ASSERT_TRUE(info.waitForFinished(60000));
    EXPECT_EQ(info.readAllStandardOutput().trimmed().toLongLong(), kFrames * kCopies);

    const auto expectedAt = [](int64_t i) { return QPair<int, int>(int(i & 0x7fff), int((i >> 15) & 0x7fff)); };
    for (int seam = 1; seam < kCopies; ++seam) {
        const auto got = soxFrames(out, seam * kFrames - 2, 4);
        const QList<QPair<int, int>> want{expectedAt(kFrames - 2), expectedAt(kFrames - 1), expectedAt(0), expectedAt(1)};
        EXPECT_EQ(got, want) << "seam " << seam;
    }
    const auto tail = soxFrames(out, kCopies * kFrames - 2, 2);
    EXPECT_EQ(tail, (QList<QPair<int, int>>{expectedAt(kFrames - 2), expectedAt(kFrames - 1)}));
    QFile::remove(out);
}

}  // namespace
