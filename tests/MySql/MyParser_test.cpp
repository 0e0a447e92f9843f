#include "MySql/MyParser.h"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Tokens = std::vector<std::pair<TLexemeCode, AnsiString>>;

Tokens Lex(const AnsiString& text, bool skipComments = false, bool track = false) {
  TMyParser parser(text);
  parser.SkipComments = skipComments;
  parser.TrackStringLines = track;
  parser.NumberSeparator = '.';
  Tokens tokens;
  AnsiString token;
  for (TLexemeCode code; (code = parser.GetNextToken(token)) != lcEndOfText;)
    tokens.emplace_back(code, token);
  return tokens;
}

TEST(MyParser, BackquotedIdentifiersAndKeywords) {
  EXPECT_EQ(Lex("SELECT `a b` FROM t"),
            (Tokens{{lxSELECT, "SELECT"}, {lcIdentifier, "`a b`"}, {lxFROM, "FROM"},
                    {lcIdentifier, "t"}}));
  EXPECT_EQ(Lex("show processlist"), (Tokens{{lxSHOW, "SHOW"}, {lxPROCESSLIST, "PROCESSLIST"}}));
  EXPECT_EQ(Lex("desc describe straight_join"),
            (Tokens{{lxDESC, "DESC"}, {lxDESCRIBE, "DESCRIBE"}, {lxSTRAIGHT_JOIN, "STRAIGHT_JOIN"}}));
}

TEST(MyParser, CommentRules) {
  EXPECT_EQ(Lex("SELECT 1 # note\nFROM dual", true),
            (Tokens{{lxSELECT, "SELECT"}, {lcNumber, "1"}, {lxFROM, "FROM"},
                    {lcIdentifier, "dual"}}));
  EXPECT_EQ(Lex("a#b"), (Tokens{{lcIdentifier, "a"}, {lcComment, "#b"}}));
  EXPECT_EQ(Lex("x #"), (Tokens{{lcIdentifier, "x"}, {lcComment, "#"}}));
  EXPECT_EQ(Lex("--a"), (Tokens{{lcOtherSymbol, "-"}, {lcOtherSymbol, "-"}, {lcIdentifier, "a"}}));
  EXPECT_EQ(Lex("-- a\nb", true), (Tokens{{lcIdentifier, "b"}}));
  EXPECT_EQ(Lex("/*!40101 SET x */y", true), (Tokens{{lcIdentifier, "y"}}));
  EXPECT_EQ(Lex("$"), (Tokens{{lcOtherSymbol, "$"}}));
}

TEST(MyParser, BackslashEscapesKeepStringsWhole) {
  for (bool track : {false, true}) {
    EXPECT_EQ(Lex("'a\\'b'", false, track), (Tokens{{lcString, "a\\'b"}})) << track;
    EXPECT_EQ(Lex("\"a\\\"b\"", false, track), (Tokens{{lcString, "a\\\"b"}})) << track;
    EXPECT_EQ(Lex("'a\\\\' x", false, track), (Tokens{{lcString, "a\\\\"}, {lcIdentifier, "x"}}))
        << track;
    EXPECT_EQ(Lex("'a''b'", false, track), (Tokens{{lcString, "a"}, {lcString, "b"}})) << track;
    EXPECT_EQ(Lex("'open\\'", false, track), (Tokens{{lcString, "open\\'"}})) << track;
  }
}

TEST(MyParser, ClauseOrderOfASelect) {
  TMyParser parser("");
  EXPECT_EQ(parser.ClauseIndex(lxPROCEDURE), 5);
  EXPECT_EQ(parser.CompareClauses(lxLIMIT, lxORDER), 1);
  EXPECT_EQ(parser.CompareClauses(lxUNION, lxORDER), -2);
}

TEST(MyParser, ParameterScanSkipsEscapedQuotes) {
  TMyParser parser("select 'it\\'s :no' , :yes");
  EXPECT_TRUE(parser.SkipToText(":"));
  AnsiString token;
  parser.GetNextToken(token);
  EXPECT_EQ(token, "yes");
}

}  // namespace

namespace {

// Parameters and their look-alikes: only a ":" that starts a lexeme of its own before a name is a
// parameter marker; the others stay inside strings, quoted names and comments.
TEST(MyParser, ParameterMarkersAndLookAlikes) {
  EXPECT_EQ(Lex("select :p, 'a:b', `c:d`, \"e:f\" /* :g */ # :h\n-- :i\n from t where x=:q"),
            (Tokens{{lxSELECT, "SELECT"},
                    {3, ":"},
                    {lcIdentifier, "p"},
                    {4, ","},
                    {lcString, "a:b"},
                    {4, ","},
                    {lcIdentifier, "`c:d`"},
                    {4, ","},
                    {lcString, "e:f"},
                    {lcComment, "/* :g */"},
                    {lcComment, "# :h"},
                    {lcComment, "-- :i"},
                    {lxFROM, "FROM"},
                    {lcIdentifier, "t"},
                    {lxWHERE, "WHERE"},
                    {lcIdentifier, "x"},
                    {2, "="},
                    {3, ":"},
                    {lcIdentifier, "q"}}));
  EXPECT_EQ(Lex("@v:=1.5e3"), (Tokens{{lcOtherSymbol, "@"},
                                     {lcIdentifier, "v"},
                                     {3, ":"},
                                     {2, "="},
                                     {lcNumber, "1.5"},
                                     {lcIdentifier, "e3"}}));
}

}  // namespace
