// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/CueSheet.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/SpecialFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using specialfiles::finishesInTime;
using specialfiles::SpecialFiles;

const QByteArray kTrack = " TRACK 01 AUDIO\n  INDEX 01 00:00:00\n";

QByteArray sheetNaming(const QString& dataFile) { return "FILE \"" + QFile::encodeName(dataFile) + "\" BINARY\n" + kTrack; }

TEST(CueSpecialFiles, ADataFileThatIsNoRegularFileIsRefusedForWhatItIs)
{
    QTemporaryDir dir;
    const SpecialFiles special(dir.path(), QStringLiteral("data"), QStringLiteral("bin"));
    for (const specialfiles::Special& s : special.all) {
        const QString name = QFileInfo(s.path).fileName();
        const QString sheet = dir.filePath(QStringLiteral("disc.cue"));
        ASSERT_TRUE(fixtures::writeFile(sheet, sheetNaming(name)));
        QString why;
        bool read = true;
        EXPECT_TRUE(finishesInTime([&] { read = cd::ReadCueSheet(sheet, nullptr, &why); }, special.fifo)) << s.kind;
        EXPECT_FALSE(read) << s.kind;
        EXPECT_EQ(why, QStringLiteral("its data file '%1' is not a regular file (%2).").arg(name, QLatin1String(s.kind))) << why.toStdString();
    }
}

TEST(CueSpecialFiles, ASheetThatIsNoRegularFileIsRefusedWithoutWaiting)
{
    QTemporaryDir dir;
    const SpecialFiles special(dir.path(), QStringLiteral("disc"), QStringLiteral("cue"));
    for (const specialfiles::Special& s : special.all) {
        QString why;
        bool read = true;
        EXPECT_TRUE(finishesInTime([&] { read = cd::ReadCueSheet(s.path, nullptr, &why); }, special.fifo)) << s.kind;
        EXPECT_FALSE(read) << s.kind;
        EXPECT_EQ(why, QStringLiteral("it is not a regular file (%1).").arg(QLatin1String(s.kind)));
    }
}

TEST(CueSpecialFiles, ADataFileNamedInBytesThatAreNotUtf8IsRefusedForThatNotAsMissing)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray ok = folder + "/ok.bin", odd = folder + "/d\xe9mo.bin";
    ASSERT_TRUE(fixtures::writeFile(QFile::decodeName(ok), QByteArray(2352 * 10, '\0')));
    ASSERT_EQ(::rename(ok.constData(), odd.constData()), 0);
    const QString sheet = dir.filePath(QStringLiteral("disc.cue"));
    // The sheet names it in the same bytes, as a tool of an 8-bit code page writes it.
    ASSERT_TRUE(fixtures::writeFile(sheet, "FILE \"d\xe9mo.bin\" BINARY\n" + kTrack));
    QString why;
    EXPECT_FALSE(cd::ReadCueSheet(sheet, nullptr, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("not valid UTF-8"))) << why.toStdString();
    EXPECT_FALSE(why.contains(QStringLiteral("missing"))) << why.toStdString();
}

// Burning a FIFO as an audio track: refused at once, the image left unwritten.
TEST(CueSpecialFiles, BurningASpecialFileIsRefusedAtOnce)
{
    QTemporaryDir dir;
    const SpecialFiles special(dir.path());
    for (const specialfiles::Special& s : special.all) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLMERE_DRIVES"), dir.filePath(QStringLiteral("disc.cue")));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/cd-driver"),
                {QStringLiteral("burn-audio"), QStringLiteral("D"), s.path});
        const bool ended = p.waitForFinished(10000);
        EXPECT_TRUE(ended) << "cd-driver waited on " << s.kind;
        if (!ended) {
            p.kill();
            p.waitForFinished();
        }
        const QString out = QString::fromUtf8(p.readAll());
        EXPECT_EQ(p.exitCode(), 1) << s.kind;
        EXPECT_TRUE(out.contains(QStringLiteral("is not a regular file (%1)").arg(QLatin1String(s.kind)))) << out.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("disc.bin")))) << s.kind;
    }
}

}  // namespace
