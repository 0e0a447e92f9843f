// A form for the grid's cell editors on a headless session: keys and mouse through the message
// loop, the drawing calls of one paint, and the locale settings put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/VirtualKeys.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"
#include "tests/support/UiTestSupport.h"

namespace grideditor_test {

class TEditorTest : public uitest::TUiTest {
 public:
  TEditorTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 500, 300);
  }
  template <class T>
  T* Add(TRect bounds) {
    auto* control = new T(Form);
    control->SetBoundsRect(bounds);
    control->SetParent(Form);
    return control;
  }
  void Focus(TWinControl* control) {
    if (!Form->Visible()) Form->Show();
    control->SetFocus();
  }
  void TypeKeys(const String& text) {
    Script().Then([text] { Type(text); });
    RunScript();
  }
  void TypeChar(char16_t ch) {
    Script().Then([ch] { InjectChar(ch); });
    RunScript();
  }
  void PressKey(uint16_t key) {
    Script().Then([key] { Key(key); });
    RunScript();
  }
  void PressWith(uint16_t modifier, uint16_t key) {
    Script().Then([modifier, key] {
      InjectKey(modifier, true);
      Key(key);
      InjectKey(modifier, false);
    });
    RunScript();
  }
  void MoveMouse(TPoint screen) {
    Script().Then([screen] { InjectMouseMove(screen); });
    RunScript();
  }
  void MouseButton(bool down, TPoint screen) {
    Script().Then([down, screen] { InjectMouseButton(TMouseButtonId::Left, down, screen); });
    RunScript();
  }
  void ClickOn(TPoint screen) {
    Script().Then([screen] { ClickAt(screen); });
    RunScript();
  }
  void Wait(uint64_t milliseconds) {
    Script().AdvanceBy(milliseconds);
    RunScript();
  }
  // The drawing calls one paint of the control makes.
  static TDrawingLog PaintLog(TWinControl* control) {
    TDrawingLog log;
    HDC dc = CreateRecordingDC(control->Width(), control->Height(), &log);
    control->PaintTo(dc, 0, 0);
    DeleteDC(dc);
    return log;
  }
  // The colours FillRect used, in order.
  static std::vector<COLORREF> Fills(const TDrawingLog& log) {
    std::vector<COLORREF> colors;
    for (const TDrawingCall& call : log.Named("FillRect")) colors.push_back(call.BrushColor);
    return colors;
  }
  static bool Filled(const TDrawingLog& log, TColor color) {
    for (COLORREF c : Fills(log))
      if (c == ColorToRGB(color)) return true;
    return false;
  }

  TFormatSettingsGuard Settings;
  TForm* Form = nullptr;
};

}  // namespace grideditor_test
