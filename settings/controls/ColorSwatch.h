// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QColor>
#include <QWidget>

#include <cstdint>

// A picture box used as a colour swatch. Its back colour is kept as the program stores colours:
// a 32-bit value with red in the lowest byte (0x00BBGGRR). A click raises `Click`.
class ColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);
    int32_t BackColor() const { return m_color; }
    void SetBackColor(int32_t color);

    static QColor ToQColor(int32_t color);
    static int32_t FromQColor(const QColor& color);

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int32_t m_color = 0;
};
