// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
//
// cd-driver: runs the CD components from the command line over the drive map (QUILLMERE_DRIVES
// or the system's optical drives), for end-to-end checks on disc images and real drives.
//
//   cd-driver drives                                   NAME<TAB>KIND<TAB>TRACKS[<TAB>WHY NO DISC], one drive a line
//   cd-driver toc DRIVE                                TRACK<TAB>audio|data<TAB>FIRST<TAB>SECTORS
//   cd-driver rip DRIVE TRACK OUT FORMAT [START LENGTH]
//   cd-driver lookup DRIVE                             artist=, album=, then TRACK<TAB>ARTIST<TAB>TITLE
//   cd-driver burn-audio DRIVE FILE...                 the files as the audio tracks of a CD
//   cd-driver burn-data DRIVE ENGINE FILE...           the files as a data disc, ENGINE 1 or 2
//                                                      (2:SYSTEMS picks the second engine's file
//                                                      systems, e.g. 2:iso,joliet,udf; 2 is 2:iso,joliet)
//   cd-driver duplicate SOURCE-DRIVE WRITER-DRIVE      copies an audio CD through the duplicator's task
//
// DRIVE is a letter with or without its colon ("D:" or "d"). FORMAT as for engine-driver:
// wav:RATE:CHANNELS:BITS | acm:TAG:FORMAT | mp3:KBPS | wma:CODEC:FORMAT | ogg:q:QUALITY |
// ogg:b:KBPS | ape:LEVEL. FIRST is the track's logical sector (track 1 of a pressed disc at 0).
// START and LENGTH are whole seconds. The burns print the burner's stage events one a line
// (progress only as it passes each tenth) and write the volume "Quillmere"; they exit 0 only
// when the burn finished. duplicate prints the task's log lines; when the writer holds no blank
// disc it prints the disc prompt to standard error and reads one line: "ok" or an empty line
// answers OK, anything else or the end of the input Cancel. It exits 0 only when every track
// was copied. lookup asks the server of QUILLMERE_CDDB_SERVER (host:port),
// else the public one. Exit status 0 on success; otherwise the error text goes to standard error
// and the status is 1 (2 for a usage error, 3 when aborted).

#include "bench/FormatWords.h"
#include "bench/PathList.h"
#include "cdtools/DuplicationTask.h"
#include "cdtools/RipperRules.h"
#include "components/OutputTarget.h"
#include "components/cAudioBurner.h"
#include "components/cAudioCDRipper.h"
#include "components/cAudioDataBurner.h"
#include "components/cBurner.h"
#include "components/cFreeDB.h"
#include "components/cd/Disc.h"

#include <QCoreApplication>

#include <cstdio>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace {

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}
QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}

int usage(const QString& why = {})
{
    if (!why.isEmpty())
        err() << why << "\n";
    err() << "usage: cd-driver drives\n"
             "       cd-driver toc DRIVE\n"
             "       cd-driver rip DRIVE TRACK OUT FORMAT [START LENGTH]\n"
             "       cd-driver lookup DRIVE\n"
             "       cd-driver burn-audio DRIVE FILE...\n"
             "       cd-driver burn-data DRIVE 1|2[:iso,joliet,udf] FILE...\n"
             "       cd-driver duplicate SOURCE-DRIVE WRITER-DRIVE\n";
    err().flush();
    return 2;
}

int fail(const QString& text)
{
    out().flush();
    err() << text << "\n";
    err().flush();
    return 1;
}

QString letterOf(const QString& given)
{
    QString l = given.trimmed().toUpper();
    if (l.size() == 1)
        l += QLatin1Char(':');
    return l;
}

int drives()
{
    for (const cd::Drive& d : cd::ListDrives()) {
        QString why;
        const std::unique_ptr<cd::Disc> disc = cd::Disc::open(d, &why);
        out() << d.name << '\t' << cd::KindText(d.kind) << '\t' << (disc ? disc->tracks().size() : 0);
        if (!disc)
            out() << '\t' << why;
        out() << "\n";
    }
    out().flush();
    return 0;
}

int toc(const QString& letter)
{
    cd::Drive drive;
    if (!cd::FindDrive(letter, &drive))
        return fail(QStringLiteral("There is no CD drive %1.").arg(letter));
    QString error;
    const std::unique_ptr<cd::Disc> disc = cd::Disc::open(drive, &error);
    if (!disc)
        return fail(error);
    for (const cd::TrackInfo& t : disc->tracks())
        out() << t.number << '\t' << (t.audio ? "audio" : "data") << '\t' << t.firstSector << '\t' << t.sectors << "\n";
    out().flush();
    return 0;
}

long driveIndex(const QString& letter)
{
    const QList<cd::Drive> list = cd::ListDrives();
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i).letter == letter)
            return i;
    return -1;
}

int rip(const QStringList& a)
{
    if (a.size() != 4 && a.size() != 6)
        return usage(QStringLiteral("rip takes DRIVE TRACK OUT FORMAT [START LENGTH]"));
    const auto track = formatwords::number(a[1]);
    if (!track)
        return usage(QStringLiteral("bad track number '") + a[1] + QLatin1Char('\''));
    QString why;
    const auto format = formatwords::parseFormat(a[3], &why);
    if (!format)
        return usage(why);
    auto ripper = CreateAudioCDRipper();
    const QString letter = letterOf(a[0]);
    const long index = driveIndex(letter);
    if (index < 0)
        return fail(QStringLiteral("There is no CD drive %1.").arg(letter));
    ripper->DeviceIndex(index);
    ripper->DestinationFormat(format->code);
    format->handTo(*ripper);
    ripper->TrackNumber(*track);
    if (a.size() == 6) {
        const auto start = formatwords::number(a[4]), length = formatwords::number(a[5]);
        if (!start || !length)
            return usage(QStringLiteral("START and LENGTH are whole seconds"));
        ripper->RangeStart(*start);
        ripper->RangeLength(*length);
    }
    ripper->OutputFile(a[2]);
    int status = -1;
    QObject::connect(ripper.get(), &cAudioCDRipper::Done, [&] {
        status = 0;
        QCoreApplication::exit(0);
    });
    QObject::connect(ripper.get(), &cAudioCDRipper::Aborted, [&] {
        err() << "Aborted.\n";
        status = 3;
        QCoreApplication::exit(0);
    });
    QObject::connect(ripper.get(), &cAudioCDRipper::Error, [&](long code, const QString& text) {
        err() << text << " (" << code << ")\n";
        status = 1;
        QCoreApplication::exit(0);
    });
    ripper->Rip();
    QCoreApplication::exec();
    err().flush();
    ripper->Shutdown();
    return status;
}

int lookup(const QString& given)
{
    const QString letter = letterOf(given);
    if (driveIndex(letter) < 0)
        return fail(QStringLiteral("There is no CD drive %1.").arg(letter));
    auto db = CreateFreeDB();
    db->SelectDrive(letter);
    int status = -1;
    QObject::connect(db.get(), &cFreeDB::ArtistFound, [&](const QString& artist) { out() << "artist=" << artist << "\n"; });
    QObject::connect(db.get(), &cFreeDB::AlbumFound, [&](const QString& album) { out() << "album=" << album << "\n"; });
    QObject::connect(db.get(), &cFreeDB::TrackFound, [&](const QString& artist, int track, const QString& title) {
        out() << track << '\t' << artist << '\t' << title << "\n";
        // Every track of an entry arrives in one go: the exit waits for the last of them.
        if (status < 0) {
            status = 0;
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        }
    });
    QObject::connect(db.get(), &cFreeDB::LookupError, [&](long code, const QString& text) {
        out().flush();
        err() << text << " (" << code << ")\n";
        status = 1;
        QCoreApplication::exit(0);
    });
    db->StartQuery();
    QCoreApplication::exec();
    out().flush();
    err().flush();
    db->Release();
    return status;
}

void say(const QString& line)
{
    out() << line << "\n";
    out().flush();
}

// Prints a percent only as it passes each tenth, so a log stays short.
struct Tenths {
    int last = -1;
    void operator()(const QString& what, int percent)
    {
        if (percent / 10 != last) {
            last = percent / 10;
            say(what + QLatin1Char(' ') + QString::number(percent));
        }
    }
};

int burnAudio(const QStringList& a)
{
    if (a.size() < 2)
        return usage(QStringLiteral("burn-audio takes DRIVE FILE..."));
    auto burner = CreateAudioBurner();
    for (const QString& f : a.mid(1))
        if (!burner->AddTrack(f))
            return fail(QStringLiteral("Cannot add ") + f + QStringLiteral(": ") + burner->AddTrackError());
    int status = -1;
    Tenths tenths;
    QObject::connect(burner.get(), &cAudioBurner::CachingTrack, [] { say(QStringLiteral("CachingTrack")); });
    QObject::connect(burner.get(), &cAudioBurner::WritingTrack, [&] {
        tenths.last = -1;
        say(QStringLiteral("WritingTrack"));
    });
    QObject::connect(burner.get(), &cAudioBurner::Progress, [&](int p, int t) { tenths(QStringLiteral("Progress %1").arg(t), p); });
    QObject::connect(burner.get(), &cAudioBurner::ClosingTrack, [](int t) { say(QStringLiteral("ClosingTrack %1").arg(t)); });
    QObject::connect(burner.get(), &cAudioBurner::ClosingSession, [] { say(QStringLiteral("ClosingSession")); });
    QObject::connect(burner.get(), &cAudioBurner::Finished, [&] {
        say(QStringLiteral("Finished"));
        status = 0;
    });
    QObject::connect(burner.get(), &cAudioBurner::Error, [&](long code, const QString& text) {
        err() << text << " (" << code << ")\n";
        status = 1;
    });
    burner->BurnMode(false);
    QString letter = letterOf(a[0]);
    burner->Burn(letter, 65535);
    err().flush();
    burner->Shutdown();
    return status == 0 ? 0 : 1;
}

int burnData(const QStringList& a)
{
    // The second engine's file systems: ISO 9660 and Joliet unless named.
    QStringList systems{QStringLiteral("iso"), QStringLiteral("joliet")};
    const QString engine = a.size() >= 2 ? a[1].section(QLatin1Char(':'), 0, 0) : QString();
    if (a.size() >= 2 && a[1].contains(QLatin1Char(':')))
        systems = a[1].section(QLatin1Char(':'), 1).toLower().split(QLatin1Char(','), Qt::SkipEmptyParts);
    const bool systemsKnown = std::all_of(systems.begin(), systems.end(), [](const QString& s) {
        return s == QLatin1String("iso") || s == QLatin1String("joliet") || s == QLatin1String("udf");
    });
    if (a.size() < 3 || (engine != QLatin1String("1") && engine != QLatin1String("2")) ||
        (a[1].contains(QLatin1Char(':')) && (engine != QLatin1String("2") || !systemsKnown)))
        return usage(QStringLiteral("burn-data takes DRIVE ENGINE FILE..., ENGINE 1 or 2, or 2: and the file systems "
                                    "(iso, joliet, udf) with commas between"));
    const QString letter = letterOf(a[0]);
    const QString volume = QStringLiteral("Quillmere");
    int status = -1;
    auto end = [&](int s) {
        status = s;
        QCoreApplication::exit(0);
    };
    auto failWith = [&](const QString& text) {
        err() << text << "\n";
        end(1);
    };
    Tenths tenths;
    std::unique_ptr<cAudioDataBurner> first;
    std::unique_ptr<cBurner> second;
    if (engine == QLatin1String("1")) {
        first = CreateAudioDataBurner();
        for (const QString& f : a.mid(2))
            if (!first->AddFile(f))
                return fail(QStringLiteral("Couldn't add the file ") + f);
        QObject::connect(first.get(), &cAudioDataBurner::Notice, [](const QString& t) { say(QStringLiteral("Notice ") + t); });
        QObject::connect(first.get(), &cAudioDataBurner::BurnStarting, [] { say(QStringLiteral("BurnStarting")); });
        QObject::connect(first.get(), &cAudioDataBurner::Progress, [&](int p) { tenths(QStringLiteral("Progress"), p); });
        QObject::connect(first.get(), &cAudioDataBurner::ClosingSession, [] { say(QStringLiteral("ClosingSession")); });
        QObject::connect(first.get(), &cAudioDataBurner::Finished, [&] {
            say(QStringLiteral("Finished"));
            end(0);
        });
        QObject::connect(first.get(), &cAudioDataBurner::BurnError, [&](long, const QString& m) { failWith(m); });
        first->VolumeName(volume);
        first->FileSystemName(QStringLiteral("CDFS"));
        first->ApplicationName(volume);
        first->PublisherName(volume);
        first->BurnOption(false);
        first->BurnDisc(letter, 65535);
    } else {
        second = CreateBurner();
        second->NewImage();
        second->UseISO(systems.contains(QLatin1String("iso")));
        second->UseJoliet(systems.contains(QLatin1String("joliet")));
        second->UseUDF(systems.contains(QLatin1String("udf")));
        for (const QString& f : a.mid(2))
            if (!second->AddFile(f))
                return fail(QStringLiteral("Couldn't add the file ") + f);
        second->VolumeName(volume);
        long index = -1;
        for (long i = 0; i < second->DeviceCount(); ++i)
            if (second->DevicePath(i).compare(letter, Qt::CaseInsensitive) == 0)
                index = i;
        QObject::connect(second.get(), &cBurner::BurnerNotice, [](const QString& t) { say(QStringLiteral("Notice ") + t); });
        QObject::connect(second.get(), &cBurner::StartBurning, [] { say(QStringLiteral("StartBurning")); });
        QObject::connect(second.get(), &cBurner::BurnerProgress, [&](long p) { tenths(QStringLiteral("BurnerProgress"), int(p)); });
        QObject::connect(second.get(), &cBurner::BurnerFinalization, [] { say(QStringLiteral("BurnerFinalization")); });
        QObject::connect(second.get(), &cBurner::BurnerEnd, [&] {
            say(QStringLiteral("BurnerEnd"));
            end(0);
        });
        QObject::connect(second.get(), &cBurner::BurnerError, [&](const QString& code, const QString& text) {
            failWith(text + QStringLiteral(" (") + code + QLatin1Char(')'));
        });
        second->BurnDisc(index);
    }
    QCoreApplication::exec();
    err().flush();
    if (first)
        first->Shutdown();
    if (second)
        second->Shutdown();
    return status == 0 ? 0 : 1;
}

// The duplicator's task with the console as its window.
class ConsoleDuplication final : public DuplicationHost {
public:
    explicit ConsoleDuplication(const QString& writer) : m_writer(writer.left(1)) {}
    void Log(const QString& line) override { say(line); }
    QString WriterLetter() override { return m_writer; }
    long WriterSpeed() override { return 65535; }
    bool PromptForDisc(const QString& text) override
    {
        err() << text << "\n";
        err().flush();
        QTextStream in(stdin);
        QString answer;
        if (!in.readLineInto(&answer))
            return false;
        answer = answer.trimmed().toLower();
        return answer.isEmpty() || answer == QLatin1String("ok");
    }
    void NothingToBurn() override { err() << "Nothing to burn.\n"; }
    void Succeeded() override { end(0); }
    void Failed() override { end(1); }
    int status = -1;

private:
    void end(int s)
    {
        status = s;
        QCoreApplication::exit(0);
    }
    QString m_writer;
};

int duplicate(const QStringList& a)
{
    const QString source = letterOf(a[0]);
    const QString writer = letterOf(a[1]);
    const long index = driveIndex(source);
    if (index < 0)
        return fail(QStringLiteral("There is no CD drive %1.").arg(source));
    auto ripper = CreateAudioCDRipper();
    auto burner = CreateAudioBurner();
    // The source check of the window.
    const RipperRules::DiscCheck check = RipperRules::CheckDisc(*ripper, index, source);
    const long tracks = ripper->TrackCount();
    if (check.color != 0 || tracks < 1)
        return fail(check.text);
    QStringList files;
    for (long t = 1; t <= tracks; ++t)
        files << source + QStringLiteral("/Track%1.cda").arg(t, 2, 10, QLatin1Char('0'));
    QTemporaryDir temp;
    if (!temp.isValid())
        return fail(QStringLiteral("Cannot make a temporary folder: ") + temp.errorString());
    // The task removes its ripped files itself; a signal that ends the run takes the folder too.
    const components::RemovedOnSignal tempGone(temp.path(), true);
    ConsoleDuplication host(writer);
    DuplicationTask task(*ripper, *burner, host);
    task.TempFolder = temp.path() + QLatin1Char('/');
    task.Start(files, index);
    if (task.Running())
        QCoreApplication::exec();
    out().flush();
    err().flush();
    ripper->Shutdown();
    burner->Shutdown();
    return task.LastOutcome() == DuplicationTask::Outcome::Copied ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!pathlist::argumentsNamePaths(argc, argv, "cd-driver"))
        return 1;
    QStringList a = app.arguments().mid(1);
    if (a.isEmpty())
        return usage();
    const QString verb = a.takeFirst();
    if (verb == QLatin1String("drives") && a.isEmpty())
        return drives();
    if (verb == QLatin1String("toc") && a.size() == 1)
        return toc(letterOf(a[0]));
    if (verb == QLatin1String("rip"))
        return rip(a);
    if (verb == QLatin1String("lookup") && a.size() == 1)
        return lookup(a[0]);
    if (verb == QLatin1String("burn-audio"))
        return burnAudio(a);
    if (verb == QLatin1String("burn-data"))
        return burnData(a);
    if (verb == QLatin1String("duplicate") && a.size() == 2)
        return duplicate(a);
    return usage(QStringLiteral("unknown command or wrong arguments: ") + verb);
}
