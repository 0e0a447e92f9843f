// The date-time picker editor: a new one paints as the platform's picker; the tones mode paints
// its own button for dates only, over the platform's button, with the border colours.
#include "controls/grid/AsgDateTimePicker.h"
#include "platform/ui/ExtCtrls.h"
#include "tests/controls/grid/GridEditorTestSupport.h"

namespace {

using namespace grideditor_test;

class PickerTest : public TEditorTest {
 public:
  PickerTest() {
    Picker = Add<TAsgDateTimePicker>(Bounds(20, 20, 160, 24));
    Picker->SetDateTime(EncodeDate(2026, 12, 11));
    Other = Add<TAsgDateTimePicker>(Bounds(20, 80, 160, 24));
  }
  void UseTones() {
    Picker->SetTonesStyle(true);
    Picker->ButtonColor = clSkyBlue;
    Picker->ButtonColorHot = clCream;
    Picker->ButtonColorDown = clNavy;
    Picker->ButtonBorderColor = clGray;
    Picker->SetBorderColor(clTeal);
  }
  TAsgDateTimePicker* Picker;
  TAsgDateTimePicker* Other;
};

std::vector<std::string> Calls(const TDrawingLog& log) {
  std::vector<std::string> calls;
  for (const TDrawingCall& call : log.Calls()) {
    std::string line = call.Name;
    for (int32_t arg : call.Args) line += " " + std::to_string(arg);
    line += " " + UTF8Encode(call.Text) + " " + std::to_string(call.BrushColor);
    calls.push_back(line);
  }
  return calls;
}

TEST_F(PickerTest, ANewPickerPaintsExactlyAsThePlatformsPicker) {
  EXPECT_EQ(Picker->BorderStyle(), 0);
  EXPECT_EQ(Picker->BorderColor(), clNone);
  EXPECT_FALSE(Picker->TonesStyle());
  EXPECT_TRUE(Picker->Ctl3D());
  auto* plain = Add<TDateTimePicker>(Bounds(20, 140, 160, 24));
  plain->SetDateTime(Picker->DateTime());
  for (TDateTimeKind kind : {dtkDate, dtkTime}) {
    Picker->SetKind(kind);
    plain->SetKind(kind);
    EXPECT_EQ(Calls(PaintLog(Picker)), Calls(PaintLog(plain))) << kind;
  }
  // Border colours alone change nothing outside the tones mode.
  Picker->SetBorderColor(clRed);
  Picker->ButtonColor = clRed;
  EXPECT_EQ(Calls(PaintLog(Picker)), Calls(PaintLog(plain)));
}

TEST_F(PickerTest, TheVersionReadsTheSameWhateverIsWritten) {
  EXPECT_EQ(Picker->Version(), u"1.0.0.0");
  Picker->SetVersion(u"9.9");
  EXPECT_EQ(Picker->Version(), u"1.0.0.0");
}

TEST_F(PickerTest, TonesColourTheButtonOfADateButNotOfATime) {
  UseTones();
  Form->Show();
  MoveMouse(CenterOf(Other));
  EXPECT_TRUE(Filled(PaintLog(Picker), clSkyBlue));
  // The platform's own button lies inside what is cleared for the coloured one.
  TRect platformButton = Picker->ButtonRect();
  TRect erased = Picker->ErasedButtonRect();
  TRect both;
  IntersectRect(both, platformButton, erased);
  EXPECT_EQ(both, platformButton);

  MoveMouse(Picker->ClientToScreen({Picker->Width() - 6, 12}));
  EXPECT_TRUE(Picker->ButtonHot());
  EXPECT_TRUE(Filled(PaintLog(Picker), clCream));

  Picker->SetKind(dtkTime);
  TDrawingLog log = PaintLog(Picker);
  EXPECT_FALSE(Filled(log, clSkyBlue) || Filled(log, clCream));
  // The border colour frames it either way.
  bool framed = false;
  for (const TDrawingCall& call : log.Named("FrameRect"))
    framed |= call.BrushColor == ColorToRGB(clTeal) && call.ArgRect() == Picker->ClientRect();
  EXPECT_TRUE(framed) << log.Dump();
}

TEST_F(PickerTest, TheFocusBorderColourFramesOnlyTheFocusedPicker) {
  UseTones();
  Picker->SetBorderColor(clNone);
  Picker->FocusBorderColor = clRed;
  auto framedIn = [&](TColor color) {
    for (const TDrawingCall& call : PaintLog(Picker).Named("FrameRect"))
      if (call.BrushColor == ColorToRGB(color) && call.ArgRect() == Picker->ClientRect())
        return true;
    return false;
  };
  Focus(Other);
  EXPECT_FALSE(framedIn(clRed));
  Focus(Picker);
  EXPECT_TRUE(framedIn(clRed));
}

TEST_F(PickerTest, WithoutTheThreeDimensionalLookTheBorderIsFlat) {
  auto* panel = Add<TPanel>(Bounds(200, 0, 250, 100));
  panel->SetColor(clMoneyGreen);
  Picker->SetParent(panel);
  Picker->SetBorderColor(clTeal);
  Picker->SetCtl3D(false);
  auto penColours = [&] {
    std::vector<COLORREF> colours;
    for (const TDrawingCall& call : PaintLog(Picker).Named("LineTo"))
      colours.push_back(call.PenColor);
    return colours;
  };
  // Style 0 outlines in the parent's colour, hiding the platform's edge.
  std::vector<COLORREF> lines = penColours();
  ASSERT_EQ(lines.size(), 6u);
  for (COLORREF c : lines) EXPECT_EQ(c, ColorToRGB(clMoneyGreen));
  // Style 2 draws the themed outline without the inner line.
  Picker->SetBorderStyle(2);
  lines = penColours();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], 0xB99D7Fu);
}

}  // namespace
