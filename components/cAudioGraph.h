// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QColor>
#include <QFrame>

#include <memory>
#include <vector>

struct AudioSnapshot;

// An audio graph: the waveform (amplitude) or the spectrum (frequency) of the moment a player
// handed over (cPlayer::CurrentAudioData). The kind is fixed at creation. Colour 1 is the
// background, colour 2 the waveform and the frequency peak marks, colour 3 the frequency bars
// and the amplitude centre line; colours are 0x00BBGGRR values. GUI thread.
class cAudioGraph : public QFrame {
    Q_OBJECT
public:
    enum Kind { Amplitude, Frequency };
    explicit cAudioGraph(Kind kind, QWidget* parent = nullptr);
    ~cAudioGraph() override;

    Kind GraphKind() const { return m_kind; }
    // Takes the moment of a handle; an unknown handle (or 0) leaves nothing to draw.
    void AudioData(long handle);
    void Redraw();
    // Forgets the moment and the peak marks and shows the empty graph.
    void Clear();
    void GraphColor1(long bgr);
    void GraphColor2(long bgr);
    void GraphColor3(long bgr);
    QColor Color(int which) const;
    // Lets go of the moment it holds; the graph stays usable.
    void Release();
    bool HasData() const { return m_data != nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintAmplitude(class QPainter& p, const QRect& r);
    void paintFrequency(class QPainter& p, const QRect& r);

    Kind m_kind;
    std::shared_ptr<const AudioSnapshot> m_data;
    QColor m_colors[3];
    std::vector<float> m_peaks;  // frequency peak marks per band, dB
    bool m_fresh = false;        // a moment not drawn yet
};
