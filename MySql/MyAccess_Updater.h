// The MySQL dataset updater: tells the update component's command where the placeholders of a
// generated text stand, reads the key the server generated for an AUTO_INCREMENT column, takes
// a returned row as the way values come back, locks only fully fetched datasets and follows the
// TIMESTAMP columns for the quick refresh.
#pragma once

#include "Common/DBAccess_Updater.h"

class TCustomMyDataSetUpdater : public TDADataSetUpdater {
 public:
  using TDADataSetUpdater::TDADataSetUpdater;

  bool ReturnsValuesAsRow() override { return true; }
  // Also equal: two date-times of the same minute less than a second apart, as the server keeps
  // no fraction of a second unless the column asks for one.
  bool ValuesEqual(const Variant& a, const Variant& b) override;
  // The record is re-read before the lock (or alone) when roBeforeEdit asks for it.
  void PrepareEdit() override;
  // A lock needs every row fetched: "Lock is not compatible with FetchAll = False" otherwise.
  void LockRecord() override;
  // TIMESTAMP columns: the quick refresh asks for the rows changed since the latest value read.
  bool IsTrackedField(TFieldDesc* fieldDesc) override;
  void TrackFieldValue(TFieldDesc* fieldDesc, const Variant& value) override;

 protected:
  void PrepareUpdateStatement(const String& text, TStatementTypes statementTypes, bool generate,
                              TDAParamsInfo*& paramsInfo) override;
  void SetUpdateComponentOptions(TStatementType statementType,
                                 TCustomDADataSet& component) override;
  bool GetIdentityFieldValue(Variant& value) override;
};

// The MySQL widening of the updater's value comparison, for the updater and its tests.
bool MySQLDateTimesEqual(TDateTime a, TDateTime b);
