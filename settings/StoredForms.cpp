// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/StoredForms.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>

#include <cmath>

namespace stored {

namespace {
// The value as text, and whether it was missing altogether.
QString textOf(const QVariant& value, bool* missing)
{
    *missing = !value.isValid() || value.isNull();
    return *missing ? QString() : value.toString();
}

std::optional<int64_t> numberOrZero(const QVariant& value, bool emptyIsZero)
{
    bool missing = false;
    const QString t = textOf(value, &missing);
    if (missing || (emptyIsZero && t.isEmpty()))
        return 0;
    return WholeNumber(t);
}
}  // namespace

std::optional<int64_t> WholeNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qlonglong i = t.toLongLong(&ok);
    if (ok)
        return i;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 9.0e15)
        return std::nullopt;
    return static_cast<int64_t>(std::nearbyint(d));
}

std::optional<bool> Truth(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto n = WholeNumber(t))
        return *n != 0;
    return std::nullopt;
}

void ApplyCheck(QCheckBox* box, const QVariant& value, bool emptyIsZero)
{
    const auto n = numberOrZero(value, emptyIsZero);
    if (n && *n >= 0 && *n <= 2)
        SetCheckValue(box, static_cast<int>(*n));
}

void ApplyListText(QComboBox* list, const QVariant& value)
{
    bool missing = false;
    const QString t = textOf(value, &missing);
    if (t.isEmpty())
        return;
    const int i = list->findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0)
        list->setCurrentIndex(i);
}

void ApplyListIndex(QComboBox* list, const QVariant& value, bool emptyIsZero, bool allowNone)
{
    const auto n = numberOrZero(value, emptyIsZero);
    if (!n)
        return;
    if ((*n >= 0 && *n < list->count()) || (allowNone && *n == -1))
        list->setCurrentIndex(static_cast<int>(*n));
}

void ApplyOption(QAbstractButton* option, const QVariant& value)
{
    bool missing = false;
    const QString t = textOf(value, &missing);
    const auto b = (missing || t.isEmpty()) ? std::optional<bool>(false) : Truth(t);
    if (!b)
        return;
    if (*b) {
        option->setChecked(true);
    } else if (option->isChecked()) {
        // Deselecting one option of a group must not be refused by the group.
        const bool exclusive = option->autoExclusive();
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(exclusive);
    }
}

void ApplySlider(QAbstractSlider* slider, const QVariant& value)
{
    const auto n = numberOrZero(value, true);
    if (n && *n >= slider->minimum() && *n <= slider->maximum())
        slider->setValue(static_cast<int>(*n));
}

std::optional<int32_t> ColorValue(const QVariant& value)
{
    const auto n = numberOrZero(value, false);
    if (!n || *n < INT32_MIN || *n > UINT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(*n));
}

int CheckValue(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

void SetCheckValue(QCheckBox* box, int value)
{
    if (value == 2)
        box->setTristate(true);
    box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

QString CheckText(const QCheckBox* box) { return QString::number(CheckValue(box)); }
QString OptionText(const QAbstractButton* option)
{
    return option->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace stored
