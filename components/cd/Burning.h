// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The one burning back end under the three burner components. Writers are the drives of the
// drive map (DriveMap.h) that can take a disc:
//  - ".cue" images take audio, written by our own BIN/CUE writer (one BIN of 2352-byte sectors,
//    one INDEX 01 per track, no gaps); data is refused;
//  - ".iso" images take data, written by libburn to a "stdio:" target on a part file beside the
//    image and renamed into place when the burn ends well; audio is refused;
//  - devices are the drives libburn can write (a path that is no device node, such as a plain
//    file, is handed to libburn as a "stdio:" pseudo drive). A device is grabbed only during a
//    query or a burn, so the ripper can read it between.
// An image whose file is missing holds a blank 80-minute CD-R; written, it is full. Images have
// no speeds and no tray. A burn that fails or is stopped leaves no image and an existing one
// untouched. Queries run on the calling thread and never wait for a drive that is not ready;
// burns run on the caller's worker thread and report through the callbacks on that thread.
// No libburn or libisofs header appears here.

#include "components/cd/DataImageNames.h"
#include "components/cd/DriveMap.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>

namespace cd {

constexpr int64_t kBlankCdSectors = 360000;  // an 80-minute CD-R
constexpr int kMaxAudioTracks = 99;         // the most a CD's table of contents numbers
constexpr int kDataSectorBytes = 2048;

enum class BurnKind { Audio, Data };

// What a writer can say about its disc, for one kind of burn.
struct DiscFacts {
    bool present = false;       // a disc (or an image slot) is there
    bool blank = false;
    bool isCd = false;          // CD media (CD-R, CD-RW, images)
    int64_t blankSectors = 0;   // 2048-byte sectors free on a blank disc; 0 otherwise
    QList<int> writeSpeeds;     // KB/s, as libburn reports them; none for images
    QString state;              // "" when a burn of that kind can start, else why not
};

// The writers of the drive map, in map order.
QList<Drive> ListWriters();
bool FindWriter(const QString& letter, Drive* drive);

DiscFacts QueryDisc(const Drive& drive, BurnKind kind);

// Where a drive's contents can be shown: the mount point of the device's disc, the folder of
// an image, or "" when there is none.
QString DriveRootFolder(const Drive& drive);

// Whether the disc-mastering libraries start. Tests can make it answer false.
bool MasteringLibrariesStart();
void SetMasteringLibrariesStartForTests(int answer);  // -1: ask the libraries, 0 false, 1 true

// What a burn tells its caller, on the burn's thread. Any may be empty.
struct BurnCallbacks {
    std::function<void(int track)> cachingTrack;        // tracks count from 1
    std::function<void(int track)> writingTrack;
    std::function<void(int percent, int track)> trackProgress;
    std::function<void(int percent)> totalProgress;
    std::function<void(int track)> closingTrack;
    std::function<void()> closingSession;
    std::function<void()> starting;                     // the drive is grabbed, the write begins
    std::function<void(const QString& path)> adding;    // a data file goes into the image
    std::function<void(const QString& text)> notice;    // a sentence for the log (a name that had to be cut)
};

struct BurnResult {
    enum Outcome { Written, Stopped, Failed };
    Outcome outcome = Failed;
    long code = 0;
    QString text;
};

// Error codes of a burn.
enum BurnError : long {
    errNothingToBurn = 1,
    errInputUnreadable = 2,
    errCannotWrite = 3,   // refused by the drive or the library, or the write failed
    errBusy = 6,
    errDoesNotFit = 7,
    errNoWriter = 8,
    errWrongKind = 9,     // audio to a data-only drive, data to an audio-only one, media not allowed
};

// Decodes every file to 44100 Hz 16-bit stereo, gaplessly, padded with silence to whole
// sectors, and writes them as the audio tracks of the disc. speedKbs 0 or 65535: the highest.
BurnResult BurnAudio(const Drive& drive, const QStringList& files, int speedKbs, const BurnCallbacks& callbacks,
                     const std::atomic<bool>& stop);

// The sectors a file takes as an audio track (its decode estimated from the header); -1 when
// the engine cannot read it as audio. `*estimated`: the header's length is an estimate only.
int64_t AudioTrackSectors(const QString& file, QString* error, bool* estimated = nullptr);

struct DataImageSpec {
    QStringList files;          // all placed at the root under their own names
    QString volumeName;
    QString applicationId;
    QString publisherId;
    bool joliet = true;         // ISO 9660 level 2 is always written
    bool udf = false;           // a UDF file system beside them, made by the disc-mastering tool
    bool closeDisc = true;
    bool cdOnly = false;        // refuse media other than CD
    int speedKbs = 0;
};

BurnResult BurnData(const Drive& drive, const DataImageSpec& spec, const BurnCallbacks& callbacks,
                    const std::atomic<bool>& stop);

// The name a Joliet reader would see for a file of that name, alone on its disc: characters
// beyond UCS-2 and those Joliet forbids as "_", cut to kJolietNameChars (beyond the standard's
// 64, as every current reader takes it; the dot before an extension counted) by either engine. Rock Ridge
// beside it keeps names whole for Linux readers. The names a burn really wrote are read back
// from the image and said in its notices.
QString JolietName(const QString& name);

// The ISO 9660 volume id a volume name becomes: capitals, "_" for every other character than
// A-Z, 0-9 and "_", at most 32 characters.
QString IsoVolumeId(const QString& volumeName);

}  // namespace cd
