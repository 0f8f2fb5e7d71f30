// Virtual keys from Qt key events, and the names of the keys on the key list page.
//
// On a Japanese keyboard under X11 both the "\ _ ろ" key and the "¥ |" key send backslash
// unshifted, so Qt::Key_Backslash (and the "ろ" key's shifted Qt::Key_Underscore) are taken as
// the "ろ" key's virtual key 0xE2. Ctrl+¥ thus reads as Ctrl+0xE2, which runs nothing either way.
#include "editor/virtual_keys.h"

namespace {

// X11 keysym of the "ろ" key while kana input is locked; Qt then reports the katakana itself.
constexpr quint32 kKeysymKanaRo = 0x04DB;

int VirtualKeyFromQt(int qtKey, quint32 nativeVirtualKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey; // Windows uses the same (upper-case ASCII) codes
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return Vk::kF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Left: return Vk::kLeft;
    case Qt::Key_Up: return Vk::kUp;
    case Qt::Key_Right: return Vk::kRight;
    case Qt::Key_Down: return Vk::kDown;
    case Qt::Key_Home: return Vk::kHome;
    case Qt::Key_End: return Vk::kEnd;
    case Qt::Key_PageUp: return Vk::kPrior;
    case Qt::Key_PageDown: return Vk::kNext;
    case Qt::Key_Insert: return Vk::kInsert;
    case Qt::Key_Delete: return Vk::kDelete;
    case Qt::Key_Backspace: return Vk::kBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return Vk::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return Vk::kReturn;
    case Qt::Key_Escape: return Vk::kEscape;
    case Qt::Key_Shift: return Vk::kShift;
    case Qt::Key_Control: return Vk::kControl;
    case Qt::Key_Alt: return Vk::kMenu;
    case Qt::Key_Backslash:
    case Qt::Key_Underscore: return Vk::kOem102;
    default: return nativeVirtualKey == kKeysymKanaRo ? Vk::kOem102 : 0;
    }
}

} // namespace

int KeyCodeFromQt(int qtKey, Qt::KeyboardModifiers mods, quint32 nativeVirtualKey)
{
    const int virtualKey = VirtualKeyFromQt(qtKey, nativeVirtualKey);
    if (virtualKey == 0)
        return 0;
    int code = virtualKey;
    // Qt reports Shift+Tab as Backtab, with or without the Shift modifier.
    if (mods.testFlag(Qt::ShiftModifier) || qtKey == Qt::Key_Backtab)
        code |= KeyCode::kShift;
    if (mods.testFlag(Qt::AltModifier))
        code |= KeyCode::kAlt;
    if (mods.testFlag(Qt::ControlModifier))
        code |= KeyCode::kCtrl;
    return code;
}

QString KeyName(int virtualKey)
{
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return QString(QChar(virtualKey));
    if (virtualKey >= Vk::kF1 && virtualKey <= Vk::kF24)
        return QStringLiteral("F%1").arg(virtualKey - Vk::kF1 + 1);
    switch (virtualKey) {
    case Vk::kLeft: return QStringLiteral("←");
    case Vk::kUp: return QStringLiteral("↑");
    case Vk::kRight: return QStringLiteral("→");
    case Vk::kDown: return QStringLiteral("↓");
    case Vk::kPrior: return QStringLiteral("Page Up");
    case Vk::kNext: return QStringLiteral("Page Down");
    case Vk::kHome: return QStringLiteral("Home");
    case Vk::kEnd: return QStringLiteral("End");
    case Vk::kInsert: return QStringLiteral("Insert");
    case Vk::kDelete: return QStringLiteral("Delete");
    case Vk::kBack: return QStringLiteral("Backspace");
    case Vk::kTab: return QStringLiteral("Tab");
    case Vk::kReturn: return QStringLiteral("Enter");
    case Vk::kEscape: return QStringLiteral("Esc");
    case Vk::kOem102: return QStringLiteral("\\");
    default: return {};
    }
}

QString KeyText(int keyCode)
{
    const QString name = KeyName(KeyCode::VirtualKey(keyCode));
    if (name.isEmpty())
        return {};
    QString text;
    if (keyCode & KeyCode::kShift)
        text += QStringLiteral("Shift+");
    if (keyCode & KeyCode::kCtrl)
        text += QStringLiteral("Ctrl+");
    if (keyCode & KeyCode::kAlt)
        text += QStringLiteral("Alt+");
    return text + name;
}
