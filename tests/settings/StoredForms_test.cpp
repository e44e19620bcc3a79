// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/StoredForms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(StoredForms, WholeNumbers)
{
    const struct { const char* text; std::optional<int64_t> value; } cases[] = {
        {"1", 1}, {" 1 ", 1}, {"-1", -1}, {"16777215", 16777215}, {"1.5", 2}, {"2.5", 2},  // halves to even
        {"", std::nullopt}, {"abc", std::nullopt}, {"1a", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(stored::WholeNumber(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(StoredForms, TruthValues)
{
    const struct { const char* text; std::optional<bool> value; } cases[] = {
        {"True", true}, {"false", false}, {"FALSE", false}, {"-1", true}, {"0", false}, {"yes", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(stored::Truth(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(StoredForms, MissingCountsAsZeroUnreadableLeavesTheControl)
{
    QWidget page;
    QCheckBox box(&page);
    box.setChecked(true);
    stored::ApplyCheck(&box, QVariant(QStringLiteral("x")), true);
    EXPECT_TRUE(box.isChecked());
    stored::ApplyCheck(&box, QVariant(QStringLiteral("")), false);  // not a number here
    EXPECT_TRUE(box.isChecked());
    stored::ApplyCheck(&box, QVariant(), false);  // missing
    EXPECT_FALSE(box.isChecked());
    stored::ApplyCheck(&box, QVariant(QStringLiteral("7")), true);  // no such state
    EXPECT_FALSE(box.isChecked());

    QComboBox list(&page);
    list.addItems({QStringLiteral("8 "), QStringLiteral("16")});
    list.setCurrentIndex(1);
    stored::ApplyListText(&list, QVariant(QStringLiteral("8")));  // entries match exactly, blank included
    EXPECT_EQ(list.currentIndex(), 1);
    stored::ApplyListText(&list, QVariant(QStringLiteral("8 ")));
    EXPECT_EQ(list.currentIndex(), 0);
    stored::ApplyListIndex(&list, QVariant(QStringLiteral("5")), true, false);  // outside the list
    EXPECT_EQ(list.currentIndex(), 0);
    stored::ApplyListIndex(&list, QVariant(QStringLiteral("-1")), true, false);
    EXPECT_EQ(list.currentIndex(), 0);
    stored::ApplyListIndex(&list, QVariant(QStringLiteral("-1")), true, true);
    EXPECT_EQ(list.currentIndex(), -1);

    QRadioButton a(&page), b(&page);
    stored::ApplyOption(&a, QVariant(QStringLiteral("True")));
    stored::ApplyOption(&b, QVariant(QStringLiteral("True")));  // one group: b wins
    EXPECT_FALSE(a.isChecked());
    EXPECT_TRUE(b.isChecked());
    stored::ApplyOption(&b, QVariant(QStringLiteral("False")));  // both may end up deselected
    EXPECT_FALSE(b.isChecked());
    EXPECT_EQ(stored::OptionText(&b), QStringLiteral("False"));

    QSlider slider;
    slider.setRange(0, 100);
    slider.setValue(50);
    stored::ApplySlider(&slider, QVariant(QStringLiteral("101")));
    EXPECT_EQ(slider.value(), 50);
    stored::ApplySlider(&slider, QVariant(QStringLiteral("")));
    EXPECT_EQ(slider.value(), 0);

    EXPECT_EQ(stored::ColorValue(QVariant(QStringLiteral("4294967295"))), -1);
    EXPECT_EQ(stored::ColorValue(QVariant(QStringLiteral("blue"))), std::nullopt);
}

}  // namespace
