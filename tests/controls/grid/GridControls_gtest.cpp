// The grid's own controls and the base grid on a real X server, saved as screenshots:
// grid-controls.png (every button and check-box look), base-grid.png (merged cells, active and
// hover rows, the selection looks) and grid-glow-arrows.png (the four arrows, shot from the root
// window as they are top-level popups).
#include "controls/grid/BaseGrid.h"
#include "controls/grid/GridControls.h"
#include "platform/gdi/Canvas.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowStyles.h"
#include "tests/support/X11Gui.h"

namespace {

using namespace x11gui;

class GridControlsGui : public TX11GuiTest {
 public:
  TForm* MakeForm(const String& caption, int width, int height) {
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption(caption);
    form->SetBounds(40, 40, width, height);
    form->SetColor(clBtnFace);
    return form;
  }
  void ShowAndWait(TForm* form) {
    form->Show();
    Window window = XWindowOf(form);
    ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));
    PumpBriefly();
  }
  static std::unique_ptr<TBitmap> MagnifierGlyph() {
    auto glyph = std::make_unique<TBitmap>(16, 16);
    TCanvas* c = glyph->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 16, 16));
    c->Pen()->SetColor(clNavy);
    c->Pen()->SetWidth(2);
    c->Brush()->SetColor(clSkyBlue);
    c->Ellipse(2, 2, 11, 11);
    c->MoveTo(9, 9);
    c->LineTo(14, 14);
    return glyph;
  }
};

TEST_F(GridControlsGui, ButtonsAndCheckBoxes) {
  TForm* form = MakeForm(u"Копчиња на мрежата", 520, 250);
  auto glyph = MagnifierGlyph();
  auto button = [&](const String& caption, int left, int top) {
    auto* b = new TAdvGridButton(form);
    b->SetParent(form);
    b->SetBounds(left, top, 120, 26);
    b->SetCaption(caption);
    b->SetGlyph(glyph.get());
    return b;
  };
  TAdvGridButton* normal = button(u"Find &next", 10, 10);
  TAdvGridButton* hot = button(u"Hot", 140, 10);
  TAdvGridButton* checked = button(u"Highlight", 270, 10);
  checked->SetStyle(TAdvGridButtonStyle::tasCheck);
  checked->SetDown(true);
  TAdvGridButton* exclusive = button(u"Група", 400, 10);
  exclusive->SetGroupIndex(1);
  exclusive->SetDown(true);
  TAdvGridButton* disabled = button(u"Disabled", 10, 46);
  disabled->SetEnabled(false);
  TAdvGridButton* drop = button(u"Мени", 140, 46);
  drop->SetDropDownButton(true);
  TAdvGridButton* gradient = button(u"Gradient", 270, 46);
  gradient->SetColorTo(0x00B39698);
  gradient->SetBorderColor(clGray);
  TAdvGridButton* raised = button(u"Raised", 400, 46);
  raised->SetFlat(false);
  auto box = [&](const String& caption, int left, int top) {
    auto* b = new TAdvCheckBox(form);
    b->SetParent(form);
    b->SetBounds(left, top, 160, 22);
    b->SetCaption(caption);
    return b;
  };
  TAdvCheckBox* unchecked = box(u"&Match case", 10, 90);
  TAdvCheckBox* ticked = box(u"Големи букви", 180, 90);
  ticked->SetChecked(true);
  TAdvCheckBox* grayed = box(u"Grayed", 350, 90);
  grayed->SetState(cbGrayed);
  TAdvCheckBox* off = box(u"Оневозможено", 10, 120);
  off->SetEnabled(false);
  off->SetChecked(true);
  TAdvCheckBox* right = box(u"Right aligned", 180, 120);
  right->SetAlignment(taRightJustify);
  TAdvCheckBox* focused = box(u"Focused", 350, 120);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 160, 330, 40);
  panel->SetColor(0x00C0E0FF);
  auto* clear = new TAdvCheckBox(form);
  clear->SetParent(panel);
  clear->SetBounds(10, 8, 160, 22);
  clear->SetCaption(u"Transparent on a panel");
  clear->SetTransparent(true);

  ShowAndWait(form);
  focused->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return focused->Focused(); }));
  TPoint over = RootPointOf(form, hot, {60, 13});
  XTestFakeMotionEvent(Test, -1, over.X, over.Y, CurrentTime);
  XSync(Test, False);
  ASSERT_TRUE(PumpUntil([&] { return hot->MouseInControl(); }));
  PumpBriefly();

  cairo_surface_t* shot = Screenshot(Test, XWindowOf(form), ScreenshotPath("grid-controls.png"));
  ASSERT_NE(shot, nullptr);
  auto at = [&](TControl* c, int x, int y) { return PixelAt(shot, c->Left() + x, c->Top() + y); };
  EXPECT_EQ(at(normal, 60, 2), Rgb(clBtnFace));
  EXPECT_EQ(at(hot, 100, 2), Rgb(0x00CAC7C7)) << "the hot colour";
  EXPECT_EQ(at(checked, 100, 3), Rgb(0x00808080)) << "the checked colour";
  EXPECT_EQ(at(exclusive, 100, 3), Rgb(0x00808080));
  for (TControl* c : std::initializer_list<TControl*>{normal, hot, checked, drop, unchecked,
                                                      ticked, right, focused})
    EXPECT_GT(DarkPixels(shot, c->BoundsRect()), 5) << c->ClassName().size();
  EXPECT_EQ(DarkPixels(shot, disabled->BoundsRect()), 0) << "a disabled caption is grey";
  EXPECT_EQ(PixelAt(shot, panel->Left() + clear->Left() + 150, panel->Top() + clear->Top() + 2),
            Rgb(0x00C0E0FF))
      << "the transparent box shows its parent";
  cairo_surface_destroy(shot);
}

TEST_F(GridControlsGui, BaseGridLooks) {
  TForm* form = MakeForm(u"Основна мрежа", 640, 430);
  auto grid = [&](int left, int top, int style) {
    auto* g = new TBaseGrid(form);
    g->SetParent(form);
    g->SetBounds(left, top, 300, 200);
    g->SetScrollBars(ssNone);
    g->SetColCount(6);
    g->SetRowCount(9);
    g->SetDefaultColWidth(58);
    g->SetDefaultRowHeight(21);
    g->SetColor(clWindow);
    g->SetSelectionStyle(style);
    for (int c = 0; c < 6; ++c)
      for (int r = 0; r < 9; ++r)
        g->SetCellText(c, r, r == 0 ? u"Колона " + String(1, char16_t(u'0' + c))
                                    : u"ћелија " + String(1, char16_t(u'0' + r)));
    return g;
  };
  TBaseGrid* merged = grid(10, 10, 0);
  merged->MergeCells(1, 1, 2, 2);
  merged->SetCellText(1, 1, u"Споени");
  merged->MergeCells(3, 4, 3, 1);
  merged->SetCellText(3, 4, u"Ред од три");
  merged->SetActiveRowShow(true);
  merged->SetActiveRowColor(0x00C0FFFF);
  merged->SetRow(6);
  merged->SetCol(2);
  merged->SetHoverRow(true);
  merged->SetHoverRowColor(0x00FFE0C0);
  merged->SetHoverRowIndex(7);
  TBaseGrid* styles[3];
  for (int s = 1; s <= 3; ++s) {
    styles[s - 1] = grid(s == 1 ? 320 : s == 2 ? 10 : 320, s == 1 ? 10 : 215, s);
    TBaseGrid* g = styles[s - 1];
    g->SetOptions(g->Options() + TGridOptions{goRangeSelect, goDrawFocusSelected});
    g->SetSelection({1, 2, 4, 3});
  }
  ShowAndWait(form);
  cairo_surface_t* shot = Screenshot(Test, XWindowOf(form), ScreenshotPath("base-grid.png"));
  ASSERT_NE(shot, nullptr);
  auto at = [&](TBaseGrid* g, int c, int r, int dx, int dy) {
    TRect cell = g->CellRect(c, r);
    return PixelAt(shot, g->Left() + cell.Left + dx, g->Top() + cell.Top + dy);
  };
  EXPECT_EQ(at(merged, 4, 6, 10, 5), Rgb(0x00C0FFFF)) << "the active row";
  EXPECT_EQ(at(merged, 4, 7, 10, 5), Rgb(0x00FFE0C0)) << "the hover row";
  EXPECT_GT(DarkPixels(shot, Rect(10 + 58, 10 + 21, 10 + 174, 10 + 63)), 5) << "the merged text";
  for (TBaseGrid* g : styles) EXPECT_NE(at(g, 2, 2, 20, 8), Rgb(clWindow)) << "selected";
  cairo_surface_destroy(shot);
}

TEST_F(GridControlsGui, ArrowsAndTheFocusGlowOnTheScreen) {
  TForm* form = MakeForm(u"Стрелки", 300, 160);
  auto* grid = new TBaseGrid(form);
  grid->SetParent(form);
  grid->SetBounds(10, 60, 280, 90);
  grid->SetScrollBars(ssNone);
  grid->SetDefaultColWidth(60);
  grid->SetDefaultRowHeight(22);
  grid->SetColCount(4);
  grid->SetRowCount(4);
  grid->SetCellText(1, 1, u"Уреди");
  ShowAndWait(form);
  TPoint origin = form->ClientToScreen({0, 0});

  // The glow the string grid shows around the cell it edits: a blurred ring on a bitmap 9 pixels
  // wider and higher than the cell, in the glow colour, through a layered popup.
  TRect cell = grid->CellRect(2, 2);
  int w = cell.Width() + kGlowMargin, h = cell.Height() + kGlowMargin;
  TBitmap ring;
  MakeBlurredRoundRect(&ring, w, h, kGlowPenWidth, kGlowCorner, kGlowRadius);
  TBitmap colour;
  colour.SetPixelFormat(pf24bit);
  colour.SetSize(w, h);
  colour.Canvas()->Brush()->SetColor(kGlowColor);
  colour.Canvas()->FillRect(Rect(0, 0, w, h));
  TGridAlphaMask mask;
  mask.LoadFromBitmaps(&ring, &colour);
  mask.SetOpacity(kGlowOpacity);
  auto* glow = new TGridFocusWindow(form);
  glow->SetParent(form);
  HWND glowWindow = glow->Handle();
  LONG_PTR exStyle = GetWindowLongPtr(glowWindow, GWL_EXSTYLE);
  SetWindowLongPtr(glowWindow, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  TPoint cellOnScreen = grid->ClientToScreen(cell.TopLeft());
  TPoint at{cellOnScreen.X - 4, cellOnScreen.Y - 4}, zero{0, 0};
  TSize size{w, h};
  BLENDFUNCTION blend;
  blend.SourceConstantAlpha = static_cast<BYTE>(mask.Opacity());
  blend.AlphaFormat = AC_SRC_ALPHA;
  ASSERT_TRUE(UpdateLayeredWindow(glowWindow, nullptr, &at, &size, mask.Canvas()->Handle(), &zero,
                                  0, &blend, ULW_ALPHA));
  ShowWindow(glowWindow, SW_SHOWNOACTIVATE);
  TArrowWindow* arrows[4];
  for (int d = 0; d < 4; ++d) {
    arrows[d] = new TArrowWindow(form, d);
    arrows[d]->SetParent(form);
    arrows[d]->SetBounds(origin.X + 40 + d * 40, origin.Y + 40, 11, 11);
    arrows[d]->Show();
  }
  ASSERT_TRUE(PumpUntil([&] { return Viewable(X11->XWindowOf(arrows[3]->Handle())); }));
  ASSERT_TRUE(PumpUntil([&] { return Viewable(X11->XWindowOf(glowWindow)); }));
  PumpBriefly();
  TPoint root = RootPointOf(form, form, {0, 0});
  cairo_surface_t* shot = Screenshot(Test, DefaultRootWindow(Test),
                                     ScreenshotPath("grid-glow-arrows.png"),
                                     Rect(root.X, root.Y, root.X + 300, root.Y + 160));
  ASSERT_NE(shot, nullptr);
  // Inside each arrow lime; at a cut-away corner the form shows through.
  for (int d = 0; d < 4; ++d) {
    int x = 40 + d * 40, y = 40;
    const TPoint insides[4] = {{5, 7}, {5, 2}, {3, 5}, {6, 5}};
    TPoint inside = insides[d];
    EXPECT_EQ(PixelAt(shot, x + inside.X, y + inside.Y), Rgb(clLime)) << d;
    const TPoint corners[4] = {{0, 9}, {0, 8}, {8, 10}, {0, 0}};
    TPoint corner = corners[d];
    EXPECT_EQ(PixelAt(shot, x + corner.X, y + corner.Y), Rgb(clBtnFace)) << d;
  }
  // The ring glows in the glow colour's hue; inside it the cell shows through.
  TPoint ringAt = form->ScreenToClient({at.X + w / 2, at.Y + 4});
  uint32_t ringPixel = PixelAt(shot, ringAt.X, ringAt.Y);
  EXPECT_GT(ringPixel & 0xFF, (ringPixel >> 16) & 0xFF) << std::hex << ringPixel
                                                        << ": blue above red";
  TPoint inside = form->ScreenToClient(
      {cellOnScreen.X + cell.Width() / 2, cellOnScreen.Y + cell.Height() / 2});
  EXPECT_EQ(PixelAt(shot, inside.X, inside.Y), Rgb(grid->Color())) << "the cell shows through";
  cairo_surface_destroy(shot);
}

}  // namespace
