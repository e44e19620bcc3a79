// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QLabel>

// A label drawn as a link (blue, pointing-hand cursor) that raises `Click` when clicked. A
// disabled link is drawn in the desktop's disabled text colour with the ordinary pointer, so it
// does not offer a click it will not take.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr, bool underline = false);

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void followEnabled();
};
