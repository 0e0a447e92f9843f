#include <gtest/gtest.h>

#include "controls/grid/AdvUtil.h"
#include "tests/controls/grid/DrawTestSupport.h"

namespace {

using namespace AdvUtil;
using drawtest::Points;
using drawtest::TRecordingCanvas;

// Fifteen distinct colours, so a test sees which one of the record a painter took.
TColorTones DistinctTones() {
  TColorTones t;
  TColor* colours = &t.Normal.Color;
  for (int i = 0; i < 15; ++i) colours[i] = 0x00010100 * (i + 1) + i;
  return t;
}

const TColorTone& Tone(const TColorTones& t, int state) {
  const TColorTone* byState[] = {&t.Normal, &t.Hot, &t.Down, &t.Disabled};
  return *byState[state];
}

uint32_t FrameFlags(uint32_t type, uint32_t state) { return (type << 16) | state; }

// The themed kind has no theme to open here, so it draws what the classic kind draws.
TEST(CellButtons, FrameControlsForEveryKindAndState) {
  const uint32_t pushState[] = {0, DFCS_HOT, DFCS_PUSHED, DFCS_INACTIVE};
  const TRect cell{20, 10, 100, 30};
  for (int kind : {btkThemed, btkClassic, btkFlat}) {
    const uint32_t flat = kind == btkFlat ? DFCS_FLAT : 0;
    for (int state = btsNormal; state <= btsDisabled; ++state) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " state " << state);
      const uint32_t inactive = state == btsDisabled ? DFCS_INACTIVE : 0;

      TRecordingCanvas combo;
      DrawComboButton(&combo.Canvas, nullptr, cell, kind, state, DistinctTones());
      auto frames = combo.Named("DrawFrameControl");
      ASSERT_EQ(frames.size(), 1u) << combo.Log.Dump();
      EXPECT_EQ(frames[0].ArgRect(), (TRect{81, 11, 98, 29}));
      EXPECT_EQ(frames[0].Flags,
                FrameFlags(DFC_SCROLL, DFCS_SCROLLCOMBOBOX | inactive | flat));

      TRecordingCanvas push;
      DrawCellButton(&push.Canvas, nullptr, cell, kind, state, DistinctTones(), String());
      frames = push.Named("DrawFrameControl");
      ASSERT_EQ(frames.size(), 1u) << push.Log.Dump();
      EXPECT_EQ(frames[0].ArgRect(), cell);
      EXPECT_EQ(frames[0].Flags, FrameFlags(DFC_BUTTON, DFCS_BUTTONPUSH | pushState[state] | flat));

      TRecordingCanvas spin;
      DrawSpinButtons(&spin.Canvas, nullptr, cell, kind, state, DistinctTones());
      frames = spin.Named("DrawFrameControl");
      ASSERT_EQ(frames.size(), 2u) << spin.Log.Dump();
      // The pair (84, 9)-(99, 29) split at y 19; the lower half starts a pixel below.
      EXPECT_EQ(frames[0].ArgRect(), (TRect{84, 9, 99, 19}));
      EXPECT_EQ(frames[1].ArgRect(), (TRect{84, 20, 99, 29}));
      EXPECT_EQ(frames[0].Flags, FrameFlags(DFC_SCROLL, DFCS_SCROLLUP | inactive | flat));
      EXPECT_EQ(frames[1].Flags, FrameFlags(DFC_SCROLL, DFCS_SCROLLDOWN | inactive | flat));
    }
  }
}

TEST(CellButtons, ToneButtonsTakeTheStateColoursAndDrawTheirOwnTriangles) {
  const TColorTones tones = DistinctTones();
  const TRect cell{20, 10, 100, 30};
  for (int state = btsNormal; state <= btsDisabled; ++state) {
    SCOPED_TRACE(testing::Message() << "state " << state);
    const TColorTone& tone = Tone(tones, state);

    TRecordingCanvas combo;
    DrawComboButton(&combo.Canvas, nullptr, cell, btkTones, state, tones);
    EXPECT_TRUE(combo.Named("DrawFrameControl").empty());
    auto body = combo.Named("Rectangle");
    ASSERT_EQ(body.size(), 1u) << combo.Log.Dump();
    EXPECT_EQ(body[0].ArgRect(), (TRect{84, 11, 98, 29}));
    EXPECT_EQ(body[0].BrushColor, static_cast<COLORREF>(tone.Color));
    EXPECT_EQ(body[0].PenColor, static_cast<COLORREF>(tone.Color));
    auto line = combo.Named("LineTo");
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0].Args, (std::vector<int32_t>{85, 11, 85, 29}));
    EXPECT_EQ(line[0].PenColor, static_cast<COLORREF>(tones.Normal.BorderColor));
    auto glyph = combo.Named("Polygon");
    ASSERT_EQ(glyph.size(), 1u);
    EXPECT_EQ(glyph[0].Args, Points({{89, 19}, {95, 19}, {92, 22}}));
    EXPECT_EQ(glyph[0].BrushColor, static_cast<COLORREF>(tones.Normal.TextColor));

    TRecordingCanvas push;
    DrawCellButton(&push.Canvas, nullptr, cell, btkTones, state, tones, u"Уреди");
    auto box = push.Named("Rectangle");
    ASSERT_EQ(box.size(), 1u);
    EXPECT_EQ(box[0].ArgRect(), cell);
    EXPECT_EQ(box[0].BrushColor, static_cast<COLORREF>(tone.Color));
    EXPECT_EQ(box[0].PenColor, static_cast<COLORREF>(tone.BorderColor));

    TRecordingCanvas spin;
    DrawSpinButtons(&spin.Canvas, nullptr, cell, btkTones, state, tones);
    auto halves = spin.Named("Rectangle");
    ASSERT_EQ(halves.size(), 2u);
    for (const TDrawingCall& half : halves)
      EXPECT_EQ(half.BrushColor, static_cast<COLORREF>(tone.Color));
    auto arrows = spin.Named("Polygon");
    ASSERT_EQ(arrows.size(), 2u);
    EXPECT_EQ(arrows[0].Args, Points({{89, 14}, {93, 14}, {91, 12}}));
    EXPECT_EQ(arrows[1].Args, Points({{89, 21}, {93, 21}, {91, 23}}));
    EXPECT_EQ(arrows[0].BrushColor, 0u);
    EXPECT_EQ(arrows[1].BrushColor, 0u);
  }
}

TEST(CellButtons, ACaptionIsCentredFourPixelsDownOnAClearBackground) {
  TRecordingCanvas rc;
  const String caption = u"Избери";
  const int width = rc.Canvas.TextWidth(caption);
  DrawCellButton(&rc.Canvas, nullptr, {20, 10, 100, 30}, btkClassic, btsNormal, DistinctTones(),
                 caption);
  auto text = rc.Named("ExtTextOut");
  ASSERT_EQ(text.size(), 1u) << rc.Log.Dump();
  EXPECT_EQ(text[0].Text, caption);
  EXPECT_EQ(text[0].Args[0], 20 + (80 - width) / 2);
  EXPECT_EQ(text[0].Args[1], 14);
  EXPECT_EQ(text[0].Flags & ETO_OPAQUE, 0u) << "a clear background";
  // After the button.
  EXPECT_EQ(rc.Names().back(), "ExtTextOut");
}

TEST(CellButtons, AnUnknownKindDrawsNothing) {
  TRecordingCanvas rc;
  DrawComboButton(&rc.Canvas, nullptr, {0, 0, 50, 20}, 7, btsNormal, DistinctTones());
  DrawCellButton(&rc.Canvas, nullptr, {0, 0, 50, 20}, 7, btsNormal, DistinctTones(), u"x");
  DrawSpinButtons(&rc.Canvas, nullptr, {0, 0, 50, 20}, -1, btsNormal, DistinctTones());
  EXPECT_TRUE(rc.Log.Calls().empty()) << rc.Log.Dump();
}

TEST(DrawDropArrow, AFilledTriangleInTheColourGiven) {
  TRecordingCanvas rc;
  DrawDropArrow(&rc.Canvas, 30, 12, clNavy);
  auto arrow = rc.Named("Polygon");
  ASSERT_EQ(arrow.size(), 1u);
  EXPECT_EQ(arrow[0].Args, Points({{27, 12}, {33, 12}, {30, 15}}));
  EXPECT_EQ(arrow[0].BrushColor, static_cast<COLORREF>(clNavy));
  EXPECT_EQ(rc.Pixel(30, 14), static_cast<COLORREF>(clNavy));
}

}  // namespace
