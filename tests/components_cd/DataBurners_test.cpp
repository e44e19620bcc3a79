// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cAudioDataBurner.h"
#include "components/cBurner.h"
#include "components/cd/Burning.h"
#include "tests/components_cd/BurnFixtures.h"
#include "tests/support/DiscImages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

namespace {

// Files whose names test what each file system keeps: blanks, a letter outside ASCII, and a
// name past the 31 characters of ISO 9660 level 2.
const QStringList kNames{QStringLiteral("with some blanks.mp3"), QStringLiteral("été.mp3"),
                         QStringLiteral("a name well past thirty-one characters.mp3")};

// The volume id of the image's Joliet descriptor (a supplementary volume descriptor with a
// UCS-2 escape sequence), read straight from the sectors; "" when there is none.
QString jolietVolumeId(const QString& iso)
{
    const QByteArray bytes = fixtures::readFile(iso);
    for (int sector = 16; (sector + 1) * 2048 <= bytes.size(); ++sector) {
        const QByteArray d = bytes.mid(sector * 2048, 2048);
        if (uint8_t(d.at(0)) == 255)
            break;
        if (d.at(0) != 2 || d.mid(1, 5) != "CD001" || d.at(88) != '%' || d.at(89) != '/')
            continue;
        QString id;
        for (int i = 40; i < 72; i += 2)
            id += QChar(char16_t(uint8_t(d.at(i)) << 8 | uint8_t(d.at(i + 1))));
        return id.trimmed();
    }
    return {};
}

struct DataEvents {
    explicit DataEvents(cAudioDataBurner& b)
    {
        QObject::connect(&b, &cAudioDataBurner::BurnStarting, &ctx, [this] { add(QStringLiteral("BurnStarting")); });
        QObject::connect(&b, &cAudioDataBurner::Progress, &ctx, [this](int p) { add(QStringLiteral("Progress")), last = p; });
        QObject::connect(&b, &cAudioDataBurner::ClosingSession, &ctx, [this] { add(QStringLiteral("ClosingSession")); });
        QObject::connect(&b, &cAudioDataBurner::Finished, &ctx, [this] { add(QStringLiteral("Finished")), ++ends; });
        QObject::connect(&b, &cAudioDataBurner::BurnError, &ctx, [this](long, const QString& m) {
            add(QStringLiteral("BurnError")), text = m, ++ends;
        });
    }
    void add(const QString& e)
    {
        if (log.isEmpty() || log.last() != e)
            log << e;
    }
    bool waitEnd() { return burnfixtures::waitUntil([this] { return ends > 0; }); }
    QObject ctx;
    QStringList log;
    int ends = 0, last = -1;
    QString text;
};

struct SecondEvents {
    explicit SecondEvents(cBurner& b)
    {
        QObject::connect(&b, &cBurner::BurnerInitializing, &ctx, [this] { add(QStringLiteral("Initializing")); });
        QObject::connect(&b, &cBurner::BurnerFileCount, &ctx, [this](long f, long d) { add(QStringLiteral("FileCount %1 %2").arg(f).arg(d)); });
        QObject::connect(&b, &cBurner::BurnerAdding, &ctx, [this](const QString&) { add(QStringLiteral("Adding")); });
        QObject::connect(&b, &cBurner::StartBurning, &ctx, [this] { add(QStringLiteral("StartBurning")); });
        QObject::connect(&b, &cBurner::BurnerProgress, &ctx, [this](long) { add(QStringLiteral("Progress")); });
        QObject::connect(&b, &cBurner::BurnerFinalization, &ctx, [this] { add(QStringLiteral("Finalization")); });
        QObject::connect(&b, &cBurner::BurnerCompleted, &ctx, [this] { add(QStringLiteral("Completed")); });
        QObject::connect(&b, &cBurner::BurnerDoneBurn, &ctx, [this] { add(QStringLiteral("DoneBurn")); });
        QObject::connect(&b, &cBurner::BurnerCanceled, &ctx, [this] { add(QStringLiteral("Canceled")); });
        QObject::connect(&b, &cBurner::BurnerEnd, &ctx, [this] { add(QStringLiteral("End")), ++ends; });
        QObject::connect(&b, &cBurner::BurnerError, &ctx, [this](const QString&, const QString& second) {
            add(QStringLiteral("Error")), text = second, ++ends;
        });
    }
    void add(const QString& e)
    {
        if (log.isEmpty() || log.last() != e)
            log << e;
    }
    bool waitEnd() { return burnfixtures::waitUntil([this] { return ends > 0; }); }
    QObject ctx;
    QStringList log;
    int ends = 0;
    QString text;
};

class DataBurnersTest : public testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkdir(QStringLiteral("src"));
        for (int i = 0; i < kNames.size(); ++i) {
            QByteArray bytes;
            for (int k = 0; k < 5000 * (i + 1); ++k)
                bytes += char((k * 7 + i) & 0xff);
            fixtures::writeFile(source(kNames.at(i)), bytes);
        }
    }
    void TearDown() override
    {
        qputenv("QUILLMERE_DRIVES", "");
        cd::SetMasteringLibrariesStartForTests(-1);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString source(const QString& name) const { return dir.filePath(QStringLiteral("src/") + name); }
    void useDrives(const QStringList& entries) { qputenv("QUILLMERE_DRIVES", entries.join(QLatin1Char(':')).toUtf8()); }
    QStringList leftovers() const { return QDir(dir.path()).entryList({QStringLiteral(".*part*")}, QDir::Files | QDir::Hidden); }

    // The image holds the files under their Joliet names, byte for byte.
    void expectFilesOn(const QString& iso)
    {
        QStringList want = kNames;
        want.sort();
        EXPECT_EQ(burnfixtures::isoRootNames(iso), want);
        const QString out = path(QStringLiteral("out"));
        ASSERT_TRUE(burnfixtures::extractIso(iso, out));
        for (const QString& n : kNames)
            EXPECT_TRUE(fixtures::readFile(out + QLatin1Char('/') + n) == fixtures::readFile(source(n))) << n.toStdString();
    }

    QTemporaryDir dir;
};

TEST_F(DataBurnersTest, FirstEngineWritesAJolietCdWithTheVolumeAndIds)
{
    const QString iso = path(QStringLiteral("disc.iso"));
    useDrives({iso});
    auto burner = CreateAudioDataBurner();
    ASSERT_EQ(burner->DriveCount(), 1);
    EXPECT_EQ(burner->DriveName(1), QStringLiteral("D: disc.iso"));
    EXPECT_EQ(burner->SpeedCount(QStringLiteral("D")), 0);
    EXPECT_TRUE(burner->IsDriveReady(QStringLiteral("D")));
    EXPECT_TRUE(burner->IsDiscEmpty(QStringLiteral("D")));

    for (const QString& n : kNames)
        ASSERT_TRUE(burner->AddFile(source(n)));
    EXPECT_FALSE(burner->AddFile(source(QStringLiteral("missing.mp3"))));
    burner->VolumeName(QStringLiteral("My Café Songs"));
    burner->FileSystemName(QStringLiteral("CDFS"));
    burner->ApplicationName(QStringLiteral("Quillmere"));
    burner->PublisherName(QStringLiteral("Quillmere Publisher"));
    burner->BurnOption(false);
    DataEvents ev(*burner);
    burner->BurnDisc(QStringLiteral("D"), 65535);
    ASSERT_TRUE(ev.waitEnd());
    ASSERT_EQ(ev.log.last(), QStringLiteral("Finished")) << ev.text.toStdString();
    EXPECT_EQ(ev.ends, 1);
    EXPECT_EQ(ev.log.first(), QStringLiteral("BurnStarting"));
    EXPECT_TRUE(ev.log.contains(QStringLiteral("ClosingSession")));
    EXPECT_TRUE(leftovers().isEmpty());

    expectFilesOn(iso);
    const QString info = burnfixtures::isoInfo(iso);
    EXPECT_TRUE(info.contains(QStringLiteral("Joliet with UCS level 3 found"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Volume id: ") + cd::IsoVolumeId(QStringLiteral("My Café Songs")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Application id: QUILLMERE"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Publisher id: QUILLMERE PUBLISHER"))) << info.toStdString();
    // The Joliet tree keeps the volume name as it was given.
    EXPECT_EQ(jolietVolumeId(iso), QStringLiteral("My Café Songs"));

    // The list was taken by the burn: the disc is written, and the next burn has nothing.
    EXPECT_FALSE(burner->IsDiscEmpty(QStringLiteral("D")));
}

TEST_F(DataBurnersTest, SecondEngineWritesTheSameDiscAndReportsEachStage)
{
    // With UDF asked the disc-mastering tool makes the image; the stages and files are the same.
    for (const bool udf : {false, true}) {
        SCOPED_TRACE(udf);
        const QString iso = path(QStringLiteral("disc%1.iso").arg(udf));
        useDrives({path(QStringLiteral("audio.cue")), iso});
        ASSERT_TRUE(cBurner::LibraryStarts());
        auto burner = CreateBurner();
        ASSERT_EQ(burner->DeviceCount(), 2);
        EXPECT_EQ(burner->DevicePath(1) + QStringLiteral(" - ") + burner->DeviceName(1), QStringLiteral("E: - disc%1.iso").arg(udf));
        burner->NewImage();
        burner->UseISO(true);
        burner->UseJoliet(true);
        burner->UseUDF(udf);
        burner->VolumeName(QStringLiteral("Second"));
        for (const QString& n : kNames)
            EXPECT_TRUE(burner->AddFile(source(n)));
        SecondEvents ev(*burner);
        burner->BurnDisc(1);
        ASSERT_TRUE(ev.waitEnd());
        ASSERT_EQ(ev.log.last(), QStringLiteral("End")) << ev.text.toStdString();
        EXPECT_EQ(ev.ends, 1);
        EXPECT_EQ(ev.log.mid(0, 3), (QStringList{QStringLiteral("Initializing"), QStringLiteral("FileCount 3 0"), QStringLiteral("Adding")}));
        EXPECT_TRUE(ev.log.contains(QStringLiteral("StartBurning")));
        EXPECT_EQ(ev.log.mid(ev.log.size() - 4),
                  (QStringList{QStringLiteral("Finalization"), QStringLiteral("Completed"), QStringLiteral("DoneBurn"), QStringLiteral("End")}));
        expectFilesOn(iso);
        // The library writes the ISO volume id in capitals; the tool writes the name as given.
        EXPECT_TRUE(burnfixtures::isoInfo(iso).contains(udf ? QStringLiteral("Volume id: Second") : QStringLiteral("Volume id: SECOND")));
        EXPECT_EQ(jolietVolumeId(iso), QStringLiteral("Second"));
        EXPECT_EQ(burnfixtures::volumeDescriptorIds(iso).contains(QStringLiteral("NSR02")), udf);
    }
}

// UDF as the second engine writes it: the standard's descriptors after ISO 9660's, a file
// system a UDF reader takes, every file whole on both sides. Asked alone it gets ISO 9660
// beside it (the mastering tool writes UDF no other way), and the log says so.
TEST_F(DataBurnersTest, UdfIsWrittenBesideIsoAndEveryFileReadsBackWhole)
{
    struct Case {
        const char* what;
        bool iso, joliet;
    };
    for (const Case& c : {Case{"ISO, Joliet and UDF", true, true}, Case{"UDF alone", false, false}}) {
        SCOPED_TRACE(c.what);
        const QString iso = path(QStringLiteral("udf%1.iso").arg(c.joliet));
        useDrives({iso});
        auto burner = CreateBurner();
        QStringList notices;
        QObject::connect(burner.get(), &cBurner::BurnerNotice, burner.get(), [&](const QString& t) { notices << t; });
        burner->NewImage();
        burner->UseISO(c.iso);
        burner->UseJoliet(c.joliet);
        burner->UseUDF(true);
        burner->VolumeName(QStringLiteral("Café Songs"));
        for (const QString& n : kNames)
            ASSERT_TRUE(burner->AddFile(source(n)));
        SecondEvents ev(*burner);
        burner->BurnDisc(0);
        ASSERT_TRUE(ev.waitEnd());
        ASSERT_EQ(ev.log.last(), QStringLiteral("End")) << ev.text.toStdString();

        const QStringList ids = burnfixtures::volumeDescriptorIds(iso);
        ASSERT_GE(ids.size(), 5) << ids.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(ids.first(), QStringLiteral("CD001"));
        const int bea = int(ids.indexOf(QStringLiteral("BEA01")));
        ASSERT_GT(bea, 0) << ids.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(ids.value(bea + 1), QStringLiteral("NSR02")) << ids.join(QLatin1Char(' ')).toStdString();

        const QMap<QString, QString> facts = burnfixtures::udfInfo(iso);
        EXPECT_EQ(facts.value(QStringLiteral("numfiles")), QString::number(kNames.size()));
        EXPECT_EQ(facts.value(QStringLiteral("label")), QStringLiteral("Café Songs"));
        const QMap<QString, QByteArray> udf = burnfixtures::udfRootFiles(iso);
        QStringList want = kNames;
        want.sort();
        EXPECT_EQ(QStringList(udf.keys()), want);
        for (const QString& n : kNames)
            EXPECT_TRUE(udf.value(n) == fixtures::readFile(source(n))) << n.toStdString();
        // The ISO 9660 side holds every file whole too.
        const QString out = path(QStringLiteral("out%1").arg(c.joliet));
        ASSERT_TRUE(burnfixtures::extractIso(iso, out));
        EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), kNames.size());
        if (c.joliet) {
            EXPECT_TRUE(burnfixtures::jolietFile(iso, kNames.at(0)) == fixtures::readFile(source(kNames.at(0))));
            EXPECT_TRUE(notices.isEmpty()) << notices.join(QLatin1Char('\n')).toStdString();
        } else {
            EXPECT_TRUE(burnfixtures::isoInfo(iso).contains(QStringLiteral("NO Joliet present")));
            EXPECT_EQ(notices, QStringList{QStringLiteral("UDF alone cannot be written here: the disc-mastering tool needs an ISO 9660 "
                                                          "file system beside it, so the disc holds both.")});
        }
        EXPECT_TRUE(leftovers().isEmpty());
    }
}

// The mastering tool is a program of its own: where it cannot be started, fails, or ends
// without the whole image, the burn says so and why, and writes nothing.
TEST_F(DataBurnersTest, AMissingFailingOrShortMasteringToolIsAClearErrorAndWritesNothing)
{
    const QString bin = path(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    struct Case {
        const char* what;
        const char* script;  // the tool on the search path; none when null
        QString says;
    };
    const Case cases[] = {
        {"missing", nullptr, QStringLiteral("genisoimage cannot be started: ") + QString::fromLocal8Bit(std::strerror(ENOENT))},
        {"failing", "echo 'genisoimage: Invalid node - disc.mp3.' >&2\nexit 3\n",
         QStringLiteral("genisoimage failed (it ended with status 3): genisoimage: Invalid node - disc.mp3.")},
        {"short", "case \" $* \" in *\" -print-size \"*) echo 100; exit 0;; esac\n/usr/bin/head -c 102400 /dev/zero\n",
         QStringLiteral("was not written")},  // in libburn's words or ours, as it finds the end first
    };
    const QByteArray searchPath = qgetenv("PATH");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString tool = bin + QStringLiteral("/genisoimage");
        QFile::remove(tool);
        if (c.script) {
            fixtures::writeFile(tool, QByteArray("#!/bin/sh\n") + c.script);
            QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QString iso = path(QStringLiteral("disc.iso"));
        useDrives({iso});
        qputenv("PATH", QFile::encodeName(bin));
        auto burner = CreateBurner();
        burner->NewImage();
        burner->UseUDF(true);
        burner->AddFile(source(kNames.at(0)));
        SecondEvents ev(*burner);
        burner->BurnDisc(0);
        const bool ended = ev.waitEnd();
        qputenv("PATH", searchPath);
        ASSERT_TRUE(ended);
        EXPECT_EQ(ev.log.last(), QStringLiteral("Error"));
        EXPECT_FALSE(ev.log.contains(QStringLiteral("End")));
        EXPECT_TRUE(ev.text.contains(c.says)) << ev.text.toStdString();
        EXPECT_FALSE(QFile::exists(iso));
        EXPECT_TRUE(leftovers().isEmpty());
    }
}

TEST_F(DataBurnersTest, WithoutJolietOnlyTheIsoNamesAreWritten)
{
    const QString iso = path(QStringLiteral("plain.iso"));
    useDrives({iso});
    auto burner = CreateBurner();
    burner->NewImage();
    burner->UseJoliet(false);
    burner->AddFile(source(kNames.at(0)));
    SecondEvents ev(*burner);
    burner->BurnDisc(0);
    ASSERT_TRUE(ev.waitEnd());
    ASSERT_EQ(ev.log.last(), QStringLiteral("End")) << ev.text.toStdString();
    const QString info = burnfixtures::isoInfo(iso);
    EXPECT_TRUE(info.contains(QStringLiteral("NO Joliet present"))) << info.toStdString();
    EXPECT_EQ(jolietVolumeId(iso), QString());
}

TEST_F(DataBurnersTest, RefusalsEndInOneErrorAndKeepWhatIsThere)
{
    const QString written = discimages::WriteIso(dir.path(), QStringLiteral("written"), 20);
    const QByteArray before = fixtures::readFile(written);
    useDrives({written, path(QStringLiteral("audio.cue")), path(QStringLiteral("blank.iso"))});

    auto first = CreateAudioDataBurner();
    EXPECT_FALSE(first->IsDiscEmpty(QStringLiteral("D")));
    struct Case {
        const char* name;
        QString letter;
        bool files;
        QString says;
    };
    const Case cases[] = {
        {"a written image", QStringLiteral("D"), true, QStringLiteral("is not empty")},
        {"data to an audio image", QStringLiteral("E"), true, QStringLiteral("audio discs only")},
        {"an empty file list", QStringLiteral("F"), false, QStringLiteral("no files")},
        {"no drive", QString(), true, QStringLiteral("No CD writer")},
    };
    for (const Case& c : cases) {
        if (c.files)
            first->AddFile(source(kNames.at(0)));
        DataEvents ev(*first);
        first->BurnDisc(c.letter, 65535);
        ASSERT_TRUE(ev.waitEnd()) << c.name;
        EXPECT_EQ(ev.log, QStringList{QStringLiteral("BurnError")}) << c.name;
        EXPECT_TRUE(ev.text.contains(c.says)) << c.name << ": " << ev.text.toStdString();
    }

    auto second = CreateBurner();
    struct SecondCase {
        const char* name;
        long index;
        bool iso, joliet, udf;
        QString says;
    };
    const SecondCase secondCases[] = {
        {"no device", -1, true, true, false, QStringLiteral("No recorder")},
        {"a written image", 0, true, true, false, QStringLiteral("is not empty")},
        {"data to an audio image", 1, true, true, false, QStringLiteral("audio discs only")},
    };
    for (const SecondCase& c : secondCases) {
        second->NewImage();
        second->UseISO(c.iso);
        second->UseJoliet(c.joliet);
        second->UseUDF(c.udf);
        second->AddFile(source(kNames.at(0)));
        SecondEvents ev(*second);
        second->BurnDisc(c.index);
        ASSERT_TRUE(ev.waitEnd()) << c.name;
        EXPECT_EQ(ev.log.filter(QStringLiteral("Error")).size(), 1) << c.name;
        EXPECT_FALSE(ev.log.contains(QStringLiteral("End"))) << c.name;
        EXPECT_TRUE(ev.text.contains(c.says)) << c.name << ": " << ev.text.toStdString();
    }
    EXPECT_TRUE(fixtures::readFile(written) == before);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("audio.cue"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("blank.iso"))));
    EXPECT_TRUE(leftovers().isEmpty());
}

// The mastering tool's children of this process (running or not yet reaped), by process id.
QStringList toolChildren()
{
    QStringList found;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray stat = fixtures::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        const int close = int(stat.lastIndexOf(')'));
        if (close < 0 || !stat.contains("(genisoimage)"))
            continue;
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == QCoreApplication::applicationPid())
            found << pid;
    }
    return found;
}

TEST_F(DataBurnersTest, ACancelledBurnEndsInBurnerErrorAndLeavesNoImage)
{
    // Enough data that the cancel lands while libburn writes, from the library or the tool.
    QByteArray big(40 * 1024 * 1024, 'x');
    fixtures::writeFile(source(QStringLiteral("big.bin")), big);
    for (const bool udf : {false, true}) {
        SCOPED_TRACE(udf);
        const QString iso = path(QStringLiteral("disc.iso"));
        useDrives({iso});
        auto burner = CreateBurner();
        burner->NewImage();
        burner->UseUDF(udf);
        burner->AddFile(source(QStringLiteral("big.bin")));
        SecondEvents ev(*burner);
        QObject::connect(burner.get(), &cBurner::StartBurning, burner.get(), [&] { burner->CancelBurn(); });
        burner->BurnDisc(0);
        ASSERT_TRUE(ev.waitEnd());
        EXPECT_EQ(ev.log.last(), QStringLiteral("Error"));
        EXPECT_TRUE(ev.log.contains(QStringLiteral("Canceled")));
        EXPECT_FALSE(ev.log.contains(QStringLiteral("End")));
        EXPECT_EQ(ev.ends, 1);
        EXPECT_FALSE(QFile::exists(iso));
        EXPECT_TRUE(leftovers().isEmpty());
        EXPECT_TRUE(toolChildren().isEmpty()) << toolChildren().join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(DataBurnersTest, TheLibrarySeamMakesTheSecondEngineRefuse)
{
    useDrives({path(QStringLiteral("disc.iso"))});
    cd::SetMasteringLibrariesStartForTests(0);
    EXPECT_FALSE(cBurner::LibraryStarts());
    auto burner = CreateBurner();
    burner->NewImage();
    burner->AddFile(source(kNames.at(0)));
    SecondEvents ev(*burner);
    burner->BurnDisc(0);
    ASSERT_TRUE(ev.waitEnd());
    EXPECT_EQ(ev.log, QStringList{QStringLiteral("Error")});
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("disc.iso"))));
}

TEST_F(DataBurnersTest, AVolumeNameCutForTheDiscIsSaidWithBothNamesByEitherEngine)
{
    const QString volume = QStringLiteral("Mix Grüße 2024 Volume With A Long Name");
    // Engine 3: the second with UDF, whose mastering tool gives every tree the name as it
    // stands, cut to the 32 bytes of a volume id.
    for (const int engine : {1, 2, 3}) {
        SCOPED_TRACE(engine);
        const QString iso = path(QStringLiteral("volume%1.iso").arg(engine));
        useDrives({iso});
        QStringList notices;
        QObject ctx;
        bool ended = false;
        std::unique_ptr<cAudioDataBurner> first;
        std::unique_ptr<cBurner> second;
        if (engine == 1) {
            first = CreateAudioDataBurner();
            QObject::connect(first.get(), &cAudioDataBurner::Notice, &ctx, [&](const QString& t) { notices << t; });
            QObject::connect(first.get(), &cAudioDataBurner::Finished, &ctx, [&] { ended = true; });
            QObject::connect(first.get(), &cAudioDataBurner::BurnError, &ctx, [&](long, const QString& t) { ADD_FAILURE() << t.toStdString(); ended = true; });
            ASSERT_TRUE(first->AddFile(source(kNames.first())));
            first->VolumeName(volume);
            first->BurnDisc(QStringLiteral("D"), 0);
        } else {
            second = CreateBurner();
            QObject::connect(second.get(), &cBurner::BurnerNotice, &ctx, [&](const QString& t) { notices << t; });
            QObject::connect(second.get(), &cBurner::BurnerEnd, &ctx, [&] { ended = true; });
            QObject::connect(second.get(), &cBurner::BurnerError, &ctx, [&](const QString&, const QString& t) { ADD_FAILURE() << t.toStdString(); ended = true; });
            second->NewImage();
            second->UseUDF(engine == 3);
            ASSERT_TRUE(second->AddFile(source(kNames.first())));
            second->VolumeName(volume);
            second->BurnDisc(0);
        }
        ASSERT_TRUE(burnfixtures::waitUntil([&] { return ended; }));
        // What the volume descriptors hold is what the notice names.
        const QString joliet = jolietVolumeId(iso);
        EXPECT_EQ(joliet, QStringLiteral("Mix Grüße 2024 V"));
        const QString others = engine == 3 ? QStringLiteral("Mix Grüße 2024 Volume With A L") : cd::IsoVolumeId(volume);
        if (engine == 3) {
            // The primary descriptor's bytes as they stand (isoinfo shows fewer than 32 of them).
            EXPECT_EQ(QString::fromUtf8(fixtures::readFile(iso).mid(16 * 2048 + 40, 32)).trimmed(), others);
            EXPECT_EQ(burnfixtures::udfInfo(iso).value(QStringLiteral("label")), others);
        } else {
            const QString info = burnfixtures::isoInfo(iso);
            EXPECT_TRUE(info.contains(QStringLiteral("Volume id: ") + others + QLatin1Char('\n'))) << info.toStdString();
        }
        EXPECT_EQ(notices, QStringList{QStringLiteral("The volume name '%1' is longer than a disc's volume name can be: readers of "
                                                      "Joliet names see '%2', others '%3'.")
                                           .arg(volume, joliet, others)});
    }
}

TEST_F(DataBurnersTest, ABurnRightAfterACancelledOneWritesTheWholeImageOrFails)
{
    // The cancelled burn's worker leaves the library a moment after its drive went idle; a burn
    // started in that moment was refused by the library and still reported as finished, with
    // an empty image put in place.
    fixtures::writeFile(source(QStringLiteral("big.bin")), QByteArray(40 * 1024 * 1024, 'x'));
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        const QString cancelled = path(QStringLiteral("cancelled%1.iso").arg(round));
        const QString iso = path(QStringLiteral("after%1.iso").arg(round));
        useDrives({cancelled, iso});
        auto burner = CreateBurner();
        burner->NewImage();
        burner->AddFile(source(QStringLiteral("big.bin")));
        SecondEvents first(*burner);
        QObject::connect(burner.get(), &cBurner::StartBurning, burner.get(), [&] { burner->CancelBurn(); });
        burner->BurnDisc(0);
        ASSERT_TRUE(first.waitEnd());
        ASSERT_TRUE(first.log.contains(QStringLiteral("Canceled")));
        burner.reset();

        auto next = CreateAudioDataBurner();
        ASSERT_TRUE(next->AddFile(source(kNames.first())));
        DataEvents ev(*next);
        next->BurnDisc(QStringLiteral("E"), 0);
        ASSERT_TRUE(ev.waitEnd());
        ASSERT_EQ(ev.log.last(), QStringLiteral("Finished")) << ev.text.toStdString();
        EXPECT_EQ(burnfixtures::isoRootNames(iso), QStringList{kNames.first()});
    }
}

}  // namespace
