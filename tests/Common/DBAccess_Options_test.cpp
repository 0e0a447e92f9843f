// Dataset options over a dataset stand-in: which options an open dataset refuses, which numbered
// property each passes to the record set or the command, and that a record set installed later
// receives them all.
#include "Common/DBAccess_Options.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "platform/db/DBConsts.h"
#include "platform/rtl/Exceptions.h"

namespace {

class TFakeDataSet : public IDADataSetOptionsOwner {
 public:
  void CheckInactive() override {
    if (Active) throw EDatabaseError(SDataSetOpen);
  }
  bool PassToRecordSet(TLxPropCode prop, const Variant& value) override {
    if (!HasRecordSet) return false;
    RecordSet[prop] = value.AsString();
    return true;
  }
  bool PassToCommand(TLxPropCode prop, const Variant& value) override {
    if (!HasCommand) return false;
    Command[prop] = value.AsString();
    return true;
  }
  void OptionChanged(TDADataSetOptionEffect effect, bool) override { Effects.push_back(effect); }

  bool Active = false;
  bool HasRecordSet = true;
  bool HasCommand = true;
  std::map<TLxPropCode, String> RecordSet, Command;
  std::vector<TDADataSetOptionEffect> Effects;
};

TEST(DADataSetOptions, OpenDatasetRefusesLayoutOptions) {
  using Setter = std::function<void(TDADataSetOptions&)>;
  struct Case {
    const char* name;
    Setter set;
    bool refused;
  };
  const Case cases[] = {
      {"LongStrings unchanged", [](auto& o) { o.SetLongStrings(true); }, true},
      {"FlatBuffers unchanged", [](auto& o) { o.SetFlatBuffers(false); }, true},
      {"CompressBlobMode", [](auto& o) { o.SetCompressBlobMode(cbClient); }, true},
      {"FieldsOrigin", [](auto& o) { o.SetFieldsOrigin(true); }, true},
      {"DefaultValues", [](auto& o) { o.SetDefaultValues(true); }, true},
      {"LocalMasterDetail", [](auto& o) { o.SetLocalMasterDetail(true); }, true},
      {"DetailedFieldInfo", [](auto& o) { o.SetDetailedFieldInfo(true); }, true},
      {"EnableBCD", [](auto& o) { o.SetEnableBCD(true); }, true},
      {"CompressBlobMode unchanged", [](auto& o) { o.SetCompressBlobMode(cbNone); }, false},
      {"QuoteNames", [](auto& o) { o.SetQuoteNames(true); }, false},
      {"TrimVarChar", [](auto& o) { o.SetTrimVarChar(true); }, false},
      {"StrictUpdate", [](auto& o) { o.StrictUpdate = false; }, false},
  };
  for (const Case& tc : cases) {
    TFakeDataSet dataset;
    TDADataSetOptions options(&dataset);
    dataset.Active = true;
    if (tc.refused) {
      try {
        tc.set(options);
        ADD_FAILURE() << tc.name;
      } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), SDataSetOpen) << tc.name;
      }
    } else {
      EXPECT_NO_THROW(tc.set(options)) << tc.name;
    }
  }
}

TEST(DADataSetOptions, OptionsReachTheProviderObjectsNowAndLater) {
  TFakeDataSet dataset;
  dataset.HasRecordSet = false;
  dataset.HasCommand = false;
  TDADataSetOptions options(&dataset);
  options.SetLongStrings(false);
  options.SetFlatBuffers(true);
  options.SetCompressBlobMode(cbClientServer);
  options.SetFieldsOrigin(true);
  options.SetDefaultValues(true);
  options.SetDetailedFieldInfo(true);
  options.SetQuoteNames(true);
  options.SetEnableBCD(true);
  options.SetEnableFMTBCD(true);
  EXPECT_TRUE(dataset.RecordSet.empty());

  // The dataset installs its record set and command.
  dataset.HasRecordSet = dataset.HasCommand = true;
  options.PassAll();
  const std::map<TLxPropCode, String> recordSet = {
      {pcLongStrings, u"False"}, {pcFlatBuffers, u"True"},     {pcCompressBlobMode, u"3"},
      {pcFieldsOrigin, u"True"}, {pcDefaultValues, u"True"},   {pcFieldsInfoExtra, u"True"}};
  const std::map<TLxPropCode, String> command = {
      {pcQuoteNames, u"True"}, {pcEnableBCD, u"True"}, {pcEnableFMTBCD, u"True"}};
  EXPECT_EQ(dataset.RecordSet, recordSet);
  EXPECT_EQ(dataset.Command, command);

  // With the objects in place a change goes through at once.
  options.SetQuoteNames(false);
  EXPECT_EQ(dataset.Command[pcQuoteNames], u"False");
  options.SetCompressBlobMode(cbServer);
  EXPECT_EQ(dataset.RecordSet[pcCompressBlobMode], u"2");
}

TEST(DADataSetOptions, ChangesTheDatasetActsOn) {
  TFakeDataSet dataset;
  TDADataSetOptions options(&dataset);
  options.SetAutoPrepare(false);  // unchanged: no unprepare
  options.SetRequiredFields(true);
  EXPECT_TRUE(dataset.Effects.empty());
  options.SetAutoPrepare(true);
  options.SetRequiredFields(false);
  options.SetLocalMasterDetail(true);
  EXPECT_EQ(dataset.Effects, (std::vector<TDADataSetOptionEffect>{
                                 oeUnprepare, oeRequiredFields, oeLocalMasterDetail}));

  TFakeDataSet other;
  TDADataSetOptions copy(&other);
  copy.Assign(&options);
  EXPECT_TRUE(copy.AutoPrepare());
  EXPECT_FALSE(copy.RequiredFields());
  EXPECT_TRUE(copy.LocalMasterDetail());
}

}  // namespace
