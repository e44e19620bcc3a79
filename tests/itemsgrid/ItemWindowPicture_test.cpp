// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The item properties window as its user sees it: every text fits its control on each page.
// With QM_SCREENSHOT_DIR set (run under a real X display with a window manager) it also saves
// a picture of the screen for each page, for a person to look at.
#include "components/cDateTimePick.h"
#include "itemsgrid/FrmItem.h"
#include "settings/controls/cTabControl.h"
#include "tests/itemsgrid/ItemWindowFixture.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QTest>

namespace {

class ItemWindowPicture : public ItemWindowTest {};

// Texts wider than their control are cut off on screen.
QStringList clippedTexts(QWidget* page)
{
    QStringList out;
    for (QLabel* l : page->findChildren<QLabel*>()) {
        if (l->wordWrap() || l->text().isEmpty())
            continue;
        if (l->fontMetrics().horizontalAdvance(l->text()) > l->contentsRect().width())
            out << l->text();
    }
    for (QAbstractButton* b : page->findChildren<QAbstractButton*>()) {
        // Push buttons ask for a wide minimum whatever their text; what counts is the text.
        const int room = b->width() - (qobject_cast<QPushButton*>(b) ? 8 : b->iconSize().width() + 12);
        if (!b->text().isEmpty() && b->fontMetrics().horizontalAdvance(b->text()) > room)
            out << b->text();
    }
    return out;
}

TEST_F(ItemWindowPicture, EveryPageShowsItsTextsWhole)
{
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    const QString path = makeWav(QStringLiteral("04 - Вечерняя песня.wav"), {44100, 2, 16}, 3);
    makeListOf(QStringLiteral("Evening"), {path});
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 1);
    setCell(1, COL_RANGE_ALL, QStringLiteral("0"));
    setCell(1, COL_RANGE_START_TIME, QStringLiteral("1"));
    setCell(1, COL_RANGE_LENGTH_TIME, QStringLiteral("30"));
    setCell(1, COL_TAG_ARTIST, QStringLiteral("Ансамбль «Север»"));
    setCell(1, COL_TAG_TITLE, QStringLiteral("[TRACK_NUM] Вечер"));
    setCell(1, COL_TAG_COMMENT, QStringLiteral("Recorded live\nsecond line"));
    f->cGrid1->CurrentRow(1);
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    QTest::qWait(200);
    // The information grid's values fit its "Value" column, the creation time included (a long
    // item name is elided, as in the items grid).
    cGrid* info = f->cGridInfo;
    ASSERT_EQ(info->Rows(), 9);
    const int valueWidth = info->columnWidth(1);
    for (long r = 2; r <= info->Rows(); ++r) {
        info->FitColumnToText(2, info->Cell(r, 2).Text());  // widens only a column too narrow
        EXPECT_EQ(info->columnWidth(1), valueWidth) << info->Cell(r, 2).Text().toStdString();
    }
    const QString dir = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(dir).filePath(QStringLiteral("main.png")));

    FrmItem* w = g_frmItem.get();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    for (const char* key : {"Item Information", "Range", "ID3 Tags"}) {
        w->cTabControl1->SelectTab(QLatin1String(key));
        w->cTabControl1_TabClick();
        QTest::qWait(200);
        QWidget* page = QLatin1String(key) == QLatin1String("Range") ? w->TabRange
                        : QLatin1String(key) == QLatin1String("ID3 Tags") ? w->TabTags
                                                                            : w->TabInfo;
        EXPECT_TRUE(page->isVisible()) << key;
        // What the user looks at is the page once its layout has settled, which a loaded
        // machine may take longer than the wait above to reach.
        (void)QTest::qWaitFor([&] { return clippedTexts(page).isEmpty(); }, 3000);
        EXPECT_EQ(clippedTexts(page), QStringList()) << key;
        // The page lies inside the window.
        EXPECT_TRUE(w->rect().contains(page->geometry())) << key;
        if (!dir.isEmpty())
            QGuiApplication::primaryScreen()->grabWindow(0).save(
                QDir(dir).filePath(QStringLiteral("item-%1.png").arg(QString::fromLatin1(key).section(u' ', 0, 0).toLower())));
    }
    EXPECT_EQ(clippedTexts(w), QStringList());
    EXPECT_FALSE(w->lblRangeNote->text().isEmpty());
}

// A creation time in long desktop formats widens the information grid's values beyond its pane.
// Clicking a value must not scroll the names out of view, nor cut a value's first letters: the
// grid stays at its left edge, both columns lie inside it, and a value that cannot fit is elided.
TEST_F(ItemWindowPicture, InformationGridKeepsNamesAndValuesInView)
{
    FakeClock longFormats{QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9)), QStringLiteral("MM/dd/yyyy"),
                          QStringLiteral("hh:mm:ss AP")};
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    makeListOf(QStringLiteral("Evening"), {makeWav(QStringLiteral("01 - Night.wav"), {44100, 2, 16}, 1)});
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 1);
    f->cGrid1->CurrentRow(1);
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    QTest::qWait(100);
    cGrid* info = f->cGridInfo;
    ASSERT_EQ(info->Rows(), 9);
    ASSERT_EQ(info->Cell(4, 1).Text(), QStringLiteral("Created"));
    ASSERT_TRUE(info->Cell(4, 2).Text().endsWith(QStringLiteral("M"))) << info->Cell(4, 2).Text().toStdString();

    const QRect view = info->viewport()->rect();
    for (const int col : {1, 0}) {  // the value first, then the name, as a user would click
        const QModelIndex created = info->model().index(3, col);
        QTest::mouseClick(info->viewport(), Qt::LeftButton, {}, info->visualRect(created).center());
        QTest::qWait(50);
        EXPECT_EQ(info->horizontalScrollBar()->value(), 0) << "after a click on column " << col;
        for (int c = 0; c < 2; ++c) {
            const QRect cell = info->visualRect(info->model().index(3, c));
            EXPECT_GE(cell.left(), view.left()) << c;
            EXPECT_LE(cell.right(), view.right()) << c;
        }
    }
    // Every name shows whole in its column.
    const QFontMetrics fm(info->model().DefaultFont());
    for (long r = 1; r <= info->Rows(); ++r)
        EXPECT_LE(fm.horizontalAdvance(info->Cell(r, 1).Text()), info->columnWidth(0))
            << info->Cell(r, 1).Text().toStdString();
    const QString dir = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(dir).filePath(QStringLiteral("main-long-date.png")));
}

}  // namespace
