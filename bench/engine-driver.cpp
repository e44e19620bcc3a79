// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
//
// engine-driver: runs the converter and join components from the command line, through their
// public members and events only, for benchmarks and end-to-end checks.
//
//   engine-driver probe FILE...
//   engine-driver convert IN OUT FORMAT [START LENGTH]
//   engine-driver join OUT FORMAT ITEM...          ITEM = path | path@START+LENGTH
//
// FORMAT: wav:RATE:CHANNELS:BITS | acm:TAG:FORMAT | mp3:KBPS | wma:CODEC:FORMAT |
//         ogg:q:QUALITY | ogg:b:KBPS | ape:LEVEL
// QUALITY is on oggenc's -q scale, 0 to 10 (fractions allowed): ogg:q:3 is oggenc -q 3.
// START and LENGTH are whole seconds. ACM tag and format are names or positions in the lists;
// WMA codec and format are positions. Exit status 0 on Done; otherwise the Error text goes to
// standard error and the status is 1 (2 for a usage error, 3 when aborted).

#include "bench/FormatWords.h"
#include "bench/PathList.h"
#include "components/cAudioConverter.h"
#include "components/cAudioJoin.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <optional>

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
        err() << "engine-driver: " << why << "\n";
    err() << "usage: engine-driver probe FILE...\n"
             "       engine-driver convert IN OUT FORMAT [START LENGTH]\n"
             "       engine-driver join OUT FORMAT ITEM...   (ITEM: path or path@START+LENGTH)\n"
             "FORMAT: wav:RATE:CHANNELS:BITS, acm:TAG:FORMAT, mp3:KBPS, wma:CODEC:FORMAT, ogg:q:QUALITY, ogg:b:KBPS, ape:LEVEL\n"
             "        (QUALITY 0..10 as oggenc -q takes it, e.g. ogg:q:3)\n";
    err().flush();
    return 2;
}

using formatwords::Format;
using formatwords::number;
using formatwords::parseFormat;

// Waits on the event loop for the terminal event and turns it into the exit status.
template <class Component>
int await(Component& c)
{
    int status = -1;
    QObject::connect(&c, &Component::Done, [&] {
        status = 0;
        QCoreApplication::exit(0);
    });
    QObject::connect(&c, &Component::Aborted, [&] {
        err() << "Aborted.\n";
        status = 3;
        QCoreApplication::exit(0);
    });
    QObject::connect(&c, &Component::Error, [&](long code, const QString& text) {
        err() << text << " (" << code << ")\n";
        status = 1;
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    err().flush();
    return status;
}

int probe(const QStringList& files)
{
    auto converter = CreateAudioConverter();
    int status = 0;
    for (const QString& file : files) {
        if (files.size() > 1)
            out() << "file=" << file << "\n";
        if (converter->OpenSource(file) != 0) {
            out().flush();
            err() << "Cannot open '" << file << "' as audio: " << converter->SourceError() << "\n";
            err().flush();
            status = 1;
            continue;
        }
        out() << "duration_ms=" << converter->SourceDuration() << "\n"
              << "rate=" << converter->SourceSampleRate() << "\n"
              << "channels=" << converter->SourceChannels() << "\n"
              << "bits=" << converter->SourceBits() << "\n";
        converter->CloseSource();
        converter->ReadSourceTags(file);
        out() << "title=" << converter->TagTitle() << "\n"
              << "artist=" << converter->TagArtist() << "\n"
              << "album=" << converter->TagAlbum() << "\n"
              << "year=" << converter->TagYear() << "\n"
              << "comment=" << converter->TagComment() << "\n"
              << "genre=" << converter->TagGenre() << "\n"
              << "track=" << converter->TagTrack() << "\n";
    }
    out().flush();
    converter->Release();
    return status;
}

int convert(const QStringList& a)
{
    if (a.size() != 3 && a.size() != 5)
        return usage(QStringLiteral("convert takes IN OUT FORMAT [START LENGTH]"));
    QString why;
    const auto format = parseFormat(a[2], &why);
    if (!format)
        return usage(why);
    auto converter = CreateAudioConverter();
    converter->OutputFormat(format->code);
    format->handTo(*converter);
    converter->InputFile(a[0]);
    if (a.size() == 5) {
        const auto start = number(a[3]), length = number(a[4]);
        if (!start || !length)
            return usage(QStringLiteral("START and LENGTH are whole seconds"));
        converter->RangeStart(*start);
        converter->RangeLength(*length);
    }
    converter->OutputFile(a[1]);
    converter->Start();
    return await(*converter);
}

int join(const QStringList& a)
{
    if (a.size() < 3)
        return usage(QStringLiteral("join takes OUT FORMAT ITEM..."));
    QString why;
    const auto format = parseFormat(a[1], &why);
    if (!format)
        return usage(why);
    auto joiner = CreateAudioJoin();
    joiner->DestinationFormat(format->code);
    format->handTo(*joiner);
    for (int i = 2; i < a.size(); ++i) {
        QString path = a[i];
        long start = -1, length = -1;
        // path@START+LENGTH; a path that merely contains "@" is taken whole.
        const int at = path.lastIndexOf(QLatin1Char('@'));
        if (at > 0) {
            const QStringList range = path.mid(at + 1).split(QLatin1Char('+'));
            if (range.size() == 2 && number(range[0]) && number(range[1])) {
                start = *number(range[0]);
                length = *number(range[1]);
                path.truncate(at);
            }
        }
        joiner->AddFile(path, start, length);
    }
    joiner->OutputFile(a[0]);
    joiner->Join();
    return await(*joiner);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!pathlist::argumentsNamePaths(argc, argv, "engine-driver"))
        return 1;
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == QLatin1String("probe"))
        return args.isEmpty() ? usage(QStringLiteral("probe takes FILE")) : probe(args);
    if (command == QLatin1String("convert"))
        return convert(args);
    if (command == QLatin1String("join"))
        return join(args);
    return usage(QStringLiteral("unknown command '") + command + QLatin1Char('\''));
}
