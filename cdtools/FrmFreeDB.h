// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QDialog>
#include <QPointer>

#include <memory>

class QFrame;
class QLabel;
class QPushButton;
class QTreeWidgetItem;
class ToolWindow;
class cFreeDB;
class cProgressBar;

// "FreeDB": looks the disc of the selected drive node up in a CD database and writes what it
// finds into the main window: track titles as the rows' item names, the artist and album into
// their tag cells, and "artist - album" as the node's caption. The look-up runs in the hosted
// component; its events arrive here on the GUI thread while the window is shown modally. The
// window notes the drive node when the look-up starts and drops results that arrive once
// another node is selected. Opened only by the "FreeDB" command.
class FrmFreeDB : public QDialog {
    Q_OBJECT
public:
    FrmFreeDB();
    ~FrmFreeDB() override;

    ToolWindow& HandOver();

    // Prepares and starts the look-up; false when there is no connection (the window has then
    // told the user and unloaded itself).
    bool GetFreeDB();

    void Form_Load();
    // Never refuses: stops the look-up and releases the component.
    void Form_Unload();
    void cmdAbort_Click();

    void cFreeDB1_RequestHide();
    void cFreeDB1_LookupError(long code, const QString& text);
    void cFreeDB1_StateChanged(const QString& text);
    void cFreeDB1_Message(const QString& text);
    void cFreeDB1_ArtistFound(const QString& artist);
    void cFreeDB1_AlbumFound(const QString& album);
    void cFreeDB1_TrackFound(const QString& artist, int track, const QString& title);

    // Puts another look-up component in place (a test's); its events are wired as the real one's.
    void UseFreeDBComponent(std::unique_ptr<cFreeDB> component);

    QFrame* picTitle = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblCurrentTrack = nullptr;
    cProgressBar* prgCurrnet = nullptr;
    QPushButton* cmdAbort = nullptr;
    QLabel* lblArtist = nullptr;     // hidden: the album's artist as received
    QLabel* lblAlbumName = nullptr;  // hidden: the album's title as received
    std::unique_ptr<cFreeDB> cFreeDB1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildControls();
    void connectComponent();
    // The drive node the look-up is for, while it is still the selected node of the main tree.
    QTreeWidgetItem* lookedUpNode() const;
    void unloadSelf();
    // The status line's text, shown whole however long it is.
    void setStatusText(const QString& text);

    std::unique_ptr<ToolWindow> m_handOver;
    QTreeWidgetItem* m_node = nullptr;
    QString m_nodeKey;
    bool m_unloading = false;
};

inline FormRef<FrmFreeDB> g_frmFreeDB;

// Makes the "FreeDB" command open g_frmFreeDB.
void RegisterFreeDBWindow();
