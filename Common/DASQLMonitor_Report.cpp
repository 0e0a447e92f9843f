// What the monitor component makes of each event: the text, the OnSQL call, the debug dialog and
// the event for the external monitor program.
#include "Common/DASQLMonitor.h"

#include "Common/DBAccess.h"
#include "Common/DBAccess_AccessUtils.h"
#include "Common/DBAccess_SQL.h"
#include "Common/LxConnectionPool.h"
#include "Common/MemData_Blob.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StrUtils.h"

namespace {

const String CRLF = u"\r\n";

String Hex8(const void* p) {
  return IntToHex(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) & 0xFFFFFFFFu, 8);
}

int32_t Id(const void* p) { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(p)); }

bool IsStringType(TFieldType type) {
  return type == ftString || type == ftFixedChar || type == ftWideString ||
         type == ftFixedWideChar;
}

TCustomDAConnection* ComponentConnection(TObject* object) {
  if (auto* sql = dynamic_cast<TCustomDASQL*>(object)) return sql->Connection();
  if (auto* dataSet = dynamic_cast<TCustomDADataSet*>(object)) return dataSet->Connection();
  return nullptr;
}

bool ComponentDebug(TObject* object) {
  if (auto* sql = dynamic_cast<TCustomDASQL*>(object)) return sql->Debug();
  if (auto* dataSet = dynamic_cast<TCustomDADataSet*>(object)) return dataSet->Debug();
  return false;
}

String WithParams(const String& text, const String& params) {
  return params.empty() ? text : text + CRLF + params;
}

}  // namespace

// ---- Formatting.

String TCustomDASQLMonitor::GetObjectName(TObject* object) {
  if (auto* component = dynamic_cast<TComponent*>(object); component && !component->Name().empty())
    return component->Name();
  return object->ClassName() + u" ($" + Hex8(object) + u")";
}

String TCustomDASQLMonitor::ObjectInfo(TObject* object) {
  if (!FOptions.Contains(moHandled) || !object) return {};
  auto* component = dynamic_cast<TComponent*>(object);
  String info = u" [" + (component ? component->Name() : String()) + u"$" + Hex8(object);
  if (TCustomDAConnection* connection = ComponentConnection(object))
    info += u"; " + connection->Name() + u"$" + Hex8(connection);
  return info + u"] ";
}

TObject* TCustomDASQLMonitor::GetParent(TObject* object) {
  if (auto* transaction = dynamic_cast<TDATransaction*>(object))
    return transaction->ConnectionsCount() > 0
               ? TDBAccessUtils::GetTransactionConnection(transaction, 0)
               : nullptr;
  if (TCustomDAConnection* connection = ComponentConnection(object)) return connection;
  if (auto* pool = dynamic_cast<TLxConnectionPool*>(object)) return pool->Manager();
  return nullptr;
}

int32_t TCustomDASQLMonitor::GetObjectType(TObject* object) {
  if (dynamic_cast<TCustomDAConnection*>(object)) return 1;
  if (dynamic_cast<TDATransaction*>(object)) return 2;
  if (dynamic_cast<TCustomDASQL*>(object)) return 3;
  if (dynamic_cast<TCustomDADataSet*>(object)) return 4;
  if (dynamic_cast<TLxConnectionPool*>(object) || dynamic_cast<TLxConnectionPoolManager*>(object))
    return 5;
  return 0;
}

String TCustomDASQLMonitor::GetParamDataType(TDAParam* param) {
  const TFieldType type = param->DataType();
  String text = type == ftFixedWideChar ? String(u"FixedWideChar") : FieldTypeName(type);
  if (IsStringType(type))
    text += u"[" + IntToStr(static_cast<int64_t>(param->AsString().size())) + u"]";
  return text;
}

String TCustomDASQLMonitor::GetParamParamType(TDAParam* param) {
  switch (param->ParamType()) {
    case ptInput: return u"IN";
    case ptOutput: return u"OUT";
    case ptInputOutput: return u"IN/OUT";
    case ptResult: return u"RESULT";
    default: return {};
  }
}

String TCustomDASQLMonitor::GetParamValue(TDAParam* param) {
  if (param->IsNull()) return u"<NULL>";
  const TFieldType type = param->DataType();
  switch (type) {
    case ftDate: return DateToStr(param->AsDateTime());
    case ftDateTime: return DateTimeToStr(param->AsDateTime());
    case ftBytes:
    case ftVarBytes:
      return u"<BLOB:" + IntToStr(static_cast<int64_t>(param->AsString().size())) + u">";
    case ftBlob:
    case ftMemo:
    case ftOraBlob:
    case ftOraClob: {
      auto* blob = dynamic_cast<TBlob*>(param->ParamObject());
      return u"<BLOB:" + IntToStr(blob ? static_cast<int64_t>(blob->GetSize()) : 0) + u">";
    }
    case ftCursor: return u"<CURSOR>";
    default: break;
  }
  if (IsStringType(type)) return u"'" + param->AsString() + u"'";
  return param->AsString();
}

String TCustomDASQLMonitor::ParamsText(TDAParams* params, TMsgSQLParams* out) {
  String text;
  if (!params) return text;
  for (int i = 0; i < params->Count(); ++i) {
    auto* param = static_cast<TDAParam*>(params->Items(i));
    TMsgSQLParam item{param->Name(), GetParamDataType(param), GetParamParamType(param),
                      GetParamValue(param)};
    String kinds = item.DataType;
    if (!item.ParamType.empty()) kinds += (kinds.empty() ? u"" : u",") + item.ParamType;
    text += u":" + item.Name + u"(" + kinds + u")";
    if (!item.Value.empty()) text += u"=" + item.Value;
    text += u" \r\n";
    if (out) out->push_back(std::move(item));
  }
  return TrimRight(text);
}

// ---- Outputs.

bool TCustomDASQLMonitor::Traced(TDATraceFlag flag) {
  ApplyStreamedActive();
  return FActive && FTraceFlags.Contains(flag);
}

void TCustomDASQLMonitor::Output(TObject* sender, const String& text, TDATraceFlag flag) {
  // The external SQL monitor program is not part of this system: its output has no client.
  if (OnSQL) OnSQL(sender, text, flag);
}

void TCustomDASQLMonitor::Send(TObject* object, int32_t eventType, bool beforeEvent,
                               int32_t& eventId, const String& description, const String& sql,
                               const TMsgSQLParams& params, bool failed,
                               const String& errorText) {
  if (!FQuelscope || !FOptions.Contains(moQuelscope)) return;
  TMonitorEvent event;
  event.EventId = eventId;
  event.EventType = eventType;
  if (beforeEvent && object) {
    event.ObjectId = Id(object);
    event.ObjectName = GetObjectName(object);
    event.ObjectType = GetObjectType(object);
    event.ObjectTypeName = object->ClassName();
    TObject* parent = eventType == metObjectDestroyed ? nullptr : GetParent(object);
    if (parent) {
      event.ParentId = Id(parent);
      event.ParentName = GetObjectName(parent);
      event.ParentType = GetObjectType(parent);
      event.ParentTypeName = parent->ClassName();
    }
  }
  event.Description = description;
  event.SQL = sql;
  event.Params = params;
  event.Failed = failed;
  event.ErrorText = errorText;
  if (!beforeEvent && eventType == metExecute && object) {
    if (auto* command = dynamic_cast<TCustomDASQL*>(object))
      event.RowsAffected = command->RowsAffected();
    else if (auto* dataSet = dynamic_cast<TCustomDADataSet*>(object))
      event.RowsAffected = dataSet->RowsAffected();
  }
  if (TCallStackProc callStack = CallStackHook()) callStack(event.CallStack);
  if (beforeEvent) {
    FQuelscope->EventStart(event);
    eventId = event.EventId;
  } else {
    FQuelscope->EventEnd(event);
  }
}

void TCustomDASQLMonitor::Dialog(TComponent* component, const String& sql, const String& word,
                                 TDAParams* params) {
  if (!FOptions.Contains(moDialog)) return;
  const bool debug = ComponentDebug(component);
  if (!debug && (FOptions.Contains(moCustom) || ComponentState().Contains(csDesigning))) return;
  if (TDebugDialogProc dialog = DebugDialogHook())
    dialog(MonitorClass(), component, sql, word, params);
}

void TCustomDASQLMonitor::SendPair(TObject* object, int32_t eventType, const String& description,
                                   const String& sql) {
  int32_t eventId = 0;
  Send(object, eventType, true, eventId, description, sql, {});
  Send(object, eventType, false, eventId, description, sql, {});
}

// ---- Reports.

void TCustomDASQLMonitor::ReportPrepare(TComponent* component, const String& sql,
                                        bool beforeEvent, int32_t& eventId, TDAParams* params) {
  if (!Traced(tfQPrepare)) return;
  TMsgSQLParams items;
  const String paramText = ParamsText(params, &items);
  const String text = u"SQL Prepare" + ObjectInfo(component) + u": " + sql;
  Send(component, metPrepare, beforeEvent, eventId, text + CRLF + paramText, sql, items);
  if (!beforeEvent) return;
  Output(component, WithParams(u"Prepare: " + sql, paramText), tfQPrepare);
  Dialog(component, sql, u"Prepare", params);
}

void TCustomDASQLMonitor::ReportUnprepare(TComponent* dataSet, const String& sql,
                                          bool beforeEvent, int32_t& eventId,
                                          TDAParams* params) {
  if (!Traced(tfQPrepare)) return;
  TMsgSQLParams items;
  const String paramText = ParamsText(params, &items);
  const String text = u"SQL Unprepare" + ObjectInfo(dataSet) + u": " + sql;
  Send(dataSet, metUnprepare, beforeEvent, eventId, text + CRLF + paramText, sql, items);
  if (!beforeEvent) return;
  Output(dataSet, WithParams(u"Unprepare: " + sql, paramText), tfQPrepare);
  Dialog(dataSet, sql, u"Unprepare", params);
}

void TCustomDASQLMonitor::ReportExecute(TComponent* component, const String& sql,
                                        bool beforeEvent, int32_t& eventId,
                                        const String& description, TDAParams* params) {
  if (!Traced(tfQExecute)) return;
  TMsgSQLParams items;
  const String paramText = ParamsText(params, &items);
  const String tail = ObjectInfo(component) + u": " + sql;
  Send(component, metExecute, beforeEvent, eventId, u"SQL Execute" + tail + CRLF + paramText,
       sql, items);
  if (!beforeEvent) return;
  Output(component, WithParams(sql, paramText), tfQExecute);
  Dialog(component, sql, description.empty() ? String(u"Execute") : description, params);
}

void TCustomDASQLMonitor::ReportConnect(TCustomDAConnection* connection, bool connect,
                                        bool beforeEvent, int32_t& eventId) {
  if (!Traced(tfConnect)) return;
  const String who = connection->Username() + u"@" + connection->Server();
  const String text = (connect ? u"Connect: " : u"Disconnect: ") + who + ObjectInfo(connection);
  const String sql = connect ? u"Username=" + connection->Username() + u"\r\nServer=" +
                                   connection->Server()
                             : String();
  Send(connection, connect ? metConnect : metDisconnect, beforeEvent, eventId, text, sql, {});
  if (beforeEvent) Output(connection, text, tfConnect);
}

void TCustomDASQLMonitor::ReportTransactionStep(const String& word, int32_t eventType,
                                                TObject* object, bool beforeEvent,
                                                int32_t& eventId) {
  if (!Traced(tfTransact)) return;
  String text = word + u": ";
  if (auto* connection = dynamic_cast<TCustomDAConnection*>(object))
    text += connection->Username() + u"@" + connection->Server();
  text += ObjectInfo(object);
  Send(object, eventType, beforeEvent, eventId, text, {}, {});
  if (beforeEvent) Output(object, text, tfTransact);
}

void TCustomDASQLMonitor::ReportStart(TObject* object, bool beforeEvent, int32_t& eventId) {
  ReportTransactionStep(u"Start", metStart, object, beforeEvent, eventId);
}

void TCustomDASQLMonitor::ReportCommit(TObject* object, bool beforeEvent, int32_t& eventId) {
  ReportTransactionStep(u"Commit", metCommit, object, beforeEvent, eventId);
}

void TCustomDASQLMonitor::ReportRollback(TObject* object, bool beforeEvent, int32_t& eventId) {
  ReportTransactionStep(u"Rollback", metRollback, object, beforeEvent, eventId);
}

void TCustomDASQLMonitor::ReportRetaining(TDATransaction* transaction, bool commit,
                                          bool beforeEvent, int32_t& eventId) {
  if (!Traced(tfTransact)) return;
  const String text =
      (commit ? u"CommitRetaining: " : u"RollbackRetaining: ") + ObjectInfo(transaction);
  Send(transaction, commit ? metCommit : metRollback, beforeEvent, eventId, text, {}, {});
  if (beforeEvent) Output(transaction, text, tfTransact);
}

void TCustomDASQLMonitor::ReportSavepoint(TDATransaction* transaction, const String& kind,
                                          const String& name, bool beforeEvent,
                                          int32_t& eventId) {
  if (!Traced(tfTransact)) return;
  const String text = kind + u" " + name + u" " + ObjectInfo(transaction);
  Send(transaction, metSavepoint, beforeEvent, eventId, text, {}, {});
  Output(transaction, text, tfTransact);
}

void TCustomDASQLMonitor::ReportError(const Exception& e) {
  if (!Traced(tfError)) return;
  const String text = u"Error: " + e.Message();
  int32_t lastEvent = 0;  // the end of the last started event
  Send(nullptr, metError, false, lastEvent, text, {}, {}, true, e.Message());
  Output(nullptr, text, tfError);
}

void TCustomDASQLMonitor::ReportObjectDestroyed(TObject* object) {
  if (!Traced(tfObjDestroy)) return;
  const String text = u"Object destroyed: " + GetObjectName(object);
  SendPair(object, metObjectDestroyed, text, {});
  Output(object, text, tfObjDestroy);
}

void TCustomDASQLMonitor::ReportPool(TObject* pool, const String& message, bool withCount,
                                     bool withParameters) {
  if (!Traced(tfPool)) return;
  auto* connectionPool = dynamic_cast<TLxConnectionPool*>(pool);
  String text = message;
  if (withCount && connectionPool)
    text += u". Pool has " + IntToStr(connectionPool->GetConnectionCount()) + u" connection(s)";
  text += ObjectInfo(pool);
  const String sql =
      withParameters && connectionPool ? connectionPool->Parameters().AsString() : String();
  SendPair(pool, metPool, text, sql);
  Output(pool, text, tfPool);
}
