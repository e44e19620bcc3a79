// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The real box for a short text under a title: it is at least as wide as the title in a bold
// title-bar font with room for a window menu and three title-bar buttons, so that window managers
// need not cut the title to "Q...". QM_SCREENSHOT_DIR names a folder for a picture of the screen
// with each box; under Xvfb with a window manager run it with QT_QPA_PLATFORM=xcb.
TEST(MessageBoxes, ARealBoxIsWideEnoughForItsTitle)
{
    struct Case {
        const char* prompt;
        const char* title;
    };
    const Case cases[] = {
        {"Done.", "Quillmere 1.2"},
        {"Disk full(61)", "Quillmere 1.2"},
        {"OK?", "Quillmere 1.2 - a title much longer than its text"},
    };
    const QString folder = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    int shot = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        int width = -1;
        QTimer poll;
        QElapsedTimer clock;
        clock.start();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                poll.stop();
                width = box->width();
                if (!folder.isEmpty()) {
                    QTest::qWait(500);  // the window manager's frame
                    box->screen()->grabWindow(0).save(QDir(folder).filePath(QStringLiteral("message-box-%1.png").arg(++shot)));
                }
                box->button(QMessageBox::Ok)->click();
            } else if (clock.elapsed() > 10000 && box) {
                box->reject();
            }
        });
        poll.start(20);
        EXPECT_EQ(platform::MsgBox(QLatin1String(c.prompt), platform::vbInformation, QLatin1String(c.title)), platform::vbOK);
        poll.stop();
        QFont bold = QApplication::font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        EXPECT_GE(width, metrics.horizontalAdvance(QLatin1String(c.title)) + 4 * 20) << "box " << width;
    }
}

// A question that names an item of a long name without a blank (110 characters) stays on the
// screen, its text wrapped inside the box, never cut at the screen's edge.
TEST(MessageBoxes, ARealBoxWithALongNameStaysOnTheScreen)
{
    const QString name = QString(110, u'x').replace(37, 1, QStringLiteral("_")).replace(74, 1, QStringLiteral("-"));
    const QStringList prompts{
        QStringLiteral("This operation will erase the ") + name + QStringLiteral(" under the 'Songs'.\r\n\r\nContinue?"),
        QStringLiteral("This operation will erase the ") + QString(name).replace(QLatin1Char('x'), QStringLiteral("W")) +
            QStringLiteral(" under the 'Songs'.\r\n\r\nContinue?"),
    };
    const QString folder = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    int shot = 0;
    for (const QString& prompt : prompts) {
        QRect box, screen, text;
        int needed = -1, widest = -1;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!shown || !shown->isVisible())
                return;
            poll.stop();
            QTest::qWait(300);  // placed by the window manager, if any
            box = shown->frameGeometry();
            screen = shown->screen()->availableGeometry();
            if (auto* label = shown->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
                text = QRect(label->mapToGlobal(QPoint(0, 0)), label->size());
                needed = label->heightForWidth(label->width());
                widest = label->fontMetrics().boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text()).width();
            }
            if (!folder.isEmpty())
                shown->screen()->grabWindow(0).save(QDir(folder).filePath(QStringLiteral("long-name-box-%1.png").arg(++shot)));
            shown->button(QMessageBox::Yes)->click();
        });
        poll.start(20);
        EXPECT_EQ(platform::MsgBox(prompt, platform::vbYesNo | platform::vbInformation, QStringLiteral("Quillmere")), platform::vbYes);
        poll.stop();
        ASSERT_TRUE(box.isValid());
        EXPECT_TRUE(screen.contains(box)) << "box " << box.x() << "," << box.y() << " " << box.width() << "x" << box.height()
                                          << " on a screen of " << screen.width() << "x" << screen.height();
        EXPECT_TRUE(screen.contains(text)) << "text " << text.x() << " " << text.width();
        // The whole text, wrapped at the label's width, fits its height.
        EXPECT_GT(needed, 0);
        EXPECT_LE(needed, text.height());
        EXPECT_LE(widest, text.width());
    }
}

}  // namespace
