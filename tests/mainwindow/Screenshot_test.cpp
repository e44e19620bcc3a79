// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Shows the main window at its default size with a small list and saves a picture of it, for a
// person to look at. tools/screenshot-main.sh runs it under Xvfb; QM_SCREENSHOT names the file.
#include "components/cGrid.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "settings/ProgramOptions.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(MainWindowPicture, DefaultSizeWithAList)
{
    testenv::wipeUserFolders();
    platform::resetRegistryHives();
    InitProductConfig();
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
    ProgramOptions = ProgramOptionsData{};
    ProgramOptions.chkDisplayTitle = true;
    ProgramOptions.chkDisplayPlayer = true;
    ProgramOptions.chkDisplayAudioGraph = true;
    ProgramOptions.chkDisplayGridLine = true;
    ProgramOptions.picColor = 8404992;       // the installer's first title colour
    ProgramOptions.picTextColor = 16777215;
    const QString lists = QDir(platform::programFolder()).filePath(QStringLiteral("Main"));
    QDir().mkpath(lists);
    ProgramOptions.txtToPath = lists + QLatin1Char('/');
    QFile(QDir(lists).filePath(QStringLiteral("Evening Session.flst"))).open(QIODevice::WriteOnly);

    FrmMain* f = frmMain.get();
    cGrid& g = *f->cGrid1;
    const struct {
        const char* name;
        const char* range;
        long mark;
        const char* time;     // of the whole file
        const char* length;   // seconds of a range; empty for the whole file
        qint64 bytes;
    } rows[] = {
        {"01 - Intro.wav", "All", 1, "00:01:05", "", 11468800},
        {"02 - Morning Light.wav", "All", 1, "00:04:12", "", 44458240},
        {"03 - Harbour Walk.wav", "00:00:12 - 00:03:40", 1, "00:03:58", "208", 41983360},
        {"04 - Interlude.wav", "All", 0, "00:00:48", "", 8468480},
        {"05 - Night Train.wav", "All", 1, "00:05:31", "", 58394880},
        {"06 - Closing.wav", "00:00:00 - 00:02:05", 1, "00:02:30", "125", 26460160},
    };
    g.Redraw(false);
    for (const auto& r : rows) {
        const long row = g.Rows() + 1;
        g.SetCell(row, g.ColumnIndex(ItemRow::COL_INC), std::nullopt, 0x40020, r.mark);
        g.SetCell(row, g.ColumnIndex(ItemRow::COL_TYPE), QVariant(QString()), 0x40020, ItemRow::kTypeAudio);
        g.SetCell(row, g.ColumnIndex(ItemRow::COL_ITEM_NAME), QVariant(QString::fromLatin1(r.name)));
        g.SetCell(row, g.ColumnIndex(ItemRow::COL_RANGE), QVariant(QString::fromLatin1(r.range)));
        g.SetCell(row, g.ColumnIndex(ItemRow::COL_TIME), QVariant(QString::fromLatin1(r.time)));
        g.SetCell(row, g.ColumnIndex(COL_RANGE_ALL), QVariant(QString::fromLatin1(*r.length ? "0" : "1")));
        g.SetCell(row, g.ColumnIndex(COL_RANGE_LENGTH_TIME), QVariant(QString::fromLatin1(r.length)));
        g.SetCell(row, g.ColumnIndex(COL_BYTES_SIZE), QVariant::fromValue<qint64>(r.bytes));
    }
    g.Redraw(true);
    f->DisplayGridInfoStatusBar();
    g.CurrentRow(2);
    f->picEmptyMsg->hide();
    cGrid& info = *f->cGridInfo;
    const char* facts[][2] = {{"File", "02 - Morning Light.wav"}, {"Time", "00:04:12"}, {"Size", "42.4 MB"},
                              {"Format", "PCM 44100 Hz"},        {"Channels", "Stereo"}};
    for (const auto& fact : facts) {
        const long row = info.Rows() + 1;
        info.SetCell(row, 1, QVariant(QString::fromLatin1(fact[0])));
        info.SetCell(row, 2, QVariant(QString::fromLatin1(fact[1])));
    }

    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f) || QGuiApplication::platformName() == QLatin1String("offscreen"));
    QTest::qWait(200);
    const QPixmap shot = f->grab();
    EXPECT_EQ(shot.size(), f->size());
    EXPECT_FALSE(shot.toImage().isNull());
    const QString out = qEnvironmentVariable("QM_SCREENSHOT");
    if (!out.isEmpty()) {
        EXPECT_TRUE(shot.save(out, "PNG")) << out.toStdString();
    }
}

}  // namespace
