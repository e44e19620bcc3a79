// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/FormatRecords.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <variant>
#include <vector>

// The output audio-format settings, one group per target format. Only the audio-format window
// fills them (GetOptions); the task windows read them when a task starts. Flags are 16-bit,
// -1 true and 0 false. GUI thread only.
struct OutputFormatOptionsData {
    // "Formats\WAV"
    int32_t cboSamplesWAV = 0;   // Hz
    int32_t cboBitrateWAV = 0;   // bits per sample
    int32_t cboChannelsWAV = 0;  // 0 mono, 1 stereo
    // "Formats\ACM"
    QString cboTags;
    QString cboFormats;
    // "Formats\MP3"
    int32_t cboMP3Bitrate = 0;     // kbit/s
    int32_t cboMP3Quality = 0;     // 0..9
    int32_t cboMP3Samplerate = 0;  // Hz
    int32_t cboMP3Mode = 0;        // 0..5
    int16_t chkMP3ErrorProtect = 0;
    int16_t chkMP3Original = 0;
    int16_t chkMP3Copyright = 0;
    int16_t chkMP3StrictISO = 0;
    int32_t cboMP3VBRQuality = 0;  // list position 0..9
    int32_t cboMP3MinBitrate = 0;  // list position 0..18, not kbit/s
    int32_t cboMP3MaxBitrate = 0;  // list position 0..18, not kbit/s
    int16_t chkMP3VBRTag = 0;
    int16_t chkMP3VBRForceMinBitrate = 0;
    int16_t chkMP3ABR = 0;
    int32_t cboMP3ABRBitrate = 0;  // kbit/s
    // "Formats\WMA"
    int32_t cboWMACodecs = 0;  // position in the converter's codec list
    int32_t cboWMAFormat = 0;  // position in that codec's format list
    // "Formats\OGG"
    int16_t ptnQualityOGG = 0;
    int32_t sldOGG = 0;  // 0..100
    int16_t optOggBit = 0;
    int32_t cboOggBitNom = 0;  // kbit/s
    // "Formats\APE"
    int32_t cboAPELevel = 0;  // 0 Fast .. 4 Slow
};

inline OutputFormatOptionsData OutputFormatOptions;

// How a setting is kept in the store and read back into its control.
enum class StoredForm { ListText, ListIndex, Check, Option, Slider, Caption };

// What the member takes from its control.
enum class MemberFrom { EntryNumber, EntryText, Position, Flag, SliderValue, None };

struct FormatSetting {
    const char* section;  // below the settings key, e.g. "Formats\WAV"
    const char* name;     // value name = control name = member name
    StoredForm form;
    MemberFrom member;
    std::variant<std::monostate, int32_t OutputFormatOptionsData::*, int16_t OutputFormatOptionsData::*,
                 QString OutputFormatOptionsData::*>
        field;
};

// The 28 settings in the order they are loaded and saved.
const std::vector<FormatSetting>& FormatSettings();
// The sections in loading order.
QStringList FormatSections();

// Entries of the shared lists of the audio-format window, as the user sees them.
QStringList Mp3BitrateEntries();    // 19 entries, "8 " first (with its blank)
QStringList Mp3QualityEntries();    // "0 " .. "9 "
QStringList Mp3ModeEntries();       // "STEREO_MODE = 0" ..
QStringList Mp3SamplerateEntries();
QStringList WavSampleEntries();
QStringList WavChannelEntries();
QStringList OggBitrateEntries();
QStringList ApeLevelEntries();

// The number an entry's text stands for: decimal, blanks around it ignored; 0 when none.
int32_t EntryNumber(const QString& entryText);

// Destination-type code of a target-format text: 1 WAV .. 6 APE from its first three letters
// (any letter case); any other beginning gives 1.
int32_t DestinationFormatOf(const QString& targetFormatText);
// "Destination format: WAV", "... ACM WAV", ... for a destination-type code.
QString DestinationFormatLogText(int32_t destinationFormat);

// Fresh records built from the options as they are now.
engine::WavFormatRecord BuildWavFormatRecord(const OutputFormatOptionsData& o = OutputFormatOptions);
engine::Mp3FormatRecord BuildMp3FormatRecord(const OutputFormatOptionsData& o = OutputFormatOptions);
engine::WmaFormatRecord BuildWmaFormatRecord(const OutputFormatOptionsData& o = OutputFormatOptions);
engine::OggFormatRecord BuildOggFormatRecord(const OutputFormatOptionsData& o = OutputFormatOptions);
