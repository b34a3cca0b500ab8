#include "ui/DialogBuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace varnadex::ui {
namespace {

using K = ControlKind;

// A dialog with two radio groups, a digits-only edit with a limit, a language-dependent
// position and text, and a label that names its edit.
const DialogTemplate& sample() {
    static const DialogTemplate t{
        1,
        2,
        "Sample",
        "Minta",
        {0, 0, 200, 100},
        {0, 0, 220, 100},
        {
            {-1, K::Label, "&Port", "&Port", {5, 5, 40, 8}, {}, None, 10},
            {10, K::Edit, "", "", {50, 5, 60, 14}, {}, DigitsOnly, 0, 5},
            {20, K::RadioButton, "A", "A", {5, 25, 30, 10}, {}, FirstInGroup},
            {21, K::RadioButton, "B", "B", {40, 25, 30, 10}},
            {-1, K::Label, "between", "között", {75, 25, 30, 8}},
            {22, K::RadioButton, "C", "C", {110, 25, 30, 10}},
            {30, K::RadioButton, "X", "X", {5, 40, 30, 10}, {}, FirstInGroup},
            {31, K::RadioButton, "Y", "Y", {40, 40, 30, 10}},
            {40, K::ComboList, "", "", {5, 55, 60, 80}, {}, StartsDisabled},
            {41, K::CheckBox, "Check", "Jelölő", {70, 55, 60, 10}, {80, 55, 70, 10}},
            {1, K::DefaultButton, "OK", "Rendben", {140, 80, 50, 14}},
        },
    };
    return t;
}

TEST(DialogBuilder, BuildsTheTemplateInTheChosenLanguage) {
    for (bool english : {true, false}) {
        SCOPED_TRACE(english);
        QDialog d;
        BuiltDialog b(d, sample(), english);
        EXPECT_EQ(d.windowTitle(), english ? "Sample" : "Minta");
        EXPECT_EQ(d.width(), b.dluX(english ? 200 : 220));
        EXPECT_EQ(d.height(), b.dluY(100));
        EXPECT_EQ(b.get<QCheckBox>(41)->text(), english ? "Check" : QString::fromUtf8("Jelölő"));
        EXPECT_EQ(b.control(41)->geometry(), QRect(b.dluX(english ? 70 : 80), b.dluY(55),
                                                   b.dluX(english ? 60 : 70), b.dluY(10)));
        EXPECT_EQ(b.control(41)->objectName(), "id41");
        EXPECT_TRUE(b.get<QPushButton>(1)->isDefault());
        EXPECT_FALSE(b.control(40)->isEnabled());
        EXPECT_TRUE(b.control(10)->isEnabled());
        EXPECT_EQ(b.control(99), nullptr);
        // The closed drop-down is one line high, not the template's list height.
        EXPECT_LT(b.control(40)->height(), b.dluY(80));
    }
}

TEST(DialogBuilder, DialogUnitsFollowTheFont) {
    QDialog d;
    BuiltDialog b(d, sample(), true);
    // Four horizontal units make one average character, eight vertical ones a line.
    const int avg = b.dluX(4), line = b.dluY(8);
    EXPECT_GE(avg, 4);
    EXPECT_LE(avg, 12);
    EXPECT_GE(line, 9);
    EXPECT_EQ(b.dluX(400), avg * 100);
    EXPECT_EQ(b.dluY(800), line * 100);
}

TEST(DialogBuilder, RadioGroupsStartAtTheirFirstButton) {
    QDialog d;
    BuiltDialog b(d, sample(), true);
    QButtonGroup* first = b.radioGroup(20);
    QButtonGroup* second = b.radioGroup(30);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(b.radioGroup(21), nullptr);
    EXPECT_TRUE(first->exclusive());
    // Index within the group; a label between buttons does not end the group.
    EXPECT_EQ(first->id(b.get<QRadioButton>(20)), 0);
    EXPECT_EQ(first->id(b.get<QRadioButton>(21)), 1);
    EXPECT_EQ(first->id(b.get<QRadioButton>(22)), 2);
    EXPECT_EQ(second->id(b.get<QRadioButton>(31)), 1);

    b.get<QRadioButton>(22)->click();
    b.get<QRadioButton>(30)->click();
    b.get<QRadioButton>(20)->click();
    EXPECT_EQ(first->checkedId(), 0);
    EXPECT_FALSE(b.get<QRadioButton>(22)->isChecked());
    EXPECT_EQ(second->checkedId(), 0); // the other group is left alone
}

TEST(DialogBuilder, EditsKeepTheirLimitAndDigits) {
    QDialog d;
    BuiltDialog b(d, sample(), true);
    d.show();
    auto* edit = b.get<QLineEdit>(10);
    edit->setFocus();
    QTest::keyClicks(edit, "1a2-3 456789");
    EXPECT_EQ(edit->text(), "12345");
}

TEST(DialogBuilder, LabelsNameTheirControlsAndTabOrderFollowsTheTemplate) {
    QDialog d;
    BuiltDialog b(d, sample(), true);
    QLabel* port = nullptr;
    for (auto* l : d.findChildren<QLabel*>())
        if (l->text() == "&Port") port = l;
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->buddy(), b.control(10));
    EXPECT_EQ(b.control(10)->accessibleName(), "Port");

    EXPECT_EQ(b.control(10)->nextInFocusChain(), b.control(20));
    EXPECT_EQ(b.control(41)->nextInFocusChain(), b.control(1));
}

// Texts longer than their place: the first fits once the face shrinks a little, the second
// only when the units widen. Neither may be cut off.
TEST(DialogBuilder, TextsTooLongForTheirPlaceAreNeverClipped) {
    for (int width : {60, 20}) {
        SCOPED_TRACE(width);
        const DialogTemplate t{1,
                               1,
                               "T",
                               "T",
                               {0, 0, 200, 40},
                               {},
                               {
                                   {-1, K::Label, "Quite a long label text", "", {5, 5, width, 8}},
                                   {7, K::PushButton, "Button text", "", {5, 20, width / 2, 14}},
                               }};
        QDialog d;
        BuiltDialog b(d, t, true);
        const QFontMetrics fm(d.font());
        QLabel* label = d.findChild<QLabel*>();
        ASSERT_NE(label, nullptr);
        EXPECT_LE(fm.horizontalAdvance(label->text()), label->width());
        EXPECT_LT(fm.horizontalAdvance("Button text"), b.control(7)->width());
        EXPECT_LE(b.control(7)->geometry().right(), d.width());
    }
}

} // namespace
} // namespace varnadex::ui
