// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/AudioEngine.h"
#include "components/engine/FfmpegReader.h"
#include "components/engine/SourceFile.h"
#include "tests/support/SpecialFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

using specialfiles::finishesInTime;
using specialfiles::SpecialFiles;

// The ways a source is opened: the probe of adding files, the full open of jobs and the player,
// and the general decoder's own opens (reached directly here, as they would be when a file is
// swapped for a FIFO after the first look at it).
struct Opener {
    const char* name;
    std::function<bool(const QString&, QString*)> open;
};

const std::vector<Opener>& openers()
{
    static const std::vector<Opener> all = {
        {"probe", [](const QString& p, QString* e) { engine::SourceInfo i; return engine::probeAudioSource(p, &i, e); }},
        {"open", [](const QString& p, QString* e) { return bool(engine::AudioReader::open(p, e)); }},
        {"decoder open", [](const QString& p, QString* e) { return bool(engine::openFfmpegReader(p, e)); }},
        {"decoder probe", [](const QString& p, QString* e) { engine::SourceInfo i; return engine::probeFfmpegSource(p, &i, e); }},
    };
    return all;
}

TEST(SpecialSources, AreRefusedAtOnceForWhatTheyAre)
{
    QTemporaryDir dir;
    const SpecialFiles special(dir.path());
    for (const Opener& opener : openers()) {
        for (const specialfiles::Special& s : special.all) {
            bool opened = true;
            QString error;
            const bool inTime = finishesInTime([&] { opened = opener.open(s.path, &error); }, special.fifo);
            EXPECT_TRUE(inTime) << opener.name << " waited on " << s.kind;
            EXPECT_FALSE(opened) << opener.name << ", " << s.kind;
            EXPECT_EQ(error, QStringLiteral("'%1' is not a regular file (%2).").arg(s.path, QLatin1String(s.kind)))
                << opener.name;
        }
    }
}

TEST(SpecialSources, SystemFilesAreCalledWhatTheyAreNotEmpty)
{
    const struct {
        QString path;
        QString words;  // what the refusal must say
    } cases[] = {
        {QStringLiteral("/dev/zero"), QStringLiteral("is not a regular file (a device)")},
        {QStringLiteral("/dev/urandom"), QStringLiteral("is not a regular file (a device)")},
        // A size of 0 that reads as text.
        {QStringLiteral("/proc/self/status"), QStringLiteral("gives a size of 0 bytes yet holds data")},
    };
    for (const auto& c : cases) {
        for (const Opener& opener : openers()) {
            if (QLatin1String(opener.name).startsWith(QLatin1String("decoder")))
                continue;
            QString error;
            EXPECT_FALSE(opener.open(c.path, &error));
            EXPECT_TRUE(error.contains(c.words)) << opener.name << ": " << error.toStdString();
            EXPECT_FALSE(error.contains(QStringLiteral("empty"))) << error.toStdString();
        }
    }
    // A pipe on standard input, as a shell hands it over.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    QString error;
    EXPECT_FALSE(engine::AudioReader::open(QStringLiteral("/proc/self/fd/%1").arg(ends[0]), &error));
    EXPECT_TRUE(error.endsWith(QStringLiteral("is not a regular file (a FIFO)."))) << error.toStdString();
    ::close(ends[0]);
    ::close(ends[1]);

    // A regular file that really is empty still says so.
    QTemporaryDir dir;
    QFile empty(dir.filePath(QStringLiteral("e.wav")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_FALSE(engine::AudioReader::open(empty.fileName(), &error));
    EXPECT_EQ(error, QStringLiteral("The file '%1' is empty.").arg(empty.fileName()));
}

TEST(SpecialSources, ANameThatIsNotUtf8IsRefusedForThatNotAsMissing)
{
    QTemporaryDir dir;
    const QByteArray raw = QFile::encodeName(dir.path()) + "/bad\xffname.wav";
    {
        const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "RIFF", 4), 4);
        ::close(fd);
    }
    // As the toolkit reads the name (a file dialog, a folder listing) and as a list keeps it.
    const QString misread = QFile::decodeName(raw);
    const QString kept = dir.path() + QStringLiteral("/bad") + QChar(char16_t(0xDCFF)) + QStringLiteral("name.wav");
    for (const QString& path : {misread, kept}) {
        for (const Opener& opener : openers()) {
            QString error;
            EXPECT_FALSE(opener.open(path, &error)) << opener.name;
            EXPECT_TRUE(error.contains(QStringLiteral("is not valid UTF-8"))) << opener.name << ": " << error.toStdString();
        }
    }
    // A missing name with U+FFFD of its own is just missing.
    QString error;
    EXPECT_FALSE(engine::AudioReader::open(dir.path() + QStringLiteral("/gone\uFFFD.wav"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist"))) << error.toStdString();
}

}  // namespace
