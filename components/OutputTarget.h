// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Where a job's output really goes and how it is put in place without damaging anything that
// already stands there: a symbolic link to a file is written through (the file it leads to is
// replaced, the link stays), any other symbolic link is replaced itself (nothing is made or written
// where it points), a device, pipe, socket or folder is refused, and so is the file of a disc a
// drive holds; a replaced file keeps its mode and group, and the
// hidden part file is removed even when the process is killed by SIGTERM, SIGINT, SIGHUP or
// SIGPIPE (or, for a recording, finished and put in place: see keepWavOnSignal and
// drainOnSignal).

#include <QString>

#include <functional>

#include <sys/stat.h>

namespace components {

class OutputTarget {
public:
    // Looks at what stands at `output`. False, with a text naming `output`, when it must not be
    // replaced.
    bool resolve(const QString& output, QString* error);

    // The file that is replaced: `output` itself as an absolute path, or the file a symbolic link
    // there leads to.
    const QString& file() const { return m_file; }

    // Creates the hidden part file beside file() and holds a lock on it for as long as this
    // object lives, so that other jobs see it is in use. Part files of the same target name
    // that nobody holds (left by a killed job) are removed first. A target whose name is too
    // long for the usual part-file name gets the short one.
    bool createPartFile(QString* error);
    // The same for a recording: its part file has a name of its own (RecordingPartFileName) that
    // no sweep of stale part files removes, since after a kill or a power loss it is the user's
    // only copy of the take; the recorder puts such a file in place when it next starts.
    bool createRecordingPartFile(QString* error);
    const QString& partFile() const { return m_part; }

    // Gives the finished part file the mode (and, where allowed, the group) of the file it
    // replaces, then renames it over that file. False with the system's reason.
    bool commit(QString* error);
    // Renames the part file to file() only where no file of that name stands, as an image's data
    // file that another sheet may point at. False, with the system's reason, when one does.
    bool commitNew(QString* error);

    // The part file is a PCM WAV stream (`header` its 44 bytes, `blockAlign` bytes a frame) whose
    // every byte is worth keeping, as a recording's is: a SIGTERM or SIGINT then writes the sizes
    // of the whole frames on the file into its header and renames it over file() before the
    // process ends, instead of removing it. Call after createPartFile.
    void keepWavOnSignal(const QByteArray& header, int blockAlign);
    // Bracket every write into a part file kept on a signal, so that the signal never finishes
    // it in the middle of one. beginWrite is false once the process is ending: write nothing.
    bool beginWrite();
    void endWrite();
    // For a part file kept on a signal, written on a thread that runs an event loop (the
    // recorder's): a SIGTERM, SIGINT or SIGHUP then first runs `drain` on this thread, which
    // writes what the program still holds and puts the file in place; the process then ends as
    // the signal says. A drain that has not ended within a few seconds (or a second signal) ends
    // the process with the file as keepWavOnSignal finishes it. Call after keepWavOnSignal.
    void drainOnSignal(std::function<void()> drain);

    // Removes the part file (after an abort or an error). Safe to call more than once.
    void discard();

    ~OutputTarget();

private:
    bool createPart(bool recording, QString* error);
    void release();

    QString m_file;
    QString m_part;
    bool m_exists = false;
    struct stat m_old {};
    int m_lockFd = -1;
    int m_slot = -1;
};

// A file a task makes for its own use and deletes itself when it ends (the tracks a duplication
// rips before it burns them), or a folder it made for such files: while this object lives, a
// SIGTERM, SIGINT, SIGHUP or SIGPIPE that ends the process removes it with the part files (a folder only
// when it is empty by then, its registered files and part files gone). The object itself
// removes nothing. False from registered() when every place for one is taken.
class RemovedOnSignal {
public:
    // FilesOfFolder: the ordinary files directly in the folder `path` (whatever their names, as
    // many as there are) are removed, the folder and anything else in it kept; for a task's
    // own work folder, such as the CD makers' burn folder.
    enum class Kind { File, Folder, FilesOfFolder };
    RemovedOnSignal(const QString& path, Kind kind);
    explicit RemovedOnSignal(const QString& path, bool folder = false);
    ~RemovedOnSignal();
    RemovedOnSignal(const RemovedOnSignal&) = delete;
    RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;
    bool registered() const { return m_slot >= 0; }

private:
    int m_slot = -1;
};

// "Cannot write the file '<output>': <detail>", or the detail alone when it already names the file.
QString WriteError(const QString& output, const QString& detail);

// The hidden part-file name for a target and a random tag: ".<base>.part-<tag>.<ext>".
QString PartFileName(const QString& targetFileName, const QString& tag);
// The one used where that name would be longer than the folder takes: ".part-<tag>.<ext>",
// shorter than any target name that needs it.
QString ShortPartFileName(const QString& targetFileName, const QString& tag);
// A recording's: ".<base>.recording-<tag>.<ext>", or ".recording-<tag>.<ext>" where that is too long.
QString RecordingPartFileName(const QString& targetFileName, const QString& tag);
QString ShortRecordingPartFileName(const QString& targetFileName, const QString& tag);
// Whether `name` is a recording's part-file name; `targetFileName` is then the name of the file
// it was to become (empty for a short name, which does not show it).
bool IsRecordingPartFileName(const QString& name, QString* targetFileName = nullptr);

}  // namespace components
