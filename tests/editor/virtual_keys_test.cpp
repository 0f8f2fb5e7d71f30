// Key codes from Qt key events and the key texts of the key list page.
#include "editor/virtual_keys.h"

#include <gtest/gtest.h>

namespace {

int Code(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, quint32 keysym = 0)
{
    return KeyCodeFromQt(qtKey, mods, keysym);
}

} // namespace

TEST(VirtualKeysTest, BuildsKeyCodesWithModifierFlags)
{
    EXPECT_EQ(Code(Qt::Key_Left), 0x25);
    EXPECT_EQ(Code(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier), 0xA027);
    EXPECT_EQ(Code(Qt::Key_Up, Qt::AltModifier), 0x4026);
    EXPECT_EQ(Code(Qt::Key_Down, Qt::ControlModifier | Qt::KeypadModifier), 0x2028);
    EXPECT_EQ(Code(Qt::Key_Q, Qt::ControlModifier), 0x2051);
    EXPECT_EQ(Code(Qt::Key_7), 0x37);
    EXPECT_EQ(Code(Qt::Key_Enter, Qt::KeypadModifier), 0x0D);
    EXPECT_EQ(Code(Qt::Key_Return, Qt::ShiftModifier), 0x800D);
    EXPECT_EQ(Code(Qt::Key_F12), 0x7B);
    EXPECT_EQ(Code(Qt::Key_F24), 0x87);
}

TEST(VirtualKeysTest, BacktabIsShiftTab)
{
    EXPECT_EQ(Code(Qt::Key_Backtab), 0x8009);
    EXPECT_EQ(Code(Qt::Key_Backtab, Qt::ShiftModifier), 0x8009);
    EXPECT_EQ(Code(Qt::Key_Tab, Qt::ControlModifier), 0x2009);
}

TEST(VirtualKeysTest, ModifierKeysAloneAndTheRoKey)
{
    EXPECT_EQ(KeyCode::VirtualKey(Code(Qt::Key_Shift, Qt::ShiftModifier)), 0x10);
    EXPECT_EQ(KeyCode::VirtualKey(Code(Qt::Key_Control, Qt::ControlModifier)), 0x11);
    EXPECT_EQ(Code(Qt::Key_Backslash, Qt::ControlModifier), 0x20E2);
    EXPECT_EQ(Code(Qt::Key_Underscore, Qt::ShiftModifier), 0x80E2);
    EXPECT_EQ(Code(0x30ED, Qt::NoModifier, 0x04DB), 0xE2); // "ろ" with kana input locked
}

TEST(VirtualKeysTest, KeysWithoutVirtualKeyGiveZero)
{
    EXPECT_EQ(Code(Qt::Key_yen, Qt::ControlModifier), 0);
    EXPECT_EQ(Code(Qt::Key_Exclam, Qt::ShiftModifier), 0);
    EXPECT_EQ(Code(Qt::Key_unknown, Qt::ControlModifier, 0x61), 0);
    EXPECT_EQ(Code(0), 0);
}

TEST(VirtualKeysTest, KeyTextPutsShiftCtrlAltBeforeTheName)
{
    EXPECT_EQ(KeyText(0x25), QStringLiteral("←"));
    EXPECT_EQ(KeyText(0xA027), QStringLiteral("Shift+Ctrl+→"));
    EXPECT_EQ(KeyText(0xE022), QStringLiteral("Shift+Ctrl+Alt+Page Down"));
    EXPECT_EQ(KeyText(0x7B), QStringLiteral("F12"));
    EXPECT_EQ(KeyText(0x2051), QStringLiteral("Ctrl+Q"));
    EXPECT_EQ(KeyText(0x8008), QStringLiteral("Shift+Backspace"));
    // No name, no text: not even the modifiers.
    EXPECT_EQ(KeyText(0x2000), QString());
    EXPECT_EQ(KeyText(0xA0FF), QString());
}
