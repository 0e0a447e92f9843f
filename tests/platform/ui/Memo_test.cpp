#include <gtest/gtest.h>

#include "platform/gdi/Colors.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class MemoTest : public TUiTest {
 public:
  MemoTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 500, 400);
    Memo = new TMemo(Form);
    Memo->SetBounds(10, 10, 240, 120);
    Memo->SetParent(Form);
    Memo->OnChange = [this](TObject*) { ++Changes; };
    Form->Show();
  }
  static void Ctrl(uint16_t key, bool shift = false) {
    InjectKey(VK_CONTROL, true);
    Key(key, shift);
    InjectKey(VK_CONTROL, false);
  }
  static void Repeat(int times, uint16_t key, bool shift = false) {
    for (int i = 0; i < times; ++i) Key(key, shift);
  }
  // The screen point in the middle of the row of a character, at its left edge.
  TPoint AtChar(int index) {
    TPoint p = Memo->PosFromChar(index);
    return Memo->ClientToScreen({p.X, p.Y + 4});
  }
  void FocusThen(std::function<void()> steps) {
    Script().Then([this] { ClickAt(AtChar(0)); });
    Script().Then(std::move(steps));
    RunScript();
  }
  // Every row as the memo shows it.
  std::vector<String> ShownRows() {
    std::vector<String> rows;
    String text = Memo->Text();
    int count = static_cast<int>(Memo->Perform(EM_GETLINECOUNT));
    for (int r = 0; r < count; ++r) {
      auto start = static_cast<int>(Memo->Perform(EM_LINEINDEX, static_cast<WPARAM>(r)));
      auto length = static_cast<int>(Memo->Perform(EM_LINELENGTH, static_cast<WPARAM>(start)));
      rows.push_back(text.substr(static_cast<size_t>(start), static_cast<size_t>(length)));
    }
    return rows;
  }

  TForm* Form = nullptr;
  TMemo* Memo = nullptr;
  int Changes = 0;
};

TEST_F(MemoTest, TypingCyrillicAndEnterMakesLinesThatStayInStepWithTheText) {
  FocusThen([] {
    Type(u"Прва линија");
    Key(VK_RETURN);
    Type(u"втора");
  });
  EXPECT_EQ(Memo->Text(), u"Прва линија\r\nвтора");
  ASSERT_EQ(Memo->Lines()->Count(), 2);
  EXPECT_EQ(Memo->Lines()->Strings(0), u"Прва линија");
  EXPECT_EQ(Memo->Lines()->Strings(1), u"втора");
  EXPECT_TRUE(Memo->Modified());
  EXPECT_EQ(Memo->CaretPos(), 18);
  // The edit messages count a line break as two characters.
  EXPECT_EQ(Memo->Perform(EM_GETLINECOUNT), 2);
  EXPECT_EQ(Memo->Perform(EM_LINEINDEX, 1), 13);
  EXPECT_EQ(Memo->Perform(EM_LINEINDEX, 2), -1);
  EXPECT_EQ(Memo->Perform(EM_LINEFROMCHAR, 15), 1);
  EXPECT_EQ(Memo->Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(-1)), 1);  // the caret's line
  EXPECT_EQ(Memo->Perform(EM_LINELENGTH, 3), 11);
  char16_t buffer[16] = {16};
  ASSERT_EQ(Memo->Perform(EM_GETLINE, 1, reinterpret_cast<LPARAM>(buffer)), 5);
  EXPECT_EQ(String(buffer, 5), u"втора");

  // Changing Lines changes the text, and setting the text changes Lines.
  Memo->Lines()->Add(u"трета");
  Memo->Lines()->Insert(0, u"нулта");
  Memo->Lines()->SetStrings(2, u"ВТОРА");
  EXPECT_EQ(Memo->Text(), u"нулта\r\nПрва линија\r\nВТОРА\r\nтрета\r\n");
  EXPECT_EQ(Memo->Lines()->Count(), 4);
  Memo->Lines()->Delete(1);
  Memo->Lines()->Delete(2);
  EXPECT_EQ(Memo->Text(), u"нулта\r\nВТОРА\r\n");
  Memo->SetText(u"a\nb\rc\r\nd");  // every kind of line break becomes CR LF
  EXPECT_EQ(Memo->Text(), u"a\r\nb\r\nc\r\nd");
  EXPECT_EQ(Memo->Lines()->Count(), 4);
  EXPECT_EQ(Memo->Lines()->Strings(3), u"d");
  EXPECT_THROW(Memo->Lines()->Strings(4), EStringListError);
  Memo->Lines()->Clear();
  EXPECT_EQ(Memo->Text(), u"");
  EXPECT_EQ(Memo->Lines()->Count(), 0);
  TStringList source;
  source.SetText(u"x\ny");
  Memo->SetLines(&source);
  EXPECT_EQ(Memo->Text(), u"x\r\ny\r\n");
}

TEST_F(MemoTest, ArrowsHomeEndAndShiftSelectAcrossLinesKeepingTheColumn) {
  Memo->SetText(u"долга линија\r\nкус\r\nдолга линија\r\nкрај");
  FocusThen([] {
    Ctrl(VK_HOME);
    Repeat(10, VK_RIGHT);
    Key(VK_DOWN);  // the short line: its end
  });
  EXPECT_EQ(Memo->CaretPos(), 17);
  Script().Then([] { Key(VK_DOWN); });  // back to the column the run began in
  RunScript();
  EXPECT_EQ(Memo->CaretPos(), 19 + 10);
  // Home and End work on the line; Right at a line's end crosses the line break whole.
  Script().Then([] { Key(VK_END); Key(VK_RIGHT); });
  RunScript();
  EXPECT_EQ(Memo->CaretPos(), 33);
  Script().Then([] { Key(VK_LEFT); Key(VK_HOME); });
  RunScript();
  EXPECT_EQ(Memo->CaretPos(), 19);
  // Shift+Up selects back over the line break; Ctrl+Shift+End to the end of the text.
  Script().Then([] { Key(VK_UP, true); });
  RunScript();
  EXPECT_EQ(Memo->SelText(), u"кус\r\n");
  Script().Then([] { Ctrl(VK_END, true); });
  RunScript();
  EXPECT_EQ(Memo->SelStart(), 19);
  EXPECT_EQ(Memo->SelText(), u"долга линија\r\nкрај");
  Script().Then([] { Ctrl(VK_HOME); Key(VK_UP); Key(VK_LEFT); });  // nothing above the top
  RunScript();
  EXPECT_EQ(Memo->CaretPos(), 0);
  EXPECT_EQ(Memo->SelLength(), 0);
  // Backspace after a line break joins the lines.
  Script().Then([] { Key(VK_DOWN); Key(VK_HOME); Key(VK_BACK); });
  RunScript();
  EXPECT_EQ(Memo->Lines()->Strings(0), u"долга линијакус");
  EXPECT_EQ(Memo->CaretPos(), 12);
}

TEST_F(MemoTest, DraggingTheMouseSelectsAcrossLines) {
  Memo->SetText(u"Прва\r\nВтора\r\nТрета");
  Script().Then([this] {
    InjectMouseButton(TMouseButtonId::Left, true, AtChar(2));
    InjectMouseMove(AtChar(9));
    InjectMouseMove(AtChar(15));
    InjectMouseButton(TMouseButtonId::Left, false, AtChar(15));
  });
  RunScript();
  EXPECT_TRUE(Memo->Focused());
  EXPECT_EQ(Memo->SelStart(), 2);
  EXPECT_EQ(Memo->SelText(), u"ва\r\nВтора\r\nТр");
  // Characters and client points map to each other on every line.
  for (int index : {0, 3, 6, 10, 13, 17}) {
    LRESULT pos = Memo->Perform(EM_POSFROMCHAR, static_cast<WPARAM>(index));
    int x = static_cast<int16_t>(LOWORD(pos)), y = static_cast<int16_t>(HIWORD(pos));
    LRESULT hit = Memo->Perform(EM_CHARFROMPOS, 0, MAKELPARAM(x + 1, y + 3));
    EXPECT_EQ(LOWORD(hit), index) << index;
    EXPECT_EQ(HIWORD(hit), Memo->LineFromChar(index)) << index;
  }
  // Shift+click extends from the anchor to another line; a click below the last line goes to it.
  Script().Then([this] {
    InjectKey(VK_SHIFT, true);
    ClickAt(AtChar(7));
    InjectKey(VK_SHIFT, false);
  });
  RunScript();
  EXPECT_EQ(Memo->SelText(), u"ва\r\nВ");
  Script().Then([this] { ClickAt(Memo->ClientToScreen({Memo->PosFromChar(13).X + 1, 110})); });
  RunScript();
  EXPECT_EQ(Memo->CaretPos(), 13);
  // The selection is painted on both of its rows.
  Script().Then([] { Key(VK_HOME); Key(VK_UP, true); Key(VK_UP, true); Key(VK_RIGHT, true); });
  RunScript();
  ASSERT_EQ(Memo->SelText(), u"рва\r\nВтора\r\n");
  Memo->Repaint();
  HDC dc = GetDC(Memo->Handle());
  COLORREF highlight = ColorToRGB(clHighlight);
  auto highlightedIn = [&](int row) {
    int y = Memo->PosFromChar(Memo->LineIndex(row)).Y + 3;
    int count = 0;
    for (int x = 0; x < Memo->Width(); ++x) count += GetPixel(dc, x, y) == highlight ? 1 : 0;
    return count;
  };
  EXPECT_GT(highlightedIn(0), 0);
  EXPECT_GT(highlightedIn(1), 0);
  EXPECT_EQ(highlightedIn(2), 0);
  ReleaseDC(Memo->Handle(), dc);
}

TEST_F(MemoTest, CutCopyPasteAndUndoWorkOnLines) {
  Memo->SetText(u"један\r\nдва\r\nтри");
  FocusThen([] {
    Key(VK_DOWN);
    Key(VK_HOME);
    Key(VK_DOWN, true);  // "два" with its line break
    Ctrl('X');
    Ctrl(VK_END);
    Key(VK_RETURN);
    Ctrl('V');
  });
  EXPECT_EQ(Clipboard()->AsText(), u"два\r\n");
  EXPECT_EQ(Memo->Text(), u"један\r\nтри\r\nдва\r\n");
  Script().Then([] { Ctrl('Z'); });
  RunScript();
  EXPECT_EQ(Memo->Text(), u"један\r\nтри\r\n");
  // Text from elsewhere with bare line feeds is pasted as lines.
  Clipboard()->SetAsText(u"x\ny\n");
  Script().Then([] { Ctrl(VK_HOME); Ctrl('V'); });
  RunScript();
  EXPECT_EQ(Memo->Text(), u"x\r\ny\r\nједан\r\nтри\r\n");
  EXPECT_EQ(Memo->Lines()->Count(), 4);
  Script().Then([] { Ctrl('A'); Ctrl('C'); });
  RunScript();
  EXPECT_EQ(Clipboard()->AsText(), Memo->Text());
  // A run of typing with its new lines is one undo step.
  Memo->SetText(u"");
  Script().Then([] {
    Type(u"а");
    Key(VK_RETURN);
    Type(u"б");
    Ctrl('Z');
  });
  RunScript();
  EXPECT_EQ(Memo->Text(), u"");
}

TEST_F(MemoTest, WordWrapReflowsWhenTheMemoIsResized) {
  String words = u"Здружението собира прилози за децата од градот и селата околу него";
  Memo->SetWidth(160);
  Memo->SetText(words);
  ASSERT_TRUE(Memo->WordWrap());
  std::vector<String> rows = ShownRows();
  ASSERT_GT(rows.size(), 2u);
  EXPECT_EQ(Memo->Lines()->Count(), 1);  // Lines keep the text's own lines
  // Rows break after blanks, fit the formatting rectangle and together hold the whole text.
  String joined;
  TRect format = Memo->FormattingRect();
  for (size_t r = 0; r < rows.size(); ++r) {
    joined += rows[r];
    if (r + 1 < rows.size()) {
      EXPECT_EQ(rows[r].back(), u' ') << r;
    }
    int start = Memo->LineIndex(static_cast<int>(r));
    int lastChar = start + static_cast<int>(rows[r].size()) - (r + 1 < rows.size() ? 1 : 0);
    EXPECT_LE(Memo->PosFromChar(lastChar).X, format.Right) << r;
  }
  EXPECT_EQ(joined, words);

  // Wider: fewer rows, the caret stays on its character.
  Memo->SetSelStart(40);
  Memo->SetWidth(480);
  std::vector<String> wide = ShownRows();
  EXPECT_LT(wide.size(), rows.size());
  EXPECT_EQ(Memo->CaretPos(), 40);
  EXPECT_EQ(Memo->Perform(EM_LINEFROMCHAR, 40), Memo->LineFromChar(40));
  // A word longer than a row is broken inside.
  Memo->SetWidth(60);
  Memo->SetText(String(40, u'ш'));
  EXPECT_GT(Memo->LineCount(), 1);
  // Without word wrap a row is a line, and a long line scrolls sideways to the caret.
  Memo->SetWordWrap(false);
  Memo->SetText(words);
  EXPECT_EQ(Memo->LineCount(), 1);
  Memo->SetSelStart(static_cast<int>(words.size()));
  EXPECT_LT(Memo->PosFromChar(0).X, Memo->FormattingRect().Left);
  EXPECT_LE(Memo->PosFromChar(static_cast<int>(words.size())).X, Memo->FormattingRect().Right);
  Memo->Perform(WM_HSCROLL, SB_LEFT);
  EXPECT_EQ(Memo->PosFromChar(0).X, Memo->FormattingRect().Left);
  Memo->Perform(WM_HSCROLL, SB_RIGHT);
  EXPECT_LT(Memo->PosFromChar(static_cast<int>(words.size())).X, Memo->FormattingRect().Right);
  EXPECT_LT(Memo->PosFromChar(0).X, Memo->FormattingRect().Left);
}

TEST_F(MemoTest, VerticalScrollingKeepsTheCaretInView) {
  Memo->SetScrollBars(ssVertical);
  // Lines added in one update: the view catches up when the update ends.
  Memo->Lines()->BeginUpdate();
  for (int i = 0; i < 40; ++i) Memo->Lines()->Add(u"ред " + IntToStr(i));
  Memo->Lines()->EndUpdate();
  SCROLLINFO range;
  range.fMask = SIF_RANGE;
  ASSERT_TRUE(GetScrollInfo(Memo->Handle(), SB_VERT, &range));
  EXPECT_EQ(range.nMax, 40);
  Memo->Canvas()->Font()->Assign(Memo->Font());
  int visible = Memo->FormattingRect().Height() / Memo->Canvas()->TextHeight(u"Wy");
  ASSERT_GT(visible, 2);
  auto caretShown = [this] {
    int first = static_cast<int>(Memo->Perform(EM_GETFIRSTVISIBLELINE));
    TPoint caret = Memo->PosFromChar(Memo->CaretPos());
    TRect format = Memo->FormattingRect();
    return caret.Y >= format.Top && caret.Y < format.Bottom && Memo->LineFromChar(Memo->CaretPos()) >= first;
  };
  FocusThen([] { Ctrl(VK_END); });
  EXPECT_EQ(Memo->LineFromChar(Memo->CaretPos()), 40);  // the empty line after the last break
  EXPECT_GT(Memo->Perform(EM_GETFIRSTVISIBLELINE), 30);
  EXPECT_TRUE(caretShown());
  SCROLLINFO info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(Memo->Handle(), SB_VERT, &info));
  EXPECT_EQ(info.nPos, Memo->Perform(EM_GETFIRSTVISIBLELINE));
  EXPECT_EQ(info.nMax, 40);

  // Page Up moves the caret a page up and keeps it in view.
  Script().Then([] { Key(VK_PRIOR); });
  RunScript();
  EXPECT_EQ(Memo->LineFromChar(Memo->CaretPos()), 40 - visible);
  EXPECT_TRUE(caretShown());
  Script().Then([] { Ctrl(VK_HOME); });
  RunScript();
  EXPECT_EQ(Memo->Perform(EM_GETFIRSTVISIBLELINE), 0);

  // Scrolling by message, scroll bar and wheel moves the view, not the caret.
  EXPECT_EQ(Memo->Perform(EM_LINESCROLL, 0, 5), 1);
  EXPECT_EQ(Memo->Perform(EM_GETFIRSTVISIBLELINE), 5);
  Memo->Perform(WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(Memo->Perform(EM_GETFIRSTVISIBLELINE), 5 + visible);
  Memo->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 2));
  EXPECT_EQ(Memo->Perform(EM_GETFIRSTVISIBLELINE), 2);
  Script().Then([this] { InjectMouseWheel(-WHEEL_DELTA, CenterOf(Memo)); });
  RunScript();
  EXPECT_EQ(Memo->Perform(EM_GETFIRSTVISIBLELINE), 5);
  EXPECT_EQ(Memo->CaretPos(), 0);
  // EM_SCROLLCARET brings it back.
  Memo->Perform(EM_SCROLLCARET);
  EXPECT_EQ(Memo->Perform(EM_GETFIRSTVISIBLELINE), 0);
  // A click on a row that shows lands in the row shown there.
  Memo->Perform(EM_LINESCROLL, 0, 10);
  Script().Then([this] { ClickAt(Memo->ClientToScreen({Memo->FormattingRect().Left, Memo->FormattingRect().Top + 2})); });
  RunScript();
  EXPECT_EQ(Memo->LineFromChar(Memo->CaretPos()), 10);
}

TEST_F(MemoTest, ReturnsAndTabsGoToTheMemoOnlyWhenItWantsThem) {
  auto* next = new TEdit(Form);
  next->SetBounds(10, 200, 100, 24);
  next->SetParent(Form);
  auto* button = new TButton(Form);
  button->SetBounds(10, 240, 80, 24);
  button->SetParent(Form);
  button->SetDefault(true);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };

  // By default Enter starts a line and Tab moves on.
  FocusThen([] { Type(u"а"); Key(VK_RETURN); Key(VK_TAB); });
  EXPECT_EQ(Memo->Text(), u"а\r\n");
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(next->Focused());
  // WantTabs types a tab; without WantReturns, Enter is the form's (its default button).
  Memo->SetWantTabs(true);
  Memo->SetWantReturns(false);
  Script().Then([this] { ClickAt(AtChar(3)); });
  Script().Then([] { Key(VK_TAB); Type(u"б"); Key(VK_RETURN); });
  RunScript();
  EXPECT_EQ(Memo->Text(), u"а\r\n\tб");
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(Memo->Focused());
  // The tab reaches the next tab stop.
  EXPECT_GT(Memo->PosFromChar(4).X - Memo->PosFromChar(3).X, Memo->Canvas()->TextWidth(u"xx"));
}

TEST_F(MemoTest, AReadOnlyMemoIsReadAndCopiedButNotChanged) {
  Memo->SetText(u"прва\r\nвтора");
  Memo->SetReadOnly(true);
  Memo->SetWantTabs(true);
  Clipboard()->SetAsText(u"x");
  Changes = 0;
  FocusThen([] {
    Type(u"а");
    Key(VK_RETURN);
    Key(VK_TAB);
    Key(VK_DOWN, true);
    Ctrl('V');
    Ctrl('X');
    Key(VK_BACK);
    Key(VK_DELETE);
  });
  EXPECT_EQ(Memo->Text(), u"прва\r\nвтора");
  EXPECT_EQ(Changes, 0);
  EXPECT_EQ(Memo->SelText(), u"прва\r\n");
  Script().Then([] { Ctrl('C'); });
  RunScript();
  EXPECT_EQ(Clipboard()->AsText(), u"прва\r\n");
}

// An edit whose window is made multi-line by a descendant's CreateParams behaves as one.
class TStyledEdit : public TCustomEdit {
 public:
  TStyledEdit(TComponent* owner, DWORD add) : TCustomEdit(owner), FAdd(add) {}

 protected:
  void CreateParams(TCreateParams& params) override {
    TCustomEdit::CreateParams(params);
    params.Style |= FAdd;
  }

 private:
  DWORD FAdd;
};

TEST_F(MemoTest, TheWindowStyleDecidesWhatAnEditIs) {
  auto* styled = new TStyledEdit(Form, ES_MULTILINE | ES_RIGHT);
  EXPECT_FALSE(styled->MultiLine());
  styled->SetBounds(10, 200, 200, 60);
  styled->SetParent(Form);
  styled->HandleNeeded();
  EXPECT_TRUE(styled->MultiLine());
  EXPECT_EQ(styled->Alignment(), taRightJustify);
  styled->SetText(u"горе\nдолу");
  EXPECT_EQ(styled->LineCount(), 2);
  // No ES_WANTRETURN: Enter adds no line; the formatting rectangle still narrows the text.
  Script().Then([&] { Click(styled); });
  Script().Then([] { Key(VK_END); Key(VK_RETURN); });
  RunScript();
  EXPECT_EQ(styled->Text(), u"горе\r\nдолу");
  TRect narrow = Rect(2, 2, 120, 50);
  styled->Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&narrow));
  EXPECT_LE(styled->PosFromChar(4).X, 120);
  EXPECT_EQ(styled->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);

  auto* wanting = new TStyledEdit(Form, ES_MULTILINE | ES_WANTRETURN);
  wanting->SetBounds(220, 200, 200, 60);
  wanting->SetParent(Form);
  Script().Then([&] { Click(wanting); });
  Script().Then([] { Type(u"x"); Key(VK_RETURN); Type(u"y"); });
  RunScript();
  EXPECT_EQ(wanting->Text(), u"x\r\ny");

  auto* password = new TStyledEdit(Form, ES_PASSWORD);
  password->SetParent(Form);
  password->HandleNeeded();
  EXPECT_EQ(password->PasswordChar(), u'*');
  EXPECT_FALSE(password->MultiLine());
}

}  // namespace
