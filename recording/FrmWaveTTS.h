// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "commands/ToolWindows.h"
#include "components/cWaveTTS.h"
#include "foundation/FormRef.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class LinkLabel;
class cSlider;
class cStatusBar;

// "Text To Speech": speaks a text, or renders it and converts it into one of the program's
// target formats, either into the program folder and onto the open items list, or into a file
// the user picks. Opened modally by the main window. GUI thread.
class FrmWaveTTS : public QWidget, public ToolWindow {
    Q_OBJECT
public:
    // Makes the speech component of the next load (tests); null: the real one.
    static inline std::function<std::unique_ptr<cWaveTTS>()> componentFactory;

    FrmWaveTTS();
    ~FrmWaveTTS() override;

    void Form_Load();
    void Form_Unload();
    void cmdSay_Click();
    void cmdStop_Click();
    void cmdAdd_Click();
    void cmdSaveAs_Click();
    void cmdEditTargetFormat_Click();
    void lblID3Tags_Click();
    void lblClearText_Click();
    void txtSpeak_Change();
    void sldRate_Change();
    void sldVolume_Change();
    void cWaveTTS1_FormatFound(const QString& name, long id);
    void cWaveTTS1_TextPosition(long start, long length);
    void cWaveTTS1_WholeText();

    // ToolWindow: the file-name maker of the main window reads the target format from here.
    QWidget* Window() override { return this; }
    QString cboTargetFormat() override;

    QFrame* picTitle = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblOutputs = nullptr;
    QComboBox* cboAudioOutputs = nullptr;
    QLabel* lblVoices = nullptr;
    QComboBox* cboVoices = nullptr;
    QLabel* lblFormats = nullptr;
    QComboBox* cboFormats = nullptr;
    QLabel* lblVolume = nullptr;
    cSlider* sldVolume = nullptr;
    QLabel* lblValumeVal = nullptr;
    QLabel* lblRate = nullptr;
    cSlider* sldRate = nullptr;
    QLabel* lblRateVal = nullptr;
    QLabel* lblText = nullptr;
    LinkLabel* lblClearText = nullptr;
    QPlainTextEdit* txtSpeak = nullptr;
    QPushButton* cmdSay = nullptr;
    QPushButton* cmdStop = nullptr;
    QLabel* lblAudioFormat = nullptr;
    LinkLabel* lblID3Tags = nullptr;
    QComboBox* cboTargetFormatList = nullptr;  // cboTargetFormat
    QPushButton* cmdEditTargetFormat = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdSaveAs = nullptr;
    std::array<QToolButton*, 4> cmdToolsIcon{};
    cStatusBar* cStatusBar1 = nullptr;
    std::unique_ptr<cWaveTTS> cWaveTTS1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FillVoices();
    void FillAudioOutputs();
    void SpeakToFile(const QString& path);
    void ConvertRendering(const QString& destination);
    bool m_unloading = false;
};

inline FormRef<FrmWaveTTS> g_frmWaveTTS;

// The name "Add to Items List" writes: `name` as made by the main window, its last three
// characters replaced by the target's first three letters in lower case, and, when a file of
// that name stands in `folder` already, a number before the extension so none is replaced.
QString SpeechListFileName(const QString& made, const QString& targetFormat, const QString& folder);
