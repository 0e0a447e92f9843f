// The program on a real X server, as a person uses it: an Xvfb server started for these tests,
// keys and clicks synthesized on the server (XTest), the window read back from the server, and the
// clipboard shared with another client (xclip).
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Timer.h"
#include "platform/win/WinApi.h"
// Last: the X headers define names (KeyPress, None) that the class library uses.
#include "tests/support/X11Gui.h"

namespace {

using namespace x11gui;
using X11Gui = TX11GuiTest;

// The demonstration form: an edit, a button that copies the edit's text into a label.
struct TDemoForm {
  explicit TDemoForm(int left = 60, int top = 50) {
    Application->CreateForm(Form);
    Form->SetCaption(u"Демонстрация");
    Form->SetBounds(left, top, 420, 220);
    Edit = new TEdit(Form);
    Edit->SetBounds(16, 16, 260, 26);
    Edit->SetParent(Form);
    Button = new TButton(Form);
    Button->SetBounds(290, 16, 100, 28);
    Button->SetCaption(u"Показать");
    Button->SetParent(Form);
    Label = new TLabel(Form);
    Label->SetBounds(16, 70, 380, 40);
    Label->SetParent(Form);
    Button->OnClick = [this](TObject*) {
      ++Clicks;
      Label->SetCaption(Edit->Text());
    };
  }
  TForm* Form = nullptr;
  TEdit* Edit = nullptr;
  TButton* Button = nullptr;
  TLabel* Label = nullptr;
  int Clicks = 0;
};

TEST_F(X11Gui, CyrillicTypedAndAButtonClickedOnTheServerReachTheForm) {
  TDemoForm demo;
  demo.Form->Show();
  Window window = XWindowOf(demo.Form);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));

  // The window manager's title is the form's caption, in UTF-8.
  Atom utf8 = XInternAtom(Test, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* title = nullptr;
  XGetWindowProperty(Test, window, XInternAtom(Test, "_NET_WM_NAME", False), 0, 256, False, utf8,
                     &type, &format, &count, &after, &title);
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(title), count), "Демонстрация");
  XFree(title);

  // The focus goes to the edit by a click in it; the server's keyboard types into it.
  ClickAt(RootPointOf(demo.Form, demo.Edit, {20, 13}));
  ASSERT_TRUE(PumpUntil([&] { return demo.Edit->Focused(); }));
  for (KeySym sym : {XK_Cyrillic_PE, XK_Cyrillic_er, XK_Cyrillic_i, XK_Cyrillic_ve,
                     XK_Cyrillic_ie, XK_Cyrillic_te, XK_space, XK_4, XK_2})
    PressKeySym(sym);
  // Shifted Latin letters type once each, as capitals.
  PressWith(XK_Shift_L, XK_o);
  PressKeySym(XK_k);
  ASSERT_TRUE(PumpUntil([&] { return demo.Edit->Text() == u"Привет 42Ok"; }))
      << UTF8Encode(demo.Edit->Text());
  // Keys that edit are keys: Backspace takes the last character.
  PressKeySym(XK_BackSpace);
  ASSERT_TRUE(PumpUntil([&] { return demo.Edit->Text() == u"Привет 42O"; }))
      << UTF8Encode(demo.Edit->Text());
  EXPECT_TRUE(demo.Label->Caption().empty());

  ClickAt(RootPointOf(demo.Form, demo.Button, {50, 14}));
  ASSERT_TRUE(PumpUntil([&] { return demo.Clicks == 1; }));
  EXPECT_EQ(demo.Label->Caption(), u"Привет 42O");

  // The window shows what the program painted: the form's face, the edit's white field with
  // the typed text, and the label's text, which only the click put there.
  PumpBriefly();
  std::string path = ScreenshotPath("x11-demo-form.png");
  cairo_surface_t* shot = Screenshot(Test, window, path);
  ASSERT_NE(shot, nullptr) << "no screenshot at " << path;
  EXPECT_EQ(cairo_image_surface_get_width(shot), demo.Form->ClientWidth());
  EXPECT_EQ(cairo_image_surface_get_height(shot), demo.Form->ClientHeight());
  EXPECT_EQ(PixelAt(shot, 8, demo.Form->ClientHeight() - 8), Rgb(demo.Form->Color()));
  EXPECT_EQ(PixelAt(shot, 16 + 250, 16 + 13), Rgb(clWindow))
      << "the edit's field, right of its text";
  EXPECT_GT(DarkPixels(shot, {20, 18, 270, 40}), 20) << "the typed text in the edit";
  EXPECT_GT(DarkPixels(shot, {16, 70, 396, 110}), 20) << "the label's text";
  EXPECT_EQ(DarkPixels(shot, {16, 130, 396, demo.Form->ClientHeight() - 4}), 0)
      << "nothing below the label";
  cairo_surface_destroy(shot);
}

TEST_F(X11Gui, TheWindowManagersCloseClosesTheFormAndOwnedFormsAreTransient) {
  TDemoForm main;
  main.Form->Show();
  TForm* second = nullptr;
  Application->CreateForm(second);
  second->SetBounds(200, 200, 300, 150);
  int closes = 0;
  second->OnClose = [&](TObject*, TCloseAction&) { ++closes; };
  second->Show();
  Window mainWindow = XWindowOf(main.Form);
  Window secondWindow = XWindowOf(second);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(mainWindow) && Viewable(secondWindow); }));

  Window owner = 0;
  ASSERT_TRUE(XGetTransientForHint(Test, secondWindow, &owner));
  EXPECT_EQ(owner, mainWindow);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(Test, secondWindow, &attributes));
  EXPECT_FALSE(attributes.override_redirect);

  // What the window manager sends when its close button is pressed.
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = secondWindow;
  close.xclient.message_type = XInternAtom(Test, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(Test, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(Test, secondWindow, False, NoEventMask, &close);
  XSync(Test, False);
  ASSERT_TRUE(PumpUntil([&] { return !second->Visible(); }));
  EXPECT_EQ(closes, 1);
  ASSERT_TRUE(PumpUntil([&] { return !Viewable(secondWindow); }));
  EXPECT_TRUE(main.Form->Visible());
}

TEST_F(X11Gui, AModalFormIsAModalDialogOfItsOwnerAndHasTheFocus) {
  TDemoForm main;
  main.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return Viewable(XWindowOf(main.Form)); }));
  TForm* dialog = nullptr;
  Application->CreateForm(dialog);
  dialog->SetBorderStyle(bsDialog);
  dialog->SetBounds(150, 120, 260, 120);
  Window transientFor = 0;
  bool modal = false, focused = false;
  int ticks = 0;
  // The checks run inside the modal form's own loop; they end it once the server shows the
  // form focused (or after a long while, when it never does).
  auto* timer = new TTimer(dialog);
  timer->SetInterval(20);
  timer->SetOnTimer([&](TObject*) {
    Window window = XWindowOf(dialog);
    if (++ticks > 500) dialog->SetModalResult(mrCancel);
    if (!window || !Viewable(window)) return;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(Test, &focus, &revert);
    if (focus != window) return;
    focused = true;
    XGetTransientForHint(Test, window, &transientFor);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(Test, window, XInternAtom(Test, "_NET_WM_STATE", False), 0, 16, False,
                       XA_ATOM, &type, &format, &count, &after, &data);
    Atom modalState = XInternAtom(Test, "_NET_WM_STATE_MODAL", False);
    for (unsigned long i = 0; data && i < count; ++i)
      if (reinterpret_cast<Atom*>(data)[i] == modalState) modal = true;
    if (data) XFree(data);
    dialog->SetModalResult(mrOk);
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_TRUE(focused);
  EXPECT_EQ(transientFor, XWindowOf(main.Form));
  EXPECT_TRUE(modal);
  // The owner has the focus back once the modal form is gone.
  Window mainWindow = XWindowOf(main.Form);
  EXPECT_TRUE(PumpUntil([&] {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(Test, &focus, &revert);
    return focus == mainWindow;
  }));
}

TEST_F(X11Gui, TheWheelScrollsAndTwoQuickClicksAreADoubleClick) {
  TDemoForm demo;
  auto* list = new TListBox(demo.Form);
  list->SetBounds(16, 60, 200, 100);
  list->SetParent(demo.Form);
  for (int i = 0; i < 60; ++i) list->Items()->Add(u"строка " + IntToStr(i));
  int doubleClicks = 0;
  demo.Form->OnDblClick = [&](TObject*) { ++doubleClicks; };
  demo.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return Viewable(XWindowOf(demo.Form)); }));

  // The wheel turns what has the focus.
  list->SetFocus();
  TPoint overList = RootPointOf(demo.Form, list, {50, 50});
  XTestFakeMotionEvent(Test, -1, overList.X, overList.Y, CurrentTime);
  for (unsigned button : {5u, 5u}) {  // two notches towards the user
    XTestFakeButtonEvent(Test, button, True, CurrentTime);
    XTestFakeButtonEvent(Test, button, False, CurrentTime);
  }
  XSync(Test, False);
  ASSERT_TRUE(PumpUntil([&] { return list->TopIndex() > 0; }));
  int scrolled = list->TopIndex();
  XTestFakeButtonEvent(Test, 4, True, CurrentTime);  // one notch back
  XTestFakeButtonEvent(Test, 4, False, CurrentTime);
  XSync(Test, False);
  ASSERT_TRUE(PumpUntil([&] { return list->TopIndex() < scrolled; }));

  TPoint empty = RootPointOf(demo.Form, demo.Form, {300, 150});
  ClickAt(empty);
  ClickAt(empty);
  ASSERT_TRUE(PumpUntil([&] { return doubleClicks == 1; }));
}

TEST_F(X11Gui, ADropDownListIsAPopupTheWindowManagerLeavesAlone) {
  TDemoForm demo;
  auto* combo = new TComboBox(demo.Form);
  combo->SetBounds(16, 120, 200, 24);
  combo->SetParent(demo.Form);
  combo->Items()->Add(u"один");
  combo->Items()->Add(u"два");
  demo.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return Viewable(XWindowOf(demo.Form)); }));
  combo->SetFocus();
  combo->SetDroppedDown(true);
  ASSERT_TRUE(combo->DroppedDown());
  std::vector<Window> popups;
  auto findPopups = [&] {
    popups.clear();
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(Test, DefaultRootWindow(Test), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a;
      if (XGetWindowAttributes(Test, children[i], &a) && a.override_redirect &&
          a.map_state == IsViewable)
        popups.push_back(children[i]);
    }
    if (children) XFree(children);
    return !popups.empty();
  };
  ASSERT_TRUE(PumpUntil(findPopups));
  EXPECT_EQ(popups.size(), 1u);
  combo->SetDroppedDown(false);
  ASSERT_TRUE(PumpUntil([&] { return !findPopups(); }));
}

TEST_F(X11Gui, TextAndNamedFormatsGoBothWaysThroughTheClipboardSelection) {
  TDemoForm demo;
  demo.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return Viewable(XWindowOf(demo.Form)); }));

  // The person copies with the keyboard's shortcuts: another client reads the text.
  demo.Edit->SetText(u"Копия из программы");
  ClickAt(RootPointOf(demo.Form, demo.Edit, {20, 13}));
  ASSERT_TRUE(PumpUntil([&] { return demo.Edit->Focused(); }));
  PressWith(XK_Control_L, XK_a);
  PressWith(XK_Control_L, XK_c);
  ASSERT_TRUE(PumpUntil([&] { return X11->OwnsClipboardSelection(); }));
  EXPECT_EQ(demo.Edit->Text(), u"Копия из программы") << "the shortcuts typed nothing";
  bool ok = false;
  EXPECT_EQ(RunClient({XclipPath, "-o", "-selection", "clipboard"}, "", ok), "Копия из программы");
  EXPECT_TRUE(ok);

  // The program's own format is a target of its own name, next to the text.
  UINT cells = RegisterClipboardFormat(u"Records Grid Cells");
  TBytes cellBytes{'a', '\t', 'b', 0, 0xff, '\n'};
  Clipboard()->Open();
  Clipboard()->SetAsText(u"a\tb");
  Clipboard()->SetAsBytes(cells, cellBytes);
  Clipboard()->Close();
  PumpBriefly();
  std::string targets = RunClient({XclipPath, "-o", "-selection", "clipboard", "-t", "TARGETS"},
                                  "", ok);
  EXPECT_NE(targets.find("UTF8_STRING"), std::string::npos) << targets;
  EXPECT_NE(targets.find("Records Grid Cells"), std::string::npos) << targets;
  std::string read = RunClient(
      {XclipPath, "-o", "-selection", "clipboard", "-t", "Records Grid Cells"}, "", ok);
  EXPECT_EQ(TBytes(read.begin(), read.end()), cellBytes);
  EXPECT_EQ(RunClient({XclipPath, "-o", "-selection", "clipboard"}, "", ok), "a\tb");

  // Another client copies: the program pastes its text.
  RunClient({XclipPath, "-i", "-selection", "clipboard"}, "Вставка из xclip", ok);
  ASSERT_TRUE(ok);
  ASSERT_TRUE(PumpUntil([&] { return !X11->OwnsClipboardSelection() &&
                                     Clipboard()->AsText() == u"Вставка из xclip"; }))
      << UTF8Encode(Clipboard()->AsText());
  EXPECT_FALSE(Clipboard()->HasFormat(cells)) << "what the program copied before is gone";
  PressWith(XK_Control_L, XK_a);
  PressWith(XK_Control_L, XK_v);
  ASSERT_TRUE(PumpUntil([&] { return demo.Edit->Text() == u"Вставка из xclip"; }))
      << UTF8Encode(demo.Edit->Text());

  // And the program's format, from another client, arrives as that format.
  std::string foreign("x\ty\nz", 5);
  RunClient({XclipPath, "-i", "-selection", "clipboard", "-t", "Records Grid Cells"}, foreign, ok);
  ASSERT_TRUE(ok);
  ASSERT_TRUE(PumpUntil([&] { return Clipboard()->HasFormat(cells); }));
  EXPECT_EQ(Clipboard()->AsBytes(cells), TBytes(foreign.begin(), foreign.end()));
}

}  // namespace
