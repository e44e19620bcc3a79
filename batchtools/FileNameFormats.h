// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "settings/controls/LinkLabel.h"

#include <QComboBox>

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

// Builds the list on the window's settings tab under its member names and wires the window's
// handlers: only a choice runs cboFileName_Click, never filling or clearing (which pass -1).
template <class Window>
void AddTo(Window& w)
{
    const Controls c = Build(w.TabSettings);
    w.Label21 = c.Label21;
    w.cboFileName = c.cboFileName;
    w.lblSetAsDefaultFileName = c.lblSetAsDefaultFileName;
    w.lblParameters = c.lblParameters;
    QObject::connect(w.cboFileName, &QComboBox::currentIndexChanged, &w, [&w](int index) {
        if (index >= 0)
            w.cboFileName_Click();
    });
    QObject::connect(w.lblSetAsDefaultFileName, &LinkLabel::Click, &w, [&w] { w.lblSetAsDefaultFileName_Click(); });
    QObject::connect(w.lblParameters, &LinkLabel::Click, &w, [&w] { w.lblParameters_Click(); });
}

// Fills the list afresh from the stored templates, silently and with nothing chosen.
void Load(QComboBox* cboFileName);
// Chooses the stored default, else the second entry (the first is the joiner's template).
void ChooseDefault(QComboBox* cboFileName);
// The link offers itself only while the list shows something other than the stored default.
void Chosen(QComboBox* cboFileName, LinkLabel* lblSetAsDefaultFileName);
// Stores the list's text as the default, where the options window and later windows find it.
void SetAsDefault(QComboBox* cboFileName, LinkLabel* lblSetAsDefaultFileName);

}  // namespace FileNameFormats
