// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QAbstractSpinBox>
#include <QString>

// A time picker showing "HH:mm:ss". Its value is a count of seconds read as hours, minutes and
// seconds; hours run to 99, so an item of a day or longer can be ranged (a clock time would
// stop at 23:59:59). The arrows and the wheel step the section under the cursor; typed text is
// taken once it is a complete time. Every change of the value, typed, stepped or set from code,
// raises Change with the new value. GUI thread.
class cDateTimePick : public QAbstractSpinBox {
    Q_OBJECT
public:
    static constexpr long kMaxSeconds = 99L * 3600 + 59 * 60 + 59;

    explicit cDateTimePick(QWidget* parent = nullptr);

    long Value() const { return m_value; }
    // Clamped to 0 .. kMaxSeconds.
    void Value(long seconds);
    // The value as the picker shows it.
    QString Text() const { return FormatValue(m_value); }
    // Only "HH:mm:ss" is drawn; the text is kept for the callers that set it.
    void CustomFormat(const QString& format) { m_format = format; }
    QString CustomFormat() const { return m_format; }

    // "HH:mm:ss" of a count of seconds (hours with at least two digits).
    static QString FormatValue(long seconds);
    // Seconds of "h:mm:ss" (minutes and seconds below 60); -1 for anything else.
    static long ParseValue(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

signals:
    void Change(long seconds);

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showValue();
    void takeTypedText();

    long m_value = 0;
    QString m_format = QStringLiteral("HH:mm:ss");
    bool m_showing = false;
};
