// The server-side row count of a dataset that reads its rows on demand, and the switch of an
// open dataset to the next result of its statement.
#include <cstdint>
#include <initializer_list>

#include "Common/DBAccess.h"
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyParser.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/UnicodeText.h"

namespace {

bool IsWord(const AnsiString& token, const char* word) {
  size_t i = 0;
  for (; i < token.size() && word[i] != 0; ++i) {
    char c = token[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != word[i]) return false;
  }
  return i == token.size() && word[i] == 0;
}

// Reads tokens at the top level (outside parentheses) until one of the words; the offset just
// past it, or -1 at the end of the text. asSeen tells whether an AS came first.
int64_t SkipToTopLevel(TMyParser& parser, std::initializer_list<const char*> words,
                       bool* asSeen = nullptr, AnsiString* found = nullptr) {
  int depth = 0;
  AnsiString token;
  for (;;) {
    TLexemeCode code = parser.GetNextToken(token);
    if (code == lcEndOfText) return -1;
    if (code == lcString || code == lcComment || code == lcBlank) continue;
    if (token == "(") ++depth;
    if (token == ")" && depth > 0) --depth;
    if (depth > 0) continue;
    for (const char* word : words) {
      if (IsWord(token, word)) {
        if (found != nullptr) *found = word;
        return parser.GetCurrPos();
      }
    }
    if (asSeen != nullptr && IsWord(token, "AS")) *asSeen = true;
  }
}

}  // namespace

String MyRecordCountSQL(const String& sql) {
  const AnsiString text = StringToAnsi(sql);
  TMyParser parser(text);
  parser.SkipComments = true;
  const int64_t selectEnd = SkipToTopLevel(parser, {"SELECT"});
  if (selectEnd < 0) return String();

  AnsiString token;
  TLexemeCode code = parser.GetNextToken(token);
  const bool distinct =
      code != lcString && (IsWord(token, "DISTINCT") || IsWord(token, "DISTINCTROW"));
  if (!distinct) parser.Back();
  bool asInList = false;
  const int64_t fromEnd = SkipToTopLevel(parser, {"FROM"}, distinct ? &asInList : nullptr);
  if (fromEnd < 0) return String();
  const int64_t fromStart = fromEnd - 4;  // "FROM" is four bytes

  // A limited, grouped or combined statement is counted as a whole: COUNT(*) in its own select
  // list would count before the LIMIT, or give one row per group.
  bool wrap = asInList;
  if (!wrap) wrap = SkipToTopLevel(parser, {"LIMIT", "GROUP", "HAVING", "UNION"}) >= 0;
  const AnsiString head = text.substr(0, static_cast<size_t>(selectEnd));
  if (wrap) {
    // The subquery ends at the statement's first ";" after where the parser stands.
    size_t end = text.size();
    AnsiString found;
    if (SkipToTopLevel(parser, {";"}, nullptr, &found) >= 0)
      end = static_cast<size_t>(parser.GetCurrPos() - 1);
    return AnsiToString(head + " COUNT(*) FROM (SELECT " +
                        text.substr(static_cast<size_t>(selectEnd), end - selectEnd) + ") q" +
                        text.substr(end));
  }
  const size_t before = static_cast<size_t>(fromStart - 1);  // the character in front of FROM
  if (distinct)
    return AnsiToString(head + " COUNT(" +
                        text.substr(static_cast<size_t>(selectEnd), before + 1 - selectEnd) +
                        ")" + text.substr(before));
  return AnsiToString(head + " COUNT(*)" + text.substr(before));
}

int TCustomMyDataSetService::GetServerRecordCount() {
  TCustomDADataSet* dataSet = DADataSet();
  if (dataSet->FetchAll() || !dataSet->Options()->QueryRecCount) return 0;
  TDAParams* params = dataSet->Params();
  if (params->Count() > 0 && params->Items(0)->ParamType() == ptResult) return 0;

  String sql = MyRecordCountSQL(dataSet->SQLSetOrderBy(dataSet->FinalSQL(), String()));
  if (sql.empty()) return 0;
  TCustomDADataSet* counter = DAUpdater()->UpdateComponent(stCustom);
  counter->SetSQLText(sql);
  counter->Macros()->Assign(dataSet->Macros());
  for (int i = 0; i < counter->Params()->Count() && i < params->Count(); ++i)
    counter->Params()->Items(i)->Assign(params->Items(i));
  FCounting = true;
  try {
    TMonitoredExecution report(dataSet, counter, u"Get RecCount");
    counter->Execute();
    report.Done();
  } catch (...) {
    FCounting = false;
    throw;
  }
  FCounting = false;
  int count = 0;
  if (counter->Active() && !counter->Eof() && counter->Fields()->Count() > 0)
    count = counter->Fields()->Fields(0)->AsInteger();
  counter->Close();
  return count;
}

void TCustomMyDataSetService::BreakServerRecordCount() {
  if (FCounting) DAUpdater()->UpdateComponent(stCustom)->BreakExec();
}

bool TCustomMyDataSetService::OpenNext() {
  TCustomDADataSet* dataSet = DADataSet();
  if (!dataSet->Active()) {
    dataSet->Open();
    return true;
  }
  dataSet->AcquireConnection(true);
  bool more = false;
  try {
    if (dataSet->Prepared()) DatabaseError(u"Cannot OpenNext if statement is Prepared");
    if (dataSet->FetchAll()) DatabaseError(u"OpenNext is not compatible with FetchAll = True");
    dataSet->Close();
    dataSet->UnPrepare();
    TLxRecordSet* rs = dataSet->IRecordSet();
    RTL_ASSERT(rs != nullptr, u"FIRecordSet must be setted to this time");
    Variant moreResults;
    more = rs->GetProp(pcMoreResults, moreResults) && moreResults.AsBoolean();
    if (more) {
      rs->SetProp(pcOpenNext, true);
      dataSet->FieldDefs()->SetUpdated(false);
      try {
        dataSet->Open();
      } catch (...) {
        rs->SetProp(pcOpenNext, false);
        throw;
      }
      rs->SetProp(pcOpenNext, false);
    }
  } catch (...) {
    dataSet->ReleaseConnection();
    throw;
  }
  dataSet->ReleaseConnection();
  return more;
}
