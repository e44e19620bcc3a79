// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/Burning.h"

#include "components/OutputTarget.h"
#include "components/cd/CueSheet.h"
#include "components/cd/MasteringTool.h"
#include "components/engine/AudioEngine.h"
#include "platform/LinkedWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <libburn/libburn.h>
#include <libisofs/libisofs.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// libburn declares itself inside namespace burn for C++ callers; libisofs names the source it
// hands out at global scope. It is the same C struct.
using namespace burn;

namespace cd {

namespace {

constexpr int kJolietVolumeChars = 16;  // a Joliet volume id holds 16 UCS-2 characters

QString quoted(const Drive& drive) { return QLatin1Char('\'') + drive.name + QLatin1Char('\''); }

BurnResult failed(long code, const QString& text) { return {BurnResult::Failed, code, text}; }
BurnResult stopped() { return {BurnResult::Stopped, 0, {}}; }
BurnResult written() { return {BurnResult::Written, 0, {}}; }

// libburn and libisofs keep process-wide state; both start once, quietly (their messages are
// collected into our errors instead of going to stderr).
std::mutex g_libraryLock;
std::atomic<int> g_librariesForTests{-1};

bool startLibraries()
{
    static const bool started = [] {
        if (!burn_initialize())
            return false;
        burn_msgs_set_severities(const_cast<char*>("SORRY"), const_cast<char*>("NEVER"), const_cast<char*>("quillmere: "));
        if (iso_init() < 0)
            return false;
        iso_set_msgs_severities(const_cast<char*>("NEVER"), const_cast<char*>("NEVER"), const_cast<char*>("quillmere: "));
        iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
        return true;
    }();
    return started;
}

// The libburn messages queued since the last call, newest last, as one sentence.
QString libburnMessages()
{
    QStringList texts;
    int code = 0, osErrno = 0;
    char text[BURN_MSGS_MESSAGE_LEN];
    char severity[80];
    while (burn_msgs_obtain(const_cast<char*>("SORRY"), &code, text, &osErrno, severity) > 0) {
        const QString t = QString::fromLocal8Bit(text).trimmed();
        if (!t.isEmpty() && !texts.contains(t))
            texts << t;
    }
    return texts.join(QStringLiteral("; "));
}

// The drives a burn of this process has grabbed: queries answer "busy" for them rather than
// waiting for the burn to let go.
std::mutex g_busyLock;
QSet<QString> g_busyDrives;

class BusyMark {
public:
    explicit BusyMark(const QString& path) : m_path(path)
    {
        std::lock_guard<std::mutex> lock(g_busyLock);
        m_taken = !g_busyDrives.contains(path);
        if (m_taken)
            g_busyDrives.insert(path);
    }
    ~BusyMark()
    {
        if (m_taken) {
            std::lock_guard<std::mutex> lock(g_busyLock);
            g_busyDrives.remove(m_path);
        }
    }
    bool taken() const { return m_taken; }

private:
    QString m_path;
    bool m_taken = false;
};

bool driveBusy(const QString& path)
{
    std::lock_guard<std::mutex> lock(g_busyLock);
    return g_busyDrives.contains(path);
}

// The address libburn knows a device of the map by: device nodes, and anything under /dev
// (present or not, so a missing node is no writer rather than a file to create), as they are;
// any other path as a "stdio:" pseudo drive.
QByteArray libburnAddress(const QString& path)
{
    struct stat st {};
    const QByteArray local = QFile::encodeName(path);
    if (path.startsWith(QLatin1String("/dev/")) ||
        (::stat(local.constData(), &st) == 0 && (S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode))))
        return local;
    return QByteArrayLiteral("stdio:") + local;
}

// A grabbed libburn drive, released on every way out.
class Grab {
public:
    // `load`: close an open tray first; only a burn asks for that, a look at the disc never
    // moves the tray.
    explicit Grab(const QByteArray& address, bool load = false)
    {
        if (!startLibraries())
            return;
        std::lock_guard<std::mutex> lock(g_libraryLock);
        QByteArray adr = address;
        if (burn_drive_scan_and_grab(&m_infos, adr.data(), load ? 1 : 0) != 1 || !m_infos) {
            m_error = libburnMessages();
            m_infos = nullptr;
        }
    }
    ~Grab()
    {
        if (!m_infos)
            return;
        std::lock_guard<std::mutex> lock(g_libraryLock);
        burn_drive_release(m_infos[0].drive, 0);
        burn_drive_info_free(m_infos);
    }
    Grab(const Grab&) = delete;
    Grab& operator=(const Grab&) = delete;

    bool ok() const { return m_infos != nullptr; }
    burn_drive* drive() const { return m_infos[0].drive; }
    const burn_drive_info& info() const { return m_infos[0]; }
    QString error() const { return m_error; }

private:
    burn_drive_info* m_infos = nullptr;
    QString m_error;
};

bool canWrite(const Grab& g)
{
    if (burn_drive_get_drive_role(g.drive()) != 1)
        return burn_drive_get_drive_role(g.drive()) != 4;  // a read-only pseudo drive writes nothing
    const burn_drive_info& i = g.info();
    return i.write_cdr || i.write_cdrw || i.write_dvdr || i.write_dvdram;
}

bool isCdProfile(int profile) { return profile >= 0x08 && profile <= 0x0a; }

DiscFacts imageFacts(const Drive& drive, BurnKind kind)
{
    DiscFacts f;
    f.present = true;
    f.isCd = true;
    QString blocked;
    const ImageSlot slot = ImageSlotOf(drive, &blocked);
    f.blank = slot == ImageSlot::Empty;
    f.blankSectors = f.blank ? kBlankCdSectors : 0;
    const bool takes = (drive.kind == Drive::AudioImage) == (kind == BurnKind::Audio);
    if (slot == ImageSlot::Blocked)
        f.state = blocked;
    else if (!f.blank)
        f.state = QStringLiteral("The disc is not empty.");
    else if (!takes)
        f.state = kind == BurnKind::Audio ? QStringLiteral("This drive writes data discs only.")
                                          : QStringLiteral("This drive writes audio discs only.");
    return f;
}

DiscFacts deviceFacts(const Drive& drive, BurnKind kind)
{
    DiscFacts f;
    if (ImageSlotOf(drive, &f.state) == ImageSlot::Blocked)
        return f;
    if (driveBusy(drive.path)) {
        f.state = QStringLiteral("The drive is busy.");
        return f;
    }
    Grab g(libburnAddress(drive.path));
    if (!g.ok()) {
        f.state = QStringLiteral("The drive cannot be used.");
        return f;
    }
    int profile = 0;
    char profileName[80] = {};
    burn_disc_get_profile(g.drive(), &profile, profileName);
    const bool pseudo = burn_drive_get_drive_role(g.drive()) != 1;
    f.isCd = !pseudo && isCdProfile(profile);
    switch (burn_disc_get_status(g.drive())) {
    case BURN_DISC_BLANK: f.present = f.blank = true; break;
    case BURN_DISC_EMPTY: f.state = QStringLiteral("No disc."); break;
    case BURN_DISC_APPENDABLE:
    case BURN_DISC_FULL: f.present = true, f.state = QStringLiteral("The disc is not empty."); break;
    default: f.present = true, f.state = QStringLiteral("The disc cannot be written."); break;
    }
    if (f.blank) {
        f.blankSectors = int64_t(burn_disc_available_space(g.drive(), nullptr)) / kDataSectorBytes;
        if (kind == BurnKind::Audio && !f.isCd)
            f.state = QStringLiteral("The disc is not a CD for audio.");
    }
    burn_speed_descriptor* list = nullptr;
    if (burn_drive_get_speedlist(g.drive(), &list) > 0) {
        for (burn_speed_descriptor* s = list; s; s = s->next)
            if (s->write_speed > 0 && !f.writeSpeeds.contains(s->write_speed))
                f.writeSpeeds << s->write_speed;
        burn_drive_free_speedlist(&list);
    }
    std::sort(f.writeSpeeds.begin(), f.writeSpeeds.end());
    return f;
}

// A part file beside a target, created empty, removed unless kept. It is the jobs' own part
// file: it follows the umask as every other output does, and a burn killed by a signal leaves
// nothing behind.
class PartFile {
public:
    explicit PartFile(const QString& target)
    {
        m_ok = m_target.resolve(target, &m_error) && m_target.createPartFile(&m_error);
    }
    bool ok() const { return m_ok; }
    // Why it could not be made.
    const QString& error() const { return m_error; }
    const QString& path() const { return m_target.partFile(); }
    // Renames the part file over the target.
    bool commit() { return m_target.commit(nullptr); }
    // Puts the part file in place only where no file of that name is: one that appeared while
    // the burn ran is never replaced.
    bool commitNew() { return m_target.commitNew(nullptr); }

private:
    components::OutputTarget m_target;
    QString m_error;
    bool m_ok = false;
};

const engine::PcmFormat kCdFormat{44100, 2, 16};
constexpr int kFramesPerSector = 588;

// Decodes one file as a CD track into `out` (when given), padded with silence to a whole sector.
// Returns the sectors written, or -1 (stopped: `*wasStopped`), also for a file that decodes to
// less audio than it claims.
int64_t decodeTrack(const QString& file, QFile* out, int64_t expectedFrames,
                    const std::function<void(int)>& progress, const std::atomic<bool>& stop, bool* wasStopped,
                    QString* error)
{
    *wasStopped = false;
    std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(file, error);
    if (!reader || !reader->setOutputFormat(kCdFormat, error))
        return -1;
    std::vector<uint8_t> buffer(size_t(kFramesPerSector) * 64 * 4);
    int64_t frames = 0;
    int lastPercent = -1;
    for (;;) {
        if (stop.load()) {
            *wasStopped = true;
            return -1;
        }
        const int64_t n = reader->read(buffer.data(), kFramesPerSector * 64, error);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        if (out && out->write(reinterpret_cast<const char*>(buffer.data()), n * 4) != n * 4) {
            *error = QStringLiteral("The disc image cannot be written: ") + out->errorString();
            return -1;
        }
        frames += n;
        const int percent = expectedFrames > 0 ? int(std::min<int64_t>(99, frames * 100 / expectedFrames)) : 0;
        if (percent != lastPercent && progress) {
            progress(percent);
            lastPercent = percent;
        }
    }
    const QString shortfall = engine::shortDecodeError(file, reader->info(), kCdFormat.sampleRate, 0, -1, frames);
    if (!shortfall.isEmpty()) {
        *error = shortfall;
        return -1;
    }
    const int64_t pad = (kFramesPerSector - frames % kFramesPerSector) % kFramesPerSector;
    if (pad > 0 && out) {
        const QByteArray silence(int(pad * 4), '\0');
        if (out->write(silence) != silence.size()) {
            *error = QStringLiteral("The disc image cannot be written: ") + out->errorString();
            return -1;
        }
    }
    if (progress)
        progress(100);
    return (frames + pad) / kFramesPerSector;
}

BurnResult burnAudioImage(const Drive& drive, const QStringList& files, const QList<int64_t>& estimates,
                          const BurnCallbacks& cb, const std::atomic<bool>& stop)
{
    const QString binTarget = ImageDataFile(drive);
    PartFile bin(binTarget);
    QFile out(bin.path());
    if (!bin.ok() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failed(errCannotWrite, QStringLiteral("The disc image cannot be written beside ") + drive.path + QStringLiteral(": ") +
                                          (bin.ok() ? out.errorString() : bin.error()));

    QList<int64_t> firsts;
    int64_t sector = 0;
    for (int i = 0; i < files.size(); ++i) {
        const int track = i + 1;
        if (cb.cachingTrack)
            cb.cachingTrack(track);
        if (cb.writingTrack)
            cb.writingTrack(track);
        bool wasStopped = false;
        QString error;
        const int64_t sectors = decodeTrack(
            files.at(i), &out, estimates.value(i) * kFramesPerSector,
            [&](int percent) {
                if (cb.trackProgress)
                    cb.trackProgress(percent, track);
                if (cb.totalProgress)
                    cb.totalProgress(int((i * 100 + percent) / files.size()));
            },
            stop, &wasStopped, &error);
        if (wasStopped)
            return stopped();
        if (sectors < 0)
            return failed(errInputUnreadable, error);
        firsts << sector;
        sector += sectors;
        if (sector > kBlankCdSectors)
            return failed(errDoesNotFit, QStringLiteral("The tracks do not fit on the disc in the drive ") + quoted(drive) + QLatin1Char('.'));
        if (cb.closingTrack)
            cb.closingTrack(track);
    }
    if (cb.closingSession)
        cb.closingSession();
    if (!out.flush() || ::fsync(out.handle()) != 0) {
        return failed(errCannotWrite, QStringLiteral("The disc image cannot be written: ") + out.errorString());
    }
    out.close();

    QString cue = QStringLiteral("FILE \"%1\" BINARY\n").arg(QFileInfo(binTarget).fileName());
    for (int i = 0; i < firsts.size(); ++i) {
        cue += QStringLiteral("  TRACK %1 AUDIO\n").arg(i + 1, 2, 10, QLatin1Char('0'));
        cue += QStringLiteral("    INDEX 01 %1\n").arg(MsfText(firsts.at(i)));
    }
    if (stop.load())
        return stopped();
    // The BIN goes into place first: the disc is there once the cue sheet is.
    if (!bin.commitNew())
        return failed(errCannotWrite, QStringLiteral("The disc image cannot be put in place: ") + binTarget +
                                          (QFileInfo::exists(binTarget) ? QStringLiteral(" already exists.") : QString()));
    // The drive's own file: nobody was asked about a link there that leads elsewhere.
    if (platform::LinkAtPath(drive.path) == platform::LinkAt::Elsewhere) {
        QFile::remove(binTarget);
        return failed(errCannotWrite, platform::LinkRefusal(drive.path));
    }
    QSaveFile sheet(drive.path);
    if (!sheet.open(QIODevice::WriteOnly) || sheet.write(cue.toUtf8()) < 0 || !sheet.commit()) {
        QFile::remove(binTarget);
        return failed(errCannotWrite, QStringLiteral("The disc image cannot be written: ") + drive.path);
    }
    // The disc is written only when the program's own reader finds in it what was burned.
    CueSheet back;
    QString why;
    bool same = ReadCueSheet(drive.path, &back, &why);
    if (same) {
        same = back.tracks.size() == firsts.size() && back.leadOut == sector &&
               QFileInfo(back.dataPath).canonicalFilePath() == QFileInfo(binTarget).canonicalFilePath();
        for (int i = 0; same && i < firsts.size(); ++i)
            same = back.tracks.at(i).audio && back.tracks.at(i).firstSector == firsts.at(i);
        if (!same)
            why = QStringLiteral("it holds other tracks than were burned.");
    }
    if (!same) {
        QFile::remove(drive.path);
        QFile::remove(binTarget);
        return failed(errCannotWrite, QStringLiteral("The disc image %1 does not read back, so it was removed: %2").arg(drive.path, why));
    }
    return written();
}

// Waits for a libburn write to end, reporting progress; cancels it when asked to stop.
struct WriteOutcome {
    bool cancelled = false;
    bool wroteWell = false;
};

WriteOutcome followWrite(burn_drive* d, const BurnCallbacks& cb, const std::atomic<bool>& stop, bool perTrack)
{
    WriteOutcome o;
    burn_progress p {};
    int lastTrack = -1, lastPercent = -1;
    bool closing = false;
    for (;;) {
        const burn_drive_status s = burn_drive_get_status(d, &p);
        if (s == BURN_DRIVE_IDLE)
            break;
        if (stop.load() && !o.cancelled) {
            burn_drive_cancel(d);
            o.cancelled = true;
        }
        if (s == BURN_DRIVE_WRITING && p.sectors > 0) {
            const int track = p.track + 1;
            if (perTrack && track != lastTrack) {
                if (lastTrack > 0 && cb.closingTrack)
                    cb.closingTrack(lastTrack);
                if (cb.writingTrack)
                    cb.writingTrack(track);
                lastTrack = track;
                lastPercent = -1;
            }
            const int percent = int(std::min<int64_t>(100, int64_t(p.sector) * 100 / p.sectors));
            if (percent != lastPercent) {
                lastPercent = percent;
                if (cb.trackProgress)
                    cb.trackProgress(percent, std::max(track, 1));
                if (cb.totalProgress)
                    cb.totalProgress(perTrack && p.tracks > 0 ? (p.track * 100 + percent) / p.tracks : percent);
            }
        }
        if ((s == BURN_DRIVE_CLOSING_SESSION || s == BURN_DRIVE_WRITING_LEADOUT) && !closing) {
            closing = true;
            if (perTrack && lastTrack > 0 && cb.closingTrack)
                cb.closingTrack(lastTrack);
            if (cb.closingSession)
                cb.closingSession();
        }
        QThread::msleep(50);
    }
    if (!closing && !o.cancelled && cb.closingSession)
        cb.closingSession();
    o.wroteWell = burn_drive_wrote_well(d);
    return o;
}

// Everything libburn needs for one session, freed on every way out.
struct Session {
    burn_disc* disc = burn_disc_create();
    burn_session* session = burn_session_create();
    std::vector<burn_track*> tracks;
    std::vector<burn::burn_source*> sources;
    burn_write_opts* opts = nullptr;

    Session() { burn_disc_add_session(disc, session, BURN_POS_END); }
    ~Session()
    {
        if (opts)
            burn_write_opts_free(opts);
        for (burn::burn_source* s : sources)
            burn_source_free(s);
        for (burn_track* t : tracks)
            burn_track_free(t);
        burn_session_free(session);
        burn_disc_free(disc);
    }
    void add(int mode, burn::burn_source* source)
    {
        burn_track* t = burn_track_create();
        burn_track_define_data(t, 0, 0, 1, mode);
        burn_track_set_source(t, source);
        burn_session_add_track(session, t, BURN_POS_END);
        tracks.push_back(t);
        sources.push_back(source);
    }
};

// Checks the set-up with libburn and writes it; the drive is grabbed already.
BurnResult writeSession(const Drive& drive, burn_drive* d, Session& s, bool closeDisc, int speedKbs,
                        const BurnCallbacks& cb, const std::atomic<bool>& stop, bool perTrack)
{
    s.opts = burn_write_opts_new(d);
    if (!s.opts)
        return failed(errCannotWrite, QStringLiteral("The drive ") + quoted(drive) + QStringLiteral(" cannot be written."));
    burn_write_opts_set_perform_opc(s.opts, 0);
    burn_write_opts_set_multi(s.opts, closeDisc ? 0 : 1);
    burn_write_opts_set_underrun_proof(s.opts, 1);
    char reasons[BURN_REASONS_LEN] = {};
    if (burn_precheck_write(s.opts, s.disc, reasons, 1) <= 0 ||
        burn_write_opts_auto_write_type(s.opts, s.disc, reasons, 0) == BURN_WRITE_NONE) {
        QString why = QString::fromLocal8Bit(reasons).simplified();
        while (why.endsWith(QLatin1Char(',')) || why.endsWith(QLatin1Char(';')))
            why.chop(1);
        if (why.isEmpty())
            why = libburnMessages();
        return failed(errCannotWrite, QStringLiteral("The drive ") + quoted(drive) + QStringLiteral(" refuses the burn: ") + why);
    }
    burn_drive_set_speed(d, 0, speedKbs <= 0 || speedKbs >= 65535 ? 0 : speedKbs);
    libburnMessages();  // forget what the checks queued
    if (cb.starting)
        cb.starting();
    // A write refused at once leaves the drive idle with a message and an earlier "wrote well"
    // standing. The usual cause is the worker of the drive's previous burn, which leaves the
    // library's list a moment after the drive went idle: that one is waited for.
    for (int attempt = 0;; ++attempt) {
        burn_disc_write(s.opts, s.disc);
        if (burn_drive_get_status(d, nullptr) != BURN_DRIVE_IDLE)
            break;
        const QString why = libburnMessages();
        if (why.isEmpty())
            break;
        if (attempt >= 100 || stop.load())
            return failed(errCannotWrite, QStringLiteral("The disc in the drive ") + quoted(drive) + QStringLiteral(" was not written: ") + why);
        QThread::msleep(50);
    }
    const WriteOutcome o = followWrite(d, cb, stop, perTrack);
    if (o.cancelled)
        return stopped();
    if (!o.wroteWell) {
        QString why = libburnMessages();
        if (why.isEmpty())
            why = QStringLiteral("the write failed");
        return failed(errCannotWrite, QStringLiteral("The disc in the drive ") + quoted(drive) + QStringLiteral(" was not written: ") + why);
    }
    return written();
}

BurnResult burnAudioDevice(const Drive& drive, const QStringList& files, int speedKbs, const BurnCallbacks& cb,
                           const std::atomic<bool>& stop)
{
    // Tracks are decoded first: a drive must be fed at its own pace, which no decoder promises.
    QTemporaryDir cache;
    if (!cache.isValid())
        return failed(errCannotWrite, QStringLiteral("No room for the decoded tracks: ") + cache.errorString());
    QStringList raws;
    for (int i = 0; i < files.size(); ++i) {
        if (cb.cachingTrack)
            cb.cachingTrack(i + 1);
        const QString raw = cache.filePath(QStringLiteral("track%1.pcm").arg(i + 1));
        QFile out(raw);
        if (!out.open(QIODevice::WriteOnly))
            return failed(errCannotWrite, QStringLiteral("No room for the decoded tracks: ") + out.errorString());
        bool wasStopped = false;
        QString error;
        if (decodeTrack(files.at(i), &out, 0, {}, stop, &wasStopped, &error) < 0)
            return wasStopped ? stopped() : failed(errInputUnreadable, error);
        raws << raw;
    }

    BusyMark busy(drive.path);
    if (!busy.taken())
        return failed(errBusy, QStringLiteral("The drive ") + quoted(drive) + QStringLiteral(" is busy."));
    Grab g(libburnAddress(drive.path), true);
    if (!g.ok())
        return failed(errNoWriter, QStringLiteral("The drive ") + quoted(drive) + QStringLiteral(" cannot be used: ") + g.error());
    if (burn_disc_get_status(g.drive()) != BURN_DISC_BLANK)
        return failed(errCannotWrite, QStringLiteral("The disc in the drive ") + quoted(drive) + QStringLiteral(" is not empty."));
    int64_t total = 0;
    for (const QString& raw : raws)
        total += QFileInfo(raw).size() / 2352;
    const int64_t room = int64_t(burn_disc_available_space(g.drive(), nullptr)) / kDataSectorBytes;
    if (room > 0 && total > room)
        return failed(errDoesNotFit, QStringLiteral("The tracks do not fit on the disc in the drive ") + quoted(drive) + QLatin1Char('.'));

    Session s;
    for (const QString& raw : raws) {
        burn::burn_source* src = burn_file_source_new(QFile::encodeName(raw).constData(), nullptr);
        if (!src)
            return failed(errInputUnreadable, QStringLiteral("A decoded track cannot be read back: ") + raw);
        s.add(BURN_AUDIO, src);
    }
    return writeSession(drive, g.drive(), s, true, speedKbs, cb, stop, true);
}

// The libisofs image of the files, as a source libburn reads.
struct Image {
    IsoImage* image = nullptr;
    IsoWriteOpts* opts = nullptr;
    ~Image()
    {
        if (opts)
            iso_write_opts_free(opts);
        if (image)
            iso_image_unref(image);
    }
};

QString isoError(int code)
{
    const char* m = iso_error_to_msg(code);
    return m ? QString::fromLocal8Bit(m) : QStringLiteral("error %1").arg(code);
}

// Where an image's bytes come from, opened once the drive is grabbed and holds a blank disc.
class ImageFeed {
public:
    virtual ~ImageFeed() = default;
    // A source of the whole image, its size known; null with the reason.
    virtual burn::burn_source* open(QString* error) = 0;
    // After a write that went well: whether whatever made the bytes ended well too.
    virtual bool endedWell(QString* error)
    {
        Q_UNUSED(error);
        return true;
    }
    // After a write that did not go well.
    virtual void drop() {}
};

// A burn_source of ours: libburn reads it sector by sector and frees it with burn_source_free.
struct OwnSource {
    std::function<int(unsigned char*, int)> read;
    std::function<off_t()> size;
    std::function<void()> cancel;
    std::function<void()> release;
    off_t fixedSize = -1;
};

burn::burn_source* makeSource(OwnSource* own)
{
    auto* s = static_cast<burn::burn_source*>(std::calloc(1, sizeof(burn::burn_source)));
    s->refcount = 1;
    s->version = 1;
    s->data = own;
    s->read_xt = [](burn::burn_source* self, unsigned char* buffer, int size) {
        return static_cast<OwnSource*>(self->data)->read(buffer, size);
    };
    s->get_size = [](burn::burn_source* self) {
        auto* o = static_cast<OwnSource*>(self->data);
        return o->fixedSize >= 0 ? o->fixedSize : o->size();
    };
    s->set_size = [](burn::burn_source* self, off_t size) {
        static_cast<OwnSource*>(self->data)->fixedSize = size;
        return 1;
    };
    s->free_data = [](burn::burn_source* self) {
        auto* o = static_cast<OwnSource*>(self->data);
        if (o->release)
            o->release();
        delete o;
    };
    s->cancel = [](burn::burn_source* self) {
        auto* o = static_cast<OwnSource*>(self->data);
        if (o->cancel)
            o->cancel();
        return 1;
    };
    return s;
}

// Passes `inner` on unchanged and lets `names` read the Joliet root folder as it goes by.
burn::burn_source* watchNames(burn::burn_source* inner, JolietRootReader* names)
{
    auto* own = new OwnSource;
    own->read = [inner, names](unsigned char* buffer, int size) {
        const int n = inner->read ? inner->read(inner, buffer, size) : inner->read_xt(inner, buffer, size);
        if (n > 0)
            names->feed(buffer, n);
        return n;
    };
    own->size = [inner] { return inner->get_size(inner); };
    own->cancel = [inner] {
        if (inner->version >= 1 && inner->cancel)
            inner->cancel(inner);
    };
    own->release = [inner] { burn_source_free(inner); };
    return makeSource(own);
}

// The image libisofs makes of a prepared tree.
class LibraryFeed final : public ImageFeed {
public:
    LibraryFeed(IsoImage* image, IsoWriteOpts* opts) : m_image(image), m_opts(opts) {}
    burn::burn_source* open(QString* error) override
    {
        ::burn_source* source = nullptr;
        std::lock_guard<std::mutex> lock(g_libraryLock);
        const int r = iso_image_create_burn_source(m_image, m_opts, &source);
        if (r < 0 || !source) {
            *error = isoError(r);
            return nullptr;
        }
        return reinterpret_cast<burn::burn_source*>(source);
    }

private:
    IsoImage* m_image;
    IsoWriteOpts* m_opts;
};

// The image the disc-mastering tool writes into a pipe.
class ToolFeed final : public ImageFeed {
public:
    ToolFeed(const QStringList& args, const std::atomic<bool>& stop) : m_args(args), m_stop(stop) {}
    burn::burn_source* open(QString* error) override
    {
        const qint64 bytes = MasteringTool::ImageBytes(m_args, error);
        if (bytes < 0 || !m_tool.Start(m_args, error))
            return nullptr;
        m_bytes = bytes;
        auto* own = new OwnSource;
        // A stopped burn reads no further, so a tool that stalls cannot hold it up.
        own->read = [this](unsigned char* buffer, int size) {
            const int n = m_stop.load() ? -1 : m_tool.Read(buffer, size);
            if (n > 0)
                m_delivered += n;
            return n;
        };
        own->size = [bytes] { return off_t(bytes); };
        return makeSource(own);
    }
    bool endedWell(QString* error) override
    {
        if (!m_tool.Finish(error))
            return false;
        // The drive pads a short track; an image short of what the tool promised is no disc.
        if (m_delivered < m_bytes) {
            *error = QStringLiteral("the disc-mastering tool %1 wrote %2 of the image's %3 bytes.")
                         .arg(MasteringTool::Program()).arg(qint64(m_delivered)).arg(m_bytes);
            return false;
        }
        return true;
    }
    void drop() override { m_tool.Kill(); }

private:
    QStringList m_args;
    const std::atomic<bool>& m_stop;
    MasteringTool m_tool;
    qint64 m_bytes = 0;
    std::atomic<qint64> m_delivered{0};  // read on the drive's thread
};

// Grabs the drive, checks its disc and writes the image to it; `names` sees its bytes go by.
BurnResult burnImage(const Drive& drive, const QByteArray& address, ImageFeed& feed, JolietRootReader* names,
                     const DataImageSpec& spec, const BurnCallbacks& cb, const std::atomic<bool>& stop)
{
    Grab g(address, true);
    if (!g.ok())
        return failed(errNoWriter, QStringLiteral("The drive ") + quoted(drive) + QStringLiteral(" cannot be used: ") + g.error());
    if (burn_disc_get_status(g.drive()) != BURN_DISC_BLANK)
        return failed(errCannotWrite, QStringLiteral("The disc in the drive ") + quoted(drive) + QStringLiteral(" is not empty."));
    int profile = 0;
    char profileName[80] = {};
    burn_disc_get_profile(g.drive(), &profile, profileName);
    const bool image = drive.kind == Drive::DataImage;
    if (spec.cdOnly && !image && !isCdProfile(profile))
        return failed(errWrongKind, QStringLiteral("The disc in the drive ") + quoted(drive) + QStringLiteral(" is not a CD."));

    QString why;
    burn::burn_source* made = feed.open(&why);
    if (!made) {
        feed.drop();
        return failed(errCannotWrite, QStringLiteral("The disc image cannot be made: ") + why);
    }
    burn::burn_source* src = watchNames(made, names);
    const int64_t sectors = (src->get_size(src) + kDataSectorBytes - 1) / kDataSectorBytes;
    const int64_t room = image ? kBlankCdSectors : int64_t(burn_disc_available_space(g.drive(), nullptr)) / kDataSectorBytes;
    if (room > 0 && sectors > room) {
        src->cancel(src);
        burn_source_free(src);
        feed.drop();
        return failed(errDoesNotFit, QStringLiteral("The files do not fit on the disc in the drive ") + quoted(drive) + QLatin1Char('.'));
    }
    Session s;
    s.add(BURN_MODE1, src);
    BurnResult r = writeSession(drive, g.drive(), s, spec.closeDisc, spec.speedKbs, cb, stop, false);
    if (r.outcome != BurnResult::Written) {
        src->cancel(src);
        feed.drop();
        // A stop ends the tool's feed at once, which the drive may take for a failed write.
        return stop.load() ? stopped() : r;
    }
    // The drive took every byte it was promised; whatever made them must have ended well too,
    // or the image is short of what it should hold.
    if (!feed.endedWell(&why))
        return failed(errCannotWrite, QStringLiteral("The disc in the drive %1 was not written: %2").arg(quoted(drive), why));
    // An image must hold every sector of the file system, whatever the library said.
    if (image) {
        const int64_t held = QFileInfo(QFile::decodeName(address.mid(6))).size() / kDataSectorBytes;
        if (held < sectors)
            return failed(errCannotWrite, QStringLiteral("The disc in the drive %1 was not written: the image holds %2 of its %3 sectors. %4")
                                              .arg(quoted(drive)).arg(held).arg(sectors).arg(libburnMessages()).trimmed());
    }
    return r;
}


// Says where the volume name could not be written as it stands. `eachTree`: every reader sees
// the names given (the mastering tool's); else readers of Joliet names see only the Joliet one.
void noteVolume(const DataImageSpec& spec, const QString& joliet, const QString& others, bool eachTree, const BurnCallbacks& cb)
{
    const bool jolietWhole = spec.joliet && joliet == spec.volumeName;
    const bool othersWhole = others == spec.volumeName;
    const bool say = eachTree ? !othersWhole || (spec.joliet && !jolietWhole) : !othersWhole && !jolietWhole;
    if (!cb.notice || !say)
        return;
    cb.notice(spec.joliet ? QStringLiteral("The volume name '%1' is longer than a disc's volume name can be: "
                                           "readers of Joliet names see '%2', others '%3'.")
                                .arg(spec.volumeName, joliet, others)
                          : QStringLiteral("The volume name '%1' is written as '%2'.").arg(spec.volumeName, others));
}

// The volume name the mastering tool writes into every tree: 32 bytes at most, whole
// characters, none it cannot encode.
QString toolVolumeName(const QString& volumeName)
{
    QString name;
    for (const QChar c : JolietCharacters(volumeName)) {
        if ((name + c).toUtf8().size() > 32)
            break;
        name += c;
    }
    return name;
}

// A graft point's half: "\" and "=" are the tool's own there.
QString graftEscaped(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('='), QStringLiteral("\\="));
    return text;
}

// The mastering tool's arguments for an image of ISO 9660 (which it always writes), Joliet when
// asked, and UDF, every file at the root under its disc name.
QStringList toolArguments(const DataImageSpec& spec, const QString& volume, const QStringList& discNames)
{
    QStringList args{QStringLiteral("-input-charset"), QStringLiteral("utf-8"), QStringLiteral("-iso-level"), QStringLiteral("2"),
                     QStringLiteral("-follow-links"), QStringLiteral("-graft-points"), QStringLiteral("-udf"),
                     QStringLiteral("-V"), volume};
    if (spec.joliet)
        args << QStringLiteral("-R") << QStringLiteral("-J") << QStringLiteral("-joliet-long");
    if (!spec.applicationId.isEmpty())
        args << QStringLiteral("-A") << spec.applicationId.left(128);
    if (!spec.publisherId.isEmpty())
        args << QStringLiteral("-publisher") << spec.publisherId.left(128);
    for (int i = 0; i < spec.files.size(); ++i)
        args << QLatin1Char('/') + graftEscaped(discNames.at(i)) + QLatin1Char('=') +
                    graftEscaped(QFileInfo(spec.files.at(i)).absoluteFilePath());
    return args;
}

// The Joliet names of the files, in the order of the list, from the image's root folder; "" where
// one is not known. The files' data lie in the order of the list, so the n-th extent is the n-th
// file's.
QStringList namesInListOrder(const QStringList& files, const QList<DiscEntry>& root)
{
    QList<DiscEntry> entries;
    for (const DiscEntry& e : root)
        if (!e.folder)
            entries << e;
    std::stable_sort(entries.begin(), entries.end(), [](const DiscEntry& a, const DiscEntry& b) { return a.sector < b.sector; });
    QStringList out;
    bool inOrder = entries.size() == files.size();
    for (int i = 0; inOrder && i < files.size(); ++i)
        inOrder = entries.at(i).bytes == QFileInfo(files.at(i)).size();
    if (inOrder) {
        for (const DiscEntry& e : entries)
            out << e.name;
        return out;
    }
    // Empty files share their place: such a list is matched by the names files would have
    // alone on a disc, where the image holds them.
    QSet<QString> held;
    for (const DiscEntry& e : entries)
        held.insert(e.name);
    for (const QString& f : files) {
        const QString alone = JolietName(QFileInfo(f).fileName());
        out << (held.contains(alone) ? alone : QString());
    }
    return out;
}

// Puts every file of the list on the disc in turn: a stop ends the round, the caller hears of
// each file, and a file that cannot be read is refused before anything is written. `put` adds
// file i and answers a refusal, or nothing.
std::optional<BurnResult> putEachFile(const DataImageSpec& spec, const BurnCallbacks& cb, const std::atomic<bool>& stop,
                                      const std::function<std::optional<BurnResult>(int, const QFileInfo&)>& put)
{
    for (int i = 0; i < spec.files.size(); ++i) {
        const QString& f = spec.files.at(i);
        if (stop.load())
            return stopped();
        if (cb.adding)
            cb.adding(f);
        const QFileInfo fi(f);
        if (!fi.isFile() || !fi.isReadable())
            return failed(errInputUnreadable, QStringLiteral("The file cannot be read: ") + f);
        if (std::optional<BurnResult> refused = put(i, fi))
            return refused;
    }
    return std::nullopt;
}

// The mastering tool's image (UDF). Its names are this program's choice, made before the burn,
// so two files of one name are refused here.
std::optional<BurnResult> toolFeed(const DataImageSpec& spec, const QStringList& names, const BurnCallbacks& cb,
                                   const std::atomic<bool>& stop, QStringList* discNames, std::unique_ptr<ImageFeed>* feed)
{
    const QString volume = toolVolumeName(spec.volumeName);
    noteVolume(spec, volume.left(kJolietVolumeChars), volume, true, cb);
    QStringList seen;
    const std::optional<BurnResult> refused = putEachFile(spec, cb, stop, [&](int i, const QFileInfo&) -> std::optional<BurnResult> {
        if (seen.contains(names.at(i)))
            return failed(errInputUnreadable, QStringLiteral("The file ") + spec.files.at(i) +
                                                  QStringLiteral(" cannot be put on the disc: another file of that name is on it."));
        seen << names.at(i);
        return std::nullopt;
    });
    if (refused)
        return refused;
    *discNames = MasteringToolNames(names, spec.joliet);
    *feed = std::make_unique<ToolFeed>(toolArguments(spec, volume, *discNames), stop);
    return std::nullopt;
}

// The library's image: a tree of the files in `img`, which must outlive the feed.
std::optional<BurnResult> libraryFeed(const DataImageSpec& spec, const QStringList& names, const BurnCallbacks& cb,
                                      const std::atomic<bool>& stop, Image& img, std::unique_ptr<ImageFeed>* feed)
{
    std::lock_guard<std::mutex> lock(g_libraryLock);
    const QByteArray volume = spec.volumeName.toUtf8();
    const int made = iso_image_new(volume.constData(), &img.image);
    if (made < 0)
        return failed(errCannotWrite, QStringLiteral("The disc image cannot be made: ") + isoError(made));
    iso_image_set_volume_id(img.image, volume.constData());
    noteVolume(spec, spec.volumeName.left(kJolietVolumeChars), IsoVolumeId(spec.volumeName), false, cb);
    iso_image_set_application_id(img.image, spec.applicationId.toUtf8().constData());
    iso_image_set_publisher_id(img.image, spec.publisherId.toUtf8().constData());
    iso_tree_set_follow_symlinks(img.image, 1);
    // The library cuts a long Joliet name a character later than the mastering tool can:
    // such a file gets a twin of the same data that only the Joliet tree shows, under the
    // name both engines give it.
    const QStringList joliet = spec.joliet ? MasteringToolNames(names, true) : QStringList();
    const std::optional<BurnResult> refused = putEachFile(spec, cb, stop, [&](int i, const QFileInfo& fi) -> std::optional<BurnResult> {
        IsoNode* node = nullptr;
        const int r = iso_tree_add_node(img.image, iso_image_get_root(img.image), QFile::encodeName(fi.absoluteFilePath()).constData(), &node);
        if (r < 0)
            return failed(errInputUnreadable, QStringLiteral("The file ") + spec.files.at(i) + QStringLiteral(" cannot be put on the disc: ") + isoError(r));
        // The files' data follow the order of the list, which tells the image's names apart
        // when it is read back.
        iso_node_set_sort_weight(node, int(spec.files.size() - i));
        if (!joliet.isEmpty() && joliet.at(i) != JolietCharacters(names.at(i))) {
            IsoNode* twin = nullptr;
            const int t = iso_tree_add_new_node(img.image, iso_image_get_root(img.image), joliet.at(i).toUtf8().constData(),
                                                QFile::encodeName(fi.absoluteFilePath()).constData(), &twin);
            if (t < 0)
                return failed(errInputUnreadable, QStringLiteral("The file ") + spec.files.at(i) + QStringLiteral(" cannot be put on the disc: ") + isoError(t));
            iso_node_set_hidden(node, LIBISO_HIDE_ON_JOLIET);
            iso_node_set_hidden(twin, LIBISO_HIDE_ON_RR | LIBISO_HIDE_ON_1999);
            iso_node_set_sort_weight(twin, int(spec.files.size() - i));
        }
        return std::nullopt;
    });
    if (refused)
        return refused;
    iso_write_opts_new(&img.opts, 0);
    iso_write_opts_set_iso_level(img.opts, 2);
    // Joliet names of up to 103 characters and Rock Ridge beside them: Linux readers take
    // the Rock Ridge names, which keep every name whole.
    iso_write_opts_set_rockridge(img.opts, spec.joliet ? 1 : 0);
    iso_write_opts_set_joliet(img.opts, spec.joliet ? 1 : 0);
    iso_write_opts_set_joliet_long_names(img.opts, 1);
    iso_write_opts_set_joliet_longer_paths(img.opts, 1);
    iso_write_opts_set_output_charset(img.opts, "UTF-8");
    iso_write_opts_set_sort_files(img.opts, 1);
    *feed = std::make_unique<LibraryFeed>(img.image, img.opts);
    return std::nullopt;
}

// Tells of every file the disc holds under another name than its own, as readers see it.
void noteDiscNames(const DataImageSpec& spec, const QStringList& names, QStringList discNames, const JolietRootReader& written,
                   const BurnCallbacks& cb)
{
    if (spec.udf) {
        // The tool writes the names it is given; where its Joliet tree holds a name cut
        // further, that is the name readers see.
        QList<DiscEntry> root;
        if (spec.joliet && written.entries(&root)) {
            for (QString& given : discNames) {
                QString held;
                for (const DiscEntry& e : root)
                    if (!e.folder && given.startsWith(e.name) && e.name.size() > held.size())
                        held = e.name;
                if (!held.isEmpty())
                    given = held;
            }
        }
        for (int i = 0; i < names.size(); ++i)
            if (discNames.at(i) != names.at(i))
                cb.notice(NameNotice(names.at(i), discNames.at(i), spec.joliet ? QStringLiteral("Joliet") : QStringLiteral("UDF"), false));
    } else if (spec.joliet) {
        QList<DiscEntry> root;
        written.entries(&root);
        const QStringList joliet = namesInListOrder(spec.files, root);
        for (int i = 0; i < names.size(); ++i)
            if (!joliet.at(i).isEmpty() && joliet.at(i) != names.at(i))
                cb.notice(NameNotice(names.at(i), joliet.at(i), QStringLiteral("Joliet"), true));
    }
}

}  // namespace

QString JolietName(const QString& name) { return JolietCut(JolietCharacters(name)); }

QString IsoVolumeId(const QString& volumeName)
{
    // One character for each character of the name: a whole-string upper case would turn "ß"
    // into "SS", which the mastering library does not.
    QString id;
    for (const char32_t c : volumeName.toUcs4()) {
        if (id.size() == 32)
            break;
        const bool lower = c >= U'a' && c <= U'z';
        const bool kept = (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') || c == U'_';
        id += lower ? QChar(char16_t(c - U'a' + U'A')) : kept ? QChar(char16_t(c)) : QChar(u'_');
    }
    return id;
}

QList<Drive> ListWriters()
{
    QList<Drive> writers;
    for (const Drive& d : ListDrives()) {
        if (d.kind != Drive::Device) {
            writers << d;
            continue;
        }
        if (driveBusy(d.path)) {
            writers << d;
            continue;
        }
        Grab g(libburnAddress(d.path));
        if (g.ok() && canWrite(g))
            writers << d;
    }
    return writers;
}

bool FindWriter(const QString& letter, Drive* drive)
{
    const QString wanted = letter.left(1);
    if (wanted.isEmpty())
        return false;
    for (const Drive& d : ListWriters()) {
        if (d.letter.left(1).compare(wanted, Qt::CaseInsensitive) == 0) {
            if (drive)
                *drive = d;
            return true;
        }
    }
    return false;
}

DiscFacts QueryDisc(const Drive& drive, BurnKind kind)
{
    return drive.kind == Drive::Device ? deviceFacts(drive, kind) : imageFacts(drive, kind);
}

QString DriveRootFolder(const Drive& drive)
{
    if (drive.kind != Drive::Device)
        return QFileInfo(drive.path).absolutePath();
    const QString node = QFileInfo(drive.path).canonicalFilePath();
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    if (node.isEmpty() || !mounts.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 2)
            continue;
        // The table escapes blanks and other specials as three octal digits.
        auto unescape = [](const QByteArray& f) {
            QByteArray out;
            for (int i = 0; i < f.size(); ++i) {
                if (f.at(i) == '\\' && i + 3 < f.size()) {
                    out += char(f.mid(i + 1, 3).toInt(nullptr, 8));
                    i += 3;
                } else {
                    out += f.at(i);
                }
            }
            return QFile::decodeName(out);
        };
        if (QFileInfo(unescape(fields.at(0))).canonicalFilePath() == node)
            return unescape(fields.at(1));
    }
    return {};
}

bool MasteringLibrariesStart()
{
    const int forced = g_librariesForTests.load();
    if (forced >= 0)
        return forced == 1;
    return startLibraries();
}

void SetMasteringLibrariesStartForTests(int answer) { g_librariesForTests.store(answer); }

int64_t AudioTrackSectors(const QString& file, QString* error, bool* estimated)
{
    std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(file, error);
    if (!reader)
        return -1;
    const engine::SourceInfo& i = reader->info();
    if (estimated)
        *estimated = !i.lengthExact && i.vouchesForLength();
    const int64_t rate = i.format.sampleRate > 0 ? i.format.sampleRate : 44100;
    const int64_t frames = (i.totalFrames * 44100 + rate - 1) / rate;
    return (frames + kFramesPerSector - 1) / kFramesPerSector;
}

BurnResult BurnAudio(const Drive& drive, const QStringList& files, int speedKbs, const BurnCallbacks& cb,
                     const std::atomic<bool>& stop)
{
    if (files.isEmpty())
        return failed(errNothingToBurn, QStringLiteral("There are no tracks to burn."));
    if (drive.kind == Drive::DataImage)
        return failed(errWrongKind, QStringLiteral("The drive ") + quoted(drive) + QStringLiteral(" writes data discs only; audio cannot be burned to it."));
    if (files.size() > kMaxAudioTracks)
        return failed(errDoesNotFit, QStringLiteral("An audio CD holds at most %1 tracks; %2 were given.").arg(kMaxAudioTracks).arg(files.size()));

    // Whether the list fits is known before anything is written.
    QList<int64_t> estimates;
    int64_t total = 0;
    for (const QString& f : files) {
        QString error;
        bool estimated = false;
        int64_t sectors = AudioTrackSectors(f, &error, &estimated);
        if (sectors < 0)
            return failed(errInputUnreadable, error);
        // A length its header only estimates is settled by decoding the file now: one that holds
        // less audio than it claims is refused before anything is written, and the fit is
        // reckoned with the sectors the track really takes.
        if (estimated && sectors > 0) {
            bool wasStopped = false;
            sectors = decodeTrack(f, nullptr, 0, {}, stop, &wasStopped, &error);
            if (wasStopped)
                return stopped();
            if (sectors < 0)
                return failed(errInputUnreadable, error);
        }
        // A track of no sectors would share its start with the next one; no disc has such.
        if (sectors == 0)
            return failed(errInputUnreadable, QStringLiteral("The file %1 holds no audio; it cannot be a track.").arg(f));
        estimates << sectors;
        total += sectors;
    }
    if (drive.kind == Drive::AudioImage) {
        const DiscFacts facts = imageFacts(drive, BurnKind::Audio);
        QString blocked;
        const ImageSlot slot = ImageSlotOf(drive, &blocked);
        if (slot == ImageSlot::Blocked)
            return failed(errCannotWrite, blocked);
        if (slot == ImageSlot::Disc)
            return failed(errCannotWrite, QStringLiteral("The disc in the drive ") + quoted(drive) + QStringLiteral(" is not empty."));
        if (!facts.blank)
            return failed(errCannotWrite, QStringLiteral("The disc image of the drive ") + quoted(drive) +
                                              QStringLiteral(" cannot be written: ") + facts.state);
        if (total > facts.blankSectors)
            return failed(errDoesNotFit, QStringLiteral("The tracks do not fit on the disc in the drive ") + quoted(drive) + QLatin1Char('.'));
        BusyMark busy(drive.path);
        if (!busy.taken())
            return failed(errBusy, QStringLiteral("The drive ") + quoted(drive) + QStringLiteral(" is busy."));
        return burnAudioImage(drive, files, estimates, cb, stop);
    }
    return burnAudioDevice(drive, files, speedKbs, cb, stop);
}

BurnResult BurnData(const Drive& drive, const DataImageSpec& spec, const BurnCallbacks& cb, const std::atomic<bool>& stop)
{
    if (drive.kind == Drive::AudioImage)
        return failed(errWrongKind, QStringLiteral("The drive ") + quoted(drive) + QStringLiteral(" writes audio discs only; data cannot be burned to it."));
    if (spec.files.isEmpty())
        return failed(errNothingToBurn, QStringLiteral("There are no files to burn."));
    if (drive.kind == Drive::DataImage) {
        QString blocked;
        switch (ImageSlotOf(drive, &blocked)) {
        case ImageSlot::Blocked: return failed(errCannotWrite, blocked);
        case ImageSlot::Disc:
            return failed(errCannotWrite, QStringLiteral("The disc in the drive ") + quoted(drive) + QStringLiteral(" is not empty."));
        case ImageSlot::Empty: break;
        }
    }
    if (!startLibraries())
        return failed(errCannotWrite, QStringLiteral("The disc-mastering libraries cannot be started."));

    QStringList names;
    for (const QString& f : spec.files)
        names << QFileInfo(f).fileName();
    // The names the disc holds for the files, known before the burn (the mastering tool's,
    // which this program chooses) or read from the image as it is written (the library's).
    QStringList discNames;
    Image img;
    std::unique_ptr<ImageFeed> feed;
    const std::optional<BurnResult> refused =
        spec.udf ? toolFeed(spec, names, cb, stop, &discNames, &feed) : libraryFeed(spec, names, cb, stop, img, &feed);
    if (refused)
        return *refused;

    // An image drive is written through a part file beside it, renamed when the burn ends well.
    std::unique_ptr<PartFile> part;
    QByteArray address;
    if (drive.kind == Drive::DataImage) {
        part = std::make_unique<PartFile>(drive.path);
        if (!part->ok())
            return failed(errCannotWrite, QStringLiteral("The disc image cannot be written beside ") + drive.path + QLatin1Char('.'));
        address = QByteArrayLiteral("stdio:") + QFile::encodeName(part->path());
    } else {
        address = libburnAddress(drive.path);
    }

    BusyMark busy(drive.path);
    if (!busy.taken())
        return failed(errBusy, QStringLiteral("The drive ") + quoted(drive) + QStringLiteral(" is busy."));
    JolietRootReader written;
    BurnResult r = burnImage(drive, address, *feed, &written, spec, cb, stop);
    if (r.outcome != BurnResult::Written)
        return r;
    // The drive has let go of the part file before it is put in place.
    if (part && !part->commit())
        return failed(errCannotWrite, QStringLiteral("The disc image cannot be put in place: ") + drive.path);
    if (cb.notice)
        noteDiscNames(spec, names, discNames, written, cb);
    return r;
}

}  // namespace cd
