// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cDateTimePick.h"

#include <QLineEdit>
#include <QRegularExpression>

#include <algorithm>

cDateTimePick::cDateTimePick(QWidget* parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    showValue();
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { takeTypedText(); });
}

QString cDateTimePick::FormatValue(long seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

long cDateTimePick::ParseValue(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{1,2}):(\d{1,2}):(\d{1,2})\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return -1;
    const long h = m.captured(1).toLong();
    const long min = m.captured(2).toLong();
    const long s = m.captured(3).toLong();
    if (min > 59 || s > 59)
        return -1;
    return h * 3600 + min * 60 + s;
}

void cDateTimePick::Value(long seconds)
{
    seconds = std::clamp(seconds, 0L, kMaxSeconds);
    if (seconds == m_value) {
        showValue();
        return;
    }
    m_value = seconds;
    showValue();
    emit Change(m_value);
}

void cDateTimePick::showValue()
{
    const int pos = lineEdit()->cursorPosition();
    m_showing = true;
    lineEdit()->setText(FormatValue(m_value));
    m_showing = false;
    lineEdit()->setCursorPosition(std::min(pos, static_cast<int>(lineEdit()->text().size())));
}

void cDateTimePick::takeTypedText()
{
    if (m_showing)
        return;
    const long typed = ParseValue(lineEdit()->text());
    if (typed < 0 || typed == m_value)
        return;
    m_value = typed;
    emit Change(m_value);
    // A handler may have put another value in place (a clamp): show what holds now.
    if (m_value != typed)
        showValue();
}

void cDateTimePick::stepBy(int steps)
{
    // The section under the cursor: hours before the first colon, then minutes, then seconds.
    const QString text = lineEdit()->text();
    const int pos = lineEdit()->cursorPosition();
    const int firstColon = static_cast<int>(text.indexOf(QLatin1Char(':')));
    const int secondColon = static_cast<int>(text.indexOf(QLatin1Char(':'), firstColon + 1));
    long unit = 1;
    if (firstColon >= 0 && pos <= firstColon)
        unit = 3600;
    else if (secondColon >= 0 && pos <= secondColon)
        unit = 60;
    Value(m_value + steps * unit);
}

QAbstractSpinBox::StepEnabled cDateTimePick::stepEnabled() const
{
    StepEnabled e = StepNone;
    if (m_value > 0)
        e |= StepDownEnabled;
    if (m_value < kMaxSeconds)
        e |= StepUpEnabled;
    return e;
}

QValidator::State cDateTimePick::validate(QString& input, int& /*pos*/) const
{
    if (ParseValue(input) >= 0)
        return QValidator::Acceptable;
    static const QRegularExpression partial(QStringLiteral(R"(^\d{0,2}(:\d{0,2}(:\d{0,2})?)?$)"));
    return partial.match(input).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
}

void cDateTimePick::fixup(QString& input) const { input = FormatValue(m_value); }

void cDateTimePick::focusOutEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusOutEvent(event);
    showValue();
}
