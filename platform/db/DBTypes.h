// The vocabulary of the data-set framework: field types, dataset states, data events, record
// buffers, bookmarks, update kinds and the option sets, with the error helpers every class of the
// framework raises through.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/rtl/Alignment.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Types.h"

class TComponent;

// Field types. The ordinal values are stored with forms and parameters (a parameter's type with
// its top bit cleared is a field type up to ftFMTBcd = 37), so the order is fixed.
enum TFieldType : int {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
  ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
  ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
  ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
  ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo,
  ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended, ftConnection,
  ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle
};
constexpr int FieldTypeCount = ftSingle + 1;
using TFieldTypes = TSet<TFieldType>;

// The type's name as messages show it ("Integer", "WideString"); "Unknown" past the list.
String FieldTypeName(TFieldType type);
// The blob types: binary, text and picture large objects.
bool IsBlobType(TFieldType type);
// The types whose fields hold other fields.
bool IsObjectType(TFieldType type);

enum TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
  dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
using TDataSetStates = TSet<TDataSetState>;
// The states in which field values may be written by a user.
inline const TDataSetStates dsEditModes = {dsEdit, dsInsert, dsSetKey};
// The states in which SetFieldData accepts a value.
inline const TDataSetStates dsWriteModes = {dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter,
                                            dsNewValue, dsInternalCalc};

// What a dataset tells its data sources and links. The event's info is a TField* for the field
// events, the number of buffer slots the window slid for deDataSetScroll (negative forwards), and
// a TField** for deFocusControl.
enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
  deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
  deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange
};

// GetRecord reads the cursor's record, or moves it one record on or back first.
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
using TFieldKinds = TSet<TFieldKind>;

// A record buffer: raw bytes the descendant allocates in AllocRecordBuffer and lays out itself.
using TRecordBuffer = uint8_t*;
// A bookmark: BookmarkSize bytes the descendant puts into each record buffer. Empty means none.
using TBookmark = TBytes;
// Where a buffer's record lies: an ordinary record, a placeholder for before the first or after
// the last record (a new record inserted into an empty window or appended), or a new record.
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
using TUpdateStatusSet = TSet<TUpdateStatus>;
using TUpdateRecordTypes = TSet<TUpdateStatus>;
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TUpdateAction { uaFail, uaAbort, uaSkip, uaRetry, uaApplied };
enum TUpdateMode { upWhereAll, upWhereChanged, upWhereKeyOnly };

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;
enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;

// What an OnPostError, OnEditError or OnDeleteError handler decides.
enum TDataAction { daFail, daAbort, daRetry };

enum TFieldAttribute { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
using TFieldAttributes = TSet<TFieldAttribute>;

// How the server fills a field on insert.
enum TAutoRefreshFlag { arNone, arAutoInc, arDefault };

// How a provider uses a field in the statements it generates.
enum TProviderFlag { pfInUpdate, pfInWhere, pfInKey, pfHidden, pfRefreshOnInsert,
                     pfRefreshOnUpdate };
using TProviderFlags = TSet<TProviderFlag>;

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
using TParamTypes = TSet<TParamType>;

enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression,
                    ixNonMaintained };
using TIndexOptions = TSet<TIndexOption>;

// The native buffer form of ftDate (Date: days of the time stamp), ftTime (Time: milliseconds
// since midnight) and ftDateTime (DateTime: milliseconds of the time stamp).
union TDateTimeRec {
  int32_t Date;
  int32_t Time;
  double DateTime;
};

// Raises EDatabaseError. A named component prefixes the message with its name and ": ", as every
// message of the framework that concerns a dataset, field or data source does.
[[noreturn]] void DatabaseError(const String& message, const TComponent* component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const String& format, std::initializer_list<TVarRec> args,
                                   const TComponent* component = nullptr);
