// The provider-neutral SQL statement: the user's text with :name parameters turned into the
// provider's text with "?" markers and a list of parameter descriptors, the cursor state, and the
// numbered properties of a command.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Common/LxAccess_Props.h"
#include "Common/LxAccess_SQLInfo.h"
#include "Common/MemData_Types.h"
#include "platform/rtl/Variant.h"

class AnsiStringBuilder;
class TComponent;
class TLxCommand;
class TLxConnection;
class TLxTransaction;

// The state of a command's statement and result, one byte.
using TCursorState = uint8_t;
constexpr TCursorState csInactive = 0;     // nothing prepared, no result
constexpr TCursorState csPrepared = 3;
constexpr TCursorState csExecuting = 6;
constexpr TCursorState csExecuted = 7;     // a result set is pending and has not been read
constexpr TCursorState csFetching = 8;     // rows are being fetched
constexpr TCursorState csFetchingAll = 9;  // fetching all rows; a stop request turns it into 8
constexpr TCursorState csFetched = 10;     // all rows fetched

// Whether blob values travel compressed: not at all, in the client's store, on the server, both.
enum TCompressBlobMode : uint8_t { cbNone, cbClient, cbServer, cbClientServer };

// A class reference to an SQL-information class: makes one over a lexer class.
using TSQLInfoClass = std::unique_ptr<TSQLInfo> (*)(TParserClass parserClass);

template <class T>
std::unique_ptr<TSQLInfo> NewSQLInfo(TParserClass parserClass) {
  return std::make_unique<T>(parserClass);
}

// What a connection needs to know of its provider's command class without making a command: its
// SQL-information class and its lexer class.
struct TLxCommandClass {
  TSQLInfoClass SQLInfoClass = nullptr;
  TParserClass ParserClass = nullptr;
};

class TParamDescs;

// One parameter of a command. Its type byte takes the class library's values: 0 unknown,
// 1 input, 2 output, 3 input/output, 4 result.
class TParamDesc {
 public:
  TParamDesc() = default;
  virtual ~TParamDesc() = default;
  TParamDesc(const TParamDesc&) = delete;
  TParamDesc& operator=(const TParamDesc&) = delete;

  const String& GetName() const { return FName; }
  // A changed name makes the owning list forget whether its names repeat.
  void SetName(const String& value);
  TDataTypeCode GetDataType() const { return FDataType; }
  virtual void SetDataType(TDataTypeCode value) { FDataType = value; }
  uint16_t GetSubDataType() const { return FSubDataType; }
  virtual void SetSubDataType(uint16_t value) { FSubDataType = value; }
  uint8_t GetParamType() const { return FParamType; }
  virtual void SetParamType(uint8_t value) { FParamType = value; }
  int32_t GetSize() const { return FSize; }
  virtual void SetSize(int32_t value) { FSize = value; }

  // Read in place: a statement's text is written from it once per execution.
  const Variant& GetValue() const { return FValue; }
  // Copies the value in; is-null follows it (Empty or Null). Returns is-null.
  virtual bool SetValue(const Variant& value);
  // The object the value carries; nil for an Empty or Null value. Any other value is an
  // internal fault.
  virtual void* GetObject() const;
  // Replaces the value by a reference to the object, which the descriptor does not own.
  virtual void SetObject(void* object);
  virtual bool GetNull() const { return FIsNull; }
  // Unless the value carries an object, setting the flag also clears the value.
  virtual void SetNull(bool value);
  bool GetIsBound() const { return FIsBound; }
  virtual void SetIsBound(bool value) { FIsBound = value; }
  virtual bool GetNational() const { return FNational; }
  virtual void SetNational(bool value) { FNational = value; }
  bool GetConvertEOL() const { return FConvertEOL; }
  void SetConvertEOL(bool value) { FConvertEOL = value; }

 private:
  friend class TParamDescs;
  TParamDescs* FOwner = nullptr;
  String FName;
  TDataTypeCode FDataType = 0;
  uint16_t FSubDataType = 0;
  uint8_t FParamType = 0;
  int32_t FSize = 0;
  Variant FValue;
  bool FIsNull = false;
  bool FIsBound = true;
  bool FConvertEOL = false;
  bool FNational = false;
};

using TParamDescClass = std::unique_ptr<TParamDesc> (*)();

// The parameters of a command, owned.
class TParamDescs {
 public:
  TParamDescs() = default;
  // The descriptors know their list: a list does not move.
  TParamDescs(const TParamDescs&) = delete;
  TParamDescs& operator=(const TParamDescs&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises "List index out of bounds (%d)" outside 0..count-1.
  TParamDesc* GetItem(int index) const;
  TParamDesc* Add(std::unique_ptr<TParamDesc> param);
  void Delete(int index);
  // The first descriptor of that name, compared ignoring case by the locale's rules; nil when none.
  TParamDesc* FindParam(const String& name) const;
  void Clear() {
    FItems.clear();
    FNamesRepeat = kNotAsked;
  }
  // Whether a non-empty name is held by more than one descriptor, compared as FindParam compares.
  // A statement asks on every execution and the caseless collation is costly, so the answer is
  // kept until a name changes or a descriptor comes or goes.
  bool NamesRepeat() const;

 private:
  friend class TParamDesc;
  static constexpr int8_t kNotAsked = -1;

  std::vector<std::unique_ptr<TParamDesc>> FItems;
  mutable int8_t FNamesRepeat = kNotAsked;
};

class TLxCommand {
 public:
  TLxCommand();
  virtual ~TLxCommand();
  TLxCommand(const TLxCommand&) = delete;
  TLxCommand& operator=(const TLxCommand&) = delete;

  // Class operations: what the provider's command class is made of.
  virtual TTableInfoClass GetTableInfoClass() const;
  virtual TSQLInfoClass GetSQLInfoClass() const { return &NewSQLInfo<TSQLInfo>; }
  // A provider must name its lexer; the base fails an assertion.
  virtual TParserClass GetParserClass() const;
  virtual TParamDescClass GetParamDescClass() const;
  std::unique_ptr<TSQLInfo> CreateSQLInfo() const;

  // Handles the text after one colon: a parameter reference or a colon that stays. With a
  // parameter list the reference becomes "?" and a descriptor; without one a rename prefix
  // replaces the colon; with neither the text is copied unchanged.
  virtual void ParseSQLParam(AnsiStringBuilder& builder, TParser& parser, char16_t leftQuote,
                             char16_t rightQuote, TParamDescs* params, const String& renamePrefix);

  virtual void Prepare() { SetCursorState(csPrepared); }
  virtual void Unprepare() { SetCursorState(csInactive); }
  virtual bool GetPrepared() const = 0;
  // Callers pass 1; providers may ignore the count.
  virtual void Execute(int iterations = 1) = 0;
  virtual void SetConnection(TLxConnection* connection) { FConnection = connection; }
  // The provider transaction the statement runs in; not owned.
  virtual void SetTransaction(TLxTransaction* transaction) { FTransaction = transaction; }
  TLxTransaction* GetTransaction() const { return FTransaction; }
  virtual void EmptyHook() {}
  virtual TCursorState GetCursorState() const = 0;
  virtual void SetCursorState(TCursorState value) = 0;
  virtual void SetSQL(const String& value);
  // The native text of the SQL with its parameters in the list (emptied first); see the source.
  virtual String ParseSQL(const String& sql, TParamDescs* params, const String& renamePrefix = {});
  // The statement that calls a stored procedure (the provider's).
  virtual String CreateProcCall(const String& name, bool rebuildParams) = 0;
  TParamDesc* AddParam();
  virtual void* GetCursor() const { return nullptr; }
  // Raises "Operation is not supported by the database".
  virtual void SetCursor(void* cursor);
  virtual bool SetProp(TLxPropCode prop, const Variant& value);
  virtual bool GetProp(TLxPropCode prop, Variant& value);
  // Interrupts a running statement from another thread; nothing in the base.
  virtual void BreakExec() {}

  // The connection's SQL information, or the command's own when it has no connection.
  TSQLInfo* GetSQLInfo();
  int GetParamCount() const { return FParams.Count(); }
  TParamDesc* GetParam(int index) const { return FParams.GetItem(index); }
  TParamDesc* FindParam(const String& name) const { return FParams.FindParam(name); }
  void DeleteParam(int index) { FParams.Delete(index); }
  TParamDescs& Params() { return FParams; }
  // Parses the stored user SQL again into the parameters and stores the native text.
  void ReparseSQL();

  TLxConnection* GetConnection() const { return FConnection; }
  const String& SQL() const { return FUserSQL; }
  const String& NativeSQL() const { return FSQL; }
  // Changes whenever the native text is set, so that what a provider derives from the text can
  // be kept without comparing the text on every execution.
  uint64_t NativeSQLVersion() const { return FSQLVersion; }
  TComponent* OwnerComponent() const { return FOwnerComponent; }
  void SetOwnerComponent(TComponent* component) { FOwnerComponent = component; }
  bool AutoCommit() const { return FAutoCommit; }
  bool Executing() const { return FExecuting; }
  bool ScanParams() const { return FScanParams; }
  bool DisableParamScan() const { return FDisableParamScan; }
  bool QuoteNames() const { return FQuoteNames; }
  TCompressBlobMode CompressBlob() const { return FCompressBlob; }
  bool EnableBCD() const { return FEnableBCD; }
  bool EnableFMTBCD() const { return FEnableFMTBCD; }
  void SetAfterExecute(std::function<void(bool succeeded)> proc) { FAfterExecute = std::move(proc); }

 protected:
  const std::function<void(bool)>& AfterExecute() const { return FAfterExecute; }
  void SetExecuting(bool value) { FExecuting = value; }

 private:
  std::unique_ptr<TSQLInfo> FSQLInfo;
  TComponent* FOwnerComponent = nullptr;
  TLxConnection* FConnection = nullptr;
  TLxTransaction* FTransaction = nullptr;
  String FSQL;
  uint64_t FSQLVersion = 0;
  String FUserSQL;
  TParamDescs FParams;
  bool FAutoCommit = false;
  std::function<void(bool)> FAfterExecute;
  bool FExecuting = false;
  bool FScanParams = true;
  bool FDisableParamScan = false;
  bool FQuoteNames = false;
  TCompressBlobMode FCompressBlob = cbNone;
  bool FEnableBCD = false;
  bool FEnableFMTBCD = false;
};
