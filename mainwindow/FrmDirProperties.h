// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QDialog>
#include <QPointer>

#include <cstdint>

class ItemsListTree;
class LinkLabel;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;
class cTabControl;

// "Items List Properties": a list's name, the path of its file and its summary; OK renames the
// list (its file, node and the list name above the grid). Modeless; one instance, filled and
// shown by ShowItemsListProperties. It acts on the node it was opened for, whatever node is
// selected when OK is pressed. GUI thread.
class FrmDirProperties : public QDialog {
    Q_OBJECT
public:
    FrmDirProperties();
    void Form_Load();

    // Every typed character that may not stand in a file name is dropped (KeyAscii 0).
    void txtFolderName_KeyPress(int16_t& KeyAscii);
    void cmdOk_Click();
    void cmdCancel_Click();
    void lblOpenDestinationDestinationFolder_Click();
    void TabAdd(const QString& sCaption);

    // The list this window shows and renames, found again by its key when OK is pressed.
    void SetList(ItemsListTree* lists, const QString& sKey);

    // The name box may be edited and OK renames.
    bool bEditFolderName = false;

    QFrame* picTitle;
    QLabel* lblTitle;
    cTabControl* cTabControl1;
    QWidget* TabGeneral;
    QLabel* lblFolderName;
    QLineEdit* txtFolderName;
    QLabel* lblPath;
    QLineEdit* txtPath;
    QLabel* lblThisFolderContain;
    QLabel* lblContain;
    QLabel* imgOpenDestFolder;
    LinkLabel* lblOpenDestinationDestinationFolder;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<ItemsListTree> m_lists;
    QString m_key;
};

inline FormRef<FrmDirProperties> g_frmDirProperties;

// Fills and shows the properties window for a node of the tree of lists: name box := the node's
// caption, path box := its key, summary := the list summary. The lists root gets no window.
void ShowItemsListProperties(ItemsListTree& lists, QTreeWidgetItem* node, const QString& sContain);
