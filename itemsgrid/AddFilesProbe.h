// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/AudioEngine.h"
#include "foundation/mdlFileTime.h"
#include "itemsgrid/FrmStat.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// What adding one path needs to know of its file, read off the GUI thread.
struct AddFileFacts {
    enum class Verdict {
        Add,
        Folder,
        Unsupported,
        Empty,
        Refused,  // for the reason in `refusal`
        Unreadable,
        // A CD track: its reader belongs to the GUI thread, which opens it itself.
        OpenHere,
    };
    Verdict verdict = Verdict::Unreadable;
    AddRefusal refusal = AddRefusal::Unreadable;
    QString itemName;  // the name cell's text
    qint64 bytes = 0;
    QString sizeText;
    QVariant created;  // the local creation date-time, or an empty text when unknown
    int64_t durationMs = 0;
    engine::AudioTags tags;
    // Unreadable: the reader's own reason, naming the file.
    QString reason;
};

// Why a path is no file to add, from one look at it, without reading the file where a look
// tells (a FIFO or a device is never opened): missing, a name that is not UTF-8, a folder, not a
// regular file, empty; nothing for a regular file with data, which the converter then opens.
std::optional<AddRefusal> LookRefusal(const QString& path, const FileLook& look);

// The facts of one path, as the adding pass checks it: folder, supported extension (per
// lowerFilter, the lower-cased supported-files filter), empty file, then the converter's probe.
AddFileFacts ReadAddFileFacts(const QString& path, const QString& lowerFilter);

// Reads the facts of a list of paths on a few worker threads, in order, ahead of the GUI thread
// that turns them into rows: the file system and the probes run in parallel while the GUI
// thread fills the grid, and the GUI thread never waits longer than it asks to (the first
// compressed file makes a worker load the codec module; the rows before it go on meanwhile).
// Made and used on one thread (the GUI thread); Stop() or the destructor ends the workers after
// the file each is reading.
class AddFilesProbe {
public:
    AddFilesProbe(const QStringList& paths, const QString& lowerFilter);
    ~AddFilesProbe();
    AddFilesProbe(const AddFilesProbe&) = delete;
    AddFilesProbe& operator=(const AddFilesProbe&) = delete;

    // The facts of path i once read, waiting until deadline at most; nullptr when they are not
    // ready by then.
    const AddFileFacts* Facts(qsizetype i, std::chrono::steady_clock::time_point deadline);
    void Stop();

private:
    void work();

    const QStringList m_paths;
    const QString m_lowerFilter;
    // Made by the worker that reads them: ten thousand entries made up front cost the GUI
    // thread its page faults.
    std::vector<std::unique_ptr<AddFileFacts>> m_facts;
    std::unique_ptr<std::atomic<bool>[]> m_ready;
    std::atomic<qsizetype> m_next{0};
    std::atomic<qsizetype> m_waitingFor{-1};
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::condition_variable m_readyChanged;
    std::vector<std::thread> m_threads;
};
