// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/MainMenus.h"

#include "foundation/mdlModes.h"
#include "mainwindow/cPopupMenu.h"
#include "mainwindow/cToolbar.h"

namespace {

bool on(long flag) { return flag == 1; }

struct Adder {
    cPopupMenu& m;
    long add(const QString& caption, long parent, long icon, const QString& key)
    {
        return m.MenuAddItem(caption, QString(), 0, parent, icon, false, true, key);
    }
    long sep(long parent, const QString& key) { return add(QStringLiteral("-"), parent, -1, key); }
    // A group that is only ever shown as a pop-up disappears from the top level once built.
    void hideGroup(const QString& key) { m.MenuItemVisible(m.MenuIndexOfKey(key), false); }
};

const QString kFile4 = QStringLiteral("mnuFile(4)");

}  // namespace

void BuildMainMenus(cPopupMenu& menu)
{
    Adder a{menu};
    const auto S = [](const char* s) { return QString::fromLatin1(s); };

    const long file = a.add(S("File"), 0, -1, S("mnuFileTop"));
    a.add(S("Remove"), file, 4, S("Remove"));
    a.sep(file, kFile4);
    a.add(S("Exit"), file, -1, S("Exit"));

    a.add(S("Edit"), 0, -1, S("mnuEditTop"));

    const long tools = a.add(S("Tools"), 0, -1, S("Tools"));
    if (on(g_lAppIncConverter) || on(g_lAppIncACMConverter))
        a.sep(tools, kFile4);
    if (on(g_lAppIncConverter))
        a.add(S("Audio Converter"), tools, 60, S("Audio Converter"));
    if (on(g_lAppIncACMConverter))
        a.add(S("ACM Converter"), tools, 61, S("ACM Converter"));
    if (on(g_lAppIncJoin) || on(g_lAppIncSplit))
        a.sep(tools, kFile4);
    if (on(g_lAppIncJoin))
        a.add(S("Audio Joiner"), tools, 64, S("Audio Joiner"));
    if (on(g_lAppIncSplit))
        a.add(S("Audio Splitter"), tools, 63, S("Audio Splitter"));
    if (on(g_lAppIncEditor) || on(g_lAppIncMicRec))
        a.sep(tools, kFile4);
    if (on(g_lAppIncEditor))
        a.add(S("Audio Analyser"), tools, 62, S("Audio Analyser"));
    if (on(g_lAppIncMicRec))
        a.add(S("Audio Recorder"), tools, 70, S("Audio Recorder"));
    if (on(g_lAppIncAudioBurner) || on(g_lAppIncCDRipper))
        a.sep(tools, kFile4);
    if (on(g_lAppIncDuplicator))
        a.add(S("Audio CD Duplicator"), tools, 83, S("Audio CD Duplicator"));
    if (on(g_lAppIncAudioBurner))
        a.add(S("Audio CD Maker"), tools, 73, S("Audio CD Maker"));
    if (on(g_lAppIncCDRipper))
        a.add(S("Audio CD Ripper"), tools, 25, S("Audio CD Ripper"));
    if (on(g_lAppIncMP3Burner) || on(g_lAppIncWMABurner))
        a.sep(tools, kFile4);
    if (on(g_lAppIncMP3Burner))
        a.add(S("MP3 CD Maker"), tools, 72, S("MP3 CD Maker"));
    if (on(g_lAppIncWMABurner))
        a.add(S("WMA CD Maker"), tools, 72, S("WMA CD Maker"));
    a.sep(tools, kFile4);
    if (on(g_lAppIncTagsEditor))
        a.add(S("MP3 Tags Editor"), tools, 6, S("MP3 Tags Editor"));
    a.sep(tools, kFile4);
    if (on(g_lAppIncTTS)) {
        a.add(S("Text To Speech"), tools, 82, S("Text To Speech"));
        a.sep(tools, kFile4);
    }
    a.add(S("Master Volume"), tools, 79, S("Master Volume"));
    a.sep(tools, kFile4);
    a.add(S("Notes"), tools, 8, S("Notes"));

    a.add(S("Options"), 0, -1, S("mnuOptionsTop"));

    const long mode = a.add(S("Mode"), 0, -1, S("Mode"));
    a.add(S("Transparent"), mode, 11, S("Transparent"));
    a.add(S("On Top"), mode, 53, S("On Top"));
    a.sep(mode, kFile4);
    a.add(S("Minimize"), mode, 76, S("Minimize"));
    a.add(S("Go to SysTray"), mode, 77, S("GoSysTray"));
    a.sep(mode, kFile4);
    a.add(S("Exit"), mode, 78, S("Exit"));

    const long options = a.add(S("Options"), 0, -1, S("Options"));
    a.add(S("General") + QString(21, QLatin1Char(' ')), options, 9, S("General"));
    a.sep(options, S("Options Line1"));
    a.add(S("Events"), options, 10, S("Events"));
    a.add(S("View"), options, 11, S("View"));
    a.sep(options, S("Options Line2"));
    a.add(S("ID3 Tags"), options, 18, S("ID3 Tags"));
    a.sep(options, S("Options Line2"));
    a.add(S("Advanced"), options, 59, S("Advanced"));
    a.hideGroup(S("Options"));

    const long help = a.add(S("Help"), 0, -1, S("Help"));
    a.add(S("Help Topics") + QString(5, QLatin1Char(' ')), help, 12, S("HelpTopic"));
    a.add(S("Support"), help, -1, S("Support"));
    a.sep(help, kFile4);
    a.add(S("About"), help, 22, S("About"));
    a.hideGroup(S("Help"));

    const long tray = a.add(S("mnuSysTry"), 0, -1, S("mnuSysTry"));
    a.add(S("Exit") + QString(22, QLatin1Char(' ')), tray, 27, S("RC Exit"));
    a.sep(tray, S("st1"));
    a.add(S("Hide"), tray, -1, S("RC Open"));
    a.hideGroup(S("mnuSysTry"));

    const long player = a.add(S("Player"), 0, -1, S("Player"));
    a.add(S("System Player"), player, 38, S("Open Default Player"));
    a.hideGroup(S("Player"));

    const long lists = a.add(S("mnuProjects"), 0, -1, S("mnuProjects"));
    a.add(S("New Items List"), lists, 48, S("New Items List"));
    a.add(S("Rename Items List"), lists, 49, S("Rename Items List"));
    a.add(S("Remove Items List"), lists, 50, S("Remove Items List"));
    a.sep(lists, S("st4"));
    a.add(S("Items List Properties"), lists, 51, S("Items List Properties"));
    a.add(S("Open Destination Folder"), lists, 4, S("Open Destination Folder"));
    a.hideGroup(S("mnuProjects"));

    const long items = a.add(S("mnuFilesList"), 0, -1, S("mnuFilesList"));
    a.add(S("Mark/Unmark All"), items, 74, S("MarkUnmark All"));
    a.sep(items, S("st1"));
    a.add(S("Move Up"), items, 0, S("Move Up"));
    a.add(S("Move Down"), items, 1, S("Move Down"));
    a.sep(items, S("st1"));
    a.add(S("Move To First"), items, 80, S("Move To First"));
    a.add(S("Move To Last"), items, 81, S("Move To Last"));
    a.sep(items, S("st1"));
    a.add(S("Edit"), items, 32, S("Rename Item"));
    a.add(S("Save As..."), items, 5, S("Save As"));
    a.sep(items, S("st1"));
    if (on(g_lAppIncEditor)) {
        a.add(S("Audio Analyser"), items, 62, S("Audio Analyser"));
        a.sep(items, S("st1"));
    }
    a.add(S("Remove Item"), items, 3, S("Remove Item"));
    a.sep(items, S("ClearLine"));
    a.add(S("Remove All"), items, 27, S("Clear the List"));
    if (on(g_lAppIncCDRipper)) {
        a.sep(items, S("st1"));
        a.add(S("FreeDB"), items, 22, S("FreeDB"));
    }
    a.hideGroup(S("mnuFilesList"));

    const long add = a.add(S("mnuAdd"), 0, -1, S("mnuAdd"));
    a.add(S("Add Files"), add, 39, S("Add Files"));
    a.sep(add, S("st1"));
    a.add(S("Add Directories"), add, 4, S("Add Directories"));
    a.hideGroup(S("mnuAdd"));
}

namespace {

using T = cToolbar;

void button(cToolbar& t, const char* key, const char* tip, long icon, long style = T::tbrNormal, const QString& caption = {})
{
    t.ToolbarAddButton(QString::fromLatin1(tip), icon, 0, caption, style, QString::fromLatin1(key));
}

void separator(cToolbar& t) { t.ToolbarAddButton(QString(), -1, 0, QString(), T::tbrSeparator, QString()); }

struct LeadTool {
    const char* mode;
    const char* key;
    const char* caption;
    long icon;
};

const LeadTool kLeadTools[] = {
    {"lAppIncConverter", "Audio Converter", "Convert", 7},
    {"lAppIncJoin", "Audio Joiner", "Join", 64},
    {"lAppIncSplit", "Audio Splitter", "Splitter", 63},
    {"lAppIncEditor", "Audio Analyser", "Editor", 62},
    {"lAppIncMicRec", "Audio Recorder", "Recorder", 70},
    {"lAppIncAudioBurner", "Audio CD Maker", "Burn", 73},
    {"lAppIncCDRipper", "Audio CD Ripper", "CD Ripper", 25},
    {"lAppIncACMConverter", "ACM Converter", "Converter", 61},
    {"lAppIncMP3Burner", "MP3 CD Maker", "Burn MP3", 72},
    {"lAppIncWMABurner", "WMA CD Maker", "Burn WMA", 72},
    {"lAppIncTTS", "Text To Speech", "TTS", 82},
};

}  // namespace

void BuildTopToolbar(cToolbar& t)
{
    if (on(g_lAppIncItemsLists)) {
        t.ToolbarAddButton(QStringLiteral("Add Files(s) to The Items List"), 2, 0, QStringLiteral("  Add File(s)  "),
                           T::tbrNormal, QStringLiteral("Add"));
        separator(t);
    }
    t.ToolbarAddButton(QStringLiteral("Items List"), 39, 0, QStringLiteral("Items List"), T::tbrDropDown,
                       QStringLiteral("Items List"));
    separator(t);
    for (const LeadTool& lead : kLeadTools) {
        if (g_sAppMode == QLatin1String(lead.mode)) {
            t.ToolbarAddButton(QString::fromLatin1(lead.key), lead.icon, 0, QString::fromLatin1(lead.caption), T::tbrNormal,
                               QString::fromLatin1(lead.key));
            break;
        }
    }
    t.ToolbarAddButton(QStringLiteral("Tools"), 19, 0, QStringLiteral("Tools"), T::tbrDropDown, QStringLiteral("Tools"));
    separator(t);
    t.ToolbarAddButton(QStringLiteral("Options"), 9, 0, QStringLiteral("Options"), T::tbrDropDown, QStringLiteral("Options"));
    separator(t);
    t.ToolbarAddButton(QStringLiteral("Modes"), 45, 0, QStringLiteral("Mode"), T::tbrDropDown, QStringLiteral("Mode"));
    t.ToolbarAddButton(QStringLiteral("Help"), 12, 0, QStringLiteral("Help"), T::tbrDropDown, QStringLiteral("Help"));
}

void BuildProjectsToolbar(cToolbar& t)
{
    button(t, "New Items List", "New Items List", 48);
    button(t, "Rename Items List", "Rename Items List", 49);
    button(t, "Remove Items List", "Remove Items List", 50);
    separator(t);
    button(t, "Items List Properties", "Items List Properties", 51);
}

void BuildListToolbar(cToolbar& t)
{
    if (on(g_lAppIncItemsLists)) {
        button(t, "Add Files", "Add File(s)", 2);
        separator(t);
    }
    button(t, "MarkUnmark All", "Mark/Unmark All", 74);
    separator(t);
    button(t, "Move Up", "Move Item Up", 0);
    button(t, "Move Down", "Move Item Down", 1);
    separator(t);
    button(t, "Move To First", "Move Item To First", 80);
    button(t, "Move To Last", "Move Item To Last", 81);
    separator(t);
    button(t, "Rename Item", "Edit Item", 32);
    separator(t);
    button(t, "Save As", "Save Item As", 5);
    separator(t);
    button(t, "Remove Item", "Remove Item", 3);
    button(t, "Clear the List", "Remove All", 27);
    if (on(g_lAppIncCDRipper)) {
        separator(t);
        button(t, "FreeDB", "Get FreeDB Information About CD", 22);
    }
}

void BuildPlayToolbar(cToolbar& t)
{
    button(t, "Play", "Play", 0);
    button(t, "Pause", "Pause", 1, T::tbrCheck);
    button(t, "Stop", "Stop", 2);
}

int BuildToolsToolbar(cToolbar& t, int hostWidth)
{
    struct Row {
        bool present;
        const char* key;  // nullptr: separator
        const char* caption;
        long icon;
        int grow;
    };
    const Row rows[] = {
        {on(g_lAppIncConverter), "Audio Converter", "Convert", 19, 1000},
        {on(g_lAppIncACMConverter), "ACM Converter", "Convert", 21, 1000},
        {on(g_lAppIncJoin) || on(g_lAppIncSplit), nullptr, nullptr, -1, 1000},
        {on(g_lAppIncJoin), "Audio Joiner", "Join", 23, 1000},
        {on(g_lAppIncSplit), "Audio Splitter", "Splitter", 22, 1000},
        {on(g_lAppIncMicRec) || on(g_lAppIncEditor), nullptr, nullptr, -1, 100},
        {on(g_lAppIncEditor), "Audio Analyser", "Analyser", 20, 1000},
        {on(g_lAppIncMicRec), "Audio Recorder", "Recorder", 24, 1000},
        {on(g_lAppIncCDRipper) || on(g_lAppIncAudioBurner), nullptr, nullptr, -1, 1000},
        {on(g_lAppIncCDRipper), "Audio CD Ripper", "CD Ripper", 25, 1000},
        {on(g_lAppIncAudioBurner), "Audio CD Maker", "CD Burner", 27, 1000},
        {on(g_lAppIncDuplicator), "Audio CD Duplicator", "CD Duplicator", 29, 1000},
        {on(g_lAppIncMP3Burner) || on(g_lAppIncWMABurner), nullptr, nullptr, -1, 100},
        {on(g_lAppIncMP3Burner), "MP3 CD Maker", "Burn MP3", 26, 1000},
        {on(g_lAppIncWMABurner), "WMA CD Maker", "Burn WMA", 26, 1000},
        {on(g_lAppIncTTS), "Text To Speech", "TTS", 28, 1000},
    };
    for (const Row& r : rows) {
        if (!r.present)
            continue;
        if (r.key)
            button(t, r.key, r.key, r.icon, T::tbrNormal, QString::fromLatin1(r.caption));
        else
            separator(t);
        hostWidth += r.grow;
    }
    return hostWidth;
}
