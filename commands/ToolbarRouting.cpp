// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "commands/ToolbarRouting.h"

#include "mainwindow/FrmMain.h"
#include "mainwindow/cPopupMenu.h"
#include "mainwindow/cToolbar.h"

namespace ToolbarRouting {
namespace {

struct Row {
    const char* key;
    Action action;
    const char* target;  // null: the key itself
};

Route find(const Row* rows, size_t count, const QString& key)
{
    for (size_t i = 0; i < count; ++i) {
        if (key == QLatin1String(rows[i].key))
            return {rows[i].action, rows[i].target ? QString::fromLatin1(rows[i].target) : key};
    }
    return {};
}

// The groups the top toolbar's drop-down buttons pop up, by a key each group holds.
constexpr Row kGroups[] = {
    {"Items List", Action::Popup, "Save As"}, {"Tools", Action::Popup, "Notes"},       {"Mode", Action::Popup, "Transparent"},
    {"Options", Action::Popup, "ID3 Tags"},   {"Help", Action::Popup, "About"},
};

constexpr Row kTopClick[] = {
    {"Text To Speech", Action::Command, nullptr}, {"Audio Converter", Action::Command, nullptr},
    {"Audio Joiner", Action::Command, nullptr},   {"Audio Splitter", Action::Command, nullptr},
    {"Audio Recorder", Action::Command, nullptr}, {"Audio Analyser", Action::Command, nullptr},
    {"Audio CD Maker", Action::Command, nullptr}, {"ACM Converter", Action::Command, nullptr},
    {"MP3 CD Maker", Action::Command, nullptr},   {"WMA CD Maker", Action::Command, nullptr},
    {"Audio CD Ripper", Action::Command, nullptr}, {"On Top", Action::Command, nullptr},
    {"Transparent", Action::Command, nullptr},    {"Add", Action::Command, "Add Files"},
    kGroups[0], kGroups[1], kGroups[2], kGroups[3], kGroups[4],
};

constexpr Row kTools[] = {
    {"Audio Converter", Action::Command, nullptr}, {"Audio Joiner", Action::Command, nullptr},
    {"Audio Splitter", Action::Command, nullptr},  {"Audio Recorder", Action::Command, nullptr},
    {"Audio Analyser", Action::Command, nullptr},  {"Audio CD Maker", Action::Command, nullptr},
    {"Audio CD Ripper", Action::Command, nullptr}, {"Audio CD Duplicator", Action::Command, nullptr},
    {"MP3 CD Maker", Action::Command, nullptr},    {"WMA CD Maker", Action::Command, nullptr},
    {"ACM Converter", Action::Command, nullptr},   {"Text To Speech", Action::Command, nullptr},
};

}  // namespace

Route TopClick(const QString& buttonKey) { return find(kTopClick, std::size(kTopClick), buttonKey); }
Route TopDropDown(const QString& buttonKey) { return find(kGroups, std::size(kGroups), buttonKey); }
Route ToolsClick(const QString& buttonKey) { return find(kTools, std::size(kTools), buttonKey); }
Route ListClick(const QString& buttonKey)
{
    if (buttonKey.isEmpty())
        return {};
    return {Action::Command, buttonKey};
}

}  // namespace ToolbarRouting

using namespace ToolbarRouting;

void FrmMain::followRoute(cToolbar* toolbar, long index, const Route& route)
{
    switch (route.action) {
    case Action::Command:
        RunCommand(route.target);
        break;
    case Action::Popup: {
        long x = 0;
        long y = 0;
        toolbar->ButtonScreenPoint(index, x, y);
        m_cMenu->MenuPopup(x, y, m_cMenu->MenuIndexOfKey(route.target), true);
        break;
    }
    case Action::None:
        break;
    }
}

void FrmMain::tlbrTop_ButtonClick(long index)
{
    const QString key = tlbrTop->ButtonKey(index);
    // Another button releases a pressed "On Top" button; the toolbar as built has none.
    const long onTop = tlbrTop->ButtonIndex(QStringLiteral("On Top"));
    if (key != QLatin1String("On Top") && onTop != 0 && tlbrTop->ButtonPressed(onTop))
        SetOnTop(false);
    followRoute(tlbrTop, index, TopClick(key));
}

void FrmMain::tlbrTop_ButtonDropDown(long index) { followRoute(tlbrTop, index, TopDropDown(tlbrTop->ButtonKey(index))); }

void FrmMain::tlbrProjects_ButtonClick(long index)
{
    SetOnTop(false);
    followRoute(tlbrProjects, index, ListClick(tlbrProjects->ButtonKey(index)));
}

void FrmMain::tlbrList_ButtonClick(long index)
{
    SetOnTop(false);
    followRoute(tlbrList, index, ListClick(tlbrList->ButtonKey(index)));
}

void FrmMain::tlbrRecorder_ButtonClick(long index) { followRoute(tlbrRecorder, index, ToolsClick(tlbrRecorder->ButtonKey(index))); }
