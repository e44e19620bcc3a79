// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

class QLabel;

// Keeps a status label readable whole. A text that fits the label's own place stays there as
// before; a longer one (a burn's refusal naming a drive, a file and the reason, say) is wrapped
// at the width of `room`, a place the window keeps for it, and takes as many lines of it as it
// needs, drawn over whatever lies there, from the room's top down or from its bottom up; a text
// that fits again goes back. Widgets the room would cut through are hidden meanwhile (see
// Covers). The text is the label's, however it is set. Lives as long as the label.
class StatusLineFit final : public QObject {
public:
    enum class Grow { Down, Up };
    // `room` in the label's parent's pixels.
    StatusLineFit(QLabel* label, const QRect& room, Grow grow);

    // Widgets that lie in the room: hidden while the label is there, shown again when it leaves.
    void Covers(const QList<QWidget*>& widgets);

    // Places a text set just now at once, before the label is next drawn.
    void refit();

    // Whether the label has left its own place for the room now.
    bool inRoom() const { return m_inRoom; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool fitsOwnPlace() const;
    void fit();

    QLabel* m_label;
    QRect m_own;
    QRect m_room;
    Grow m_grow;
    Qt::Alignment m_ownAlignment;
    bool m_ownWrap = false;
    bool m_ownFill = false;
    QString m_fitted;
    bool m_inRoom = false;
    QList<QPointer<QWidget>> m_covered;
    QList<QPointer<QWidget>> m_hidden;  // of m_covered, those the room hid
};
