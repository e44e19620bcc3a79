// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// What the converter and join do to whatever already stands at the output path, to part files
// of killed jobs, to a full disk and to ranges outside their source.
#include "components/cAudioConverter.h"
#include "components/cAudioJoin.h"
#include "components/OutputTarget.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/SmallDisk.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

using fixtures::Pcm;

namespace {

// A part file a killed job left a while ago (one of the last minute may be a job's own, not yet
// locked).
bool leftAnHourAgo(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
}

struct Outcome {
    QStringList ends;
    long code = 0;
    QString text;
};

template <class Component, class Starter>
Outcome await(Component& c, Starter start, int ms = 30000)
{
    Outcome o;
    QObject context;
    QObject::connect(&c, &Component::Done, &context, [&] { o.ends << QStringLiteral("Done"); });
    QObject::connect(&c, &Component::Aborted, &context, [&] { o.ends << QStringLiteral("Aborted"); });
    QObject::connect(&c, &Component::Error, &context, [&](long code, const QString& text) {
        o.ends << QStringLiteral("Error");
        o.code = code;
        o.text = text;
    });
    start();
    QElapsedTimer t;
    t.start();
    while (o.ends.isEmpty() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 50)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return o;
}

QByteArray enc(const QString& path) { return QFile::encodeName(path); }

struct stat lstatOf(const QString& path)
{
    struct stat st {};
    ::lstat(enc(path).constData(), &st);
    return st;
}

bool sameNode(const struct stat& a, const struct stat& b)
{
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_mode == b.st_mode && a.st_uid == b.st_uid &&
           a.st_gid == b.st_gid && a.st_size == b.st_size && a.st_rdev == b.st_rdev;
}

QStringList partFiles(const QString& folder)
{
    QStringList parts;
    for (const QString& name : fixtures::folderEntries(folder))
        if (name.contains(QStringLiteral(".part-")))
            parts << name;
    return parts;
}

class OutputTargets : public testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QString makeWav(const QString& name, const Pcm& pcm, int64_t frames, int seed = 1)
    {
        const QString p = path(name);
        EXPECT_TRUE(fixtures::writeFile(p, fixtures::wavBytes(pcm, fixtures::pattern(pcm, frames, seed))));
        return p;
    }
    Outcome convertWav(const QString& in, const QString& out, const Pcm& pcm, long start = -1, long length = -1)
    {
        auto converter = CreateAudioConverter();
        converter->OutputFormat(1);
        converter->SetWavFormat(engine::WavFormatRecord{pcm.rate, int16_t(pcm.channels), int16_t(pcm.bits)});
        converter->InputFile(in);
        if (start != -1 || length != -1) {
            converter->RangeStart(start);
            converter->RangeLength(length);
        }
        converter->OutputFile(out);
        return await(*converter, [&] { converter->Start(); });
    }
    QTemporaryDir dir;
};

TEST_F(OutputTargets, ReplacesFilesWritesThroughLinksToFilesReplacesOtherLinksAndRefusesTheRest)
{
    const Pcm pcm{8000, 1, 16};
    const QString in = makeWav(QStringLiteral("in.wav"), pcm, 800);
    const QByteArray expected = fixtures::pattern(pcm, 800, 1);
    const QString elsewhere = path(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));

    struct Case {
        const char* name;
        std::function<QString()> make;  // makes what stands at the output path; returns that path
        bool replaced;                  // written (a regular file, a link's file or a link itself), else refused
        const char* kind;               // word the refusal names
        bool through = false;           // a link to a file: the file it leads to gets the output
    };
    auto regular = [&](const QString& p, mode_t mode, gid_t gid) {
        fixtures::writeFile(p, "old contents");
        ::chmod(enc(p).constData(), mode);
        ::chown(enc(p).constData(), uid_t(-1), gid);
        return p;
    };
    const Case cases[] = {
        {"regular file", [&] { return regular(path(QStringLiteral("kept.wav")), 0640, 4321); }, true, ""},
        {"symbolic link",
         [&] {
             regular(QDir(elsewhere).filePath(QStringLiteral("target.wav")), 0600, 4321);
             const QString link = path(QStringLiteral("link.wav"));
             QFile::link(QStringLiteral("elsewhere/target.wav"), link);  // relative, as users make them
             return link;
         },
         true, "", true},
        {"named pipe",
         [&] {
             const QString p = path(QStringLiteral("pipe.wav"));
             ::mkfifo(enc(p).constData(), 0644);
             return p;
         },
         false, "named pipe"},
        {"device node",
         [&] {
             // A node of our own for the null device: nothing real is at stake if this goes wrong.
             const QString p = path(QStringLiteral("null.wav"));
             ::mknod(enc(p).constData(), S_IFCHR | 0666, makedev(1, 3));
             return p;
         },
         false, "device"},
        {"folder",
         [&] {
             const QString p = path(QStringLiteral("folder.wav"));
             QDir().mkpath(p);
             return p;
         },
         false, "folder"},
        {"socket",
         [&] {
             const QString p = path(QStringLiteral("socket.wav"));
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un addr {};
             addr.sun_family = AF_UNIX;
             std::strncpy(addr.sun_path, enc(p).constData(), sizeof addr.sun_path - 1);
             ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
             ::close(fd);  // the socket file stays
             return p;
         },
         false, "socket"},
        {"symbolic link to a named pipe",
         [&] {
             const QString fifo = QDir(elsewhere).filePath(QStringLiteral("pipe"));
             ::mkfifo(enc(fifo).constData(), 0644);
             const QString link = path(QStringLiteral("to-pipe.wav"));
             QFile::link(fifo, link);
             return link;
         },
         true, ""},
        {"symbolic link that leads nowhere",
         [&] {
             const QString link = path(QStringLiteral("dangling.wav"));
             QFile::link(QDir(elsewhere).filePath(QStringLiteral("never.wav")), link);
             return link;
         },
         true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = c.make();
        const struct stat before = lstatOf(out);
        ASSERT_NE(before.st_ino, 0u) << "the fixture was not made";
        // What any other link points at is never written: it keeps what it was, or stays missing.
        const bool link = S_ISLNK(before.st_mode);
        const QString linkTarget = link ? QFile::symLinkTarget(out) : QString();
        struct stat targetBefore {};
        const bool targetExisted = link && ::stat(enc(out).constData(), &targetBefore) == 0;

        const Outcome o = convertWav(in, out, pcm);
        ASSERT_EQ(o.ends.size(), 1);
        const struct stat after = lstatOf(out);
        if (c.through) {
            EXPECT_EQ(o.ends.first(), QStringLiteral("Done")) << o.text.toStdString();
            EXPECT_TRUE(sameNode(before, after)) << "the link stays";
            EXPECT_EQ(QFile::symLinkTarget(out), linkTarget);
            const auto written = fixtures::parseWavFile(linkTarget);
            ASSERT_TRUE(written);
            EXPECT_TRUE(written->data == expected);
            const struct stat target = lstatOf(linkTarget);
            EXPECT_TRUE(S_ISREG(target.st_mode));
            EXPECT_EQ(target.st_mode, targetBefore.st_mode);
            EXPECT_EQ(target.st_gid, targetBefore.st_gid);
        } else if (c.replaced) {
            EXPECT_EQ(o.ends.first(), QStringLiteral("Done")) << o.text.toStdString();
            const auto written = fixtures::parseWavFile(out);
            ASSERT_TRUE(written);
            EXPECT_TRUE(written->data == expected);
            EXPECT_TRUE(S_ISREG(after.st_mode));
            if (!link) {
                EXPECT_EQ(after.st_mode, before.st_mode);
                EXPECT_EQ(after.st_gid, before.st_gid);
            }
        } else {
            EXPECT_EQ(o.ends.first(), QStringLiteral("Error"));
            EXPECT_EQ(o.code, 3);
            EXPECT_TRUE(o.text.contains(out)) << o.text.toStdString();
            EXPECT_TRUE(o.text.contains(QLatin1String(c.kind))) << o.text.toStdString();
            EXPECT_TRUE(sameNode(before, after));
        }
        if (c.through) {
            // Checked above: the link's file holds the output.
        } else if (targetExisted) {
            struct stat targetAfter {};
            ::lstat(enc(linkTarget).constData(), &targetAfter);
            EXPECT_TRUE(sameNode(targetBefore, targetAfter));
            if (S_ISREG(targetAfter.st_mode)) {
                EXPECT_EQ(fixtures::readFile(linkTarget), QByteArray("old contents"));
            }
        } else if (link) {
            EXPECT_FALSE(QFileInfo::exists(linkTarget)) << "created through the link";
        }
        EXPECT_EQ(partFiles(dir.path()), QStringList());
        EXPECT_EQ(partFiles(elsewhere), QStringList());
    }
}

TEST_F(OutputTargets, NewFilesFollowTheUmask)
{
    const Pcm pcm{8000, 1, 16};
    const QString in = makeWav(QStringLiteral("in.wav"), pcm, 80);
    const mode_t old = ::umask(027);
    const Outcome o = convertWav(in, path(QStringLiteral("new.wav")), pcm);
    ::umask(old);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    EXPECT_EQ(lstatOf(path(QStringLiteral("new.wav"))).st_mode & 0777, 0640u);
}

TEST_F(OutputTargets, StalePartFilesOfTheSameTargetGoAndOthersStay)
{
    const Pcm pcm{8000, 1, 16};
    const QString in = makeWav(QStringLiteral("in.wav"), pcm, 80);
    const QString stale = path(QStringLiteral(".out.part-1f2e3d.wav"));
    const QString held = path(QStringLiteral(".out.part-abc.wav"));
    const QString otherTarget = path(QStringLiteral(".other.part-1f2e3d.wav"));
    const QString notOurs = path(QStringLiteral(".out.part-notes.txt"));
    const QString justMade = path(QStringLiteral(".out.part-0fe5.wav"));
    for (const QString& p : {stale, held, otherTarget, notOurs, justMade})
        fixtures::writeFile(p, "x");
    for (const QString& p : {stale, held, otherTarget})
        ASSERT_TRUE(leftAnHourAgo(p));
    // A job still running (here, in another process's stead) keeps a lock on its part file.
    const int fd = ::open(enc(held).constData(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);

    const Outcome o = convertWav(in, path(QStringLiteral("out.wav")), pcm);
    ::close(fd);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_TRUE(QFile::exists(held));
    EXPECT_TRUE(QFile::exists(otherTarget));
    EXPECT_TRUE(QFile::exists(notOurs));
    EXPECT_TRUE(QFile::exists(justMade));
}

// A recording's part file is the user's only copy of a take cut off by a kill: no sweep removes
// it, however old and unheld, whether a job or another recording writes the same name. Its name
// says whose it is.
TEST_F(OutputTargets, RecordingsPartFilesAreNeverSwept)
{
    const Pcm pcm{8000, 1, 16};
    const QString in = makeWav(QStringLiteral("in.wav"), pcm, 80);
    const QString take = path(QStringLiteral(".out.recording-1f2e3d.wav"));
    const QString shortTake = path(QStringLiteral(".recording-2a.wav"));
    const QString stale = path(QStringLiteral(".out.part-1f2e3d.wav"));
    for (const QString& p : {take, shortTake, stale}) {
        ASSERT_TRUE(fixtures::writeFile(p, "take"));
        ASSERT_TRUE(leftAnHourAgo(p));
    }
    const Outcome o = convertWav(in, path(QStringLiteral("out.wav")), pcm);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    EXPECT_FALSE(QFile::exists(stale));
    ASSERT_TRUE(fixtures::writeFile(stale, "job"));
    ASSERT_TRUE(leftAnHourAgo(stale));
    {
        components::OutputTarget recording;
        QString error;
        ASSERT_TRUE(recording.resolve(path(QStringLiteral("out.wav")), &error)) << qPrintable(error);
        ASSERT_TRUE(recording.createRecordingPartFile(&error)) << qPrintable(error);
        QString target;
        EXPECT_TRUE(components::IsRecordingPartFileName(QFileInfo(recording.partFile()).fileName(), &target));
        EXPECT_EQ(target, QStringLiteral("out.wav"));
        EXPECT_FALSE(QFile::exists(stale)) << "a recording sweeps what jobs left";
    }
    EXPECT_EQ(fixtures::readFile(take), QByteArray("take"));
    EXPECT_EQ(fixtures::readFile(shortTake), QByteArray("take"));

    struct Name {
        const char* name;
        bool recording;
        const char* target;
    } names[] = {
        {".take.recording-1f.wav", true, "take.wav"},
        {".a.b.recording-ff.wav", true, "a.b.wav"},
        {".noext.recording-0", true, "noext"},
        {".recording-ff.wav", true, ""},
        {".take.part-1f.wav", false, ""},
        {"take.recording-1f.wav", false, ""},
        {".take.recording-xyz.wav", false, ""},
        {".take.recording-.wav", false, ""},
    };
    for (const Name& n : names) {
        QString target = QStringLiteral("unchanged");
        EXPECT_EQ(components::IsRecordingPartFileName(QLatin1String(n.name), &target), n.recording) << n.name;
        if (n.recording) {
            EXPECT_EQ(target, QLatin1String(n.target)) << n.name;
        }
    }
    for (const char* target : {"take.wav", "a.b.wav", "x", "\u97f3\u697d.wav"}) {
        const QString t = QString::fromUtf8(target);
        QString back;
        EXPECT_TRUE(components::IsRecordingPartFileName(components::RecordingPartFileName(t, QStringLiteral("9a")), &back));
        EXPECT_EQ(back, t);
        EXPECT_TRUE(components::IsRecordingPartFileName(components::ShortRecordingPartFileName(t, QStringLiteral("9a"))));
        EXPECT_FALSE(components::IsRecordingPartFileName(components::PartFileName(t, QStringLiteral("9a"))));
        EXPECT_FALSE(components::IsRecordingPartFileName(components::ShortPartFileName(t, QStringLiteral("9a"))));
    }
}

// The driver is the program's own command-line front end; a signal must not leave its part file,
// nor a closed terminal (SIGHUP).
TEST_F(OutputTargets, ASignalMidConversionLeavesNoPartFile)
{
    const Pcm pcm{44100, 2, 16};
    const QString in = path(QStringLiteral("long.wav"));
    ASSERT_TRUE(fixtures::writeFile(in, fixtures::wavBytes(pcm, fixtures::sine(pcm, 44100 * 240))));
    const QString outDir = path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(outDir));
    // The second name is as long as the file system takes: its part file has a short name.
    const QString longName = QString(83, QChar(0x97F3)) + QStringLiteral(".mp3");
    ASSERT_EQ(enc(longName).size(), 253);
    for (const auto& [sig, name] : {std::pair{SIGTERM, QStringLiteral("x.mp3")}, std::pair{SIGINT, QStringLiteral("x.mp3")},
                                    std::pair{SIGHUP, QStringLiteral("x.mp3")}, std::pair{SIGTERM, longName}}) {
        SCOPED_TRACE(sig);
        SCOPED_TRACE(name.toStdString());
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/engine-driver"),
                {QStringLiteral("convert"), in, QDir(outDir).filePath(name), QStringLiteral("mp3:128")});
        ASSERT_TRUE(p.waitForStarted());
        QElapsedTimer t;
        t.start();
        while (partFiles(outDir).isEmpty() && t.elapsed() < 20000 && p.state() == QProcess::Running)
            QThread::msleep(2);
        ASSERT_EQ(partFiles(outDir).size(), 1) << "the conversion never started writing";
        EXPECT_LE(enc(partFiles(outDir).first()).size(), std::max<qsizetype>(enc(name).size(), 32));
        QThread::msleep(50);  // well inside the encoding
        ASSERT_EQ(::kill(pid_t(p.processId()), sig), 0);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit) << "killed by the signal, as before";
        EXPECT_EQ(fixtures::folderEntries(outDir), QStringList());
    }
}

// Any name the file system takes is writable, by each job and each writer; the part file of a
// long name is no longer than the name itself, and nothing else is left beside the output.
TEST_F(OutputTargets, NamesAsLongAsTheFileSystemTakesAreWritten)
{
    const Pcm pcm{44100, 2, 16};
    const QString in = makeWav(QStringLiteral("in.wav"), pcm, 44100 / 2);
    const QByteArray expected = fixtures::pattern(pcm, 44100 / 2, 1);
    const QString outDir = path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(outDir));
    const QString ja = QString(QChar(0x97F3));  // three bytes in UTF-8
    struct Case {
        QString base;
        const char* ext;
    };
    const Case cases[] = {
        {ja.repeated(76), "wav"},    // 232 bytes: the length first reported
        {ja.repeated(83), "wav"},    // 253
        {QString(251, QLatin1Char('a')), "wav"},  // 255, the most a name can have
        {ja.repeated(83), "mp3"},
        {ja.repeated(83), "ogg"},
        {ja.repeated(82), "wma"},
    };
    for (const Case& c : cases) {
        const QString name = c.base + QLatin1Char('.') + QLatin1String(c.ext);
        SCOPED_TRACE(name.toStdString());
        ASSERT_LE(enc(name).size(), 255);
        const QString out = QDir(outDir).filePath(name);
        Outcome o;
        if (QLatin1String(c.ext) == QLatin1String("wav")) {
            o = convertWav(in, out, pcm);
        } else {
            auto converter = CreateAudioConverter();
            const long code = QLatin1String(c.ext) == QLatin1String("mp3") ? 3 : QLatin1String(c.ext) == QLatin1String("wma") ? 4 : 5;
            converter->OutputFormat(code);
            if (code == 3) {
                engine::Mp3FormatRecord mp3{};
                mp3.Bitrate = 128;
                mp3.SampleRate = 44100;
                mp3.Mode = engine::mp3JointStereo;
                mp3.WriteVBRTag = -1;
                converter->SetMp3Format(mp3);
            } else if (code == 4) {
                converter->SetWmaFormat({0, 0});
            } else {
                converter->SetOggFormat({0, 0, 40});
            }
            converter->InputFile(in);
            converter->OutputFile(out);
            o = await(*converter, [&] { converter->Start(); });
        }
        ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
        EXPECT_EQ(fixtures::folderEntries(outDir), QStringList{name});
        if (QLatin1String(c.ext) == QLatin1String("wav")) {
            const auto parsed = fixtures::parseWavFile(out);
            ASSERT_TRUE(parsed);
            EXPECT_TRUE(parsed->data == expected);
        } else {
            EXPECT_GT(QFileInfo(out).size(), 1000);
        }
        QFile::remove(out);
    }

    // The join writes through the same part file.
    const QString joined = QDir(outDir).filePath(ja.repeated(83) + QStringLiteral(".wav"));
    auto join = CreateAudioJoin();
    join->DestinationFormat(1);
    join->SetWavFormat(engine::WavFormatRecord{pcm.rate, int16_t(pcm.channels), int16_t(pcm.bits)});
    join->AddFile(in, -1, -1);
    join->AddFile(in, -1, -1);
    join->OutputFile(joined);
    const Outcome o = await(*join, [&] { join->Join(); });
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    EXPECT_EQ(fixtures::folderEntries(outDir), QStringList{QFileInfo(joined).fileName()});
    const auto parsed = fixtures::parseWavFile(joined);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->data == expected + expected);
}

// A part file of a long name left by a killed job goes as the part files of other names do; a
// part file that another job holds stays.
TEST_F(OutputTargets, StaleShortPartFilesAreRemovedAndHeldOnesStay)
{
    const Pcm pcm{8000, 1, 16};
    const QString in = makeWav(QStringLiteral("in.wav"), pcm, 800);
    const QString outDir = path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(outDir));
    const QString stale = QDir(outDir).filePath(QStringLiteral(".part-1f2e3d.wav"));
    const QString held = QDir(outDir).filePath(QStringLiteral(".part-abc.wav"));
    ASSERT_TRUE(fixtures::writeFile(stale, "x"));
    ASSERT_TRUE(fixtures::writeFile(held, "y"));
    ASSERT_TRUE(leftAnHourAgo(stale));
    ASSERT_TRUE(leftAnHourAgo(held));
    const int fd = ::open(enc(held).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    const QString name = QString(83, QChar(0x97F3)) + QStringLiteral(".wav");
    const Outcome o = convertWav(in, QDir(outDir).filePath(name), pcm);
    ::close(fd);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_TRUE(QFile::exists(held));
}

// A small file system of our own to fill; needs the right to mount one (root).
class FullDisk : public OutputTargets {
protected:
    void SetUp() override
    {
        mountPoint = path(QStringLiteral("small"));
        disk.emplace(mountPoint, "96k");
        if (!disk->mounted())
            GTEST_SKIP() << disk->refusal();
    }
    QString mountPoint;
    std::optional<smalldisk::SmallDisk> disk;
};

TEST_F(FullDisk, EveryWriterNamesTheCauseAndTheOldFileStays)
{
    const Pcm pcm{44100, 2, 16};
    const QString in = path(QStringLiteral("in.wav"));
    ASSERT_TRUE(fixtures::writeFile(in, fixtures::wavBytes(pcm, fixtures::sine(pcm, 44100 * 20))));
    struct Format {
        const char* name;
        long code;
        std::function<void(cAudioConverter&)> set;
    };
    engine::Mp3FormatRecord mp3{};
    mp3.Bitrate = 320;
    mp3.SampleRate = 44100;
    mp3.Quality = 7;
    mp3.Mode = engine::mp3JointStereo;
    mp3.WriteVBRTag = -1;
    const Format formats[] = {
        {"wav", 1, [](cAudioConverter& c) { c.SetWavFormat({44100, 2, 16}); }},
        {"wav", 2, [](cAudioConverter& c) { c.SetAcmFormat(QStringLiteral("IMA ADPCM"), QStringLiteral("44,100 kHz, 4 Bit, Stereo")); }},
        {"mp3", 3, [&](cAudioConverter& c) { c.SetMp3Format(mp3); }},
        {"wma", 4, [](cAudioConverter& c) { c.SetWmaFormat({0, 0}); }},
        {"ogg", 5, [](cAudioConverter& c) { c.SetOggFormat({0, 0, 100}); }},
    };
    for (const Format& f : formats) {
        SCOPED_TRACE(f.code);
        const QString out = QDir(mountPoint).filePath(QStringLiteral("out.") + QLatin1String(f.name));
        ASSERT_TRUE(fixtures::writeFile(out, "the old file"));
        auto converter = CreateAudioConverter();
        converter->OutputFormat(f.code);
        f.set(*converter);
        converter->InputFile(in);
        converter->OutputFile(out);
        const Outcome o = await(*converter, [&] { converter->Start(); });
        ASSERT_EQ(o.ends, QStringList{QStringLiteral("Error")});
        EXPECT_EQ(o.code, 3);
        EXPECT_TRUE(o.text.contains(QStringLiteral("No space left on device"))) << o.text.toStdString();
        EXPECT_TRUE(o.text.contains(out)) << o.text.toStdString();
        EXPECT_EQ(fixtures::readFile(out), QByteArray("the old file"));
        EXPECT_EQ(partFiles(mountPoint), QStringList());
        QFile::remove(out);
    }
}

TEST_F(OutputTargets, RangesOutsideTheSourceAreAnswered)
{
    const Pcm pcm{8000, 1, 16};
    const QString in = makeWav(QStringLiteral("three-seconds.wav"), pcm, 8000 * 3);
    const QString out = path(QStringLiteral("out.wav"));
    struct Case {
        long start, length;
        const char* says;
    };
    const Case cases[] = {
        {3, -1, "past the end"},  // starts exactly at the end
        {10, 2, "past the end"},
        {-5, 1, "not valid"},
        {0, -2, "not valid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        SCOPED_TRACE(c.length);
        const Outcome o = convertWav(in, out, pcm, c.start, c.length);
        ASSERT_EQ(o.ends, QStringList{QStringLiteral("Error")});
        EXPECT_TRUE(o.text.contains(in)) << o.text.toStdString();
        EXPECT_TRUE(o.text.contains(QLatin1String(c.says))) << o.text.toStdString();
        EXPECT_TRUE(o.text.contains(QStringLiteral("range"))) << o.text.toStdString();
        EXPECT_FALSE(QFile::exists(out));

        // The join answers the same way, even when the bad range is not the first item.
        auto join = CreateAudioJoin();
        join->DestinationFormat(1);
        join->SetWavFormat({8000, 1, 16});
        join->AddFile(in, -1, -1);
        join->AddFile(in, c.start, c.length);
        join->OutputFile(out);
        const Outcome j = await(*join, [&] { join->Join(); });
        ASSERT_EQ(j.ends, QStringList{QStringLiteral("Error")});
        EXPECT_TRUE(j.text.contains(in)) << j.text.toStdString();
        EXPECT_TRUE(j.text.contains(QLatin1String(c.says))) << j.text.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    // The last whole second is still inside.
    const Outcome last = convertWav(in, out, pcm, 2, -1);
    ASSERT_EQ(last.ends, QStringList{QStringLiteral("Done")}) << last.text.toStdString();
    EXPECT_EQ(fixtures::parseWavFile(out)->data.size(), 8000 * 2);
}

}  // namespace
