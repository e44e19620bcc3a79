// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cSlider.h"

#include <QProxyStyle>

namespace {

// A click on the track puts the thumb under the pointer, as a seek bar should, instead of
// stepping a page towards it.
class JumpStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* ret) const override
    {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

}  // namespace

cSlider::cSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    auto* style = new JumpStyle(QSlider::style()->name());
    style->setParent(this);
    setStyle(style);
    setMinimum(0);
    setMaximum(1);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QSlider::sliderPressed, this, &cSlider::DragStart);
    connect(this, &QSlider::sliderReleased, this, &cSlider::DragEnd);
}
