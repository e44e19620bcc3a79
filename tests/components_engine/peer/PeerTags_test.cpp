// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Tags written by the engine, read back by an independent tag reader (python3-mutagen).

#include "tests/components_engine/EngineFixtures.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace engine;
using namespace fixtures;

namespace {

// Prints one JSON object: the tag texts under our names.
const char* const kReader = R"PY(
import json, sys, mutagen
f = mutagen.File(sys.argv[1])
kind = type(f).__name__
def first(tags, *keys):
    for k in keys:
        if k in tags:
            v = tags[k]
            v = v[0] if isinstance(v, list) else v
            return str(v.value) if hasattr(v, "value") else str(v)
    return ""
out = {"kind": kind}
if kind == "MP3":
    from mutagen.id3 import ID3
    t = f.tags
    out.update(version=t.version[1], title=str(t["TIT2"]), artist=str(t["TPE1"]), album=str(t["TALB"]),
               year=str(t.get("TYER", t.get("TDRC", ""))), genre=str(t["TCON"]), track=str(t["TRCK"]),
               comment=str(t.getall("COMM")[0].text[0]))
    with open(sys.argv[1], "rb") as raw:
        raw.seek(-128, 2)
        v1 = raw.read(128)
    out["v1title"] = v1[3:33].rstrip(b"\0").decode("latin-1")
    out["v1track"] = v1[126]
elif kind == "OggVorbis":
    t = f.tags
    for ours, theirs in [("title", "title"), ("artist", "artist"), ("album", "album"), ("year", "date"),
                         ("comment", "comment"), ("genre", "genre"), ("track", "tracknumber")]:
        out[ours] = t[theirs][0] if theirs in t else ""
else:
    t = f.tags
    out.update(title=first(t, "Title"), artist=first(t, "Author"), album=first(t, "WM/AlbumTitle"),
               year=first(t, "WM/Year"), comment=first(t, "Description"), genre=first(t, "WM/Genre"),
               track=first(t, "WM/TrackNumber", "WM/Track"))
    out["counts"] = {k: len(v) for k, v in t.as_dict().items()}
out["length"] = f.info.length
print(json.dumps(out))
)PY";

QJsonObject readWithPeer(const QString& file)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kReader), file});
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

AudioTags sampleTags()
{
    AudioTags t;
    t.title = QStringLiteral("Título ☃ snow");  // needs more than Latin-1
    t.artist = QStringLiteral("Künstler");
    t.album = QStringLiteral("Album name");
    t.year = QStringLiteral("2010");
    t.comment = QStringLiteral("A comment");
    t.genre = QStringLiteral("Rock");
    t.track = QStringLiteral("3");
    return t;
}

void expectTags(const QJsonObject& o, const AudioTags& t)
{
    EXPECT_EQ(o[QStringLiteral("title")].toString(), t.title);
    EXPECT_EQ(o[QStringLiteral("artist")].toString(), t.artist);
    EXPECT_EQ(o[QStringLiteral("album")].toString(), t.album);
    EXPECT_EQ(o[QStringLiteral("year")].toString(), t.year);
    EXPECT_EQ(o[QStringLiteral("comment")].toString(), t.comment);
    EXPECT_EQ(o[QStringLiteral("genre")].toString(), t.genre);
    EXPECT_EQ(o[QStringLiteral("track")].toString(), t.track);
}

class PeerTags : public testing::Test {
protected:
    void SetUp() override
    {
        QProcess probe;
        probe.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import mutagen")});
        ASSERT_TRUE(probe.waitForFinished(30000) && probe.exitCode() == 0)
            << "python3-mutagen is missing: install it (tools/debian-packages.txt lists it)";
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(PeerTags, Mp3CarriesId3v23AndId3v1)
{
    Mp3FormatRecord r;
    r.Bitrate = 128;
    r.SampleRate = 44100;
    r.Mode = mp3JointStereo;
    r.Quality = 5;
    r.VBRMethod = mp3Vbr;
    r.VBRMinBitrate = 9;
    r.VBRMaxBitrate = 11;
    r.VBRQuality = 5;
    r.WriteVBRTag = -1;
    OutputSpec spec;
    spec.destinationFormat = dfMP3;
    spec.record = r.toBytes();
    const QString file = path(QStringLiteral("t.mp3"));
    const AudioTags tags = sampleTags();
    writeFile(spec, file, makeTone16(44100, 2, 44100 * 2));
    const QString tagged = path(QStringLiteral("tagged.mp3"));
    writeFile(spec, tagged, makeTone16(44100, 2, 44100 * 2), tags);

    const QJsonObject o = readWithPeer(tagged);
    EXPECT_EQ(o[QStringLiteral("kind")].toString(), QStringLiteral("MP3"));
    EXPECT_EQ(o[QStringLiteral("version")].toInt(), 3);
    expectTags(o, tags);
    EXPECT_EQ(o[QStringLiteral("v1title")].toString(), QStringLiteral("T?tulo ? snow").replace(1, 1, QChar(0xed)));
    EXPECT_EQ(o[QStringLiteral("v1track")].toInt(), 3);
    EXPECT_NEAR(o[QStringLiteral("length")].toDouble(), 2.0, 0.05);

    // Our own reader sees the same texts, and the tags cost no audio.
    auto reader = openOrFail(tagged);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->info().tags, tags);
    EXPECT_EQ(reader->info().totalFrames, 44100 * 2);
}

TEST_F(PeerTags, OggCarriesVorbisComments)
{
    OggFormatRecord r;
    r.Quality = 40;
    OutputSpec spec;
    spec.destinationFormat = dfOGG;
    spec.record = r.toBytes();
    spec.sourceFormat = PcmFormat{44100, 2, 16};
    const QString file = path(QStringLiteral("t.ogg"));
    const AudioTags tags = sampleTags();
    writeFile(spec, file, makeTone16(44100, 2, 44100), tags);
    const QJsonObject o = readWithPeer(file);
    EXPECT_EQ(o[QStringLiteral("kind")].toString(), QStringLiteral("OggVorbis"));
    expectTags(o, tags);
    auto reader = openOrFail(file);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->info().tags, tags);
}

TEST_F(PeerTags, WmaCarriesAsfTags)
{
    WmaFormatRecord r;
    OutputSpec spec;
    spec.destinationFormat = dfWMA;
    spec.record = r.toBytes();
    const QString file = path(QStringLiteral("t.wma"));
    const AudioTags tags = sampleTags();
    writeFile(spec, file, makeTone16(44100, 2, 44100), tags);
    const QJsonObject o = readWithPeer(file);
    EXPECT_EQ(o[QStringLiteral("kind")].toString(), QStringLiteral("ASF"));
    expectTags(o, tags);
    EXPECT_NEAR(o[QStringLiteral("length")].toDouble(), 1.0, 0.1);
    // Each tag once: no second "Author", no lower-case copy of one that has its own place.
    const QJsonObject counts = o[QStringLiteral("counts")].toObject();
    QSet<QString> seen;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        EXPECT_EQ(it.value().toInt(), 1) << it.key().toStdString();
        EXPECT_FALSE(seen.contains(it.key().toLower())) << it.key().toStdString();
        seen.insert(it.key().toLower());
    }
    EXPECT_TRUE(counts.contains(QStringLiteral("Author")));
    auto reader = openOrFail(file);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->info().tags, tags);
}
