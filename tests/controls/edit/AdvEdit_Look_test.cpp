// How the enhanced edit looks and follows the focus: colours by state, formatting on exit, the
// width and alignment while focused, links, the empty-text hint, the error marker and the label.
#include "platform/gdi/Colors.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/ExtCtrls.h"
#include "tests/controls/edit/AdvEditTestSupport.h"

namespace {

using namespace advedit_test;
using AdvEdit::TLabelPosition;

class LookTest : public TAdvEditTest {
 public:
  // Pixels of the edit as painted, counted in a client rectangle.
  int CountPixels(TAdvEdit* edit, TRect r, const std::function<bool(COLORREF)>& match) {
    edit->Repaint();
    HDC dc = GetDC(edit->Handle());
    int count = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (match(GetPixel(dc, x, y))) ++count;
    ReleaseDC(edit->Handle(), dc);
    return count;
  }
  // The hint's grey ink, where the glyphs cover whole pixels.
  static bool IsGray(COLORREF c) { return c == RGB(128, 128, 128); }
  static bool IsRed(COLORREF c) { return c == RGB(255, 0, 0); }
};

TEST_F(LookTest, ColoursFollowFocusErrorModifiedAndEnabling) {
  Edit->SetColor(clCream);
  Edit->FocusColor = clYellow;
  Edit->FocusFontColor = clNavy;
  Focus(Edit);
  EXPECT_EQ(Edit->Color(), clYellow);
  EXPECT_EQ(Edit->Font()->Color(), clNavy);
  Focus(Other);
  EXPECT_EQ(Edit->Color(), clCream);
  EXPECT_EQ(Edit->Font()->Color(), clWindowText);

  // An invalid value shows the error colours, which win over the focus colours.
  Edit->ShowError = true;
  Edit->OnValueValidate = [](TObject*, String value, bool& valid) { valid = value != u"лошо"; };
  Focus(Edit);
  TypeKeys(u"лошо");
  EXPECT_TRUE(Edit->ErrorState());
  EXPECT_EQ(Edit->Color(), clRed);
  EXPECT_EQ(Edit->Font()->Color(), clWhite);
  Focus(Other);
  EXPECT_EQ(Edit->Color(), clRed) << "the error stays when the focus leaves";
  Focus(Edit);
  TypeKeys(u"добро");
  EXPECT_FALSE(Edit->ErrorState());
  EXPECT_EQ(Edit->Color(), clYellow);

  // Modified shows in its own colour until the value is set again.
  Edit->ShowModified = true;
  Edit->ModifiedColor = clPurple;
  TypeKeys(u"x");
  EXPECT_EQ(Edit->Font()->Color(), clPurple);
  Edit->SetText(u"ново");
  EXPECT_NE(Edit->Font()->Color(), clPurple);

  // Disabled shows DisabledColor; enabling brings the colour back.
  Focus(Other);
  Edit->SetEnabled(false);
  EXPECT_EQ(Edit->Color(), clSilver);
  Edit->SetEnabled(true);
  EXPECT_EQ(Edit->Color(), clCream);
}

TEST_F(LookTest, LeavingFormatsTheNumberAndUndoesTheFocusWidthAndAlignment) {
  Edit->SetEditType(TAdvEditType::etFloat);
  Edit->SetPrecision(2);
  Edit->FocusWidthInc = 20;
  Edit->FocusAlign = AdvEdit::TEditAlign::eaRight;
  Focus(Edit);
  EXPECT_EQ(Edit->Width(), 220);
  EXPECT_EQ(Edit->EditAlign(), AdvEdit::TEditAlign::eaRight);
  Edit->SelectValue();
  TypeKeys(u"3");
  EXPECT_EQ(Edit->Text(), u"3");
  Focus(Other);
  EXPECT_EQ(Edit->Text(), u"3.00");
  EXPECT_TRUE(Edit->Modified()) << "formatting on exit keeps the modified state";
  EXPECT_EQ(Edit->Width(), 200);
  EXPECT_EQ(Edit->EditAlign(), AdvEdit::TEditAlign::eaLeft);
  // Left empty, a number edit shows zero unless it may hold nothing.
  Focus(Edit);
  Edit->SelectValue();
  PressKey(VK_BACK);
  Focus(Other);
  EXPECT_EQ(Edit->Text(), u"0.00");
  Edit->SetAllowNumericNullValue(true);
  Focus(Edit);
  Edit->SelectValue();
  PressKey(VK_BACK);
  Focus(Other);
  EXPECT_EQ(Edit->Text(), u"");
}

TEST_F(LookTest, AFlatEditTakesItsParentsColourAndKeepsItAfterTheFocus) {
  Form->SetColor(clMoneyGreen);
  Edit->SetFlat(true);
  EXPECT_EQ(Edit->Color(), clMoneyGreen);
  EXPECT_EQ(Edit->BorderStyle(), bsNone);
  Focus(Edit);
  Focus(Other);
  EXPECT_EQ(Edit->Color(), clMoneyGreen);
  Edit->SetFlat(false);
  EXPECT_EQ(Edit->BorderStyle(), bsSingle);
}

TEST_F(LookTest, ALinkShowsAsOneAndAClickOpensIt) {
  Edit->ShowURL = true;
  Edit->SetText(u"www.example.org");
  EXPECT_TRUE(Edit->Font()->Style().Contains(fsUnderline));
  EXPECT_EQ(Edit->Font()->Color(), clBlue);
  Focus(Edit);
  Script().Then([this] { Click(Edit); });
  RunScript();
  ASSERT_EQ(Script().OpenedUrls().size(), 1u);
  EXPECT_EQ(Script().OpenedUrls()[0], u"http://www.example.org");
  Edit->SetText(u"info@example.org");
  Script().Then([this] { Click(Edit); });
  RunScript();
  ASSERT_EQ(Script().OpenedUrls().size(), 2u);
  EXPECT_EQ(Script().OpenedUrls()[1], u"mailto:info@example.org");
  // The event may keep the link shut; a plain text is no link.
  Edit->OnURLClick = [](TObject*, String, bool& show) { show = false; };
  Script().Then([this] { Click(Edit); });
  RunScript();
  EXPECT_EQ(Script().OpenedUrls().size(), 2u);
  Edit->SetText(u"Скопје");
  EXPECT_FALSE(Edit->Font()->Style().Contains(fsUnderline));
}

TEST_F(LookTest, TheEmptyTextHintAndTheErrorMarkerArePainted) {
  Focus(Other);
  Edit->SetEmptyText(u"Пребарај");
  TRect field{4, 4, 150, 20};
  EXPECT_GT(CountPixels(Edit, field, IsGray), 10) << "the grey hint on an empty edit";
  Edit->SetText(u"x");
  EXPECT_EQ(CountPixels(Edit, field, IsGray), 0) << "a value hides the hint";
  Edit->SetText(u"");
  Focus(Edit);
  EXPECT_EQ(CountPixels(Edit, field, IsGray), 0) << "the focus hides the hint";
  Edit->EmptyTextFocused = true;
  EXPECT_GT(CountPixels(Edit, field, IsGray), 10);

  Focus(Other);
  Edit->SetText(u"погрешен збор");
  TRect under{0, 10, 200, 24};
  EXPECT_EQ(CountPixels(Edit, under, IsRed), 0);
  Edit->SetErrorMarkerPos(3);
  Edit->SetErrorMarkerLen(5);
  int red = CountPixels(Edit, under, IsRed);
  EXPECT_GT(red, 10) << "the zig-zag under the marked characters";
  int from = Edit->PosFromChar(3).X;
  int to = Edit->PosFromChar(8).X;
  EXPECT_EQ(CountPixels(Edit, {0, 10, from - 1, 24}, IsRed), 0) << "nothing before the mark";
  EXPECT_EQ(CountPixels(Edit, {to + 3, 10, 200, 24}, IsRed), 0) << "nothing after it";
  Focus(Edit);
  EXPECT_EQ(CountPixels(Edit, under, IsRed), 0) << "hidden while focused";
}

TEST_F(LookTest, BordersShowTheFocusAndTheDisabledState) {
  Form->Show();
  auto frameIs = [&](COLORREF colour) {
    return CountPixels(Edit, {0, 0, 200, 1}, [&](COLORREF c) { return c == colour; }) == 200;
  };
  Edit->FocusBorderColor = clBlue;
  Focus(Edit);
  EXPECT_TRUE(frameIs(RGB(0, 0, 255)));
  Focus(Other);
  EXPECT_FALSE(frameIs(RGB(0, 0, 255)));
  Edit->SetBorderColor(clLime);
  EXPECT_TRUE(frameIs(RGB(0, 255, 0)));
  Edit->SetEnabled(false);
  EXPECT_TRUE(frameIs(RGB(192, 192, 192))) << "a disabled edit has a silver frame";
}

// --- The label -----------------------------------------------------------------------------------

TEST(LabelPlacement, EveryPositionFollowsItsRule) {
  // Control at left 162, top 100, 200 by 24; label 80 by 16 with an 80-pixel caption; margin 4.
  const TRect control = Bounds(162, 100, 200, 24);
  struct TCase {
    TLabelPosition Position;
    int Left, Top;
  } cases[] = {
      {TLabelPosition::lpLeftTop, 78, 100},         {TLabelPosition::lpLeftCenter, 78, 104},
      {TLabelPosition::lpLeftBottom, 78, 108},      {TLabelPosition::lpTopLeft, 162, 80},
      {TLabelPosition::lpBottomLeft, 162, 128},     {TLabelPosition::lpLeftTopLeft, 158, 100},
      {TLabelPosition::lpLeftCenterLeft, 158, 104}, {TLabelPosition::lpLeftBottomLeft, 158, 108},
      {TLabelPosition::lpTopCenter, 222, 80},       {TLabelPosition::lpBottomCenter, 222, 128},
      {TLabelPosition::lpRightTop, 366, 100},       {TLabelPosition::lpRightCenter, 366, 104},
      {TLabelPosition::lpRighBottom, 366, 108},     {TLabelPosition::lpTopRight, 282, 80},
      {TLabelPosition::lpBottomRight, 282, 128},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Position));
    TPoint at = AdvEdit::LabelOrigin(c.Position, control, {80, 16}, 80, 4);
    EXPECT_EQ(at.X, c.Left);
    EXPECT_EQ(at.Y, c.Top);
  }
  // A label wider than the control centres over it, so it starts left of it by half the gap.
  EXPECT_EQ(AdvEdit::LabelOrigin(TLabelPosition::lpTopCenter, control, {300, 16}, 300, 4).X, 112);
  // Odd differences truncate towards zero.
  EXPECT_EQ(AdvEdit::LabelOrigin(TLabelPosition::lpLeftCenter, control, {80, 17}, 80, 4).Y, 103);
}

TEST_F(LookTest, TheLabelStandsBesideTheEditAndFollowsIt) {
  Edit->SetBounds(162, 40, 200, 24);
  Edit->SetLabelCaption(u"Корисничко име ");
  TEditLabel* label = Edit->EditLabel();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Parent(), Form);
  EXPECT_EQ(label->FocusControl(), Edit);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, label->Font()->Handle());
  TSize text{};
  GetTextExtentPoint32(dc, u"Корисничко име ", &text);
  DeleteDC(dc);
  EXPECT_EQ(label->Left(), 162 - text.cx - 4);
  EXPECT_EQ(label->Top(), 40);  // lpLeftTop
  Edit->SetLabelPosition(TLabelPosition::lpLeftCenter);
  EXPECT_EQ(label->Top(), 40 + (24 - label->Height()) / 2);
  Edit->SetLabelMargin(10);
  EXPECT_EQ(label->Left(), 162 - text.cx - 10);

  Edit->SetLabelPosition(TLabelPosition::lpTopLeft);
  Edit->SetBounds(180, 120, 200, 24);
  EXPECT_EQ(label->Left(), 180);
  EXPECT_EQ(label->Top(), 120 - label->Height() - 10);
  Edit->Hide();
  EXPECT_FALSE(label->Visible());
  Edit->Show();
  EXPECT_TRUE(label->Visible());
  Edit->SetEnabled(false);
  EXPECT_FALSE(label->Enabled());
  Edit->SetLabelAlwaysEnabled(true);
  EXPECT_TRUE(label->Enabled());
  Edit->SetEnabled(true);
  Edit->SetEnabled(false);
  EXPECT_TRUE(label->Enabled());

  auto* panel = new TPanel(Form);
  panel->SetBounds(0, 150, 400, 100);
  panel->SetParent(Form);
  Edit->SetParent(panel);
  EXPECT_EQ(label->Parent(), panel);
  int clicks = 0;
  Edit->OnLabelClick = [&](TObject* sender) {
    EXPECT_EQ(sender, Edit);
    ++clicks;
  };
  label->OnClick(label);
  EXPECT_EQ(clicks, 1);
  // The label goes with its edit.
  delete Edit;
  Edit = nullptr;
  EXPECT_EQ(panel->ControlCount(), 0);
}

TEST_F(LookTest, AFocusLabelIsBoldWhileTheEditHasTheFocus) {
  Edit->SetLabelCaption(u"Лозинка ");
  Edit->FocusLabel = true;
  Focus(Edit);
  EXPECT_TRUE(Edit->EditLabel()->Font()->Style().Contains(fsBold));
  Focus(Other);
  EXPECT_FALSE(Edit->EditLabel()->Font()->Style().Contains(fsBold));
}

}  // namespace
