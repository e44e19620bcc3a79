// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The joiner and the audio CD burner as their user sees them: the rows copied from the main
// window show their type icons, and the status strip reads as a status line. With
// QM_SCREENSHOT_DIR set (run under a real X display with a window manager) it also saves
// pictures of the windows there.
#include "batchtools/FrmConverter.h"
#include "cdtools/FrmCDBurner.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/cTabControl.h"
#include "commands/ToolWindows.h"
#include "mainwindow/cStatusBar.h"
#include "tests/batchtools/ClippedCaptions.h"
#include "tests/batchtools/JoinerFixture.h"
#include "tests/support/PanelColour.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

namespace {

class BatchWindowPicture : public JoinerTest {
protected:
    void TearDown() override
    {
        g_sAppBackColor = m_savedBack;
        JoinerTest::TearDown();
    }
    // A light grey skin, so that a band of another colour would show.
    void greySkin()
    {
        ProgramOptions.picColor = 8404992;
        ProgramOptions.picTextColor = 16777215;
        g_sAppBackColor = QStringLiteral("15132390");
    }
    static void save(QWidget* w, const QString& name)
    {
        const QString dir = qEnvironmentVariable("QM_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        EXPECT_TRUE(w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png"))));
        if (QScreen* screen = QGuiApplication::primaryScreen())
            screen->grabWindow(0).save(QDir(dir).filePath(name + QStringLiteral("-screen.png")));
    }
    // Every row's "Type" cell draws an icon.
    static void expectTypeIcons(cGrid* g)
    {
        const int type = static_cast<int>(g->ColumnIndex(ItemRow::COL_TYPE)) - 1;
        ASSERT_GT(g->Rows(), 0);
        for (int r = 0; r < g->Rows(); ++r) {
            const QVariant icon = g->model().data(g->model().index(r, type), Qt::DecorationRole);
            EXPECT_FALSE(icon.value<QIcon>().isNull()) << "row " << r + 1;
        }
    }
    // The strip lies along the window's bottom edge, full width, in the window's background,
    // with its texts whole and vertically centred in it.
    static void expectStatusLine(QWidget* w, cStatusBar* bar)
    {
        EXPECT_EQ(bar->geometry().bottom(), w->height() - 1);
        EXPECT_EQ(bar->width(), w->width());
        const QImage strip = w->grab(bar->geometry()).toImage();
        const QColor back = w->palette().color(QPalette::Window);
        EXPECT_EQ(strip.pixelColor(strip.width() - 4, strip.height() / 2).rgb(), back.rgb());
        int top = strip.height(), bottom = -1;
        for (long i = 1; i <= bar->PanelCount(); ++i) {
            QToolButton* b = bar->Panel(i);
            EXPECT_TRUE(bar->rect().contains(b->geometry())) << i;
            EXPECT_GE(b->height(), b->fontMetrics().height()) << i;
            for (int y = 0; y < strip.height(); ++y)
                for (int x = b->x(); x <= b->geometry().right(); ++x)
                    if (qGray(strip.pixel(x, y)) < qGray(back.rgb()) / 2) {
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    }
        }
        ASSERT_GE(bottom, 0) << "no status text drawn";
        const int above = top;
        const int below = strip.height() - 1 - bottom;
        EXPECT_LE(std::abs(above - below), 2) << "text rows " << top << ".." << bottom << " of " << strip.height();
    }

    // The white of a fresh installation: a band of the buttons' grey shows on it.
    static void whiteSkin() { g_sAppBackColor = QStringLiteral("16777215"); }
    static void showTab(BatchToolWindow* w, int index)
    {
        w->cTabControl1->tabBar()->setCurrentIndex(index);
        w->cTabControl1_TabClick(index + 1);
        QTest::qWait(50);
    }
    void checkBoxesOfBothPages(BatchToolWindow* w, std::initializer_list<QCheckBox*> settingsBoxes, const QString& name)
    {
        panelcolour::expectOnPanelColour(w->TabSettings, settingsBoxes);
        save(w, name + QStringLiteral("-settings"));
        showTab(w, 1);
        ASSERT_TRUE(w->TabEvents->isVisible());
        panelcolour::expectOnPanelColour(w->TabEvents, {w->chkOpenDestFolder, w->chkNoticeApp, w->chkTurnOffComputer, w->chkPlaySound});
        save(w, name + QStringLiteral("-events"));
        showTab(w, 2);
        save(w, name + QStringLiteral("-log"));
    }

private:
    QString m_savedBack = g_sAppBackColor;
};

TEST_F(BatchWindowPicture, Joiner)
{
    greySkin();
    FrmJoiner* j = openJoiner(3);
    ASSERT_NE(j, nullptr);
    j->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(j));
    QTest::qWait(200);
    expectTypeIcons(j->cGrid1);
    expectStatusLine(j, j->cStatusBar1);
    EXPECT_EQ(clipped(j->TabSettings), QStringList());
    save(j, QStringLiteral("joiner"));
}

TEST_F(BatchWindowPicture, JoinerAndConverterCheckBoxesSitOnThePanelColour)
{
    whiteSkin();
    FrmJoiner* j = openJoiner(3);
    ASSERT_NE(j, nullptr);
    j->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(j));
    QTest::qWait(100);
    checkBoxesOfBothPages(j, {j->chkCreateSubFolder}, QStringLiteral("joiner-white"));
    EXPECT_EQ(clipped(j->TabEvents), QStringList());
    j->hide();

    FrmConverter* c = g_frmConverter.get();
    c->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(c));
    QTest::qWait(100);
    checkBoxesOfBothPages(c, {c->chkCreateSubFolder, c->chkOverWrite}, QStringLiteral("converter-white"));
    EXPECT_EQ(clipped(c->TabSettings), QStringList());
    EXPECT_EQ(clipped(c->TabEvents), QStringList());
}

// After a failed join the window says so in words the user reads whole, the caption too.
TEST_F(BatchWindowPicture, AFailedJoin)
{
    greySkin();
    FrmJoiner* j = openJoiner(3);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);
    j->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(j));
    j->cmdConvert_Click();
    Q_EMIT join->Progress(1, 100);
    Q_EMIT join->Progress(2, 40);
    Q_EMIT join->Error(2, QStringLiteral("The file 'src2.wav' is truncated: it ends before its audio data does."));
    QTest::qWait(100);
    const QString failed = QStringLiteral("The join failed. The log has the reasons.");
    ASSERT_EQ(j->lblCurrentTrack->text(), failed);
    EXPECT_EQ(j->windowTitle(), failed);
    EXPECT_GE(j->lblCurrentTrack->width(), j->lblCurrentTrack->sizeHint().width());
    EXPECT_EQ(clipped(j), QStringList());
    // The rows handed over are the marked ones; none shows an unticked box.
    const QImage unticked = frmMain->imgGrid.Icon(ItemRow::kUnmarked).pixmap(16, 16).toImage();
    for (int r = 0; r < j->cGrid1->Rows(); ++r) {
        const QIcon mark = j->cGrid1->model().data(j->cGrid1->model().index(r, 0), Qt::DecorationRole).value<QIcon>();
        EXPECT_TRUE(mark.isNull() || mark.pixmap(16, 16).toImage() != unticked) << "row " << r + 1;
    }
    save(j, QStringLiteral("joiner-failed"));
}

// The pixels of a link's text as drawn: blue ones, and all that differ from the panel behind it.
struct LinkInk {
    int blue = 0;
    int ink = 0;
};
LinkInk inkOf(LinkLabel* link)
{
    const QImage img = link->grab().toImage();
    const QColor back = link->parentWidget()->palette().color(QPalette::Window);
    LinkInk out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (std::abs(qGray(c.rgb()) - qGray(back.rgb())) > 40)
                ++out.ink;
            if (c.blue() > 150 && c.blue() - std::max(c.red(), c.green()) > 100)
                ++out.blue;
        }
    return out;
}

// "Set as default" reads as a link while it offers a click and as plain disabled text once
// there is nothing to set (before, a disabled link was drawn in the same blue).
TEST_F(BatchWindowPicture, DisabledLinksLookDisabled)
{
    whiteSkin();
    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    FrmConverter* c = g_frmConverter.get();
    for (BatchToolWindow* w : {static_cast<BatchToolWindow*>(j), static_cast<BatchToolWindow*>(c)}) {
        SCOPED_TRACE(w->metaObject()->className());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        // A format other than the stored default: the format link offers itself.
        const int other = w->cboTargetFormat->itemText(0) == ProgramOptions.cboTargetFormat ? 1 : 0;
        w->cboTargetFormat->setCurrentIndex(other);
        ASSERT_NE(w->cboTargetFormat->currentText(), ProgramOptions.cboTargetFormat);
        ASSERT_TRUE(w->lblSetAsDefaultFormat->isEnabled());
        const LinkInk enabled = inkOf(w->lblSetAsDefaultFormat);
        EXPECT_GT(enabled.blue, 0);
        EXPECT_EQ(w->lblSetAsDefaultFormat->cursor().shape(), Qt::PointingHandCursor);

        // Used, it has nothing more to set.
        w->lblSetAsDefaultFormat_Click();
        w->lblSetAsDefaultDestination_Click();
        for (LinkLabel* link : {w->lblSetAsDefaultFormat, w->lblSetAsDefaultDestination}) {
            ASSERT_FALSE(link->isEnabled());
            const LinkInk disabled = inkOf(link);
            EXPECT_GT(disabled.ink, 0) << "the text is still drawn";
            EXPECT_EQ(disabled.blue, 0) << link->text().toStdString();
            EXPECT_NE(link->cursor().shape(), Qt::PointingHandCursor);
        }
        save(w, QStringLiteral("links-") + QLatin1String(w->metaObject()->className()));
        w->hide();
    }
}

TEST_F(BatchWindowPicture, AudioCDBurner)
{
    greySkin();
    QStringList files;
    for (int i = 1; i <= 3; ++i)
        files << makeWav(QStringLiteral("Track %1.wav").arg(i), fixtures::Pcm{}, 1);
    makeListOf(QStringLiteral("Songs"), files);
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    RegisterCDBurnerWindow();
    ToolWindow* h = ToolWindows::Load(QStringLiteral("Audio CD Maker"));
    ASSERT_NE(h, nullptr);
    f->CopyGridRows(*f->cGrid1, *h->Grid(), true);
    h->StatusPanelText(QStringLiteral("Total Size"), QStringLiteral("0 Min / 80 Min."));
    FrmCDBurner* w = g_frmCDBurner.get();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QTest::qWait(200);
    expectTypeIcons(w->cGrid1);
    expectStatusLine(w, w->cStatusBar1);
    save(w, QStringLiteral("burner"));
}

}  // namespace
