// The provider-neutral record set: an in-memory record store filled from the rows of one SQL
// command. It owns the command, executes it on open and brings the rows into the record list block
// by block, all at once or on demand as navigation moves forward. A provider supplies the command,
// the field descriptions and the reading of rows (Fetch).
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "Common/LxAccess_Command.h"
#include "Common/LxAccess_SQLInfo.h"
#include "Common/MemData.h"

class TComponent;
class TLxConnection;
class TLxTransaction;

// The field descriptor of a record set: a store descriptor that knows its table.
class TLxFieldDesc : public TFieldDesc {
 public:
  static TFieldDesc* Create() { return new TLxFieldDesc(); }

  // The base column name, quoted when mode is 1 or when the dialect says the name needs quotes
  // (mode 0). Cached per mode.
  virtual String GetSourceNameQuoted(TSQLInfo* sqlInfo, int mode);
  virtual int GetCapabilityFlag() { return 0; }

  // The table the column comes from; nil for a computed column. Not owned.
  TLxTableInfo* TableInfo() const { return FTableInfo; }
  void SetTableInfo(TLxTableInfo* value) { FTableInfo = value; }

 private:
  TLxTableInfo* FTableInfo = nullptr;
  std::array<String, 2> FQuotedNames;
};

// Command types of a record set.
constexpr uint8_t ctUnknown = 0;
constexpr uint8_t ctNoResult = 1;
constexpr uint8_t ctResultSet = 2;
// The rows come from a cursor the server handed over (a procedure's result), not from SQL.
constexpr uint8_t ctCursor = 3;

class TLxRecordSet : public TMemData {
 public:
  using TBeforeFetchProc = std::function<void(bool& cancel)>;
  using TAfterFetchProc = std::function<void()>;

  // The provider makes its command and hands it over here: the record set owns it from then on.
  explicit TLxRecordSet(std::unique_ptr<TLxCommand> command);
  ~TLxRecordSet() override;

  // Hooks of the dataset component; each runs only when set. The three further hooks are filled
  // together with them and are kept for the component; the record set never calls them.
  TBeforeFetchProc OnBeforeFetch;
  TAfterFetchProc OnAfterFetch;
  std::function<void()> OnDataChanged;
  std::function<void()> OnReopen;
  std::function<void()> OnFieldsChanging;

  // ---- Virtual operations added after TMemData's ----
  virtual void SetCommand(std::unique_ptr<TLxCommand> command);
  virtual bool GetCanFetchBack() { return false; }
  virtual bool IsSelectStatement() { return FCommandType == ctResultSet; }
  virtual bool NeedRefreshFields() { return false; }
  virtual bool ExecuteAndFetch(bool keepFields);
  virtual void ProcessFetchedBlock(TItemBlock* block, int count, bool backwards);
  virtual void DoBeforeFetch(bool& cancel);
  virtual void DoAfterFetch();
  virtual void UnprepareCommand();
  virtual void ExecCommand();
  // Fetches forwards until nothing more comes; the last Fetch result.
  virtual bool FetchAll();
  virtual void BreakFetch() { FFetchBreak = true; }
  // The command has no result being read: inactive or all rows fetched.
  virtual bool IsCursorIdle();
  virtual bool HasResultSet() { return FCommandType == ctResultSet; }
  virtual void SetConnection(TLxConnection* connection);
  virtual void SetTransaction(TLxTransaction* transaction) {
    if (FCommand) FCommand->SetTransaction(transaction);
  }
  virtual void SetSQL(const String& text);
  // Numbered properties: True for a known code; an unknown one fails an assertion naming it.
  virtual bool SetProp(TLxPropCode prop, const Variant& value);
  virtual bool GetProp(TLxPropCode prop, Variant& value);
  virtual bool GetCapabilityFlag() { return true; }

  // ---- Overrides ----
  void InternalPrepare() override;
  void InternalUnPrepare() override;
  void InternalOpen() override;
  void InternalClose() override;
  bool GetConvertEOL() override;
  void Prepare() override;
  void UnPrepare() override;
  TFieldDescClass GetFieldDescClass() override { return &TLxFieldDesc::Create; }
  void GetNextRecord(uint8_t* recBuf) override;
  void GetPriorRecord(uint8_t* recBuf) override;
  bool FilterUpdated() override;
  void SortItems() override;

  // ---- State ----
  TLxCommand* GetCommand() const { return FCommand.get(); }
  void SetComponent(TComponent* component);
  TComponent* GetComponent() const;
  TLxTablesInfo& TablesInfo() { return *FTablesInfo; }
  bool UniDirectional() const { return FUniDirectional; }
  int32_t FetchRows() const { return FFetchRows; }
  bool FetchAllFlag() const { return FFetchAll; }
  bool FetchAllFixed() const { return FFetchAllFixed; }
  bool LongStrings() const { return FLongStrings; }
  bool FlatBuffers() const { return FFlatBuffers; }
  bool FetchEnded() const { return FFetchEnded; }
  bool FetchBreak() const { return FFetchBreak; }
  uint8_t CommandType() const { return FCommandType; }
  void SetCommandType(uint8_t value) { FCommandType = value; }

 protected:
  // Links the first count items of a freshly read block into the record list (at the tail going
  // forwards, at the head backwards), puts the rest on the free list and sets FetchEnded when a
  // forward block came back short.
  void InitFetchedItems(TItemBlock* block, int count, bool backwards);
  // A fresh block of FetchRows items for the provider to read rows into. With UniDirectional the
  // rows kept so far are released first: only the newest block stays.
  TItemBlock* NewFetchBlock();

  int32_t FFetchRows = 25;
  bool FFetchEnded = false;
  bool FFetchBreak = false;
  uint8_t FCommandType = ctUnknown;

 private:
  bool FilterActiveForFetch() const { return HasFilter() && !FFetchAll; }
  // Step 3 of forward navigation: fetch when the kept rows are used up. The new candidate, or nil
  // at the end of data.
  TRecordItem* FetchNextCandidate();

  std::unique_ptr<TLxCommand> FCommand;
  std::unique_ptr<TLxTablesInfo> FTablesInfo;
  bool FUniDirectional = false;
  bool FFetchAll = false;
  bool FFetchAllFixed = false;
  bool FLongStrings = true;
  bool FFlatBuffers = true;
  bool FFieldsInfoExtra = false;
  bool FDefaultValues = false;
  bool FFieldsOrigin = false;
};
