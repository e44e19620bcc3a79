// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QProgressBar>

#include <cstdint>

// The flat progress bar of the task windows: a value from 0 to Max (default 100), drawn in
// the bar colour without a percentage text. A value above Max shows a full bar. GUI thread.
class cProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit cProgressBar(QWidget* parent = nullptr);

    long Value() const { return m_value; }
    void Value(long value);
    long Max() const { return m_max; }
    void Max(long max);
    // 0x00BBGGRR, as the options keep colours.
    int32_t BarColor() const { return m_barColor; }
    void BarColor(int32_t color);

private:
    long m_value = 0;
    long m_max = 100;
    int32_t m_barColor = 0;
};
