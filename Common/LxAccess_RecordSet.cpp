// The provider-neutral record set: lifecycle, numbered properties and command plumbing.
// Block linking and forward navigation with fetch on demand are in LxAccess_RecordSetFetch.cpp.
#include "Common/LxAccess_RecordSet.h"

#include "Common/LxAccess_Connection.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"

// ---- Field descriptor ----

String TLxFieldDesc::GetSourceNameQuoted(TSQLInfo* sqlInfo, int mode) {
  RTL_ASSERT(mode == 0 || mode == 1, u"Unknown quoting mode");
  String& cached = FQuotedNames[static_cast<size_t>(mode)];
  if (!cached.empty()) return cached;
  const String& actual = SourceName().empty() ? Name() : SourceName();
  cached = (mode == 1 || sqlInfo->QuotesNeeded(actual)) ? sqlInfo->QuoteName(actual) : actual;
  return cached;
}

// ---- Record set ----

TLxRecordSet::TLxRecordSet(std::unique_ptr<TLxCommand> command) {
  RTL_ASSERT(command != nullptr, u"A record set needs a command");
  SetCommand(std::move(command));
  FTablesInfo = std::make_unique<TLxTablesInfo>(FCommand->GetTableInfoClass());
}

TLxRecordSet::~TLxRecordSet() {
  // The rows go before the command: a provider's rows may refer to its result.
  ClearHooks();
  InitData();
  FCommand.reset();
  FTablesInfo.reset();
}

void TLxRecordSet::SetCommand(std::unique_ptr<TLxCommand> command) { FCommand = std::move(command); }

void TLxRecordSet::SetComponent(TComponent* component) { FCommand->SetOwnerComponent(component); }

TComponent* TLxRecordSet::GetComponent() const { return FCommand->OwnerComponent(); }

void TLxRecordSet::SetConnection(TLxConnection* connection) { FCommand->SetConnection(connection); }

void TLxRecordSet::SetSQL(const String& text) { FCommand->SetSQL(text); }

bool TLxRecordSet::GetConvertEOL() {
  TLxConnection* connection = FCommand->GetConnection();
  return connection ? connection->ConvertEOL() : false;
}

bool TLxRecordSet::IsCursorIdle() {
  RTL_ASSERT(FCommand != nullptr, u"The record set has no command");
  const TCursorState state = FCommand->GetCursorState();
  return state == csInactive || state == csFetched;
}

bool TLxRecordSet::SetProp(TLxPropCode prop, const Variant& value) {
  switch (prop) {
    case pcUniDirectional:
      FUniDirectional = value.AsBoolean();
      if (FUniDirectional) FFetchAll = false;
      return true;
    case pcFetchRows:
      FFetchRows = value.AsInteger();
      return true;
    case pcFetchAll:
      if (!FFetchAllFixed) FFetchAll = value.AsBoolean() && !FUniDirectional;
      return true;
    case pcLongStrings:
      FLongStrings = value.AsBoolean();
      return true;
    case pcFlatBuffers:
      FFlatBuffers = value.AsBoolean();
      return true;
    case pcIndexFieldNames:
      SetIndexFieldNames(value.AsString());
      return true;
    case pcCompressBlobMode:
      return FCommand->SetProp(pcCompressBlobMode, value);
    case pcReadOnly:
    case pcRefreshAfterUpdate:
      return true;
    case pcFetchAllFixed:
      FFetchAllFixed = value.AsBoolean();
      return true;
    case pcFieldsInfoExtra:
      FFieldsInfoExtra = value.AsBoolean();
      return true;
    case pcDefaultValues:
      FDefaultValues = value.AsBoolean();
      return true;
    case pcFieldsOrigin:
      FFieldsOrigin = value.AsBoolean();
      return true;
    default:
      RTL_ASSERT(false, IntToStr(prop));
      return false;
  }
}

bool TLxRecordSet::GetProp(TLxPropCode prop, Variant& value) {
  switch (prop) {
    case pcFetchAll:
      value = FFetchAll;
      return true;
    case pcFieldsInfoExtra:
      value = FFieldsInfoExtra;
      return true;
    case pcDefaultValues:
      value = FDefaultValues;
      return true;
    case pcFieldsOrigin:
      value = FFieldsOrigin;
      return true;
    default:
      RTL_ASSERT(false, IntToStr(prop));
      return false;
  }
}

// ---- Prepare, open, close ----

void TLxRecordSet::InternalPrepare() { FCommand->Prepare(); }

void TLxRecordSet::InternalUnPrepare() { FCommand->Unprepare(); }

void TLxRecordSet::UnprepareCommand() {
  InternalUnPrepare();
  FPrepared = false;
}

void TLxRecordSet::Prepare() {
  if (FPrepared) return;
  try {
    TMemData::Prepare();
    // Only a statement that returns rows leaves a prepared store with its fields described.
    FPrepared = false;
    if (IsSelectStatement()) {
      InitFields();
      FPrepared = true;
    }
  } catch (...) {
    FPrepared = false;
    InternalUnPrepare();
    throw;
  }
}

void TLxRecordSet::UnPrepare() {
  struct ClearTables {
    TLxTablesInfo& tables;
    ~ClearTables() { tables.Clear(); }
  } clearTables{*FTablesInfo};
  TMemData::UnPrepare();
}

void TLxRecordSet::ExecCommand() {
  FCommand->Execute();
  FFetchBreak = false;
}

bool TLxRecordSet::ExecuteAndFetch(bool keepFields) {
  ExecCommand();
  if (!keepFields && (!FPrepared || FieldCount() == 0 || NeedRefreshFields())) InitFields();
  return FFetchAll ? FetchAll() : Fetch(false);
}

void TLxRecordSet::InternalOpen() {
  FFetchEnded = false;
  TMemData::InternalOpen();
  FEof = false;
  try {
    ExecuteAndFetch(false);
  } catch (...) {
    // A failed open leaves no half-prepared statement and no pending result behind.
    if (!FPrepared) InternalUnPrepare();
    if (FCommand->GetCursorState() == csExecuted) FCommand->SetCursorState(csInactive);
    throw;
  }
}

void TLxRecordSet::InternalClose() {
  FFetchEnded = false;
  FCommandType = ctUnknown;
  TMemData::InternalClose();
}

bool TLxRecordSet::FetchAll() {
  bool fetched;
  do {
    fetched = Fetch(false);
  } while (fetched);
  return fetched;
}

void TLxRecordSet::DoBeforeFetch(bool& cancel) {
  cancel = FFetchBreak;
  if (OnBeforeFetch) OnBeforeFetch(cancel);
  if (cancel && FCommand->GetCursorState() == csFetchingAll) FCommand->SetCursorState(csFetching);
}

void TLxRecordSet::DoAfterFetch() {
  if (OnAfterFetch) OnAfterFetch();
}

bool TLxRecordSet::FilterUpdated() {
  const TCursorState state = FCommand->GetCursorState();
  const bool moreRowsMayCome = state != csInactive && state < csFetched;
  bool nothingVisible = TMemData::FilterUpdated();
  // Rows still to be fetched may pass the filter: the end is not reached yet.
  if (moreRowsMayCome) FEof = false;
  return nothingVisible;
}

void TLxRecordSet::SortItems() {
  if (!HasSortColumns()) return;
  FetchAll();
  TMemData::SortItems();
}
