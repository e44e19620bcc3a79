// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The main window's row procedures: the rules of itemsgrid/GridRows.h on its items grid.
#include "components/cGrid.h"
#include "itemsgrid/GridRows.h"
#include "mainwindow/FrmMain.h"

long FrmMain::GetMarkedCount() { return GridRows::GetMarkedCount(*cGrid1); }

bool FrmMain::IsAnyItemMarked() { return GridRows::IsAnyItemMarked(*cGrid1); }

void FrmMain::MarkAllItems(bool bMark)
{
    GridRows::MarkAllItems(*cGrid1, bMark);
    SaveGridToFile();
}

void FrmMain::CopyGridRows(cGrid& source, cGrid& destination, bool bMarkedOnly, long* copied)
{
    GridRows::CopyGridRows(source, destination, bMarkedOnly, copied);
}

void FrmMain::ReplaceRow(long lMove) { GridRows::ReplaceRow(*cGrid1, lMove); }

void FrmMain::SetRowBold(long lRow, bool bBold) { GridRows::SetRowBold(*cGrid1, lRow, bBold); }

void FrmMain::SetRowUnBold() { GridRows::SetRowUnBold(*cGrid1); }

QString FrmMain::GetTotalTime(bool bMarkedOnly) { return GridRows::GetTotalTime(*cGrid1, bMarkedOnly); }

QString FrmMain::GetTotalSize(bool bMarkedOnly) { return GridRows::GetTotalSize(*cGrid1, bMarkedOnly); }
