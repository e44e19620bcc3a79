// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Makes the "Audio Analyser", "Audio Recorder" and "Text To Speech" commands open the editor,
// the recorder and the speech window.
void RegisterRecordingWindows();
