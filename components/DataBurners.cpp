// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/BurnRun.h"
#include "components/cAudioDataBurner.h"
#include "components/cBurner.h"
#include "components/cd/Burning.h"
#include "components/cd/Disc.h"

#include <QFileInfo>

#include <algorithm>

namespace {

using Post = std::function<void(std::function<void()>)>;

bool readableFile(const QString& path)
{
    const QFileInfo fi(path);
    return fi.isFile() && fi.isReadable();
}

// The files of a burn, all at the disc's root, where a folder holds one file of a name: the same
// file given again is burned once; another file of a name already given takes the earlier one's
// place (as a copy into one folder would), which the burn's log says.
class DiscFiles {
public:
    bool add(const QString& path)
    {
        if (!readableFile(path))
            return false;
        const QFileInfo fi(path);
        const QString file = fi.absoluteFilePath();
        const QString name = fi.fileName();
        for (int i = 0; i < m_files.size(); ++i) {
            if (QFileInfo(m_files.at(i)).fileName() != name)
                continue;
            if (m_files.at(i) != file && QFileInfo(m_files.at(i)).canonicalFilePath() != fi.canonicalFilePath())
                m_notices << QStringLiteral("Two files are named '%1': the disc holds the later one, %2, in place of %3.")
                                 .arg(name, file, m_files.at(i));
            m_files[i] = file;
            return true;
        }
        m_files << file;
        return true;
    }
    QStringList files() const { return m_files; }
    // What the log is told before the burn starts.
    QStringList notices() const { return m_notices; }
    void clear()
    {
        m_files.clear();
        m_notices.clear();
    }

private:
    QStringList m_files, m_notices;
};

// The first engine: CDs only, the drive chosen by letter.
class AudioDataBurner final : public cAudioDataBurner {
public:
    AudioDataBurner() : m_run(this) {}
    ~AudioDataBurner() override { m_run.silence(); }

    long DriveCount() const override { return long(cd::ListWriters().size()); }
    QString DriveName(long index) const override
    {
        const QList<cd::Drive> writers = cd::ListWriters();
        return index >= 1 && index <= writers.size() ? writers.at(int(index - 1)).name : QString();
    }
    long SpeedCount(const QString& letter) override
    {
        m_speeds = facts(letter).writeSpeeds;
        return long(m_speeds.size());
    }
    long WriteSpeed(long index) const override { return index >= 1 && index <= m_speeds.size() ? m_speeds.at(int(index - 1)) : 0; }
    bool IsDriveReady(const QString& letter) const override { return facts(letter).present; }
    bool IsDiscEmpty(const QString& letter) const override { return facts(letter).blank; }
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

    bool AddFile(const QString& path) override { return m_files.add(path); }
    void VolumeName(const QString& name) override { m_volume = name; }
    void FileSystemName(const QString& name) override { m_fileSystem = name; }
    void ApplicationName(const QString& name) override { m_application = name; }
    void PublisherName(const QString& name) override { m_publisher = name; }
    void BurnOption(bool keepOpen) override { m_keepOpen = keepOpen; }

    void BurnDisc(const QString& letter, long speedKbs) override
    {
        cd::DataImageSpec spec;
        spec.files = m_files.files();
        const QStringList replaced = m_files.notices();
        m_files.clear();
        spec.volumeName = m_volume;
        spec.applicationId = m_application;
        spec.publisherId = m_publisher;
        // "CDFS" is ISO 9660 with Joliet names; a plain ISO 9660 disc is asked for by that name.
        spec.joliet = m_fileSystem.compare(QStringLiteral("ISO9660"), Qt::CaseInsensitive) != 0;
        spec.closeDisc = !m_keepOpen;
        spec.cdOnly = true;
        spec.speedKbs = int(speedKbs);

        cd::Drive drive;
        long refusal = 0;
        QString why;
        if (m_run.busy())
            refusal = cd::errBusy, why = QStringLiteral("A burn is running already.");
        else if (!cd::FindWriter(letter, &drive))
            refusal = cd::errNoWriter, why = QStringLiteral("No CD writer is chosen.");
        if (refusal) {
            m_run.answerLater([this, refusal, why] { Q_EMIT BurnError(refusal, why); });
            return;
        }
        AudioDataBurner* self = this;
        m_run.start(
            [drive, spec, replaced, self](const std::atomic<bool>& stop, const Post& post) {
                for (const QString& text : replaced)
                    post([self, text] { Q_EMIT self->Notice(text); });
                cd::BurnCallbacks cb;
                cb.starting = [&] { post([self] { Q_EMIT self->BurnStarting(); }); };
                cb.totalProgress = [&](int p) { post([self, p] { Q_EMIT self->Progress(p); }); };
                cb.closingSession = [&] { post([self] { Q_EMIT self->ClosingSession(); }); };
                cb.notice = [&](const QString& text) { post([self, text] { Q_EMIT self->Notice(text); }); };
                return cd::BurnData(drive, spec, cb, stop);
            },
            [this](const cd::BurnResult& r) {
                if (r.outcome == cd::BurnResult::Written)
                    Q_EMIT Finished();
                else
                    Q_EMIT BurnError(r.code ? r.code : cd::errCannotWrite,
                                     r.text.isEmpty() ? QStringLiteral("The burn was stopped.") : r.text);
            });
    }
    void Shutdown() override { m_run.silence(); }

private:
    cd::DiscFacts facts(const QString& letter) const
    {
        cd::Drive d;
        return cd::FindWriter(letter, &d) ? cd::QueryDisc(d, cd::BurnKind::Data) : cd::DiscFacts{};
    }

    components::BurnRun m_run;
    QList<int> m_speeds;
    DiscFiles m_files;
    QString m_volume, m_fileSystem = QStringLiteral("CDFS"), m_application, m_publisher;
    bool m_keepOpen = false;
};

// The second engine: CDs and DVDs, the device chosen by its place in the sorted list.
class Burner final : public cBurner {
public:
    Burner() : m_run(this) {}
    ~Burner() override { m_run.silence(); }

    long DeviceCount() const override { return long(devices().size()); }
    QString DevicePath(long index) const override
    {
        const QList<cd::Drive> d = devices();
        return index >= 0 && index < d.size() ? d.at(int(index)).letter : QString();
    }
    QString DeviceName(long index) const override
    {
        const QList<cd::Drive> d = devices();
        return index >= 0 && index < d.size() ? modelOf(d.at(int(index))) : QString();
    }
    void NewImage() override
    {
        m_files.clear();
        m_iso = m_joliet = true;
        m_udf = false;
        m_volume.clear();
    }
    void UseISO(bool on) override { m_iso = on; }
    void UseJoliet(bool on) override { m_joliet = on; }
    void UseUDF(bool on) override { m_udf = on; }
    void VolumeName(const QString& name) override { m_volume = name; }
    bool AddFile(const QString& path) override { return m_files.add(path); }

    void BurnDisc(long deviceIndex) override
    {
        const QList<cd::Drive> list = devices();
        QString why;
        long code = 0;
        if (m_run.busy())
            code = cd::errBusy, why = QStringLiteral("A burn is running already.");
        else if (!LibraryStarts())
            code = cd::errCannotWrite, why = QStringLiteral("The disc-mastering libraries cannot be started.");
        else if (deviceIndex < 0 || deviceIndex >= list.size())
            code = cd::errNoWriter, why = QStringLiteral("No recorder device is chosen.");
        else if (m_files.files().isEmpty())
            code = cd::errNothingToBurn, why = QStringLiteral("There are no files to burn.");
        if (code) {
            m_run.answerLater([this, code, why] { Q_EMIT BurnerError(QString::number(code), why); });
            return;
        }
        cd::DataImageSpec spec;
        spec.files = m_files.files();
        const QStringList replaced = m_files.notices();
        spec.volumeName = m_volume;
        spec.joliet = m_joliet;  // ISO 9660 is always written: the other trees hang on it
        spec.udf = m_udf;
        spec.closeDisc = true;
        // The mastering tool writes UDF only beside ISO 9660.
        const bool udfAlone = m_udf && !m_iso && !m_joliet;
        const cd::Drive drive = list.at(int(deviceIndex));
        Burner* self = this;
        m_run.start(
            [drive, spec, udfAlone, replaced, self](const std::atomic<bool>& stop, const Post& post) {
                post([self] { Q_EMIT self->BurnerInitializing(); });
                for (const QString& text : replaced)
                    post([self, text] { Q_EMIT self->BurnerNotice(text); });
                if (udfAlone)
                    post([self] {
                        Q_EMIT self->BurnerNotice(QStringLiteral("UDF alone cannot be written here: the disc-mastering tool needs an "
                                                                 "ISO 9660 file system beside it, so the disc holds both."));
                    });
                const long files = long(spec.files.size());
                post([self, files] { Q_EMIT self->BurnerFileCount(files, 0); });
                cd::BurnCallbacks cb;
                cb.adding = [&](const QString& path) { post([self, path] { Q_EMIT self->BurnerAdding(path); }); };
                cb.notice = [&](const QString& text) { post([self, text] { Q_EMIT self->BurnerNotice(text); }); };
                cb.starting = [&] { post([self] { Q_EMIT self->StartBurning(); }); };
                cb.totalProgress = [&](int p) { post([self, p] { Q_EMIT self->BurnerProgress(p); }); };
                cb.closingSession = [&] { post([self] { Q_EMIT self->BurnerFinalization(); }); };
                return cd::BurnData(drive, spec, cb, stop);
            },
            [this](const cd::BurnResult& r) {
                switch (r.outcome) {
                case cd::BurnResult::Written:
                    Q_EMIT BurnerCompleted();
                    Q_EMIT BurnerDoneBurn();
                    Q_EMIT BurnerEnd();
                    break;
                case cd::BurnResult::Stopped:
                    Q_EMIT BurnerCanceled();
                    Q_EMIT BurnerError(QStringLiteral("0"), QStringLiteral("The burn was cancelled; the disc was not written."));
                    break;
                case cd::BurnResult::Failed: Q_EMIT BurnerError(QString::number(r.code), r.text); break;
                }
            });
    }
    void CancelBurn() override { m_run.requestStop(); }
    void Shutdown() override { m_run.silence(); }

private:
    static QString modelOf(const cd::Drive& d) { return d.name.mid(d.letter.size()).trimmed(); }
    static QString itemText(const cd::Drive& d) { return d.letter + QStringLiteral(" - ") + modelOf(d); }

    // The writers in the order a sorted list shows their texts.
    static QList<cd::Drive> devices()
    {
        QList<cd::Drive> list = cd::ListWriters();
        std::stable_sort(list.begin(), list.end(), [](const cd::Drive& a, const cd::Drive& b) {
            return itemText(a).compare(itemText(b), Qt::CaseInsensitive) < 0;
        });
        return list;
    }

    components::BurnRun m_run;
    DiscFiles m_files;
    QString m_volume;
    bool m_iso = true, m_joliet = true, m_udf = false;
};

}  // namespace

bool cBurner::LibraryStarts() { return cd::MasteringLibrariesStart(); }

std::unique_ptr<cAudioDataBurner> CreateAudioDataBurner() { return std::make_unique<AudioDataBurner>(); }
std::unique_ptr<cBurner> CreateBurner() { return std::make_unique<Burner>(); }
