// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Takes that a recorder left unfinished. A recording is written into a hidden part file (a
// recording's own name, components::RecordingPartFileName) whose header is kept up to date while
// it runs; a kill (SIGKILL) or a power loss leaves that file where it is, and it is the user's
// only copy of the take. While a take is recorded a note of its part file and its target stays in
// the program folder ("takes/"); the recorder's next start looks at the notes and at the folders
// it is given, and puts every part file that no running recorder holds in place as a valid WAV
// file under a free visible name that says it was recovered, never the target's own (the user
// records to that name again): "<name> (recovered).wav", "<name> (recovered 2).wav", ...
// Nothing is ever overwritten.
// GUI thread.
namespace sound {

// The note of one take in progress; removed with this object (the take was put in place or
// given up). A process killed meanwhile leaves it behind.
class TakeNote {
public:
    TakeNote(const QString& partFile, const QString& targetFile);
    ~TakeNote();
    TakeNote(const TakeNote&) = delete;
    TakeNote& operator=(const TakeNote&) = delete;

private:
    QString m_path;
};

struct RecoveredTake {
    QString partFile;
    QString target;  // the file the recording was to become (empty when no longer known)
    QString file;    // where the take now is; empty when it could not be put in place
    qint64 frames = 0;
    int sampleRate = 0;
    QString error;   // why not, naming the part file
    // One line for the recorder's log.
    QString text() const;
};

// Puts every unfinished take of the notes and of `folders` in place. `reservedFile` is a name no
// recovered take may take (the file about to be recorded). Takes still being recorded (by this
// process or another) are left alone.
QList<RecoveredTake> RecoverTakes(const QStringList& folders, const QString& reservedFile = QString());

}  // namespace sound
