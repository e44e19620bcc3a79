// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/AudioEngine.h"
#include "components/engine/FormatRecords.h"
#include "foundation/WorkerRunner.h"

#include <QList>
#include <QString>

// The work shared by the converter and join components: one or more inputs (whole or a range
// each) written one after the other into one output file. Runs on the components' worker
// thread; inputs are opened one at a time, so neither file handles nor memory grow with the list.
namespace components {

// Error codes of the Error event.
enum JobErrorCode : long {
    errNoInput = 1,          // nothing to convert or join
    errCannotRead = 2,       // an input is missing, not audio, damaged or truncated
    errCannotWrite = 3,      // the output (or its temporary file) cannot be written or put in place
    errOutputIsInput = 4,    // the output path names one of the inputs
    errUnsupportedFormat = 5,// no encoder for the destination format (APE) or an unknown code
    errBusy = 6,             // a start while the previous job is still running
};

struct JobInput {
    QString path;
    long start = -1;   // whole seconds; -1 from the beginning
    long length = -1;  // whole seconds; -1 to the end
};

// The output format as the components' settings calls leave it: the code and the last record
// handed over for every code, so switching the code back and forth needs no new settings call.
class OutputSettings {
public:
    long destinationFormat = engine::dfWAV;
    engine::WavFormatRecord wav{44100, 2, 16};
    QString acmTagName = QStringLiteral("PCM");
    QString acmFormatName;
    engine::Mp3FormatRecord mp3 = defaultMp3();
    engine::WmaFormatRecord wma;
    engine::OggFormatRecord ogg{0, 0, 50};
    long apeLevel = 1;

    engine::OutputSpec spec() const;

private:
    static engine::Mp3FormatRecord defaultMp3();
};

struct AudioJob {
    QList<JobInput> inputs;
    QString output;
    OutputSettings settings;
    engine::AudioTags tags;
};

// Writes the job's output through a temporary file beside it, renamed into place only when
// complete; on abort or error the temporary file is removed and an existing output is untouched.
// Progress stages are the inputs, counted from 1.
WorkerResult RunAudioJob(const AudioJob& job, WorkerContext& context);

// True when both paths name the same file (the same inode when both exist).
bool SameFile(const QString& a, const QString& b);

}  // namespace components
