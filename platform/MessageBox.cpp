// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/MessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace platform {

namespace {

// The box wraps its text at blanks only: a word wider than the screen (a long file name) would
// stretch the box past the screen's edge and be cut. A zero-width space after each character of
// such a word lets it wrap anywhere, as it shows nothing.
QString breakableText(const QString& text)
{
    constexpr int kLongestWord = 40;
    QString out;
    out.reserve(text.size());
    int start = 0;
    const auto flush = [&](int end) {
        const QStringView word = QStringView(text).mid(start, end - start);
        if (word.size() <= kLongestWord) {
            out += word;
            return;
        }
        for (qsizetype i = 0; i < word.size(); ++i) {
            out += word.at(i);
            // A surrogate pair is one character.
            if (!(word.at(i).isHighSurrogate() && i + 1 < word.size()))
                out += QChar(0x200B);
        }
    };
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).isSpace()) {
            flush(i);
            out += text.at(i);
            start = i + 1;
        }
    }
    flush(int(text.size()));
    return out;
}

class QtMessageBox final : public MessageBoxService {
public:
    int show(const MessageBoxRequest& r, QWidget* parent) override
    {
        QMessageBox box(parent ? parent : QApplication::activeWindow());
        box.setWindowTitle(r.title);
        box.setText(breakableText(r.prompt));
        switch (r.style & 0x70) {
        case vbCritical: box.setIcon(QMessageBox::Critical); break;
        case vbQuestion: box.setIcon(QMessageBox::Question); break;
        case vbExclamation: box.setIcon(QMessageBox::Warning); break;
        case vbInformation: box.setIcon(QMessageBox::Information); break;
        default: break;
        }
        struct Button { QMessageBox::StandardButton qt; int answer; };
        QList<Button> buttons;
        switch (r.style & 0x7) {
        case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
        case vbAbortRetryIgnore:
            buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
            break;
        case vbYesNoCancel:
            buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
            break;
        case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
        case vbRetryCancel: buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
        default: buttons = {{QMessageBox::Ok, vbOK}}; break;
        }
        QMessageBox::StandardButtons all;
        for (const auto& b : buttons)
            all |= b.qt;
        box.setStandardButtons(all);
        const int defaultIndex = (r.style & vbDefaultButton3) ? 2 : (r.style & vbDefaultButton2) ? 1 : 0;
        if (defaultIndex < buttons.size())
            box.setDefaultButton(buttons[defaultIndex].qt);
        // A box sized for a short text ("Done.") is narrower than its title, which window managers
        // then cut to "Q...": a row as wide as the title keeps the box at least that wide.
        if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
            grid->addItem(new QSpacerItem(MessageBoxTitleWidth(r.title), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                          grid->rowCount(), 0, 1, grid->columnCount());
        const int clicked = box.exec();
        for (const auto& b : buttons)
            if (b.qt == clicked)
                return b.answer;
        // Closed with the window's close box: the answer of the escape button.
        const int kind = r.style & 0x7;
        return (kind == vbYesNo) ? vbNo : (kind == vbOKOnly) ? vbOK : vbCancel;
    }
};

QtMessageBox g_real;
MessageBoxService* g_current = nullptr;
QString g_appTitle;

}  // namespace

int MessageBoxTitleWidth(const QString& title)
{
    // Title bars use a bold font of the window manager's own, mostly no larger than the
    // desktop's; the window menu, minimise, maximise and close buttons and the frame come on top.
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 6 * metrics.height();
}

MessageBoxService& messageBoxService() { return g_current ? *g_current : g_real; }
void setMessageBoxService(MessageBoxService* service) { g_current = service; }
void setAppTitle(const QString& title) { g_appTitle = title; }
QString appTitle() { return g_appTitle; }

int MsgBox(const QString& prompt, int style, const QString& title, QWidget* parent)
{
    return messageBoxService().show({prompt, style, title.isEmpty() ? g_appTitle : title}, parent);
}

}  // namespace platform
