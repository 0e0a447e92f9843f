// The keyboard on X: key codes become the window layer's virtual keys, and the text a key types
// (through the input method, so any layout, Cyrillic included, types what it shows) becomes
// characters. A key whose text the window layer's own layout would type from its virtual key goes
// in as the key, so shortcuts, dialog keys and the characters come the usual way; a key that
// types something else (another alphabet, a dead key's result) goes in as its characters.
#include <algorithm>

#include "platform/rtl/UnicodeText.h"
#include "platform/win/Input.h"
#include "platform/win/Keyboard.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WindowSystem.h"

#include "platform/win/X11Connection.h"
#include <X11/keysym.h>

namespace {

struct TKeyPair {
  KeySym Sym;
  uint16_t Key;
};

const TKeyPair KeyTable[] = {
    {XK_BackSpace, VK_BACK},     {XK_Tab, VK_TAB},           {XK_ISO_Left_Tab, VK_TAB},
    {XK_Clear, VK_CLEAR},        {XK_Return, VK_RETURN},     {XK_KP_Enter, VK_RETURN},
    {XK_Shift_L, VK_SHIFT},      {XK_Shift_R, VK_SHIFT},     {XK_Control_L, VK_CONTROL},
    {XK_Control_R, VK_CONTROL},  {XK_Alt_L, VK_MENU},        {XK_Alt_R, VK_MENU},
    {XK_Meta_L, VK_MENU},        {XK_Meta_R, VK_MENU},       {XK_Pause, VK_PAUSE},
    {XK_Caps_Lock, VK_CAPITAL},  {XK_Escape, VK_ESCAPE},     {XK_space, VK_SPACE},
    {XK_Prior, VK_PRIOR},        {XK_Next, VK_NEXT},         {XK_End, VK_END},
    {XK_Home, VK_HOME},          {XK_Left, VK_LEFT},         {XK_Up, VK_UP},
    {XK_Right, VK_RIGHT},        {XK_Down, VK_DOWN},         {XK_Select, VK_SELECT},
    {XK_Print, VK_SNAPSHOT},     {XK_Execute, VK_EXECUTE},   {XK_Insert, VK_INSERT},
    {XK_Delete, VK_DELETE},      {XK_Help, VK_HELP},         {XK_Super_L, VK_LWIN},
    {XK_Super_R, VK_RWIN},       {XK_Menu, VK_APPS},         {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},         {XK_KP_Separator, VK_SEPARATOR},
    {XK_KP_Subtract, VK_SUBTRACT}, {XK_KP_Decimal, VK_DECIMAL}, {XK_KP_Divide, VK_DIVIDE},
    {XK_KP_Home, VK_HOME},       {XK_KP_End, VK_END},        {XK_KP_Prior, VK_PRIOR},
    {XK_KP_Next, VK_NEXT},       {XK_KP_Left, VK_LEFT},      {XK_KP_Right, VK_RIGHT},
    {XK_KP_Up, VK_UP},           {XK_KP_Down, VK_DOWN},      {XK_KP_Insert, VK_INSERT},
    {XK_KP_Delete, VK_DELETE},   {XK_KP_Begin, VK_CLEAR},    {XK_Num_Lock, VK_NUMLOCK},
    {XK_Scroll_Lock, VK_SCROLL}, {XK_semicolon, VK_OEM_1},   {XK_colon, VK_OEM_1},
    {XK_equal, VK_OEM_PLUS},     {XK_plus, VK_OEM_PLUS},     {XK_comma, VK_OEM_COMMA},
    {XK_less, VK_OEM_COMMA},     {XK_minus, VK_OEM_MINUS},   {XK_underscore, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD},  {XK_greater, VK_OEM_PERIOD}, {XK_slash, VK_OEM_2},
    {XK_question, VK_OEM_2},     {XK_grave, VK_OEM_3},       {XK_asciitilde, VK_OEM_3},
    {XK_bracketleft, VK_OEM_4},  {XK_braceleft, VK_OEM_4},   {XK_backslash, VK_OEM_5},
    {XK_bar, VK_OEM_5},          {XK_bracketright, VK_OEM_6}, {XK_braceright, VK_OEM_6},
    {XK_apostrophe, VK_OEM_7},   {XK_quotedbl, VK_OEM_7},
};

// The Cyrillic key symbols 0x6c0..0x6df name the small letters in the order of the old Russian
// eight-bit code; 0x6e0..0x6ff are their capitals in the same order.
constexpr char16_t CyrillicOrder[] = u"юабцдефгхийклмнопярстужвьызшэщчъ";

bool IsKeypad(KeySym sym) { return sym >= XK_KP_Space && sym <= XK_KP_Equal; }

}  // namespace

uint16_t VirtualKeyOfKeySym(KeySym sym) {
  if (sym >= XK_a && sym <= XK_z) return static_cast<uint16_t>('A' + (sym - XK_a));
  if (sym >= XK_A && sym <= XK_Z) return static_cast<uint16_t>(sym);
  if (sym >= XK_0 && sym <= XK_9) return static_cast<uint16_t>(sym);
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return static_cast<uint16_t>(VK_NUMPAD0 + (sym - XK_KP_0));
  if (sym >= XK_F1 && sym <= XK_F12) return static_cast<uint16_t>(VK_F1 + (sym - XK_F1));
  for (const TKeyPair& pair : KeyTable)
    if (pair.Sym == sym) return pair.Key;
  return 0;
}

char32_t UnicodeOfKeySym(KeySym sym) {
  if ((sym >= 0x20 && sym <= 0x7e) || (sym >= 0xa0 && sym <= 0xff))
    return static_cast<char32_t>(sym);
  if (sym >= 0x1000100 && sym <= 0x110ffff) return static_cast<char32_t>(sym - 0x1000000);
  if (sym >= 0x6c0 && sym <= 0x6df) return CyrillicOrder[sym - 0x6c0];
  if (sym >= 0x6e0 && sym <= 0x6ff) {
    char16_t small = CyrillicOrder[sym - 0x6e0];
    return static_cast<char32_t>(small - 0x20);  // а..я -> А..Я
  }
  if (sym == 0x6a3) return U'ё';
  if (sym == 0x6b3) return U'Ё';
  return 0;
}

namespace {

// The text a key press types, in UTF-16, and the key symbol the lookup found.
String LookUpText(TX11Window* window, XKeyEvent& event, KeySym& sym) {
  char buffer[64];
  sym = NoSymbol;
  if (window && window->InputContext()) {
    Status status = 0;
    int length = Xutf8LookupString(window->InputContext(), &event, buffer, sizeof buffer - 1,
                                   &sym, &status);
    if (status == XBufferOverflow) {
      std::string big(static_cast<size_t>(length), '\0');
      length = Xutf8LookupString(window->InputContext(), &event, big.data(), length, &sym,
                                 &status);
      return status == XLookupChars || status == XLookupBoth
                 ? UTF8ToString(std::string_view(big.data(), static_cast<size_t>(length)))
                 : String();
    }
    if (status == XLookupChars || status == XLookupBoth)
      return UTF8ToString(std::string_view(buffer, static_cast<size_t>(std::max(length, 0))));
    return String();
  }
  // Without an input method: the key symbol alone says which character.
  XLookupString(&event, buffer, sizeof buffer - 1, &sym, nullptr);
  char32_t ch = UnicodeOfKeySym(sym);
  if (!ch) {
    // Control characters (Ctrl+letter) come from the plain lookup.
    unsigned char first = static_cast<unsigned char>(buffer[0]);
    return first && first < 0x20 ? String(1, static_cast<char16_t>(first)) : String();
  }
  String text;
  if (ch > 0xffff) {
    ch -= 0x10000;
    text += static_cast<char16_t>(0xd800 + (ch >> 10));
    text += static_cast<char16_t>(0xdc00 + (ch & 0x3ff));
  } else {
    text += static_cast<char16_t>(ch);
  }
  return text;
}

bool OnlyControlCharacters(const String& text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x20 || c == 0x7f; });
}

}  // namespace

void FeedKeyEvent(TX11Connection& x, TX11Window* window, XKeyEvent& event) {
  if (event.type == KeyRelease) {
    auto it = x.KeysDown.find(event.keycode);
    if (it == x.KeysDown.end()) return;
    InjectKey(it->second, false);
    x.KeysDown.erase(it);
    x.Fed = true;
    return;
  }
  KeySym sym = NoSymbol;
  String text = LookUpText(window, event, sym);
  // The virtual key is the key's place on the keyboard: the symbol of its first level in the
  // first group (a letter key is that letter's key whatever the layout types), except on the
  // keypad, where Num Lock decides.
  KeySym base = XLookupKeysym(&event, 0);
  uint16_t key = VirtualKeyOfKeySym(IsKeypad(sym) ? sym : base);
  if (!key && sym != NoSymbol) key = VirtualKeyOfKeySym(sym);
  bool asKey = key != 0;
  // With Ctrl or Alt held the key is a shortcut whatever the layout types.
  bool shortcut = (event.state & (ControlMask | Mod1Mask)) != 0;
  if (asKey && !shortcut && !text.empty() && !OnlyControlCharacters(text)) {
    // The window layer turns the key into a character itself: only when it would type the
    // same one does the key stand for the text.
    uint8_t state[256];
    std::copy(std::begin(WindowSystem().AsyncKeyState), std::end(WindowSystem().AsyncKeyState),
              state);
    state[key] |= 0x80;
    asKey = text.size() == 1 && CharFromKey(key, state) == text[0];
  }
  if (asKey) {
    InjectKey(key, true);
    x.KeysDown[event.keycode] = key;
    x.Fed = true;
    return;
  }
  for (char16_t ch : text)
    if (ch >= 0x20 && ch != 0x7f) {
      InjectChar(ch);
      x.Fed = true;
    }
}

void ReleaseKeysDown(TX11Connection& x) {
  for (auto& [code, key] : x.KeysDown) InjectKey(key, false);
  if (!x.KeysDown.empty()) x.Fed = true;
  x.KeysDown.clear();
}
