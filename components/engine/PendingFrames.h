// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Decoders hand out more frames at a time than a read may ask for; the rest waits in a buffer
// for the next read.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace engine {

// Copies up to maxFrames frames into buffer, first from pending (from pendingPos on), then from
// what decodeMore() puts into pending: 1 when it produced something or more may come, 0 at the
// end, -1 on an error. Answers the frames delivered, or -1 on an error.
template <class DecodeMore>
int64_t readPendingFrames(std::vector<uint8_t>& pending, size_t& pendingPos, uint8_t* buffer, int64_t maxFrames,
                          int bytesPerFrame, DecodeMore&& decodeMore)
{
    int64_t delivered = 0;
    while (delivered < maxFrames) {
        if (pendingPos < pending.size()) {
            const int64_t avail = int64_t(pending.size() - pendingPos) / bytesPerFrame;
            const int64_t n = std::min(avail, maxFrames - delivered);
            std::memcpy(buffer + delivered * bytesPerFrame, pending.data() + pendingPos, size_t(n * bytesPerFrame));
            pendingPos += size_t(n * bytesPerFrame);
            delivered += n;
            continue;
        }
        pending.clear();
        pendingPos = 0;
        const int state = decodeMore();
        if (state < 0)
            return -1;
        if (state == 0)
            break;
    }
    return delivered;
}

}  // namespace engine
