// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// When the codec libraries come into the process: the program starts, loads a list of WAV items
// and joins WAV files without mapping one FFmpeg library; the first MP3 brings them in. Without
// the codec module, WAV work goes on and MP3 work fails with a sentence naming the module.
// The checks read this process's own memory map, so the tests here must run in this order and
// nothing before them may load the module.
#include "components/cAudioConverter.h"
#include "components/cAudioJoin.h"
#include "components/cGrid.h"
#include "components/engine/CodecModule.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlMain.h"
#include "foundation/mdlModes.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListFile.h"
#include "mainwindow/MainStartupWindows.h"
#include "platform/Paths.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/ListFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using fixtures::Pcm;

// The FFmpeg libraries and our module, as this process has them mapped.
QStringList codecLibrariesMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("(cannot read /proc/self/maps)")};
    QStringList found;
    static const QStringList kNames = {QStringLiteral("libavcodec"),    QStringLiteral("libavformat"),
                                       QStringLiteral("libavutil"),     QStringLiteral("libswresample"),
                                       QStringLiteral("libavfilter"),   QStringLiteral("libswscale"),
                                       QStringLiteral("quillmere-codecs")};
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const int slash = line.indexOf('/');
        if (slash < 0)
            continue;
        const QString path = QString::fromLocal8Bit(line.mid(slash));
        const QString name = path.section(QLatin1Char('/'), -1);
        for (const QString& lib : kNames)
            if (name.startsWith(lib) && !found.contains(path))
                found << path;
    }
    return found;
}

// A second of silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz): an MP3 made without any
// encoder, so that making it loads nothing.
QByteArray silentMp3()
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    return frame.repeated(40);
}

struct Outcome {
    QString end;
    long code = 0;
    QString text;
};

template <typename Component>
Outcome waitForEnd(Component& c, int ms = 20000)
{
    Outcome o;
    QObject context;
    QObject::connect(&c, &Component::Done, &context, [&] { o.end = QStringLiteral("Done"); });
    QObject::connect(&c, &Component::Aborted, &context, [&] { o.end = QStringLiteral("Aborted"); });
    QObject::connect(&c, &Component::Error, &context, [&](long code, const QString& text) {
        o.end = QStringLiteral("Error");
        o.code = code;
        o.text = text;
    });
    QElapsedTimer t;
    t.start();
    while (o.end.isEmpty() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return o;
}

class CodecModuleLoading : public testing::Test {
protected:
    QTemporaryDir dir;
    const Pcm pcm{44100, 2, 16};

    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList makeWavs(int count)
    {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            const QString file = path(QStringLiteral("take%1.wav").arg(i));
            EXPECT_TRUE(fixtures::writeFile(file, fixtures::wavBytes(pcm, fixtures::pattern(pcm, 4410 + i * 7, i))));
            files << file;
        }
        return files;
    }
    Outcome joinWavs(const QStringList& files, const QString& out)
    {
        auto join = CreateAudioJoin();
        join->DestinationFormat(engine::dfWAV);
        join->SetWavFormat({pcm.rate, int16_t(pcm.channels), int16_t(pcm.bits)});
        for (const QString& f : files)
            join->AddFile(f, -1, -1);
        join->OutputFile(out);
        join->Join();
        return waitForEnd(*join);
    }
    void TearDown() override { engine::setCodecModulePathForTesting({}); }
};

TEST_F(CodecModuleLoading, WavListsAndWavJoinsLeaveTheCodecLibrariesOutUntilAnMp3Comes)
{
    ASSERT_EQ(codecLibrariesMapped(), QStringList()) << "something loaded the codec libraries before the test";

    // The real start-up, with a list of WAV items that the main window loads as its first list.
    testenv::wipeUserFolders();
    platform::resetRegistryHives();
    InitProductConfig();
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
    const QStringList wavs = makeWavs(3);
    QList<ItemsListRecord> records;
    for (const QString& f : wavs)
        records << listfixtures::plainRecord(f, QFileInfo(f).fileName());
    const QString lists = platform::programFolder() + QStringLiteral("/Main/");
    ASSERT_TRUE(QDir().mkpath(lists));
    ASSERT_TRUE(listfixtures::writeList(lists + QStringLiteral("Takes.flst"), records));

    FakeMessageBox box;
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ASSERT_TRUE(QTest::qWaitFor([] { return frmMain->cGrid1->Rows() == 3; }, 20000))
        << "the main window did not load the list: " << frmMain->cGrid1->Rows() << " rows";

    const Outcome joined = joinWavs(wavs, path(QStringLiteral("joined.wav")));
    ASSERT_EQ(joined.end, QStringLiteral("Done")) << joined.text.toStdString();
    // The codec tables are data: listing them loads nothing either.
    auto converter = CreateAudioConverter();
    int tags = 0, formats = 0;
    QObject::connect(converter.get(), &cAudioConverter::TagFound, [&] { ++tags; });
    QObject::connect(converter.get(), &cAudioConverter::FormatFound, [&] { ++formats; });
    converter->EnumAcmTags(1, 44100, 2, 16, 0);
    converter->EnumAcmTags(1, 44100, 2, 16, 0x100000);
    converter->EnumAcmFormats(QStringLiteral("IMA ADPCM"));
    EXPECT_GT(tags, 2);
    EXPECT_GT(formats, 0);
    EXPECT_GT(converter->WmaCodecCount(), 0);
    EXPECT_GT(converter->WmaFormatCount(0), 0);
    EXPECT_EQ(codecLibrariesMapped(), QStringList());

    const QString mp3 = path(QStringLiteral("silence.mp3"));
    ASSERT_TRUE(fixtures::writeFile(mp3, silentMp3()));
    ASSERT_EQ(converter->OpenSource(mp3), 0);
    EXPECT_NEAR(converter->SourceDuration(), 1000, 60);
    const QStringList mapped = codecLibrariesMapped();
    EXPECT_TRUE(mapped.filter(QStringLiteral("libavcodec")).size() > 0) << mapped.join(' ').toStdString();
    EXPECT_TRUE(mapped.filter(QStringLiteral("quillmere-codecs.so")).size() > 0) << mapped.join(' ').toStdString();
}

TEST_F(CodecModuleLoading, WithoutTheModuleWavWorkGoesOnAndMp3WorkNamesIt)
{
    engine::setCodecModulePathForTesting(path(QStringLiteral("missing/quillmere-codecs.so")));
    const QStringList wavs = makeWavs(2);

    const Outcome joined = joinWavs(wavs, path(QStringLiteral("joined.wav")));
    EXPECT_EQ(joined.end, QStringLiteral("Done")) << joined.text.toStdString();
    const auto parsed = fixtures::parseWavFile(path(QStringLiteral("joined.wav")));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->data, fixtures::pattern(pcm, 4410, 0) + fixtures::pattern(pcm, 4417, 1));

    // Probing a WAV needs no module; an MP3 whose frames must be counted cannot be opened.
    auto converter = CreateAudioConverter();
    EXPECT_EQ(converter->OpenSource(wavs.first()), 0);
    const QString mp3 = path(QStringLiteral("silence.mp3"));
    ASSERT_TRUE(fixtures::writeFile(mp3, silentMp3()));
    EXPECT_NE(converter->OpenSource(mp3), 0);
    // One whose info frame gives its length is probed from its headers alone; with a tag to
    // read it needs the module again.
    QByteArray withInfo = silentMp3();
    QByteArray info("Info\0\0\0\x03", 8);  // frame and byte counts follow
    for (const quint32 v : {39u, quint32(withInfo.size())})
        for (int shift : {24, 16, 8, 0})
            info.append(char(v >> shift));
    withInfo.replace(4 + 32, info.size(), info);
    const QString counted = path(QStringLiteral("counted.mp3"));
    ASSERT_TRUE(fixtures::writeFile(counted, withInfo));
    ASSERT_EQ(converter->OpenSource(counted), 0);
    // Whole milliseconds, rounded up so the last samples are never cut off.
    EXPECT_EQ(converter->SourceDuration(), ((39 * 1152 - 529) * 1000 + 44100 - 1) / 44100);
    EXPECT_EQ(converter->SourceSampleRate(), 44100);
    const QString tagged = path(QStringLiteral("tagged.mp3"));
    ASSERT_TRUE(fixtures::writeFile(tagged, withInfo + "TAG" + QByteArray(125, ' ')));
    EXPECT_NE(converter->OpenSource(tagged), 0);

    // Each job that needs the module ends in one Error that names the module and the file.
    struct Case {
        const char* what;
        QStringList inputs;
        long format;
        int wavRate;
        long code;
        QString file;
    };
    const QString out = path(QStringLiteral("out"));
    const Case cases[] = {
        {"MP3 source", {mp3}, engine::dfWAV, 44100, 2, mp3},
        {"MP3 output", {wavs.first()}, engine::dfMP3, 44100, 3, out + QStringLiteral(".mp3")},
        {"OGG output", {wavs.first()}, engine::dfOGG, 44100, 3, out + QStringLiteral(".ogg")},
        {"WMA output", {wavs.first()}, engine::dfWMA, 44100, 3, out + QStringLiteral(".wma")},
        {"WAV at another rate", {wavs.first()}, engine::dfWAV, 22050, 2, wavs.first()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto join = CreateAudioJoin();
        join->DestinationFormat(c.format);
        join->SetWavFormat({c.wavRate, 2, 16});
        join->SetMp3Format(engine::Mp3FormatRecord{});
        join->SetOggFormat(engine::OggFormatRecord{});
        join->SetWmaFormat(engine::WmaFormatRecord{});
        for (const QString& f : c.inputs)
            join->AddFile(f, -1, -1);
        const QString target = c.format == engine::dfWAV ? out + QStringLiteral(".wav") : c.file;
        join->OutputFile(target);
        join->Join();
        const Outcome o = waitForEnd(*join);
        EXPECT_EQ(o.end, QStringLiteral("Error"));
        EXPECT_EQ(o.code, c.code) << o.text.toStdString();
        EXPECT_TRUE(o.text.contains(engine::codecModuleName())) << o.text.toStdString();
        EXPECT_TRUE(o.text.contains(c.file)) << o.text.toStdString();
        EXPECT_FALSE(QFileInfo::exists(target));
    }
    EXPECT_EQ(fixtures::folderEntries(dir.path()).filter(QStringLiteral(".part")), QStringList());
}

}  // namespace
