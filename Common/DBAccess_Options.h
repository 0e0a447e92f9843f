// The dataset options: the switches that the dataset, its record set, its command, the SQL
// generator and the updater read. Setters push what the provider objects need at once.
#pragma once

#include <cstdint>

#include "Common/LxAccess_Command.h"
#include "Common/LxAccess_Props.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variant.h"

// Options whose change the dataset acts on itself rather than through a numbered property.
enum TDADataSetOptionEffect : uint8_t {
  oeRequiredFields,    // required-fields switch; field definitions re-read when active
  oeNumberRange,       // number-range switch
  oeUnprepare,         // AutoPrepare changed: the dataset unprepares
  oeTrimFixedChar,     // record set switches
  oeTrimVarChar,
  oeSetEmptyStrToNull,
  oeFieldDefsOutdated,  // field definitions must be read again
  oeLocalMasterDetail,  // re-install the local master/detail filter
};

// The seam to the dataset component that owns the options. The dataset passes numbered
// properties to its record set and command when they exist (and returns false when not), and
// re-sends all of them with PassAll when it installs a new record set.
class IDADataSetOptionsOwner {
 public:
  virtual ~IDADataSetOptionsOwner() = default;
  // Raises "Cannot perform this operation on an open dataset" while active.
  virtual void CheckInactive() = 0;
  virtual bool PassToRecordSet(TLxPropCode prop, const Variant& value) = 0;
  virtual bool PassToCommand(TLxPropCode prop, const Variant& value) = 0;
  virtual void OptionChanged(TDADataSetOptionEffect effect, bool value) = 0;
};

class TDADataSetOptions : public TPersistent {
 public:
  explicit TDADataSetOptions(IDADataSetOptionsOwner* owner);

  bool SetFieldsReadOnly = true;
  bool StrictUpdate = true;
  bool QueryRecCount = false;
  bool ReturnParams = false;
  bool RemoveOnRefresh = true;
  bool FullRefresh = false;
  int UpdateBatchSize = 1;
  bool UpdateAllFields = false;
  bool PrepareUpdateStatements = false;

  bool RequiredFields() const { return FRequiredFields; }
  void SetRequiredFields(bool value);
  bool NumberRange() const { return FNumberRange; }
  void SetNumberRange(bool value);
  bool AutoPrepare() const { return FAutoPrepare; }
  void SetAutoPrepare(bool value);
  bool TrimFixedChar() const { return FTrimFixedChar; }
  void SetTrimFixedChar(bool value);
  bool TrimVarChar() const { return FTrimVarChar; }
  void SetTrimVarChar(bool value);
  bool SetEmptyStrToNull() const { return FSetEmptyStrToNull; }
  void SetSetEmptyStrToNull(bool value);
  bool LongStrings() const { return FLongStrings; }
  void SetLongStrings(bool value);
  bool FlatBuffers() const { return FFlatBuffers; }
  void SetFlatBuffers(bool value);
  bool QuoteNames() const { return FQuoteNames; }
  void SetQuoteNames(bool value);
  TCompressBlobMode CompressBlobMode() const { return FCompressBlobMode; }
  void SetCompressBlobMode(TCompressBlobMode value);
  bool LocalMasterDetail() const { return FLocalMasterDetail; }
  void SetLocalMasterDetail(bool value);
  bool FieldsOrigin() const { return FFieldsOrigin; }
  void SetFieldsOrigin(bool value);
  bool DefaultValues() const { return FDefaultValues; }
  void SetDefaultValues(bool value);
  bool DetailedFieldInfo() const { return FDetailedFieldInfo; }
  void SetDetailedFieldInfo(bool value);
  bool EnableBCD() const { return FEnableBCD; }
  void SetEnableBCD(bool value);
  bool EnableFMTBCD() const { return FEnableFMTBCD; }
  void SetEnableFMTBCD(bool value);

  // Sends every numbered option to the record set and the command: for a newly installed one.
  void PassAll();
  void Assign(TPersistent* source) override;

 private:
  void ToRecordSet(TLxPropCode prop, const Variant& value);
  void ToCommand(TLxPropCode prop, const Variant& value);
  void Changed(TDADataSetOptionEffect effect, bool value);
  void CheckInactive();

  IDADataSetOptionsOwner* FOwner;
  bool FRequiredFields = true;
  bool FNumberRange = false;
  bool FAutoPrepare = false;
  bool FTrimFixedChar = true;
  bool FTrimVarChar = false;
  bool FSetEmptyStrToNull = false;
  bool FLongStrings = true;
  bool FFlatBuffers = false;
  bool FQuoteNames = false;
  TCompressBlobMode FCompressBlobMode = cbNone;
  bool FLocalMasterDetail = false;
  bool FFieldsOrigin = false;
  bool FDefaultValues = false;
  bool FDetailedFieldInfo = false;
  bool FEnableBCD = false;
  bool FEnableFMTBCD = false;
};
