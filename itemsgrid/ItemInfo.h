// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

class cAudioConverter;
class cGrid;

// The facts of an item's audio file, read by opening it in a converter. The converter only
// probes: a conversion or a preview that is running is not disturbed.
struct AudioFacts {
    bool readable = false;  // the file opened; the figures below are 0 otherwise
    long sampleRate = 0;    // Hz
    long bits = 0;          // bits per sample
    long channels = 0;
};

// Opens the file, reads its facts and closes it again.
AudioFacts ProbeAudioFacts(cAudioConverter& converter, const QString& path);

// The texts the windows show for the facts: empty for a file that cannot be read; "MONO" for
// exactly one channel, "STEREO" for any other count.
QString SamplesText(const AudioFacts& facts);
QString BitsText(const AudioFacts& facts);
QString ChannelsText(const AudioFacts& facts);
// The extension of the whole path in capitals, at most 12 characters; empty without a dot.
QString FormatText(const QString& path);

// Rebuilds the item information grid from the selected row of the items grid: nine rows of
// "Name" and "Value", the last three facts from the converter. An empty items grid leaves it
// empty. Returns whether rows were written (the caller then resets the mouse pointer).
bool FillItemInfoGrid(cGrid& items, cGrid& info, cAudioConverter& converter);
