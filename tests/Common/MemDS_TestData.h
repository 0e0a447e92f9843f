// Fixtures of the in-memory dataset's tests: a record store that describes its columns and fills
// its rows when it opens (as a provider's record set does), a service whose updater counts its
// calls and can be told to fail, and a data link that logs what it hears.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Common/MemDS.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/Common/MemData_TestStore.h"

namespace memds_test {

using memdata_test::Column;

// A store whose rows are given as Variants (Null leaves a field null) and loaded at each opening.
class TRowStore : public memdata_test::TestStore {
 public:
  explicit TRowStore(std::vector<Column> columns) : TestStore(std::move(columns)) {}

  std::vector<std::vector<Variant>> Rows;
  int Opens = 0;
  // Records read into buffers (current, next and prior).
  int64_t Reads = 0;

  void GetRecord(uint8_t* recBuf) override {
    ++Reads;
    TestStore::GetRecord(recBuf);
  }
  void GetNextRecord(uint8_t* recBuf) override {
    ++Reads;
    TestStore::GetNextRecord(recBuf);
  }
  void GetPriorRecord(uint8_t* recBuf) override {
    ++Reads;
    TestStore::GetPriorRecord(recBuf);
  }

  void InternalOpen() override {
    ++Opens;
    InitFields();
    if (OnInternalOpen) OnInternalOpen();
    // Rows arrive in the result's order, as a provider fetches them; the dataset sorts them
    // once they are all in.
    ClearSortColumns();
    for (const std::vector<Variant>& row : Rows) {
      std::unique_ptr<uint8_t[]> owner(AllocRecBuf());
      uint8_t* buffer = owner.get();
      InitRecord(buffer);
      if (HasComplexFields()) CreateComplexFields(buffer, true);
      for (size_t i = 0; i < row.size(); ++i) {
        TFieldDesc* desc = Fields()[static_cast<int>(i)];
        if (row[i].IsNull()) continue;
        if (IsBlobFieldType(desc->DataType())) {
          const AnsiString text = row[i].AsAnsiString();
          WriteBlob(desc->FieldNo(), buffer, 0, static_cast<uint32_t>(text.size()), text.data());
        } else {
          PutFieldAsVariant(desc->FieldNo(), buffer, row[i]);
        }
      }
      SetToEnd();
      AddRecord(buffer);
    }
    ParseIndexFieldNames();
    SetToBegin();
  }
};

// The calls an updater received, and the failures it is told to raise.
struct TUpdaterLog {
  std::vector<std::string> Calls;
  // The next call of that name raises EDatabaseError with this text.
  std::string FailOn;
  String FailMessage = u"statement failed";
  bool Batch = false;
  bool BatchFull = false;
};

class TLogUpdater : public TDataSetUpdater {
 public:
  TLogUpdater(TDataSetService* service, TUpdaterLog& log) : TDataSetUpdater(service), FLog(log) {}
  bool PerformAppend() override { return Note("append"); }
  bool PerformDelete() override { return Note("delete"); }
  bool PerformUpdate() override { return Note("update"); }
  bool RecordReverted() override { return Note("reverted"); }
  bool UpdatesApplied() override { return Note("applied"); }
  bool UpdatesCanceled() override { return Note("canceled"); }
  bool BatchAllowed() override { return FLog.Batch; }
  bool BatchFull() override { return FLog.BatchFull; }
  void FlushBatch() override { Note("flush"); }

 private:
  bool Note(const std::string& call) {
    FLog.Calls.push_back(call);
    if (FLog.FailOn == call) {
      FLog.FailOn.clear();
      throw EDatabaseError(FLog.FailMessage);
    }
    return true;
  }
  TUpdaterLog& FLog;
};

// A dataset whose service installs the logging updater.
class TLogDataSet : public TMemDataSet {
 public:
  explicit TLogDataSet(TUpdaterLog& log) : TMemDataSet(nullptr), FLog(log) {}

  class TLogService : public TDataSetService {
   public:
    using TDataSetService::TDataSetService;
    void CreateUpdater() override {
      auto* owner = static_cast<TLogDataSet*>(DataSet());
      ReplaceUpdater(std::make_unique<TLogUpdater>(this, owner->FLog));
    }
  };

  TDataSetServiceClass GetDataSetServiceClass() override {
    return TDataSetServiceClass::Of<TLogService>();
  }

 private:
  TUpdaterLog& FLog;
};

// Installs a fresh store on the dataset and returns it (the dataset owns it).
inline TRowStore* UseStore(TMemDataSet& ds, std::vector<Column> columns,
                           std::vector<std::vector<Variant>> rows = {}) {
  auto store = std::make_unique<TRowStore>(std::move(columns));
  store->Rows = std::move(rows);
  TRowStore* raw = store.get();
  ds.SetData(std::move(store));
  return raw;
}

// A link that logs its notifications, as a control would receive them.
class TLogLink : public TDataLink {
 public:
  std::vector<std::string> Log;

 protected:
  void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { Log.push_back("changed"); }
  void DataSetScrolled(int distance) override {
    Log.push_back("scrolled " + std::to_string(distance));
  }
  void RecordChanged(TField* field) override {
    Log.push_back("record " + (field ? UTF8Encode(field->FieldName()) : std::string("nil")));
  }
  void EditingChanged() override { Log.push_back(Editing() ? "editing" : "browsing"); }
};

// The values of one field over every record, read by walking the dataset.
inline std::vector<String> ColumnTexts(TDataSet& ds, const String& fieldName) {
  std::vector<String> texts;
  ds.First();
  while (!ds.Eof()) {
    texts.push_back(ds.FieldByName(fieldName)->AsString());
    ds.Next();
  }
  return texts;
}

// The message of the exception a call raises ("" when it raises none).
template <class Call>
String MessageOf(Call call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.Message();
  }
  return String();
}

}  // namespace memds_test
