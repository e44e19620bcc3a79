// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cDateTimePick.h"
#include "foundation/mdlFunctions.h"
#include "itemsgrid/FrmItem.h"
#include "mainwindow/cStatusBar.h"
#include "settings/FrmProgParameters.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/cTabControl.h"
#include "settings/controls/cTreeView.h"
#include "tests/itemsgrid/ItemWindowFixture.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>

namespace {

class ItemWindow : public ItemWindowTest {
protected:
    void SetUp() override
    {
        ItemWindowTest::SetUp();
        mono = makeWav(QStringLiteral("mono.wav"), {22050, 1, 8}, 2);
        stereo = makeWav(QStringLiteral("stereo.wav"), {8000, 2, 16}, 245);
        third = makeWav(QStringLiteral("third.wav"), {8000, 1, 16}, 3);
        fourth = makeWav(QStringLiteral("fourth.wav"), {8000, 1, 16}, 4);
        list = makeListOf(QStringLiteral("Alpha"), {mono, stereo, third, fourth});
        main = openMain();
        ASSERT_EQ(main->cGrid1->Rows(), 4);
    }
    FrmItem* openOn(long row)
    {
        main->cGrid1->CurrentRow(row);
        return g_frmItem.get();
    }
    QByteArray listBytes() const { return fixtures::readFile(list); }
    static void setType(long row, long icon)
    {
        cGrid* g = frmMain->cGrid1;
        g->SetCell(row, g->ColumnIndex(ItemRow::COL_TYPE), std::nullopt, 0x40020, icon);
    }

    QString mono, stereo, third, fourth, list;
    FrmMain* main = nullptr;
};

TEST_F(ItemWindow, LoadsTheCurrentRowWithItsFileFacts)
{
    setCell(2, ItemRow::COL_ITEM_NAME, QStringLiteral("Shown Name"));
    setCell(2, COL_TAG_ARTIST, QStringLiteral("[PROG_NAME] artist"));
    FrmItem* w = openOn(2);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Item Properties"));
    EXPECT_EQ(w->lItem, 2);
    EXPECT_EQ(w->l_lGridRowNum, 2);
    EXPECT_EQ(w->lblTitle->text(), QStringLiteral("Shown Name"));
    EXPECT_EQ(w->txtItemName->text(), QStringLiteral("Shown Name"));
    EXPECT_EQ(w->lblFileName->text(), QStringLiteral("stereo.wav"));
    EXPECT_EQ(w->lblPath->text(), sourceFolder + QLatin1Char('/'));
    EXPECT_EQ(w->lblTotalTime->text(), QStringLiteral("00:04:05"));
    EXPECT_EQ(w->lblTotalSize->text(), cell(2, ItemRow::COL_SIZE));
    EXPECT_FALSE(w->lblTotalSize->text().isEmpty());
    // The creation time in the desktop's formats, as the grid gives it.
    EXPECT_TRUE(QDateTime::fromString(w->lblCreated->text(), QStringLiteral("dd.MM.yyyy HH:mm:ss")).isValid())
        << w->lblCreated->text().toStdString();
    EXPECT_EQ(w->lblFormat->text(), QStringLiteral("WAV"));
    EXPECT_EQ(w->lblSamples->text(), QStringLiteral("8000"));
    EXPECT_EQ(w->lblBitrate->text(), QStringLiteral("16"));
    EXPECT_EQ(w->lblChannels->text(), QStringLiteral("STEREO"));
    EXPECT_TRUE(w->lblFileState->text().isEmpty());
    EXPECT_EQ(w->txtTagArtist->text(), QStringLiteral("[PROG_NAME] artist"));  // never expanded here

    // Pages: three keyed tabs, the information page shown.
    ASSERT_EQ(w->cTabControl1->TabCount(), 3);
    EXPECT_EQ(w->cTabControl1->TabKey(1), QStringLiteral("Item Information"));
    EXPECT_EQ(w->cTabControl1->TabKey(2), QStringLiteral("Range"));
    EXPECT_EQ(w->cTabControl1->TabKey(3), QStringLiteral("ID3 Tags"));
    EXPECT_EQ(w->cTabControl1->tabBar()->tabText(2), QStringLiteral("Destination ID3 Tags  "));
    EXPECT_FALSE(w->TabInfo->isHidden());
    EXPECT_TRUE(w->TabRange->isHidden());
    EXPECT_TRUE(w->TabTags->isHidden());
    w->cTabControl1->SelectTab(QStringLiteral("ID3 Tags"));
    w->cTabControl1_TabClick();
    EXPECT_TRUE(w->TabInfo->isHidden());
    EXPECT_FALSE(w->TabTags->isHidden());

    // A whole-file row: the range controls are off and the pickers span the item.
    EXPECT_TRUE(w->ptnAllFile->isChecked());
    for (QWidget* c : std::initializer_list<QWidget*>{w->dtStartAfter, w->dtUntil, w->cmdGoTSoStart, w->cmdGoToEnd,
                                                      w->Label20, w->Label21})
        EXPECT_FALSE(c->isEnabled());
    EXPECT_EQ(w->dtStartAfter->Text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(w->dtUntil->Text(), QStringLiteral("00:04:05"));
    w->ptnConvertByTime->setChecked(true);
    EXPECT_TRUE(w->dtUntil->isEnabled() && w->Label21->isEnabled() && w->cmdGoToEnd->isEnabled());
    EXPECT_TRUE(w->cmdNext->isEnabled());
    EXPECT_TRUE(w->cmdBack->isEnabled());

    // The other row: one channel, 8 bits.
    g_frmItem.unload();
    w = openOn(1);
    EXPECT_EQ(w->lblSamples->text(), QStringLiteral("22050"));
    EXPECT_EQ(w->lblBitrate->text(), QStringLiteral("8"));
    EXPECT_EQ(w->lblChannels->text(), QStringLiteral("MONO"));
    EXPECT_FALSE(w->cmdBack->isEnabled());
}

TEST_F(ItemWindow, AFileThatCannotBeReadShowsNoFacts)
{
    ASSERT_TRUE(fixtures::writeFile(fourth, "this is not audio"));
    FrmItem* w = openOn(4);
    EXPECT_EQ(w->lblFileName->text(), QStringLiteral("fourth.wav"));
    EXPECT_EQ(w->lblTotalTime->text(), QStringLiteral("00:00:04"));  // the row as stored
    EXPECT_EQ(w->lblFormat->text(), QStringLiteral("WAV"));
    EXPECT_EQ(w->lblSamples->text(), QString());
    EXPECT_EQ(w->lblBitrate->text(), QString());
    EXPECT_EQ(w->lblChannels->text(), QString());
    EXPECT_EQ(w->lblFileState->text(), QStringLiteral("The file cannot be read."));
    // Stepping to a readable row clears the line again.
    w->cmdBack_Click();
    EXPECT_EQ(w->lblChannels->text(), QStringLiteral("MONO"));
    EXPECT_TRUE(w->lblFileState->text().isEmpty());
}

TEST_F(ItemWindow, SteppingPassesOverDataTracksAndDropsUnappliedEdits)
{
    setType(3, ItemRow::kTypeData);
    FrmItem* w = openOn(1);
    EXPECT_FALSE(w->cmdBack->isEnabled());
    EXPECT_TRUE(w->cmdNext->isEnabled());
    const QString title = w->lblTitle->text();

    w->txtItemName->setText(QStringLiteral("edited, not applied"));
    w->txtTagAlbum->setText(QStringLiteral("edited album"));
    w->cmdNext_Click();
    EXPECT_EQ(w->lItem, 2);
    EXPECT_EQ(w->l_lGridRowNum, 2);
    EXPECT_EQ(main->cGrid1->CurrentRow(), 2);
    EXPECT_EQ(w->txtItemName->text(), QStringLiteral("stereo.wav"));
    EXPECT_EQ(w->lblTitle->text(), QStringLiteral("stereo.wav"));

    w->cmdNext_Click();  // row 3 is a data track
    EXPECT_EQ(w->lItem, 4);
    EXPECT_EQ(main->cGrid1->CurrentRow(), 4);
    EXPECT_EQ(w->lblFileName->text(), QStringLiteral("fourth.wav"));
    EXPECT_FALSE(w->cmdNext->isEnabled());
    EXPECT_TRUE(w->cmdBack->isEnabled());

    w->cmdBack_Click();
    w->cmdBack_Click();
    EXPECT_EQ(w->lItem, 1);
    EXPECT_EQ(w->txtItemName->text(), QStringLiteral("mono.wav"));
    EXPECT_EQ(w->txtTagAlbum->text(), QString());
    EXPECT_NE(title, QString());
    EXPECT_EQ(cell(1, ItemRow::COL_ITEM_NAME), QStringLiteral("mono.wav"));

    // With a data track last, the row before it has nowhere to go.
    setType(4, ItemRow::kTypeData);
    w->cmdNext_Click();
    EXPECT_EQ(w->lItem, 2);
    EXPECT_FALSE(w->cmdNext->isEnabled());
}

TEST_F(ItemWindow, ApplyWritesTheRowAndSavesTheList)
{
    FrmItem* w = openOn(2);
    const QString title = w->lblTitle->text();
    w->txtItemName->setText(QStringLiteral("   Two  Words   "));
    w->ptnConvertByTime->setChecked(true);
    w->dtStartAfter->Value(90);
    w->dtUntil->Value(180);
    w->txtTagAlbum->setText(QStringLiteral(" Album "));
    w->txtTagSong->setText(QStringLiteral("Song [TRACK_NUM]"));
    w->txtTagComment->setPlainText(QStringLiteral("one\ntwo"));
    w->cmdApply_Click();

    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_TRUE(g_frmItem.isLoaded());
    EXPECT_EQ(w->txtItemName->text(), QStringLiteral("Two  Words"));
    EXPECT_EQ(w->lblTitle->text(), title);  // the title keeps the name it was opened with
    EXPECT_EQ(cell(2, ItemRow::COL_ITEM_NAME), QStringLiteral("Two  Words"));
    EXPECT_EQ(cell(2, COL_RANGE_ALL), QStringLiteral("0"));
    EXPECT_EQ(cell(2, COL_RANGE_START_TIME), QStringLiteral("90"));
    EXPECT_EQ(cell(2, COL_RANGE_LENGTH_TIME), QStringLiteral("90"));
    EXPECT_EQ(cell(2, ItemRow::COL_RANGE), QStringLiteral("00:01:30 - 00:03:00"));
    EXPECT_EQ(cell(2, COL_TAG_ALBUM), QStringLiteral(" Album "));
    EXPECT_EQ(cell(2, COL_TAG_TITLE), QStringLiteral("Song [TRACK_NUM]"));

    const QList<ItemsListRecord> saved = ParseItemsListText(ReadItemsListFile(list).text);
    ASSERT_EQ(saved.size(), 4);
    EXPECT_EQ(saved[1][fldItemName], QStringLiteral("Two  Words"));
    EXPECT_EQ(saved[1][fldRangeStart], QStringLiteral("90"));
    EXPECT_EQ(saved[1][fldTagComment], QStringLiteral("one\ntwo"));

    // A range from the start to the item's full length stays a range; "All" only by the option.
    w->cmdGoTSoStart_Click();
    w->cmdGoToEnd_Click();
    EXPECT_EQ(w->dtUntil->Value(), 245);
    w->cmdApply_Click();
    EXPECT_EQ(cell(2, COL_RANGE_ALL), QStringLiteral("0"));
    EXPECT_EQ(cell(2, ItemRow::COL_RANGE), QStringLiteral("00:00:00 - 00:04:05"));
    EXPECT_EQ(cell(2, COL_RANGE_LENGTH_TIME), QStringLiteral("245"));
    w->ptnAllFile->setChecked(true);
    QTimer::singleShot(0, w, [w] { w->cmdOk->click(); });
    w->exec();
    EXPECT_FALSE(g_frmItem.isLoaded());
    EXPECT_EQ(cell(2, COL_RANGE_ALL), QStringLiteral("1"));
    EXPECT_EQ(cell(2, COL_RANGE_START_TIME), QString());
    EXPECT_EQ(cell(2, COL_RANGE_LENGTH_TIME), QString());
    EXPECT_EQ(cell(2, ItemRow::COL_RANGE), QStringLiteral("All"));
    EXPECT_EQ(ParseItemsListText(ReadItemsListFile(list).text)[1][fldRangeAll], QStringLiteral("1"));
}

TEST_F(ItemWindow, AnAppliedRangeChangesTheTotalsOnTheStatusPanel)
{
    const auto totals = [this] { return main->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")); };
    // 2 + 245 + 3 + 4 seconds.
    ASSERT_TRUE(totals().startsWith(QStringLiteral("4 Items, "))) << totals().toStdString();
    ASSERT_TRUE(totals().endsWith(QStringLiteral(", 00:04:14"))) << totals().toStdString();

    // Through the window as the user opens it: row 2 cut to 90 seconds, then Apply.
    QTimer::singleShot(0, [] {
        FrmItem* w = g_frmItem.loaded();
        ASSERT_TRUE(w);
        w->ptnConvertByTime->click();
        w->dtStartAfter->Value(90);
        w->dtUntil->Value(180);
        w->cmdApply->click();
        w->cmdExit->click();
    });
    main->cGrid1->CurrentRow(2);
    main->cGrid1_DblClick(2, 1);
    EXPECT_FALSE(g_frmItem.isLoaded());
    EXPECT_TRUE(totals().endsWith(QStringLiteral(", 00:01:39"))) << totals().toStdString();

    // Back to the whole file with OK.
    QTimer::singleShot(0, [] {
        FrmItem* w = g_frmItem.loaded();
        ASSERT_TRUE(w);
        w->ptnAllFile->click();
        w->cmdOk->click();
    });
    main->cGrid1_DblClick(2, 1);
    EXPECT_TRUE(totals().endsWith(QStringLiteral(", 00:04:14"))) << totals().toStdString();
}

TEST_F(ItemWindow, RefusedApplyChangesNothingAndKeepsTheWindowOpen)
{
    FrmItem* w = openOn(2);
    const QByteArray before = listBytes();
    const struct {
        const char* name;
        long start, until;
        QString message;
        const char* boxAfter;
    } cases[] = {
        {"   ", 0, 10, QStringLiteral("Empty Item Name.") + QString(42, u' '), ""},
        {" a:b ", 0, 10, QStringLiteral("Illegal Item Name.") + QString(42, u' '), "a:b"},
        {"fine", 100, 100, QStringLiteral("'Start after' field is more or an equel to the 'Until' field.") + QString(9, u' '),
         "fine"},
        {"fine", 120, 100, QStringLiteral("'Start after' field is more or an equel to the 'Until' field.") + QString(9, u' '),
         "fine"},
    };
    for (const auto& c : cases) {
        box.shown.clear();
        w->txtItemName->setText(QString::fromUtf8(c.name));
        w->ptnConvertByTime->setChecked(true);
        w->dtStartAfter->Value(c.start);
        w->dtUntil->Value(c.until);
        w->txtTagGenre->setText(QStringLiteral("changed"));
        w->cmdOk_Click();
        EXPECT_TRUE(g_frmItem.isLoaded()) << c.name;
        ASSERT_EQ(box.shown.size(), 1) << c.name;
        EXPECT_EQ(box.shown[0].prompt, c.message) << c.name;
        EXPECT_EQ(w->txtItemName->text(), QString::fromUtf8(c.boxAfter)) << c.name;
        EXPECT_EQ(w->txtTagGenre->text(), QStringLiteral("changed"));
        EXPECT_EQ(cell(2, ItemRow::COL_ITEM_NAME), QStringLiteral("stereo.wav")) << c.name;
        EXPECT_EQ(cell(2, COL_TAG_GEN), QString()) << c.name;
        EXPECT_EQ(cell(2, COL_RANGE_ALL), QStringLiteral("1")) << c.name;
        EXPECT_EQ(listBytes(), before) << c.name;
    }
}

TEST_F(ItemWindow, AStoredRangePastTheEndOpensCutAndOnlyApplyStoresIt)
{
    setCell(2, COL_RANGE_ALL, QStringLiteral("0"));
    setCell(2, COL_RANGE_START_TIME, QStringLiteral("200"));
    setCell(2, COL_RANGE_LENGTH_TIME, QStringLiteral("100"));
    FrmItem* w = openOn(2);
    EXPECT_TRUE(w->ptnConvertByTime->isChecked());
    EXPECT_TRUE(w->dtStartAfter->isEnabled());
    EXPECT_EQ(w->dtStartAfter->Text(), QStringLiteral("00:03:20"));
    EXPECT_EQ(w->dtUntil->Text(), QStringLiteral("00:04:05"));
    EXPECT_TRUE(w->lblRangeNote->text().contains(QStringLiteral("00:04:05")));
    EXPECT_EQ(cell(2, COL_RANGE_LENGTH_TIME), QStringLiteral("100"));  // not stored by opening
    w->cmdApply_Click();
    EXPECT_EQ(cell(2, COL_RANGE_LENGTH_TIME), QStringLiteral("45"));
    EXPECT_EQ(cell(2, ItemRow::COL_RANGE), QStringLiteral("00:03:20 - 00:04:05"));

    // A start at or past the end shows start = until = the end, and Apply refuses it.
    setCell(1, COL_RANGE_ALL, QStringLiteral("0"));
    setCell(1, COL_RANGE_START_TIME, QStringLiteral("7"));
    setCell(1, COL_RANGE_LENGTH_TIME, QStringLiteral("5"));
    w->cmdBack_Click();
    EXPECT_EQ(w->dtStartAfter->Text(), QStringLiteral("00:00:02"));
    EXPECT_EQ(w->dtUntil->Text(), QStringLiteral("00:00:02"));
    EXPECT_FALSE(w->lblRangeNote->text().isEmpty());
    w->cmdApply_Click();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown[0].prompt.startsWith(QStringLiteral("'Start after' field")));
    EXPECT_EQ(cell(1, COL_RANGE_START_TIME), QStringLiteral("7"));

    // A row within its length shows no note.
    w->cmdNext_Click();
    w->cmdNext_Click();
    EXPECT_TRUE(w->lblRangeNote->text().isEmpty());
}

TEST_F(ItemWindow, PickersAreHeldInsideTheItem)
{
    FrmItem* w = openOn(2);
    w->ptnConvertByTime->setChecked(true);
    w->dtUntil->Value(300);
    EXPECT_EQ(w->dtUntil->Value(), 245);
    w->dtStartAfter->Value(246);
    EXPECT_EQ(w->dtStartAfter->Value(), 245);
    w->dtStartAfter->Value(245);
    EXPECT_EQ(w->dtStartAfter->Value(), 245);  // equal stays
    w->dtUntil->Value(10);
    EXPECT_EQ(w->dtUntil->Value(), 10);  // start and until are compared only by Apply
}

TEST_F(ItemWindow, ItemsOfADayOrMoreAreRangedPastTwentyFourHours)
{
    setCell(2, ItemRow::COL_TIME, QStringLiteral("25:00:00"));
    FrmItem* w = openOn(2);
    EXPECT_EQ(w->dtUntil->Text(), QStringLiteral("25:00:00"));
    w->ptnConvertByTime->setChecked(true);
    w->dtStartAfter->Value(24 * 3600 + 30);
    w->dtUntil->Value(26 * 3600);
    EXPECT_EQ(w->dtUntil->Text(), QStringLiteral("25:00:00"));  // clamped to the item, not to a day
    w->cmdApply_Click();
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(cell(2, COL_RANGE_START_TIME), QStringLiteral("86430"));
    EXPECT_EQ(cell(2, COL_RANGE_LENGTH_TIME), QStringLiteral("3570"));
    EXPECT_EQ(cell(2, ItemRow::COL_RANGE), QStringLiteral("24:00:30 - 25:00:00"));

    // Opened again, the stored range comes back as it was.
    g_frmItem.unload();
    w = openOn(2);
    EXPECT_TRUE(w->ptnConvertByTime->isChecked());
    EXPECT_EQ(w->dtStartAfter->Text(), QStringLiteral("24:00:30"));
    EXPECT_EQ(w->dtUntil->Text(), QStringLiteral("25:00:00"));
    EXPECT_TRUE(w->lblRangeNote->text().isEmpty());

    // The list's total reads the time as a duration too.
    EXPECT_EQ(TimeTextToSeconds(QStringLiteral("25:00:00")), 90000);
}

TEST_F(ItemWindow, NameKeyFilterDropsOnlyTheNineCharacters)
{
    FrmItem* w = openOn(1);
    w->show();
    w->txtItemName->clear();
    w->txtItemName->setFocus();
    const QString typed = QStringLiteral("Ab/\\:?*<>\"|Яω漢ش") + QString::fromUcs4(U"\U0001F3B5") +
                          QStringLiteral("e\u0301\uFF1F");
    for (const QString& unit : {QString(typed)}) {
        // One key event per character as the keyboard delivers them (a pair for U+1F3B5).
        qsizetype i = 0;
        while (i < unit.size()) {
            const qsizetype n = unit.at(i).isHighSurrogate() ? 2 : 1;
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, unit.mid(i, n));
            QCoreApplication::sendEvent(w->txtItemName, &press);
            i += n;
        }
    }
    EXPECT_EQ(w->txtItemName->text(), QStringLiteral("AbЯω漢ش") + QString::fromUcs4(U"\U0001F3B5") +
                                          QStringLiteral("e\u0301\uFF1F"));
}

TEST_F(ItemWindow, LinksOpenTheFileItsFolderAndTheTagPages)
{
    FrmItem* w = openOn(2);
    w->lblFileName_Click();
    w->lblPath_Click();
    EXPECT_EQ(shell.opened, (QStringList{stereo, sourceFolder + QLatin1Char('/')}));

    int section = -1;
    QTimer::singleShot(0, [&section] {
        section = g_frmProgParameters->cboSections->currentIndex();
        static_cast<QDialog*>(g_frmProgParameters.get())->reject();
    });
    w->lblID3TagParameters_Click();
    EXPECT_EQ(section, 1);

    QString key;
    QTimer::singleShot(0, [&key] {
        key = cTreeView::Key(frmOptions->cTreeView1->SelectedNode());
        static_cast<QDialog*>(frmOptions.get())->reject();
    });
    w->lblDefaultID3Tags_Click();
    EXPECT_EQ(key, QStringLiteral("ID3 Tags"));
}

TEST_F(ItemWindow, ExitLeavesTheRowAsItWas)
{
    FrmItem* w = openOn(3);
    w->txtItemName->setText(QStringLiteral("never stored"));
    const QByteArray before = listBytes();
    // Shown modally, as the grid's double click shows it; Exit ends the modal loop.
    QTimer::singleShot(0, w, [w] { w->cmdExit->click(); });
    main->setCursor(Qt::WaitCursor);
    ShowItemProperties(main);
    EXPECT_EQ(main->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(g_frmItem.isLoaded());
    EXPECT_EQ(cell(3, ItemRow::COL_ITEM_NAME), QStringLiteral("third.wav"));
    EXPECT_EQ(listBytes(), before);
}

}  // namespace

namespace {

TEST_F(ItemWindow, TextsWithBytesThatAreNotUtf8ComeBackUnchanged)
{
    // A list written by another program may hold bytes that are not UTF-8; the list keeps each
    // as a character of its own, and an Apply that did not touch a box must not change it.
    const QString odd = QStringLiteral("Caf") + QChar(char16_t(0xDCE9)) + QStringLiteral(" live");
    setCell(2, ItemRow::COL_ITEM_NAME, odd);
    setCell(2, COL_TAG_COMMENT, odd);
    setCell(2, COL_TAG_ARTIST, odd);
    FrmItem* w = openOn(2);
    w->cmdApply_Click();
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(cell(2, ItemRow::COL_ITEM_NAME), odd);
    EXPECT_EQ(cell(2, COL_TAG_COMMENT), odd);
    EXPECT_EQ(cell(2, COL_TAG_ARTIST), odd);
}

}  // namespace

namespace {

TEST_F(ItemWindow, DoubleClickAndTheEditCommandOpenItOnTheRow)
{
    long shownOn = 0;
    QTimer::singleShot(0, [&shownOn] {
        shownOn = g_frmItem->lItem;
        g_frmItem->cmdExit_Click();
    });
    main->cGrid1->CurrentRow(3);
    main->cGrid1_DblClick(3, 1);
    EXPECT_EQ(shownOn, 3);
    EXPECT_FALSE(g_frmItem.isLoaded());

    shownOn = 0;
    QTimer::singleShot(0, [&shownOn] {
        shownOn = g_frmItem->lItem;
        g_frmItem->cmdExit_Click();
    });
    main->cGrid1->CurrentRow(2);
    main->RunCommand(QStringLiteral("Rename Item"));
    EXPECT_EQ(shownOn, 2);
    EXPECT_TRUE(box.shown.isEmpty());
}

}  // namespace
