// RTF in and out for the rich edit. The reader takes the parts that carry text and its look (font
// and colour tables, character and paragraph formatting, Unicode escapes, code page bytes, raw
// UTF-8 text, the shown part of fields) and skips every other destination. It never raises: bad
// or truncated input yields whatever text was read.
#include <algorithm>
#include <array>
#include <cctype>
#include <map>

#include "platform/rtl/UnicodeText.h"
#include "platform/ui/RichEdit.h"

namespace {

// Windows-1251 (Cyrillic) from 0x80 up; the letters from 0xC0 are U+0410 onwards.
constexpr std::array<char16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char16_t DecodeByte(uint8_t byte, int codePage) {
  if (byte < 0x80) return byte;
  if (codePage == 1251) return byte >= 0xC0 ? static_cast<char16_t>(0x0410 + (byte - 0xC0)) : kCp1251High[byte - 0x80];
  return byte;  // 1252 and the rest: taken as Latin-1
}

int CodePageOfCharset(int charset) {
  switch (charset) {
    case 204: return 1251;
    case 0: return 1252;
    default: return 0;
  }
}

enum class TDest { Text, FontTable, ColorTable, Skip };

struct TGroupState {
  TRichCharFormat Char;
  TRichParaFormat Para;
  TDest Dest = TDest::Text;
  int SkipAfterUnicode = 1;
  int Font = -1;
};

struct TFontEntry {
  String Name;
  int CodePage = 0;
};

class TRtfReader {
 public:
  TRtfReader(const AnsiString& rtf, const TRichCharFormat& defaults) : FIn(rtf), FDefaults(defaults) {
    FState.Char = defaults;
  }

  TRichDocument Read() {
    FDoc = TRichDocument::FromPlainText(String(), FDefaults);
    while (FPos < FIn.size()) {
      char ch = FIn[FPos];
      if (ch == '{') {
        Flush();
        ++FPos;
        if (FStack.size() < kMaxDepth) FStack.push_back(FState);
        else ++FOverflow;
      } else if (ch == '}') {
        Flush();
        ++FPos;
        EndGroup();
      } else if (ch == '\\') {
        Flush();
        ControlWord();
      } else {
        ++FPos;
        if (ch == '\r' || ch == '\n') continue;
        if (FSkipChars > 0) {
          --FSkipChars;
          continue;
        }
        FRaw += ch;
      }
    }
    Flush();
    FDoc.SetParaFormat(FDoc.ParagraphCount() - 1, FState.Para);
    // The mark that closes the last paragraph is part of every document, not an extra line.
    if (FDoc.Length() > 0 && FDoc.Text().back() == u'\r') {
      TRichParaFormat last = FDoc.ParaFormat(FDoc.ParagraphCount() - 2);
      FDoc.Delete(FDoc.Length() - 1, 1);
      FDoc.SetParaFormat(FDoc.ParagraphCount() - 1, last);
    }
    return std::move(FDoc);
  }

 private:
  static constexpr size_t kMaxDepth = 256;

  void EndGroup() {
    if (FOverflow > 0) {
      --FOverflow;
      return;
    }
    if (FStack.empty()) return;
    // A font table entry's name ends with its group too.
    if (FState.Dest == TDest::FontTable) FinishFontName();
    FState = FStack.back();
    FStack.pop_back();
  }

  // Text gathered since the last control goes where the destination says.
  void Flush() {
    if (FRaw.empty()) return;
    std::string raw;
    raw.swap(FRaw);
    switch (FState.Dest) {
      case TDest::Skip: return;
      case TDest::ColorTable:
        for (char ch : raw)
          if (ch == ';') EndColor();
        return;
      case TDest::FontTable:
        for (char ch : raw) {
          if (ch == ';')
            FinishFontName();
          else
            FFontName += ch;
        }
        return;
      case TDest::Text: AddText(DecodeRaw(raw)); return;
    }
  }

  // Raw bytes are UTF-8 when they form it (the memo writes its text so), else the code page's.
  String DecodeRaw(const std::string& raw) const {
    if (IsValidUTF8(raw)) return UTF8ToString(raw);
    String out;
    for (char ch : raw) out += DecodeByte(static_cast<uint8_t>(ch), CurrentCodePage());
    return out;
  }

  int CurrentCodePage() const {
    auto it = FFonts.find(FState.Font);
    if (it != FFonts.end() && it->second.CodePage != 0) return it->second.CodePage;
    return FCodePage;
  }

  void AddText(const String& text) {
    if (FState.Dest != TDest::Text || text.empty()) return;
    FDoc.Insert(FDoc.Length(), text, FState.Char);
  }

  void EndParagraph() {
    if (FState.Dest != TDest::Text) return;
    FDoc.SetParaFormat(FDoc.ParagraphCount() - 1, FState.Para);
    FDoc.Insert(FDoc.Length(), u"\r", FState.Char);
  }

  void FinishFontName() {
    if (FFontNumber < 0) return;
    String name = UTF8ToString(FFontName);
    while (!name.empty() && name.back() == u' ') name.pop_back();
    while (!name.empty() && name.front() == u' ') name.erase(0, 1);
    FFonts[FFontNumber].Name = name;
    FFontName.clear();
    FFontNumber = -1;
  }

  void EndColor() {
    FColors.push_back(FColorSet ? RGB(static_cast<uint8_t>(FRed), static_cast<uint8_t>(FGreen), static_cast<uint8_t>(FBlue))
                                : clNone);
    FRed = FGreen = FBlue = 0;
    FColorSet = false;
  }

  TColor ColorAt(int index, TColor none) const {
    if (index < 0 || index >= static_cast<int>(FColors.size()) || FColors[static_cast<size_t>(index)] == clNone)
      return none;
    return FColors[static_cast<size_t>(index)];
  }

  void ControlWord() {
    ++FPos;  // the backslash
    if (FPos >= FIn.size()) return;
    char ch = FIn[FPos];
    if (!std::isalpha(static_cast<unsigned char>(ch))) {
      ++FPos;
      ControlSymbol(ch);
      return;
    }
    size_t start = FPos;
    while (FPos < FIn.size() && std::isalpha(static_cast<unsigned char>(FIn[FPos])) && FPos - start < 32) ++FPos;
    std::string word = FIn.substr(start, FPos - start);
    bool hasValue = false;
    bool negative = false;
    long value = 0;
    if (FPos < FIn.size() && FIn[FPos] == '-') {
      negative = true;
      ++FPos;
    }
    while (FPos < FIn.size() && std::isdigit(static_cast<unsigned char>(FIn[FPos]))) {
      if (value < 100000000) value = value * 10 + (FIn[FPos] - '0');
      hasValue = true;
      ++FPos;
    }
    if (negative) value = -value;
    if (FPos < FIn.size() && FIn[FPos] == ' ') ++FPos;
    Word(word, hasValue, static_cast<int>(value));
  }

  void ControlSymbol(char ch) {
    switch (ch) {
      case '\\':
      case '{':
      case '}': Literal(static_cast<char16_t>(ch)); return;
      case '~': Literal(0x00A0); return;
      case '_': Literal(u'-'); return;
      case '*': FState.Dest = TDest::Skip; return;
      case '\r':
      case '\n': EndParagraph(); return;
      case '\'': {
        if (FPos + 2 > FIn.size()) {
          FPos = FIn.size();
          return;
        }
        int byte = HexByte(FIn[FPos], FIn[FPos + 1]);
        FPos += 2;
        if (byte < 0) return;
        if (FState.Dest == TDest::FontTable) {
          FFontName += static_cast<char>(byte);
          return;
        }
        Literal(DecodeByte(static_cast<uint8_t>(byte), CurrentCodePage()));
        return;
      }
      default: return;  // optional hyphen and the rest
    }
  }

  // A character from an escape; the characters a \u escape stands in for are skipped.
  void Literal(char16_t ch) {
    if (FSkipChars > 0) {
      --FSkipChars;
      return;
    }
    if (FState.Dest == TDest::FontTable) {
      FFontName += static_cast<char>(ch);
      return;
    }
    AddText(String(1, ch));
  }

  static int HexDigit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
  }
  static int HexByte(char high, char low) {
    int h = HexDigit(high), l = HexDigit(low);
    return h < 0 || l < 0 ? -1 : h * 16 + l;
  }

  void Word(const std::string& word, bool hasValue, int value) {
    if (FState.Dest == TDest::Skip) return;
    TRichCharFormat& c = FState.Char;
    TRichParaFormat& p = FState.Para;
    bool on = !hasValue || value != 0;
    static const std::map<std::string, char16_t> symbols = {
        {"tab", u'\t'},        {"emdash", 0x2014},    {"endash", 0x2013}, {"lquote", 0x2018},
        {"rquote", 0x2019},    {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022}};
    static const char* const skipped[] = {"stylesheet", "info", "pict", "header", "footer", "headerl",
                                          "headerr", "footerl", "footerr", "footnote", "listtable",
                                          "listoverridetable", "fldinst", "object", "pntext", "themedata",
                                          "colorschememapping", "latentstyles", "datastore", "xmlnstbl",
                                          "rsidtbl", "generator", "filetbl", "revtbl", "nonshppict"};
    if (auto it = symbols.find(word); it != symbols.end()) {
      Literal(it->second);
      return;
    }
    for (const char* name : skipped)
      if (word == name) {
        FState.Dest = TDest::Skip;
        return;
      }
    if (word == "fonttbl") FState.Dest = TDest::FontTable;
    else if (word == "colortbl") FState.Dest = TDest::ColorTable;
    else if (word == "ansicpg") FCodePage = value;
    else if (word == "deff") FDefaultFont = value;
    else if (word == "uc") FState.SkipAfterUnicode = std::clamp(value, 0, 8);
    else if (word == "u") {
      // Negative values are the high half of the 16 bits; anything outside is no character.
      int unit = value < 0 ? value + 65536 : value;
      Literal(unit < 0 || unit > 0xFFFF ? char16_t{0xFFFD} : static_cast<char16_t>(unit));
      FSkipChars = FState.SkipAfterUnicode;
    } else if (word == "par" || word == "line") {
      EndParagraph();
    } else if (word == "pard") {
      p = TRichParaFormat();
    } else if (word == "plain") {
      TRichCharFormat fresh = FDefaults;
      auto it = FFonts.find(FDefaultFont);
      if (it != FFonts.end() && !it->second.Name.empty()) fresh.Name = it->second.Name;
      c = fresh;
      FState.Font = FDefaultFont;
    } else if (word == "f") {
      if (FState.Dest == TDest::FontTable) {
        FinishFontName();
        FFontNumber = value;
        FFonts[value];
      } else {
        FState.Font = value;
        auto it = FFonts.find(value);
        if (it != FFonts.end() && !it->second.Name.empty()) c.Name = it->second.Name;
      }
    } else if (word == "fcharset") {
      if (FState.Dest == TDest::FontTable && FFontNumber >= 0) FFonts[FFontNumber].CodePage = CodePageOfCharset(value);
    } else if (word == "fs") {
      if (value > 0) c.Size = std::clamp(value / 2, 1, 1638);
    } else if (word == "cf") {
      c.Color = ColorAt(value, FDefaults.Color);
    } else if (word == "highlight" || word == "cb" || word == "chcbpat") {
      c.BackColor = value == 0 ? clNone : ColorAt(value, clNone);
    } else if (word == "red" || word == "green" || word == "blue") {
      int v = std::clamp(value, 0, 255);
      (word == "red" ? FRed : word == "green" ? FGreen : FBlue) = v;
      FColorSet = true;
    } else if (word == "b") {
      if (on) c.Style.Include(fsBold); else c.Style.Exclude(fsBold);
    } else if (word == "i") {
      if (on) c.Style.Include(fsItalic); else c.Style.Exclude(fsItalic);
    } else if (word == "ul") {
      if (on) c.Style.Include(fsUnderline); else c.Style.Exclude(fsUnderline);
    } else if (word == "ulnone") {
      c.Style.Exclude(fsUnderline);
    } else if (word == "strike") {
      if (on) c.Style.Include(fsStrikeOut); else c.Style.Exclude(fsStrikeOut);
    } else if (word == "ql") {
      p.Alignment = taLeftJustify;
    } else if (word == "qr") {
      p.Alignment = taRightJustify;
    } else if (word == "qc") {
      p.Alignment = taCenter;
    } else if (word == "fi") {
      p.FirstIndent = value;
    } else if (word == "li") {
      p.LeftIndent = value;
    } else if (word == "ri") {
      p.RightIndent = value;
    }
  }

  const AnsiString& FIn;
  TRichCharFormat FDefaults;
  size_t FPos = 0;
  TRichDocument FDoc;
  TGroupState FState;
  std::vector<TGroupState> FStack;
  int FOverflow = 0;
  std::string FRaw;
  int FSkipChars = 0;
  int FCodePage = 1252;
  int FDefaultFont = 0;
  std::map<int, TFontEntry> FFonts;
  int FFontNumber = -1;
  std::string FFontName;
  std::vector<TColor> FColors;
  int FRed = 0, FGreen = 0, FBlue = 0;
  bool FColorSet = false;
};

void AppendEscaped(AnsiString& out, char16_t ch) {
  switch (ch) {
    case u'\\': out += "\\\\"; return;
    case u'{': out += "\\{"; return;
    case u'}': out += "\\}"; return;
    case u'\t': out += "\\tab "; return;
    default: break;
  }
  if (ch < 0x20) return;
  if (ch < 0x80) {
    out += static_cast<char>(ch);
    return;
  }
  out += "\\u" + std::to_string(static_cast<int16_t>(ch)) + "?";
}

}  // namespace

bool IsRtf(const AnsiString& data) {
  size_t start = data.find_first_not_of(" \t\r\n");
  return start != AnsiString::npos && data.compare(start, 5, "{\\rtf") == 0;
}

TRichDocument ReadRtf(const AnsiString& rtf, const TRichCharFormat& defaults) {
  return TRtfReader(rtf, defaults).Read();
}

AnsiString WriteRtf(const TRichDocument& document) {
  // The tables first: fonts and colours in the order of first use. The window text colour is the
  // automatic colour (index 0), so a document in the default colour reads back the same.
  std::vector<String> fonts;
  std::vector<COLORREF> colors;
  auto fontIndex = [&](const String& name) {
    auto it = std::find(fonts.begin(), fonts.end(), name);
    if (it != fonts.end()) return static_cast<int>(it - fonts.begin());
    fonts.push_back(name);
    return static_cast<int>(fonts.size()) - 1;
  };
  auto colorIndex = [&](TColor color) {
    COLORREF rgb = ColorToRGB(color);
    auto it = std::find(colors.begin(), colors.end(), rgb);
    if (it != colors.end()) return static_cast<int>(it - colors.begin()) + 1;
    colors.push_back(rgb);
    return static_cast<int>(colors.size());
  };

  AnsiString body;
  const String& text = document.Text();
  const TRichCharFormat* current = nullptr;
  for (int p = 0; p < document.ParagraphCount(); ++p) {
    const TRichParaFormat& para = document.ParaFormat(p);
    body += "\\pard";
    switch (para.Alignment) {
      case taRightJustify: body += "\\qr"; break;
      case taCenter: body += "\\qc"; break;
      default: body += "\\ql"; break;
    }
    if (para.FirstIndent) body += "\\fi" + std::to_string(para.FirstIndent);
    if (para.LeftIndent) body += "\\li" + std::to_string(para.LeftIndent);
    if (para.RightIndent) body += "\\ri" + std::to_string(para.RightIndent);
    // The delimiter ends the last control word: without it a paragraph that starts in the running
    // format would have its first letters read as part of the word and its digits as its value.
    body += ' ';
    int start = document.ParagraphStart(p);
    // The paragraph mark is written with its own format too, so it reads back the same.
    int end = document.ParagraphEnd(p) + (p + 1 < document.ParagraphCount() ? 1 : 0);
    for (int i = start; i < end; ++i) {
      const TRichCharFormat& format = document.CharFormat(i);
      if (!current || !(format == *current)) {
        current = &format;
        body += "\\plain\\f" + std::to_string(fontIndex(format.Name)) + "\\fs" + std::to_string(format.Size * 2);
        if (format.Color != clWindowText && format.Color != clDefault)
          body += "\\cf" + std::to_string(colorIndex(format.Color));
        if (format.BackColor != clNone) body += "\\highlight" + std::to_string(colorIndex(format.BackColor));
        if (format.Style.Contains(fsBold)) body += "\\b";
        if (format.Style.Contains(fsItalic)) body += "\\i";
        if (format.Style.Contains(fsUnderline)) body += "\\ul";
        if (format.Style.Contains(fsStrikeOut)) body += "\\strike";
        body += ' ';
      }
      if (text[static_cast<size_t>(i)] == u'\r')
        body += "\\par\r\n";
      else
        AppendEscaped(body, text[static_cast<size_t>(i)]);
    }
  }

  AnsiString out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033";
  if (!fonts.empty()) {
    out += "{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); ++i) {
      AnsiString name;
      for (char16_t ch : fonts[i]) AppendEscaped(name, ch);
      out += "{\\f" + std::to_string(i) + "\\fnil " + name + ";}";
    }
    out += "}";
  }
  if (!colors.empty()) {
    out += "{\\colortbl ;";
    for (COLORREF c : colors)
      out += "\\red" + std::to_string(GetRValue(c)) + "\\green" + std::to_string(GetGValue(c)) + "\\blue" +
             std::to_string(GetBValue(c)) + ";";
    out += "}";
  }
  out += "\\viewkind4\\uc1\r\n" + body + "\\par\r\n}";
  return out;
}
