// The dataset updater without a server: which kind of statement a set of kinds stands for, and
// when a value re-read from the server counts as the value in hand.
#include "Common/DBAccess_Updater.h"

#include <gtest/gtest.h>

#include "Common/DBAccess.h"
#include "Common/DBAccess_DataSet.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/rtl/Variant.h"

namespace {

class TServicedDataSet : public TCustomDADataSet {
 public:
  using TCustomDADataSet::TCustomDADataSet;
  TDataSetServiceClass GetDataSetServiceClass() override {
    return TDataSetServiceClass::Of<TDADataSetService>();
  }
};

TEST(DAUpdaterStatementType, OneKindStandsForItselfAndSeveralForACustomStatement) {
  struct Case {
    const char* name;
    TStatementTypes types;
    TStatementType expected;
  } cases[] = {
      {"insert", {stInsert}, stInsert},
      {"refresh", {stRefresh}, stRefresh},
      {"lock that re-reads", {stLock, stRefresh}, stLock},
      {"insert and update", {stInsert, stUpdate}, stCustom},
      {"none", {}, stCustom},
      {"quick refresh", {stRefreshQuick}, stRefreshQuick},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StatementTypeOf(c.types), c.expected);
  }
}

TEST(DAUpdaterValuesEqual, DateTimesWithinAMillisecondAreTheSameMoment) {
  TServicedDataSet dataSet(nullptr);
  TDADataSetUpdater* updater = dataSet.DAUpdater();
  ASSERT_NE(updater, nullptr);
  const TDateTime when = EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 20, 100);
  const double ms = 1.0 / 86400000.0;
  struct Case {
    const char* name;
    Variant a, b;
    bool equal;
  } cases[] = {
      {"same date-time", Variant::FromDate(when), Variant::FromDate(when), true},
      {"half a millisecond apart", Variant::FromDate(when), Variant::FromDate(when + 0.5 * ms),
       true},
      {"two milliseconds apart", Variant::FromDate(when), Variant::FromDate(when + 2 * ms), false},
      {"time stamps half a millisecond apart", VarSQLTimeStampCreate(when),
       VarSQLTimeStampCreate(when - 0.5 * ms), true},
      {"a number is no date-time", Variant(1.0), Variant(1.0 + 0.5 * ms), false},
      {"equal numbers", Variant(int32_t{5}), Variant(5.0), true},
      {"equal texts", Variant(u"Ана"), Variant(u"Ана"), true},
      {"different texts", Variant(u"Ана"), Variant(u"Ане"), false},
      {"null and null", Variant::Null(), Variant::Null(), true},
      {"null and a value", Variant::Null(), Variant(u""), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(updater->ValuesEqual(c.a, c.b), c.equal);
  }
}

TEST(DAUpdaterLocks, TheSavepointIsNamedAfterTheComponentInThirtyCharactersAtMost) {
  TServicedDataSet dataSet(nullptr);
  TDADataSetUpdater* updater = dataSet.DAUpdater();
  ASSERT_NE(updater, nullptr);
  struct Case {
    const char16_t* name;
    bool cached;
    const char16_t* expected;
  } cases[] = {
      {u"Payments", false, u"LOCK_Payments"},
      {u"Payments", true, u"LOCK_CU_Payments"},
      {u"PaymentListQueryForTheMainWindow", false, u"LOCK_PaymentListQueryForTheMai"},
      {u"PaymentListQueryForTheMainWindow", true, u"LOCK_CU_PaymentListQueryForThe"},
      {u"", false, u"LOCK_"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.name));
    dataSet.SetName(c.name);
    EXPECT_EQ(updater->LockSavepointName(c.cached), c.expected);
  }
}

TEST(DAUpdaterLocks, ALockRereadsTheRecordUnlessTheDatasetWroteItsOwnLockOrRefresh) {
  struct Case {
    const char* name;
    const char16_t* lockSQL;
    const char16_t* refreshSQL;
    bool beforeEdit;
    bool fullRefresh;
    bool canRefresh;
  } cases[] = {
      {"generated statements", u"", u"", false, false, true},
      {"own lock text", u"SELECT * FROM t WHERE id = :id FOR UPDATE", u"", false, false, false},
      {"own refresh text without re-read before edit", u"", u"WHERE id = :id", false, false,
       true},
      {"own refresh text with re-read before edit", u"", u"WHERE id = :id", true, false, false},
      {"full refresh with re-read before edit", u"", u"", true, true, false},
      {"re-read before edit", u"", u"", true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TServicedDataSet dataSet(nullptr);
    dataSet.UpdateSQL(stLock)->SetText(c.lockSQL);
    dataSet.UpdateSQL(stRefresh)->SetText(c.refreshSQL);
    dataSet.SetRefreshOptions(c.beforeEdit ? TRefreshOptions{roBeforeEdit} : TRefreshOptions{});
    dataSet.Options()->FullRefresh = c.fullRefresh;
    EXPECT_EQ(dataSet.DAUpdater()->LockCanRefresh(), c.canRefresh);
  }
}

TEST(DAUpdaterBatch, NothingIsBatchedOutsideTheApplyOfCachedUpdates) {
  TServicedDataSet dataSet(nullptr);
  dataSet.SetCachedUpdates(true);
  dataSet.Options()->UpdateBatchSize = 5;
  TDADataSetUpdater* updater = dataSet.DAUpdater();
  EXPECT_FALSE(updater->BatchAllowed());
  EXPECT_FALSE(updater->BatchFull());
  // An empty batch sends nothing: no connection is needed for it.
  EXPECT_NO_THROW(updater->FlushBatch());
  EXPECT_EQ(updater->BatchCount(), 0);
}

TEST(DAUpdaterLocks, WithoutALockTheEndOfALockChangesNothing) {
  TServicedDataSet dataSet(nullptr);
  dataSet.SetLockMode(lmPessimistic);
  TDADataSetUpdater* updater = dataSet.DAUpdater();
  EXPECT_NO_THROW(updater->UnlockRecord());
  EXPECT_NO_THROW(updater->EndLockAfterChange(true));
  EXPECT_NO_THROW(updater->EndLockAfterChange(false));
  EXPECT_EQ(updater->LockState(), 0);
  EXPECT_FALSE(updater->LockActive());
}

}  // namespace
