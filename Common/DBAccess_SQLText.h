// Routines that change a SELECT statement as text: add to or replace its WHERE clause, read its
// FROM or WHERE clause, read or replace its ORDER BY list. They find character positions with
// the SQL lexer and edit the text only there, so comments, layout and everything else the user
// wrote stay as written. Each takes the lexer class of the dialect (the SQL dialect when none is
// given); the dialect decides which keywords start a clause and in what order clauses come.
#pragma once

#include <cstdint>

#include "Common/LxParser.h"
#include "platform/rtl/Types.h"

// Adds Condition to the main SELECT's WHERE clause: an existing condition is put in parentheses
// and the new one follows after AND; without a WHERE clause one is added in front of the first
// clause that must follow it. A blank Condition, or a text without SELECT, comes back unchanged.
String AddWhere(const String& sql, const String& condition, TParserClass parserClass = nullptr,
                bool skipComments = false);
// Replaces the main SELECT's WHERE condition (or adds a WHERE clause); an empty Condition removes
// the clause with the blank in front of it.
String SetWhere(const String& sql, const String& condition, TParserClass parserClass = nullptr);
inline String DeleteWhere(const String& sql, TParserClass parserClass = nullptr) {
  return SetWhere(sql, String(), parserClass);
}

// The text of the main SELECT's clause that begins with the keyword, without the keyword; empty
// when the statement has no such clause.
String GetClause(const String& sql, TLexemeCode keyword, TParserClass parserClass = nullptr,
                 bool skipComments = false);
inline String GetFromClause(const String& sql, TParserClass parserClass = nullptr,
                            bool skipComments = false) {
  return GetClause(sql, lxFROM, parserClass, skipComments);
}
inline String GetWhereClause(const String& sql, TParserClass parserClass = nullptr,
                             bool skipComments = false) {
  return GetClause(sql, lxWHERE, parserClass, skipComments);
}

// Replaces the ORDER BY list (";" in Fields separates like ","); an empty list removes the
// clause.
String SetOrderBy(const String& sql, const String& fields, TParserClass parserClass = nullptr);
// The ORDER BY list, trimmed; empty without one.
String GetOrderBy(const String& sql, TParserClass parserClass = nullptr);
