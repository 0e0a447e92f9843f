// A million records filled, edited, deleted and freed: run under AddressSanitizer and
// LeakSanitizer, so any access out of bounds or anything left allocated fails the program.
#include <gtest/gtest.h>

#include "MemData_TestStore.h"
#include "platform/rtl/DateTime.h"

using namespace memdata_test;

namespace {

TEST(RecordStoreStress, MillionRecordsFillEditDeleteFree) {
  constexpr int32_t Count = 1000000;
  auto store = std::make_unique<TestStore>(std::vector<Column>{{u"id", dtInteger},
                                                               {u"amount", dtFloat},
                                                               {u"title", dtExtWideString, 100},
                                                               {u"added_on", dtDateTime},
                                                               {u"note", dtWideMemo}});
  store->InitFields();
  store->Open();
  const double day = static_cast<double>(DateTimeToTimeStamp(EncodeDate(2024, 1, 1)).Date);
  {
    RecBuf buf(*store);
    for (int32_t id = 1; id <= Count; ++id) {
      if (id > 1) buf.Reset();  // the previous values went to the store
      store->PutField(1, buf, false, &id);
      const double amount = id * 0.25;
      store->PutField(2, buf, false, &amount);
      const std::u16string title = u"Наслов " + std::u16string(1, char16_t(u'0' + id % 10));
      PutWide(*store, 3, buf, title.c_str());
      const double msecs = (day + id % 365) * 86400000.0;
      store->PutField(4, buf, false, &msecs);
      if (id % 4 == 0) store->GetBlob(5, buf)->SetAsWideString(u"белешка");
      store->AppendRecord(buf);
      buf.Handed();
    }
  }
  ASSERT_EQ(store->GetRecordCount(), Count);

  // Edit every 1000th record: a new title and note.
  {
    RecBuf buf(*store, false);
    for (int32_t recNo = 1000; recNo <= Count; recNo += 1000) {
      store->SetRecNo(recNo);
      store->GetRecord(buf);
      store->EditRecord(buf);
      PutWide(*store, 3, buf, u"изменето");
      store->GetBlob(5, buf)->SetAsWideString(u"нова белешка");
      store->PostRecord(buf);
    }
  }
  // Delete every other record of the first and the last 50,000: renumbering stays on the short
  // side of the list.
  {
    RecBuf skip(*store, false);
    store->SetRecNo(1);
    for (int32_t i = 0; i < 25000; ++i) {
      store->DeleteRecord();
      store->GetNextRecord(skip);
    }
    store->SetToEnd();
    store->GetPriorRecord(skip);
    for (int32_t i = 0; i < 25000; ++i) {
      store->GetPriorRecord(skip);
      store->DeleteRecord();
      store->GetPriorRecord(skip);
    }
  }
  EXPECT_EQ(store->GetRecordCount(), Count - 50000);

  // Spot checks after all that.
  RecBuf buf(*store, false);
  store->SetRecNo(store->GetRecordCount());
  store->GetRecord(buf);
  EXPECT_EQ(ReadValue<int32_t>(*store, 1, buf), Count);
  EXPECT_EQ(store->GetBlob(5, buf)->GetAsWideString(), u"нова белешка");
  EXPECT_EQ(ReadWide(*store, 3, buf), u"изменето");
  store->SetRecNo(store->GetRecordCount() - 1);
  store->GetRecord(buf);
  EXPECT_EQ(ReadValue<int32_t>(*store, 1, buf), Count - 2);
  store->SetRecNo(1);
  store->GetRecord(buf);
  EXPECT_EQ(ReadValue<int32_t>(*store, 1, buf), 2);

  store->Close();
  EXPECT_EQ(store->BlockManager().FirstBlock(), nullptr);
}

}  // namespace
