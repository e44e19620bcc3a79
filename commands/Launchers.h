// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

class FrmMain;

// The launchers of the tool windows: each checks the main window's selection, hands the rows
// over to the tool window of its key (commands/ToolWindows.h), shows it modally and returns
// once it has closed. A launcher returns false when it ended early (a refusal, or another
// command run in its place): the dispatcher then skips its common end. GUI thread.
namespace Launchers {

bool AudioJoiner(FrmMain& f);
bool AudioConverter(FrmMain& f);
bool ACMConverter(FrmMain& f);
bool AudioSplitter(FrmMain& f);
// "Audio CD Ripper": every row of the drive's listing, marks included, so row r is track r.
bool AudioCDRipper(FrmMain& f);
// "Audio CD Duplicator": the window shown modally under the main window's hourglass, the drive
// polling paused; nothing is handed over.
bool AudioCDDuplicator(FrmMain& f);

// "Audio Analyser": the current row's file in the editor, a non-WAV file converted first into
// "tmpeditor.wav" of the program folder; no editor when that conversion was aborted.
bool AudioAnalyser(FrmMain& f);
// "Audio Recorder" and "Text To Speech": the window shown modally; the speech window keeps the
// main window's hourglass while it is open.
bool AudioRecorder(FrmMain& f);
bool TextToSpeech(FrmMain& f);

// A tool whose launcher comes with its window (CD tools, editor, recorder, speech): the
// registered window shown modally with the polling paused, or the not-in-this-version message.
bool RegisteredTool(FrmMain& f, const QString& key);

}  // namespace Launchers
