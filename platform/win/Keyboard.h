// The keyboard layout of the window layer: a US keyboard. It gives key messages their scan codes
// (some components read them: the numeric keypad's decimal key has bit 22 of the key data set)
// and turns key presses into characters for TranslateMessage.
#pragma once

#include <cstdint>

struct TKeyCode {
  uint8_t Scan = 0;
  bool Extended = false;
};

TKeyCode ScanCodeOf(uint16_t virtualKey);
// The character a key press types with the given key state (Shift, Ctrl, Caps Lock, Num Lock);
// 0 when it types none.
char16_t CharFromKey(uint16_t virtualKey, const uint8_t keyState[256]);
// The key (and whether Shift is needed) that types an ASCII character; 0 when none does.
uint16_t KeyForChar(char16_t ch, bool* shift);
