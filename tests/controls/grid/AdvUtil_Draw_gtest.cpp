// The grid's drawing routines on a real X server: a sheet of in-cell buttons in every kind and
// state, progress bars in their styles, pies and range indicators, the cell shapes, selection
// boxes and an error underline, painted by a form and saved as screenshots/drawing-utilities.png.
#include "controls/grid/AdvUtil.h"
#include "platform/rtl/NumberText.h"
#include "platform/ui/Forms.h"
#include "tests/support/X11Gui.h"

namespace {

using namespace x11gui;
using namespace AdvUtil;

TColorTones SheetTones() {
  TColorTones t{};
  t.Normal = {0x00F7EFE8, 0x00B99D7F, 0x00404040};
  t.Down = {0x00E0C0A0, 0x00806040, 0x00000000};
  t.Hot = {0x00FFE8D0, 0x00C08040, 0x00000000};
  t.Disabled = {0x00F0F0F0, 0x00C0C0C0, 0x00A0A0A0};
  return t;
}

// Rows of the sheet: top edges.
constexpr int kButtons = 10, kProgress = 130, kShapes = 250, kSelections = 300;

void PaintSheet(TForm* form) {
  TCanvas* c = form->Canvas();
  c->Font()->SetName(u"DejaVu Sans");
  c->Font()->SetSize(9);
  FillRectColor(c, form->ClientRect(), clWhite);
  const TColorTones tones = SheetTones();

  // Buttons: a column per kind (classic, flat, tones), a row per state.
  for (int kind = btkClassic; kind <= btkTones; ++kind) {
    const int x = 10 + (kind - 1) * 200;
    for (int state = btsNormal; state <= btsDisabled; ++state) {
      const int y = kButtons + state * 28;
      DrawComboButton(c, form->Handle(), {x, y, x + 50, y + 22}, kind, state, tones);
      DrawSpinButtons(c, form->Handle(), {x + 56, y + 2, x + 96, y + 24}, kind, state, tones);
      c->Font()->SetColor(state == btsDisabled ? clGrayText : clBlack);
      DrawCellButton(c, form->Handle(), {x + 102, y, x + 190, y + 24}, kind, state, tones,
                     u"Уреди");
    }
  }

  // Progress: classic bars, styled bars (smooth, blocks, stacked, vertical), pies, ranges.
  c->Font()->SetColor(clBlack);
  c->Brush()->SetColor(clWhite);
  DrawProgress(c, {10, kProgress, 190, kProgress + 20}, clHighlight, clHighlightText, clWindow,
               clWindowText, 64, 0, 0, 0, 0, String(), clGray, false);
  DrawProgress(c, {10, kProgress + 28, 190, kProgress + 48}, clNavy, clWhite, clWindow, clNavy,
               150, 0, 0, 0, 200, u"%d од 200", clGray, false);
  TProgressSettings styled;
  styled.ShowBorder = true;
  styled.BorderColor = clGray;
  styled.UnCompleteColor = clWhite;
  DrawStyledProgress(c, {210, kProgress, 390, kProgress + 20}, 45, styled);
  styled.CompletionSmooth = false;
  DrawStyledProgress(c, {210, kProgress + 28, 390, kProgress + 48}, 80, styled);
  styled.CompletionSmooth = true;
  styled.Stacked = true;
  DrawStyledProgress(c, {210, kProgress + 56, 390, kProgress + 76}, 95, styled);
  styled.Stacked = false;
  styled.Vertical = true;
  DrawStyledProgress(c, {400, kProgress, 424, kProgress + 100}, 60, styled);
  for (int i = 0; i < 4; ++i)
    DrawProgressPie(c, Bounds(440 + i * 30, kProgress, 21, 21), clGreen, 20 + i * 25, false);
  DrawRangeIndicator(c, {440, kProgress + 40, 560, kProgress + 60}, 7, 10, true, clRed, clLime);
  DrawRangeIndicator(c, {440, kProgress + 66, 560, kProgress + 86}, -4, 10, true, clRed, clLime);

  // Shapes 0 to 18, with a rating of three and a half stars after them.
  for (int shape = 0; shape <= shpLast; ++shape)
    DrawCellShape(c, 10 + shape * 30, kShapes, 22, 22, shape, clYellow, clMaroon);
  for (int star = 0; star < 5; ++star) {
    const int x = 10 + 19 * 30 + star * 18;
    DrawCellShape(c, x, kShapes + 3, 16, 16, 13, star < 3 ? clYellow : clSilver, clGray);
    if (star == 3) DrawCellShape(c, x, kShapes + 3, 16, 16, 18, clYellow, clGray);
  }

  // Selections: a row of four joined cells and a single rounded one, then an error underline.
  TRoundedSelectionColors sel;
  sel.GradientFrom = 0x00FDF4E9;
  sel.GradientTo = 0x00F9E2C6;
  sel.MirrorFrom = 0x00F6D6B0;
  sel.MirrorTo = 0x00F9E8D4;
  sel.InnerTop = clWhite;
  sel.InnerBottom = 0x00FCEEDD;
  sel.Border = 0x00C8965A;
  sel.Corner = 0x00E0C8A8;
  sel.OuterCorner = clWhite;
  const int modes[] = {smLeftEnd, smNoEnds, smNoEnds, smRightEnd};
  for (int i = 0; i < 4; ++i) {
    const TRect cell{10 + i * 80, kSelections, 10 + (i + 1) * 80, kSelections + 24};
    DrawRoundedSelection(c, sel, cell, modes[i]);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(cell.Left + 8, cell.Top + 4, u"Ќелија " + IntToStr(i + 1));
  }
  DrawRoundedSelection(c, sel, {350, kSelections, 450, kSelections + 24}, smBothEnds);
  const TRect textCell{470, kSelections, 640, kSelections + 24};
  c->Brush()->SetStyle(bsClear);
  c->TextOut(textCell.Left + 3, textCell.Top + 3, u"Збор со грешкка");
  // The grid passes the text's height as the offset, so the line runs under the letters.
  DrawErrorUnderline(form, c, u"Збор со грешкка", textCell, c->TextHeight(u"Зг"), 8, 7);
}

class DrawingUtilitiesGui : public TX11GuiTest {};

TEST_F(DrawingUtilitiesGui, TheSampleSheetOnTheServer) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption(u"Цртање во ќелии");
  form->SetBounds(30, 30, 720, 400);
  form->OnPaint = [form](TObject*) { PaintSheet(form); };
  form->Show();
  Window window = XWindowOf(form);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));
  PumpBriefly();

  cairo_surface_t* shot = Screenshot(Test, window, ScreenshotPath("drawing-utilities.png"));
  ASSERT_NE(shot, nullptr);
  // The window's pixels are its client area.
  auto at = [&](int x, int y) { return PixelAt(shot, x, y); };
  ASSERT_GT(form->ClientRect().Width(), 600);
  // Tone buttons in their state fills; the pie's slice and the range bars in their colours.
  EXPECT_EQ(at(450, kButtons + 12), Rgb(SheetTones().Normal.Color));
  EXPECT_EQ(at(450, kButtons + 2 * 28 + 12), Rgb(SheetTones().Down.Color));
  EXPECT_EQ(at(440 + 30 * 3 + 14, kProgress + 6), Rgb(clGreen));
  EXPECT_EQ(at(440 + 60 + 20, kProgress + 44), Rgb(clLime));
  EXPECT_EQ(at(440 + 60 - 10, kProgress + 70), Rgb(clRed));
  // Every shape leaves its pen's ink in its box; the classic buttons have dark glyphs.
  for (int shape = 0; shape <= shpLast; ++shape) {
    int ink = 0;
    for (int y = kShapes; y < kShapes + 23; ++y)
      for (int x = 10 + shape * 30; x < 10 + shape * 30 + 23; ++x)
        ink += at(x, y) == Rgb(clMaroon);
    EXPECT_GT(ink, 5) << "shape " << shape;
  }
  EXPECT_GT(DarkPixels(shot, {10, kButtons, 200, kButtons + 24}), 10);
  // The underline is red, under the text.
  int red = 0;
  for (int y = kSelections + 10; y < kSelections + 30; ++y)
    for (int x = 470; x < 640; ++x) red += at(x, y) == Rgb(clRed);
  EXPECT_GT(red, 10);
  cairo_surface_destroy(shot);
}

}  // namespace
