// The dataset updater without a server: which kind of statement a set of kinds stands for, and
// when a value re-read from the server counts as the value in hand.
#include "Common/DBAccess_Updater.h"

#include <gtest/gtest.h>

#include "Common/DBAccess.h"
#include "Common/DBAccess_DataSet.h"
#include "platform/rtl/DateTime.h"
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

}  // namespace
