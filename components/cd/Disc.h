// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// One open look at the disc in a drive of the drive map: its table of contents and, for audio
// discs, the libcdio handle reads go through. Every open makes a handle of its own, so a rip
// never shares one with the queries of the window that started it.

#include "components/cd/CueSheet.h"
#include "components/cd/DriveMap.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

typedef struct _CdIo CdIo_t;

namespace cd {

constexpr int kFramesPerSector = 588;      // stereo 16-bit frames in one 2352-byte sector
constexpr int kSectorsPerSecond = 75;
constexpr int kBytesPerSector = 2352;

struct TrackInfo {
    int number = 0;           // from 1
    bool audio = false;
    int32_t firstSector = 0;  // logical sector number (the first track of a pressed CD starts at 0)
    int32_t sectors = 0;
    long seconds() const { return sectors / kSectorsPerSecond; }
};

class Disc {
public:
    ~Disc();
    Disc(const Disc&) = delete;
    Disc& operator=(const Disc&) = delete;

    // nullptr with a reason naming the drive when no disc can be read there: no disc, a drive
    // that is not ready (never waited for), a missing or unreadable image.
    static std::unique_ptr<Disc> open(const Drive& drive, QString* error);

    const Drive& drive() const { return m_drive; }
    const QList<TrackInfo>& tracks() const { return m_tracks; }
    bool isAudio() const;               // any track is audio
    int32_t leadOutSector() const { return m_leadOut; }
    CdIo_t* handle() const { return m_cdio; }  // nullptr for images
    // The checked cue sheet of an audio image, whose sectors are read from its data file;
    // nullptr for devices and data images.
    const CueSheet* image() const { return m_image ? &*m_image : nullptr; }
    // Hands the handle to a new owner (the reader that frees it with its paranoia object).
    CdIo_t* takeHandle();

private:
    explicit Disc(const Drive& drive) : m_drive(drive) {}

    Drive m_drive;
    CdIo_t* m_cdio = nullptr;
    std::optional<CueSheet> m_image;
    QList<TrackInfo> m_tracks;
    int32_t m_leadOut = 0;
};

// Whether the drive holds a readable disc, asked without waiting for a drive that is not ready.
bool DiscPresent(const Drive& drive);

// Tray movements; images have none and report success.
bool OpenTray(const Drive& drive);
bool CloseTray(const Drive& drive);

}  // namespace cd
