// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"
#include "foundation/RegistryRoutines.h"

#include <QDialog>
#include <QHash>

class cTreeView;
class ColorSwatch;
class LinkLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidgetItem;

// The options window. Loaded hidden at start; its loading fills the program's option variables
// (ProgramOptions). Closing it only hides it until the main window unloads. Controls carry the
// names of the options they edit; the edited values stay in the controls until OK stores them
// or Cancel reloads the stored ones. GUI thread.
class FrmOptions : public QDialog {
    Q_OBJECT
public:
    FrmOptions();
    ~FrmOptions() override;
    void Form_Load();

    // Store -> controls -> ProgramOptions.
    void GetOptions();
    void cmdOk_Click();
    void cmdCancel_Click();
    // Shows the page of the node's key; an unknown key leaves every page hidden.
    void cTreeView1_NodeClick(QTreeWidgetItem* node);
    // Selects the page keyed `key` as other windows do before showing this window.
    void OpenPage(const QString& key);

    void cmdAddSound_Click();
    void cmdTestSound_Click();
    void cmdTestApp_Click();
    void cmdSelectPath_Click();
    void lblOpenDestinationDestinationFolder_Click();
    void cmdEditTargetFormat_Click();
    void lblParameters_Click();
    void lblNoticParameters_Click();
    void lblID3TagParameters_Click();
    void lblMoreAdvancedOptions_Click();
    void picColor_Click();
    void picTextColor_Click();

    // The end sound's full path, kept in the tag of txtPlayAtEnd (the box shows the name only).
    QString PlayAtEndTag() const;
    void SetPlayAtEnd(const QString& path);

    // Title strip and page tree.
    QWidget* picTitle;
    QLabel* lblTitle;
    cTreeView* cTreeView1;
    QWidget* froGeneral;
    QWidget* froEvents;
    QWidget* froView;
    QWidget* froTags;
    QWidget* froAdvanced;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
    // Never shown.
    QCheckBox* chkDontSaveSilenceFile;
    QLabel* lblAudioDevice;
    QComboBox* cboDevices;

    // General
    LinkLabel* lblParameters;
    QComboBox* cboFileName;
    QComboBox* cboTargetFormat;
    QPushButton* cmdEditTargetFormat;
    QCheckBox* chkGoToNextItem;
    QCheckBox* chkClearOnExit;
    QCheckBox* chkSelectTheLastItem;
    QCheckBox* chkAutoFreeDB;
    LinkLabel* lblMoreAdvancedOptions;
    // Events
    QCheckBox* chkPlaySound;
    QLineEdit* txtPlayAtEnd;
    QPushButton* cmdAddSound;
    QPushButton* cmdTestSound;
    QCheckBox* chkNoticeApp;
    QPlainTextEdit* txtAppNotice;
    LinkLabel* lblNoticParameters;
    QPushButton* cmdTestApp;
    QCheckBox* chkOpenDestFolder;
    QCheckBox* chkTurnOffComputer;
    // View
    QCheckBox* chkDisplayTitle;
    QCheckBox* chkDisplayPlayer;
    QCheckBox* chkDisplayAudioGraph;
    QCheckBox* chkDisplayGridHotTrack;
    QCheckBox* chkDisplayGridLine;
    QCheckBox* chkMenuXPStyle;
    QLabel* lblAppColor;
    ColorSwatch* picColor;
    QLabel* lblFontColor;
    ColorSwatch* picTextColor;
    // ID3 Tags
    QCheckBox* chkCopyID3FromSource;
    QLabel* lblTagArtist;
    QLineEdit* txtTagArtist;
    LinkLabel* lblID3TagParameters;
    QLabel* lblTagSong;
    QLineEdit* txtTagSong;
    QLabel* lblTagAlbum;
    QLineEdit* txtTagAlbum;
    QLabel* lblTagGenre;
    QLineEdit* txtTagGenre;
    QLabel* lblTagTrack;
    QLineEdit* txtTagTrack;
    QLabel* lblTagYear;
    QLineEdit* txtTagYear;
    QLabel* lblTagComment;
    QPlainTextEdit* txtTagComment;
    // Advanced
    LinkLabel* lblOpenDestinationDestinationFolder;
    QComboBox* txtToPath;
    QPushButton* cmdSelectPath;
    QCheckBox* chkDisplayMSGWhenErase;
    QCheckBox* chkDisplayMSGWhenExit;
    QCheckBox* chkSaveLogWhenExit;
    QCheckBox* chkRunWhenWinStarts;
    QCheckBox* chkAutoUpdate;
    QCheckBox* chkDisplayLiveUpdateWindow;

protected:
    // Form_Unload: hides instead of closing until the main window unloads.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void CreateOptionsTree();
    void HideAllPages();
    void LoadFileNameFormats();
    void SetPlaySoundControls();
    void SetNoticeAppControls();
    void SetID3TagsControls();
    void Form_Resize();
    void ShowParameters(int section);
    void applyTitleColors(int32_t back, int32_t text);
    // Every value OK stores, as its section, name and text, from the controls as they are.
    struct StoredValue {
        QString section;
        QString name;
        QString text;
    };
    QList<StoredValue> valuesToStore() const;
    // What GetOptions has shown, to tell the values changed in this window from the rest.
    void rememberShownValues();

    RegistryRoutines m_cReg;
    QHash<QString, QString> m_shown;  // "section\name" -> text
    bool m_shownRunOnStart = false;
};

inline FormRef<FrmOptions> frmOptions;
