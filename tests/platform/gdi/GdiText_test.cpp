#include <gtest/gtest.h>

#include "platform/gdi/FontFace.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace {

using namespace gditest;

constexpr COLORREF kWhite = RGB(255, 255, 255);

HFONT MakeFont(std::u16string_view face, int height, int weight = FW_NORMAL, int escapement = 0) {
  return CreateFont(height, 0, escapement, escapement, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

TSize Extent(HDC dc, std::u16string_view text) {
  TSize size;
  GetTextExtentPoint32(dc, text, &size);
  return size;
}

TEST(GdiText, FamiliesMapToInstalledFacesAndUnknownOnesFallBack) {
  EXPECT_EQ(ResolveFontFamily(u"Tahoma"), u"DejaVu Sans");
  EXPECT_EQ(ResolveFontFamily(u"ms sans serif"), u"DejaVu Sans");
  EXPECT_EQ(ResolveFontFamily(u"Segoe UI"), u"DejaVu Sans");
  EXPECT_EQ(ResolveFontFamily(u"Arial"), u"DejaVu Sans");
  EXPECT_EQ(ResolveFontFamily(u"Courier New"), u"DejaVu Sans Mono");
  EXPECT_EQ(ResolveFontFamily(u"FixedSys"), u"DejaVu Sans Mono");
  EXPECT_EQ(ResolveFontFamily(u"DejaVu Serif"), u"DejaVu Serif");  // installed, Cyrillic
  EXPECT_EQ(ResolveFontFamily(u"No Such Face 123"), u"DejaVu Sans");
  EXPECT_TRUE(FontFamilyExists(u"Tahoma"));
  EXPECT_TRUE(FontFamilyExists(u"dejavu sans mono"));
  EXPECT_FALSE(FontFamilyExists(u"No Such Face 123"));
  std::vector<String> screen = ScreenFontNames();
  for (const char16_t* name : {u"Tahoma", u"Courier New", u"DejaVu Sans", u"DejaVu Sans Mono"}) {
    EXPECT_NE(std::find(screen.begin(), screen.end(), String(name)), screen.end()) << UTF8Encode(name);
  }
  EXPECT_TRUE(std::is_sorted(screen.begin(), screen.end(),
                             [](const String& a, const String& b) { return CompareText(a, b) < 0; }));

  // A font of a missing family measures exactly as the default face does.
  TDcPtr dc(CreateImageDC(10, 10));
  TObject<HFONT> missing(MakeFont(u"No Such Face 123", -12));
  TObject<HFONT> tahoma(MakeFont(u"Tahoma", -12));
  const std::u16string_view sample = u"Здраво, Skopje 123";
  SelectObject(dc.get(), missing);
  TEXTMETRICW a;
  GetTextMetrics(dc.get(), &a);
  TSize wa = Extent(dc.get(), sample);
  EXPECT_EQ(GetTextFace(dc.get()), u"No Such Face 123");
  SelectObject(dc.get(), tahoma);
  TEXTMETRICW b;
  GetTextMetrics(dc.get(), &b);
  EXPECT_EQ(a.tmHeight, b.tmHeight);
  EXPECT_EQ(a.tmAveCharWidth, b.tmAveCharWidth);
  EXPECT_EQ(wa, Extent(dc.get(), sample));
}

TEST(GdiText, MetricsGrowWithSizeAndWeight) {
  TDcPtr dc(CreateImageDC(10, 10));
  TEXTMETRICW previous{};
  for (int height : {-8, -11, -13, -16, -24}) {
    TObject<HFONT> font(MakeFont(u"Tahoma", height));
    SelectObject(dc.get(), font);
    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetrics(dc.get(), &tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent) << height;
    EXPECT_GT(tm.tmAscent, tm.tmDescent) << height;
    EXPECT_GE(tm.tmHeight, -height) << height;
    EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight + height) << height;
    EXPECT_GT(tm.tmHeight, previous.tmHeight) << height;
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);  // set means variable pitch
    previous = tm;
    SelectObject(dc.get(), GetStockObject(SYSTEM_FONT));
  }
  // A positive height asks for the cell height.
  TObject<HFONT> cell(MakeFont(u"Tahoma", 20));
  SelectObject(dc.get(), cell);
  TEXTMETRICW tm;
  GetTextMetrics(dc.get(), &tm);
  EXPECT_NEAR(tm.tmHeight, 20, 1);
  TObject<HFONT> normal(MakeFont(u"Tahoma", -13));
  TObject<HFONT> bold(MakeFont(u"Tahoma", -13, FW_BOLD));
  SelectObject(dc.get(), normal);
  int plain = Extent(dc.get(), u"Македонија").cx;
  SelectObject(dc.get(), bold);
  EXPECT_GT(Extent(dc.get(), u"Македонија").cx, plain);
  // A monospaced face gives every character the same advance.
  TObject<HFONT> mono(MakeFont(u"Courier New", -13));
  SelectObject(dc.get(), mono);
  EXPECT_EQ(Extent(dc.get(), u"iiii").cx, Extent(dc.get(), u"ШШШШ").cx);
  TEXTMETRICW monoTm;
  GetTextMetrics(dc.get(), &monoTm);
  EXPECT_FALSE(monoTm.tmPitchAndFamily & TMPF_FIXED_PITCH);
}

TEST(GdiText, WidthsAddUpAndMatchTheInkDrawn) {
  TDcPtr dc(CreateImageDC(400, 40));
  TObject<HFONT> font(MakeFont(u"Tahoma", -13));
  SelectObject(dc.get(), font);
  const std::u16string_view parts[] = {u"Член", u" на ", u"здружението", u" (2024)"};
  int sum = 0;
  String whole;
  for (auto part : parts) {
    sum += Extent(dc.get(), part).cx;
    whole += part;
  }
  EXPECT_EQ(Extent(dc.get(), whole).cx, sum);
  EXPECT_EQ(Extent(dc.get(), u"").cx, 0);
  int fit = 0;
  std::vector<int> dx(whole.size());
  GetTextExtentExPoint(dc.get(), whole, 60, &fit, dx.data(), nullptr);
  EXPECT_EQ(dx.back(), sum);
  EXPECT_LE(dx[fit - 1], 60);
  EXPECT_GT(dx[fit], 60);

  SetBkMode(dc.get(), TRANSPARENT);
  TextOut(dc.get(), 10, 5, whole);
  TRect ink = InkBounds(Snapshot(dc.get()), kWhite);
  TEXTMETRICW tm;
  GetTextMetrics(dc.get(), &tm);
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Left, 12);
  EXPECT_NEAR(ink.Right, 10 + sum, 3);  // the ink ends where the advances say
  EXPECT_GE(ink.Top, 5);
  EXPECT_LE(ink.Bottom, 5 + tm.tmHeight);
}

TEST(GdiText, DrawTextMeasuresCyrillicStably) {
  TDcPtr dc(CreateImageDC(200, 200));
  TObject<HFONT> font(MakeFont(u"Tahoma", -11));
  SelectObject(dc.get(), font);
  TEXTMETRICW tm;
  GetTextMetrics(dc.get(), &tm);
  const std::u16string_view text = u"Донации примени од правни лица";

  TRect single{10, 10, 10, 10};
  int height = DrawText(dc.get(), text, single, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(height, tm.tmHeight);
  EXPECT_EQ(single, (TRect{10, 10, 10 + Extent(dc.get(), text).cx, 10 + tm.tmHeight}));

  TRect wrapped{10, 10, 110, 10};
  height = DrawText(dc.get(), text, wrapped, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(height % tm.tmHeight, 0);
  EXPECT_GE(height / tm.tmHeight, 3);
  EXPECT_LE(wrapped.Right, 110);
  EXPECT_EQ(wrapped.Bottom, 10 + height);
  // The same question gives the same answer.
  TRect again{10, 10, 110, 10};
  EXPECT_EQ(DrawText(dc.get(), text, again, DT_CALCRECT | DT_WORDBREAK), height);
  EXPECT_EQ(again, wrapped);

  // Drawn into the measured rectangle, the ink stays inside it.
  SetBkMode(dc.get(), TRANSPARENT);
  TRect target = wrapped;
  DrawText(dc.get(), text, target, DT_WORDBREAK);
  TRect ink = InkBounds(Snapshot(dc.get()), kWhite);
  EXPECT_FALSE(IsRectEmpty(ink));
  TRect both;
  IntersectRect(both, ink, wrapped);
  EXPECT_EQ(both, ink);
}

TEST(GdiText, EndEllipsisKeepsTheTextInsideItsCell) {
  TDcPtr dc(CreateImageDC(300, 40));
  TObject<HFONT> font(MakeFont(u"Tahoma", -11));
  SelectObject(dc.get(), font);
  SetBkMode(dc.get(), TRANSPARENT);
  const std::u16string_view text = u"Трошоци за канцелариски материјали и опрема";
  TRect cell{20, 10, 120, 30};
  ASSERT_GT(Extent(dc.get(), text).cx, cell.Width());
  TRect measured = cell;
  DrawText(dc.get(), text, measured, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_LE(measured.Width(), cell.Width());
  EXPECT_GT(measured.Width(), cell.Width() - Extent(dc.get(), u"Ш...").cx);
  TRect r = cell;
  DrawText(dc.get(), text, r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOCLIP);
  TRect ink = InkBounds(Snapshot(dc.get()), kWhite);
  EXPECT_GE(ink.Left, cell.Left - 1);  // antialiasing may reach one pixel out
  EXPECT_LE(ink.Right, cell.Right + 1);
  // The three dots: ink in the last few pixels of the text.
  EXPECT_GE(ink.Right, measured.Right - 3);
}

TEST(GdiText, OpaqueBackgroundAndUnderlinedAccessKey) {
  TDcPtr dc(CreateImageDC(100, 30));
  SetBkColor(dc.get(), RGB(255, 255, 0));
  SetBkMode(dc.get(), OPAQUE);
  TextOut(dc.get(), 5, 5, u"Да");
  TSize size = Extent(dc.get(), u"Да");
  TSnapshot shot = Snapshot(dc.get());
  EXPECT_EQ(shot.At(5, 5), RGB(255, 255, 0));
  EXPECT_EQ(shot.At(5 + size.cx - 1, 5 + size.cy - 1), RGB(255, 255, 0));
  EXPECT_EQ(shot.At(5 + size.cx, 5), kWhite);

  TDcPtr prefix(CreateImageDC(100, 30));
  SetBkMode(prefix.get(), TRANSPARENT);
  TRect r{0, 0, 100, 30};
  DrawText(prefix.get(), u"&Нов", r, DT_SINGLELINE);
  TRect plain{0, 0, 100, 30};
  TDcPtr hidden(CreateImageDC(100, 30));
  SetBkMode(hidden.get(), TRANSPARENT);
  DrawText(hidden.get(), u"&Нов", plain, DT_SINGLELINE | DT_HIDEPREFIX);
  TEXTMETRICW tm;
  GetTextMetrics(prefix.get(), &tm);
  int underline = tm.tmAscent + 1;
  int width = Extent(prefix.get(), u"Н").cx;
  EXPECT_GE(CountOther(Snapshot(prefix.get()), {0, underline, width, underline + 1}, kWhite), width - 1);
  EXPECT_LT(CountOther(Snapshot(hidden.get()), {0, underline, width, underline + 1}, kWhite), width - 1);
}

TEST(GdiText, CachedGlyphsDrawWhatPangoShapes) {
  LOGFONTW log;
  log.lfHeight = -13;
  std::u16string_view name = u"Tahoma";
  std::copy(name.begin(), name.end(), log.lfFaceName);
  auto face = AcquireFontFace(log);
  for (std::u16string_view text : {std::u16string_view(u"Љубомир Ѓорѓиевски, ул. Партизанска 12"),
                                   std::u16string_view(u"AVA Tory WAVE 1/2 (x)")}) {
    TDcPtr fast(CreateImageDC(320, 20)), shaped(CreateImageDC(320, 20));
    for (auto [dc, useCache] : {std::pair{fast.get(), true}, std::pair{shaped.get(), false}}) {
      cairo_t* cr = cairo_create(GetDCSurface(dc));
      cairo_set_source_rgb(cr, 0, 0, 0);
      if (useCache) {
        face->DrawLine(cr, 3, 14, text);
      } else {
        face->DrawLineShaped(cr, 3, 14, text, false);
      }
      cairo_destroy(cr);
    }
    TSnapshot a = Snapshot(fast.get()), b = Snapshot(shaped.get());
    EXPECT_GT(CountOther(a, {0, 0, 320, 20}, kWhite), 100);
    EXPECT_EQ(a, b) << "drawing differs for a text";
  }
}

TEST(GdiText, EscapementTurnsTheText) {
  TDcPtr dc(CreateImageDC(80, 160));
  TObject<HFONT> up(MakeFont(u"Tahoma", -13, FW_NORMAL, 900));
  SelectObject(dc.get(), up);
  SetBkMode(dc.get(), TRANSPARENT);
  TextOut(dc.get(), 20, 150, u"Вертикално");
  TRect ink = InkBounds(Snapshot(dc.get()), kWhite);
  EXPECT_GT(ink.Height(), 3 * ink.Width());
  EXPECT_LE(ink.Bottom, 151);  // reads upwards from the reference point
  EXPECT_GE(ink.Left, 19);
}

}  // namespace
