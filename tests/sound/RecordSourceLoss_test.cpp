// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The input being recorded goes away (its source unloaded): the server would go on feeding the
// stream from another source. A file of its own: the pipe source does not come back for later
// tests in the same process.
#include "components/cWave.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/sound/Takes.h"
#include "tests/support/PulseServer.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The server's module that provides the pipe source.
QString pipeSourceModule()
{
    QProcess p;
    p.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")});
    if (!p.waitForFinished(5000))
        return {};
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.contains(QStringLiteral("module-pipe-source")))
            return line.section(QLatin1Char('\t'), 0, 0);
    return {};
}

TEST(RecordSourceLoss, UnloadedInputEndsTheTakeWithItsSamplesAndSaysWhy)
{
    QString error;
    PulseServer* server = PulseServer::Shared(&error);
    ASSERT_TRUE(server) << qPrintable(error);
    const QString dir = server->folder() + QStringLiteral("/gone");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/take.wav");

    auto wave = CreateWave();
    QSignalSpy done(wave.get(), &cWave::DoneRecord);
    QString name;
    long device = takes::deviceNumber(*wave, cWave::KindInput, PulseServer::kPipeSource, &name);
    ASSERT_GE(device, 0);
    const QString module = pipeSourceModule();
    ASSERT_FALSE(module.isEmpty()) << "pactl does not list the pipe source's module";
    cWave::WaveFormatEx format;
    ASSERT_EQ(wave->RecordStart(device, path, format, 1600), 0);
    QTest::qWait(300);
    const qint64 frames = PulseServer::kRate;
    server->feedSource(soundfx::countingPcm(frames));
    ASSERT_TRUE(server->waitFed(20000));
    QTest::qWait(600);

    ASSERT_EQ(QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module}), 0);
    ASSERT_TRUE(PulseServer::waitUntil([&] { return done.count() > 0; }, 5000))
        << "the recording went on after its input was gone";
    EXPECT_FALSE(wave->IsRecording());
    long code = wave->RecordError();
    EXPECT_EQ(code, cWave::ErrNoDevice);
    EXPECT_TRUE(wave->GetErrorText(code).contains(name)) << qPrintable(wave->GetErrorText(code));

    EXPECT_TRUE(takes::holdsCountedFrames(path, frames));
    wave->Release();
    EXPECT_EQ(done.count(), 1);
}

}  // namespace
