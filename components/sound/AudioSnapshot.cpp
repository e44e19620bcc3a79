// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/sound/AudioSnapshot.h"

#include <deque>
#include <utility>

std::vector<float> AudioSnapshot::mono() const
{
    const int n = frames();
    std::vector<float> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        float sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += samples[static_cast<size_t>(i * channels + c)];
        out[static_cast<size_t>(i)] = sum / static_cast<float>(channels);
    }
    return out;
}

namespace AudioSnapshots {

namespace {
constexpr size_t kKept = 8;
struct Store {
    long next = 0;
    std::deque<std::pair<long, std::shared_ptr<const AudioSnapshot>>> items;
};
Store& store()
{
    static Store s;
    return s;
}
}  // namespace

long Put(AudioSnapshot snapshot)
{
    Store& s = store();
    if (++s.next <= 0)
        s.next = 1;
    s.items.emplace_back(s.next, std::make_shared<const AudioSnapshot>(std::move(snapshot)));
    while (s.items.size() > kKept)
        s.items.pop_front();
    return s.next;
}

std::shared_ptr<const AudioSnapshot> Get(long handle)
{
    for (const auto& [h, snap] : store().items)
        if (h == handle)
            return snap;
    return nullptr;
}

}  // namespace AudioSnapshots
