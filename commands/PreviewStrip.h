// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

class cPlayer;
class QTreeWidgetItem;

// What the preview strip needs of the main window: the items grid, the tree of lists, the
// status bar, the two time labels, the slider, the play toolbar and the two graphs. Rows count
// from 1; a tree node is only handed back, never looked into.
class PreviewStripHost {
public:
    virtual ~PreviewStripHost() = default;
    // Items grid
    virtual long Rows() = 0;
    virtual long SelectedRow() = 0;
    virtual void SelectRow(long row) = 0;
    virtual QString RowFile(long row) = 0;  // the COL_FILE cell
    virtual bool RowMarked(long row) = 0;   // the "Inc" mark is 1
    virtual void SetRowBold(long row, bool bold) = 0;
    virtual void SetRowUnBold() = 0;
    // Tree of lists
    virtual QTreeWidgetItem* SelectedNode() = 0;
    // Sets or clears the node's playing mark; a node no longer in the tree is left alone.
    virtual void SetNodePlaying(QTreeWidgetItem* node, bool playing) = 0;
    // The tree's display flag (shows the playing mark).
    virtual void SetTreeDisplayFlag() = 0;
    // Runs the tree-node click for the selected node, which loads its list again.
    virtual void ClickSelectedNode() = 0;
    // Status bar panel "Main"
    virtual void SetStatus(const QString& text, long icon) = 0;
    // lbTotalLengthSec, lblCurrentPositionSec
    virtual void SetTotalLengthText(const QString& text) = 0;
    virtual void SetPositionText(const QString& text) = 0;
    // cSlider1
    virtual long SliderValue() = 0;
    virtual void SetSliderValue(long value) = 0;
    virtual void SetSliderMax(long value) = 0;
    // tlbrPlayButtons
    virtual QString ButtonKey(long index) = 0;
    virtual bool ButtonPressed(const QString& key) = 0;
    virtual void SetButtonPressed(const QString& key, bool pressed) = 0;
    virtual void SetButtonEnabled(const QString& key, bool enabled) = 0;
    // cAudioGraphAmp (amplitude true) and cAudioGraphFreq
    virtual void GraphAudioData(bool amplitude, long handle) = 0;
    virtual void GraphRedraw(bool amplitude) = 0;
    virtual void GraphClear(bool amplitude) = 0;
};

// One of the strip's timers (tmrPlayer, tmSlider, tmrAudioData); its ticks reach the strip's
// matching handler through the window.
class StripTimer {
public:
    virtual ~StripTimer() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual bool IsOn() const = 0;
};

// The preview player strip of the main window: plays the selected row's file, keeps the slider,
// the time labels and the graphs moving while it plays, shows the playing row and list, and at
// the end of a file goes on with the next marked row when the option says so. Owns no widget:
// the window hands it the player, the timers and a host, and forwards the events. GUI thread.
class PreviewStrip {
public:
    PreviewStrip(cPlayer& player, PreviewStripHost& host, StripTimer& tmrPlayer, StripTimer& tmSlider,
                 StripTimer& tmrAudioData);

    void StartPlay();
    void StopPlay();
    void LoadItemToPlayer();
    void tlbrPlayButtons_ButtonClick(long index);
    // The Stop request: a paused preview is resumed, then a playing one stopped. No next row
    // starts after it (the end event that follows finds no file that played to its end); the
    // command dispatcher calls it before every command.
    void StopRequest();
    void cPlayer1_PlayEnd();
    void cSlider1_DragStart();
    void cSlider1_DragEnd();
    void tmrPlayer_Timer();
    void tmSlider_Timer();
    void tmrAudioData_Timer();

    // m_nodePlaying: the list node of the row started last; null before and after StopPlay.
    QTreeWidgetItem* NodePlaying() const { return m_nodePlaying; }

    // The whole-second length: the player's length to the nearest second, a half to even.
    static long WholeSeconds(double seconds);

private:
    void makeRequest(const char* key);

    cPlayer& m_player;
    PreviewStripHost& m_host;
    StripTimer& m_tmrPlayer;
    StripTimer& m_tmSlider;
    StripTimer& m_tmrAudioData;
    QTreeWidgetItem* m_nodePlaying = nullptr;
};
