// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// A list of 10,000 items loaded through the real converter component: every item is measured
// again, while the window keeps handling events, shows its progress and ignores selections.
#include "tests/itemslists/ItemsListFixtures.h"

#include "components/cAudioConverter.h"
#include "foundation/mdlModes.h"
#include "mainwindow/ItemsListTree.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTimer>

#include <ctime>
#include <iostream>

namespace {

// Processor time the calling thread has used, in milliseconds.
qint64 threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

constexpr int kItems = 10000;

// A PCM WAV of `frames` mono 16-bit frames at 8000 Hz.
QByteArray tinyWav(int frames, int seed)
{
    QByteArray pcm(frames * 2, '\0');
    for (int i = 0; i < pcm.size(); ++i)
        pcm[i] = char((i * 7 + seed) & 0x7f);
    QByteArray b;
    auto u32 = [&b](quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    auto u16 = [&b](quint16 v) {
        b.append(char(v & 0xff));
        b.append(char(v >> 8));
    };
    b.append("RIFF");
    u32(36 + pcm.size());
    b.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    b.append("data");
    u32(pcm.size());
    b.append(pcm);
    return b;
}

class LongListLoad : public testing::Test {
protected:
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Main")) + QLatin1Char('/');
    std::unique_ptr<cAudioConverter> converter = CreateAudioConverter();
    ConverterProbe probe{*converter};
    ItemsListHost host;
    QWidget window;
    cTreeView* tree = new cTreeView(&window);
    std::unique_ptr<cGrid> grid = makeItemGrid();
    QLabel* lblListName = new QLabel(&window);
    QProgressBar* prgStatus = new QProgressBar(&window);

    void SetUp() override
    {
        ProgramOptions = ProgramOptionsData{};
        ProgramOptions.txtToPath = folder;
        g_lAppIncItemsLists = 1;
        prgStatus->setVisible(false);
        QDir().mkpath(folder);
        QDir().mkpath(dir.filePath(QStringLiteral("audio")));
        QList<ItemsListRecord> records;
        records.reserve(kItems);
        for (int i = 0; i < kItems; ++i) {
            const QString file = dir.filePath(QStringLiteral("audio/%1.wav").arg(i, 5, 10, QLatin1Char('0')));
            writeBytes(file, tinyWav(800 + i % 400, i));
            ItemsListRecord r = sampleRecord(file, QString::number(i), QString::number(i % 2));
            if (i % 3 == 0) {
                r[fldRangeAll] = QStringLiteral("0");
                r[fldRangeStart] = QStringLiteral("0");
                r[fldRangeLength] = QStringLiteral("1");
            }
            records << r;
        }
        ASSERT_TRUE(listfixtures::writeList(folder + QStringLiteral("Long.flst"), records));
        writeBytes(folder + QStringLiteral("Other.flst"), "\r\n");
    }
    void TearDown() override
    {
        g_lAppIncItemsLists = 0;
        ProgramOptions = ProgramOptionsData{};
    }
};

TEST_F(LongListLoad, TenThousandItemsLoadWhileTheWindowKeepsRunning)
{
    ItemsListControls c;
    c.tree = tree;
    c.grid = grid.get();
    c.lblListName = lblListName;
    c.prgStatus = prgStatus;
    ItemsListTree lists(c, probe, host);
    lists.setTree();
    QTreeWidgetItem* longList = lists.NodeByKey(folder + QStringLiteral("Long.flst"));
    QTreeWidgetItem* other = lists.NodeByKey(folder + QStringLiteral("Other.flst"));
    ASSERT_NE(longList, nullptr);

    for (const bool copyTags : {true, false}) {
        ProgramOptions.chkCopyID3FromSource = copyTags;
        lists.cTreeView1_NodeClick(other);

        // A timer stands for the user: it runs between slices, sees the progress move, and its
        // clicks on another list are ignored. A slice is judged by the processor time the window's
        // thread spends between two ticks: on a busy machine the wall clock also counts the time
        // the thread waited for a processor, which no slicing can help.
        QElapsedTimer sinceTick;
        qint64 longestGap = 0, longestWallGap = 0;
        qint64 lastCpu = threadCpuMs();
        int ticks = 0;
        int visibleTicks = 0;
        int lastValue = -1;
        bool valueMoved = false;
        QTimer user;
        user.setInterval(10);
        QObject::connect(&user, &QTimer::timeout, [&] {
            longestWallGap = std::max(longestWallGap, sinceTick.restart());
            const qint64 cpu = threadCpuMs();
            longestGap = std::max(longestGap, cpu - lastCpu);
            lastCpu = cpu;
            ++ticks;
            if (!prgStatus->isHidden()) {
                ++visibleTicks;
                valueMoved = valueMoved || (lastValue >= 0 && prgStatus->value() > lastValue);
                lastValue = prgStatus->value();
                lists.cTreeView1_NodeClick(other);
                EXPECT_EQ(lists.SelectedNode(), longList);
            }
        });

        QSignalSpy loaded(&lists, &ItemsListTree::ListLoaded);
        QElapsedTimer clock;
        clock.start();
        sinceTick.start();
        lastCpu = threadCpuMs();
        user.start();
        lists.cTreeView1_NodeClick(longList);
        EXPECT_TRUE(lists.IsBusy());
        ASSERT_TRUE(loaded.wait(300000));
        const qint64 ms = clock.elapsed();
        user.stop();

        ASSERT_EQ(grid->Rows(), kItems);
        EXPECT_EQ(cell(*grid, kItems, ItemRow::COL_ITEM_NAME), QString::number(kItems - 1));
        EXPECT_EQ(cell(*grid, 1, ItemRow::COL_TIME), QStringLiteral("00:00:00"));
        EXPECT_EQ(cell(*grid, 1, ItemRow::COL_RANGE), QStringLiteral("00:00:00 - 00:00:01"));
        EXPECT_TRUE(lists.loader().Held().isEmpty());
        EXPECT_GT(visibleTicks, 0);
        EXPECT_TRUE(valueMoved);
        EXPECT_LT(longestGap, 500) << "a slice kept the event loop busy too long";

        std::cout << "[ measure  ] " << kItems << " items, tags from source " << (copyTags ? "on" : "off") << ": " << ms
                  << " ms; longest pause of the event loop " << longestWallGap << " ms (" << longestGap
                  << " ms of processor time) over " << ticks << " timer ticks"
                  << std::endl;
        RecordProperty(copyTags ? "load_ms_tags_on" : "load_ms_tags_off", static_cast<int>(ms));
    }
}

}  // namespace
