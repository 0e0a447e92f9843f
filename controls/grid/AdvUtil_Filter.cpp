// The filter-condition matcher: terms joined by & (and) and ; ^ | (or), parentheses, the
// comparisons > >= < <= over numbers, dates or text, ! for negation, and * ? wildcards.
#include "controls/grid/AdvUtil.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"

namespace AdvUtil {
namespace {

// Deeper nesting than this is read as plain text, so a hostile condition cannot exhaust the stack.
constexpr int kMaxNesting = 256;

String RemoveBlanksOutsideQuotes(const String& s) {
  String out;
  out.reserve(s.size());
  bool inQuotes = false;
  for (char16_t c : s) {
    if (c == u'"') inQuotes = !inQuotes;
    if (c == u' ' && !inQuotes) continue;
    out += c;
  }
  return out;
}

// Glob match with * and ?; ! and double quotes in the pattern are not matched against the text.
// Backtracking only to the last star keeps it polynomial with the same answers.
bool WildcardMatch(const String& pattern, const String& text) {
  String p;
  p.reserve(pattern.size());
  for (char16_t c : pattern)
    if (c != u'!' && c != u'"' && !(c == u'*' && !p.empty() && p.back() == u'*')) p += c;
  size_t i = 0, j = 0, star = String::npos, mark = 0;
  while (j < text.size()) {
    if (i < p.size() && p[i] == u'*') {
      if (i + 1 == p.size()) return true;  // a final star takes whatever is left
      star = i++;
      mark = j;
    } else if (i < p.size() && (p[i] == u'?' || p[i] == text[j])) {
      ++i;
      ++j;
    } else if (star != String::npos) {
      i = star + 1;
      j = ++mark;
    } else {
      return false;
    }
  }
  while (i < p.size() && p[i] == u'*') ++i;
  return i == p.size();
}

// The operand after a > or < sign (and its optional =).
String ReadOperand(const String& term, size_t from, bool blankInQuotes, bool& orEqual) {
  orEqual = from < term.size() && term[from] == u'=';
  if (orEqual) ++from;
  while (from < term.size() && term[from] == u' ') ++from;
  String op;
  bool inQuotes = false;
  for (size_t i = from; i < term.size(); ++i) {
    char16_t c = term[i];
    if (c == u'"') {
      inQuotes = !inQuotes;
      continue;
    }
    if (c == u' ') {
      bool keep = inQuotes && blankInQuotes && i + 1 < term.size() && term[i + 1] != u' ';
      if (!keep) break;
    }
    if (!inQuotes && (c == u'&' || c == u'|')) break;
    op += c;
  }
  return op;
}

bool ReadNumber(const String& s, double& v) {
  static const TFormatSettings kPoint = TFormatSettings::Invariant();
  String n = NormalizeDecimalText(s);
  return !n.empty() && TryStrToFloat(n, v, kPoint);
}

// <0, 0, >0 as the cell text is less than, equal to or greater than the operand.
int CompareOperand(const String& text, const String& operand) {
  double a, b;
  TDateTime da, db;
  const bool textDate = ParseLocaleDateTime(text, da);
  const bool opDate = ParseLocaleDateTime(operand, db);
  if (!textDate && !opDate && ReadNumber(text, a) && ReadNumber(operand, b))
    return a < b ? -1 : (a > b ? 1 : 0);
  if (textDate && opDate) return da < db ? -1 : (da > db ? 1 : 0);
  return text.compare(operand) < 0 ? -1 : (text == operand ? 0 : 1);
}

bool MatchTerm(const String& term, const String& text) {
  const bool negate = term.find(u'!') != String::npos;
  const size_t gt = term.find(u'>');
  const size_t lt = term.find(u'<');
  bool greater = true, less = true, orEqual = false;
  if (gt != String::npos) {
    int c = CompareOperand(text, ReadOperand(term, gt + 1, true, orEqual));
    greater = c > 0 || (orEqual && c == 0);
  }
  if (lt != String::npos) {
    int c = CompareOperand(text, ReadOperand(term, lt + 1, false, orEqual));
    less = c < 0 || (orEqual && c == 0);
  }
  const bool gtPresent = gt != String::npos || negate;
  const bool ltPresent = lt != String::npos || negate;
  if (term.find(u'^') != String::npos && (gtPresent || ltPresent)) return less || greater;
  if (term.find(u'&') != String::npos && gtPresent && ltPresent) return less && greater;
  if (gt != String::npos && greater) return true;
  if (lt != String::npos && less) return true;
  return WildcardMatch(term, text) != negate;
}

// Position of the ")" that closes the "(" at the start, or npos.
size_t MatchingParen(const String& s) {
  int depth = 0;
  bool inQuotes = false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'"') inQuotes = !inQuotes;
    if (inQuotes) continue;
    if (s[i] == u'(') ++depth;
    if (s[i] == u')' && --depth == 0) return i;
  }
  return String::npos;
}

void Combine(char16_t op, bool v, bool& have, bool& value) {
  if (!have) {
    value = v;
    have = true;
  } else if (op == u'&') {
    value = value && v;
  } else if (op == u';' || op == u'^' || op == u'|') {
    value = value || v;
  }  // a "(" as operator leaves the value as it is
}

bool Evaluate(String cond, const String& text, int depth) {
  // Parentheses around the whole condition are peeled here, not by recursion.
  while (cond.size() >= 2 && cond[0] == u'(' && MatchingParen(cond) == cond.size() - 1)
    cond = cond.substr(1, cond.size() - 2);
  bool have = false, value = false;
  char16_t op = 0;
  while (true) {
    size_t close;
    if (!cond.empty() && cond[0] == u'(' && depth < kMaxNesting &&
        (close = MatchingParen(cond)) != String::npos) {
      Combine(op, Evaluate(cond.substr(1, close - 1), text, depth + 1), have, value);
      cond.erase(0, close + 1);
      op = 0;
      if (cond.empty()) return value;
      // the operator after the group joins it to what follows
      if (String(u"&;^|").find(cond[0]) != String::npos) {
        op = cond[0];
        cond.erase(0, 1);
      }
      continue;
    }
    char16_t found;
    int pos;
    if (!FindCharOutsideQuotes(u"&(;^|", cond, found, pos)) {
      Combine(op, MatchTerm(cond, text), have, value);
      return value;
    }
    String term = cond.substr(0, pos - 1);
    cond.erase(0, pos);
    if (found != u'(') {
      Combine(op, MatchTerm(term, text), have, value);
      op = found;
    } else if (!term.empty()) {
      // a group right after a term: the term counts, the group leaves the value as it is
      Combine(op, MatchTerm(term, text), have, value);
      op = u'(';
      cond.insert(0, 1, u'(');
      if (depth >= kMaxNesting || MatchingParen(cond) == String::npos) cond.erase(0, 1);
    }  // an unmatched "(" on its own is dropped
  }
}

}  // namespace

bool MatchFilterExpression(const String& condition, const String& text, bool caseSensitive) {
  String cond = RemoveBlanksOutsideQuotes(Trim(condition));
  if (!cond.empty() && cond[0] == u'=') cond.erase(0, 1);
  if (caseSensitive) return Evaluate(std::move(cond), text, 0);
  return Evaluate(AnsiUpperCase(cond), AnsiUpperCase(text), 0);
}

}  // namespace AdvUtil
