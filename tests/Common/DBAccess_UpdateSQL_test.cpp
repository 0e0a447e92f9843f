// The update object without a server: which components its slots accept and the two messages
// of a refusal, the dataset that uses it (taken from another dataset, cleared when either of the
// two goes), referenced components leaving their slots when they are freed, and assignment.
#include "Common/DBAccess_UpdateSQL.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_DataSource.h"
#include "Common/DBAccess_SQL.h"
#include "Common/DBAccess_Updater.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"

namespace {

const char16_t OnlyMessage[] =
    u"Only TCustomDADataSet and TCustomDASQL objects are allowed in update properties";
const char16_t CircularMessage[] =
    u"Circular references are not allowed between TCustomDADataset and TCustomDAUpdateSQL "
    u"objects";

// A dataset with the neutral service, which the updater needs.
class TServicedDataSet : public TCustomDADataSet {
 public:
  using TCustomDADataSet::TCustomDADataSet;
  TDataSetServiceClass GetDataSetServiceClass() override {
    return TDataSetServiceClass::Of<TDADataSetService>();
  }
  bool ServiceCanModify() {
    DAUpdater();  // makes the service
    return dynamic_cast<TDADataSetService*>(DataSetService())->CanModify();
  }
};

// The message the call fails with; empty when it does not fail.
String FailureOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.Message();
  }
  return String();
}

TEST(DAUpdateSQLSlots, AcceptDatasetsCommandsAndNoneAndRefuseOtherComponents) {
  TCustomDAUpdateSQL updateSQL(nullptr);
  TCustomDADataSet dataSet(nullptr);
  TCustomDASQL command(nullptr);
  TLxDataSource dataSource(nullptr);
  TComponent plain(nullptr);

  updateSQL.SetInsertObject(&dataSet);
  EXPECT_EQ(updateSQL.InsertObject(), &dataSet);
  updateSQL.SetModifyObject(&command);
  EXPECT_EQ(updateSQL.ModifyObject(), &command);

  struct Refused {
    const char* name;
    TComponent* component;
  } refused[] = {{"data source", &dataSource}, {"plain component", &plain}};
  for (const Refused& c : refused) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FailureOf([&] { updateSQL.SetInsertObject(c.component); }), OnlyMessage);
    EXPECT_EQ(updateSQL.InsertObject(), &dataSet);  // the slot keeps what it had
  }
  updateSQL.SetInsertObject(nullptr);
  EXPECT_EQ(updateSQL.InsertObject(), nullptr);
}

TEST(DAUpdateSQLSlots, TextsExistForTheFiveKindsAndGetSQLMapsUpdateKinds) {
  TCustomDAUpdateSQL updateSQL(nullptr);
  for (TStatementType type :
       {stQuery, stCustom, stRefreshQuick, stRefreshCheckDeleted, stBatchUpdate})
    EXPECT_EQ(updateSQL.SQL(type), nullptr) << int(type);
  EXPECT_EQ(updateSQL.GetSQL(ukModify), updateSQL.ModifySQL());
  EXPECT_EQ(updateSQL.GetSQL(ukInsert), updateSQL.InsertSQL());
  EXPECT_EQ(updateSQL.GetSQL(ukDelete), updateSQL.DeleteSQL());

  TStringList lines;
  lines.SetText(u"UPDATE t SET a = :a\r\nWHERE id = :OLD_id");
  updateSQL.SetModifySQL(&lines);
  lines.Clear();  // the slot holds a copy
  EXPECT_EQ(updateSQL.ModifySQL()->Count(), 2);
  EXPECT_EQ(updateSQL.ModifySQL()->Strings(1), u"WHERE id = :OLD_id");
}

TEST(DAUpdateSQLDataSet, CircularReferencesFailBothWaysAndChangeNothing) {
  TCustomDAUpdateSQL updateSQL(nullptr);
  TCustomDADataSet dataSet(nullptr);
  TCustomDADataSet other(nullptr);
  dataSet.SetUpdateObject(&updateSQL);
  updateSQL.SetModifyObject(&other);

  EXPECT_EQ(FailureOf([&] { updateSQL.SetModifyObject(&dataSet); }), CircularMessage);
  EXPECT_EQ(updateSQL.ModifyObject(), &other);

  // An object that already runs statements on the dataset cannot become its update object.
  TCustomDAUpdateSQL second(nullptr);
  second.SetRefreshObject(&dataSet);
  EXPECT_EQ(FailureOf([&] { dataSet.SetUpdateObject(&second); }), CircularMessage);
  EXPECT_EQ(dataSet.UpdateObject(), &updateSQL);
  EXPECT_EQ(second.DataSet(), nullptr);
}

TEST(DAUpdateSQLDataSet, ObjectServesOneDatasetAtATime) {
  TCustomDAUpdateSQL updateSQL(nullptr);
  TCustomDAUpdateSQL replacement(nullptr);
  TCustomDADataSet first(nullptr);
  TCustomDADataSet second(nullptr);

  first.SetUpdateObject(&updateSQL);
  EXPECT_EQ(updateSQL.DataSet(), &first);
  second.SetUpdateObject(&updateSQL);
  EXPECT_EQ(first.UpdateObject(), nullptr);
  EXPECT_EQ(second.UpdateObject(), &updateSQL);
  EXPECT_EQ(updateSQL.DataSet(), &second);

  second.SetUpdateObject(&replacement);
  EXPECT_EQ(updateSQL.DataSet(), nullptr);
  EXPECT_EQ(replacement.DataSet(), &second);
}

TEST(DAUpdateSQLDataSet, EitherSideGoingClearsTheOthersLink) {
  TCustomDADataSet dataSet(nullptr);
  auto updateSQL = std::make_unique<TCustomDAUpdateSQL>(nullptr);
  dataSet.SetUpdateObject(updateSQL.get());
  updateSQL.reset();
  EXPECT_EQ(dataSet.UpdateObject(), nullptr);

  TCustomDAUpdateSQL kept(nullptr);
  auto owner = std::make_unique<TCustomDADataSet>(nullptr);
  owner->SetUpdateObject(&kept);
  owner.reset();
  EXPECT_EQ(kept.DataSet(), nullptr);
  // Still usable by another dataset afterwards.
  TCustomDADataSet next(nullptr);
  next.SetUpdateObject(&kept);
  EXPECT_EQ(kept.DataSet(), &next);
}

TEST(DAUpdateSQLSlots, FreedComponentLeavesEverySlotThatHeldIt) {
  TCustomDAUpdateSQL updateSQL(nullptr);
  auto command = std::make_unique<TCustomDASQL>(nullptr);
  auto refresher = std::make_unique<TCustomDADataSet>(nullptr);
  updateSQL.SetInsertObject(command.get());
  updateSQL.SetModifyObject(command.get());
  updateSQL.SetDeleteObject(command.get());
  updateSQL.SetRefreshObject(refresher.get());

  // Leaving one slot must not end the notice the other slots rely on.
  updateSQL.SetDeleteObject(nullptr);
  command.reset();
  EXPECT_EQ(updateSQL.InsertObject(), nullptr);
  EXPECT_EQ(updateSQL.ModifyObject(), nullptr);
  EXPECT_EQ(updateSQL.RefreshObject(), refresher.get());

  refresher.reset();
  EXPECT_EQ(updateSQL.RefreshObject(), nullptr);
}

TEST(DAUpdateSQLAssign, CopiesAllButTheLockTextAndComponent) {
  TCustomDAUpdateSQL source(nullptr);
  TCustomDADataSet dataSet(nullptr);
  TCustomDADataSet refresher(nullptr);
  TCustomDASQL locker(nullptr);
  TCustomDASQL modifier(nullptr);
  dataSet.SetUpdateObject(&source);
  TStringList text;
  struct Slot {
    TStatementType type;
    const char16_t* sql;
  } slots[] = {{stInsert, u"INSERT 1"},
               {stUpdate, u"UPDATE 2"},
               {stDelete, u"DELETE 3"},
               {stLock, u"LOCK 4"},
               {stRefresh, u"SELECT 5"}};
  for (const Slot& s : slots) {
    text.SetText(s.sql);
    source.SetSQL(s.type, &text);
  }
  source.SetRefreshObject(&refresher);
  source.SetLockObject(&locker);
  source.SetModifyObject(&modifier);

  TCustomDAUpdateSQL target(nullptr);
  target.Assign(&source);
  for (const Slot& s : slots) {
    SCOPED_TRACE(int(s.type));
    String expected = s.type == stLock ? String() : String(s.sql);
    EXPECT_EQ(Trim(target.SQL(s.type)->Text()), expected);
  }
  EXPECT_EQ(target.RefreshObject(), &refresher);
  EXPECT_EQ(target.ModifyObject(), &modifier);
  EXPECT_EQ(target.LockObject(), nullptr);
  EXPECT_EQ(target.DataSet(), &dataSet);

  TStringList notAnUpdateObject;
  EXPECT_THROW(notAnUpdateObject.Assign(&source), EConvertError);
}

TEST(DAUpdateSQLDataSet, UpdateObjectMakesAStoreWithoutLocalUpdatesModifiable) {
  TServicedDataSet dataSet(nullptr);
  TCustomDAUpdateSQL updateSQL(nullptr);
  EXPECT_FALSE(dataSet.ServiceCanModify());
  dataSet.SetUpdateObject(&updateSQL);
  EXPECT_TRUE(dataSet.ServiceCanModify());
  // Read-only still wins.
  dataSet.SetReadOnly(true);
  EXPECT_FALSE(dataSet.ServiceCanModify());
}

}  // namespace
