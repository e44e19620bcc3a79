// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/IconResources.h"
#include "foundation/Twips.h"
#include "foundation/mdlWindowUtils.h"

#include <QDialog>
#include <QWidget>

#include <gtest/gtest.h>

TEST(Twips, PixelsAreTwipsOverFifteenRoundedHalfToEven)
{
    const QList<QPair<double, int>> cases = {{0, 0}, {15, 1}, {22.5, 2}, {37.5, 2}, {52.5, 4}, {4020, 268}, {1245, 83}, {7, 0}, {8, 1}};
    for (const auto& [twips, pixels] : cases)
        EXPECT_EQ(TwipsToPixels(twips), pixels) << twips;
}

TEST(Translucency, ResultCodesAndLayeredState)
{
    QWidget w;
    struct Case {
        int alpha;
        long result;
        bool layered;
    };
    for (const Case& c : {Case{256, 1, false}, Case{-1, 1, false}, Case{0, 0, true}, Case{255, 0, true}, Case{90, 0, true}}) {
        QWidget fresh;
        EXPECT_EQ(SetTranslucency(&fresh, c.alpha), c.result) << c.alpha;
        EXPECT_EQ(IsLayered(&fresh), c.layered) << c.alpha;
        if (c.layered) {
            EXPECT_EQ(LayeredAlpha(&fresh), c.alpha);
        }
    }
    EXPECT_EQ(SetTranslucency(nullptr, 10), 2);
    EXPECT_EQ(ClearTranslucency(nullptr), 2);
    EXPECT_EQ(ClearTranslucency(&w), 0);  // never layered: nothing changes
    EXPECT_FALSE(IsLayered(&w));
    ASSERT_EQ(SetTranslucency(&w, 90), 0);
    EXPECT_EQ(ClearTranslucency(&w), 0);
    EXPECT_FALSE(IsLayered(&w));
    EXPECT_EQ(LayeredAlpha(&w), 255);
}

TEST(TopMost, SettingShowsAHiddenWindowButReleasingLeavesItHidden)
{
    QWidget w;
    w.setGeometry(100, 120, 300, 200);
    SetTopMost(&w, true);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.size(), QSize(300, 200));

    w.hide();  // parked in the tray
    SetTopMost(&w, false);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);

    w.show();
    SetTopMost(&w, false);
    EXPECT_TRUE(w.isVisible());  // a visible window stays visible through the flag change
}

TEST(FormIcons, NamesMatchWithoutCaseAndUnknownNamesGiveNone)
{
    for (const QString& name : IconResources::names()) {
        EXPECT_FALSE(LoadIconResource(name.toLower()).isNull()) << name.toStdString();
        const QImage img = IconResources::image(name, 32);
        ASSERT_EQ(img.size(), QSize(32, 32));
        int painted = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                painted += qAlpha(img.pixel(x, y)) > 0;
        EXPECT_GT(painted, 60) << name.toStdString();  // a real drawing, not an empty square
    }
    EXPECT_EQ(IconResources::names().size(), 9);
    EXPECT_TRUE(LoadIconResource(QStringLiteral("text_align_left")).isNull());

    QWidget owner;
    QDialog dialog(&owner);
    SetFormIcon(&dialog, QStringLiteral("cd_music"), true);
    EXPECT_FALSE(dialog.windowIcon().isNull());
    EXPECT_EQ(owner.windowIcon().cacheKey(), dialog.windowIcon().cacheKey());

    QWidget alone;
    SetFormIcon(&alone, QStringLiteral("GEARS"), true);  // no owner: itself only
    EXPECT_FALSE(alone.windowIcon().isNull());

    QWidget plain;
    SetFormIcon(&plain, QStringLiteral("AAA"), false);
    ASSERT_FALSE(plain.windowIcon().isNull());
    SetFormIcon(&plain, QStringLiteral("no such icon"), false);
    EXPECT_TRUE(plain.windowIcon().isNull());  // the desktop's default shows
}
