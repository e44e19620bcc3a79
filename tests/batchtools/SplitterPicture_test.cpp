// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The splitter as its user sees it: every caption on its settings and events pages fits its
// control. QM_SCREENSHOT_DIR names a folder for pictures of both pages; under Xvfb with a window
// manager run it with QT_QPA_PLATFORM=xcb.
#include "tests/batchtools/ClippedCaptions.h"
#include "tests/batchtools/SplitterFixture.h"

#include "settings/controls/cTabControl.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

namespace {

TEST_F(SplitterTest, CaptionsFitOnBothPages)
{
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    FrmSplitter* s = splitterOn(makeWav(QStringLiteral("Long Concert.wav"), fixtures::Pcm{44100, 2, 16}, 3));
    ASSERT_NE(s, nullptr);
    s->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s) || QGuiApplication::platformName() == QLatin1String("offscreen"));
    QTest::qWait(200);
    const QString folder = qEnvironmentVariable("QM_SCREENSHOT_DIR");

    EXPECT_EQ(clipped(s->TabSettings), QStringList());
    if (!folder.isEmpty()) {
        EXPECT_TRUE(s->grab().save(QDir(folder).filePath(QStringLiteral("splitter.png"))));
    }

    s->cTabControl1->SelectTab(QStringLiteral("Events"));
    s->cTabControl1_TabClick(1);
    QTest::qWait(100);
    EXPECT_EQ(clipped(s->TabEvents), QStringList());
    if (!folder.isEmpty()) {
        EXPECT_TRUE(s->grab().save(QDir(folder).filePath(QStringLiteral("splitter-events.png"))));
        if (QScreen* screen = QGuiApplication::primaryScreen())
            screen->grabWindow(0).save(QDir(folder).filePath(QStringLiteral("splitter-screen.png")));
    }
}

}  // namespace
