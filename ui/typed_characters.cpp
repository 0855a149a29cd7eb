#include "ui/typed_characters.h"

#include "platform/key_table.h"
#include "shell/input_queue.h"

bool IsCodePageAlphaNumeric(uint8_t c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    switch (c) {
        case 0x83:  // f with hook
        case 0x8A:  // S, O-E, Z with caron and ligature
        case 0x8C:
        case 0x8E:
        case 0x9A:
        case 0x9C:
        case 0x9E:
        case 0x9F:  // Y with diaeresis
        case 0xAA:  // feminine and masculine ordinals, micro sign
        case 0xB5:
        case 0xBA:
            return true;
        default:
            break;
    }
    // The accented letters, without the multiplication and division signs.
    return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

bool EditFieldTakes(int32_t value) {
    if (value == InputQueue::kAltMarker || value < -128 || value > 255) return false;
    const auto c = static_cast<uint8_t>(value);
    const bool punctuation = (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) ||
                             (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
    return c == ' ' || punctuation || IsCodePageAlphaNumeric(c);
}

bool KeyTypesInEditField(int32_t virtualKey) {
    const int32_t k = virtualKey;
    return k == VK_BACK || k == VK_SPACE || (k >= '0' && k <= '9') || (k >= 'A' && k <= 'Z') ||
           (k >= VK_NUMPAD0 && k <= VK_DIVIDE) || (k >= VK_OEM_1 && k <= VK_OEM_3) ||
           (k >= VK_OEM_4 && k <= VK_OEM_8) || k == VK_OEM_102;
}
