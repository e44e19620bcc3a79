// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlWindowUtils.h"

#include "foundation/IconResources.h"

#include <QCursor>
#include <QWidget>

namespace {
const char* const kLayered = "qm_layered";
}

void SetTopMost(QWidget* window, bool bTopMost)
{
    if (!window)
        return;
    const bool wasVisible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, bTopMost);  // re-creates, hence hides, the window
    window->setGeometry(geometry);
    if (bTopMost || wasVisible) {
        const bool noActivate = window->testAttribute(Qt::WA_ShowWithoutActivating);
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
}

long SetTranslucency(QWidget* window, int alpha)
{
    if (alpha < 0 || alpha > 255)
        return 1;
    if (!window)
        return 2;
    window->setProperty(kLayered, true);
    window->setWindowOpacity(alpha / 255.0);
    return 0;
}

long ClearTranslucency(QWidget* window)
{
    if (!window)
        return 2;
    window->setProperty(kLayered, false);
    window->setWindowOpacity(1.0);
    return 0;
}

bool IsLayered(const QWidget* window) { return window && window->property(kLayered).toBool(); }

int LayeredAlpha(const QWidget* window)
{
    return window ? static_cast<int>(std::lround(window->windowOpacity() * 255.0)) : 0;
}

QIcon LoadIconResource(const QString& resourceName) { return IconResources::icon(resourceName); }

void SetFormIcon(QWidget* window, const QString& resourceName, bool bSetOnOwner)
{
    if (!window)
        return;
    const QIcon icon = LoadIconResource(resourceName);
    if (bSetOnOwner) {
        QWidget* owner = window;
        while (owner->parentWidget())
            owner = owner->parentWidget()->window();
        if (owner != window)
            owner->setWindowIcon(icon);
    }
    window->setWindowIcon(icon);
}

void GetMousePosition(long& x, long& y)
{
    const QPoint p = QCursor::pos();
    x = p.x();
    y = p.y();
}
