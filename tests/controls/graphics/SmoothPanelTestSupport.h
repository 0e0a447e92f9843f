// A form with smooth panels on a headless session: panels added at a place, a paint of a panel
// watched by the GDI+ call log, and presses on a panel by synthetic input.
#pragma once

#include <gtest/gtest.h>

#include "controls/graphics/AdvSmoothExpanderButtonPanel.h"
#include "tests/controls/graphics/SmoothTestSupport.h"
#include "tests/support/UiTestSupport.h"

namespace smoothtest {

class TSmoothPanelTest : public uitest::TUiTest {
 public:
  TSmoothPanelTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 600, 420);
  }
  template <class T = TAdvSmoothPanel>
  T* Add(TRect bounds) {
    auto* panel = new T(Form);
    panel->SetBoundsRect(bounds);
    panel->SetParent(Form);
    return panel;
  }
  void Show() {
    if (!Form->Visible()) Form->Show();
  }
  // The calls one paint of the panel makes (it is shown first).
  TGPCallLog Painted(TWinControl* panel) {
    Show();
    TGPCallLog log;
    TGPCallLogScope scope(log);
    panel->Repaint();
    return log;
  }
  // How many calls of the log draw this text.
  static int TextCalls(const TGPCallLog& log, const String& text) {
    int n = 0;
    for (const TGPCall& call : log.Named("GdipDrawString")) n += call.Text == text;
    return n;
  }
  static void Press(TPoint screen) {
    InjectMouseMove(screen);
    InjectMouseButton(TMouseButtonId::Left, true, screen);
  }
  static void Release(TPoint screen) {
    InjectMouseMove(screen);
    InjectMouseButton(TMouseButtonId::Left, false, screen);
  }
  static TPoint At(TControl* control, int x, int y) { return control->ClientToScreen({x, y}); }

  TForm* Form = nullptr;
};

}  // namespace smoothtest
