// A form with glow buttons on a headless session: buttons added at a place, their pixels as
// painted, a solid look for pixel checks, and the process-wide fade interval put back after
// each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/graphics/AdvGlowButton.h"
#include "platform/gdi/Gdi.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"
#include "tests/support/UiTestSupport.h"

namespace glowtest {

using namespace AdvGlowButton;

class TGlowButtonTest : public uitest::TUiTest {
 public:
  TGlowButtonTest() {
    AdvGlowButtonTesting::ResetFadeInterval();
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 420, 300);
    Form->SetColor(clFuchsia);
  }
  ~TGlowButtonTest() override { AdvGlowButtonTesting::ResetFadeInterval(); }

  TAdvGlowButton* Add(const String& caption, TRect bounds, const std::string& name = "") {
    auto* button = new TAdvGlowButton(Form);
    button->SetBoundsRect(bounds);
    button->SetCaption(caption);
    button->SetParent(Form);
    if (!name.empty()) button->OnClick = [this, name](TObject*) { Note(name); };
    return button;
  }
  void Show() {
    if (!Form->Visible()) Form->Show();
  }
  // The pixel at a client point of a control, as painted now.
  static COLORREF Pixel(TWinControl* control, int x, int y) {
    HDC dc = GetDC(control->Handle());
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(control->Handle(), dc);
    return c;
  }
  COLORREF Painted(TAdvGlowButton* button, int x, int y) {
    Show();
    button->Repaint();
    return Pixel(button, x, y);
  }
  // Counts the pixels of a client rectangle that match.
  static int Count(TWinControl* control, TRect r, const std::function<bool(COLORREF)>& match) {
    HDC dc = GetDC(control->Handle());
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += match(GetPixel(dc, x, y)) ? 1 : 0;
    ReleaseDC(control->Handle(), dc);
    return n;
  }
  // Every pixel of a client rectangle, row by row.
  static std::vector<COLORREF> Pixels(TWinControl* control, TRect r) {
    std::vector<COLORREF> out;
    HDC dc = GetDC(control->Handle());
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) out.push_back(GetPixel(dc, x, y));
    ReleaseDC(control->Handle(), dc);
    return out;
  }
  // One flat colour for every set, so a pixel tells which look was painted.
  static void Solid(TGlowButtonAppearance* a, TColor normal, TColor hot, TColor down,
                    TColor checked, TColor disabled) {
    auto set = [](auto setColor, auto setTo, auto setMirror, auto setMirrorTo, TColor c) {
      setColor(c);
      setTo(c);
      setMirror(c);
      setMirrorTo(c);
    };
    set([&](TColor c) { a->SetColor(c); }, [&](TColor c) { a->SetColorTo(c); },
        [&](TColor c) { a->SetColorMirror(c); }, [&](TColor c) { a->SetColorMirrorTo(c); }, normal);
    set([&](TColor c) { a->SetColorHot(c); }, [&](TColor c) { a->SetColorHotTo(c); },
        [&](TColor c) { a->SetColorMirrorHot(c); }, [&](TColor c) { a->SetColorMirrorHotTo(c); },
        hot);
    set([&](TColor c) { a->SetColorDown(c); }, [&](TColor c) { a->SetColorDownTo(c); },
        [&](TColor c) { a->SetColorMirrorDown(c); },
        [&](TColor c) { a->SetColorMirrorDownTo(c); }, down);
    set([&](TColor c) { a->SetColorChecked(c); }, [&](TColor c) { a->SetColorCheckedTo(c); },
        [&](TColor c) { a->SetColorMirrorChecked(c); },
        [&](TColor c) { a->SetColorMirrorCheckedTo(c); }, checked);
    set([&](TColor c) { a->SetColorDisabled(c); }, [&](TColor c) { a->SetColorDisabledTo(c); },
        [&](TColor c) { a->SetColorMirrorDisabled(c); },
        [&](TColor c) { a->SetColorMirrorDisabledTo(c); }, disabled);
  }
  static COLORREF Rgb(TColor c) { return ColorToRGB(c); }
  static TPoint At(TControl* control, int x, int y) { return control->ClientToScreen({x, y}); }

  TForm* Form = nullptr;
};

}  // namespace glowtest
