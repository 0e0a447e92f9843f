// The X key symbols a keyboard sends, as the window layer's virtual keys and as characters.
#include <gtest/gtest.h>

#include "platform/win/VirtualKeys.h"

#include "platform/win/X11Connection.h"
#include <X11/keysym.h>

namespace {

TEST(X11Keys, KeySymsMapToTheVirtualKeysOfTheirPlace) {
  struct TCase {
    KeySym Sym;
    uint16_t Key;
  };
  const TCase cases[] = {
      {XK_a, 'A'},          {XK_Z, 'Z'},           {XK_0, '0'},
      {XK_9, '9'},          {XK_F1, VK_F1},        {XK_F12, VK_F12},
      {XK_Return, VK_RETURN}, {XK_KP_Enter, VK_RETURN}, {XK_BackSpace, VK_BACK},
      {XK_ISO_Left_Tab, VK_TAB}, {XK_Escape, VK_ESCAPE}, {XK_Delete, VK_DELETE},
      {XK_Left, VK_LEFT},   {XK_Next, VK_NEXT},    {XK_KP_Home, VK_HOME},
      {XK_KP_7, VK_NUMPAD0 + 7}, {XK_KP_Decimal, VK_DECIMAL}, {XK_Shift_R, VK_SHIFT},
      {XK_Control_L, VK_CONTROL}, {XK_Alt_L, VK_MENU}, {XK_comma, VK_OEM_COMMA},
      {XK_question, VK_OEM_2}, {XK_braceleft, VK_OEM_4}, {XK_apostrophe, VK_OEM_7},
      // Keys the layer has no virtual key for.
      {XK_ISO_Level3_Shift, 0}, {XK_Cyrillic_a, 0}, {XK_dead_acute, 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(VirtualKeyOfKeySym(c.Sym), c.Key) << XKeysymToString(c.Sym);
}

TEST(X11Keys, KeySymsTypeTheirCharacters) {
  struct TCase {
    KeySym Sym;
    char32_t Char;
  };
  const TCase cases[] = {
      {XK_a, U'a'},
      {XK_asciitilde, U'~'},
      {XK_eacute, U'é'},
      {XK_ydiaeresis, U'ÿ'},
      // The Cyrillic symbols follow an old eight-bit order, not Unicode's.
      {XK_Cyrillic_yu, U'ю'},
      {XK_Cyrillic_a, U'а'},
      {XK_Cyrillic_pe, U'п'},
      {XK_Cyrillic_ya, U'я'},
      {XK_Cyrillic_hardsign, U'ъ'},
      {XK_Cyrillic_YU, U'Ю'},
      {XK_Cyrillic_PE, U'П'},
      {XK_Cyrillic_HARDSIGN, U'Ъ'},
      {XK_Cyrillic_io, U'ё'},
      {XK_Cyrillic_IO, U'Ё'},
      // Symbols that name a Unicode character directly, beyond the first plane too.
      {0x1000416, U'Ж'},
      {0x101f600, U'\U0001F600'},
      // Keys that type nothing.
      {XK_Shift_L, 0},
      {XK_F5, 0},
      {XK_BackSpace, 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(UnicodeOfKeySym(c.Sym), c.Char) << std::hex << c.Sym;
}

}  // namespace
