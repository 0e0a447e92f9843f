// Sorting the in-memory record list by IndexFieldNames: reading the field list, sorting the
// whole list and moving single records into place.
#include <algorithm>
#include <vector>

#include "Common/MemData.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

[[noreturn]] void RaiseInvalidFormat() { throw Exception(u"Invalid IndexFieldNames format!"); }

bool IsSeparator(TLexemeCode code, const AnsiString& text) {
  return code == lcOtherSymbol && (text == ";" || text == ",");
}

AnsiString UpperAscii(AnsiString text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

// The words that may follow a column name.
enum class TWord { Ascending, Descending, CaseInsensitive, CaseSensitive, Binary, Unknown };

TWord WordOf(const AnsiString& text) {
  const AnsiString word = UpperAscii(text);
  if (word == "ASC") return TWord::Ascending;
  if (word == "DESC") return TWord::Descending;
  if (word == "CIS") return TWord::CaseInsensitive;
  if (word == "CS") return TWord::CaseSensitive;
  if (word == "BIN") return TWord::Binary;
  return TWord::Unknown;
}

class TIndexFieldNamesReader {
 public:
  explicit TIndexFieldNamesReader(const String& text) : FLexer(UTF8Encode(text)) { Next(); }

  bool AtEnd() const { return FCode == lcEndOfText; }

  // Skips separators; whether a column entry follows.
  bool NextEntry() {
    while (IsSeparator(FCode, FText)) Next();
    return !AtEnd();
  }

  // The name that starts an entry: an identifier (a keyword of the filter lexer too), a quoted
  // text or the text between "[" and "]".
  AnsiString ReadName() {
    AnsiString name;
    if (FCode == lcIdentifier || (FCode >= blAND && FCode <= blTRUE)) {
      name = FText;
    } else if (FCode == lcString) {
      if (!FLexer.LastQuoteClosed()) RaiseInvalidFormat();
      const char quote = FLexer.LastQuote();
      for (size_t i = 0; i < FText.size(); ++i) {
        name += FText[i];
        if (FText[i] == quote && i + 1 < FText.size() && FText[i + 1] == quote) ++i;
      }
    } else if (FCode == blOpenBracket) {
      if (!FLexer.ReadToCloseBracket(name)) RaiseInvalidFormat();
    } else {
      RaiseInvalidFormat();
    }
    Next();
    return name;
  }

  // The words after a name, up to the next separator.
  void ReadWords(TSortColumn& column) {
    bool haveOrder = false, haveKind = false;
    while (!AtEnd() && !IsSeparator(FCode, FText)) {
      const TWord word = FCode == lcIdentifier ? WordOf(FText) : TWord::Unknown;
      switch (word) {
        case TWord::Ascending:
        case TWord::Descending:
          if (haveOrder) RaiseInvalidFormat();
          haveOrder = true;
          column.Descending = word == TWord::Descending ? 1 : 0;
          break;
        case TWord::CaseInsensitive:
        case TWord::CaseSensitive:
        case TWord::Binary:
          if (haveKind) RaiseInvalidFormat();
          haveKind = true;
          column.SortKind = word == TWord::CaseInsensitive ? stCaseInsensitive
                            : word == TWord::Binary        ? stBinary
                                                           : stCaseSensitive;
          break;
        case TWord::Unknown:
          RaiseInvalidFormat();
      }
      Next();
    }
  }

 private:
  void Next() {
    try {
      FCode = FLexer.GetNextToken(FText);
    } catch (const Exception&) {
      RaiseInvalidFormat();  // a character the lexer does not know
    }
  }

  TBoolParser FLexer;
  TLexemeCode FCode = lcEndOfText;
  AnsiString FText;
};

}  // namespace

TSortColumns TMemData::ReadSortColumns(const String& text) {
  TSortColumns columns;
  if (text.find_first_not_of(u" \t\r\n") == String::npos) return columns;
  TIndexFieldNamesReader reader(text);
  while (reader.NextEntry()) {
    TSortColumn column;
    column.Field = FFields.FieldByName(UTF8ToString(reader.ReadName()));
    GetRecordOptions(column);
    reader.ReadWords(column);
    columns.push_back(column);
  }
  return columns;
}

void TMemData::ParseIndexFieldNames() {
  FSortColumns.clear();
  FSortColumns = ReadSortColumns(FIndexFieldNames);
}

void TMemData::SetIndexFieldNames(const String& text) {
  if (!FActive && !FPrepared) {
    FIndexFieldNames = text;
    return;
  }
  // A text that does not parse, or whose sort fails, is refused: the order stays as it was.
  TSortColumns columns = ReadSortColumns(text);
  String previousText = text;
  FIndexFieldNames.swap(previousText);
  FSortColumns.swap(columns);
  if (!FActive) return;
  try {
    SortItems();
  } catch (...) {
    FIndexFieldNames.swap(previousText);
    FSortColumns.swap(columns);
    throw;
  }
}

void TMemData::SortItems() {
  if (FSortColumns.empty() || !FFirstItem) return;
  // The items are ordered in an array and then relinked: a merge sort never degrades on sorted
  // or repetitive data and keeps records with equal keys in their order. Should a comparison
  // raise, the list is left as it was.
  std::vector<TRecordItem*> items;
  for (TRecordItem* it = FFirstItem; it; it = it->Next) items.push_back(it);
  std::stable_sort(items.begin(), items.end(), [this](TRecordItem* a, TRecordItem* b) {
    return CompareRecords(a->Data(), b->Data()) < 0;
  });
  TRecordItem* prev = nullptr;
  for (TRecordItem* item : items) {
    item->Prev = prev;
    item->Next = nullptr;
    if (prev) prev->Next = item;
    prev = item;
  }
  FFirstItem = items.front();
  FLastItem = items.back();
  ReorderItems(nullptr, 2);
}

void TMemData::SwapItems(TRecordItem* a, TRecordItem* b) {
  if (a == b) return;
  FRecordNoCache.clear();
  if (b->Next == a) std::swap(a, b);
  TRecordItem* aPrev = a->Prev;
  TRecordItem* aNext = a->Next;
  TRecordItem* bPrev = b->Prev;
  TRecordItem* bNext = b->Next;
  if (aNext == b) {
    // Neighbours: a, b becomes b, a.
    b->Prev = aPrev;
    b->Next = a;
    a->Prev = b;
    a->Next = bNext;
    if (aPrev) aPrev->Next = b;
    if (bNext) bNext->Prev = a;
  } else {
    a->Prev = bPrev;
    a->Next = bNext;
    b->Prev = aPrev;
    b->Next = aNext;
    if (aPrev) aPrev->Next = b;
    if (aNext) aNext->Prev = b;
    if (bPrev) bPrev->Next = a;
    if (bNext) bNext->Prev = a;
  }
  for (TRecordItem* item : {a, b}) {
    if (!item->Prev) FFirstItem = item;
    if (!item->Next) FLastItem = item;
  }
}

void TMemData::MoveItemToSortPosition(TRecordItem* item, int direction) {
  if (direction < 0) {
    while (item->Prev && CompareRecords(item->Prev->Data(), item->Data()) > 0)
      SwapItems(item->Prev, item);
  } else if (direction > 0) {
    while (item->Next && CompareRecords(item->Next->Data(), item->Data()) < 0)
      SwapItems(item, item->Next);
  }
}

void TMemData::MoveToSortPosition(int direction) {
  if (FCurrentItem) MoveItemToSortPosition(FCurrentItem, direction);
}
