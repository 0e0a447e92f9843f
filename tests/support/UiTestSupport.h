// A fixture for tests of forms and controls: a headless session of the class library per test,
// synthetic input aimed at controls, a script step that answers the message box on screen, and a
// log of events in the order they fire.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"
#include "platform/ui/UiSession.h"
#include "platform/win/Input.h"
#include "platform/win/Keyboard.h"

namespace uitest {

class TUiTest : public ::testing::Test {
 public:
  THeadlessBackEnd& Script() { return Session.Headless(); }

  // Runs the application's loop until the script has no step left and no message waits.
  void RunScript() {
    for (;;) {
      Application->ProcessMessages();
      if (Script().StepsLeft() == 0) return;
      WaitMessage();
    }
  }

  // --- Synthetic input (call inside script steps, or before RunScript) ---
  static TPoint CenterOf(TControl* control) {
    return control->ClientToScreen({control->Width() / 2, control->Height() / 2});
  }
  static TPoint CenterOf(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }
  static void ClickAt(TPoint screen) {
    InjectMouseMove(screen);
    InjectMouseButton(TMouseButtonId::Left, true, screen);
    InjectMouseButton(TMouseButtonId::Left, false, screen);
  }
  static void Click(TControl* control) { ClickAt(CenterOf(control)); }
  static void Key(uint16_t key, bool shift = false) {
    if (shift) InjectKey(VK_SHIFT, true);
    InjectKey(key, true);
    InjectKey(key, false);
    if (shift) InjectKey(VK_SHIFT, false);
  }
  static void Type(const String& text) {
    for (char16_t ch : text) {
      bool shift = false;
      uint16_t key = KeyForChar(ch, &shift);
      if (key)
        Key(key, shift);
      else
        InjectChar(ch);
    }
  }

  // --- Message boxes ---
  struct TShownDialog {
    String Caption;
    String Message;
    TMsgDlgType Type;
  };
  // A script step: the message box on screen is answered by clicking the button with this result.
  void AnswerDialog(TModalResult answer) {
    Script().Then([this, answer] {
      auto* box = dynamic_cast<TMessageForm*>(Screen->ActiveCustomForm());
      ASSERT_NE(box, nullptr) << "no message box is active";
      Dialogs.push_back({box->Caption(), box->Message(), box->DialogType()});
      TMessageButton* button = box->ButtonFor(answer);
      ASSERT_NE(button, nullptr) << "the message box has no such button";
      Click(button);
    });
  }

  // --- Events ---
  void Note(const std::string& entry) { Events.push_back(entry); }
  // Logs a form's activation, deactivation, showing, hiding and closing as "<name> <event>".
  void Trace(TCustomForm* form, const std::string& name) {
    form->OnActivate = [this, name](TObject*) { Note(name + " activate"); };
    form->OnDeactivate = [this, name](TObject*) { Note(name + " deactivate"); };
    form->OnShow = [this, name](TObject*) { Note(name + " show"); };
    form->OnHide = [this, name](TObject*) { Note(name + " hide"); };
    form->OnClose = [this, name](TObject*, TCloseAction&) { Note(name + " close"); };
  }
  void TraceFocus(TWinControl* control, const std::string& name) {
    control->OnEnter = [this, name](TObject*) { Note(name + " enter"); };
    control->OnExit = [this, name](TObject*) { Note(name + " exit"); };
  }

  THeadlessUiSession Session;
  std::vector<TShownDialog> Dialogs;
  std::vector<std::string> Events;
};

// A small focusable control that keeps typed text: enough of an edit for forms in tests.
class TTestEdit : public TCustomControl {
 public:
  explicit TTestEdit(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 120, 21);
    SetColor(clWindow);
  }
  String Typed;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    if (CanFocus()) SetFocus();
    TCustomControl::MouseDown(button, shift, x, y);
  }
  void KeyPress(char16_t& key) override {
    TCustomControl::KeyPress(key);
    if (key >= 32) Typed += key;
  }
  void Dispatch(TMessage& message) override {
    if (message.Msg == WM_GETDLGCODE) {
      message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
      return;
    }
    TCustomControl::Dispatch(message);
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    Canvas()->TextOut(2, 2, Typed);
  }
};

}  // namespace uitest
