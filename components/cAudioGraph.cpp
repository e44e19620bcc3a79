// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cAudioGraph.h"

#include "components/AudioAnalysis.h"
#include "components/sound/AudioSnapshot.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr float kRangeDb = 90.0f;     // the frequency graph shows -90 .. 0 dB
constexpr float kPeakFallDb = 1.5f;   // per new moment
constexpr int kBandPixels = 5;

QColor fromBgr(long bgr) { return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff)); }

}  // namespace

cAudioGraph::cAudioGraph(Kind kind, QWidget* parent) : QFrame(parent), m_kind(kind)
{
    m_colors[0] = QColor(0, 0, 0);
    m_colors[1] = QColor(0, 255, 0);
    m_colors[2] = QColor(0, 160, 0);
    setFrameShape(QFrame::StyledPanel);
}

cAudioGraph::~cAudioGraph() = default;

void cAudioGraph::AudioData(long handle)
{
    m_data = AudioSnapshots::Get(handle);
    m_fresh = m_data != nullptr;
}

void cAudioGraph::Redraw() { update(); }

void cAudioGraph::Clear()
{
    m_data.reset();
    m_peaks.clear();
    update();
}

void cAudioGraph::Release()
{
    m_data.reset();
    m_peaks.clear();
}

void cAudioGraph::GraphColor1(long bgr)
{
    m_colors[0] = fromBgr(bgr);
    update();
}

void cAudioGraph::GraphColor2(long bgr)
{
    m_colors[1] = fromBgr(bgr);
    update();
}

void cAudioGraph::GraphColor3(long bgr)
{
    m_colors[2] = fromBgr(bgr);
    update();
}

QColor cAudioGraph::Color(int which) const { return which >= 1 && which <= 3 ? m_colors[which - 1] : QColor(); }

void cAudioGraph::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect r = contentsRect();
    p.fillRect(r, m_colors[0]);
    if (m_kind == Amplitude)
        paintAmplitude(p, r);
    else
        paintFrequency(p, r);
}

void cAudioGraph::paintAmplitude(QPainter& p, const QRect& r)
{
    const int mid = r.top() + r.height() / 2;
    const double half = (r.height() - 2) / 2.0;
    if (m_data) {
        const auto columns = audioanalysis::AmplitudeColumns(m_data->mono(), r.width());
        p.setPen(QPen(m_colors[1], 1));
        for (int x = 0; x < static_cast<int>(columns.size()); ++x) {
            const int top = mid - static_cast<int>(std::lround(columns[static_cast<size_t>(x)].max * half));
            const int bottom = mid - static_cast<int>(std::lround(columns[static_cast<size_t>(x)].min * half));
            p.drawLine(r.left() + x, top, r.left() + x, bottom);
        }
    }
    p.setPen(QPen(m_colors[2], 1));
    p.drawLine(r.left(), mid, r.right(), mid);
}

void cAudioGraph::paintFrequency(QPainter& p, const QRect& r)
{
    const int bottom = r.bottom();
    const double height = r.height() - 1;
    const auto yOf = [&](float db) {
        const double f = std::clamp((db + kRangeDb) / kRangeDb, 0.0f, 1.0f);
        return bottom - static_cast<int>(std::lround(f * height));
    };
    if (m_data) {
        const int bands = std::max(8, r.width() / kBandPixels);
        const std::vector<float> levels =
            audioanalysis::LogBands(audioanalysis::SpectrumDb(m_data->mono()), m_data->sampleRate, bands);
        // The peak marks fall a little with every new moment and are pushed up by louder bands.
        if (m_peaks.size() != levels.size()) {
            m_peaks = levels;
        } else if (m_fresh) {
            for (size_t b = 0; b < levels.size(); ++b)
                m_peaks[b] = std::max(levels[b], m_peaks[b] - kPeakFallDb);
        }
        m_fresh = false;
        const double w = static_cast<double>(r.width()) / bands;
        for (int b = 0; b < bands; ++b) {
            const int x0 = r.left() + static_cast<int>(b * w);
            const int x1 = r.left() + static_cast<int>((b + 1) * w) - 1;
            const int y = yOf(levels[static_cast<size_t>(b)]);
            if (y < bottom)
                p.fillRect(QRect(QPoint(x0, y), QPoint(std::max(x0, x1 - 1), bottom)), m_colors[2]);
            if (static_cast<size_t>(b) < m_peaks.size()) {
                const int py = yOf(m_peaks[static_cast<size_t>(b)]);
                if (py < bottom)
                    p.fillRect(QRect(QPoint(x0, py), QPoint(std::max(x0, x1 - 1), py + 1)), m_colors[1]);
            }
        }
    }
    p.setPen(QPen(m_colors[2], 1));
    p.drawLine(r.left(), bottom, r.right(), bottom);
}
