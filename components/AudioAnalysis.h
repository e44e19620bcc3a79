// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// What the audio graphs draw, worked out without any widget: the waveform's extent per pixel
// column, and the spectrum of a Hann-windowed block in dB, grouped into bands on a logarithmic
// frequency axis. Samples are floats in [-1, 1] (full scale = 1).

#include <vector>

namespace audioanalysis {

struct Extent {
    float min = 0;
    float max = 0;
};

// The lowest and highest sample under each of `columns` columns (the block spread evenly over
// them); columns without samples repeat their neighbour. Empty when there are no samples.
std::vector<Extent> AmplitudeColumns(const std::vector<float>& mono, int columns);

// Magnitudes of bins 0 .. n/2 of the block (n = its size) under a Hann window, in dB relative to
// full scale: a full-scale sine reads about 0 dB in its bin. Silence reads kFloorDb.
constexpr float kFloorDb = -120.0f;
std::vector<float> SpectrumDb(const std::vector<float>& mono);
// The frequency at the centre of a bin of an n-point transform.
double BinFrequency(int bin, int n, int sampleRate);
// The bin with the highest level (0 for an empty spectrum).
int PeakBin(const std::vector<float>& db);

// The highest level of the bins within each of `bands` bands spaced evenly on a log axis from
// lowHz to the Nyquist frequency. A band too narrow to hold a bin takes the nearest bin.
std::vector<float> LogBands(const std::vector<float>& db, int sampleRate, int bands, double lowHz = 30.0);

}  // namespace audioanalysis
