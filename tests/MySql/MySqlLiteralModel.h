// A model of how the server reads a quoted string literal, for checking what the literal writer
// produces: where the literal ends and what value it stands for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace literal_model {

// The value of the literal that starts at text[0], and how many bytes it takes; nothing when the
// text does not start with a quote or the literal is not closed.
struct Parsed {
  std::string value;
  size_t length;
};

inline std::optional<Parsed> Read(std::string_view text, bool backslashEscapes) {
  if (text.empty() || text[0] != '\'') return std::nullopt;
  std::string value;
  for (size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (backslashEscapes && c == '\\' && i + 1 < text.size()) {
      char e = text[++i];
      switch (e) {
        case '0': value += '\0'; break;
        case 'n': value += '\n'; break;
        case 'r': value += '\r'; break;
        case 'Z': value += '\x1a'; break;
        case 't': value += '\t'; break;
        case 'b': value += '\b'; break;
        default: value += e;
      }
      continue;
    }
    if (c == '\'') {
      if (i + 1 < text.size() && text[i + 1] == '\'') {
        value += '\'';
        ++i;
        continue;
      }
      return Parsed{value, i + 1};
    }
    value += c;
  }
  return std::nullopt;
}

}  // namespace literal_model
