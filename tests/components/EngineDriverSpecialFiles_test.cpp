// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cAudioConverter.h"
#include "components/cAudioJoin.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/WavBytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using fixtures::Pcm;
using specialfiles::SpecialFiles;

QString driverPath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/engine-driver"); }

struct DriverRun {
    bool ended = false;
    int status = -1;
    QString err;
};

// engine-driver with these arguments; a run that waits longer than 10 s is killed and counts
// as not ended.
DriverRun driver(const QStringList& args)
{
    QProcess p;
    p.start(driverPath(), args);
    DriverRun r;
    r.ended = p.waitForFinished(10000);
    if (!r.ended) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The same with arguments as raw bytes, which a QStringList cannot carry when they are not UTF-8.
DriverRun driverBytes(const QList<QByteArray>& args)
{
    QList<QByteArray> all{QFile::encodeName(driverPath())};
    all += args;
    std::vector<char*> argv;
    for (QByteArray& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int errPipe[2];
    EXPECT_EQ(::pipe(errPipe), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    pid_t pid = -1;
    DriverRun r;
    const int rc = posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(errPipe[1]);
    EXPECT_EQ(rc, 0);
    int status = 0;
    for (int waited = 0; rc == 0 && waited < 1000; ++waited) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            r.ended = true;
            break;
        }
        QThread::msleep(10);
    }
    if (rc == 0 && !r.ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    QByteArray err;
    char buffer[4096];
    for (ssize_t n; (n = ::read(errPipe[0], buffer, sizeof buffer)) > 0;)
        err.append(buffer, n);
    ::close(errPipe[0]);
    r.status = r.ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = QString::fromUtf8(err);
    return r;
}

class EngineDriverSpecialFiles : public testing::Test {
protected:
    void SetUp() override
    {
        const Pcm pcm{8000, 1, 16};
        ASSERT_TRUE(fixtures::writeFile(good, fixtures::wavBytes(pcm, fixtures::pattern(pcm, 8000, 1))));
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.wav"));
};

TEST_F(EngineDriverSpecialFiles, ProbeConvertAndJoinRefuseSpecialFilesAtOnceSayingWhatTheyAre)
{
    const SpecialFiles special(dir.path());
    const QString out = path(QStringLiteral("out.wav"));
    for (const specialfiles::Special& s : special.all) {
        const QList<QStringList> commands = {
            {QStringLiteral("probe"), s.path},
            {QStringLiteral("convert"), s.path, out, QStringLiteral("wav:8000:1:16")},
            {QStringLiteral("join"), out, QStringLiteral("wav:8000:1:16"), good, s.path},
        };
        for (const QStringList& command : commands) {
            const DriverRun r = driver(command);
            EXPECT_TRUE(r.ended) << command.first().toStdString() << " waited on " << s.kind;
            EXPECT_EQ(r.status, 1) << command.first().toStdString() << ", " << s.kind;
            EXPECT_TRUE(r.err.contains(QStringLiteral("'%1' is not a regular file (%2)").arg(s.path, QLatin1String(s.kind))))
                << command.first().toStdString() << ": " << r.err.toStdString();
            EXPECT_FALSE(QFile::exists(out)) << command.first().toStdString() << ", " << s.kind;
        }
    }
}

TEST_F(EngineDriverSpecialFiles, SystemFilesAndAPipeOnStandardInputAreNotCalledEmpty)
{
    const struct {
        const char* path;
        const char* words;
    } cases[] = {
        {"/dev/zero", "is not a regular file (a device)"},
        {"/dev/urandom", "is not a regular file (a device)"},
        {"/dev/stdin", "is not a regular file (a FIFO)"},  // the driver's standard input is a pipe here
        {"/proc/self/status", "gives a size of 0 bytes yet holds data"},
    };
    for (const auto& c : cases) {
        const DriverRun r = driver({QStringLiteral("probe"), QLatin1String(c.path)});
        EXPECT_TRUE(r.ended) << c.path;
        EXPECT_EQ(r.status, 1) << c.path;
        EXPECT_TRUE(r.err.contains(QLatin1String(c.words))) << c.path << ": " << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("empty"))) << r.err.toStdString();
    }
}

TEST_F(EngineDriverSpecialFiles, NamesThatAreNotUtf8AreRefusedNeverWrittenUnderAnotherName)
{
    const QByteArray folder = QFile::encodeName(dir.path());
    // A real WAV under a name that is not UTF-8.
    const QByteArray badSource = folder + "/bad\xffname.wav";
    ASSERT_EQ(::rename(QFile::encodeName(good).constData(), badSource.constData()), 0);
    const DriverRun probe = driverBytes({"probe", badSource});
    EXPECT_EQ(probe.status, 1);
    EXPECT_TRUE(probe.err.contains(QStringLiteral("is not valid UTF-8"))) << probe.err.toStdString();
    EXPECT_FALSE(probe.err.contains(QStringLiteral("does not exist"))) << probe.err.toStdString();

    const QByteArray out = folder + "/out";
    ASSERT_TRUE(QDir().mkpath(QFile::decodeName(out)));
    const DriverRun convert = driverBytes({"convert", badSource, out + "/fine.wav", "wav:8000:1:16"});
    EXPECT_EQ(convert.status, 1);
    EXPECT_TRUE(convert.err.contains(QStringLiteral("is not valid UTF-8"))) << convert.err.toStdString();

    ASSERT_EQ(::rename(badSource.constData(), QFile::encodeName(good).constData()), 0);
    const DriverRun destination = driverBytes({"convert", QFile::encodeName(good), out + "/o\xffut.wav", "wav:8000:1:16"});
    EXPECT_EQ(destination.status, 1);
    EXPECT_TRUE(destination.err.contains(QStringLiteral("is not valid UTF-8"))) << destination.err.toStdString();
    // Nothing was written, under that name or any other.
    EXPECT_TRUE(QDir(QFile::decodeName(out)).entryList(QDir::Files | QDir::Hidden | QDir::System).isEmpty());

    const DriverRun join = driverBytes({"join", out + "/j\xffoin.wav", "wav:8000:1:16", QFile::encodeName(good), QFile::encodeName(good)});
    EXPECT_EQ(join.status, 1);
    EXPECT_TRUE(QDir(QFile::decodeName(out)).entryList(QDir::Files | QDir::Hidden | QDir::System).isEmpty());
}

// A name an items list kept with a byte that is not UTF-8 (a lone surrogate in the text),
// handed to the components as a source or an output: refused for that, never opened or
// written under the name the toolkit would make of it.
TEST_F(EngineDriverSpecialFiles, KeptBytesInNamesAreRefusedByTheComponents)
{
    const QString held = path(QStringLiteral("o")) + QChar(char16_t(0xDCFF)) + QStringLiteral("ut.wav");
    const struct {
        const char* what;
        QString input, output;
    } cases[] = {
        {"an output", good, held},
        {"a source", held, path(QStringLiteral("fine.wav"))},
    };
    for (const auto& c : cases) {
        std::unique_ptr<cAudioConverter> converter = CreateAudioConverter();
        converter->OutputFormat(1);
        converter->SetWavFormat({8000, 1, 16});
        converter->InputFile(c.input);
        converter->OutputFile(c.output);
        QSignalSpy errors(converter.get(), &cAudioConverter::Error);
        QSignalSpy done(converter.get(), &cAudioConverter::Done);
        converter->Start();
        ASSERT_TRUE(errors.wait(10000) || !errors.isEmpty()) << c.what;
        EXPECT_TRUE(done.isEmpty()) << c.what;
        EXPECT_TRUE(errors.first().at(1).toString().contains(QStringLiteral("not valid UTF-8")))
            << c.what << ": " << errors.first().at(1).toString().toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("good.wav")})
            << c.what;
    }

    std::unique_ptr<cAudioJoin> joiner = CreateAudioJoin();
    joiner->DestinationFormat(1);
    joiner->SetWavFormat({8000, 1, 16});
    joiner->AddFile(good, -1, -1);
    joiner->AddFile(good, -1, -1);
    joiner->OutputFile(held);
    QSignalSpy errors(joiner.get(), &cAudioJoin::Error);
    joiner->Join();
    ASSERT_TRUE(errors.wait(10000) || !errors.isEmpty());
    EXPECT_TRUE(errors.first().at(1).toString().contains(QStringLiteral("not valid UTF-8")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("good.wav")});
}

}  // namespace
