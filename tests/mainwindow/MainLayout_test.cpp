// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/MainLayout.h"

#include <gtest/gtest.h>

namespace {

LayoutInputs inputs(int w = 13140, int h = 7440)
{
    LayoutInputs in;
    in.windowWidth = w;
    in.windowHeight = h;
    in.chkDisplayTitle = true;
    in.chkDisplayPlayer = true;
    in.chkDisplayAudioGraph = true;
    in.treeRestore = 0;
    return in;
}

MainLayout laidOut(const LayoutInputs& in)
{
    MainLayout l = InitialMainLayout();
    l.tlbrListHeight = 390;
    l.statusBarHeight = 375;
    EXPECT_TRUE(LayOutMainWindow(l, in));
    return l;
}

TEST(MainLayout, DefaultWindowWithTheTreeHidden)
{
    const MainLayout l = laidOut(inputs());
    EXPECT_FALSE(l.cTreeView1.visible);
    EXPECT_FALSE(l.picResizer.visible);
    EXPECT_EQ(l.cTreeView1.width, 0);
    EXPECT_EQ(l.picResizer.width, 0);
    EXPECT_EQ(l.picTitleProject.width, 0);
    EXPECT_EQ(l.froTreeControl.width, 0);
    EXPECT_EQ(l.cGrid1.left, 80);  // 120 + 0 + 0 - 40
    EXPECT_EQ(l.picTitle.height, 375);
    EXPECT_EQ(l.cToolbarHost1.top, 120 + 375 + 40);
    EXPECT_EQ(l.cGrid1.top, 535 + 740 + 255 + 20);
    EXPECT_EQ(l.cGrid1.height, 7440 - 1155 - 390 - 740 - 375 - 375 - 255 - 600);
    EXPECT_EQ(l.picTitle.width, 13140 - 350);
    EXPECT_EQ(l.cGrid1.width, 12790 - 0 - 3495 - 100);
    EXPECT_EQ(l.cGridInfo.left, l.cGrid1.left + l.cGrid1.width);
    EXPECT_EQ(l.cGridInfo.height, l.cGrid1.height - 1215);
    EXPECT_EQ(l.picPlayer.top, l.cGridInfo.top + l.cGridInfo.height);
    EXPECT_EQ(l.picList.top, l.cGrid1.top + l.cGrid1.height);
    EXPECT_EQ(l.froControl.top, l.picList.top + 400);
    EXPECT_EQ(l.picList.width, l.cGrid1.width + 3495);
    EXPECT_EQ(l.cSlider1.left, 100);
    EXPECT_EQ(l.cSlider1.width, 3495 - 200);
    EXPECT_EQ(l.picEmptyMsg.left, 80 + l.cGrid1.width / 2 - 3615 / 2);
    EXPECT_EQ(l.picEmptyMsg.top, 2400);
}

TEST(MainLayout, OptionsMoveAndResizeThePanes)
{
    const MainLayout base = laidOut(inputs());

    LayoutInputs noTitle = inputs();
    noTitle.chkDisplayTitle = false;
    const MainLayout t = laidOut(noTitle);
    EXPECT_FALSE(t.picTitle.visible);
    EXPECT_EQ(t.cToolbarHost1.top, base.cToolbarHost1.top - 375);
    EXPECT_EQ(t.cGrid1.height, base.cGrid1.height + 375);
    // The grid's top moves up by the strip and its foot stays: it grows by the same amount.
    EXPECT_EQ(t.cGrid1.top, base.cGrid1.top - 375);

    LayoutInputs noPlayer = inputs();
    noPlayer.chkDisplayPlayer = false;
    const MainLayout p = laidOut(noPlayer);
    EXPECT_FALSE(p.cGridInfo.visible);
    EXPECT_FALSE(p.picPlayer.visible);
    EXPECT_EQ(p.cGrid1.width, base.cGrid1.width + 3495);
    EXPECT_EQ(p.picList.width, p.cGrid1.width);  // the list strip spans only the grid

    LayoutInputs noGraphs = inputs();
    noGraphs.chkDisplayAudioGraph = false;
    EXPECT_FALSE(laidOut(noGraphs).audioGraphsVisible);
}

TEST(MainLayout, TreeFlagBringsTheHiddenTreeBack)
{
    MainLayout l = InitialMainLayout();
    LayoutInputs in = inputs();
    ASSERT_TRUE(LayOutMainWindow(l, in));
    ASSERT_FALSE(l.cTreeView1.visible);
    in.treeRestore = 1;
    ASSERT_TRUE(LayOutMainWindow(l, in));
    EXPECT_TRUE(l.cTreeView1.visible);
    EXPECT_EQ(l.cTreeView1.width, 2535);
    EXPECT_EQ(l.picResizer.width, 100);
    EXPECT_EQ(l.cGrid1.left, 120 + 2535 + 100 - 40);
    EXPECT_EQ(l.picResizer.left, 120 + 2535 + 20);
    EXPECT_EQ(l.froTreeControl.width, 2535);
    EXPECT_EQ(l.cTreeView1.height, l.cGrid1.height + 1155 - 60);
}

TEST(MainLayout, TooSmallWindowKeepsLastHeightsAndPlacesTheRest)
{
    MainLayout l = InitialMainLayout();
    ASSERT_TRUE(LayOutMainWindow(l, inputs()));
    const int gridHeight = l.cGrid1.height;
    const int treeHeight = l.cTreeView1.height;
    ASSERT_TRUE(LayOutMainWindow(l, inputs(2000, 2000)));
    EXPECT_EQ(l.cGrid1.height, gridHeight);
    EXPECT_EQ(l.cTreeView1.height, treeHeight);
    EXPECT_EQ(l.picTitle.width, 2000 - 350);  // the rest is still placed
    EXPECT_EQ(l.cToolbarHost1.width, 1650);
    EXPECT_GE(l.cGrid1.width, 0);
}

TEST(MainLayout, MinimisedWindowIsNotLaidOut)
{
    MainLayout l = InitialMainLayout();
    ASSERT_TRUE(LayOutMainWindow(l, inputs()));
    const MainLayout before = l;
    LayoutInputs in = inputs(20000, 20000);
    in.minimised = true;
    EXPECT_FALSE(LayOutMainWindow(l, in));
    EXPECT_EQ(l.cGrid1.height, before.cGrid1.height);
    EXPECT_EQ(l.cGrid1.width, before.cGrid1.width);
}

TEST(MainLayout, SplitterDrops)
{
    struct Case {
        double x;
        int width;
    };
    for (const Case c : {Case{999, 1000}, Case{1000, 1000}, Case{1500, 1500}, Case{0, 1000}})
        EXPECT_EQ(TreeWidthAfterTreeDrop(120, c.x), c.width) << c.x;
    EXPECT_EQ(TreeWidthAfterGridDrop(120, 0, 2535), 2535 + 60);  // the grid's left edge
    EXPECT_EQ(TreeWidthAfterGridDrop(120, 300, 2535), 2535 + 360);
}

TEST(MainLayout, RestoredWindowSizeDefaultsAndFallbacks)
{
    struct Case {
        QVariant w, h;
        int width, height;
    };
    const Case cases[] = {
        {QVariant(), QVariant(), 13140, 7440},
        {QStringLiteral("2999"), QStringLiteral("999"), 13740, 7440},
        {QStringLiteral("3000"), QStringLiteral("1000"), 3000, 1000},
        {QStringLiteral("abc"), QStringLiteral(""), 13740, 7440},
        {QStringLiteral("15000"), QStringLiteral("9000"), 15000, 9000},
    };
    for (const Case& c : cases) {
        const QSize s = RestoredWindowSize(c.w, c.h);
        EXPECT_EQ(s.width(), c.width) << c.w.toString().toStdString();
        EXPECT_EQ(s.height(), c.height) << c.h.toString().toStdString();
    }
}

TEST(MainLayout, ARestoredSizeIsFittedToTheScreensFreeArea)
{
    const struct {
        QSize twips;
        QSize freePixels;
        QSize fitted;
    } cases[] = {
        {{200000, 200000}, {1024, 728}, {15360, 10920}},  // far larger: the whole free area
        {{13140, 7440}, {1024, 728}, {13140, 7440}},      // fits: unchanged
        {{20000, 7440}, {1024, 728}, {15360, 7440}},      // too wide only
        {{13140, 7440}, {800, 400}, {12000, 6000}},
        {{200000, 200000}, {}, {200000, 200000}},         // no screen known: as stored
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitWindowSize(c.twips, c.freePixels), c.fitted) << c.twips.width() << " on " << c.freePixels.width();
}

}  // namespace
