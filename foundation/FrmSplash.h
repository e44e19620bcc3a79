// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QFrame>
#include <QLabel>
#include <QWidget>

// The start-up splash: borderless, centred, topmost, faded in while the program loads.
class FrmSplash : public QWidget {
    Q_OBJECT
public:
    FrmSplash();

    // Fades from alpha 0 to 250 in steps of 10, letting pending events run about 6 ms between
    // steps, and ends fully opaque. A double-click meanwhile unloads the splash; the fade then
    // stops touching it.
    void FadeIn();

    QLabel* lblAppTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblStat = nullptr;
    QFrame* picTitle = nullptr;
    QFrame* Shape1 = nullptr;

    // The alphas the last fade set, in order; read by tests.
    QList<int> fadeSteps() const { return m_fadeSteps; }

protected:
    void Form_Load();
    void Form_DblClick();
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QList<int> m_fadeSteps;
};

inline FormRef<FrmSplash> g_frmSplash;
