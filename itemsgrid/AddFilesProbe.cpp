// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/AddFilesProbe.h"

#include "components/engine/DiscTrackHook.h"
#include "components/engine/SourceFile.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlFileTime.h"
#include "foundation/mdlFunctions.h"
#include "itemsgrid/FrmStat.h"

#include <QThread>

#include <algorithm>

#include <time.h>
#include <unistd.h>

std::optional<AddRefusal> LookRefusal(const QString& path, const FileLook& look)
{
    if (!look.exists)
        return IsUnnamablePath(path) ? AddRefusal::Unnamable : AddRefusal::Missing;
    if (look.isFolder)
        return AddRefusal::Folder;
    switch (engine::fileKindOf(look.mode)) {
    case engine::FileKind::Regular:
        break;
    case engine::FileKind::Folder:
        return AddRefusal::Folder;
    case engine::FileKind::Fifo:
        return AddRefusal::Fifo;
    case engine::FileKind::Device:
        return AddRefusal::Device;
    case engine::FileKind::Socket:
        return AddRefusal::Socket;
    case engine::FileKind::Other:
        return AddRefusal::NotRegular;
    }
    if (look.size > 0)
        return std::nullopt;
    // Only a file whose size reads 0 is read here, for one byte.
    const engine::SourceOpen opened = engine::openSourceFile(path);
    const bool holdsData = opened.fd >= 0 && engine::holdsBytesDespiteSizeZero(opened.fd);
    if (opened.fd >= 0)
        ::close(opened.fd);
    return holdsData ? AddRefusal::SizeZeroWithData : AddRefusal::Empty;
}

AddFileFacts ReadAddFileFacts(const QString& path, const QString& lowerFilter)
{
    AddFileFacts facts;
    if (engine::IsDiscTrackPath(path)) {
        facts.verdict = AddFileFacts::Verdict::OpenHere;
        return facts;
    }
    // One look at the file answers the folder, existence, length and date questions alike.
    const FileLook look = LookAtFile(path);
    if (look.isFolder) {
        facts.verdict = AddFileFacts::Verdict::Folder;
        return facts;
    }
    if (!lowerFilter.contains(GetFileExtension(path).toLower())) {
        facts.verdict = AddFileFacts::Verdict::Unsupported;
        return facts;
    }
    // A vanished file is not caught here (the probe refuses it below), unless its name is one
    // the program cannot give the file system.
    if (look.exists || IsUnnamablePath(path)) {
        if (const std::optional<AddRefusal> refusal = LookRefusal(path, look)) {
            facts.verdict = *refusal == AddRefusal::Empty ? AddFileFacts::Verdict::Empty : AddFileFacts::Verdict::Refused;
            facts.refusal = *refusal;
            return facts;
        }
    }
    engine::SourceInfo info;
    QString error;
    if (!engine::probeAudioSource(path, &info, &error)) {
        facts.verdict = AddFileFacts::Verdict::Unreadable;
        facts.reason = error;
        return facts;
    }
    facts.verdict = AddFileFacts::Verdict::Add;
    facts.itemName = FrmStat::getLegaName(GetFileName(path));
    facts.bytes = look.size;
    facts.sizeText = FormatFileSize(static_cast<double>(look.size));
    // At the offset in force then rather than in local time: the same text and moment, without
    // the time-zone look-up (several system calls) a local date-time costs each file.
    facts.created = look.created.days == 0.0 ? QVariant(QString()) : QVariant(look.createdDateTime());
    facts.durationMs = info.durationMs;
    facts.tags = std::move(info.tags);
    return facts;
}

AddFilesProbe::AddFilesProbe(const QStringList& paths, const QString& lowerFilter)
    : m_paths(paths), m_lowerFilter(lowerFilter), m_facts(size_t(paths.size())),
      m_ready(new std::atomic<bool>[size_t(paths.size())])
{
    for (qsizetype i = 0; i < paths.size(); ++i)
        m_ready[size_t(i)] = false;
    if (paths.isEmpty())
        return;
    // A few threads: the work is system calls on files mostly in the page cache, and the GUI
    // thread has its own share to do.
    const int threads = int(std::clamp<qsizetype>(std::min(QThread::idealThreadCount() - 1, 4), 1, paths.size()));
    // The zone the local creation times are read in: read once here, not once a file.
    ::tzset();
    for (int t = 0; t < threads; ++t)
        m_threads.emplace_back([this] { work(); });
}

AddFilesProbe::~AddFilesProbe() { Stop(); }

void AddFilesProbe::Stop()
{
    m_stop = true;
    for (std::thread& t : m_threads)
        if (t.joinable())
            t.join();
}

void AddFilesProbe::work()
{
    const qsizetype count = m_paths.size();
    for (;;) {
        if (m_stop)
            return;
        const qsizetype i = m_next.fetch_add(1);
        if (i >= count)
            return;
        m_facts[size_t(i)] = std::make_unique<AddFileFacts>(ReadAddFileFacts(m_paths.at(i), m_lowerFilter));
        m_ready[size_t(i)] = true;
        if (m_waitingFor == i) {
            const std::lock_guard guard(m_lock);
            m_readyChanged.notify_all();
        }
    }
}

const AddFileFacts* AddFilesProbe::Facts(qsizetype i, std::chrono::steady_clock::time_point deadline)
{
    if (i < 0 || i >= m_paths.size())
        return nullptr;
    std::atomic<bool>& ready = m_ready[size_t(i)];
    if (!ready) {
        std::unique_lock lock(m_lock);
        m_waitingFor = i;
        m_readyChanged.wait_until(lock, deadline, [&] { return ready.load(); });
        m_waitingFor = -1;
    }
    return ready ? m_facts[size_t(i)].get() : nullptr;
}
