// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cAudioCDRipper.h"
#include "components/engine/AudioEngine.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/DiscImages.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using discimages::Track;

namespace {

struct Outcome {
    QStringList ends;
    long code = 0;
    QString text;
    QList<int> progress;
};

// Collects the events of one rip until its terminal event, then a little longer, so that a
// second terminal event would be seen. `onProgress` may act during the rip.
Outcome waitForEnd(cAudioCDRipper& ripper, const std::function<void(int)>& onProgress = {}, int ms = 60000)
{
    Outcome o;
    QObject context;
    QObject::connect(&ripper, &cAudioCDRipper::Progress, &context, [&](int p) {
        o.progress << p;
        if (onProgress)
            onProgress(p);
    });
    QObject::connect(&ripper, &cAudioCDRipper::Done, &context, [&] { o.ends << QStringLiteral("Done"); });
    QObject::connect(&ripper, &cAudioCDRipper::Aborted, &context, [&] { o.ends << QStringLiteral("Aborted"); });
    QObject::connect(&ripper, &cAudioCDRipper::Error, &context, [&](long code, const QString& text) {
        o.ends << QStringLiteral("Error");
        o.code = code;
        o.text = text;
    });
    QElapsedTimer t;
    t.start();
    while (o.ends.isEmpty() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return o;
}

Outcome rip(cAudioCDRipper& ripper, const std::function<void(int)>& onProgress = {})
{
    ripper.Rip();
    return waitForEnd(ripper, onProgress);
}

// What a common tag reader makes of an output: its kind, length, rate, channels and tags.
QJsonObject readWithMutagen(const QString& file)
{
    static const char* const script = R"PY(
import json, sys, mutagen
f = mutagen.File(sys.argv[1])
t = f.tags
def get(*keys):
    for k in keys:
        if t is not None and k in t:
            v = t[k]
            v = v[0] if isinstance(v, list) else v
            return str(v.text[0]) if hasattr(v, "text") else str(v)
    return ""
print(json.dumps({"kind": type(f).__name__, "length": f.info.length, "rate": f.info.sample_rate,
                  "channels": f.info.channels, "title": get("TIT2", "title"), "artist": get("TPE1", "artist"),
                  "album": get("TALB", "album")}))
)PY";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(script), file});
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

class AudioCDRipperTest : public testing::Test {
protected:
    void TearDown() override { qputenv("QUILLMERE_DRIVES", ""); }

    QString path(const QString& name) const { return dir.filePath(name); }
    void useDrives(const QStringList& entries) { qputenv("QUILLMERE_DRIVES", entries.join(QLatin1Char(':')).toUtf8()); }
    void wavCd() { ripper->DestinationFormat(engine::dfWAV), ripper->SetWavFormat({44100, 2, 16}); }
    QStringList leftovers() const
    {
        return QDir(dir.path()).entryList(QStringList{QStringLiteral(".*part*")}, QDir::Files | QDir::Hidden);
    }

    QTemporaryDir dir;
    std::unique_ptr<cAudioCDRipper> ripper = CreateAudioCDRipper();
};

TEST_F(AudioCDRipperTest, ListsTheDrivesOfTheVariableAndDescribesTheirDiscs)
{
    const QList<Track> mixed{{true, 150}, {true, 449}, {false, 100}};
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("mixed"), mixed);
    const QString iso = discimages::WriteIso(dir.path(), QStringLiteral("data"), 300);
    useDrives({cue, iso, path(QStringLiteral("gone.cue")), QStringLiteral("/dev/quillmere-no-such-drive")});
    QSignalSpy errors(ripper.get(), &cAudioCDRipper::Error);

    ASSERT_EQ(ripper->DeviceCount(), 4);
    EXPECT_EQ(ripper->DeviceName(0), QStringLiteral("D: mixed.cue"));
    EXPECT_EQ(ripper->DeviceName(1), QStringLiteral("E: data.iso"));
    EXPECT_EQ(ripper->DeviceName(2), QStringLiteral("F: gone.cue"));
    EXPECT_TRUE(ripper->DeviceName(3).startsWith(QStringLiteral("G: ")));
    EXPECT_EQ(ripper->DeviceName(4), QString());

    // A mixed disc: every track counts, the data track is type 0; seconds are rounded down.
    ASSERT_TRUE(ripper->SelectDevice(0));
    EXPECT_TRUE(ripper->IsAudioCD());
    EXPECT_EQ(ripper->TrackCount(), 3);
    EXPECT_EQ((QList<long>{ripper->TrackType(1), ripper->TrackType(2), ripper->TrackType(3)}), (QList<long>{1, 1, 0}));
    EXPECT_EQ(ripper->TrackSeconds(1), 2);
    EXPECT_EQ(ripper->TrackSeconds(2), 5);  // 449 sectors: 5.99 s
    EXPECT_EQ(ripper->TrackSeconds(4), 0);
    EXPECT_EQ(ripper->TrackType(0), 0);

    // A data image is a data disc of one track.
    ASSERT_TRUE(ripper->SelectDevice(1));
    EXPECT_FALSE(ripper->IsAudioCD());
    EXPECT_EQ(ripper->TrackCount(), 1);
    EXPECT_EQ(ripper->TrackType(1), 0);

    // Drives without a disc are selected and report none; trays of images are no-ops.
    for (long i : {2L, 3L}) {
        ASSERT_TRUE(ripper->SelectDevice(i)) << i;
        EXPECT_FALSE(ripper->IsAudioCD());
        EXPECT_EQ(ripper->TrackCount(), 0);
    }
    EXPECT_FALSE(ripper->SelectDevice(4));
    EXPECT_FALSE(ripper->SelectDevice(-1));
    ASSERT_TRUE(ripper->SelectDevice(0));
    EXPECT_TRUE(ripper->OpenTray());
    EXPECT_TRUE(ripper->CloseTray());

    // The variable is read at every listing.
    useDrives({iso});
    EXPECT_EQ(ripper->DeviceCount(), 1);
    EXPECT_EQ(ripper->DeviceName(0), QStringLiteral("D: data.iso"));
    qputenv("QUILLMERE_DRIVES", "");
    EXPECT_EQ(ripper->DeviceCount(), 0);

    QCoreApplication::processEvents();
    EXPECT_EQ(errors.count(), 0);
}

TEST_F(AudioCDRipperTest, RipsEveryTrackAndRangesBitExactToCdWav)
{
    const QList<Track> tracks{{true, 160}, {true, 230}, {true, 190}};
    useDrives({discimages::WriteBinCue(dir.path(), QStringLiteral("three"), tracks)});
    const QList<int> firsts = discimages::FirstSectors(tracks);
    ripper->DeviceIndex(0);
    wavCd();

    for (int t = 1; t <= 3; ++t) {
        SCOPED_TRACE(t);
        ripper->TrackNumber(t);
        ripper->OutputFile(path(QStringLiteral("track%1.wav").arg(t)));
        const Outcome o = rip(*ripper);
        ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
        ASSERT_FALSE(o.progress.isEmpty());
        EXPECT_EQ(o.progress.last(), 100);
        const auto wav = fixtures::parseWavFile(path(QStringLiteral("track%1.wav").arg(t)));
        ASSERT_TRUE(wav);
        EXPECT_EQ(wav->pcm, (fixtures::Pcm{44100, 2, 16}));
        EXPECT_TRUE(wav->data == discimages::AudioSectors(firsts[t - 1], tracks[t - 1].sectors));
    }

    // A ranged row: one second from second 1 of track 2, exactly sectors 75 to 149 of it.
    ripper->TrackNumber(2);
    ripper->RangeStart(1);
    ripper->RangeLength(1);
    ripper->OutputFile(path(QStringLiteral("range.wav")));
    Outcome o = rip(*ripper);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    auto wav = fixtures::parseWavFile(path(QStringLiteral("range.wav")));
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->data == discimages::AudioSectors(firsts[1] + 75, 75));

    // A range past the end of the track is clipped to it.
    ripper->TrackNumber(3);
    ripper->RangeStart(2);
    ripper->RangeLength(60);
    ripper->OutputFile(path(QStringLiteral("clipped.wav")));
    o = rip(*ripper);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    wav = fixtures::parseWavFile(path(QStringLiteral("clipped.wav")));
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->data == discimages::AudioSectors(firsts[2] + 150, 40));

    // The next whole-track rip ignores the earlier range, also without a new TrackNumber.
    ripper->TrackNumber(1);
    ripper->RangeStart(1);
    ripper->RangeLength(1);
    ripper->OutputFile(path(QStringLiteral("first.wav")));
    ASSERT_EQ(rip(*ripper).ends, QStringList{QStringLiteral("Done")});
    ripper->OutputFile(path(QStringLiteral("whole.wav")));
    ASSERT_EQ(rip(*ripper).ends, QStringList{QStringLiteral("Done")});
    wav = fixtures::parseWavFile(path(QStringLiteral("whole.wav")));
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->data == discimages::AudioSectors(firsts[0], tracks[0].sectors));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
}

TEST_F(AudioCDRipperTest, TheEngineReadsDriveTrackPathsThroughTheRipper)
{
    const QList<Track> tracks{{true, 100}, {true, 120}};
    useDrives({discimages::WriteBinCue(dir.path(), QStringLiteral("two"), tracks)});
    QString error;
    auto reader = engine::AudioReader::open(QStringLiteral("D:/Track02.cda"), &error);
    ASSERT_TRUE(reader) << error.toStdString();
    EXPECT_EQ(reader->info().totalFrames, 120 * 588);
    EXPECT_EQ(reader->info().format, (engine::PcmFormat{44100, 2, 16}));
    QByteArray data(120 * 2352, '\0');
    int64_t got = 0;
    while (got < 120 * 588) {
        const int64_t n = reader->read(reinterpret_cast<uint8_t*>(data.data()) + got * 4, 120 * 588 - got, &error);
        ASSERT_GT(n, 0) << error.toStdString();
        got += n;
    }
    EXPECT_TRUE(data == discimages::AudioSectors(100, 120));
    EXPECT_FALSE(engine::AudioReader::open(QStringLiteral("E:/Track01.cda"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("E:"))) << error.toStdString();
}

TEST_F(AudioCDRipperTest, ConvertsToOtherFormatsWithTags)
{
    const QList<Track> tracks{{true, 75 * 4 + 30}};  // 4.4 s
    useDrives({discimages::WriteBinCue(dir.path(), QStringLiteral("one"), tracks)});
    const double seconds = (75 * 4 + 30) / 75.0;
    ripper->DeviceIndex(0);
    ripper->TrackNumber(1);
    ripper->TagTitle(QStringLiteral("Première"));
    ripper->TagArtist(QStringLiteral("The Band"));
    ripper->TagAlbum(QStringLiteral("Live"));

    ripper->DestinationFormat(engine::dfWAV);
    ripper->SetWavFormat({22050, 1, 8});
    ripper->OutputFile(path(QStringLiteral("small.wav")));
    Outcome o = rip(*ripper);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    const auto wav = fixtures::parseWavFile(path(QStringLiteral("small.wav")));
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->pcm, (fixtures::Pcm{22050, 1, 8}));
    EXPECT_NEAR(double(wav->data.size()), seconds * 22050, 2);

    ripper->DestinationFormat(engine::dfMP3);  // the default settings: 44100 Hz joint stereo
    ripper->TrackNumber(1);
    ripper->OutputFile(path(QStringLiteral("song.mp3")));
    o = rip(*ripper);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();

    ripper->DestinationFormat(engine::dfOGG);
    ripper->SetOggFormat({0, 0, 50});
    ripper->OutputFile(path(QStringLiteral("song.ogg")));
    o = rip(*ripper);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();

    const struct {
        const char* file;
        const char* kind;
        double frameSeconds;
    } cases[] = {{"song.mp3", "MP3", 1152 / 44100.0}, {"song.ogg", "OggVorbis", 2048 / 44100.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QJsonObject info = readWithMutagen(path(QString::fromLatin1(c.file)));
        EXPECT_EQ(info.value(QStringLiteral("kind")).toString(), QString::fromLatin1(c.kind));
        EXPECT_NEAR(info.value(QStringLiteral("length")).toDouble(), seconds, c.frameSeconds);
        EXPECT_EQ(info.value(QStringLiteral("rate")).toInt(), 44100);
        EXPECT_EQ(info.value(QStringLiteral("channels")).toInt(), 2);
        EXPECT_EQ(info.value(QStringLiteral("title")).toString(), QStringLiteral("Première"));
        EXPECT_EQ(info.value(QStringLiteral("artist")).toString(), QStringLiteral("The Band"));
        EXPECT_EQ(info.value(QStringLiteral("album")).toString(), QStringLiteral("Live"));
    }
}

TEST_F(AudioCDRipperTest, AbortLeavesNoFileAndAnExistingOutputUntouched)
{
    useDrives({discimages::WriteBinCue(dir.path(), QStringLiteral("long"), {{true, 75 * 120}})});
    const QString out = path(QStringLiteral("kept.mp3"));
    ASSERT_TRUE(fixtures::writeFile(out, "what was there before"));
    ripper->DeviceIndex(0);
    ripper->TrackNumber(1);
    ripper->DestinationFormat(engine::dfMP3);
    ripper->OutputFile(out);
    bool asked = false;
    const Outcome o = rip(*ripper, [&](int percent) {
        if (percent > 0 && !asked) {
            asked = true;
            ripper->Abort();
        }
    });
    EXPECT_TRUE(asked);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Aborted")}) << o.text.toStdString();
    EXPECT_LT(o.progress.last(), 100);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("what was there before"));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
}

TEST_F(AudioCDRipperTest, FailedStartsEndInOneErrorNamingTheTrackOrDrive)
{
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("mixed"), {{true, 75 * 60}, {false, 50}});
    const QString gone = discimages::WriteBinCue(dir.path(), QStringLiteral("removed"), {{true, 75}});
    useDrives({cue, gone});
    wavCd();

    const struct {
        const char* name;
        long device;
        long track;
        long code;
        const char* named;
    } cases[] = {
        {"data track", 0, 2, 2, "Track 2"},
        {"no such track", 0, 9, 2, "track 9"},
        {"removed image", 1, 1, 2, "E: removed.cue"},
        {"no device", -1, 1, 2, "track 1"},
        {"no such device", 5, 1, 2, "number 5"},
    };
    QFile::remove(gone);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ripper->DeviceIndex(c.device);
        ripper->TrackNumber(c.track);
        ripper->OutputFile(path(QStringLiteral("out.wav")));
        const Outcome o = rip(*ripper);
        ASSERT_EQ(o.ends, QStringList{QStringLiteral("Error")});
        EXPECT_EQ(o.code, c.code);
        EXPECT_TRUE(o.text.contains(QString::fromUtf8(c.named), Qt::CaseInsensitive)) << o.text.toStdString();
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.wav"))));
    }

    // A second Rip while one runs: that one alone answers with the busy error, the first ends.
    ripper->DeviceIndex(0);
    ripper->TrackNumber(1);
    ripper->DestinationFormat(engine::dfMP3);
    ripper->OutputFile(path(QStringLiteral("first.mp3")));
    QStringList ends;
    long busyCode = 0;
    QObject context;
    QObject::connect(ripper.get(), &cAudioCDRipper::Done, &context, [&] { ends << QStringLiteral("Done"); });
    QObject::connect(ripper.get(), &cAudioCDRipper::Error, &context, [&](long code, const QString& text) {
        ends << QStringLiteral("Error");
        busyCode = code;
        EXPECT_TRUE(text.contains(QStringLiteral("track 1"))) << text.toStdString();
    });
    ripper->Rip();
    ripper->Rip();
    QElapsedTimer t;
    t.start();
    while (ends.size() < 2 && t.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(ends, (QStringList{QStringLiteral("Error"), QStringLiteral("Done")}));
    EXPECT_EQ(busyCode, 6);
}

TEST_F(AudioCDRipperTest, ShutdownStopsARipSilently)
{
    useDrives({discimages::WriteBinCue(dir.path(), QStringLiteral("long"), {{true, 75 * 120}})});
    ripper->DeviceIndex(0);
    ripper->TrackNumber(1);
    ripper->DestinationFormat(engine::dfMP3);
    ripper->OutputFile(path(QStringLiteral("never.mp3")));
    ASSERT_TRUE(ripper->SelectDevice(0));
    ripper->Rip();
    ripper->Shutdown();
    const Outcome o = waitForEnd(*ripper, {}, 300);
    EXPECT_TRUE(o.ends.isEmpty());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("never.mp3"))));
    EXPECT_TRUE(leftovers().isEmpty());
    EXPECT_EQ(ripper->TrackCount(), 0);  // the query handle is closed too
}

}  // namespace
