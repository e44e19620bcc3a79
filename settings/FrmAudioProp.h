// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"
#include "foundation/RegistryRoutines.h"

#include <QDialog>
#include <QHash>

#include <memory>

class cAudioConverter;
class cTabControl;
class LinkLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

// The output audio-format window: one page per enabled target format, reached by tabs keyed
// "WAV", "ACM", "MP3", "WMA", "OGG", "APE". Loaded hidden at start; its loading fills
// OutputFormatOptions. OK saves and sets the options window's target format to the open tab;
// Exit keeps the edits in the controls without saving. Closing only hides it until the main
// window unloads. GUI thread.
class FrmAudioProp : public QDialog {
    Q_OBJECT
public:
    FrmAudioProp();
    ~FrmAudioProp() override;
    void Form_Load();

    // Store -> controls -> OutputFormatOptions.
    void GetOptions();
    // Shows the page of the selected tab; the index is not used.
    void cTabControl1_TabClick(int index);
    // Selects the tab named by the first three letters of a target-format text and shows it,
    // as every caller does before showing the window.
    void OpenOnFormat(const QString& targetFormatText);

    void cmdOK_Click();
    void cmdExit_Click();
    void cboTags_Click();
    void cboWMACodecs_Click();
    void chkBestAccordToSource_Click();
    void lblMP3Advanced_Click();
    void sldOGG_Change();

    QWidget* picTitle;
    QLabel* lblTitle;
    QLabel* lblFormatDesc;
    cTabControl* cTabControl1;
    QWidget* froToWAV;
    QWidget* froToACM;
    QWidget* froToMP3;
    QWidget* froToWMA;
    QWidget* froToOGG;
    QWidget* froToAPE;
    QPushButton* cmdOK;
    QPushButton* cmdExit;
    std::unique_ptr<cAudioConverter> cAudioConverter1;

    QComboBox* cboSamplesWAV;
    QComboBox* cboBitrateWAV;
    QComboBox* cboChannelsWAV;

    QCheckBox* chkBestAccordToSource;
    QComboBox* cboTags;
    QComboBox* cboFormats;

    QComboBox* cboMP3Bitrate;
    QComboBox* cboMP3Quality;
    QComboBox* cboMP3Samplerate;
    QComboBox* cboMP3Mode;
    LinkLabel* lblMP3Advanced;
    QWidget* picMP3Advanced;
    QCheckBox* chkMP3ErrorProtect;
    QCheckBox* chkMP3Original;
    QCheckBox* chkMP3Copyright;
    QCheckBox* chkMP3StrictISO;
    QComboBox* cboMP3VBRQuality;
    QComboBox* cboMP3MinBitrate;
    QComboBox* cboMP3MaxBitrate;
    QCheckBox* chkMP3VBRTag;
    QCheckBox* chkMP3VBRForceMinBitrate;
    QCheckBox* chkMP3ABR;
    QComboBox* cboMP3ABRBitrate;

    QComboBox* cboWMACodecs;
    QComboBox* cboWMAFormat;

    QRadioButton* ptnQualityOGG;
    QLabel* lblSensitivityVal;
    QSlider* sldOGG;
    QRadioButton* optOggBit;
    QComboBox* cboOggBitNom;

    QComboBox* cboAPELevel;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildControls();
    QList<QWidget*> panels() const;
    // All ACM tags (flags 0) or those a source converts to; the list is left without selection.
    void listAcmTags(long sampleRate, long channels, long bits, long flags);
    void restoreAcmLists(const QString& tag, const QString& format);
    void applyAdvancedCaption(const QString& caption);
    void fitMp3AdvancedColumn();

    // Every value OK stores, from the controls as they are: "section\name" and its text.
    QList<QPair<QString, QString>> valuesToStore() const;

    RegistryRoutines m_cReg;
    QHash<QString, QString> m_shown;  // what GetOptions has shown, by "section\name"
};

inline FormRef<FrmAudioProp> g_frmAudioProp;
