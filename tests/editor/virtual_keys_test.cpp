// Key codes from Qt key events and the key texts of the key list page.
#include "editor/virtual_keys.h"

#include <gtest/gtest.h>

TEST(VirtualKeysTest, KeyCodesFromQtEvents)
{
    using Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier, Qt::KeypadModifier;
    const struct {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        quint32 keysym;
        int code;
    } cases[] = {
        {Qt::Key_Right, ShiftModifier | ControlModifier, 0, 0xA027},
        {Qt::Key_Up, AltModifier, 0, 0x4026},
        {Qt::Key_Down, ControlModifier | KeypadModifier, 0, 0x2028}, // the keypad flag is dropped
        {Qt::Key_Q, ControlModifier, 0, 0x2051},
        {Qt::Key_7, {}, 0, 0x37},
        {Qt::Key_Enter, KeypadModifier, 0, 0x0D},
        {Qt::Key_Return, ShiftModifier, 0, 0x800D},
        {Qt::Key_F24, {}, 0, 0x87},
        {Qt::Key_Backtab, {}, 0, 0x8009}, // Backtab is Shift+Tab, with or without Shift
        {Qt::Key_Backtab, ShiftModifier, 0, 0x8009},
        {Qt::Key_Shift, ShiftModifier, 0, 0x8010},
        {Qt::Key_Control, ControlModifier, 0, 0x2011},
        {Qt::Key_Backslash, ControlModifier, 0, 0x20E2}, // the Ro key
        {Qt::Key_Underscore, ShiftModifier, 0, 0x80E2},
        {0x30ED, {}, 0x04DB, 0xE2}, // "ろ" with kana input locked
        {Qt::Key_yen, ControlModifier, 0, 0}, // no virtual key: 0
        {Qt::Key_Exclam, ShiftModifier, 0, 0},
        {Qt::Key_unknown, ControlModifier, 0x61, 0},
        {0, {}, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyCodeFromQt(c.qtKey, c.modifiers, c.keysym), c.code) << std::hex << c.qtKey;
}

TEST(VirtualKeysTest, KeyTextPutsShiftCtrlAltBeforeTheName)
{
    EXPECT_EQ(KeyText(0x25), QStringLiteral("←"));
    EXPECT_EQ(KeyText(0xE022), QStringLiteral("Shift+Ctrl+Alt+Page Down"));
    EXPECT_EQ(KeyText(0x8008), QStringLiteral("Shift+Backspace"));
    // No name, no text: not even the modifiers.
    EXPECT_EQ(KeyText(0x2000), QString());
    EXPECT_EQ(KeyText(0xA0FF), QString());
}
