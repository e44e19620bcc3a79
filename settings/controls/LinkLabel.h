// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QLabel>

// A label drawn as a link (blue, pointing-hand cursor) that raises `Click` when clicked.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr, bool underline = false);

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
