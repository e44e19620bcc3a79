// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// A same-format WAV join lets the kernel copy the samples where inputs and output share a file
// system, and reads and writes them where they do not: both must give the same bytes.
#include "components/cAudioJoin.h"
#include "tests/components/WavFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using fixtures::Pcm;

dev_t deviceOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : 0;
}

TEST(JoinAcrossFileSystems, InputsElsewhereJoinToTheSameBytes)
{
    QTemporaryDir local;
    // /dev/shm is a memory file system: another device than the temporary folder on any machine
    // where the two differ; where they do not, the test still checks the copy.
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/quillmere-join-XXXXXX"));
    ASSERT_TRUE(local.isValid());
    ASSERT_TRUE(elsewhere.isValid()) << "/dev/shm is not writable";
    if (deviceOf(local.path()) == deviceOf(elsewhere.path()))
        std::cout << "[ note     ] /dev/shm and the temporary folder share a device here" << std::endl;

    const Pcm pcm{44100, 2, 16};
    const int64_t frames = 2 * 44100 + 5;
    struct Case {
        const char* name;
        QString inputFolder;
    };
    const Case cases[] = {{"same file system", local.path()}, {"another file system", elsewhere.path()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString a = c.inputFolder + QStringLiteral("/a.wav"), b = c.inputFolder + QStringLiteral("/b.wav");
        ASSERT_TRUE(fixtures::writeFile(a, fixtures::wavBytes(pcm, fixtures::pattern(pcm, frames, 1))));
        ASSERT_TRUE(fixtures::writeFile(b, fixtures::wavBytes(pcm, fixtures::pattern(pcm, frames, 2))));
        const QString out = local.filePath(QStringLiteral("joined-%1.wav").arg(c.inputFolder == local.path()));

        auto join = CreateAudioJoin();
        join->DestinationFormat(1);
        join->SetWavFormat({pcm.rate, int16_t(pcm.channels), int16_t(pcm.bits)});
        join->AddFile(a, -1, -1);
        join->AddFile(b, 1, 1);  // cut at a frame position past the header
        join->OutputFile(out);
        QString end, text;
        QObject::connect(join.get(), &cAudioJoin::Done, [&] { end = QStringLiteral("Done"); });
        QObject::connect(join.get(), &cAudioJoin::Error, [&](long, const QString& t) {
            end = QStringLiteral("Error");
            text = t;
        });
        join->Join();
        QElapsedTimer t;
        t.start();
        while (end.isEmpty() && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_EQ(end, QStringLiteral("Done")) << text.toStdString();

        const auto parsed = fixtures::parseWavFile(out);
        ASSERT_TRUE(parsed);
        const QByteArray second = fixtures::pattern(pcm, frames, 2).mid(44100 * 4, 44100 * 4);
        EXPECT_TRUE(parsed->data == fixtures::pattern(pcm, frames, 1) + second);
    }
}

}  // namespace
