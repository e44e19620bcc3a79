// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Cross-checks with other taggers (python3-mutagen, eyeD3, id3v2): what we write they read with
// the same texts, and what they write we read with the same texts. The tools are part of the
// test set-up; a missing tool fails the test rather than skipping it.
#include "tags/editor/MP3TagsEditorPresenter.h"
#include "tags/lib/cMP3ID3v1.h"
#include "tags/lib/cMP3ID3v2.h"

#include "tests/tags_lib/TagFixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <functional>

#include <gtest/gtest.h>

using namespace tagfix;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// Valid MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz) with patterned data, so that every
// tool takes the file for an MP3.
QByteArray mpegAudio(int frames)
{
    QByteArray frame("\xFF\xFB\x90\x64", 4);
    for (int i = 0; i < 413; ++i)
        frame += char((i * 7 + 3) % 200 + 1);
    QByteArray out;
    for (int i = 0; i < frames; ++i)
        out += frame;
    return out;
}

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProgram(program);
    p.setArguments(args);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start();
    ToolRun r;
    if (!p.waitForFinished(60000)) {
        r.err = "did not finish: " + p.errorString().toUtf8();
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// What mutagen reads from a file: the ID3v2 frames we care about and the ID3v1 record.
const char* kMutagenRead = R"PY(
import json, sys
from mutagen.id3 import ID3, ParseID3v1
path = sys.argv[1]
tag = ID3(path, load_v1=False, translate=False)
out = {"version": "%d.%d" % tag.version[:2]}
for key in ("TIT2", "TPE1", "TALB", "TYER", "TRCK", "TENC", "TCOP", "TOPE", "TCON"):
    f = tag.get(key)
    if f is not None:
        out[key] = "/".join(str(t) for t in f.text)
out["COMM"] = [[c.lang, c.desc, "/".join(c.text)] for c in tag.getall("COMM")]
out["USLT"] = [[u.lang, u.desc, u.text] for u in tag.getall("USLT")]
out["WXXX"] = [w.url for w in tag.getall("WXXX")]
out["APIC"] = [[a.mime, a.type, a.desc, a.data.hex()] for a in tag.getall("APIC")]
with open(path, "rb") as f:
    f.seek(-128, 2)
    v1 = ParseID3v1(f.read(128))
if v1:
    out["v1"] = {k: "/".join(str(t) for t in v.text) for k, v in v1.items()}
print(json.dumps(out))
)PY";

const char* kMutagenWrite = R"PY(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TCON, COMM, USLT, TYER, TDRC, WXXX, TCOP, TENC, TOPE, APIC
path, version, enc = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
t = ID3()
t.add(TIT2(encoding=enc, text=sys.argv[4]))
t.add(TPE1(encoding=enc, text=sys.argv[5]))
t.add(TALB(encoding=enc, text="Album \u00e9"))
t.add(TRCK(encoding=enc, text="7/9"))
t.add(TCON(encoding=enc, text="(17)Rock"))
t.add(COMM(encoding=enc, lang="eng", desc="", text=sys.argv[6]))
t.add(USLT(encoding=enc, lang="eng", desc="", text="line one\nline two"))
t.add(WXXX(encoding=enc, desc="", url="http://example.org/x"))
t.add(TCOP(encoding=enc, text="2020 someone"))
t.add(APIC(encoding=enc, mime="image/png", type=3, desc="cover", data=b"\x89PNG\r\n\x1a\n\x00\x01\xff\xfb"))
if version == 4:
    t.add(TDRC(encoding=enc, text="2019"))
else:
    t.add(TYER(encoding=enc, text="2019"))
t.save(path, v2_version=version, v1=0)
)PY";

class PeerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"/usr/bin/python3", "/usr/bin/eyeD3", "/usr/bin/id3v2"})
            ASSERT_TRUE(QFileInfo::exists(QString::fromLatin1(tool)))
                << tool << " is missing: install python3-mutagen, eyed3 and id3v2";
        ASSERT_EQ(run(kPython, {QStringLiteral("-c"), QStringLiteral("import mutagen")}).exitCode, 0) << "python3-mutagen";
    }
    QString path(const QString& name = QStringLiteral("a.mp3")) const { return m_dir.filePath(name); }
    QJsonObject mutagenRead(const QString& file)
    {
        const ToolRun r = run(kPython, {QStringLiteral("-c"), QString::fromUtf8(kMutagenRead), file});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out).object();
    }
    static qsizetype tagLength(const QByteArray& file)
    {
        if (!file.startsWith("ID3"))
            return 0;
        const auto b = [&](int i) { return uint32_t(uint8_t(file[i])); };
        return 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
    }
    QTemporaryDir m_dir;
};

const QString kUnicode = QString::fromUtf8("Caf\u00e9 \u65e5\u672c \u0416");

TEST_F(PeerTest, MutagenReadsWhatWeWrite)
{
    struct Case {
        const char* name;
        QByteArray start;  // the file before we tag it
    };
    const std::vector<Case> cases = {
        {"untagged", mpegAudio(30)},
        {"v2.4 from another tagger", buildTag(4, {{"TIT2", utf8Text(QStringLiteral("old"))}}, 50) + mpegAudio(30)},
        {"v2.3 with a picture", buildTag(3, {{"APIC", QByteArray("\0image/png\0\x03pic\0\x89PNG\xFF\xFB", 22)}}, 10) +
                                    mpegAudio(30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(path(), c.start);
        cMP3ID3v1 v1;
        v1.MP3File(path());
        v1.Title(QStringLiteral("V1 Title"));
        v1.Artist(QString::fromUtf8("Beyonc\u00e9"));
        v1.Year(QStringLiteral("1999"));
        v1.Comment(QStringLiteral("v1 comment"));
        v1.Genre(17);
        v1.Update();
        cMP3ID3v2 v2;
        v2.MP3File(path());
        v2.Title(kUnicode);
        v2.Artist(QString::fromUtf8("Beyonc\u00e9"));
        v2.Album(QStringLiteral("Plain"));
        v2.Year(QStringLiteral("2004"));
        v2.Track(QStringLiteral("5"));
        v2.Comment(QString::fromUtf8("Comment \u00fc \u65e5"));
        v2.Lyrics(QStringLiteral("la la\r\nla"));
        v2.LinkTo(QStringLiteral("http://example.org/"));
        v2.Copyright(QStringLiteral("me"));
        v2.Genre(17);
        v2.OtherGenreName(QStringLiteral("Rock"));
        v2.Update();

        const QByteArray after = readAll(path());
        const QByteArray audio = c.start.mid(tagLength(c.start));
        EXPECT_EQ(after.mid(tagLength(after), audio.size()), audio);

        const QJsonObject m = mutagenRead(path());
        EXPECT_EQ(m[QStringLiteral("version")].toString(), QStringLiteral("2.3"));
        EXPECT_EQ(m[QStringLiteral("TIT2")].toString(), kUnicode);
        EXPECT_EQ(m[QStringLiteral("TPE1")].toString(), QString::fromUtf8("Beyonc\u00e9"));
        EXPECT_EQ(m[QStringLiteral("TALB")].toString(), QStringLiteral("Plain"));
        EXPECT_EQ(m[QStringLiteral("TYER")].toString(), QStringLiteral("2004"));
        EXPECT_EQ(m[QStringLiteral("TRCK")].toString(), QStringLiteral("5"));
        EXPECT_EQ(m[QStringLiteral("TCOP")].toString(), QStringLiteral("me"));
        EXPECT_EQ(m[QStringLiteral("TCON")].toString(), QStringLiteral("(17)Rock"));
        const QJsonArray comm = m[QStringLiteral("COMM")].toArray();
        ASSERT_EQ(comm.size(), 1);
        EXPECT_EQ(comm[0].toArray()[1].toString(), QString());
        EXPECT_EQ(comm[0].toArray()[2].toString(), QString::fromUtf8("Comment \u00fc \u65e5"));
        const QJsonArray uslt = m[QStringLiteral("USLT")].toArray();
        ASSERT_EQ(uslt.size(), 1);
        EXPECT_EQ(uslt[0].toArray()[2].toString(), QStringLiteral("la la\r\nla"));
        EXPECT_EQ(m[QStringLiteral("WXXX")].toArray().first().toString(), QStringLiteral("http://example.org/"));
        if (c.start.contains("APIC")) {
            const QJsonArray apic = m[QStringLiteral("APIC")].toArray();
            ASSERT_EQ(apic.size(), 1);
            EXPECT_EQ(apic[0].toArray()[0].toString(), QStringLiteral("image/png"));
            EXPECT_EQ(apic[0].toArray()[2].toString(), QStringLiteral("pic"));
            EXPECT_EQ(apic[0].toArray()[3].toString(), QStringLiteral("89504e47fffb"));
        }
        const QJsonObject v1m = m[QStringLiteral("v1")].toObject();
        EXPECT_EQ(v1m[QStringLiteral("TIT2")].toString(), QStringLiteral("V1 Title"));
        EXPECT_EQ(v1m[QStringLiteral("TPE1")].toString(), QString::fromUtf8("Beyonc\u00e9"));
        EXPECT_EQ(v1m[QStringLiteral("TDRC")].toString(), QStringLiteral("1999"));
        EXPECT_EQ(v1m[QStringLiteral("TCON")].toString(), QStringLiteral("17"));
    }
}

TEST_F(PeerTest, Id3libReadsWhatWeWrite)
{
    writeAll(path(), mpegAudio(20));
    cMP3ID3v2 v2;
    v2.MP3File(path());
    v2.Title(QStringLiteral("Plain Title"));
    v2.Artist(QStringLiteral("Someone"));
    v2.Comment(QStringLiteral("A note"));
    v2.Update();
    const ToolRun r = run(QStringLiteral("/usr/bin/id3v2"), {QStringLiteral("-l"), path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString listing = QString::fromLatin1(r.out);
    EXPECT_TRUE(listing.contains(QStringLiteral("TIT2 (Title/songname/content description): Plain Title")))
        << listing.toStdString();
    EXPECT_TRUE(listing.contains(QStringLiteral("TPE1 (Lead performer(s)/Soloist(s)): Someone")));
    EXPECT_TRUE(listing.contains(QStringLiteral("A note")));
}

TEST_F(PeerTest, WeReadWhatMutagenWrites)
{
    struct Case {
        int version;
        int encoding;
    };
    for (const Case c : {Case{3, 1}, Case{3, 0}, Case{4, 3}, Case{4, 1}, Case{4, 2}}) {
        if (c.version == 3 && c.encoding > 1)
            continue;
        SCOPED_TRACE("v2." + std::to_string(c.version) + " encoding " + std::to_string(c.encoding));
        const QString title = c.encoding == 0 ? QString::fromUtf8("Caf\u00e9") : kUnicode;
        const QByteArray audio = mpegAudio(25);
        writeAll(path(), audio);
        const ToolRun w = run(kPython, {QStringLiteral("-c"), QString::fromUtf8(kMutagenWrite), path(),
                                    QString::number(c.version), QString::number(c.encoding), title,
                                    QStringLiteral("Art"), QStringLiteral("Said")});
        ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
        cMP3ID3v2 tag;
        tag.MP3File(path());
        EXPECT_EQ(tag.ID3v2TagVersion(), c.version);
        EXPECT_EQ(tag.Title(), title);
        EXPECT_EQ(tag.Artist(), QStringLiteral("Art"));
        EXPECT_EQ(tag.Album(), QString::fromUtf8("Album \u00e9"));
        EXPECT_EQ(tag.Track(), QStringLiteral("7/9"));
        EXPECT_EQ(tag.Year(), QStringLiteral("2019"));
        EXPECT_EQ(tag.Comment(), QStringLiteral("Said"));
        EXPECT_EQ(tag.Lyrics(), QStringLiteral("line one\nline two"));
        EXPECT_EQ(tag.LinkTo(), QStringLiteral("http://example.org/x"));
        EXPECT_EQ(tag.Copyright(), QStringLiteral("2020 someone"));
        EXPECT_EQ(tag.Genre(), 17);
        EXPECT_EQ(tag.OtherGenreName(), QStringLiteral("Rock"));

        // Saving it again through us keeps the picture and the audio, and mutagen agrees.
        tag.Title(QStringLiteral("Changed"));
        tag.Update();
        const QByteArray after = readAll(path());
        EXPECT_EQ(after.mid(tagLength(after)), audio);
        const QJsonObject m = mutagenRead(path());
        EXPECT_EQ(m[QStringLiteral("TIT2")].toString(), QStringLiteral("Changed"));
        EXPECT_EQ(m[QStringLiteral("TPE1")].toString(), QStringLiteral("Art"));
        EXPECT_EQ(m[QStringLiteral("COMM")].toArray().first().toArray()[2].toString(), QStringLiteral("Said"));
        const QJsonArray apic = m[QStringLiteral("APIC")].toArray();
        ASSERT_EQ(apic.size(), 1);
        EXPECT_EQ(apic[0].toArray()[2].toString(), QStringLiteral("cover"));
        EXPECT_EQ(apic[0].toArray()[3].toString(), QStringLiteral("89504e470d0a1a0a0001fffb"));
    }
}

TEST_F(PeerTest, WeReadWhatEyeD3Writes)
{
    for (const char* version : {"--to-v2.3", "--to-v2.4"}) {
        SCOPED_TRACE(version);
        const QByteArray audio = mpegAudio(25);
        writeAll(path(), audio);
        const ToolRun w = run(QStringLiteral("/usr/bin/eyeD3"),
                          {QString::fromLatin1(version), QStringLiteral("-t"), kUnicode, QStringLiteral("-a"),
                           QStringLiteral("Artist"), QStringLiteral("-A"), QString::fromUtf8("Alb\u00fcm"),
                           QStringLiteral("-c"), QStringLiteral("Comm"), QStringLiteral("-n"), QStringLiteral("4"),
                           QStringLiteral("-G"), QStringLiteral("Rock"), path()});
        ASSERT_EQ(w.exitCode, 0) << w.err.toStdString() << w.out.toStdString();
        cMP3ID3v2 tag;
        tag.MP3File(path());
        EXPECT_EQ(tag.Title(), kUnicode);
        EXPECT_EQ(tag.Artist(), QStringLiteral("Artist"));
        EXPECT_EQ(tag.Album(), QString::fromUtf8("Alb\u00fcm"));
        EXPECT_EQ(tag.Comment(), QStringLiteral("Comm"));
        EXPECT_EQ(tag.Track().toInt(), 4);
        EXPECT_TRUE(tag.Genre() == 17 || tag.OtherGenreName() == QStringLiteral("Rock"));
        const QByteArray after = readAll(path());
        EXPECT_EQ(after.mid(tagLength(after)), audio);
    }
}

TEST_F(PeerTest, WeReadWhatId3libWrites)
{
    const QByteArray audio = mpegAudio(25);
    writeAll(path(), audio);
    const ToolRun w = run(QStringLiteral("/usr/bin/id3v2"),
                      {QStringLiteral("-t"), QStringLiteral("Title"), QStringLiteral("-a"), QStringLiteral("Artist"),
                       QStringLiteral("-A"), QStringLiteral("Album"), QStringLiteral("-c"), QStringLiteral("Comment here"),
                       QStringLiteral("-y"), QStringLiteral("2001"), QStringLiteral("-T"), QStringLiteral("3"),
                       QStringLiteral("-g"), QStringLiteral("17"), path()});
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
    cMP3ID3v2 v2;
    v2.MP3File(path());
    EXPECT_EQ(v2.ID3v2TagVersion(), 3);
    EXPECT_EQ(v2.Title(), QStringLiteral("Title"));
    EXPECT_EQ(v2.Artist(), QStringLiteral("Artist"));
    EXPECT_EQ(v2.Album(), QStringLiteral("Album"));
    EXPECT_EQ(v2.Comment(), QStringLiteral("Comment here"));
    EXPECT_EQ(v2.Year(), QStringLiteral("2001"));
    EXPECT_EQ(v2.Track(), QStringLiteral("3"));
    EXPECT_EQ(v2.Genre(), 17);
    cMP3ID3v1 v1;
    v1.MP3File(path());
    EXPECT_TRUE(v1.HasID3v1Tag());
    EXPECT_EQ(v1.Title(), QStringLiteral("Title"));
    EXPECT_EQ(v1.Comment(), QStringLiteral("Comment here"));
    EXPECT_EQ(v1.Track(), 3);
    EXPECT_EQ(v1.Genre(), 17);

    // Our rewrite of id3lib's tag is read back by id3lib.
    v2.Album(QStringLiteral("Second album"));
    v2.Update();
    const ToolRun l = run(QStringLiteral("/usr/bin/id3v2"), {QStringLiteral("-l"), path()});
    EXPECT_TRUE(QString::fromLatin1(l.out).contains(QStringLiteral("Second album"))) << l.out.toStdString();
    const QByteArray after = readAll(path());
    EXPECT_EQ(after.mid(tagLength(after), audio.size()), audio);
}

// Tags as other taggers leave them: described comments (a player's normalisation data, a disc
// id), a picture, private data, a user text, a second artist, and a genre that is a name no
// list entry holds (2.3) or a bare list number (2.4). Everything in UTF-16, which 2.3 carries.
const char* kMutagenRealWorld = R"PY(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TPE2, TCON, COMM, APIC, PRIV, TXXX
path, version, genre = sys.argv[1], int(sys.argv[2]), sys.argv[3]
t = ID3()
t.add(TIT2(encoding=1, text="Song"))
t.add(TPE1(encoding=1, text="Band"))
t.add(TCON(encoding=0, text=genre))
t.add(COMM(encoding=1, lang="eng", desc="", text="note"))
t.add(COMM(encoding=1, lang="eng", desc="iTunNORM", text=" 0000044E 00000000 00008B2C"))
t.add(COMM(encoding=0, lang="eng", desc="CDDB Disc ID", text="8a0b3c0d"))
t.add(APIC(encoding=1, mime="image/png", type=3, desc="cover", data=b"\x89PNG\r\n\x1a\n\x00\xff\xfb\x00"))
t.add(PRIV(owner="WM/MediaClassPrimaryID", data=b"\xbc}`\xd1#\xe3\xe2K\x86\xa1H\xa4*(D\x1e"))
t.add(TXXX(encoding=1, desc="replaygain_track_gain", text="-6.50 dB"))
t.add(TPE2(encoding=1, text="Various"))
t.save(path, v2_version=version, v1=2)
)PY";

// Compares a file before and after the editor's Apply: every frame the editor does not write
// must be there with the same bytes (walked by hand) and the same content (as mutagen reads
// it), and the audio between the tag and the ID3v1 record must be the same.
const char* kCompareKept = R"PY(
import json, sys
from mutagen.id3 import ID3
EDITED = {"TIT2", "TPE1", "TALB", "TYER", "TCON", "TRCK", "TOPE", "TCOP", "TENC", "WXXX", "USLT"}
def walk(path):
    d = open(path, "rb").read()
    end = 10 + ((d[6] << 21) | (d[7] << 14) | (d[8] << 7) | d[9]) if d[:3] == b"ID3" else 0
    frames, pos = [], 10
    while end and pos + 10 <= end and d[pos:pos + 4] != b"\0\0\0\0":
        s = d[pos + 4:pos + 8]
        n = (s[0] << 21) | (s[1] << 14) | (s[2] << 7) | s[3] if d[3] == 4 else int.from_bytes(s, "big")
        frames.append((d[pos:pos + 4].decode("latin-1"), d[pos + 10:pos + 10 + n]))
        pos += 10 + n
    v1 = d[-128:] if d[-128:-125] == b"TAG" else b""
    return frames, d[end:len(d) - len(v1)], v1
def plain_comment(body):
    rest = body[4:]
    if body[0] in (1, 2):
        desc = next((rest[:i] for i in range(0, len(rest) - 1, 2) if rest[i:i + 2] == b"\0\0"), rest)
        return desc in (b"", b"\xff\xfe", b"\xfe\xff")
    return rest.split(b"\0", 1)[0] == b""
def kept(frames):
    return [(i, b) for i, b in frames if i not in EDITED and not (i == "COMM" and plain_comment(b))]
def view(path):
    return {k: repr(f) for k, f in ID3(path, translate=False).items()
            if f.FrameID not in EDITED and not (f.FrameID == "COMM" and f.desc == "")}
before, after = sys.argv[1], sys.argv[2]
fb, audio_b, _ = walk(before)
fa, audio_a, v1 = walk(after)
vb, va = view(before), view(after)
tag = ID3(after, translate=False)
print(json.dumps({
    "bytes_lost": [i + ":" + b.hex() for i, b in kept(fb) if (i, b) not in fa],
    "frames_lost": [k for k in vb if va.get(k) != vb[k]],
    "kept_count": len(kept(fb)),
    "audio_same": audio_b == audio_a and len(audio_b) > 0,
    "version": tag.version[1],
    "TIT2": str(tag["TIT2"]),
    "TCON": str(tag["TCON"]),
    "comment": [str(c) for c in tag.getall("COMM") if c.desc == ""],
    "v1_genre": v1[127] if v1 else -1,
}))
)PY";

TEST_F(PeerTest, EditorApplyKeepsEveryFrameItDoesNotEdit)
{
    struct Case {
        const char* name;
        int version;
        const char* genre;  // as stored by the other tagger
        const char* shown;  // in the editor's genre box
        const char* tcon;   // the genre frame afterwards
        int v1Genre;        // the ID3v1 genre afterwards
        bool falseExtendedFlag;
    };
    const std::vector<Case> cases = {
        {"2.3, a genre no entry holds", 3, "Bigbeat", "Bigbeat", "Bigbeat", 255, false},
        {"2.4, a bare genre number", 4, "35", "House", "(35)House", 35, false},
        {"2.4, extended header flag without the header", 4, "Silence", "Silence", "Silence", 255, true},
        {"2.3, extended header flag without the header", 3, "12", "Other", "(12)Other", 12, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString before = path(QStringLiteral("before.mp3")), file = path();
        QFile::remove(file);
        QFile::remove(before);
        writeAll(file, mpegAudio(40));
        const ToolRun w = run(kPython, {QStringLiteral("-c"), QString::fromUtf8(kMutagenRealWorld), file,
                                        QString::number(c.version), QString::fromLatin1(c.genre)});
        ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
        if (c.falseExtendedFlag) {
            QByteArray bytes = readAll(file);
            bytes[5] = char(bytes[5] | 0x40);
            writeAll(file, bytes);
        }
        ASSERT_TRUE(QFile::copy(file, before));

        MP3TagsEditorPresenter editor;
        editor.VersionChanged(2);
        MP3TagFields f = editor.ReadTags(file);
        EXPECT_EQ(f.txtTitle, QStringLiteral("Song"));
        EXPECT_EQ(f.txtDescription, QStringLiteral("note")) << "only the plain comment is shown";
        EXPECT_EQ(f.genreText, QString::fromLatin1(c.shown));
        f.txtTitle = QStringLiteral("New title");
        const auto error = editor.Apply(f);
        ASSERT_FALSE(error.has_value()) << error->description.toStdString();

        const ToolRun r = run(kPython, {QStringLiteral("-c"), QString::fromUtf8(kCompareKept), before, file});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QJsonObject m = QJsonDocument::fromJson(r.out).object();
        EXPECT_EQ(m[QStringLiteral("bytes_lost")].toArray(), QJsonArray()) << r.out.toStdString();
        EXPECT_EQ(m[QStringLiteral("frames_lost")].toArray(), QJsonArray()) << r.out.toStdString();
        EXPECT_EQ(m[QStringLiteral("kept_count")].toInt(), 6) << "described comments, picture, private, user text, TPE2";
        EXPECT_TRUE(m[QStringLiteral("audio_same")].toBool());
        EXPECT_EQ(m[QStringLiteral("version")].toInt(), 3);
        EXPECT_EQ(m[QStringLiteral("TIT2")].toString(), QStringLiteral("New title"));
        EXPECT_EQ(m[QStringLiteral("TCON")].toString(), QString::fromLatin1(c.tcon));
        EXPECT_EQ(m[QStringLiteral("comment")].toArray(), QJsonArray({QStringLiteral("note")}));
        EXPECT_EQ(m[QStringLiteral("v1_genre")].toInt(), c.v1Genre);
    }
}


// The dates mutagen reads (as version 2.4 time stamps, the way it shows every tag) and the
// years eyeD3 and id3v2 list, after the editor applied a file.
const char* kMutagenDates = R"PY(
import json, sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1])
raw = ID3(sys.argv[1], translate=False)
print(json.dumps({"TDRC": [str(x) for x in t["TDRC"].text] if "TDRC" in t else [],
                  "frames": sorted(k for k in raw.keys() if k in ("TDRC", "TYER", "TDAT", "TIME"))}))
)PY";

TEST_F(PeerTest, OtherTaggersReadTheDatesTheEditorWrites)
{
    struct Case {
        const char* name;
        int version;
        const char* frame;     // the date frame another tagger wrote
        const char* stamp;
        const char* year;      // typed into the editor's year box; empty leaves the box as read
        const char* expected;  // mutagen's recording time afterwards, in its own form
    };
    const std::vector<Case> cases = {
        {"2.4 time stamp kept as far as 2.3 holds it", 4, "TDRC", "2003-05-12T14:30:07", "", "2003-05-12 14:30:00"},
        {"2.4 date", 4, "TDRC", "2003-05-12", "", "2003-05-12"},
        {"2.3 tag with a 2.4 time stamp, year changed", 3, "TDRC", "2003-05-12", "2011", "2011"},
        {"2.3 tag with a 2.4 time stamp, year kept", 3, "TDRC", "2003-05-12", "", "2003"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path();
        writeAll(file, buildTag(c.version, {{"TIT2", latin1Text("Song")}, {c.frame, latin1Text(c.stamp)}}) + mpegAudio(40));
        MP3TagsEditorPresenter editor;
        editor.VersionChanged(1);
        MP3TagFields f = editor.ReadTags(file);
        EXPECT_EQ(f.txtYear, QStringLiteral("2003"));
        if (*c.year)
            f.txtYear = QLatin1String(c.year);
        const auto error = editor.Apply(f);
        ASSERT_FALSE(error.has_value()) << error->description.toStdString();

        const ToolRun r = run(kPython, {QStringLiteral("-c"), QString::fromUtf8(kMutagenDates), file});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QJsonObject m = QJsonDocument::fromJson(r.out).object();
        EXPECT_EQ(m[QStringLiteral("TDRC")].toArray(), QJsonArray({QLatin1String(c.expected)})) << r.out.toStdString();
        EXPECT_FALSE(m[QStringLiteral("frames")].toArray().contains(QStringLiteral("TDRC"))) << r.out.toStdString();

        // The others list one year, the one the file holds.
        const QString year = QString::fromLatin1(c.expected).left(4);
        for (const auto& [tool, args] : {std::pair{QStringLiteral("/usr/bin/id3v2"), QStringList{QStringLiteral("-l"), file}},
                                         std::pair{QStringLiteral("/usr/bin/eyeD3"), QStringList{QStringLiteral("--no-color"), file}}}) {
            const ToolRun t = run(tool, args);
            ASSERT_EQ(t.exitCode, 0) << t.err.toStdString();
            const QString out = QString::fromUtf8(t.out);
            EXPECT_TRUE(out.contains(year)) << tool.toStdString() << ": " << out.toStdString();
            if (year != QLatin1String("2003")) {
                EXPECT_FALSE(out.contains(QStringLiteral("2003"))) << tool.toStdString() << ": " << out.toStdString();
            }
        }
    }
}

// Tags whose size field runs into the audio, as the editor meets them: no padding and a size
// of 500 bytes, the largest size there is, and padding with a size 100 bytes too large. Only
// the year is changed; lyrics in a language of their own stand in the tag.
TEST_F(PeerTest, EditorApplyOnATagWhoseSizeRunsIntoTheAudioKeepsTheAudioAndTheFrames)
{
    const QByteArray audio = mpegAudio(40);
    const QByteArray uslt = QByteArray("\0zho\0", 5) + "words";
    const std::vector<RawFrame> frames = {{"TIT2", latin1Text("Song")}, {"USLT", uslt}, {"TYER", latin1Text("2003")}};
    struct Case {
        const char* name;
        int padding;
        std::function<uint32_t(uint32_t)> size;  // the size field from the true one
        bool keptWhole;                          // the old tag stays behind the new one
    };
    const std::vector<Case> cases = {
        {"no padding, size 500", 0, [](uint32_t) { return 500u; }, false},
        {"no padding, size 0x0FFFFFFF", 0, [](uint32_t) { return 0x0FFFFFFFu; }, true},
        {"padding, size 100 too large", 64, [](uint32_t n) { return n + 100; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray tag = buildTag(3, frames, c.padding);
        const uint32_t trueSize = uint32_t(tag.size() - 10);
        tag.replace(6, 4, syncsafe(c.size(trueSize)));
        const QString file = path();
        writeAll(file, tag + audio);

        MP3TagsEditorPresenter editor;
        editor.VersionChanged(1);
        MP3TagFields f = editor.ReadTags(file);
        EXPECT_EQ(f.txtTitle, QStringLiteral("Song"));
        EXPECT_EQ(f.txtLyric, QStringLiteral("words"));
        f.txtYear = QStringLiteral("2011");
        const auto error = editor.Apply(f);
        ASSERT_FALSE(error.has_value()) << error->description.toStdString();

        const QByteArray after = readAll(file);
        EXPECT_TRUE(after.endsWith(audio)) << "the audio is not whole";
        EXPECT_EQ(after.mid(tagLength(after)), c.keptWhole ? tag + audio : audio);
        cMP3ID3v2 back;
        back.MP3File(file);
        // Every frame is one of the editor's, none is made of audio bytes.
        static const QRegularExpression validId(QStringLiteral("^[A-Z0-9]{4}$"));
        QStringList ids;
        for (long i = 1; i <= back.FrameCount(); ++i)
            ids << back.Frame(i);
        EXPECT_EQ(ids.filter(validId), ids);
        EXPECT_TRUE(ids.contains(QStringLiteral("TIT2")) && ids.contains(QStringLiteral("USLT"))) << ids.join(' ').toStdString();

        const ToolRun m = run(kPython, {QStringLiteral("-c"), QString::fromUtf8(kMutagenRead), file});
        ASSERT_EQ(m.exitCode, 0) << m.err.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(m.out).object();
        EXPECT_EQ(o[QStringLiteral("TIT2")].toString(), QStringLiteral("Song")) << m.out.toStdString();
        EXPECT_EQ(o[QStringLiteral("USLT")].toArray(),
                  QJsonArray({QJsonArray({QStringLiteral("zho"), QString(), QStringLiteral("words")})}))
            << m.out.toStdString();
        const ToolRun l = run(QStringLiteral("/usr/bin/id3v2"), {QStringLiteral("-l"), file});
        ASSERT_EQ(l.exitCode, 0) << l.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(l.out).contains(QStringLiteral("TIT2"))) << l.out.toStdString();
        EXPECT_TRUE(QString::fromUtf8(l.out).contains(QStringLiteral("2011"))) << l.out.toStdString();
        const ToolRun e = run(QStringLiteral("/usr/bin/eyeD3"), {QStringLiteral("--no-color"), file});
        ASSERT_EQ(e.exitCode, 0) << e.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(e.out).contains(QStringLiteral("title: Song"))) << e.out.toStdString();
    }
}

}  // namespace
