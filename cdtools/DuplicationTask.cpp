// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/DuplicationTask.h"

#include "batchtools/RowRunner.h"
#include "cdtools/RipperRules.h"
#include "commands/Templates.h"
#include "components/cAudioBurner.h"
#include "components/AudioJob.h"
#include "components/OutputTarget.h"
#include "components/cd/DriveMap.h"
#include "components/cAudioCDRipper.h"
#include "components/engine/FormatRecords.h"
#include "foundation/mdlFunctions.h"
#include "platform/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>

DuplicationTask::DuplicationTask(cAudioCDRipper& ripper, cAudioBurner& burner, DuplicationHost& host, QObject* parent)
    : QObject(parent), m_ripper(ripper), m_burner(burner), m_host(host)
{
    connect(&ripper, &cAudioCDRipper::Progress, this, [this](int p) { cAudioCDRipper1_Progress(p); });
    connect(&ripper, &cAudioCDRipper::Done, this, [this] { cAudioCDRipper1_Done(); });
    connect(&ripper, &cAudioCDRipper::Aborted, this, [this] { cAudioCDRipper1_Aborted(); });
    connect(&ripper, &cAudioCDRipper::Error, this, [this](long c, const QString& t) { cAudioCDRipper1_Error(c, t); });
    connect(&burner, &cAudioBurner::Progress, this, [this](int p, int t) { cAudioBurner1_TrackProgress(p, t); });
    connect(&burner, &cAudioBurner::StepProgress, this, [this](int p, int) { cAudioBurner1_Progress(p); });
    connect(&burner, &cAudioBurner::ClosingSession, this, [this] { cAudioBurner1_ClosingSession(); });
    connect(&burner, &cAudioBurner::ClosingTrack, this, [this](int) { cAudioBurner1_ClosingTrack(); });
    connect(&burner, &cAudioBurner::CachingTrack, this, [this] { cAudioBurner1_CachingTrack(); });
    connect(&burner, &cAudioBurner::WritingTrack, this, [this] { cAudioBurner1_WritingTrack(); });
    connect(&burner, &cAudioBurner::Finished, this, [this] { cAudioBurner1_Finished(); });
    connect(&burner, &cAudioBurner::Error, this, [this](long c, const QString& t) { cAudioBurner1_Error(c, t); });
}

// The window empties the folder as it closes, just before its task goes.
DuplicationTask::~DuplicationTask() = default;

QString DuplicationTask::MakeRipFileName(long row)
{
    return QString(QStringLiteral("[123].wav")).replace(QStringLiteral("[123]"), QString::number(row));
}

QStringList DuplicationTask::LoadRippedFiles(const QStringList& files)
{
    QStringList kept;
    for (const QString& path : files) {
        const QFileInfo info(path);
        if (info.isFile() && info.size() > 0)
            kept << path;
    }
    return kept;
}

void DuplicationTask::EraseTempFiles(const QString& folder)
{
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    // A disc image of the drives kept there is a disc, not a temporary file.
    const QList<cd::ImageFile> discs = cd::ListedImageFiles();
    // Files only, without hidden ones: whatever else someone keeps there is not ours to delete.
    for (const QString& name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot)) {
        const QString path = dir.filePath(name);
        if (std::any_of(discs.begin(), discs.end(), [&](const cd::ImageFile& d) { return components::SameFile(d.path, path); }))
            continue;
        QFile::remove(path);
    }
}

QString DuplicationTask::DiscPrompt(const QString& letter)
{
    return QStringLiteral("Insert an empty media to drive ") + letter + QStringLiteral(" then click on 'OK'.") +
           QStringLiteral("\r\n\r\nClick on cancel in order to cancel the burn proccess.");
}

bool DuplicationTask::Start(const QStringList& sourceFiles, long deviceIndex)
{
    if (m_running)
        return false;
    m_running = true;
    m_outcome = Outcome::None;
    m_sourceFiles = sourceFiles;
    m_host.Log(QStringLiteral("Preparing to copy: ") + QString::number(rows()) + QStringLiteral(" tracks."));
    SetDestination();
    CreateFolderPath(TempFolder.left(TempFolder.size() - 1));
    // Files a cancelled or failed run left there are another disc's tracks: only what this run
    // rips may reach the writer.
    if (!OnTheFly) {
        EraseTempFiles(TempFolder);
        m_signalGuards.clear();
    }
    m_lCurrentRow = 1;
    m_iErrorFlag = 0;
    m_failedRows = 0;
    m_abortRequested = false;
    m_host.ShowLog();
    m_colRippedFiles.clear();
    m_ripper.DeviceIndex(deviceIndex);
    m_host.SourceChecks(false);
    if (OnTheFly) {
        // Nothing is ripped: the source tracks go to the writer as they are.
        m_host.ControlsEnabled(false);
        const QPointer<DuplicationTask> self(this);
        const BurnEnd end = BurnDisk(m_sourceFiles);
        if (!self || end == BurnEnd::Gone)
            return true;
        endTask(end == BurnEnd::Written      ? Outcome::Stopped
                : end == BurnEnd::Cancelled   ? Outcome::Cancelled
                : end == BurnEnd::NothingToBurn ? Outcome::NothingToBurn
                : end == BurnEnd::Aborted     ? Outcome::BurnAborted
                                              : Outcome::WriterError);
        return true;
    }
    ConvertTracks();
    return true;
}

bool DuplicationTask::Abort()
{
    if (!m_running)
        return false;
    if (m_burning)
        m_abortRequested = true;
    m_ripper.Abort();
    m_burner.Abort();
    m_host.Balloon(QStringLiteral("Aborted."));
    return true;
}

void DuplicationTask::SetDestination()
{
    m_ripper.DestinationFormat(1);
    engine::WavFormatRecord wav;
    wav.SampleRate = 44100;
    wav.Channels = 2;
    wav.BitsPerSample = 16;
    m_ripper.SetWavFormat(wav);
    m_host.Log(QStringLiteral("Destination format: PCM WAV 44100 16 Stereo."));
}

void DuplicationTask::ConvertTracks()
{
    m_totalMax = rows() * 100;
    m_host.TotalMaximum(m_totalMax);
    m_host.ControlsEnabled(false);
    if (m_lCurrentRow <= rows()) {
        m_host.Busy(true);
        ConvertTask(m_lCurrentRow);
        return;
    }
    Finish();
}

long DuplicationTask::ConvertTask(long row)
{
    const QString name = MakeRipFileName(row);
    m_host.CurrentRow(row);
    m_ripper.TrackNumber(row);
    SetID3Tags(row);
    const QString track = GetFileName(m_sourceFiles.value(int(row - 1)));
    m_host.Status(track);
    m_host.FilesCounter(QStringLiteral("Files: ") + QString::number(row) + QLatin1Char('/') + QString::number(rows()));
    m_host.Log(QStringLiteral("Start to rip: ") + track + QStringLiteral("..."));
    m_ripper.OutputFile(TempFolder + name);
    m_colRippedFiles << TempFolder + name;
    m_signalGuards.push_back(std::make_unique<components::RemovedOnSignal>(TempFolder + name));
    m_ripper.Rip();
    return 0;
}

void DuplicationTask::SetID3Tags(long row)
{
    QStringList cells = m_host.RowTags(row);
    while (cells.size() < 7)
        cells << QString();
    const platform::ClockService& clock = platform::clock();
    const QDateTime now = clock.now();
    QStringList t;
    for (const QString& cell : cells)
        t << Templates::ExpandTags(cell, row - 1, now, clock.shortDateFormat(), clock.timeFormat());
    m_ripper.TagAlbum(t[0]);
    m_ripper.TagArtist(t[1]);
    m_ripper.TagComment(t[2]);
    m_ripper.TagGenre(t[3]);
    m_ripper.TagTitle(t[4]);
    m_ripper.TagTrack(t[5]);
    m_ripper.TagYear(t[6]);
}

void DuplicationTask::Finish()
{
    m_host.Status(QStringLiteral("Done."));
    m_host.Caption(QStringLiteral("Done."));
    m_host.TotalProgress((rows() - 1) * 100 + 100);
    m_host.CurrentProgress(100);
    if (m_host.StopBeforeBurn()) {
        endTask(Outcome::Stopped);
        return;
    }
    // A copy that lacks a track is no copy of the disc: nothing goes to the writer.
    if (m_iErrorFlag != 0) {
        endTask(Outcome::TracksFailed);
        return;
    }
    const QStringList files = LoadRippedFiles(m_colRippedFiles);
    m_host.ShowRippedFiles(files);
    const QPointer<DuplicationTask> self(this);
    const BurnEnd end = BurnDisk(files);
    if (!self || end == BurnEnd::Gone)
        return;
    switch (end) {
    case BurnEnd::Written: endTask(m_iErrorFlag == 0 ? Outcome::Copied : Outcome::TracksFailed); break;
    case BurnEnd::Cancelled: endTask(Outcome::Cancelled); break;
    case BurnEnd::NothingToBurn: endTask(Outcome::NothingToBurn); break;
    case BurnEnd::Aborted: endTask(Outcome::BurnAborted); break;
    case BurnEnd::Failed:
    case BurnEnd::Gone: endTask(Outcome::WriterError); break;
    }
}

DuplicationTask::BurnEnd DuplicationTask::BurnDisk(const QStringList& files)
{
    const QPointer<DuplicationTask> self(this);
    m_gridRows = long(files.size());
    // The prompt repeats until the writer holds a disc it can write or the user gives up.
    for (;;) {
        // Lets go of every handle on the source drive, which may be the writer too.
        m_ripper.Shutdown();
        const QString letter = m_host.WriterLetter();
        // No other disc makes a drive that writes data only take audio: the burn says so.
        if (m_burner.DiscState(letter).isEmpty() || !m_burner.TakesAudio(letter))
            break;
        const QString waiting = QStringLiteral("Waiting for an empty disc in drive ") + letter + QLatin1Char('.');
        m_host.Status(waiting);
        m_host.Caption(waiting);
        m_host.OpenWriterTray();
        const bool ok = m_host.PromptForDisc(DiscPrompt(letter));
        if (!self)
            return BurnEnd::Gone;
        if (!ok)
            return BurnEnd::Cancelled;
    }
    for (const QString& path : files)
        if (!m_burner.AddTrack(path))
            m_host.Log(QStringLiteral("Cannot add ") + GetFileName(path));
    const long count = m_burner.TrackCount();
    if (count < 1) {
        m_host.ControlsEnabled(true);
        m_host.NothingToBurn();
        return self ? BurnEnd::NothingToBurn : BurnEnd::Gone;
    }
    m_totalMax = count;
    m_host.TotalMaximum(count);
    QString letter = m_host.WriterLetter();
    const long speed = m_host.WriterSpeed();
    m_burner.BurnMode(false);
    m_host.Caption(QStringLiteral("Burning to drive ") + letter + QStringLiteral("..."));
    m_burning = true;
    m_abortRequested = false;
    m_writerError = false;
    const long r = m_burner.Burn(letter, speed);
    if (!self)
        return BurnEnd::Gone;
    m_burning = false;
    if (!OnTheFly) {
        m_burner.ClearTracks();
        m_burner.Shutdown();
    }
    if (r == 0) {
        m_host.OpenWriterTray();
        EraseTempFiles(TempFolder);
        m_signalGuards.clear();
        return BurnEnd::Written;
    }
    return m_abortRequested && !m_writerError ? BurnEnd::Aborted : BurnEnd::Failed;
}

void DuplicationTask::endTask(Outcome outcome)
{
    m_outcome = outcome;
    m_burning = false;
    const QPointer<DuplicationTask> self(this);
    if (outcome == Outcome::Copied) {
        m_host.Balloon(QStringLiteral("Done."));
        if (!self)
            return;
        m_running = false;
        m_host.ControlsEnabled(true);
        m_host.Succeeded();
        return;
    }
    // Whatever the ripping said last ("Done.") is no ending of a task that burned nothing or
    // lost tracks.
    const auto ending = [this](const QString& text) {
        m_host.Log(text);
        m_host.Status(text);
        m_host.Caption(text);
    };
    switch (outcome) {
    case Outcome::Cancelled: ending(QStringLiteral("Cancelled: nothing was burned.")); break;
    case Outcome::NothingToBurn: ending(QStringLiteral("Nothing to burn.")); break;
    case Outcome::TracksFailed:
        ending(RipperRules::CopyFailedText(m_failedRows, rows()));
        break;
    case Outcome::BurnAborted:
        m_host.Log(QStringLiteral("Aborted."));
        m_host.Status(QStringLiteral("Aborted."));
        m_host.Caption(QStringLiteral("Aborted."));
        break;
    default: break;
    }
    m_running = false;
    m_host.Busy(false);
    m_host.ControlsEnabled(true);
    m_host.SourceChecks(true);
    m_host.Failed();
}

// Ripper events.

void DuplicationTask::cAudioCDRipper1_Progress(int percent)
{
    if (!m_running || OnTheFly || percent < 1)
        return;
    m_host.Busy(false);
    m_host.CurrentProgress(percent);
    const long total = (m_lCurrentRow - 1) * 100 + percent;
    m_host.TotalProgress(total);
    m_host.Caption(RowRun::ProgressCaption(percent, total, m_totalMax));
}

void DuplicationTask::cAudioCDRipper1_Done()
{
    if (!m_running)
        return;
    m_host.Log(QStringLiteral("Done."));
    m_host.Status(QStringLiteral("Done."));
    ++m_lCurrentRow;
    ConvertTracks();
}

void DuplicationTask::cAudioCDRipper1_Aborted()
{
    if (!m_running)
        return;
    m_host.ControlsEnabled(true);
    m_host.Log(QStringLiteral("Aborted."));
    m_host.Status(QStringLiteral("Aborted."));
    m_host.Busy(false);
    m_host.Caption(QStringLiteral("Aborted."));
    m_outcome = Outcome::RipAborted;
    m_running = false;
    // The source checks come back with the idle window.
    m_host.SourceChecks(true);
    m_host.Failed();
}

void DuplicationTask::cAudioCDRipper1_Error(long code, const QString& text)
{
    if (!m_running)
        return;
    m_iErrorFlag = -1;
    ++m_failedRows;
    // The row's file, if anything of it was written, is no track of this disc.
    const QString path = TempFolder + MakeRipFileName(m_lCurrentRow);
    m_colRippedFiles.removeAll(path);
    QFile::remove(path);
    const QString message = QStringLiteral("Error: ") + text + QLatin1Char('(') + QString::number(code) + QLatin1Char(')');
    m_host.Log(message);
    m_host.Status(message);
    m_host.Caption(message);
    m_host.ControlsEnabled(true);
    ++m_lCurrentRow;
    const QPointer<DuplicationTask> self(this);
    ConvertTracks();
    if (self)
        m_host.Busy(false);
}

// Writer events.

void DuplicationTask::cAudioBurner1_TrackProgress(int percent, int track)
{
    m_host.CurrentProgress(percent);
    m_host.TotalProgress(track);
    m_host.SourceChecks(false);
    m_host.FilesCounter(QStringLiteral("Files: ") + QString::number(track) + QLatin1Char('/') +
                        QString::number(m_gridRows));
}

void DuplicationTask::cAudioBurner1_Progress(int percent) { m_host.CurrentProgress(percent); }

void DuplicationTask::cAudioBurner1_ClosingSession()
{
    const QString text = QStringLiteral("Closing session, please wait...");
    m_host.Log(text);
    m_host.Status(text);
    m_host.CurrentProgress(100);
    m_host.TotalProgress(m_totalMax);
}

void DuplicationTask::cAudioBurner1_ClosingTrack()
{
    m_host.Log(QStringLiteral("Closing track..."));
    m_host.Status(QStringLiteral("Closing track..."));
}

void DuplicationTask::cAudioBurner1_CachingTrack()
{
    m_host.Log(QStringLiteral("Caching track..."));
    m_host.Status(QStringLiteral("Caching track..."));
}

void DuplicationTask::cAudioBurner1_WritingTrack()
{
    m_host.Log(QStringLiteral("Writing track..."));
    m_host.Status(QStringLiteral("Writing track..."));
}

void DuplicationTask::cAudioBurner1_Finished()
{
    m_host.TotalProgress(m_totalMax);
    m_host.Log(QStringLiteral("Finished."));
    m_host.Status(QStringLiteral("Finished."));
    m_host.ControlsEnabled(true);
    const QPointer<DuplicationTask> self(this);
    m_host.EndEvents(m_iErrorFlag == 0);
    if (self)
        m_host.SourceChecks(true);
}

void DuplicationTask::cAudioBurner1_Error(long code, const QString& text)
{
    m_writerError = true;
    const QString message = QStringLiteral("Error:") + text + QLatin1Char('(') + QString::number(code) + QLatin1Char(')');
    m_host.Log(message);
    m_host.Status(message);
    m_host.Caption(message);
    m_host.ControlsEnabled(true);
    m_host.SourceChecks(true);
}
