// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>

class QAbstractButton;
class QAbstractSlider;
class QCheckBox;
class QComboBox;
class QLabel;

// Moving settings between their stored text (every value is kept as REG_SZ text) and the
// controls that edit them. A stored value that the control cannot take leaves the control as
// it was; a value missing from the store (an invalid QVariant) counts as 0.
namespace stored {

// The stored text as a whole number: decimal, blanks around it ignored, a fraction rounded half
// to even. nullopt for anything else, the empty text included.
std::optional<int64_t> WholeNumber(const QString& text);
// "True"/"False" in any letter case, or a number (not 0 is true); nullopt otherwise.
std::optional<bool> Truth(const QString& text);

// `emptyIsZero`: whether the empty text also counts as 0 (as for a missing value).
void ApplyCheck(QCheckBox* box, const QVariant& value, bool emptyIsZero);
// Selects the entry whose text equals the value exactly; the empty text or no match changes
// nothing.
void ApplyListText(QComboBox* list, const QVariant& value);
// Selects the position (-1 clears the selection only when `allowNone`); a position outside
// the list changes nothing.
void ApplyListIndex(QComboBox* list, const QVariant& value, bool emptyIsZero, bool allowNone);
void ApplyOption(QAbstractButton* option, const QVariant& value);
void ApplySlider(QAbstractSlider* slider, const QVariant& value);
// nullopt: the value was not a number, the colour stays.
std::optional<int32_t> ColorValue(const QVariant& value);

// The check box value as stored: 0 cleared, 1 ticked, 2 grey.
int CheckValue(const QCheckBox* box);
void SetCheckValue(QCheckBox* box, int value);

// Texts written to the store.
QString CheckText(const QCheckBox* box);
QString OptionText(const QAbstractButton* option);  // "True" or "False"

}  // namespace stored
