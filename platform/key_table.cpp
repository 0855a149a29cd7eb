#include "platform/key_table.h"

#include <array>

namespace {

constexpr int kScancodeCount = 232;

constexpr std::array<uint8_t, kScancodeCount> BuildScancodeTable() {
    std::array<uint8_t, kScancodeCount> t{};
    for (int i = 0; i < 26; ++i) t[4 + i] = static_cast<uint8_t>('A' + i);
    for (int i = 0; i < 9; ++i) t[30 + i] = static_cast<uint8_t>('1' + i);
    t[39] = '0';
    t[40] = VK_RETURN;
    t[41] = VK_ESCAPE;
    t[42] = VK_BACK;
    t[43] = VK_TAB;
    t[44] = VK_SPACE;
    t[45] = VK_OEM_MINUS;
    t[46] = VK_OEM_PLUS;
    t[47] = VK_OEM_4;
    t[48] = VK_OEM_6;
    t[49] = VK_OEM_5;
    t[50] = VK_OEM_5;
    t[51] = VK_OEM_1;
    t[52] = VK_OEM_7;
    t[53] = VK_OEM_3;
    t[54] = VK_OEM_COMMA;
    t[55] = VK_OEM_PERIOD;
    t[56] = VK_OEM_2;
    t[57] = VK_CAPITAL;
    for (int i = 0; i < 12; ++i) t[58 + i] = static_cast<uint8_t>(VK_F1 + i);
    t[70] = VK_SNAPSHOT;
    t[71] = VK_SCROLL;
    t[72] = VK_PAUSE;
    t[73] = VK_INSERT;
    t[74] = VK_HOME;
    t[75] = VK_PRIOR;
    t[76] = VK_DELETE;
    t[77] = VK_END;
    t[78] = VK_NEXT;
    t[79] = VK_RIGHT;
    t[80] = VK_LEFT;
    t[81] = VK_DOWN;
    t[82] = VK_UP;
    t[83] = VK_NUMLOCK;
    t[84] = VK_DIVIDE;
    t[85] = VK_MULTIPLY;
    t[86] = VK_SUBTRACT;
    t[87] = VK_ADD;
    t[88] = VK_RETURN;
    for (int i = 0; i < 9; ++i) t[89 + i] = static_cast<uint8_t>(VK_NUMPAD0 + 1 + i);
    t[98] = VK_NUMPAD0;
    t[99] = VK_DECIMAL;
    t[100] = VK_OEM_102;
    t[101] = VK_APPS;
    for (int i = 0; i < 12; ++i) t[104 + i] = static_cast<uint8_t>(VK_F1 + 12 + i);
    t[224] = VK_LCONTROL;
    t[225] = VK_LSHIFT;
    t[226] = VK_LMENU;
    t[227] = VK_LWIN;
    t[228] = VK_RCONTROL;
    t[229] = VK_RSHIFT;
    t[230] = VK_RMENU;
    t[231] = VK_RWIN;
    return t;
}

constexpr std::array<uint8_t, kScancodeCount> kScancodeTable = BuildScancodeTable();

// Keys reported by the character they type.
int32_t FromCharacter(int32_t c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= '0' && c <= '9') return c;
    switch (c) {
        case '\b':
            return VK_BACK;
        case '\t':
            return VK_TAB;
        case '\r':
            return VK_RETURN;
        case 27:
            return VK_ESCAPE;
        case ' ':
            return VK_SPACE;
        case 127:
            return VK_DELETE;
        case '-':
            return VK_OEM_MINUS;
        case '=':
            return VK_OEM_PLUS;
        case '[':
            return VK_OEM_4;
        case ']':
            return VK_OEM_6;
        case '\\':
            return VK_OEM_5;
        case ';':
            return VK_OEM_1;
        case '\'':
            return VK_OEM_7;
        case '`':
            return VK_OEM_3;
        case ',':
            return VK_OEM_COMMA;
        case '.':
            return VK_OEM_PERIOD;
        case '/':
            return VK_OEM_2;
        default:
            return 0;
    }
}

// The number pad without num lock, as the keys printed under the digits.
int32_t NumberPadNavigation(int32_t vk) {
    static constexpr int32_t kDigits[10] = {VK_INSERT, VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,
                                            VK_CLEAR,  VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR};
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return kDigits[vk - VK_NUMPAD0];
    if (vk == VK_DECIMAL) return VK_DELETE;
    return vk;
}

}  // namespace

int32_t VirtualKeyFromKey(int32_t keycode, int32_t scancode, bool numLock) {
    int32_t vk = (keycode & kScancodeKeyFlag) ? 0 : FromCharacter(keycode);
    if (vk == 0 && scancode >= 0 && scancode < kScancodeCount) vk = kScancodeTable[scancode];
    if (!numLock) vk = NumberPadNavigation(vk);
    return vk;
}

int32_t UnsidedVirtualKey(int32_t virtualKey) {
    switch (virtualKey) {
        case VK_LSHIFT:
        case VK_RSHIFT:
            return VK_SHIFT;
        case VK_LCONTROL:
        case VK_RCONTROL:
            return VK_CONTROL;
        case VK_LMENU:
        case VK_RMENU:
            return VK_MENU;
        default:
            return virtualKey;
    }
}

int32_t ControlCharacter(int32_t virtualKey, bool ctrl) {
    switch (virtualKey) {
        case VK_BACK:
            return 8;
        case VK_TAB:
            return 9;
        case VK_RETURN:
            return 13;
        case VK_ESCAPE:
            return 27;
        default:
            break;
    }
    if (ctrl && virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 1;
    return -1;
}

bool AltHeld(const Modifiers& modifiers) {
    const bool alt = modifiers.leftAlt || (modifiers.rightAlt && !modifiers.rightAltTypes);
    return alt && !modifiers.ctrl;
}
