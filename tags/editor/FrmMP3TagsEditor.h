// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"
#include "tags/editor/MP3TagsEditorPresenter.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabBar;

// "MP3 Tags Editor": edits the ID3v1 and ID3v2 tags of one MP3 file at a time. Modeless, one
// instance, no owner. The rules live in MP3TagsEditorPresenter; this class wires them to the
// controls. GUI thread.
class FrmMP3TagsEditor : public QWidget {
    Q_OBJECT
public:
    FrmMP3TagsEditor();

    QWidget* picTitle = nullptr;
    QLabel* lblTitleMain = nullptr;
    QLabel* lblSourceFIle = nullptr;
    QPlainTextEdit* sSourceFile = nullptr;
    QPushButton* cmdSelectFile = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cboID3 = nullptr;
    QTabBar* cTabControl1 = nullptr;
    QWidget* froGeneral = nullptr;
    QWidget* froAdvanced = nullptr;
    QWidget* froLyric = nullptr;
    QLineEdit* txtArtist = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLineEdit* txtAlbum = nullptr;
    QPlainTextEdit* txtDescription = nullptr;
    QLineEdit* txtYear = nullptr;
    QComboBox* cboGenre = nullptr;
    QLineEdit* txtTrackNum = nullptr;
    QLineEdit* txtOriginalArtist = nullptr;
    QLineEdit* txtURL = nullptr;
    QLineEdit* txtEncodedBy = nullptr;
    QLineEdit* txtCopyright = nullptr;
    QPlainTextEdit* txtLyric = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdClose = nullptr;

    void cboID3_Click();
    void cTabControl1_TabClick();
    void cmdSelectFile_Click();
    void cmdApply_Click();
    void cmdClose_Click();

    MP3TagsEditorPresenter& presenter() { return m_presenter; }

private:
    void Form_Load();
    void ReadTags(const QString& path);
    MP3TagFields fieldsFromBoxes() const;
    void showFields(const MP3TagFields& f);

    MP3TagsEditorPresenter m_presenter;
    bool m_buildingTabs = false;
};

inline FormRef<FrmMP3TagsEditor> g_frmMP3TagsEditor;
