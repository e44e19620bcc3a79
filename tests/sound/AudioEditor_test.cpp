// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The editor component: what it saves is compared with what the sox command cuts from the same
// file, byte for byte; playback of a selection is checked on the private sound server.
#include "components/cAudioEditor.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/PulseServer.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavBytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>

namespace {

using wavbytes::dataChunk;
using wavbytes::noise;

bool sox(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("sox"), args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class Editor : public testing::Test {
protected:
    void SetUp() override
    {
        dir = testenv::root() + QStringLiteral("/editor");
        QDir().mkpath(dir);
        editor.reset(CreateAudioEditor());
        info = std::make_unique<QSignalSpy>(editor.get(), &cAudioEditor::FileInfo);
        done = std::make_unique<QSignalSpy>(editor.get(), &cAudioEditor::Done);
        errors = std::make_unique<QSignalSpy>(editor.get(), &cAudioEditor::Error);
    }
    void TearDown() override { editor->Release(); }

    QString writeWav(const QString& name, int rate, int channels, int bits, double seconds, uint32_t seed)
    {
        const qint64 frames = static_cast<qint64>(rate * seconds);
        const QByteArray data = noise(frames * channels * bits / 8, seed);
        const QString path = dir + QLatin1Char('/') + name;
        EXPECT_TRUE(soundfx::writeFile(path, soundfx::wavHeader(rate, channels, bits, data.size()) + data));
        return path;
    }
    // Loads like the window: FileInfo sets the captions the save reads back.
    void load(const QString& path)
    {
        info->clear();
        ASSERT_EQ(editor->Load(path), 0);
        ASSERT_TRUE(info->wait(3000));
        seconds = info->at(0).at(3).toLongLong();
        samples = info->at(0).at(4).toLongLong();
        startMs = 0;
        endMs = seconds * 1000;
    }
    void save(const QString& out)
    {
        done->clear();
        errors->clear();
        editor->SaveSource(path);
        editor->SaveOutput(out);
        editor->SelectionStart(startMs);
        editor->SelectionLength(endMs - startMs);
        editor->Save();
    }

    QString dir, path;
    std::unique_ptr<cAudioEditor> editor;
    std::unique_ptr<QSignalSpy> info, done, errors;
    long seconds = 0, startMs = 0, endMs = 0;
    qint64 samples = 0;
};

TEST_F(Editor, SavedSelectionEqualsSoxTrim)
{
    struct Format {
        const char* name;
        int rate, channels, bits;
    } formats[] = {{"8-bit mono", 8000, 1, 8}, {"16-bit stereo", 44100, 2, 16}, {"24-bit stereo", 48000, 2, 24}};
    enum class Sel { Untouched, Times, OneSample };
    int n = 0;
    for (const Format& f : formats) {
        for (const Sel sel : {Sel::Untouched, Sel::Times, Sel::OneSample}) {
            ++n;
            const QString what = QString::fromLatin1(f.name) + QStringLiteral(" case %1").arg(static_cast<int>(sel));
            path = writeWav(QStringLiteral("src%1.wav").arg(n), f.rate, f.channels, f.bits, 4.5, static_cast<uint32_t>(n));
            load(path);
            EXPECT_EQ(samples, static_cast<qint64>(f.rate * 4.5)) << qPrintable(what);
            EXPECT_EQ(seconds, 4) << qPrintable(what);
            QStringList trim;
            if (sel == Sel::Times) {
                startMs = 1500;
                endMs = 4000;
                trim = {QStringLiteral("trim"), QStringLiteral("1.5"), QStringLiteral("=4")};
            } else if (sel == Sel::OneSample) {
                QSignalSpy changed(editor.get(), &cAudioEditor::SelectionChanged);
                const qint64 s = f.rate + 7;
                editor->Select(s, s + 1);
                ASSERT_TRUE(changed.wait(2000));
                startMs = changed.at(0).at(2).toLongLong();
                endMs = changed.at(0).at(3).toLongLong();
                trim = {QStringLiteral("trim"), QStringLiteral("%1s").arg(s), QStringLiteral("1s")};
            }
            const QString out = dir + QStringLiteral("/out%1.wav").arg(n);
            const QString ref = dir + QStringLiteral("/ref%1.wav").arg(n);
            save(out);
            // Complete when Save returns; Done comes afterwards.
            ASSERT_TRUE(QFile::exists(out)) << qPrintable(what);
            EXPECT_EQ(done->count(), 0);
            ASSERT_TRUE(done->wait(2000)) << qPrintable(what);
            ASSERT_TRUE(sox(QStringList{path, ref} + trim)) << qPrintable(what);
            const auto got = dataChunk(out), want = dataChunk(ref);
            ASSERT_TRUE(got && want) << qPrintable(what);
            EXPECT_EQ(got->size(), want->size()) << qPrintable(what);
            EXPECT_TRUE(*got == *want) << qPrintable(what);
        }
    }
}

TEST_F(Editor, TimesNotReportedGoToTheNearestSampleWithinTheFile)
{
    path = writeWav(QStringLiteral("clamp.wav"), 8000, 1, 8, 4.5, 9);
    load(path);
    const auto source = dataChunk(path);
    ASSERT_TRUE(source);
    struct Case {
        long startMs, endMs;
        qint64 from, to;  // samples at 8000 Hz
    } cases[] = {
        {3000, 13000, 24000, 36000},  // past the end: up to the end
        {-500, 500, 0, 4000},         // before the start: from the start
        {1234, 1235, 9872, 9880},
        {0, 4500, 0, 36000},          // the fraction past the last whole second, asked for by time
    };
    int n = 0;
    for (const Case& c : cases) {
        startMs = c.startMs;
        endMs = c.endMs;
        const QString out = dir + QStringLiteral("/clamped%1.wav").arg(++n);
        save(out);
        ASSERT_TRUE(done->wait(2000)) << c.startMs;
        EXPECT_EQ(dataChunk(out), source->mid(c.from, c.to - c.from)) << c.startMs << " " << c.endMs;
    }
}

TEST_F(Editor, SavingOverTheLoadedFileKeepsTheSelection)
{
    path = writeWav(QStringLiteral("over.wav"), 44100, 2, 16, 4.5, 3);
    const QString ref = dir + QStringLiteral("/over-ref.wav");
    ASSERT_TRUE(sox({path, ref, QStringLiteral("trim"), QStringLiteral("1.5"), QStringLiteral("=4")}));
    load(path);
    startMs = 1500;
    endMs = 4000;
    save(path);
    ASSERT_TRUE(done->wait(2000));
    EXPECT_EQ(dataChunk(path), dataChunk(ref));
    EXPECT_EQ(QDir(dir).entryList({QStringLiteral(".*part*")}, QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(Editor, FailingSaveLeavesNothingAndKeepsAnExistingFile)
{
    path = writeWav(QStringLiteral("good.wav"), 8000, 1, 8, 1.0, 4);
    load(path);
    const QString existing = dir + QStringLiteral("/existing.wav");
    ASSERT_TRUE(soundfx::writeFile(existing, "keep me"));
    QDir().mkpath(dir + QStringLiteral("/a-folder"));
    struct Case {
        const char* what;
        QString source, output;
        long code;
    } cases[] = {
        {"source gone", dir + QStringLiteral("/gone.wav"), existing, 2},
        {"source not audio", existing, dir + QStringLiteral("/new.wav"), 2},
        {"folder missing", path, dir + QStringLiteral("/missing/new.wav"), 3},
        {"a folder stands there", path, dir + QStringLiteral("/a-folder"), 3},
    };
    for (const Case& c : cases) {
        done->clear();
        errors->clear();
        editor->SaveSource(c.source);
        editor->SaveOutput(c.output);
        editor->Save();
        ASSERT_TRUE(errors->wait(2000)) << c.what;
        EXPECT_EQ(errors->at(0).at(0).toLongLong(), c.code) << c.what;
        EXPECT_EQ(done->count(), 0) << c.what;
    }
    EXPECT_EQ([&] { QFile f(existing); f.open(QIODevice::ReadOnly); return f.readAll(); }(), QByteArray("keep me"));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/new.wav")));
    EXPECT_TRUE(QFileInfo(dir + QStringLiteral("/a-folder")).isDir());
    EXPECT_EQ(QDir(dir).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(Editor, AFileItCannotReadGivesErrorAndShowsWhy)
{
    const QString bad = dir + QStringLiteral("/bad.wav");
    ASSERT_TRUE(soundfx::writeFile(bad, "RIFF....WAVEnothing"));
    EXPECT_NE(editor->Load(bad), 0);
    ASSERT_TRUE(errors->wait(2000));
    EXPECT_TRUE(errors->at(0).at(1).toString().contains(QStringLiteral("bad.wav")));
    EXPECT_EQ(info->count(), 0);
}

TEST_F(Editor, LongFileReportsAtOnceWhileTheOutlineBuilds)
{
    // An hour of silence as a sparse file: the header, then a hole.
    path = dir + QStringLiteral("/hour.wav");
    const qint64 bytes = qint64(44100) * 4 * 3600;
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(soundfx::wavHeader(44100, 2, 16, bytes));
        ASSERT_TRUE(f.resize(44 + bytes));
    }
    QSignalSpy progress(editor.get(), &cAudioEditor::Progress);
    QElapsedTimer t;
    t.start();
    load(path);
    EXPECT_EQ(seconds, 3600);
    EXPECT_LT(t.elapsed(), 1000);
    // The outline is still being built when the facts are in.
    bool finished = false;
    for (const QList<QVariant>& p : progress)
        finished = finished || p.at(0).toInt() == 100;
    EXPECT_FALSE(finished);
    QSignalSpy aborted(editor.get(), &cAudioEditor::Aborted);
    editor->Abort();
    EXPECT_TRUE(aborted.wait(2000));
}

TEST(EditorSound, PlaysTheSelectionAndReportsTheEnd)
{
    QString error;
    PulseServer* server = PulseServer::Shared(&error);
    ASSERT_TRUE(server) << qPrintable(error);
    const QString path = server->folder() + QStringLiteral("/editor-play.wav");
    const QByteArray pcm = soundfx::countingPcm(44100);
    ASSERT_TRUE(soundfx::writeFile(path, soundfx::wavHeader(44100, 2, 16, pcm.size()) + pcm));
    std::unique_ptr<cAudioEditor> editor(CreateAudioEditor());
    QSignalSpy info(editor.get(), &cAudioEditor::FileInfo);
    ASSERT_EQ(editor->Load(path), 0);
    ASSERT_TRUE(info.wait(2000));
    editor->Select(10000, 15000);
    QTest::qWait(100);
    server->clearCapture();
    QSignalSpy ended(editor.get(), &cAudioEditor::DonePlay);
    ASSERT_EQ(editor->Play(), 0);
    ASSERT_TRUE(ended.wait(5000));
    const std::vector<qint64> heard = soundfx::heardAfterEnd(*server, 5000u);
    ASSERT_EQ(heard.size(), 5000u);
    EXPECT_EQ(heard.front(), 10000);
    EXPECT_EQ(heard.back(), 14999);
    // Stop ends a playback with DonePlay as well.
    ended.clear();
    ASSERT_EQ(editor->Play(), 0);
    editor->Stop();
    EXPECT_TRUE(ended.wait(2000));
    editor->Release();
}

}  // namespace
