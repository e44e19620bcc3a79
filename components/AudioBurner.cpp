// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/BurnRun.h"
#include "components/cAudioBurner.h"
#include "components/cd/Burning.h"
#include "components/cd/Disc.h"
#include "components/cd/TrackReader.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>

namespace {

class AudioBurner final : public cAudioBurner {
public:
    AudioBurner() : m_run(this) { cd::InstallTrackReader(); }
    ~AudioBurner() override
    {
        m_run.silence();
        stopWaiting();
    }

    long DriveCount() const override { return long(cd::ListWriters().size()); }
    QString DriveName(long index) const override
    {
        const QList<cd::Drive> writers = cd::ListWriters();
        return index >= 1 && index <= writers.size() ? writers.at(int(index - 1)).name : QString();
    }
    long SpeedCount(const QString& letter) override
    {
        m_speeds.clear();
        cd::Drive d;
        if (cd::FindWriter(letter, &d))
            m_speeds = cd::QueryDisc(d, cd::BurnKind::Audio).writeSpeeds;
        return long(m_speeds.size());
    }
    long WriteSpeed(long index) const override { return index >= 1 && index <= m_speeds.size() ? m_speeds.at(int(index - 1)) : 0; }
    long DiscSize(const QString& letter) const override
    {
        return long(facts(letter).blankSectors * cd::kDataSectorBytes / (1024 * 1024));
    }
    long DiscCapacity(const QString& letter) const override
    {
        return long(facts(letter).blankSectors * cd::kDataSectorBytes);
    }
    QString DiscState(const QString& letter) const override
    {
        cd::Drive d;
        if (!cd::FindWriter(letter, &d))
            return QStringLiteral("No such drive.");
        return cd::QueryDisc(d, cd::BurnKind::Audio).state;
    }
    bool TakesAudio(const QString& letter) const override
    {
        cd::Drive d;
        return !cd::FindWriter(letter, &d) || d.kind != cd::Drive::DataImage;
    }
    void OpenTray(const QString& letter) override
    {
        cd::Drive d;
        if (cd::FindWriter(letter, &d) && !m_run.busy())
            cd::OpenTray(d);
    }
    void CloseTray(const QString& letter) override
    {
        cd::Drive d;
        if (cd::FindWriter(letter, &d) && !m_run.busy())
            cd::CloseTray(d);
    }
    QString DriveRootFolder(const QString& letter) const override
    {
        cd::Drive d;
        return cd::FindWriter(letter, &d) ? cd::DriveRootFolder(d) : QString();
    }

    bool AddTrack(const QString& path) override
    {
        m_addError.clear();
        if (cd::AudioTrackSectors(path, &m_addError) < 0)
            return false;
        m_addError.clear();
        m_tracks << path;
        return true;
    }
    QString AddTrackError() const override { return m_addError; }
    long TrackCount() const override { return long(m_tracks.size()); }
    void ClearTracks() override { m_tracks.clear(); }
    bool BurnMode() const override { return m_returnAtOnce; }
    void BurnMode(bool returnAtOnce) override { m_returnAtOnce = returnAtOnce; }

    long Burn(QString& letter, long speedKbs) override
    {
        // The burn works on its own copy: ClearTracks right after Burn returns never touches it.
        const QStringList tracks = m_tracks;
        cd::Drive drive;
        long refusal = 0;
        QString why;
        if (m_run.busy())
            refusal = cd::errBusy, why = QStringLiteral("A burn is running already.");
        else if (letter.trimmed().isEmpty() || !cd::FindWriter(letter, &drive))
            refusal = cd::errNoWriter, why = QStringLiteral("No CD writer is chosen.");
        else if (tracks.isEmpty())
            refusal = cd::errNothingToBurn, why = QStringLiteral("There are no tracks to burn.");
        if (refusal) {
            m_run.answerLater([this, refusal, why] {
                stopWaiting();
                Q_EMIT Error(refusal, why);
            });
            return waitIfAsked(refusal);
        }

        m_result = -1;
        const int speed = int(speedKbs);
        // The reports run on the GUI thread only while this component still listens (BurnRun).
        AudioBurner* self = this;
        m_run.start(
            [drive, tracks, speed, self](const std::atomic<bool>& stop, const std::function<void(std::function<void()>)>& post) {
                cd::BurnCallbacks cb;
                cb.cachingTrack = [&](int) { post([self] { Q_EMIT self->CachingTrack(); }); };
                cb.writingTrack = [&](int) { post([self] { Q_EMIT self->WritingTrack(); }); };
                cb.trackProgress = [&](int p, int t) { post([self, p, t] { Q_EMIT self->Progress(p, t); }); };
                cb.totalProgress = [&](int p) { post([self, p] { Q_EMIT self->StepProgress(p, 0); }); };
                cb.closingTrack = [&](int t) { post([self, t] { Q_EMIT self->ClosingTrack(t); }); };
                cb.closingSession = [&] { post([self] { Q_EMIT self->ClosingSession(); }); };
                return cd::BurnAudio(drive, tracks, speed, cb, stop);
            },
            [this](const cd::BurnResult& r) {
                stopWaiting();
                if (r.outcome == cd::BurnResult::Written) {
                    m_result = 0;
                    Q_EMIT Finished();
                } else if (r.outcome == cd::BurnResult::Failed) {
                    m_result = r.code;
                    Q_EMIT Error(r.code, r.text);
                }
            });
        return waitIfAsked(0);
    }

    void Abort() override
    {
        m_run.silence();
        stopWaiting();
    }
    void Shutdown() override { Abort(); }

private:
    cd::DiscFacts facts(const QString& letter) const
    {
        cd::Drive d;
        return cd::FindWriter(letter, &d) ? cd::QueryDisc(d, cd::BurnKind::Audio) : cd::DiscFacts{};
    }

    // With BurnMode False the call returns once the burn has ended; its events are delivered
    // meanwhile by a local event loop.
    long waitIfAsked(long immediate)
    {
        if (m_returnAtOnce)
            return immediate;
        QEventLoop loop;
        m_loop = &loop;
        const QPointer<AudioBurner> self(this);
        loop.exec();
        if (!self)
            return -1;
        m_loop = nullptr;
        return immediate ? immediate : m_result;
    }
    void stopWaiting()
    {
        if (m_loop)
            m_loop->quit();
    }

    components::BurnRun m_run;
    QStringList m_tracks;
    QString m_addError;  // why the last AddTrack failed
    QList<int> m_speeds;
    bool m_returnAtOnce = true;
    long m_result = -1;
    QEventLoop* m_loop = nullptr;
};

}  // namespace

std::unique_ptr<cAudioBurner> CreateAudioBurner() { return std::make_unique<AudioBurner>(); }
