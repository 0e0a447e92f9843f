// What the MySQL dataset service decides from the result's column flags: the key and data fields
// of the updating table and its AUTO_INCREMENT column (the identity field, whose value the
// server generates and the updater writes back after an INSERT).
#pragma once

#include <memory>
#include <vector>

#include "Common/DBAccess_Service.h"

// The descriptors, in the given (field) order, of the updating table's columns (every table's
// with allTables; computed columns too while fields are not made read-only). keyOnly keeps the
// key columns, and only the primary-key ones when there are any; otherwise the writable ones.
TFieldDescArray CollectMyFields(const std::vector<TFieldDesc*>& fieldDescs, bool keyOnly,
                                bool allTables, const TLxTableInfo* updatingTable,
                                bool setFieldsReadOnly);

// The first provider column that is AUTO_INCREMENT and comes from the updating table; none
// without an updating table.
TFieldDesc* MyIdentityField(const std::vector<TFieldDesc*>& fieldDescs,
                            const TLxTableInfo* updatingTable);

// The service of the MySQL dataset components: key and data fields from the column flags, the
// AUTO_INCREMENT column as identity field, and the MySQL generator and updater.
class TCustomMyDataSetService : public TDADataSetService {
 public:
  using TDADataSetService::TDADataSetService;
  void CreateUpdater() override;
  void InitUpdatingInfo() override;
  // Besides the base's answer: a dataset that is neither read-only nor uni-directional takes
  // edits when one of its fields is writable or it has its own INSERT, UPDATE or DELETE text.
  bool CanModify() override;

 protected:
  std::unique_ptr<TDASQLGenerator> CreateGenerator() override;
  TFieldDesc* GetIdentityField() override;
  TFieldDescArray GetKeyFieldDescs(bool allTables) override;
  TFieldDescArray GetDataFieldDescs(bool allTables) override;
  // Only the columns the dataset shows as fields.
  std::vector<TFieldDesc*> DataSetFieldDescs();

 private:
  // A result the server sorted through a temporary table describes its columns without their key
  // and AUTO_INCREMENT flags. Read from the table itself, once per description; whether any
  // flag was restored.
  bool RestoreKeyFlags();
  const void* FKeyFlagsChecked = nullptr;
};

// The class the MySQL query and table components use.
class TMyDataSetService : public TCustomMyDataSetService {
 public:
  using TCustomMyDataSetService::TCustomMyDataSetService;
};
