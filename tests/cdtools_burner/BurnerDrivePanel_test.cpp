// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/BurnerDrivePanel.h"
#include "tests/cdtools_burner/FakeAudioBurner.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QStringList entries(QComboBox* c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i) + QLatin1Char('=') + QString::number(c->itemData(i).toLongLong());
    return out;
}

class BurnerDrivePanelTest : public testing::Test {
protected:
    void build()
    {
        panel = std::make_unique<BurnerDrivePanel>(burner, &page, 0, 0);
        panel->FillBurnerDrives();
    }
    bool stateBold() const { return panel->lblState->font().bold(); }
    QColor stateColour() const { return panel->lblState->palette().color(QPalette::WindowText); }

    FakeAudioBurner burner;
    QWidget page;
    std::unique_ptr<BurnerDrivePanel> panel;
};

TEST(BurnerDrivePanelRules, SpeedEntriesAndCapacityMinutes)
{
    const std::pair<long, const char*> speeds[] = {{1764, "1764 KB/s (10x)"}, {4234, "4234 KB/s (24x)"}, {7056, "7056 KB/s (40x)"},
                                                   {175, "175 KB/s (0x)"},    {176, "176 KB/s (1x)"}};
    for (const auto& [kbs, text] : speeds)
        EXPECT_EQ(BurnerDrivePanel::SpeedEntryText(kbs), QLatin1String(text));
    // capacity / 153535 / 60, halves to the even neighbour.
    const std::pair<double, long> capacities[] = {{737280000, 80}, {681984000, 74}, {0, 0},
                                                  {153535.0 * 60 * 74.5, 74}, {153535.0 * 60 * 75.5, 76}};
    for (const auto& [capacity, minutes] : capacities)
        EXPECT_EQ(BurnerDrivePanel::CapacityMinutes(capacity), minutes) << capacity;
}

TEST_F(BurnerDrivePanelTest, FillsDrivesAndSpeedsAndShowsTheChosenDisc)
{
    burner.drives = {{QStringLiteral("E: Writer"), {1764, 4234, 7056}, 703, 737280000, QString()},
                     {QStringLiteral("F: Other"), {}, 0, 0, QStringLiteral("The disc is not empty.")}};
    build();
    EXPECT_EQ(panel->cboDrv->count(), 2);
    EXPECT_EQ(panel->cboDrv->currentIndex(), 0);
    EXPECT_EQ(entries(panel->cboSpeed), (QStringList{"1764 KB/s (10x)=1764", "4234 KB/s (24x)=4234", "7056 KB/s (40x)=7056", "Max.=65535"}));
    EXPECT_EQ(panel->cboSpeed->currentText(), QStringLiteral("Max."));
    EXPECT_EQ(panel->SelectedSpeed(), 65535);
    EXPECT_EQ(panel->lblDiskSize->text(), QStringLiteral("703"));
    EXPECT_EQ(panel->lblDiskCapacity->text(), QStringLiteral("80 Min"));
    EXPECT_EQ(panel->lblState->text(), QStringLiteral("OK - Ready to be burn."));
    EXPECT_EQ(stateColour(), QColor(0, 0x80, 0));
    EXPECT_FALSE(stateBold());
    EXPECT_EQ(panel->DriveLetter(), QStringLiteral("E"));
    EXPECT_EQ(panel->DriveRoot(), QStringLiteral("E:\\"));

    // Another drive: the speeds are rebuilt from scratch with "Max." chosen, the state is red.
    panel->cboSpeed->setCurrentIndex(1);
    panel->cboDrv->setCurrentIndex(1);
    panel->cboDrv_Click();
    EXPECT_EQ(entries(panel->cboSpeed), QStringList{"Max.=65535"});
    EXPECT_EQ(panel->cboSpeed->currentIndex(), 0);
    EXPECT_EQ(panel->lblState->text(), QStringLiteral("The disc is not empty."));
    EXPECT_EQ(stateColour(), QColor(0xff, 0, 0));
    EXPECT_TRUE(stateBold());
    EXPECT_EQ(panel->lblDiskCapacity->text(), QStringLiteral("0 Min"));
    EXPECT_EQ(burner.calls, (QStringList{QStringLiteral("SpeedCount E"), QStringLiteral("SpeedCount F")}));

    // Back to the first: green and not bold again; the trays leave the labels alone.
    panel->cboDrv->setCurrentIndex(0);
    panel->cboDrv_Click();
    EXPECT_FALSE(stateBold());
    panel->cmdOpenCD->click();
    panel->cmdClose->click();
    EXPECT_EQ(burner.calls.mid(3), (QStringList{QStringLiteral("OpenTray E"), QStringLiteral("CloseTray E")}));
    EXPECT_EQ(panel->lblState->text(), QStringLiteral("OK - Ready to be burn."));
}

TEST_F(BurnerDrivePanelTest, NoWriterLeavesEverythingEmptyWithTheLayoutTexts)
{
    build();
    EXPECT_EQ(panel->cboDrv->count(), 0);
    EXPECT_EQ(panel->cboDrv->currentIndex(), -1);
    EXPECT_EQ(panel->cboSpeed->count(), 0);
    EXPECT_EQ(panel->lblDiskSize->text(), QStringLiteral("Disk Size"));
    EXPECT_EQ(panel->lblDiskCapacity->text(), QStringLiteral("Disk Capacity"));
    EXPECT_EQ(panel->lblState->text(), QStringLiteral("State"));
    EXPECT_EQ(panel->DriveLetter(), QString());
    EXPECT_EQ(panel->SelectedSpeed(), -1);
    EXPECT_TRUE(burner.calls.isEmpty());
}

TEST_F(BurnerDrivePanelTest, TakesItsControlsAlongWhenReplaced)
{
    build();
    const int before = int(page.findChildren<QWidget*>().size());
    EXPECT_EQ(before, 12);
    panel.reset();
    EXPECT_TRUE(page.findChildren<QWidget*>().isEmpty());
}

}  // namespace
