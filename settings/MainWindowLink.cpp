// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/MainWindowLink.h"

#include "mainwindow/FrmMain.h"

namespace {

class RealLink final : public MainWindowLink {
public:
    void ListsFolderChanged() override
    {
        if (FrmMain* f = frmMain.loaded()) {
            f->setTree();
            f->OpenFirstItemsList();
        }
    }
    void Relayout() override
    {
        if (FrmMain* f = frmMain.loaded())
            f->Form_Resize();
    }
    void SetGridHotTrack(bool on) override
    {
        if (FrmMain* f = frmMain.loaded())
            f->SetGridHotTrack(on);
    }
    void SetGridLines(bool on) override
    {
        if (FrmMain* f = frmMain.loaded())
            f->SetGridLines(on);
    }
    void SetTitleBackColor(int32_t color) override
    {
        if (FrmMain* f = frmMain.loaded())
            f->SetTitleBackColor(color);
    }
    void SetTitleTextColor(int32_t color) override
    {
        if (FrmMain* f = frmMain.loaded())
            f->SetTitleTextColor(color);
    }
    void SetGraphColor(int which, int32_t color) override
    {
        if (FrmMain* f = frmMain.loaded())
            f->SetGraphColor(which, color);
    }
};

RealLink g_real;
MainWindowLink* g_current = nullptr;

}  // namespace

MainWindowLink& mainWindowLink() { return g_current ? *g_current : g_real; }
void setMainWindowLink(MainWindowLink* link) { g_current = link; }
