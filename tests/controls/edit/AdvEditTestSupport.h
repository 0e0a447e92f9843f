// A form with enhanced edits on a headless session, run under one of two locales: "." decimals
// with "," thousands, or "," decimals with "." thousands.
#pragma once

#include <gtest/gtest.h>

#include "controls/edit/AdvEdit.h"
#include "platform/rtl/NumberText.h"
#include "platform/ui/Clipbrd.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"
#include "tests/support/UiTestSupport.h"

namespace advedit_test {

struct TLocale {
  char16_t Decimal;
  char16_t Thousand;
  const char* Name;
};

inline const TLocale kDotDecimal{u'.', u',', "DotDecimal"};
inline const TLocale kCommaDecimal{u',', u'.', "CommaDecimal"};

inline void PrintTo(const TLocale& locale, std::ostream* out) { *out << locale.Name; }

// Writes a number text given with "." and "," in the test's locale (swaps them under ",").
inline String InLocale(const String& text, const TLocale& locale) {
  String out = text;
  if (locale.Decimal == u'.') return out;
  for (char16_t& c : out) c = c == u'.' ? u',' : c == u',' ? u'.' : c;
  return out;
}

// Selects from start to end of the window text, the caret at end.
inline void Select(TAdvEdit* edit, int start, int end) {
  edit->SetSelStart(start);
  edit->SetSelLength(end - start);
}

// Where the value ends in the window text.
inline int EndOf(TAdvEdit* edit) {
  return static_cast<int>(edit->Prefix().size() + edit->Text().size());
}

class TAdvEditTest : public uitest::TUiTest {
 public:
  TAdvEditTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 500, 300);
    Edit = Add(u"Edit1", Bounds(160, 40, 200, 24));
    Other = Add(u"Edit2", Bounds(160, 100, 200, 24));
  }
  TAdvEdit* Add(const String& name, TRect bounds) {
    auto* edit = new TAdvEdit(Form);
    edit->SetName(name);
    edit->SetBoundsRect(bounds);
    edit->SetParent(Form);
    return edit;
  }
  void UseLocale(const TLocale& locale) {
    FormatSettings().DecimalSeparator = locale.Decimal;
    FormatSettings().ThousandSeparator = locale.Thousand;
  }
  // Shows the form and gives the edit the focus.
  void Focus(TWinControl* edit) {
    if (!Form->Visible()) Form->Show();
    edit->SetFocus();
  }
  // Keys typed into the focused control through the message loop.
  void TypeKeys(const String& text) {
    Script().Then([text] { Type(text); });
    RunScript();
  }
  void PressKey(uint16_t key, bool shift = false) {
    Script().Then([key, shift] { Key(key, shift); });
    RunScript();
  }
  void PressCtrl(uint16_t key) {
    Script().Then([key] {
      InjectKey(VK_CONTROL, true);
      Key(key);
      InjectKey(VK_CONTROL, false);
    });
    RunScript();
  }
  void Paste(TAdvEdit* edit, const String& text) {
    Clipboard()->SetAsText(text);
    edit->PasteFromClipboard();
  }

  TFormatSettingsGuard Settings;
  TForm* Form = nullptr;
  TAdvEdit* Edit = nullptr;
  TAdvEdit* Other = nullptr;
};

// The same fixture run once under each locale.
class TAdvEditLocaleTest : public TAdvEditTest, public ::testing::WithParamInterface<TLocale> {
 public:
  TAdvEditLocaleTest() { UseLocale(GetParam()); }
  String L(const String& text) { return InLocale(text, GetParam()); }
};

inline std::string LocaleName(const ::testing::TestParamInfo<TLocale>& info) {
  return info.param.Name;
}

}  // namespace advedit_test
