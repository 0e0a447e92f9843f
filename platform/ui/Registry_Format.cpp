// The registry store's text format (described in Registry_Store.h): writing and strict parsing.
#include <cstring>

#include "platform/rtl/Format.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Registry.h"
#include "platform/ui/Registry_Store.h"

namespace {

const char kHeader[] = "association-records registry 1";
const char kHeaderStart[] = "association-records registry ";
const char kHexDigits[] = "0123456789ABCDEF";

// ---- writing ----

void AppendUnitEscape(std::string& out, char16_t unit) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(unit >> shift) & 15];
}

void AppendQuoted(std::string& out, const String& text) {
  out += '"';
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool high = c >= 0xD800 && c <= 0xDBFF;
    bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (c == u'\\') {
      out += "\\\\";
    } else if (c == u'"') {
      out += "\\\"";
    } else if (c == u'\n') {
      out += "\\n";
    } else if (c == u'\r') {
      out += "\\r";
    } else if (c == u'\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      AppendUnitEscape(out, c);
    } else if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      out += UTF8Encode(std::u16string_view(text).substr(i, 2));
      ++i;
    } else if (high || low) {
      AppendUnitEscape(out, c);  // an unpaired surrogate has no UTF-8 form
    } else {
      out += UTF8Encode(std::u16string_view(&text[i], 1));
    }
  }
  out += '"';
}

void AppendHex(std::string& out, const TBytes& data) {
  out += "hex:";
  for (uint8_t b : data) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 15];
  }
}

// Text data that is exactly a string and its terminating zero, as the string types hold it.
bool AsPlainString(const TBytes& data, String& text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  text.clear();
  for (size_t i = 0; i + 2 < data.size(); i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 0) return false;
    text += unit;
  }
  return data[data.size() - 2] == 0 && data[data.size() - 1] == 0;
}

void AppendValue(std::string& out, const TRegValueData& value) {
  out += "value ";
  AppendQuoted(out, value.Name);
  String text;
  if ((value.Type == REG_SZ || value.Type == REG_EXPAND_SZ) && AsPlainString(value.Data, text)) {
    out += value.Type == REG_SZ ? " string " : " expand-string ";
    AppendQuoted(out, text);
  } else if (value.Type == REG_DWORD && value.Data.size() == 4) {
    uint32_t number = value.Data[0] | value.Data[1] << 8 | value.Data[2] << 16 |
                      static_cast<uint32_t>(value.Data[3]) << 24;
    out += " dword " + std::to_string(number);
  } else if (value.Type == REG_BINARY) {
    out += " binary ";
    AppendHex(out, value.Data);
  } else {
    out += " type-" + std::to_string(value.Type) + " ";
    AppendHex(out, value.Data);
  }
  out += '\n';
}

void AppendKey(std::string& out, std::vector<const String*>& path, const TRegKeyNode& node) {
  // A root is always there; it needs a line only for its own values.
  if (path.size() > 1 || !node.Values.empty()) {
    out += "key";
    for (const String* name : path) {
      out += ' ';
      AppendQuoted(out, *name);
    }
    out += '\n';
  }
  for (const TRegValueData& value : node.Values) AppendValue(out, value);
  for (const TRegKeyNode& sub : node.SubKeys) {
    path.push_back(&sub.Name);
    AppendKey(out, path, sub);
    path.pop_back();
  }
}

// ---- parsing ----

struct TToken {
  bool Quoted = false;
  String Text;      // quoted: the decoded text
  std::string Raw;  // bare: the word
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Splits a line into bare words and quoted texts separated by blanks; false with the problem.
bool Tokenize(std::string_view line, std::vector<TToken>& tokens, std::string& problem) {
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    TToken token;
    if (line[i] != '"') {
      size_t end = line.find(' ', i);
      if (end == std::string_view::npos) end = line.size();
      token.Raw = std::string(line.substr(i, end - i));
      tokens.push_back(std::move(token));
      i = end;
      continue;
    }
    token.Quoted = true;
    size_t start = ++i;
    bool closed = false;
    while (i < line.size() && !closed) {
      char c = line[i];
      if (c == '"') {
        token.Text += UTF8ToString(line.substr(start, i - start));
        closed = true;
        ++i;
      } else if (c == '\\') {
        token.Text += UTF8ToString(line.substr(start, i - start));
        if (i + 1 >= line.size()) break;
        char e = line[i + 1];
        i += 2;
        if (e == '\\' || e == '"') {
          token.Text += static_cast<char16_t>(e);
        } else if (e == 'n') {
          token.Text += u'\n';
        } else if (e == 'r') {
          token.Text += u'\r';
        } else if (e == 't') {
          token.Text += u'\t';
        } else if (e == 'u' && i + 4 <= line.size()) {
          int unit = 0;
          for (int k = 0; k < 4; ++k) {
            int digit = HexValue(line[i + k]);
            if (digit < 0) {
              problem = "a bad \\u escape";
              return false;
            }
            unit = unit << 4 | digit;
          }
          token.Text += static_cast<char16_t>(unit);
          i += 4;
        } else {
          problem = "an unknown escape";
          return false;
        }
        start = i;
      } else {
        ++i;
      }
    }
    if (!closed) {
      problem = "a quoted text that is not closed";
      return false;
    }
    if (i < line.size() && line[i] != ' ') {
      problem = "text right after a closing quote";
      return false;
    }
    tokens.push_back(std::move(token));
  }
  return true;
}

bool ParseHex(const std::string& word, TBytes& data) {
  if (word.rfind("hex:", 0) != 0 || (word.size() - 4) % 2 != 0) return false;
  data.clear();
  for (size_t i = 4; i < word.size(); i += 2) {
    int high = HexValue(word[i]);
    int low = HexValue(word[i + 1]);
    if (high < 0 || low < 0) return false;
    data.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return true;
}

bool ParseNumber(const std::string& word, uint32_t& number) {
  if (word.empty() || word.size() > 10) return false;
  uint64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFu) return false;
  number = static_cast<uint32_t>(value);
  return true;
}

// The type and data of a value line's last two tokens; false with the problem.
bool ParseValueData(const TToken& type, const TToken& data, uint32_t& typeCode, TBytes& bytes,
                    std::string& problem) {
  if (type.Quoted) {
    problem = "a quoted value type";
    return false;
  }
  const std::string& word = type.Raw;
  if (word == "string" || word == "expand-string") {
    if (!data.Quoted) {
      problem = "text that is not in quotes";
      return false;
    }
    typeCode = word == "string" ? REG_SZ : REG_EXPAND_SZ;
    bytes = RegistryStringData(data.Text);
    return true;
  }
  uint32_t number = 0;
  if (word == "dword") {
    if (data.Quoted || !ParseNumber(data.Raw, number)) {
      problem = "a bad dword number";
      return false;
    }
    typeCode = REG_DWORD;
    bytes = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
             static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
    return true;
  }
  if (word == "binary") {
    typeCode = REG_BINARY;
  } else if (word.rfind("type-", 0) == 0 && ParseNumber(word.substr(5), number)) {
    typeCode = number;
  } else {
    problem = "an unknown value type";
    return false;
  }
  if (data.Quoted || !ParseHex(data.Raw, bytes)) {
    problem = "bad hexadecimal data";
    return false;
  }
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool Fail(String& problem, size_t lineNumber, const std::string& what) {
  problem = Format(u"line %d: %s", {static_cast<int64_t>(lineNumber), what.c_str()});
  return false;
}

}  // namespace

std::string FormatRegistryStore(const TRegTree& tree) {
  std::string out = kHeader;
  out += '\n';
  std::vector<const String*> path;
  for (const TRegKeyNode& root : tree.Roots()) {
    path.assign(1, &root.Name);
    AppendKey(out, path, root);
  }
  out += "end\n";
  return out;
}

bool ParseRegistryStore(std::string_view text, TRegTree& tree, String& problem) {
  tree = TRegTree();
  std::vector<std::string_view> lines = SplitLines(text);
  if (lines.empty()) return Fail(problem, 1, "the store is empty");
  if (lines[0] != kHeader) {
    return Fail(problem, 1,
                lines[0].rfind(kHeaderStart, 0) == 0 ? "a format version this program does not know"
                                                     : "this is not a registry store");
  }
  TRegKeyNode* key = nullptr;
  bool ended = false;
  for (size_t n = 1; n < lines.size(); ++n) {
    std::string_view line = lines[n];
    const size_t number = n + 1;
    if (line.find_first_not_of(" \t") == std::string_view::npos || line[0] == '#') continue;
    if (ended) return Fail(problem, number, "text after the end line");
    if (!IsValidUTF8(line)) return Fail(problem, number, "text that is not UTF-8");
    if (line == "end") {
      ended = true;
      continue;
    }
    std::vector<TToken> tokens;
    std::string what;
    if (!Tokenize(line, tokens, what)) return Fail(problem, number, what);
    if (tokens[0].Quoted) return Fail(problem, number, "a line that starts with a quote");
    if (tokens[0].Raw == "key") {
      std::vector<String> path;
      for (size_t i = 1; i < tokens.size(); ++i) {
        const TToken& name = tokens[i];
        if (!name.Quoted || name.Text.empty() || name.Text.find(u'\\') != String::npos)
          return Fail(problem, number, "a bad key name");
        path.push_back(name.Text);
      }
      if (path.empty() || !TRegTree::IsRootName(path[0]))
        return Fail(problem, number, "a key that is not under a known root");
      key = tree.Create(path);
    } else if (tokens[0].Raw == "value") {
      if (!key) return Fail(problem, number, "a value before any key");
      if (tokens.size() != 4 || !tokens[1].Quoted)
        return Fail(problem, number, "a value line without a quoted name, a type and data");
      uint32_t type = 0;
      TBytes data;
      if (!ParseValueData(tokens[2], tokens[3], type, data, what))
        return Fail(problem, number, what);
      key->SetValue(tokens[1].Text, type, std::move(data));
    } else {
      return Fail(problem, number, "a line that is neither a key, a value nor the end");
    }
  }
  if (!ended)
    return Fail(problem, lines.size(), "the end line is missing (the store was cut short)");
  return true;
}
