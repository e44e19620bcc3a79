// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QSlider>

// A horizontal slider of whole numbers. DragStart and DragEnd bracket a drag of the thumb by
// the user (also a click on the track, which moves the thumb there); a value set by code raises
// neither. GUI thread.
class cSlider : public QSlider {
    Q_OBJECT
public:
    explicit cSlider(QWidget* parent = nullptr);

    long Value() const { return value(); }
    void Value(long v) { setValue(static_cast<int>(v)); }
    long Max() const { return maximum(); }
    void Max(long v) { setMaximum(static_cast<int>(v)); }
    long Min() const { return minimum(); }
    void Min(long v) { setMinimum(static_cast<int>(v)); }

signals:
    void DragStart();
    void DragEnd();
};
