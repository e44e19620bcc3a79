// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/MainLayout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTitleHeight = 375;
constexpr int kRightColumnWidth = 3495;
constexpr int kTreeWidth = 2535;
constexpr int kBarWidth = 100;

// A size the controls would refuse: the statement is skipped.
void setSize(int& field, long long value)
{
    if (value >= 0)
        field = static_cast<int>(value);
}

// A whole number from a stored text, 0 when it is not one.
long toWhole(const QVariant& v)
{
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::abs(d) > 2147483647.0)
        return 0;
    return std::lround(d);
}

}  // namespace

MainLayout InitialMainLayout()
{
    MainLayout l;
    l.picTitle.top = 120;
    l.picTitle.height = kTitleHeight;
    l.cToolbarHost1.left = 120;
    l.cToolbarHost1.height = 740;
    l.picTitleProject.left = 120;
    l.picTitleProject.height = 255;
    l.cTreeView1.width = kTreeWidth;
    l.froTreeControl.left = 120;
    l.froTreeControl.height = 500;
    l.picResizer.top = 1200;
    l.picResizer.height = 20000;
    l.picResizer.width = kBarWidth;
    l.picTitleList.height = 255;
    l.picEmptyMsg.top = 2400;
    l.picEmptyMsg.width = 3615;
    l.picEmptyMsg.height = 735;
    l.picEmptyMsg.visible = false;
    l.cGridInfo.width = kRightColumnWidth;
    l.picPlayer.width = kRightColumnWidth;
    l.picPlayer.height = 1215;
    l.picList.height = 400;
    l.froControl.height = 1155;
    l.cSlider1.height = 360;
    return l;
}

bool LayOutMainWindow(MainLayout& l, const LayoutInputs& in)
{
    if (in.minimised)
        return false;

    // The tree pane exists in every profile; only the tree flag gives it a width.
    if (l.cTreeView1.visible && in.treeRestore == 0) {
        l.cTreeView1.width = 0;
        l.picResizer.width = 0;
        l.cTreeView1.visible = false;
        l.picResizer.visible = false;
    }
    if (!l.cTreeView1.visible && in.treeRestore == 1) {
        l.cTreeView1.width = kTreeWidth;
        l.picResizer.width = kBarWidth;
        l.cTreeView1.visible = true;
        l.picResizer.visible = true;
    }

    l.audioGraphsVisible = in.chkDisplayAudioGraph;

    l.picTitle.height = in.chkDisplayTitle ? kTitleHeight : 0;
    l.picTitle.visible = in.chkDisplayTitle;

    const int right = in.chkDisplayPlayer ? kRightColumnWidth : 0;
    l.cGridInfo.width = right;
    l.picPlayer.width = right;
    l.cGridInfo.visible = in.chkDisplayPlayer;
    l.picPlayer.visible = in.chkDisplayPlayer;

    l.cToolbarHost1.top = l.picTitle.top + l.picTitle.height + 40;
    l.picTitleProject.top = l.cToolbarHost1.top + l.cToolbarHost1.height;
    l.picTitleList.top = l.picTitleProject.top;
    l.cGrid1.top = l.cToolbarHost1.top + l.cToolbarHost1.height + l.picTitleList.height + 20;
    l.cTreeView1.top = l.cGrid1.top;
    setSize(l.cGrid1.height, static_cast<long long>(in.windowHeight) - l.froControl.height - l.tlbrListHeight -
                                 l.cToolbarHost1.height - l.picTitle.height - l.statusBarHeight -
                                 l.picTitleList.height - 600);
    setSize(l.cTreeView1.height, static_cast<long long>(l.cGrid1.height) + l.froControl.height - 60);
    l.picList.top = l.cGrid1.top + l.cGrid1.height;
    l.froTreeControl.top = l.cTreeView1.top + l.cTreeView1.height - 40;
    l.froTreeControl.width = l.cTreeView1.width;
    l.froControl.top = l.picList.top + l.picList.height;
    l.picTitle.left = 100;
    setSize(l.picTitle.width, static_cast<long long>(in.windowWidth) - 350);
    l.cToolbarHost1.width = l.picTitle.width;
    l.cTreeView1.left = l.picTitle.left + 20;
    l.cGrid1.left = l.cTreeView1.left + l.cTreeView1.width + l.picResizer.width - 40;
    l.picResizer.left = l.cTreeView1.left + l.cTreeView1.width + 20;
    l.picTitleProject.width = l.cTreeView1.width;
    l.picTitleList.left = l.cGrid1.left;
    l.picList.left = l.cGrid1.left;
    l.froControl.left = l.cGrid1.left;
    l.cGridInfo.top = l.cGrid1.top;
    setSize(l.cGridInfo.height, static_cast<long long>(l.cGrid1.height) - l.picPlayer.height);
    setSize(l.cGrid1.width, static_cast<long long>(l.cToolbarHost1.width) - l.cTreeView1.width - l.cGridInfo.width - 100);
    l.cGridInfo.left = l.cGrid1.left + l.cGrid1.width;
    l.picPlayer.top = l.cGridInfo.top + l.cGridInfo.height;
    l.picPlayer.left = l.cGridInfo.left;
    const long long spanned = static_cast<long long>(l.cGrid1.width) + l.cGridInfo.width;
    setSize(l.picList.width, spanned);
    setSize(l.froControl.width, spanned);
    setSize(l.picTitleList.width, spanned);
    l.cSlider1.left = 100;
    setSize(l.cSlider1.width, static_cast<long long>(l.picPlayer.width) - l.cSlider1.left - 100);
    l.picEmptyMsg.left = l.cGrid1.left + l.cGrid1.width / 2 - l.picEmptyMsg.width / 2;
    return true;
}

int TreeWidthAfterTreeDrop(int treeLeft, double x)
{
    if (x < 1000)
        return 1000;
    return static_cast<int>(std::lround(treeLeft + x - 120));
}

int TreeWidthAfterGridDrop(int treeLeft, double x, int treeWidth)
{
    return static_cast<int>(std::lround(treeLeft + x + treeWidth - 60));
}

QSize FitWindowSize(QSize twips, QSize availablePixels)
{
    if (availablePixels.isEmpty())
        return twips;
    // Whole pixels: the twips of the free area, rounded down to what it really holds.
    return QSize(std::min(twips.width(), availablePixels.width() * 15), std::min(twips.height(), availablePixels.height() * 15));
}

QSize RestoredWindowSize(const QVariant& storedWidth, const QVariant& storedHeight)
{
    const long w = storedWidth.isValid() ? toWhole(storedWidth) : 13140;
    const long h = storedHeight.isValid() ? toWhole(storedHeight) : 7440;
    return QSize(w < 3000 ? 13740 : static_cast<int>(w), h < 1000 ? 7440 : static_cast<int>(h));
}
