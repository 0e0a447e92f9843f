// Short cuts as text: the key names menus show next to their items.
#include <utility>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Menus.h"

namespace {

const std::pair<WORD, const char16_t*> kKeyNames[] = {
    {VK_BACK, u"BkSp"},   {VK_TAB, u"Tab"},     {VK_ESCAPE, u"Esc"},  {VK_RETURN, u"Enter"},
    {VK_SPACE, u"Space"}, {VK_PRIOR, u"PgUp"},  {VK_NEXT, u"PgDn"},   {VK_END, u"End"},
    {VK_HOME, u"Home"},   {VK_LEFT, u"Left"},   {VK_UP, u"Up"},       {VK_RIGHT, u"Right"},
    {VK_DOWN, u"Down"},   {VK_INSERT, u"Ins"},  {VK_DELETE, u"Del"},
};

String KeyName(WORD key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return String(1, static_cast<char16_t>(key));
  if (key >= VK_F1 && key <= VK_F1 + 11) return u"F" + IntToStr(key - VK_F1 + 1);
  for (const auto& [code, name] : kKeyNames)
    if (code == key) return name;
  return String();
}

}  // namespace

String ShortCutToText(TShortCut shortCut) {
  String name = KeyName(static_cast<WORD>(shortCut & 0xFF));
  if (name.empty()) return String();
  String text;
  if (shortCut & scShift) text += u"Shift+";
  if (shortCut & scCtrl) text += u"Ctrl+";
  if (shortCut & scAlt) text += u"Alt+";
  return text + name;
}

TShortCut TextToShortCut(const String& text) {
  String rest = AnsiUpperCase(text);
  TShortCut modifiers = 0;
  for (;;) {
    if (rest.rfind(u"SHIFT+", 0) == 0) {
      modifiers |= scShift;
      rest.erase(0, 6);
    } else if (rest.rfind(u"CTRL+", 0) == 0) {
      modifiers |= scCtrl;
      rest.erase(0, 5);
    } else if (rest.rfind(u"ALT+", 0) == 0) {
      modifiers |= scAlt;
      rest.erase(0, 4);
    } else {
      break;
    }
  }
  if (rest.empty()) return scNone;
  for (int key = 1; key < 256; ++key)
    if (AnsiUpperCase(KeyName(static_cast<WORD>(key))) == rest) return static_cast<TShortCut>(modifiers | key);
  return scNone;
}
