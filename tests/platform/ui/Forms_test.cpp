#include <gtest/gtest.h>

#include "platform/rtl/TextCompare.h"
#include "platform/win/NonClient.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TTestEdit;
using uitest::TUiTest;
using FormsTest = TUiTest;

// A form whose constructor makes a control and whose OnCreate uses it.
class TPersonForm : public TForm {
 public:
  explicit TPersonForm(TComponent* owner) : TForm(owner) {
    Name = new TTestEdit(this);
    Name->SetParent(this);
    OnCreate = [this](TObject*) { CreatedWith = Name->Parent() == this; };
  }
  TTestEdit* Name;
  bool CreatedWith = false;
};

TPersonForm* GPersonForm = nullptr;

TEST_F(FormsTest, TheFirstFormCreatedIsTheMainFormAndOnCreateRunsOnceItIsWhole) {
  bool referenceSetInOnCreate = false;
  TForm* mainForm = nullptr;
  Application->CreateForm(mainForm);
  Application->CreateForm(GPersonForm);
  EXPECT_EQ(Application->MainForm(), mainForm);
  EXPECT_TRUE(GPersonForm->CreatedWith);
  EXPECT_EQ(GPersonForm->Owner(), Application);
  EXPECT_TRUE(mainForm->HandleAllocated());       // the main form's window exists at once
  EXPECT_FALSE(GPersonForm->HandleAllocated());   // the others' when they show
  EXPECT_EQ(Screen->FormCount(), 2);
  TForm* third = nullptr;
  Application->CreateForm(third);
  third->OnCreate = [&](TObject*) { referenceSetInOnCreate = true; };
  EXPECT_FALSE(referenceSetInOnCreate);  // already fired, once
  third->Free();
  EXPECT_EQ(Screen->FormCount(), 2);
}

TEST_F(FormsTest, BorderStylesAndFormStylesMakeTheirWindows) {
  struct TCase {
    const char* Name;
    TFormBorderStyle Border;
    TFormStyle Style;
    DWORD WantStyle;
    DWORD NotStyle;
    DWORD WantExStyle;
  } cases[] = {
      {"single", bsSingle, fsNormal, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_THICKFRAME | WS_CHILD, 0},
      {"sizeable", bsSizeable, fsNormal, WS_CAPTION | WS_THICKFRAME, WS_POPUP, 0},
      {"none: a popup without caption", bsNone, fsNormal, WS_POPUP, WS_CAPTION | WS_THICKFRAME, 0},
      {"dialog", bsDialog, fsNormal, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_MINIMIZEBOX, WS_EX_DLGMODALFRAME},
      {"sizeable tool window", bsSizeToolWin, fsNormal, WS_CAPTION | WS_THICKFRAME, 0, WS_EX_TOOLWINDOW},
      {"stays on top", bsSingle, fsStayOnTop, WS_CAPTION, 0, WS_EX_TOPMOST},
  };
  for (const TCase& c : cases) {
    TForm* form = TForm::Create<TForm>(Application);
    form->SetBorderStyle(c.Border);
    form->SetFormStyle(c.Style);
    form->Show();
    auto style = static_cast<DWORD>(GetWindowLongPtr(form->Handle(), GWL_STYLE));
    auto exStyle = static_cast<DWORD>(GetWindowLongPtr(form->Handle(), GWL_EXSTYLE));
    EXPECT_EQ(style & c.WantStyle, c.WantStyle) << c.Name;
    EXPECT_EQ(style & c.NotStyle, 0u) << c.Name;
    EXPECT_EQ(exStyle & c.WantExStyle, c.WantExStyle) << c.Name;
    form->Free();
  }
}

TEST_F(FormsTest, PositionsPlaceTheFormWhenItShows) {
  SetMonitors({{{0, 0, 1280, 1024}, {0, 0, 1280, 994}}, {{1280, 0, 2560, 1024}, {1280, 0, 2560, 1024}}});
  TForm* mainForm = nullptr;
  Application->CreateForm(mainForm);
  mainForm->SetBounds(1400, 100, 600, 400);
  mainForm->Show();
  struct TCase {
    TPosition Position;
    TPoint Expected;  // for a 200 x 100 form
  } cases[] = {
      {poDesigned, {7, 9}},
      {poScreenCenter, {(1280 - 200) / 2, (1024 - 100) / 2}},
      {poDesktopCenter, {(2560 - 200) / 2, (1024 - 100) / 2}},
      {poMainFormCenter, {1400 + 200, 100 + 150}},
  };
  for (const TCase& c : cases) {
    TForm* form = TForm::Create<TForm>(Application);
    form->SetBounds(7, 9, 200, 100);
    form->SetPosition(c.Position);
    form->Show();
    EXPECT_EQ(form->BoundsRect().TopLeft(), c.Expected) << c.Position;
    TRect window;
    GetWindowRect(form->Handle(), &window);
    EXPECT_EQ(window.TopLeft(), c.Expected) << c.Position;
    form->Free();
  }
  EXPECT_EQ(Screen->MonitorCount(), 2);
  EXPECT_EQ(Screen->MonitorFromPoint({1500, 10})->MonitorNum(), 1);
  EXPECT_EQ(Screen->MonitorFromPoint({5000, 10}, mdNull), nullptr);
  EXPECT_EQ(Screen->WorkAreaRect(), Rect(0, 0, 1280, 994));
  EXPECT_EQ(Screen->DesktopWidth(), 2560);
}

TEST_F(FormsTest, TheScreenCursorOverridesTheControlsCursors) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  auto* edit = new TTestEdit(form);
  edit->SetParent(form);
  edit->SetCursor(crIBeam);
  form->Show();
  Script().Then([&] { InjectMouseMove(CenterOf(edit)); });
  RunScript();
  EXPECT_EQ(CursorId(GetCursor()), IDC_IBEAM);
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(CursorId(GetCursor()), IDC_WAIT);
  Script().Then([&] { InjectMouseMove(form->ClientToScreen({150, 150})); });
  RunScript();
  EXPECT_EQ(CursorId(GetCursor()), IDC_WAIT);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(CursorId(GetCursor()), IDC_ARROW);  // the form's own cursor where the pointer is
  EXPECT_EQ(CursorName(Screen->Cursors(crDrag)), u"drag");
  EXPECT_EQ(CursorId(Screen->Cursors(crHandPoint)), IDC_HAND);
}

TEST_F(FormsTest, AScrollingFormScrollsItsContentAndBringsTheFocusedControlIntoView) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetBorderStyle(bsSingle);
  form->SetClientSize(300, 200);
  form->SetAutoScroll(true);
  auto* top = new TTestEdit(form);
  top->SetBounds(10, 10, 100, 21);
  top->SetParent(form);
  auto* far = new TTestEdit(form);
  far->SetBounds(10, 500, 100, 21);
  far->SetParent(form);
  form->Show();
  EXPECT_TRUE(form->VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(form->VertScrollBar()->Range(), 521);
  EXPECT_FALSE(form->HorzScrollBar()->IsScrollBarVisible());
  EXPECT_TRUE(GetWindowLongPtr(form->Handle(), GWL_STYLE) & WS_VSCROLL);
  // A line down by the scroll bar moves the content up by the increment.
  SendMessage(form->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(form->VertScrollBar()->Position(), 8);
  EXPECT_EQ(top->Top(), 2);
  // Focusing the far control scrolls it into view.
  far->SetFocus();
  TRect client = form->ClientRect();
  EXPECT_GE(far->Top(), 0);
  EXPECT_LE(far->Top() + far->Height(), client.Bottom);
  EXPECT_EQ(top->Top(), 10 - form->VertScrollBar()->Position());
  SCROLLINFO info;
  info.fMask = SIF_POS | SIF_RANGE;
  GetScrollInfo(form->Handle(), SB_VERT, &info);
  EXPECT_EQ(info.nPos, form->VertScrollBar()->Position());
  EXPECT_EQ(info.nMax, 520);
}

TEST_F(FormsTest, DoubleBufferedPaintingGivesTheSamePicture) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetColor(clYellow);
  auto* edit = new TTestEdit(form);
  edit->SetBounds(10, 10, 100, 21);
  edit->SetColor(clAqua);
  edit->SetParent(form);
  form->Show();
  RunScript();
  HDC dc = GetDC(form->Handle());
  COLORREF before[2] = {GetPixel(dc, 5, 5), GetPixel(dc, 50, 80)};
  ReleaseDC(form->Handle(), dc);
  EXPECT_EQ(before[0], RGB(255, 255, 0));
  form->SetDoubleBuffered(true);
  edit->SetDoubleBuffered(true);
  form->Invalidate();
  edit->Invalidate();
  RunScript();
  dc = GetDC(form->Handle());
  EXPECT_EQ(GetPixel(dc, 5, 5), before[0]);
  EXPECT_EQ(GetPixel(dc, 50, 80), before[1]);
  ReleaseDC(form->Handle(), dc);
  dc = GetDC(edit->Handle());
  EXPECT_EQ(GetPixel(dc, 50, 15), RGB(0, 255, 255));
  ReleaseDC(edit->Handle(), dc);
}

}  // namespace

namespace {

TEST_F(FormsTest, TheScreenListsTheInstalledFontFamilies) {
  TStrings* fonts = Screen->Fonts();
  EXPECT_GE(fonts->IndexOf(u"DejaVu Sans"), 0);
  for (int i = 1; i < fonts->Count(); ++i) EXPECT_LE(AnsiCompareText(fonts->Strings(i - 1), fonts->Strings(i)), 0);
}

}  // namespace
