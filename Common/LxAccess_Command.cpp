#include "Common/LxAccess_Command.h"

#include "Common/CLRClasses.h"
#include "Common/LxAccess_Connection.h"
#include "Common/MemUtils.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

// --- Parameter descriptors --------------------------------------------------------------------

void TParamDesc::SetName(const String& value) {
  if (SameUnits(FName, value)) return;
  FName = value;
  if (FOwner != nullptr) FOwner->FNamesRepeat = TParamDescs::kNotAsked;
}

bool TParamDesc::SetValue(const Variant& value) {
  FValue = value;
  FIsNull = value.IsEmpty() || value.IsNull();
  return FIsNull;
}

void* TParamDesc::GetObject() const {
  if (FValue.IsEmpty() || FValue.IsNull()) return nullptr;
  RTL_ASSERT(FValue.VarType() == varObject, u"The parameter value is no object");
  return FValue.AsObject();
}

void TParamDesc::SetObject(void* object) { FValue = Variant::FromObject(object); }

void TParamDesc::SetNull(bool value) {
  FIsNull = value;
  if (FValue.VarType() != varObject) FValue = Variant();
}

TParamDesc* TParamDescs::GetItem(int index) const {
  if (index < 0 || index >= Count())
    throw Exception(u"List index out of bounds (" + IntToStr(index) + u")");
  return FItems[static_cast<size_t>(index)].get();
}

TParamDesc* TParamDescs::Add(std::unique_ptr<TParamDesc> param) {
  param->FOwner = this;
  FItems.push_back(std::move(param));
  FNamesRepeat = kNotAsked;
  return FItems.back().get();
}

void TParamDescs::Delete(int index) {
  GetItem(index);
  FItems.erase(FItems.begin() + index);
  FNamesRepeat = kNotAsked;
}

TParamDesc* TParamDescs::FindParam(const String& name) const {
  for (const auto& item : FItems)
    if (AnsiSameText(item->GetName(), name)) return item.get();
  return nullptr;
}

bool TParamDescs::NamesRepeat() const {
  if (FNamesRepeat == kNotAsked) {
    bool repeat = false;
    for (size_t i = 0; i < FItems.size() && !repeat; ++i) {
      const String& name = FItems[i]->GetName();
      repeat = !name.empty() && FindParam(name) != FItems[i].get();
    }
    FNamesRepeat = repeat ? 1 : 0;
  }
  return FNamesRepeat == 1;
}

// --- Command ------------------------------------------------------------------------------------

TLxCommand::TLxCommand() = default;
TLxCommand::~TLxCommand() = default;

TTableInfoClass TLxCommand::GetTableInfoClass() const {
  return [](TLxTablesInfo* owner) { return std::make_unique<TLxTableInfo>(owner); };
}

TParserClass TLxCommand::GetParserClass() const {
  RTL_ASSERT(false, u"Must be overrided");
  return &NewParser<TSQLParser>;
}

TParamDescClass TLxCommand::GetParamDescClass() const {
  return [] { return std::make_unique<TParamDesc>(); };
}

std::unique_ptr<TSQLInfo> TLxCommand::CreateSQLInfo() const {
  return GetSQLInfoClass()(GetParserClass());
}

TSQLInfo* TLxCommand::GetSQLInfo() {
  if (FConnection) return FConnection->GetSQLInfo();
  if (!FSQLInfo) FSQLInfo = CreateSQLInfo();
  return FSQLInfo.get();
}

TParamDesc* TLxCommand::AddParam() { return FParams.Add(GetParamDescClass()()); }

void TLxCommand::SetCursor(void*) { throw Exception(u"Operation is not supported by the database"); }

void TLxCommand::SetSQL(const String& value) {
  if (value == FUserSQL) return;  // the parameter list survives
  FUserSQL = value;
  ++FSQLVersion;
  // Without scanning the colons stay as they are (e.g. in a trigger body) and the list is kept.
  if (FDisableParamScan || !FScanParams)
    FSQL = value;
  else
    FSQL = ParseSQL(value, &FParams);
}

void TLxCommand::ReparseSQL() {
  FSQL = ParseSQL(FUserSQL, &FParams);
  ++FSQLVersion;
}

namespace {

bool IsWordStart(const AnsiString& text) {
  if (text.empty()) return false;
  unsigned char c = static_cast<unsigned char>(text[0]);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

}  // namespace

// The lexer stands just after a colon.
void TLxCommand::ParseSQLParam(AnsiStringBuilder& builder, TParser& parser, char16_t leftQuote,
                               char16_t rightQuote, TParamDescs* params,
                               const String& renamePrefix) {
  AnsiString token;
  TLexemeCode code = parser.GetNextToken(token);
  bool at = token == "@";
  if (at) code = parser.GetNextToken(token);

  // Keywords are words too: ":date" and ":user" are parameters; "::", ":=" and ": " are not.
  bool isName = code == lcIdentifier || code == lcNumber || (code > 0 && IsWordStart(token));
  if (!isName || (!params && renamePrefix.empty())) {
    builder.AppendChar(':');
    if (at) builder.AppendChar('@');
    builder.Append(token);
    return;
  }

  String name = UTF8ToString(token);
  if (name.size() >= 2 && name.front() == leftQuote && name.back() == rightQuote)
    name = name.substr(1, name.size() - 2);
  if (at) name = u"@" + name;

  if (params) {
    TParamDesc* param = params->Add(GetParamDescClass()());
    param->SetName(name);
    builder.AppendChar('?');
  } else {
    builder.Append(UTF8Encode(renamePrefix + name));
  }
}

// Colons inside string literals, quoted identifiers and comments are never looked at: the lexer
// steps over them as whole lexemes, and the text between colons is copied as it stands.
String TLxCommand::ParseSQL(const String& sql, TParamDescs* params, const String& renamePrefix) {
  if (params) params->Clear();
  TSQLInfo* info = GetSQLInfo();
  char16_t leftQuote = info->LeftQuote();
  char16_t rightQuote = info->RightQuote();

  AnsiString text = UTF8Encode(sql);
  AnsiStringBuilder builder(static_cast<int>(text.size() + text.size() / 2));
  std::unique_ptr<TParser> parser = GetParserClass()(text);
  parser->SkipBlanks = false;
  parser->SkipComments = true;
  parser->KeepQuotes = true;
  parser->NumberSeparator = '.';
  parser->UpperKeywords = false;  // a parameter keeps the case of its name

  size_t copied = 0;
  while (parser->SkipToText(":")) {
    size_t colon = static_cast<size_t>(parser->GetCurrPos()) - 1;
    builder.Append(std::string_view(text).substr(copied, colon - copied));
    ParseSQLParam(builder, *parser, leftQuote, rightQuote, params, renamePrefix);
    copied = static_cast<size_t>(parser->GetCurrPos());
  }
  builder.Append(std::string_view(text).substr(copied));
  return UTF8ToString(builder.ToString());
}

bool TLxCommand::SetProp(TLxPropCode prop, const Variant& value) {
  switch (prop) {
    case pcAutoCommit:
      FAutoCommit = value.AsBoolean();
      return true;
    case pcParamCheck: {
      bool scan = value.AsBoolean();
      if (scan != FScanParams) {
        FScanParams = scan;
        if (scan && !FUserSQL.empty()) ReparseSQL();
      }
      return true;
    }
    case pcCompressBlobMode:
      FCompressBlob = static_cast<TCompressBlobMode>(value.AsInteger());
      return true;
    case pcDisableParamScan:
      FDisableParamScan = value.AsBoolean();
      return true;
    case pcQuoteNames:
      FQuoteNames = value.AsBoolean();
      return true;
    case pcEnableBCD:
      FEnableBCD = value.AsBoolean();
      return true;
    case pcEnableFMTBCD:
      FEnableFMTBCD = value.AsBoolean();
      return true;
    case pcCanReadParams:
    case pcStoredProc:
      return true;  // a provider that has them handles them
    default:
      RTL_ASSERT(false, IntToStr(prop));
      return false;
  }
}

bool TLxCommand::GetProp(TLxPropCode prop, Variant& value) {
  switch (prop) {
    case pcExecuting:
      value = FExecuting;
      return true;
    case pcCanReadParams:
      value = true;
      return true;
    case pcIsSelectParams:
    case pcDescribeParams:
      value = false;
      return true;
    default:
      RTL_ASSERT(false, IntToStr(prop));
      return false;
  }
}
