#include <gtest/gtest.h>

#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/RichEdit.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

TRichCharFormat Plain() {
  TRichCharFormat f;
  f.Name = u"Tahoma";
  f.Size = 10;
  return f;
}

// A document with the formatting the memo and the grid put in their RTF: Cyrillic text, styles,
// colours, a highlight and paragraphs of each alignment.
TRichDocument Sample() {
  TRichDocument doc = TRichDocument::FromPlainText(String(), Plain());
  TRichCharFormat bold = Plain();
  bold.Style = TFontStyles{fsBold};
  TRichCharFormat red = Plain();
  red.Color = clRed;
  red.Style = TFontStyles{fsItalic, fsUnderline};
  TRichCharFormat marked = Plain();
  marked.Name = u"Courier New";
  marked.Size = 14;
  marked.BackColor = clYellow;
  doc.Insert(doc.Length(), u"Член ", Plain());
  doc.Insert(doc.Length(), u"Ѓорѓи", bold);
  doc.Insert(doc.Length(), u" {\\}\r", Plain());
  doc.Insert(doc.Length(), u"црвено\tеднo", red);
  doc.Insert(doc.Length(), u"\r", Plain());
  doc.Insert(doc.Length(), u"€ 12", marked);
  TRichParaFormat centre;
  centre.Alignment = taCenter;
  TRichParaFormat right;
  right.Alignment = taRightJustify;
  right.LeftIndent = 720;
  right.FirstIndent = -360;
  doc.SetParaFormat(1, centre);
  doc.SetParaFormat(2, right);
  return doc;
}

void ExpectSameDocument(const TRichDocument& a, const TRichDocument& b) {
  ASSERT_EQ(a.Text(), b.Text());
  for (int i = 0; i < a.Length(); ++i) {
    const TRichCharFormat& x = a.CharFormat(i);
    const TRichCharFormat& y = b.CharFormat(i);
    EXPECT_EQ(x.Name, y.Name) << "at " << i;
    EXPECT_EQ(x.Size, y.Size) << "at " << i;
    EXPECT_EQ(x.Color, y.Color) << "at " << i;
    EXPECT_EQ(x.Style, y.Style) << "at " << i;
    EXPECT_EQ(x.BackColor, y.BackColor) << "at " << i;
  }
  ASSERT_EQ(a.ParagraphCount(), b.ParagraphCount());
  for (int p = 0; p < a.ParagraphCount(); ++p) EXPECT_EQ(a.ParaFormat(p), b.ParaFormat(p)) << "paragraph " << p;
}

TEST(RichText, RtfRoundTripKeepsTextStylesColoursAndParagraphs) {
  TRichDocument doc = Sample();
  AnsiString rtf = WriteRtf(doc);
  EXPECT_TRUE(IsRtf(rtf));
  // Plain ASCII on the wire, whatever the text: readers with any code page take it.
  for (char ch : rtf) EXPECT_LT(static_cast<unsigned char>(ch), 0x80) << rtf;
  ExpectSameDocument(ReadRtf(rtf, Plain()), doc);
  // A document that ends with an empty paragraph keeps it.
  doc.Insert(doc.Length(), u"\r", Plain());
  ExpectSameDocument(ReadRtf(WriteRtf(doc), Plain()), doc);
}

// A paragraph whose first character keeps the running format starts right after the paragraph's
// control words: whatever it begins with (letters, digits, a minus, a space) must stay text.
TEST(RichText, RtfRoundTripKeepsEveryParagraphStart) {
  TRichCharFormat bold = Plain();
  bold.Style = TFontStyles{fsBold};
  struct Case {
    const char16_t* text;
    bool boldSecond;  // the second paragraph in another format than the first
  } cases[] = {
      {u"Hello\rWorld\rsecond line\r5 apples", false},
      {u"a\r-5\r- x\r123\r0", false},
      {u"one\r two\r  three", false},
      {u"Latin\rЋирилица\rbold start", true},
      {u"x\rabc\\def\r{group}\r\tTab", false},
      {u"\r\rword after empty", false},
      {u"last\r", true},
  };
  for (const Case& c : cases) {
    TRichDocument doc = TRichDocument::FromPlainText(c.text, Plain());
    if (c.boldSecond && doc.ParagraphCount() > 1) {
      int start = doc.ParagraphStart(1);
      doc.ChangeCharFormat(start, doc.ParagraphEnd(1) - start,
                           [&](TRichCharFormat& f) { f = bold; });
    }
    TRichParaFormat centre;
    centre.Alignment = taCenter;
    if (doc.ParagraphCount() > 2) doc.SetParaFormat(2, centre);
    SCOPED_TRACE(UTF8Encode(c.text));
    ExpectSameDocument(ReadRtf(WriteRtf(doc), Plain()), doc);
  }
}

TEST(RichText, ReadsTheMemoWritersDocument) {
  // What the memo's writer puts on the clipboard: a table without the automatic colour, raw
  // UTF-8 text, switches on and off and a closing empty paragraph.
  AnsiString rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil Courier New;}}"
      "{\\colortbl \\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
      "\\viewkind4\\uc1\\f0\\fs20\\cf0\\highlight0\\cf1\\b begin\\b0\\highlight2\\cf0  Здраво \\\\\\{x\\}\\par "
      "\\highlight0\\cf0 second\\par \\par}";
  TRichDocument doc = ReadRtf(rtf, Plain());
  EXPECT_EQ(doc.PlainText(), u"begin Здраво \\{x}\r\nsecond\r\n");
  const TRichCharFormat& begin = doc.CharFormat(0);
  EXPECT_EQ(begin.Name, u"Courier New");
  EXPECT_EQ(begin.Size, 10);
  EXPECT_EQ(begin.Color, static_cast<TColor>(RGB(255, 0, 0)));
  EXPECT_TRUE(begin.Style.Contains(fsBold));
  EXPECT_EQ(begin.BackColor, clNone);  // \highlight0 is no highlight
  const TRichCharFormat& hello = doc.CharFormat(6);
  EXPECT_EQ(hello.Color, static_cast<TColor>(RGB(0, 0, 0)));
  EXPECT_FALSE(hello.Style.Contains(fsBold));
  EXPECT_EQ(hello.BackColor, static_cast<TColor>(RGB(0, 128, 0)));
  EXPECT_EQ(doc.CharFormat(doc.Text().find(u's')).BackColor, clNone);
}

TEST(RichText, ReaderTakesEscapesAndSurvivesBadInput) {
  struct Case {
    const char* rtf;
    const char16_t* text;
  };
  const Case cases[] = {
      // \u with its stand-in characters skipped (one by default, as \uc says otherwise)
      {"{\\rtf1 \\u1047?\\u1076?\\uc2\\u1088??x}", u"Здрx"},
      // code page bytes: the document's code page, or the font's character set
      {"{\\rtf1\\ansi\\ansicpg1251 \\'c7\\'e4\\'f0\\'e0\\'e2\\'ee \\'a8}", u"Здраво Ё"},
      {"{\\rtf1{\\fonttbl{\\f1\\fcharset204 Arial;}}\\f1 \\'cf\\'e5}", u"Пе"},
      // destinations that carry no text are skipped; a field shows its result
      {"{\\rtf1{\\*\\generator x;}{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}a"
       "{\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt link}}b}",
       u"alinkb"},
      // named symbols, a non-breaking space and an escaped brace
      {"{\\rtf1 \\endash\\tab\\~\\{}", u"\u2013\t\u00A0{"},
      // truncated, unbalanced and malformed input: what was read stays, nothing raises
      {"{\\rtf1 abc\\b def", u"abcdef"},
      {"{\\rtf1 a}}}}b", u"ab"},
      {"{\\rtf1 x\\'zzy\\'4", u"xy"},
      {"{\\rtf1 \\fs99999999999999 big\\u-4000000000?}", u"big\uFFFD"},
      {"", u""},
  };
  for (const Case& c : cases) {
    TRichDocument doc = ReadRtf(c.rtf, Plain());
    EXPECT_EQ(doc.Text(), String(c.text)) << c.rtf;
  }
  // Deep nesting neither overflows nor loses the text.
  AnsiString deep = "{\\rtf1 " + std::string(5000, '{') + "deep" + std::string(5000, '}') + "}";
  EXPECT_EQ(ReadRtf(deep, Plain()).Text(), u"deep");
}

TEST(RichText, DocumentEditsKeepFormatsAndParagraphsInStep) {
  TRichDocument doc = Sample();
  int paragraphs = doc.ParagraphCount();
  TRichParaFormat second = doc.ParaFormat(1);
  // Joining the first two paragraphs keeps the first one's format and drops one paragraph.
  int mark = doc.ParagraphEnd(0);
  doc.Delete(mark, 1);
  EXPECT_EQ(doc.ParagraphCount(), paragraphs - 1);
  EXPECT_EQ(doc.ParaFormat(0).Alignment, taLeftJustify);
  // Splitting a paragraph: both halves have its format; the characters keep theirs.
  int inRed = static_cast<int>(doc.Text().find(u"ено"));
  doc.Insert(inRed, u"\r\n", Plain());
  EXPECT_EQ(doc.ParagraphCount(), paragraphs);
  EXPECT_EQ(doc.ParaFormat(1), doc.ParaFormat(0));
  EXPECT_EQ(doc.CharFormat(inRed + 1).Color, clRed);
  EXPECT_NE(second, doc.ParaFormat(1));
  EXPECT_EQ(doc.ParagraphText(1), u"ено\tеднo");
}

class RichEditTest : public TUiTest {
 public:
  RichEditTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Edit = new TRichEdit(Form);
    Edit->SetBounds(10, 10, 300, 200);
    Edit->SetParent(Form);
    Form->Show();
  }
  TForm* Form = nullptr;
  TRichEdit* Edit = nullptr;
};

TEST_F(RichEditTest, LinesLoadAndSaveRtfAndPlainText) {
  AnsiString rtf = WriteRtf(Sample());
  TStringStream in(rtf);
  Edit->Lines()->LoadFromStream(&in);
  EXPECT_EQ(Edit->Lines()->Count(), 3);
  EXPECT_EQ(Edit->Lines()->Strings(0), u"Член Ѓорѓи {\\}");
  EXPECT_EQ(Edit->Text(), u"Член Ѓорѓи {\\}\r\nцрвено\tеднo\r\n€ 12");
  TStringStream out;
  Edit->Lines()->SaveToStream(&out);
  ExpectSameDocument(ReadRtf(UTF8Encode(out.DataString()), Plain()), Edit->Document());

  // Text that is not RTF loads as it is; with PlainText even RTF does.
  TStringStream plain(String(u"прв\r\nвтор"));
  Edit->Lines()->LoadFromStream(&plain);
  EXPECT_EQ(Edit->Lines()->Count(), 2);
  EXPECT_EQ(Edit->Lines()->Strings(1), u"втор");
  Edit->SetPlainText(true);
  TStringStream raw(AnsiString("{\\rtf1 x}"));
  Edit->Lines()->LoadFromStream(&raw);
  EXPECT_EQ(Edit->Text(), u"{\\rtf1 x}");
  // Lines edit the paragraphs.
  Edit->Lines()->SetText(u"a\r\nb\r\n");
  Edit->Lines()->Add(u"в");
  Edit->Lines()->Delete(0);
  EXPECT_EQ(Edit->Lines()->Text(), u"b\r\nв\r\n");
}

TEST_F(RichEditTest, TypingCyrillicSelectingFormattingAndUndo) {
  Script().Then([&] {
    Click(Edit);
    Type(u"Здраво");
    Key(VK_RETURN);
    Type(u"свет");
  });
  Script().Then([&] {
    EXPECT_EQ(Edit->Text(), u"Здраво\r\nсвет");
    // Shift+Left selects backwards from the caret; bold goes on the selection only.
    Key(VK_LEFT, true);
    Key(VK_LEFT, true);
  });
  Script().Then([&] {
    EXPECT_EQ(Edit->SelText(), u"ет");
    Edit->SelAttributes()->SetStyle(TFontStyles{fsBold});
    EXPECT_TRUE(Edit->Document().CharFormat(9).Style.Contains(fsBold));
    EXPECT_FALSE(Edit->Document().CharFormat(8).Style.Contains(fsBold));
    // A colour chosen with nothing selected is what typing produces next.
    Key(VK_END);
  });
  Script().Then([&] {
    Edit->SelAttributes()->SetColor(clBlue);
    Type(u"!");
    Key(VK_BACK);
    Key(VK_BACK);
  });
  Script().Then([&] { EXPECT_EQ(Edit->Text(), u"Здраво\r\nсве"); });
  Script().Then([&] { Key('Z'); });  // without Ctrl: a letter
  Script().Then([&] {
    InjectKey(VK_CONTROL, true);
    Key('Z');
    InjectKey(VK_CONTROL, false);
  });
  RunScript();
  // Undo restores the text before the last edit.
  EXPECT_EQ(Edit->Text(), u"Здраво\r\nсве");
  EXPECT_TRUE(Edit->Modified());
}

TEST_F(RichEditTest, ClipboardCarriesRichTextBetweenEdits) {
  Edit->SetDocument(Sample());
  Edit->SetSelStart(5);
  Edit->SetSelLength(5);
  Edit->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), u"Ѓорѓи");
  auto* other = new TRichEdit(Form);
  other->SetParent(Form);
  other->SetText(u"x");
  other->SetSelStart(1);
  other->PasteFromClipboard();
  EXPECT_EQ(other->Text(), u"xЃорѓи");
  EXPECT_TRUE(other->Document().CharFormat(3).Style.Contains(fsBold));
  EXPECT_FALSE(other->Document().CharFormat(0).Style.Contains(fsBold));
  other->Undo();
  EXPECT_EQ(other->Text(), u"x");
}

TEST_F(RichEditTest, FormatRangeDrawsPageByPageIntoAContext) {
  TRichDocument doc = TRichDocument::FromPlainText(u"прв ред\r\nвтор ред\r\nтрет ред", Plain());
  TRichParaFormat centre;
  centre.Alignment = taCenter;
  doc.SetParaFormat(1, centre);
  Edit->SetDocument(doc);
  TDrawingLog log;
  HDC dc = CreateRecordingDC(600, 400, &log);
  int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  auto twips = [&](int pixels) { return MulDiv(pixels, 1440, dpi); };
  FORMATRANGE range;
  range.hdc = range.hdcTarget = dc;
  range.rc = {twips(20), twips(10), twips(320), twips(400)};
  range.rcPage = range.rc;
  range.chrg = {0, -1};
  LRESULT next = Edit->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(next, Edit->Document().Length());
  std::vector<TDrawingCall> texts = log.Named("TextOut");
  ASSERT_EQ(texts.size(), 3u) << log.Dump();
  EXPECT_EQ(texts[0].Text, u"прв ред");
  EXPECT_EQ(texts[0].Args[0], 20);
  EXPECT_EQ(texts[0].Args[1], 10);
  EXPECT_GT(texts[1].Args[0], 20 + 50);  // centred in 300 pixels
  EXPECT_GT(texts[2].Args[1], texts[1].Args[1]);
  EXPECT_GT(range.rc.Bottom, range.rc.Top);
  Edit->Perform(EM_FORMATRANGE, 0, 0);

  // A page one line high takes one line and reports where the next page starts; measuring only
  // draws nothing.
  log.Clear();
  int lineHeight = texts[1].Args[1] - texts[0].Args[1];
  range.rc = {twips(20), twips(10), twips(320), twips(10 + lineHeight + 2)};
  next = Edit->Perform(EM_FORMATRANGE, 0, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(next, 8);
  EXPECT_TRUE(log.Named("TextOut").empty());
  range.chrg = {static_cast<int>(next), -1};
  range.rc = {twips(20), twips(10), twips(320), twips(10 + lineHeight + 2)};
  next = Edit->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(next, 17);
  ASSERT_EQ(log.Named("TextOut").size(), 1u);
  EXPECT_EQ(log.Named("TextOut")[0].Text, u"втор ред");
  EXPECT_EQ(log.Named("TextOut")[0].Args[1], 10);
  // A narrow page wraps the words.
  log.Clear();
  TFont font;
  font.SetName(u"Tahoma");
  font.SetSize(10);
  HGDIOBJ old = SelectObject(dc, font.Handle());
  TSize word, line;
  GetTextExtentPoint32(dc, u"прв ", &word);
  GetTextExtentPoint32(dc, u"прв ред", &line);
  SelectObject(dc, old);
  range.chrg = {0, 7};
  range.rc = {0, 0, twips((word.cx + line.cx) / 2), twips(400)};
  Edit->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range));
  std::vector<TDrawingCall> wrapped = log.Named("TextOut");
  ASSERT_EQ(wrapped.size(), 2u) << log.Dump();
  EXPECT_EQ(wrapped[0].Text, u"прв ");
  EXPECT_EQ(wrapped[1].Text, u"ред");
  DeleteDC(dc);
}

TEST_F(RichEditTest, RequestsTheSizeItsContentNeeds) {
  std::vector<TRect> requests;
  Edit->OnResizeRequest = [&](TObject* sender, const TRect& r) {
    EXPECT_EQ(sender, Edit);
    requests.push_back(r);
  };
  Edit->SetText(u"кратко");
  ASSERT_FALSE(requests.empty());
  TRect one = requests.back();
  EXPECT_EQ(one.Width(), Edit->FormattingRect().Width());  // wrapping: the width it has
  Edit->Lines()->Add(u"уште еден ред");
  TRect two = requests.back();
  EXPECT_GT(two.Height(), one.Height());
  // Without wrapping, the width is the longest line's; a longer line asks for more.
  Edit->SetWordWrap(false);
  TRect narrow = requests.back();
  EXPECT_LT(narrow.Width(), Edit->FormattingRect().Width());
  Edit->Lines()->Add(u"многу подолг ред од сите претходни редови заедно");
  EXPECT_GT(requests.back().Width(), narrow.Width());
  // A line added and deleted again (how a measuring editor forces a new layout) leaves the size.
  TRect before = requests.back();
  Edit->Lines()->Add(String());
  EXPECT_GT(requests.back().Height(), before.Height());
  Edit->Lines()->Delete(Edit->Lines()->Count() - 1);
  EXPECT_EQ(requests.back(), before);
  // Switched off by the event mask.
  size_t count = requests.size();
  Edit->Perform(EM_SETEVENTMASK, 0, 0);
  Edit->Lines()->Add(u"x");
  EXPECT_EQ(requests.size(), count);

  // An editor without a parent, never shown, still hears its own requests.
  TRichEdit hidden(nullptr);
  hidden.SetBounds(0, 0, 0, 0);
  TRect heard;
  hidden.OnResizeRequest = [&](TObject*, const TRect& r) { heard = r; };
  hidden.SetWordWrap(false);
  hidden.SetText(u"ред");
  EXPECT_GT(heard.Width(), 0);
  EXPECT_GT(heard.Height(), 0);
  EXPECT_FALSE(hidden.HandleAllocated());
}

TEST_F(RichEditTest, MouseAndArrowKeysPlaceTheCaretOnLaidOutLines) {
  Edit->SetText(u"абв\r\nгдеѓжз");
  const std::vector<TRichLine>& lines = Edit->LaidOutLines();
  ASSERT_EQ(lines.size(), 2u);
  TRect format = Edit->FormattingRect();
  auto at = [&](int line, int offset) {
    const TRichLine& l = lines[static_cast<size_t>(line)];
    return Edit->ClientToScreen({format.Left + l.CharX[static_cast<size_t>(offset)] + 1, format.Top + l.Top + 2});
  };
  Script().Then([&] { ClickAt(at(1, 0)); });
  Script().Then([&] {
    EXPECT_EQ(Edit->SelStart(), 4);
    Key(VK_END, true);
  });
  Script().Then([&] {
    EXPECT_EQ(Edit->SelText(), u"гдеѓжз");
    // Up from beyond the shorter line's end lands at its end.
    Key(VK_UP);
  });
  Script().Then([&] {
    EXPECT_EQ(Edit->SelStart(), 3);
    EXPECT_EQ(Edit->SelLength(), 0);
    // Dragging selects across the paragraph mark.
    TPoint from = at(0, 1), to = at(1, 2);
    InjectMouseMove(from);
    InjectMouseButton(TMouseButtonId::Left, true, from);
    InjectMouseMove(to);
    InjectMouseButton(TMouseButtonId::Left, false, to);
  });
  RunScript();
  EXPECT_EQ(Edit->SelText(), u"бв\r\nгд");
}

}  // namespace
