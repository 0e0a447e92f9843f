// Sample markup painted by a control on a real X server: links (one hovered, one focused),
// pictures from the container and the system list, embedded controls, lists and colours; saved
// as screenshots/mini-html.png.
#include "controls/html/AsgHTMLE.h"
#include "tests/controls/grid/HtmlTestSupport.h"
#include "tests/support/X11Gui.h"

namespace {

using namespace x11gui;

const String kSample =
    u"<FONT SIZE=\"4\" COLOR=\"clNavy\"><B>\u0417\u0434\u0440\u0430\u0432\u043E</B></FONT> "
    u"<I>mini-HTML</I> \u2014 <A HREF=\"https://example.org\">\u0432\u0440\u0441\u043A\u0430</A>, "
    u"<A HREF=\"mailto:a@b\">hovered</A> &amp; <U>under</U> <S>struck</S> "
    u"<FONT BGCOLOR=\"#FFFF80\">marked</FONT> x<SUP>2</SUP> H<SUB>2</SUB>O "
    u"<E>speling</E> <SHAD>shadow</SHAD><BR>"
    u"<IMG SRC=\"logo\" ALIGN=\"MIDDLE\"> container <IMG SRC=\"logo\" WIDTH=\"32\"> "
    u"<IMG SRC=\"SSYS:notes.txt\"><IMG SRC=\"SSYS:/\"><IMG SRC=\"LSYS:photo.png\"><HR>"
    u"<CONTROL TYPE=\"EDIT\" ID=\"e\" VALUE=\"\u0418\u043C\u0435\" WIDTH=\"90\"> "
    u"<CONTROL TYPE=\"PASSWORD\" ID=\"p\" VALUE=\"secret\" WIDTH=\"70\"> "
    u"<CONTROL TYPE=\"COMBO\" ID=\"c\" VALUE=\"Skopje\" WIDTH=\"90\"> "
    u"<CONTROL TYPE=\"CHECK\" ID=\"k\" VALUE=\"TRUE\" WIDTH=\"16\"> ok "
    u"<CONTROL TYPE=\"RADIO\" ID=\"r\" VALUE=\"TRUE\" WIDTH=\"16\"> one "
    u"<CONTROL TYPE=\"BUTTON\" ID=\"b\" VALUE=\"\u041F\u0440\u0430\u0442\u0438\" WIDTH=\"70\"><BR>"
    u"<UL><LI>\u041F\u0440\u0432\u043E<UL><LI>second level</UL><LI>third</UL>"
    u"<P ALIGN=\"RIGHT\" BGCOLOR=\"#E0F0FF\">right, on a band</P>";

class THtmlView : public TCustomControl {
 public:
  explicit THtmlView(TComponent* owner) : TCustomControl(owner), Box(nullptr) {
    htmltest::AddPicture(Box, u"logo", 24, 16);
  }
  ::PictureContainer::TPictureContainer Box;
  THtmlRenderResult Result;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clWindow);
    Canvas()->FillRect(ClientRect());
    THtmlRenderOptions o;
    o.PictureContainer = &Box;
    o.HoverLink = 2;
    o.HoverOnlyLink = true;
    o.HoverColor = 0x00F0E0D0;
    o.FocusLink = 0;
    TRect r = ClientRect();
    r.Left += 6;
    r.Top += 6;
    r.Right -= 6;
    RenderHtmlText(Canvas(), kSample, r, o, Result);
  }
};

class MiniHtmlGui : public TX11GuiTest {};

TEST_F(MiniHtmlGui, SampleMarkupOnTheServer) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption(u"Mini-HTML");
  form->SetBounds(40, 40, 640, 300);
  auto* view = new THtmlView(form);
  view->SetBounds(0, 0, form->ClientWidth(), form->ClientHeight());
  view->SetParent(form);
  form->Show();
  Window window = XWindowOf(form);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));
  PumpBriefly();

  cairo_surface_t* shot = Screenshot(Test, window, ScreenshotPath("mini-html.png"));
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(view->Result.LinkCountOut, 2);
  EXPECT_EQ(view->Result.FocusAnchorOut, u"https://example.org");
  // Ink in every part, and the paragraph band (its line right-aligned) at the left edge.
  const int height = view->Result.HeightOut;
  EXPECT_GT(height, 100);
  for (int top = 6; top + 30 < 6 + height; top += 30) {
    EXPECT_GT(DarkPixels(shot, TRect{0, top, 640, top + 30}), 20) << "band from " << top;
  }
  EXPECT_EQ(PixelAt(shot, 10, 6 + height - 3), Rgb(0x00FFF0E0));  // #E0F0FF
  cairo_surface_destroy(shot);
}

}  // namespace
