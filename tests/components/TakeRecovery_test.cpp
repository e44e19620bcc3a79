// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Takes a recorder left unfinished (killed, or the power lost) are put in place as whole WAV
// files under a free name; nothing else is touched.
#include "components/OutputTarget.h"
#include "components/sound/TakeRecovery.h"
#include "platform/Paths.h"
#include "tests/components/WavFixtures.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using fixtures::Pcm;

namespace {

// A part file as a recorder killed at some moment leaves it: the header as last brought up to
// date (`declaredFrames`), then every frame written, then `stray` bytes of a frame cut short.
QByteArray cutOffTake(const Pcm& pcm, const QByteArray& frames, int64_t declaredFrames, int stray = 0)
{
    QByteArray b = fixtures::wavBytes(pcm, QByteArray(), uint32_t(declaredFrames * pcm.bytesPerFrame()));
    b.append(frames);
    b.append(QByteArray(stray, '\x55'));
    return b;
}

QStringList notes()
{
    return QDir(platform::programFolder() + QStringLiteral("/takes")).entryList(QDir::Files | QDir::Hidden);
}

bool leftAnHourAgo(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadWrite) &&
           f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
}

class TakeRecovery : public testing::Test {
protected:
    void SetUp() override { QDir(platform::programFolder() + QStringLiteral("/takes")).removeRecursively(); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(TakeRecovery, UnfinishedTakesBecomeWholeWavFilesUnderAFreeName)
{
    const Pcm stereo{44100, 2, 16}, mono8{8000, 1, 8};
    struct Case {
        const char* part;
        Pcm pcm;
        int64_t frames, declared;
        int stray;
        QStringList standing;  // files already there, never touched
        const char* reserved;  // the name being recorded now
        const char* expected;
    } cases[] = {
        {".take.recording-1f2e.wav", stereo, 44100, 0, 3, {}, nullptr, "take (recovered).wav"},
        {".old.recording-2a.wav", stereo, 22050, 11025, 0, {"old.wav"}, nullptr, "old (recovered).wav"},
        {".two.recording-3b.wav", stereo, 100, 100, 0, {"two.wav", "two (recovered).wav"}, nullptr,
         "two (recovered 2).wav"},
        {".now.recording-4c.wav", stereo, 4410, 0, 1, {}, "now.wav", "now (recovered).wav"},
        {".odd.recording-5d.wav", mono8, 8001, 8000, 0, {}, nullptr, "odd (recovered).wav"},
        {".recording-6e.wav", stereo, 441, 0, 0, {}, nullptr, "Recording (recovered).wav"},
        // A header ahead of the samples (the power went before they reached the disk).
        {".ahead.recording-7f.wav", stereo, 441, 44100, 0, {}, nullptr, "ahead (recovered).wav"},
    };
    int seed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        QTemporaryDir folder;
        const QByteArray frames = fixtures::pattern(c.pcm, c.frames, ++seed);
        const QString part = QDir(folder.path()).filePath(QLatin1String(c.part));
        ASSERT_TRUE(fixtures::writeFile(part, cutOffTake(c.pcm, frames, c.declared, c.stray)));
        for (const QString& name : c.standing)
            ASSERT_TRUE(fixtures::writeFile(QDir(folder.path()).filePath(name), name.toUtf8()));
        const QString reserved = c.reserved ? QDir(folder.path()).filePath(QLatin1String(c.reserved)) : QString();

        const QList<sound::RecoveredTake> done = sound::RecoverTakes({folder.path()}, reserved);
        ASSERT_EQ(done.size(), 1);
        const QString expected = QDir(folder.path()).filePath(QLatin1String(c.expected));
        EXPECT_EQ(done.first().file, expected);
        EXPECT_EQ(done.first().frames, c.frames);
        EXPECT_TRUE(done.first().error.isEmpty()) << qPrintable(done.first().error);
        EXPECT_TRUE(done.first().text().contains(expected)) << qPrintable(done.first().text());
        const QByteArray bytes = fixtures::readFile(expected);
        EXPECT_EQ(bytes, fixtures::wavBytes(c.pcm, frames)) << "the whole frames, declared, padded, nothing more";
        for (const QString& name : c.standing)
            EXPECT_EQ(fixtures::readFile(QDir(folder.path()).filePath(name)), name.toUtf8());
        EXPECT_FALSE(QFile::exists(part));
        EXPECT_FALSE(reserved.isEmpty() ? false : QFile::exists(reserved));
        EXPECT_TRUE(sound::RecoverTakes({folder.path()}).isEmpty()) << "a take is recovered once";
    }
}

// The note of a take finds it where no folder is looked at; a take whose recorder still runs
// (here, the test holds its lock in its stead) stays as it is, its note too.
TEST_F(TakeRecovery, NotesFindTakesAndRunningTakesStay)
{
    const Pcm pcm{44100, 2, 16};
    QTemporaryDir elsewhere;
    const QString part = QDir(elsewhere.path()).filePath(QStringLiteral(".song.recording-abc.wav"));
    const QString target = QDir(elsewhere.path()).filePath(QStringLiteral("song.wav"));
    const QByteArray frames = fixtures::pattern(pcm, 4410, 3);
    ASSERT_TRUE(fixtures::writeFile(part, cutOffTake(pcm, frames, 0)));
    {
        auto note = std::make_unique<sound::TakeNote>(part, target);
        EXPECT_EQ(notes().size(), 1);
        note.reset();
        EXPECT_TRUE(notes().isEmpty()) << "a take put in place takes its note with it";
    }
    sound::TakeNote note(part, target);
    const int fd = ::open(QFile::encodeName(part).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(sound::RecoverTakes({}).isEmpty());
    EXPECT_TRUE(QFile::exists(part));
    EXPECT_EQ(notes().size(), 1);
    ::close(fd);

    const QList<sound::RecoveredTake> done = sound::RecoverTakes({});
    ASSERT_EQ(done.size(), 1);
    const QString recovered = QDir(elsewhere.path()).filePath(QStringLiteral("song (recovered).wav"));
    EXPECT_EQ(done.first().file, recovered);
    EXPECT_EQ(done.first().target, target);
    EXPECT_EQ(fixtures::readFile(recovered), fixtures::wavBytes(pcm, frames));
    EXPECT_FALSE(QFile::exists(target)) << "the name the user records to stays free";
    EXPECT_TRUE(notes().isEmpty());
}

// What the recorder did not write, or cannot read as its own, is left where it is: a job's part
// file, a file in a recording's name that is not a WAV file (said once, when a note led to it),
// and an empty one of this very moment; an empty one left long ago holds nothing and goes.
TEST_F(TakeRecovery, ForeignDamagedAndNewbornFilesAreLeftAlone)
{
    const QString job = path(QStringLiteral(".take.part-1f2e.wav"));
    const QString foreign = path(QStringLiteral(".notes.recording-aa.txt"));
    const QString newborn = path(QStringLiteral(".born.recording-bb.wav"));
    const QString empty = path(QStringLiteral(".gone.recording-cc.wav"));
    ASSERT_TRUE(fixtures::writeFile(job, fixtures::wavBytes(Pcm{}, QByteArray(400, 'j'))));
    ASSERT_TRUE(fixtures::writeFile(foreign, QByteArray(100, 'x')));
    ASSERT_TRUE(fixtures::writeFile(newborn, "RIFF"));
    ASSERT_TRUE(fixtures::writeFile(empty, ""));
    ASSERT_TRUE(leftAnHourAgo(empty));
    // A note left behind, as by a killed recorder.
    const QString notesFolder = platform::programFolder() + QStringLiteral("/takes");
    {
        sound::TakeNote note(foreign, path(QStringLiteral("notes.txt")));
        ASSERT_EQ(notes().size(), 1);
        ASSERT_TRUE(QFile::copy(QDir(notesFolder).filePath(notes().first()), path(QStringLiteral("kept-note"))));
    }
    ASSERT_TRUE(QFile::rename(path(QStringLiteral("kept-note")), QDir(notesFolder).filePath(QStringLiteral("left.take"))));

    const QList<sound::RecoveredTake> first = sound::RecoverTakes({dir.path()});
    ASSERT_EQ(first.size(), 1);
    EXPECT_TRUE(first.first().file.isEmpty());
    EXPECT_TRUE(first.first().error.contains(foreign)) << qPrintable(first.first().error);
    EXPECT_EQ(first.first().text(), first.first().error);
    EXPECT_TRUE(sound::RecoverTakes({dir.path()}).isEmpty()) << "said once";
    EXPECT_EQ(fixtures::folderEntries(dir.path()),
              (QStringList{QStringLiteral(".born.recording-bb.wav"), QStringLiteral(".notes.recording-aa.txt"),
                           QStringLiteral(".take.part-1f2e.wav")}));
    EXPECT_EQ(fixtures::readFile(foreign), QByteArray(100, 'x'));
    EXPECT_TRUE(notes().isEmpty());
}

}  // namespace
