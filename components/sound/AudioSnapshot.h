// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <memory>
#include <vector>

// A moment of sound handed from a player to the graphs: a few thousand frames as floats in
// [-1, 1], interleaved. The player files it in a small process-wide store and hands out the
// handle; a graph looks the handle up. GUI thread.
struct AudioSnapshot {
    int sampleRate = 44100;
    int channels = 2;
    std::vector<float> samples;  // frames * channels
    int frames() const { return channels > 0 ? static_cast<int>(samples.size()) / channels : 0; }
    // The frames mixed down to one channel.
    std::vector<float> mono() const;
};

namespace AudioSnapshots {

// Files a snapshot and returns its handle (> 0). Only the most recent few are kept.
long Put(AudioSnapshot snapshot);
// The snapshot of a handle, or null when the handle is unknown or no longer kept.
std::shared_ptr<const AudioSnapshot> Get(long handle);

}  // namespace AudioSnapshots
