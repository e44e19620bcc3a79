// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"
#include "itemsgrid/ItemProperties.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <optional>

class LinkLabel;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class cAudioConverter;
class cDateTimePick;
class cGrid;
class cTabControl;

// "Item Properties": one row of the main window's items grid, its name and file facts, the
// range to process and the tags its outputs get. It reads and writes the grid row itself and
// saves the list on a successful Apply; Next and Back step through the grid, passing over CD
// data tracks. Loaded on the grid's current row and shown modally by the grid's double click.
// Its converter only probes the item's file while a row is loaded. GUI thread.
class FrmItem : public QDialog {
    Q_OBJECT
public:
    FrmItem();
    ~FrmItem() override;

    void Form_Load();
    void GetFileInfo();
    void SetIDvTags();
    void GetRangeOptions();
    void cTabControl1_TabClick();

    void cmdOk_Click();
    void cmdApply_Click();
    void cmdExit_Click();
    void cmdNext_Click();
    void cmdBack_Click();
    void ptnAllFile_Click();
    void ptnConvertByTime_Click();
    void dtStartAfter_Change(long seconds);
    void dtUntil_Change(long seconds);
    void cmdGoTSoStart_Click();
    void cmdGoToEnd_Click();
    // A typed character that may not stand in a file name is dropped (KeyAscii 0).
    void txtItemName_KeyPress(int16_t& KeyAscii);
    void lblFileName_Click();
    void lblPath_Click();
    void lblID3TagParameters_Click();
    void lblDefaultID3Tags_Click();

    // 0 written and saved, -1 the name was refused, 1 the range was refused.
    int ApplyItemProperties();

    // The row the title and the range page show, and the row Next and Back step from.
    long lItem = 0;
    long l_lGridRowNum = 0;

    QFrame* picTitle;
    QLabel* lblTitle;
    cTabControl* cTabControl1;
    QWidget* TabInfo;
    QWidget* TabRange;
    QWidget* TabTags;

    QLineEdit* txtItemName;
    LinkLabel* lblFileName;
    LinkLabel* lblPath;
    QLabel* lblTotalTime;
    QLabel* lblTotalSize;
    QLabel* lblCreated;
    QLabel* lblFormat;
    QLabel* lblSamples;
    QLabel* lblBitrate;
    QLabel* lblChannels;
    QLabel* lblFileState;  // "The file cannot be read." when the converter cannot open it

    QRadioButton* ptnAllFile;
    QRadioButton* ptnConvertByTime;
    QLabel* Label20;
    cDateTimePick* dtStartAfter;
    QPushButton* cmdGoTSoStart;
    QLabel* Label21;
    cDateTimePick* dtUntil;
    QPushButton* cmdGoToEnd;
    QLabel* lblRangeNote;  // says when a stored range was cut to the item's length

    QLineEdit* txtTagArtist;
    QLineEdit* txtTagSong;
    QLineEdit* txtTagAlbum;
    QLineEdit* txtTagGenre;
    QLineEdit* txtTagTrack;
    QLineEdit* txtTagYear;
    QPlainTextEdit* txtTagComment;
    LinkLabel* lblID3TagParameters;
    LinkLabel* lblDefaultID3Tags;

    QPushButton* cmdOk;
    QPushButton* cmdApply;
    QPushButton* cmdExit;
    QPushButton* cmdBack;
    QPushButton* cmdNext;

    std::unique_ptr<cAudioConverter> cAudioConverter1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void HideTabPanels();
    void GoToRow(long row);
    void EnableRangeControls();
    void EnableSteps();
    std::optional<long> TotalSeconds() const;
    QString CellText(long row, const QString& key) const;

    cGrid* m_grid = nullptr;
};

inline FormRef<FrmItem> g_frmItem;

// What the grid's double click does once it has let the row through: the hourglass while the
// window loads on the grid's current row, then the window shown modally. Returns when it closed.
void ShowItemProperties(QWidget* owner);
