// LOAD DATA LOCAL: finding the files a query named, and uploading the one the server asks for.
#include "MySql/MySqlSession_LocalFile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "MySql/MyParser.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlSession.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace mysqllocalfile {

namespace {

// Whether "infile" occurs in the text, letters in any case. Every query passes here, and an "f"
// is rare in statements: the library's byte search finds each one, in either case, and only
// there is the word around it compared.
bool MentionsInfile(std::string_view text) {
  static constexpr std::string_view kWord = "infile";
  constexpr size_t kAt = 2;  // the place of the "f" in the word
  if (text.size() < kWord.size()) return false;
  const char* first = text.data() + kAt;
  const char* end = text.data() + text.size() - (kWord.size() - kAt - 1);
  for (char f : {'f', 'F'}) {
    for (const char* from = first; from < end; ++from) {
      from = static_cast<const char*>(std::memchr(from, f, static_cast<size_t>(end - from)));
      if (from == nullptr) break;
      const char* word = from - kAt;
      size_t k = 0;
      while (k < kWord.size() && (word[k] | 0x20) == kWord[k]) ++k;
      if (k == kWord.size()) return true;
    }
  }
  return false;
}

char Unescape(char c) {
  switch (c) {
    case '0': return '\0';
    case 'b': return '\b';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'Z': return '\x1A';
    default: return c;
  }
}

}  // namespace

TLocalFileName ReadFileLiteral(std::string_view text, size_t start) {
  TLocalFileName name;
  const char quote = text[start];
  for (size_t i = start + 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == quote) {
      if (i + 1 < text.size() && text[i + 1] == quote) {
        name.Unescaped += quote;
        name.AsWritten += quote;
        ++i;
        continue;
      }
      break;
    }
    if (c == '\\' && i + 1 < text.size()) {
      char next = text[++i];
      name.AsWritten += c;
      name.AsWritten += next;
      // \% and \_ keep their backslash: they are escapes only in LIKE patterns.
      if (next == '%' || next == '_') name.Unescaped += c;
      name.Unescaped += Unescape(next);
      continue;
    }
    name.Unescaped += c;
    name.AsWritten += c;
  }
  return name;
}

std::vector<TLocalFileName> LocalFileNames(std::string_view text) {
  std::vector<TLocalFileName> names;
  // Most statements cannot name a file: they are not lexed at all.
  if (!MentionsInfile(text)) return names;
  TMyParser parser{AnsiString(text)};
  parser.SkipComments = true;
  parser.KeepQuotes = true;
  try {
    AnsiString token;
    bool afterLocal = false, afterLocalInfile = false;
    for (;;) {
      TLexemeCode code = parser.GetNextToken(token);
      if (code == lcEndOfText) break;
      if (code == lcString && afterLocalInfile) {
        size_t start = static_cast<size_t>(parser.GetCurrPos()) - token.size();
        names.push_back(ReadFileLiteral(parser.Text(), start));
      }
      AnsiString word = code == lcString ? AnsiString() : AnsiUpperCaseA(token);
      afterLocalInfile = afterLocal && word == "INFILE";
      afterLocal = word == "LOCAL";
    }
  } catch (const Exception&) {
    // A byte the lexer does not know: the names found so far stand.
  }
  return names;
}

}  // namespace mysqllocalfile

using mysqllocalfile::TLocalFileName;

namespace {

// Each chunk of the file is one packet.
constexpr int32_t kChunkSize = 8192;

}  // namespace

void TMySqlSession::NoteLocalFiles(const uint8_t* data, int32_t length) {
  if (data == nullptr || length <= 0) return;
  FLocalFiles = mysqllocalfile::LocalFileNames(
      std::string_view(reinterpret_cast<const char*>(data), static_cast<size_t>(length)));
}

std::exception_ptr TMySqlSession::UploadLocalFile(const AnsiString& fileName) {
  auto named = std::find_if(FLocalFiles.begin(), FLocalFiles.end(),
                            [&](const TLocalFileName& n) { return n.Matches(fileName); });
  FNet->NewPacket();
  if (named == FLocalFiles.end()) {
    // Nothing is read: the server is told the file is empty, and whatever it answers, the refusal
    // is what the caller hears.
    FNet->SendEmpty();
    try {
      FNet->Receive();
    } catch (const EMySqlException&) {
    }
    return std::make_exception_ptr(EMySqlException::CreateMsg(
        CR_UNKNOWN_ERROR, u"The server asked for the local file '" + UTF8ToString(fileName) +
                              u"', which the statement did not name: it was not sent"));
  }
  FLocalFiles.erase(named);

  std::exception_ptr failure;
  try {
    TFileStream file(UTF8ToString(fileName), fmOpenRead | fmShareDenyWrite);
    TBytes chunk(kChunkSize);
    for (int64_t left = file.Size(); left > 0;) {
      int32_t n = static_cast<int32_t>(std::min<int64_t>(kChunkSize, left));
      file.ReadBuffer(chunk.data(), n);
      FNet->WriteBytes(chunk.data(), 0, n);
      FNet->Send();
      left -= n;
    }
  } catch (const EMySqlException&) {
    throw;  // the connection failed: there is no reply to wait for
  } catch (const Exception&) {
    failure = std::current_exception();
    FNet->NewPacket();
  }
  // The end of the upload, also after a failure; the server's error in its reply then counts.
  FNet->SendEmpty();
  FNet->Receive();
  return failure;
}
