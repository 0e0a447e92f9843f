// The smooth panel's HTML caption: where it goes, that it is drawn once per change, and its
// anchors under the mouse (cursor, click).
#include "controls/graphics/AdvSmoothPanelHtml.h"
#include "platform/rtl/RtlMath.h"
#include "tests/controls/graphics/SmoothPanelTestSupport.h"

namespace {

using namespace AdvSmoothPanel;
using smoothtest::TSmoothPanelTest;

const char16_t* const kHtml = u"Кликни <A href=\"отвори\">тука</A> сега";

class SmoothPanelHtml : public TSmoothPanelTest {
 public:
  TAdvSmoothPanel* Panel(const String& caption) {
    TAdvSmoothPanel* panel = Add(Bounds(10, 10, 300, 150));
    panel->Caption()->SetText(caption);
    panel->Caption()->SetHTMLText(kHtml);
    return panel;
  }
  // Where a run of the HTML was drawn in the last paint.
  static TPoint RunAt(const TGPCallLog& log, const String& text) {
    for (const TGPCall& c : log.Named("GdipDrawString")) {
      if (c.Text == text) return TPoint{static_cast<int>(c.Args[0]), static_cast<int>(c.Args[1])};
    }
    ADD_FAILURE() << "no run " << UTF8Encode(text) << "\n" << log.Dump();
    return TPoint{-100, -100};
  }
  static void Move(TControl* panel, TPoint p) {
    panel->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(p.X, p.Y));
  }
};

TEST_F(SmoothPanelHtml, TheCaptionIsDrawnOncePerChangeBelowTheCaptionText) {
  TAdvSmoothPanel* panel = Panel(u"Наслов");
  Show();
  panel->Caption()->SetHTMLURLColor(clRed);
  TGPCallLog twice;
  {
    TGPCallLogScope scope(twice);
    panel->Repaint();
    panel->Repaint();
  }
  EXPECT_EQ(TextCalls(twice, u"тука"), 1) << "one rebuild for one change";
  const TRect html = panel->HTMLRect();
  const int captionHeight = static_cast<int>(
      Round(smoothtest::Measure(u"Наслов", panel->Caption()->Font()).Height));
  EXPECT_GE(html.Top, captionHeight);
  for (const char16_t* run : {u"Кликни ", u"тука", u" сега"}) {
    SCOPED_TRACE(UTF8Encode(run));
    const TPoint at = RunAt(twice, run);
    EXPECT_TRUE(PtInRect(html, at));
  }
  for (const TGPCall& c : twice.Named("GdipDrawString")) {
    if (c.Text == u"тука") EXPECT_EQ(c.Brush.Colors[0], ColorToARGB(clRed));
  }
}

TEST_F(SmoothPanelHtml, WhereTheCaptionGoes) {
  TAdvSmoothPanel* panel = Panel(u"");
  TGDIPFill* fill = panel->Fill();
  fill->SetShadowColor(clNone);
  fill->SetBorderColor(clBlack);
  fill->SetBorderWidth(1);
  THtmlRenderOptions o = PanelHtmlOptions(nullptr, clBlue, clGray, 5);
  o.MeasureOnly = true;
  THtmlRenderResult size;
  {
    TGPBitmap scratch(1, 1);
    TGPGraphics g(&scratch);
    RenderHtmlTextPanel(&g, panel->Caption()->HTMLFont(), kHtml, TRect{0, 0, 298, 10000}, o,
                        nullptr, size);
  }
  const int width = 300 - 2 * 1;  // the layout width: less the border on both sides
  struct TCase {
    TAdvSmoothPanelLocation Location;
    TRect Expected;
  } cases[] = {
      // Without caption text the block is laid out from the top of the body.
      {plTopLeft, Bounds(0, 0, size.WidthOut, size.HeightOut)},
      // The body is (0, 0, 299, 149): the placement rule measures from 0.
      {plBottomRight, Bounds(299 - size.WidthOut, 149 - size.HeightOut, size.WidthOut,
                             size.HeightOut)},
      {plCustom, Bounds(30, 50, width - 30, size.HeightOut)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Location);
    panel->Caption()->SetHTMLLocation(c.Location);
    if (c.Location == plCustom) {
      panel->Caption()->SetHTMLLeft(30);
      panel->Caption()->SetHTMLTop(50);
    }
    Painted(panel);
    EXPECT_EQ(panel->HTMLRect(), c.Expected);
  }
}

TEST_F(SmoothPanelHtml, AnchorsShowTheHandAndAnswerClicks) {
  TAdvSmoothPanel* panel = Panel(u"Наслов");
  panel->SetCursor(crIBeam);
  std::vector<String> clicked;
  panel->OnAnchorClick = [&](TObject* sender, const String& anchor) {
    EXPECT_EQ(sender, panel);
    clicked.push_back(anchor);
  };
  TGPCallLog log = Painted(panel);
  TPoint link = RunAt(log, u"тука"), plain = RunAt(log, u"Кликни ");
  link = TPoint{link.X + 4, link.Y + 6};
  plain = TPoint{plain.X + 4, plain.Y + 6};

  EXPECT_EQ(panel->GetAnchorAt(link.X, link.Y), u"отвори");
  EXPECT_EQ(panel->GetAnchorAt(plain.X, plain.Y), u"");
  EXPECT_EQ(panel->GetAnchorAt(2, 2), u"") << "outside the HTML rectangle";

  Move(panel, link);
  EXPECT_EQ(panel->Cursor(), crHandPoint);
  panel->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(link.X, link.Y));
  panel->Perform(WM_LBUTTONUP, 0, MAKELPARAM(link.X, link.Y));
  EXPECT_EQ(clicked, std::vector<String>{u"отвори"});

  // Leaving the anchor gives back the cursor last set, not the default one.
  Move(panel, plain);
  EXPECT_EQ(panel->Cursor(), crIBeam);
  panel->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(plain.X, plain.Y));
  panel->Perform(WM_LBUTTONUP, 0, MAKELPARAM(plain.X, plain.Y));
  EXPECT_EQ(clicked.size(), 1u) << "a press off the anchor clicks nothing";
}

}  // namespace
