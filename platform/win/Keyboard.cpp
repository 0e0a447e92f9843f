#include "platform/win/Keyboard.h"

#include "platform/win/VirtualKeys.h"

namespace {

// The US layout's punctuation keys: key, plain character, shifted character, scan code.
struct TPunctuation {
  uint16_t Key;
  char16_t Plain;
  char16_t Shifted;
  uint8_t Scan;
};
constexpr TPunctuation Punctuation[] = {
    {VK_OEM_1, u';', u':', 0x27},     {VK_OEM_PLUS, u'=', u'+', 0x0D},
    {VK_OEM_COMMA, u',', u'<', 0x33}, {VK_OEM_MINUS, u'-', u'_', 0x0C},
    {VK_OEM_PERIOD, u'.', u'>', 0x34}, {VK_OEM_2, u'/', u'?', 0x35},
    {VK_OEM_3, u'`', u'~', 0x29},     {VK_OEM_4, u'[', u'{', 0x1A},
    {VK_OEM_5, u'\\', u'|', 0x2B},    {VK_OEM_6, u']', u'}', 0x1B},
    {VK_OEM_7, u'\'', u'"', 0x28},    {VK_SPACE, u' ', u' ', 0x39},
};

constexpr char16_t ShiftedDigits[] = u")!@#$%^&*(";
// Scan codes of the letter keys A..Z.
constexpr uint8_t LetterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                    0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                    0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
// Scan codes of the numeric keypad's keys 0..9 (the same keys as Insert, End, Down, ...).
constexpr uint8_t NumpadScan[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};

bool Down(const uint8_t state[256], uint16_t key) { return (state[key] & 0x80) != 0; }

}  // namespace

TKeyCode ScanCodeOf(uint16_t key) {
  if (key >= 'A' && key <= 'Z') return {LetterScan[key - 'A'], false};
  if (key >= '1' && key <= '9') return {static_cast<uint8_t>(0x02 + key - '1'), false};
  if (key == '0') return {0x0B, false};
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return {NumpadScan[key - VK_NUMPAD0], false};
  if (key >= VK_F1 && key <= VK_F10) return {static_cast<uint8_t>(0x3B + key - VK_F1), false};
  for (const TPunctuation& p : Punctuation)
    if (p.Key == key) return {p.Scan, false};
  switch (key) {
    case VK_ESCAPE: return {0x01, false};
    case VK_BACK: return {0x0E, false};
    case VK_TAB: return {0x0F, false};
    case VK_RETURN: return {0x1C, false};
    case VK_CONTROL:
    case VK_LCONTROL: return {0x1D, false};
    case VK_RCONTROL: return {0x1D, true};
    case VK_SHIFT:
    case VK_LSHIFT: return {0x2A, false};
    case VK_RSHIFT: return {0x36, false};
    case VK_MENU:
    case VK_LMENU: return {0x38, false};
    case VK_RMENU: return {0x38, true};
    case VK_CAPITAL: return {0x3A, false};
    case VK_NUMLOCK: return {0x45, true};
    case VK_SCROLL: return {0x46, false};
    case VK_MULTIPLY: return {0x37, false};
    case VK_SUBTRACT: return {0x4A, false};
    case VK_ADD: return {0x4E, false};
    case VK_DECIMAL: return {0x53, false};
    case VK_DIVIDE: return {0x35, true};
    case VK_F11: return {0x57, false};
    case VK_F12: return {0x58, false};
    case VK_HOME: return {0x47, true};
    case VK_UP: return {0x48, true};
    case VK_PRIOR: return {0x49, true};
    case VK_LEFT: return {0x4B, true};
    case VK_RIGHT: return {0x4D, true};
    case VK_END: return {0x4F, true};
    case VK_DOWN: return {0x50, true};
    case VK_NEXT: return {0x51, true};
    case VK_INSERT: return {0x52, true};
    case VK_DELETE: return {0x53, true};
    case VK_LWIN: return {0x5B, true};
    case VK_RWIN: return {0x5C, true};
    case VK_APPS: return {0x5D, true};
    default: return {0, false};
  }
}

char16_t CharFromKey(uint16_t key, const uint8_t state[256]) {
  bool shift = Down(state, VK_SHIFT) || Down(state, VK_LSHIFT) || Down(state, VK_RSHIFT);
  bool ctrl = Down(state, VK_CONTROL) || Down(state, VK_LCONTROL) || Down(state, VK_RCONTROL);
  bool alt = Down(state, VK_MENU) || Down(state, VK_LMENU) || Down(state, VK_RMENU);
  bool caps = (state[VK_CAPITAL] & 1) != 0;
  if (ctrl && alt) return 0;
  if (ctrl) {
    if (key >= 'A' && key <= 'Z') return static_cast<char16_t>(key - 'A' + 1);
    switch (key) {
      case VK_BACK: return 0x7F;
      case VK_RETURN: return 0x0A;
      case VK_ESCAPE: return 0x1B;
      case VK_OEM_4: return 0x1B;
      case VK_OEM_5: return 0x1C;
      case VK_OEM_6: return 0x1D;
      default: return 0;
    }
  }
  if (key >= 'A' && key <= 'Z') {
    bool upper = shift != caps;
    return static_cast<char16_t>(upper ? key : key - 'A' + 'a');
  }
  if (key >= '0' && key <= '9') return shift ? ShiftedDigits[key - '0'] : static_cast<char16_t>(key);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<char16_t>(u'0' + key - VK_NUMPAD0);
  for (const TPunctuation& p : Punctuation)
    if (p.Key == key) return shift ? p.Shifted : p.Plain;
  switch (key) {
    case VK_RETURN: return u'\r';
    case VK_TAB: return u'\t';
    case VK_BACK: return u'\b';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return u'*';
    case VK_ADD: return u'+';
    case VK_SUBTRACT: return u'-';
    case VK_DECIMAL: return u'.';
    case VK_DIVIDE: return u'/';
    default: return 0;
  }
}

uint16_t KeyForChar(char16_t ch, bool* shift) {
  *shift = false;
  if (ch >= u'a' && ch <= u'z') return static_cast<uint16_t>(ch - u'a' + 'A');
  if (ch >= u'A' && ch <= u'Z') {
    *shift = true;
    return ch;
  }
  if (ch >= u'0' && ch <= u'9') return ch;
  for (int i = 0; i < 10; ++i)
    if (ShiftedDigits[i] == ch) {
      *shift = true;
      return static_cast<uint16_t>('0' + i);
    }
  for (const TPunctuation& p : Punctuation) {
    if (p.Plain == ch) return p.Key;
    if (p.Shifted == ch) {
      *shift = true;
      return p.Key;
    }
  }
  switch (ch) {
    case u'\r': return VK_RETURN;
    case u'\t': return VK_TAB;
    case u'\b': return VK_BACK;
    case 0x1B: return VK_ESCAPE;
    default: return 0;
  }
}
