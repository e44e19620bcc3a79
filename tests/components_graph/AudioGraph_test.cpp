// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/AudioAnalysis.h"
#include "components/cAudioGraph.h"
#include "components/sound/AudioSnapshot.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

std::vector<float> sine(double hz, double amplitude, int rate, int n)
{
    std::vector<float> s(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        s[static_cast<size_t>(i)] = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate));
    return s;
}

TEST(AudioAnalysis, SinePeaksInItsBinAtItsLevel)
{
    const struct {
        double hz;
        double dbfs;
        int rate;
    } cases[] = {{1000, 0, 44100}, {1000, -6, 44100}, {440, -20, 48000}, {10000, -3, 44100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hz);
        const double amplitude = std::pow(10.0, c.dbfs / 20);
        const auto db = audioanalysis::SpectrumDb(sine(c.hz, amplitude, c.rate, 4096));
        ASSERT_EQ(db.size(), 2049u);
        const int peak = audioanalysis::PeakBin(db);
        EXPECT_EQ(peak, std::lround(c.hz * 4096 / c.rate));
        EXPECT_NEAR(audioanalysis::BinFrequency(peak, 4096, c.rate), c.hz, c.rate / 4096.0 / 2);
        // Between bins a Hann window loses at most about 1.5 dB.
        EXPECT_NEAR(db[static_cast<size_t>(peak)], c.dbfs, 1.6);
        // Far from the tone the window keeps the level low.
        EXPECT_LT(db[static_cast<size_t>(peak) + 40], c.dbfs - 60);
    }
    const auto silence = audioanalysis::SpectrumDb(std::vector<float>(1024, 0.0f));
    EXPECT_EQ(*std::max_element(silence.begin(), silence.end()), audioanalysis::kFloorDb);
}

TEST(AudioAnalysis, MinusSixDbSineHasAmplitudeOneHalf)
{
    const auto columns = audioanalysis::AmplitudeColumns(sine(1000, std::pow(10.0, -6.0 / 20), 44100, 4096), 100);
    ASSERT_EQ(columns.size(), 100u);
    float lo = 0;
    float hi = 0;
    for (const auto& c : columns) {
        lo = std::min(lo, c.min);
        hi = std::max(hi, c.max);
    }
    EXPECT_NEAR(hi, 0.5, 0.01);
    EXPECT_NEAR(lo, -0.5, 0.01);
    // More columns than samples: each column still has one.
    const auto wide = audioanalysis::AmplitudeColumns({0.25f, -0.75f}, 4);
    ASSERT_EQ(wide.size(), 4u);
    EXPECT_EQ(wide[0].max, 0.25f);
    EXPECT_EQ(wide[3].min, -0.75f);
    EXPECT_TRUE(audioanalysis::AmplitudeColumns({}, 10).empty());
}

TEST(AudioAnalysis, LogBandsPutTheToneInOneBand)
{
    const auto db = audioanalysis::SpectrumDb(sine(1000, 1.0, 44100, 4096));
    const auto bands = audioanalysis::LogBands(db, 44100, 32);
    ASSERT_EQ(bands.size(), 32u);
    const auto loudest = std::max_element(bands.begin(), bands.end()) - bands.begin();
    // 30 Hz .. 22050 Hz in 32 log steps: 1 kHz falls in band floor(32 * ln(1000/30) / ln(22050/30)).
    EXPECT_EQ(loudest, static_cast<long>(32 * std::log(1000.0 / 30) / std::log(22050.0 / 30)));
    EXPECT_LT(bands[0], -60);
}

QImage grab(cAudioGraph& g)
{
    g.resize(120, 60);
    QImage img(g.size(), QImage::Format_RGB32);
    g.render(&img);
    return img;
}

TEST(AudioGraph, DrawsTheMomentInItsColoursAndNothingForAnUnknownHandle)
{
    AudioSnapshot snap;
    snap.sampleRate = 44100;
    snap.channels = 1;
    const auto s = sine(1000, 0.9, 44100, 4096);
    snap.samples.assign(s.begin(), s.end());
    const long handle = AudioSnapshots::Put(snap);

    for (const auto kind : {cAudioGraph::Amplitude, cAudioGraph::Frequency}) {
        SCOPED_TRACE(kind);
        cAudioGraph g(kind);
        g.GraphColor1(0x000000);   // black
        g.GraphColor2(0x0000ff);   // red (BGR)
        g.GraphColor3(0xff0000);   // blue
        const auto count = [](const QImage& img, QColor c) {
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    n += img.pixelColor(x, y) == c;
            return n;
        };
        g.AudioData(handle);
        ASSERT_TRUE(g.HasData());
        const QImage drawn = grab(g);
        EXPECT_GT(count(drawn, Qt::red), 4);
        EXPECT_GT(count(drawn, Qt::blue), 20);
        g.AudioData(handle + 999);
        EXPECT_FALSE(g.HasData());
        const QImage empty = grab(g);
        EXPECT_EQ(count(empty, Qt::red), 0);
        g.AudioData(handle);
        g.Clear();
        EXPECT_FALSE(g.HasData());
        EXPECT_EQ(count(grab(g), Qt::red), 0);
    }
}

}  // namespace
