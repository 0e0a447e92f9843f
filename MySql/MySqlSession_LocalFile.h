// Which local files a statement text lets the server have. A server answers LOAD DATA LOCAL INFILE
// by asking the client for a file by name; a hostile or compromised server could ask for any file
// at all, so the client uploads only a file that its own statement named.
#pragma once

#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

namespace mysqllocalfile {

// One file name as a statement wrote it, in the two readings the server may give its literal:
// with backslash escapes applied (the default), and as written (NO_BACKSLASH_ESCAPES). A doubled
// quote stands for one quote in both.
struct TLocalFileName {
  AnsiString Unescaped;
  AnsiString AsWritten;
  bool Matches(const AnsiString& requested) const {
    return requested == Unescaped || requested == AsWritten;
  }
};

// The file names of every LOCAL INFILE clause in the text (LOAD DATA and LOAD XML), in order.
// Comments, other string literals and quoted identifiers never count. Text the lexer cannot read
// ends the search: the names found before it are kept.
std::vector<TLocalFileName> LocalFileNames(std::string_view text);

// The literal that starts with its quote at text[start]: its two readings.
TLocalFileName ReadFileLiteral(std::string_view text, size_t start);

}  // namespace mysqllocalfile
