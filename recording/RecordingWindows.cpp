// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "recording/RecordingWindows.h"

#include "recording/FrmAudioEditor.h"
#include "recording/FrmMicRecorder.h"
#include "recording/FrmWaveTTS.h"

void RegisterRecordingWindows()
{
    ToolWindows::Register(QStringLiteral("Audio Analyser"), [] { return static_cast<ToolWindow*>(g_frmAudioEditor.get()); });
    ToolWindows::Register(QStringLiteral("Audio Recorder"), [] { return static_cast<ToolWindow*>(g_frmMicRecorder.get()); });
    ToolWindows::Register(QStringLiteral("Text To Speech"), [] { return static_cast<ToolWindow*>(g_frmWaveTTS.get()); });
}
