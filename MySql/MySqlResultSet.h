// The rows of one result, read from a session: text rows after a query, binary rows after a
// prepared statement's execution, and the column-definition packets that precede every result.
// Each column's value is located inside the row's bytes and reached through a bind, not copied.
//
// Rows read from the wire stay in the session's packet buffer: the binds of a row are valid until
// the next fetch. Only short lists (column and parameter definitions) are stored whole.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "MySql/MyCall.h"
#include "MySql/MySqlBind.h"
#include "platform/rtl/Types.h"

class TMySqlSession;

// Received packets kept in memory, one byte array each.
class TRows {
 public:
  void Add(TBytes packet) { FRows.push_back(std::move(packet)); }
  const TBytes& Get(int32_t index) const { return FRows[static_cast<size_t>(index)]; }
  int32_t Count() const { return static_cast<int32_t>(FRows.size()); }
  void Clear() { FRows.clear(); }

 private:
  std::vector<TBytes> FRows;
};

class TMySqlResultSet {
 public:
  // A result over the session's field count and pending columns, read as text rows.
  explicit TMySqlResultSet(TMySqlSession* session);
  // A result over the given columns; binary rows when result binds are given, else text rows.
  // The session must not be nil.
  TMySqlResultSet(TMySqlSession* session, std::unique_ptr<TMySqlBinds> resultBinds,
                  int32_t fieldCount, TMySqlFieldInfos columns);
  // Frees the stored rows and both bind sets; unread rows stay on the wire (see Close).
  ~TMySqlResultSet();
  TMySqlResultSet(const TMySqlResultSet&) = delete;
  TMySqlResultSet& operator=(const TMySqlResultSet&) = delete;

  // Frees the previous result binds and takes these; nil switches back to text rows.
  void SetResultBinds(std::unique_ptr<TMySqlBinds> binds);
  TMySqlBinds* ResultBinds() const { return FResultBinds.get(); }

  // Reads every packet up to the EOF packet into the stored rows; the EOF packet's warning count
  // and server status go to the session. A packet of 16 MB or more raises ArgumentException
  // "Cannot retrieve huge data in FetchAll mode".
  void StoreRows();
  // Reads the next packet from the wire into the session's packet buffer: true for a row; false at
  // the EOF packet, which ends the session's pending result (result state 0).
  bool FetchNext();
  // Delivers the next row and locates its columns: binary rows into the result binds (binds is set
  // to them), text rows into binds (EMySqlException 2028 when nil). False at the end, and on every
  // later call without reading.
  bool Fetch(TMySqlBinds*& binds);
  // Turns the stored column-definition packets, one per column, into column records (the 4.1 or
  // the older form, as the session speaks). A count that differs from the packets stored is a
  // malformed reply (2027).
  void ConvertColumns(int32_t count, TMySqlFieldInfos& columns);
  // The current row's bytes (a row must have been fetched).
  const uint8_t* GetRowAddress();
  // The current row's length in bytes; 0 when there is none.
  int32_t RowLength() const { return FRowLength; }

  // Releases the result: columns, binds and stored rows go; rows still on the wire are discarded
  // through the session (FlushResult), which is then forgotten.
  void Close();
  // Forgets the session without touching it (the session is going away).
  void ForgetSession() { FSession = nullptr; }

  TMySqlSession* Session() const { return FSession; }
  int32_t FieldCount() const { return FFieldCount; }
  const TMySqlFieldInfos& Columns() const { return FColumns; }
  // The text binds, one per column.
  TMySqlBinds* Binds() const { return FBinds.get(); }
  TRows* StoredRows() const { return FStoredRows.get(); }
  int64_t RowCount() const { return FRowCount; }
  bool EndReached() const { return FEndReached; }

 private:
  void Locate(TMySqlBinds*& binds);

  std::unique_ptr<TRows> FStoredRows;
  int32_t FRowIndex = 0;
  int64_t FRowCount = 0;
  int32_t FFieldCount = 0;
  const uint8_t* FRowBuffer = nullptr;
  int32_t FRowLength = 0;
  std::unique_ptr<TMySqlBinds> FResultBinds;
  TMySqlFieldInfos FColumns;
  TMySqlSession* FSession = nullptr;
  bool FEndReached = false;
  std::unique_ptr<TMySqlBinds> FBinds;
};
