// Evaluating the parsed filter expression on a record, LIKE matching, and re-deciding which
// records of the in-memory store are visible.
#include <string>
#include <vector>

#include "Common/MemData.h"
#include "Common/MemUtils.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

bool IsDateTimeCode(TDataTypeCode code) {
  return code == dtDate || code == dtTime || code == dtDateTime;
}

bool IsDateField(const TExpressionNode* node) {
  return node->NodeKind == nkField && IsDateTimeCode(node->Field->DataType());
}

// A text compared with a date field is read as a date-time: in the locale's formats, else in
// the ISO form 2024-01-31, else by the Variant conversion (which raises for a text that is none).
Variant AsDateTime(const Variant& text) {
  TDateTime value;
  if (!TryStrToDateTime(text.AsString(), value)) {
    TFormatSettings iso = FormatSettings();
    iso.ShortDateFormat = u"yyyy/MM/dd";
    iso.DateSeparator = u'-';
    if (!TryStrToDateTime(text.AsString(), value, iso)) value = VarToDateTime(text);
  }
  return Variant::FromDate(value);
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// UTF-16 units of the character at position i: a surrogate pair is one character.
size_t CharUnits(std::u16string_view text, size_t i) {
  return IsHighSurrogate(text[i]) && i + 1 < text.size() ? 2 : 1;
}

bool IsRunWildcard(char16_t c) { return c == u'%' || c == u'*'; }

}  // namespace

bool MatchLike(std::u16string_view text, std::u16string_view pattern) {
  // Greedy matching with one remembered wildcard: on a mismatch the last run wildcard takes one
  // more character and matching resumes after it. It finds a match whenever the recursive
  // search would, in time proportional to text times pattern at worst.
  size_t t = 0, p = 0;
  size_t starP = std::u16string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && IsRunWildcard(pattern[p])) {
      starP = p++;
      starT = t;
      continue;
    }
    if (p < pattern.size() && pattern[p] == u'_') {
      t += CharUnits(text, t);
      ++p;
      continue;
    }
    if (p < pattern.size() && pattern[p] == text[t]) {
      ++t;
      ++p;
      continue;
    }
    if (starP == std::u16string_view::npos) return false;
    starT += CharUnits(text, starT);
    t = starT;
    p = starP + 1;
  }
  while (p < pattern.size() && IsRunWildcard(pattern[p])) ++p;
  return p == pattern.size();
}

// ---- Evaluation ----

Variant TData::OperandValue(const TExpressionNode* node, uint8_t* recBuf) {
  if (node->NodeKind == nkField) return GetFieldAsVariant(node->Field->FieldNo(), recBuf);
  return node->Value;
}

bool TData::EvaluateNode(const TExpressionNode* node, uint8_t* recBuf) {
  switch (node->NodeKind) {
    case nkTrue:
      return true;
    case nkFalse:
      return false;
    case nkNot:
      return !EvaluateNode(node->Left, recBuf);
    case nkAnd:
    case nkOr:
      return EvaluateChain(node, recBuf);
    case nkEqual: case nkGreater: case nkLess: case nkGreaterEqual: case nkLessEqual:
    case nkNotEqual: case nkLike: case nkNotLike:
      return EvaluateComparison(node, recBuf);
    default:
      RTL_ASSERT(false, u"Invalid node kind " + S(std::to_string(node->NodeKind)));
      return false;
  }
}

// A run of ANDs (or ORs) is a left-leaning chain; it is walked in a loop so that a filter of
// thousands of alternatives needs no deep recursion. Evaluation stops as soon as the result is
// known.
bool TData::EvaluateChain(const TExpressionNode* node, uint8_t* recBuf) {
  const uint8_t kind = node->NodeKind;
  std::vector<const TExpressionNode*> rights;
  while (node->NodeKind == kind) {
    rights.push_back(node->Right);
    node = node->Left;
  }
  bool result = EvaluateNode(node, recBuf);
  for (auto it = rights.rbegin(); it != rights.rend(); ++it) {
    if (kind == nkAnd ? !result : result) break;
    result = EvaluateNode(*it, recBuf);
  }
  return result;
}

bool TData::EvaluateComparison(const TExpressionNode* node, uint8_t* recBuf) {
  Variant left = OperandValue(node->Left, recBuf);
  Variant right = OperandValue(node->Right, recBuf);
  if (IsDateField(node->Left) && VarIsStr(right)) right = AsDateTime(right);
  if (IsDateField(node->Right) && VarIsStr(left)) left = AsDateTime(left);
  if (FFilterCaseInsensitive) {
    if (VarIsStr(left)) left = Variant(AnsiUpperCase(left.AsString()));
    if (VarIsStr(right)) right = Variant(AnsiUpperCase(right.AsString()));
  }
  const uint8_t kind = node->NodeKind;
  const bool anyNull = left.IsNull() || right.IsNull();
  switch (kind) {
    case nkGreater: return !anyNull && left > right;
    case nkLess: return !anyNull && left < right;
    case nkGreaterEqual: return !anyNull && left >= right;
    case nkLessEqual: return !anyNull && left <= right;
    default: break;
  }
  // A Null matches only a Null: an empty text is a value, so IS NULL is false for it whether
  // or not texts compare as patterns.
  if (anyNull) {
    const bool equal = left.IsNull() && right.IsNull();
    return (kind == nkEqual || kind == nkLike) ? equal : !equal;
  }
  const bool negated = kind == nkNotEqual || kind == nkNotLike;
  // LIKE always matches a pattern; = and <> do so on texts unless partial compare is off.
  bool pattern;
  if (kind == nkLike || kind == nkNotLike)
    pattern = VarIsStr(left) || VarIsStr(right);
  else
    pattern = !FFilterNoPartialCompare &&
              (VarIsStr(left) || (kind == nkNotEqual && VarIsStr(right)));
  if (pattern) {
    const bool match = MatchLike(VarToStr(left), VarToStr(right));
    return negated ? !match : match;
  }
  const bool equal = VarEqual(left, right);
  return negated ? !equal : equal;
}

// ---- Visibility in the in-memory store ----

void TMemData::Open() {
  TData::Open();
  // Records stored while opening were judged before the filter text was parsed.
  if (HasFilterExpression()) FilterUpdated();
}

bool TMemData::FilterUpdated() {
  ResetFilterResults();
  ReorderItems(nullptr, 2);
  FEof = FRecordCount == 0;
  return FEof;
}

void TMemData::SetFilterItemTypes(uint8_t types) {
  if (types == FFilterItemTypes) return;
  FFilterItemTypes = types;
  FilterUpdated();
}
