// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The ACM converter as its user sees it: every caption fits its control, and pictures of the
// settings and log tabs for a person to look at. QM_SCREENSHOT_ACM names a folder for the
// pictures; under Xvfb with a window manager run it with QT_QPA_PLATFORM=xcb.
#include "tests/batchtools/AcmConverterFixture.h"
#include "tests/batchtools/ClippedCaptions.h"

#include "settings/controls/cTabControl.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

namespace {

TEST_F(AcmConverterTest, CaptionsFitAndPicturesOfTheSettingsAndLogTabs)
{
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    const QString a = makeWav(QStringLiteral("Morning Song.wav"), fixtures::Pcm{44100, 2, 16}, 1);
    const QString b = makeWav(QStringLiteral("Evening Call.wav"), fixtures::Pcm{8000, 1, 16}, 1);
    FrmACMConverter* w = openOn({a, b});
    ASSERT_NE(w, nullptr);
    choose(w->cboTags, QStringLiteral("IMA ADPCM"));
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w) || QGuiApplication::platformName() == QLatin1String("offscreen"));
    QTest::qWait(200);

    for (QWidget* panel : {w->TabSettings, w->TabEvents}) {
        EXPECT_EQ(clipped(panel), QStringList()) << panel->objectName().toStdString();
        EXPECT_LE(panel->geometry().bottom(), w->cTabControl1->geometry().bottom());
    }
    for (QWidget* c : {static_cast<QWidget*>(w->lblTimeLeft), static_cast<QWidget*>(w->cmdConvert),
                       static_cast<QWidget*>(w->cmdAbort), static_cast<QWidget*>(w->cmdExit)}) {
        EXPECT_LE(c->fontMetrics().horizontalAdvance(c->property("text").toString()) + 6, c->width())
            << c->objectName().toStdString();
    }

    const QString folder = qEnvironmentVariable("QM_SCREENSHOT_ACM");
    const QPixmap settings = w->grab();
    EXPECT_EQ(settings.size(), w->size());
    if (!folder.isEmpty()) {
        EXPECT_TRUE(settings.save(folder + QStringLiteral("/acm-settings.png"), "PNG"));
    }

    // A run over both rows, then the log tab it switched to.
    w->cmdConvert_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->cmdConvert->isEnabled(); }, 30000));
    QTest::qWait(200);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done."));
    EXPECT_TRUE(w->TabLog->isVisible());
    if (!folder.isEmpty()) {
        EXPECT_TRUE(w->grab().save(folder + QStringLiteral("/acm-log.png"), "PNG"));
        w->cTabControl1->SelectTab(QStringLiteral("Events"));
        w->cTabControl1_TabClick(1);
        QTest::qWait(100);
        EXPECT_TRUE(w->grab().save(folder + QStringLiteral("/acm-events.png"), "PNG"));
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            EXPECT_TRUE(screen->grabWindow(0).save(folder + QStringLiteral("/acm-screen.png"), "PNG"));
        }
    }
}

}  // namespace
