#include "Common/LxParser.h"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Common/CLRClasses.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

namespace {

using Tokens = std::vector<std::pair<TLexemeCode, AnsiString>>;

template <class Parser>
Tokens Lex(const AnsiString& text, void (*configure)(TParser&) = nullptr) {
  Parser parser(text);
  parser.NumberSeparator = '.';
  if (configure) configure(parser);
  Tokens tokens;
  AnsiString token;
  for (TLexemeCode code; (code = parser.GetNextToken(token)) != lcEndOfText;)
    tokens.emplace_back(code, token);
  return tokens;
}

TEST(LxParser, EmptyAndBlankTextsEndAtOnce) {
  EXPECT_TRUE(Lex<TSQLParser>("").empty());
  EXPECT_TRUE(Lex<TSQLParser>(" \t\r\n ").empty());
  EXPECT_EQ(Lex<TSQLParser>(" \t", [](TParser& p) { p.SkipBlanks = false; }),
            (Tokens{{lcBlank, " \t"}}));
}

TEST(LxParser, SymbolsDependOnTheDialect) {
  EXPECT_EQ(Lex<TSQLParser>("a.b("),
            (Tokens{{lcIdentifier, "a"}, {5, "."}, {lcIdentifier, "b"}, {lcOtherSymbol, "("}}));
  EXPECT_EQ(Lex<TParser>("a.b("),
            (Tokens{{lcIdentifier, "a"}, {14, "."}, {lcIdentifier, "b"}, {8, "("}}));
  // "#" and "$" continue an SQL identifier but never start one.
  EXPECT_EQ(Lex<TSQLParser>("a#1$ $x"),
            (Tokens{{lcIdentifier, "a#1$"}, {lcOtherSymbol, "$"}, {lcIdentifier, "x"}}));
  EXPECT_EQ(Lex<TSQLParser>("_id"), (Tokens{{lcIdentifier, "_id"}}));
}

TEST(LxParser, KeywordsAreLookedUpCaseInsensitively) {
  EXPECT_EQ(Lex<TSQLParser>("select x from t"),
            (Tokens{{lxSELECT, "SELECT"}, {lcIdentifier, "x"}, {lxFROM, "FROM"},
                    {lcIdentifier, "t"}}));
  EXPECT_EQ(Lex<TSQLParser>("select", [](TParser& p) { p.UpperKeywords = false; }),
            (Tokens{{lxSELECT, "select"}}));
  EXPECT_EQ(Lex<TParser>("a and not b"),
            (Tokens{{lcIdentifier, "a"}, {29, "AND"}, {30, "NOT"}, {lcIdentifier, "b"}}));
  // A quoted identifier keeps its quotes and so is never a keyword.
  EXPECT_EQ(Lex<TSQLParser>("\"select\""), (Tokens{{lcIdentifier, "\"select\""}}));
  // Non-ASCII letters make identifiers.
  EXPECT_EQ(Lex<TSQLParser>("име_1"), (Tokens{{lcIdentifier, "име_1"}}));
}

TEST(LxParser, CommentsAreReturnedOrSkipped) {
  const AnsiString text = "x -- note\ny";
  EXPECT_EQ(Lex<TSQLParser>(text, [](TParser& p) { p.SkipComments = true; }),
            (Tokens{{lcIdentifier, "x"}, {lcIdentifier, "y"}}));
  EXPECT_EQ(Lex<TSQLParser>(text),
            (Tokens{{lcIdentifier, "x"}, {lcComment, "-- note"}, {lcIdentifier, "y"}}));
  EXPECT_EQ(Lex<TSQLParser>("x--"),
            (Tokens{{lcIdentifier, "x"}, {lcOtherSymbol, "-"}, {lcOtherSymbol, "-"}}));
  EXPECT_EQ(Lex<TSQLParser>("a/* b\n c */d"),
            (Tokens{{lcIdentifier, "a"}, {lcComment, "/* b\n c */"}, {lcIdentifier, "d"}}));
  EXPECT_EQ(Lex<TSQLParser>("a /* open"),
            (Tokens{{lcIdentifier, "a"}, {lcComment, "/* open"}}));
  EXPECT_EQ(Lex<TParser>("a // c\nb", [](TParser& p) { p.SkipComments = true; }),
            (Tokens{{lcIdentifier, "a"}, {lcIdentifier, "b"}}));
}

TEST(LxParser, NumbersUseTheSeparator) {
  EXPECT_EQ(Lex<TSQLParser>("1.5"), (Tokens{{lcNumber, "1.5"}}));
  EXPECT_EQ(Lex<TSQLParser>("1.5", [](TParser& p) { p.NumberSeparator = ','; }),
            (Tokens{{lcNumber, "1"}, {5, "."}, {lcNumber, "5"}}));
  EXPECT_EQ(Lex<TSQLParser>("1e5"), (Tokens{{lcNumber, "1"}, {lcIdentifier, "e5"}}));
  EXPECT_EQ(Lex<TSQLParser>("1."), (Tokens{{lcNumber, "1"}, {5, "."}}));
}

TEST(LxParser, StringsWithAndWithoutQuotes) {
  EXPECT_EQ(Lex<TSQLParser>("'ab'"), (Tokens{{lcString, "ab"}}));
  EXPECT_EQ(Lex<TSQLParser>("'ab'", [](TParser& p) { p.KeepQuotes = true; }),
            (Tokens{{lcString, "'ab'"}}));
  EXPECT_EQ(Lex<TSQLParser>("'ab"), (Tokens{{lcString, "ab"}}));
  // A doubled quote ends the string: two adjacent strings.
  EXPECT_EQ(Lex<TSQLParser>("'a''b'"), (Tokens{{lcString, "a"}, {lcString, "b"}}));
  // In SQL the double quote quotes identifiers; in the base lexer it quotes strings.
  EXPECT_EQ(Lex<TParser>("\"ab\""), (Tokens{{lcString, "ab"}}));
}

TEST(LxParser, UnknownCharacterIsReported) {
  TSQLParser parser("a\fb");
  EXPECT_EQ(parser.GetNextCode(), lcIdentifier);
  try {
    parser.GetNextCode();
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Parser: The unknown symbol '\f'  $000C");
  }
}

TEST(LxParser, SkipToTextMatchesWholeLexemes) {
  TSQLParser parser("SELECT a FROM t");
  EXPECT_TRUE(parser.SkipToText("from"));
  AnsiString token;
  EXPECT_EQ(parser.GetNextToken(token), lcIdentifier);
  EXPECT_EQ(token, "t");

  TSQLParser partial("select fro");
  EXPECT_FALSE(partial.SkipToText("FROM"));

  // Colons inside strings, quoted identifiers and comments are never found.
  TSQLParser params("select ':x', \"a:b\" /* :c */ from t where id = :id");
  EXPECT_TRUE(params.SkipToText(":"));
  EXPECT_EQ(params.GetNextToken(token), lcIdentifier);
  EXPECT_EQ(token, "id");
  EXPECT_FALSE(params.SkipToText(":"));
}

TEST(LxParser, PositionsAndBack) {
  TSQLParser parser("select  a, b");
  parser.GetNextCode();  // SELECT
  AnsiString token;
  EXPECT_EQ(parser.GetNextToken(token), lcIdentifier);
  EXPECT_EQ(parser.GetPrevPos(), 6);  // the scan began after "select": blanks lie in between
  EXPECT_EQ(parser.GetPrevPrevPos(), 0);
  EXPECT_EQ(parser.GetCurrPos(), 9);
  parser.Back();
  EXPECT_EQ(parser.GetNextToken(token), lcIdentifier);
  EXPECT_EQ(token, "a");
  EXPECT_EQ(parser.CharAt(1), 's');
  EXPECT_EQ(parser.CharAt(0), 0);
  EXPECT_EQ(parser.CharAt(100), 0);
  EXPECT_EQ(parser.SkipToLexeme(4), 4);
  EXPECT_EQ(parser.SkipToLexeme(lxFROM), lcEndOfText);
}

TEST(LxParser, LineBreaksAreCountedOnce) {
  TSQLParser parser("a\r\nb\rc\n\nd");
  for (int i = 0; i < 4; ++i) parser.GetNextCode();
  // The pair saved when the scan for "d" began (right after "c"), then the current one.
  EXPECT_EQ(parser.PrevLine(), 2);
  EXPECT_EQ(parser.PrevBegLine(), 6);
  EXPECT_EQ(parser.CurrLine(), 4);
  EXPECT_EQ(parser.CurrBegLine(), 9);
}

TEST(LxParser, ClausesOfTheSqlDialect) {
  TSQLParser parser("");
  EXPECT_EQ(parser.CompareClauses(lxWHERE, lxORDER), -1);
  EXPECT_EQ(parser.CompareClauses(lxFROM, lxORDER), -2);
  EXPECT_EQ(parser.CompareClauses(lxORDER, lxORDER), 0);
  EXPECT_EQ(parser.ClauseIndex(lxUNION), 3);
  EXPECT_TRUE(parser.IsSelectModifier(lxDISTINCT));
  EXPECT_FALSE(parser.IsMacroAllowed(lcString));
  EXPECT_TRUE(parser.IsNullKeyword("NULL"));
  EXPECT_FALSE(parser.IsNullKeyword("null"));
}

TEST(LxParser, ClassReferenceCreatesTheDialect) {
  TParserClass cls = &NewParser<TSQLParser>;
  auto parser = cls("a.b");
  parser->GetNextCode();
  EXPECT_EQ(parser->GetNextCode(), 5);
}

}  // namespace

namespace {

TEST(LxParser, ReadsTextFromAStreamThroughItsEncoding) {
  const String sql = u"select 'a\nb', имe -- end\nfrom t";
  TBytes utf16 = Encoding::GetUnicode()->GetBytesWide(sql);
  TMemoryStream stream;
  stream.WriteBuffer("xx", 2);  // the lexer starts at the stream's position
  stream.WriteBuffer(utf16.data(), static_cast<int32_t>(utf16.size()));
  stream.SetPosition(2);
  TSQLParser parser(stream, Encoding::GetUnicode());
  parser.SkipComments = true;
  AnsiString token;
  EXPECT_EQ(parser.GetNextToken(token), lxSELECT);
  EXPECT_EQ(parser.GetNextToken(token), lcString);
  EXPECT_EQ(token, "a\nb");
  EXPECT_EQ(parser.CurrLine(), 1);  // a string read from a stream counts its line breaks
  EXPECT_EQ(parser.GetNextToken(token), 4);
  EXPECT_EQ(parser.GetNextToken(token), lcIdentifier);
  EXPECT_EQ(token, "имe");
  EXPECT_EQ(parser.GetNextToken(token), lxFROM);
  EXPECT_EQ(parser.GetNextToken(token), lcIdentifier);
  EXPECT_EQ(parser.GetNextToken(token), lcEndOfText);
}

}  // namespace

namespace {

TEST(LxParser, TokenAcrossTheStreamBlockBoundaryStaysWhole) {
  // The stream is read in 64 KB blocks; an identifier that straddles the boundary is one lexeme.
  AnsiString text(65530, ' ');
  text += "straddling_name x";
  TMemoryStream stream;
  stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
  stream.SetPosition(0);
  TSQLParser parser(stream);
  AnsiString token;
  EXPECT_EQ(parser.GetNextToken(token), lcIdentifier);
  EXPECT_EQ(token, "straddling_name");
  EXPECT_EQ(parser.GetPrevPos(), 0);
  EXPECT_EQ(parser.GetCurrPos(), 65545);
  EXPECT_EQ(parser.GetNextToken(token), lcIdentifier);
  EXPECT_EQ(token, "x");
}

}  // namespace
