// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/AudioAnalysis.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace audioanalysis {

std::vector<Extent> AmplitudeColumns(const std::vector<float>& mono, int columns)
{
    std::vector<Extent> out;
    if (mono.empty() || columns <= 0)
        return out;
    out.resize(static_cast<size_t>(columns));
    const size_t n = mono.size();
    for (int c = 0; c < columns; ++c) {
        size_t from = n * static_cast<size_t>(c) / static_cast<size_t>(columns);
        size_t to = n * static_cast<size_t>(c + 1) / static_cast<size_t>(columns);
        if (to <= from)
            to = std::min(n, from + 1);
        from = std::min(from, n - 1);
        const auto [lo, hi] = std::minmax_element(mono.begin() + static_cast<std::ptrdiff_t>(from),
                                                  mono.begin() + static_cast<std::ptrdiff_t>(to));
        out[static_cast<size_t>(c)] = {*lo, *hi};
    }
    return out;
}

std::vector<float> SpectrumDb(const std::vector<float>& mono)
{
    // The real transform wants an even length.
    const int n = static_cast<int>(mono.size()) & ~1;
    if (n < 2)
        return {};
    std::unique_ptr<std::remove_pointer_t<kiss_fftr_cfg>, decltype(&kiss_fftr_free)> cfg(
        kiss_fftr_alloc(n, 0, nullptr, nullptr), &kiss_fftr_free);
    if (!cfg)
        return {};
    std::vector<kiss_fft_scalar> in(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (n - 1));
        in[static_cast<size_t>(i)] = static_cast<kiss_fft_scalar>(mono[static_cast<size_t>(i)] * w);
    }
    std::vector<kiss_fft_cpx> out(static_cast<size_t>(n / 2 + 1));
    kiss_fftr(cfg.get(), in.data(), out.data());
    // A sine of amplitude A gives |X| = A * sum(w) / 2 = A * n / 4 in its bin.
    const double scale = n / 4.0;
    std::vector<float> db(out.size());
    for (size_t k = 0; k < out.size(); ++k) {
        const double mag = std::hypot(out[k].r, out[k].i) / scale;
        db[k] = mag > 0 ? std::max(kFloorDb, static_cast<float>(20 * std::log10(mag))) : kFloorDb;
    }
    return db;
}

double BinFrequency(int bin, int n, int sampleRate) { return n > 0 ? static_cast<double>(bin) * sampleRate / n : 0; }

int PeakBin(const std::vector<float>& db)
{
    return db.empty() ? 0 : static_cast<int>(std::max_element(db.begin(), db.end()) - db.begin());
}

std::vector<float> LogBands(const std::vector<float>& db, int sampleRate, int bands, double lowHz)
{
    std::vector<float> out;
    if (db.size() < 2 || bands <= 0 || sampleRate <= 0)
        return out;
    const int n = static_cast<int>(db.size() - 1) * 2;
    const double nyquist = sampleRate / 2.0;
    lowHz = std::clamp(lowHz, 1.0, nyquist / 2);
    const double ratio = std::log(nyquist / lowHz);
    out.assign(static_cast<size_t>(bands), kFloorDb);
    for (int b = 0; b < bands; ++b) {
        const double f0 = lowHz * std::exp(ratio * b / bands);
        const double f1 = lowHz * std::exp(ratio * (b + 1) / bands);
        int k0 = static_cast<int>(std::ceil(f0 * n / sampleRate));
        int k1 = static_cast<int>(std::floor(f1 * n / sampleRate));
        if (k1 < k0)
            k0 = k1 = static_cast<int>(std::lround((f0 + f1) / 2 * n / sampleRate));
        k0 = std::clamp(k0, 0, static_cast<int>(db.size()) - 1);
        k1 = std::clamp(k1, 0, static_cast<int>(db.size()) - 1);
        float level = kFloorDb;
        for (int k = k0; k <= k1; ++k)
            level = std::max(level, db[static_cast<size_t>(k)]);
        out[static_cast<size_t>(b)] = level;
    }
    return out;
}

}  // namespace audioanalysis
