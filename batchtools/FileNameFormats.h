// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

class LinkLabel;
class QComboBox;
class QLabel;
class QWidget;

// The file-name template list the converter-like windows put on their settings tab in place of
// the joiner's one name box: one copy of its controls and handlers for every such window.
namespace FileNameFormats {

// The list's controls, made on `tab`. Label21 and lblParameters are the template window's own
// members; the caller wires the handlers under its member names.
struct Controls {
    QLabel* Label21 = nullptr;
    QComboBox* cboFileName = nullptr;
    LinkLabel* lblSetAsDefaultFileName = nullptr;
    LinkLabel* lblParameters = nullptr;
};
Controls Build(QWidget* tab);

// Fills the list afresh from the stored templates, silently and with nothing chosen.
void Load(QComboBox* cboFileName);
// Chooses the stored default, else the second entry (the first is the joiner's template).
void ChooseDefault(QComboBox* cboFileName);
// The link offers itself only while the list shows something other than the stored default.
void Chosen(QComboBox* cboFileName, LinkLabel* lblSetAsDefaultFileName);
// Stores the list's text as the default, where the options window and later windows find it.
void SetAsDefault(QComboBox* cboFileName, LinkLabel* lblSetAsDefaultFileName);

}  // namespace FileNameFormats
