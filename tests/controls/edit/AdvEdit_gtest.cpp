// The enhanced edit on a real X server: labels in five places, the focused, error, disabled and
// empty-text looks, Cyrillic typed through the server's keyboard and pasted from another client.
#include "controls/edit/AdvEdit.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Clipbrd.h"
#include "tests/support/X11Gui.h"

namespace {

using namespace x11gui;
using AdvEdit::TLabelPosition;

class AdvEditGui : public TX11GuiTest {};

struct TEditForm {
  TEditForm() {
    Application->CreateForm(Form);
    Form->SetCaption(u"Уредување");
    Form->SetBounds(40, 40, 620, 360);
    Name = Add(u"Корисничко име ", TLabelPosition::lpLeftCenter, Bounds(150, 20, 200, 24));
    Name->FocusColor = clYellow;
    Error = Add(u"Износ", TLabelPosition::lpTopLeft, Bounds(150, 90, 200, 24));
    Error->ShowError = true;
    Error->OnValueValidate = [](TObject*, String value, bool& valid) { valid = value != u"лошо"; };
    Disabled = Add(u"Оневозможено", TLabelPosition::lpTopCenter, Bounds(150, 160, 200, 24));
    Disabled->SetText(u"сиво");
    Disabled->SetEnabled(false);
    Empty = Add(u"Пребарување", TLabelPosition::lpRightCenter, Bounds(150, 220, 200, 24));
    Empty->SetEmptyText(u"Внесете текст");
    Pasted = Add(u"Залепено", TLabelPosition::lpBottomLeft, Bounds(150, 270, 200, 24));
  }
  TAdvEdit* Add(const String& caption, TLabelPosition position, TRect bounds) {
    auto* edit = new TAdvEdit(Form);
    edit->SetBoundsRect(bounds);
    edit->SetParent(Form);
    edit->SetLabelCaption(caption);
    edit->SetLabelPosition(position);
    return edit;
  }
  TForm* Form = nullptr;
  TAdvEdit *Name, *Error, *Disabled, *Empty, *Pasted;
};

TEST_F(AdvEditGui, LabelsLooksTypingAndPastingOnTheServer) {
  TEditForm f;
  f.Form->Show();
  Window window = XWindowOf(f.Form);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));

  // Cyrillic through the server's keyboard, into the focused edit.
  ClickAt(RootPointOf(f.Form, f.Name, {20, 12}));
  ASSERT_TRUE(PumpUntil([&] { return f.Name->Focused(); }));
  for (KeySym sym : {XK_Cyrillic_A, XK_Cyrillic_en, XK_Cyrillic_a}) PressKeySym(sym);
  ASSERT_TRUE(PumpUntil([&] { return f.Name->Text() == u"Ана"; })) << UTF8Encode(f.Name->Text());

  // Another client's text pasted with the keyboard's shortcut.
  bool ok = false;
  RunClient({XclipPath, "-i", "-selection", "clipboard"}, "Битола\nвтор ред", ok);
  ASSERT_TRUE(ok);
  ASSERT_TRUE(PumpUntil([&] { return Clipboard()->AsText() == u"Битола\nвтор ред"; }));
  ClickAt(RootPointOf(f.Form, f.Pasted, {20, 12}));
  ASSERT_TRUE(PumpUntil([&] { return f.Pasted->Focused(); }));
  PressWith(XK_Control_L, XK_v);
  ASSERT_TRUE(PumpUntil([&] { return f.Pasted->Text() == u"Битола"; }))
      << UTF8Encode(f.Pasted->Text());

  // The error edit's value fails its check; the name edit has the focus back.
  f.Error->SetText(u"лошо");
  ASSERT_TRUE(f.Error->ErrorState());
  ClickAt(RootPointOf(f.Form, f.Name, {20, 12}));
  ASSERT_TRUE(PumpUntil([&] { return f.Name->Focused(); }));
  PumpBriefly();

  cairo_surface_t* shot = Screenshot(Test, window, ScreenshotPath("adv-edit.png"));
  ASSERT_NE(shot, nullptr);
  auto inside = [&](TAdvEdit* edit) { return TPoint{edit->Left() + 190, edit->Top() + 12}; };
  TPoint p = inside(f.Name);
  EXPECT_EQ(PixelAt(shot, p.X, p.Y), Rgb(clYellow)) << "the focused edit";
  p = inside(f.Error);
  EXPECT_EQ(PixelAt(shot, p.X, p.Y), Rgb(clRed)) << "the edit in error";
  p = inside(f.Disabled);
  EXPECT_EQ(PixelAt(shot, p.X, p.Y), Rgb(clSilver)) << "the disabled edit";
  EXPECT_EQ(PixelAt(shot, f.Disabled->Left() + 100, f.Disabled->Top()), Rgb(clSilver))
      << "its frame";
  p = inside(f.Pasted);
  EXPECT_EQ(PixelAt(shot, p.X, p.Y), Rgb(clWindow));
  // The empty edit shows its hint in grey; the others their text in dark ink.
  int grey = 0;
  for (int y = f.Empty->Top() + 4; y < f.Empty->Top() + 20; ++y)
    for (int x = f.Empty->Left() + 4; x < f.Empty->Left() + 120; ++x)
      if (PixelAt(shot, x, y) == 0x808080) ++grey;
  EXPECT_GT(grey, 5) << "the empty-text hint";
  EXPECT_GT(DarkPixels(shot, {f.Name->Left() + 2, f.Name->Top() + 2, f.Name->Left() + 60,
                              f.Name->Top() + 22}),
            10)
      << "the typed Cyrillic";
  // Each label's ink is where its position puts it, and nowhere on its edit's other sides.
  for (TAdvEdit* edit : {f.Name, f.Error, f.Disabled, f.Empty, f.Pasted}) {
    TEditLabel* label = edit->EditLabel();
    SCOPED_TRACE(UTF8Encode(label->Caption()));
    // A disabled edit's label is drawn in grey text: count any ink, not only dark ink.
    TRect box = label->BoundsRect();
    int ink = 0;
    for (int y = box.Top; y < box.Bottom; ++y)
      for (int x = box.Left; x < box.Right; ++x)
        if (PixelAt(shot, x, y) != PixelAt(shot, box.Left, box.Top)) ++ink;
    EXPECT_GT(ink, 5);
    if (!edit->Enabled()) {
      EXPECT_EQ(DarkPixels(shot, box), 0) << "grey, not black";
    }
    TRect a = label->BoundsRect(), b = edit->BoundsRect();
    EXPECT_TRUE(a.Right <= b.Left || a.Left >= b.Right || a.Bottom <= b.Top || a.Top >= b.Bottom);
  }
  EXPECT_EQ(f.Name->EditLabel()->Left() + f.Name->EditLabel()->Width() + 4, f.Name->Left());
  EXPECT_EQ(f.Error->EditLabel()->Top() + f.Error->EditLabel()->Height() + 4, f.Error->Top());
  EXPECT_EQ(f.Empty->EditLabel()->Left(), f.Empty->Left() + f.Empty->Width() + 4);
  EXPECT_EQ(f.Pasted->EditLabel()->Top(), f.Pasted->Top() + f.Pasted->Height() + 4);
  cairo_surface_destroy(shot);
}

}  // namespace
