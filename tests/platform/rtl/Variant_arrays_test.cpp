#include <gtest/gtest.h>

#include "platform/rtl/Variant.h"
#include "tests/platform/rtl/VariantTestSupport.h"

namespace {

using variant_test::Describe;
using variant_test::ValueText;

TEST(VariantArrays, CreateWithBoundsAndZeroElements) {
  struct Case {
    uint16_t elementType;
    const char* zero;
  } cases[] = {
      {varInteger, "Integer 0"},     {varByte, "Byte 0"},          {varDouble, "Double 0"},
      {varCurrency, "Currency 0"},   {varBoolean, "Boolean False"}, {varUString, "UnicodeString "},
      {varOleStr, "OleStr "},        {varVariant, "Empty Empty"},   {varDate, "Date 0"},
      {varInt64, "Int64 0"},         {varString, "String "},
  };
  for (const auto& c : cases) {
    Variant v = VarArrayCreate({-2, 3}, c.elementType);
    EXPECT_EQ(v.VarType(), varArray | c.elementType) << c.zero;
    EXPECT_EQ(VarArrayDimCount(v), 1);
    EXPECT_EQ(VarArrayLowBound(v, 1), -2);
    EXPECT_EQ(VarArrayHighBound(v, 1), 3);
    for (int i = -2; i <= 3; ++i) EXPECT_EQ(Describe(v.GetElement({i})), c.zero) << i;
  }
}

TEST(VariantArrays, TwoDimensionsAddressEveryElement) {
  Variant grid = VarArrayCreate({1, 3, 0, 1}, varInteger);
  EXPECT_EQ(grid.DimCount(), 2);
  EXPECT_EQ(grid.LowBound(2), 0);
  EXPECT_EQ(grid.HighBound(2), 1);
  for (int i = 1; i <= 3; ++i)
    for (int j = 0; j <= 1; ++j) VarArrayPut(grid, Variant(i * 10 + j), {i, j});
  for (int i = 1; i <= 3; ++i)
    for (int j = 0; j <= 1; ++j) EXPECT_EQ(VarArrayGet(grid, {i, j}).AsInteger(), i * 10 + j);
}

TEST(VariantArrays, PutConvertsToTheElementType) {
  Variant numbers = VarArrayCreate({0, 2}, varInteger);
  numbers.PutElement({0}, Variant(u"42"));
  numbers.PutElement({1}, Variant(2.5));
  numbers.PutElement({2}, Variant(true));
  EXPECT_EQ(ValueText(numbers), "[42,2,-1]");
  EXPECT_EQ(numbers[0].VarType(), varInteger);

  Variant bytes(TBytes{1, 2, 3});
  bytes.PutElement({1}, Variant(200));
  EXPECT_EQ(bytes.AsBytes(), (TBytes{1, 200, 3}));
  // A failed conversion leaves the element as it was.
  EXPECT_THROW(bytes.PutElement({1}, Variant(256)), EVariantOverflowError);
  EXPECT_THROW(bytes.PutElement({1}, Variant(u"abc")), EVariantTypeCastError);
  EXPECT_THROW(bytes.PutElement({1}, Variant::Null()), EVariantTypeCastError);
  EXPECT_EQ(bytes.AsBytes(), (TBytes{1, 200, 3}));

  Variant mixed = VarArrayCreate({0, 1}, varVariant);
  mixed.PutElement({0}, Variant::Null());
  mixed.PutElement({1}, VarArrayOf({u"inner", 2}));
  EXPECT_TRUE(mixed[0].IsNull());
  EXPECT_EQ(ValueText(mixed[1]), "[inner,2]");
}

TEST(VariantArrays, VarArrayOfKeepsEachValue) {
  Variant v = VarArrayOf({1, u"два", 3.5, Variant::Null(), Variant()});
  EXPECT_EQ(v.VarType(), varArray | varVariant);
  EXPECT_EQ(v.LowBound(1), 0);
  EXPECT_EQ(v.HighBound(1), 4);
  EXPECT_EQ(Describe(v[0]), "Integer 1");
  EXPECT_EQ(Describe(v[1]), "UnicodeString два");
  EXPECT_EQ(Describe(v[2]), "Double 3.5");
  EXPECT_TRUE(v[3].IsNull());
  EXPECT_TRUE(v[4].IsEmpty());
  Variant none = VarArrayOf({});
  EXPECT_EQ(none.HighBound(1), -1);
  EXPECT_THROW(none[0], EVariantBadIndexError);
}

TEST(VariantArrays, CopiesDoNotShareChanges) {
  Variant a = VarArrayOf({1, 2});
  Variant b = a;
  b.PutElement({0}, Variant(9));
  EXPECT_EQ(ValueText(a), "[1,2]");
  EXPECT_EQ(ValueText(b), "[9,2]");
  Variant bytes(TBytes{5});
  Variant copy = bytes;
  bytes.PutElement({0}, Variant(6));
  EXPECT_EQ(copy.AsBytes(), TBytes{5});
  EXPECT_EQ(bytes.AsBytes(), TBytes{6});
}

TEST(VariantArrays, BadIndexesAndBadArrays) {
  Variant v = VarArrayCreate({1, 2, 1, 2}, varInteger);
  struct IndexCase {
    const char* name;
    std::initializer_list<int> indices;
  };
  const IndexCase bad[] = {{"below", {0, 1}}, {"above", {1, 3}}, {"too few", {1}},
                           {"too many", {1, 1, 1}}};
  for (const auto& c : bad) {
    try {
      v.GetElement(c.indices);
      ADD_FAILURE() << c.name;
    } catch (const EVariantBadIndexError& e) {
      EXPECT_EQ(e.Message(), u"Variant or safe array index out of bounds") << c.name;
    }
    EXPECT_THROW(v.PutElement(c.indices, Variant(1)), EVariantBadIndexError) << c.name;
  }
  EXPECT_THROW(v.LowBound(0), EVariantBadIndexError);
  EXPECT_THROW(v.HighBound(3), EVariantBadIndexError);

  Variant scalar(5);
  EXPECT_EQ(VarArrayDimCount(scalar), 0);
  try {
    scalar.GetElement({0});
    FAIL() << "no exception";
  } catch (const EVariantNotAnArrayError& e) {
    EXPECT_EQ(e.Message(), u"Variant is not an array");
  }
  EXPECT_THROW(VarArrayLowBound(scalar, 1), EVariantNotAnArrayError);
  EXPECT_THROW(VarArrayPut(scalar, Variant(1), {0}), EVariantNotAnArrayError);
  EXPECT_EQ(scalar.AsInteger(), 5);

  struct CreateCase {
    const char* name;
    std::initializer_list<int> bounds;
    uint16_t type;
  };
  const CreateCase badCreate[] = {
      {"no bounds", {}, varInteger},         {"odd bounds", {0, 1, 2}, varInteger},
      {"high below low - 1", {5, 3}, varInteger}, {"Empty elements", {0, 1}, varEmpty},
      {"Null elements", {0, 1}, varNull},    {"array elements", {0, 1}, varArray | varByte},
      {"decimal elements", {0, 1}, varFMTBcd}, {"too large", {0, 1 << 30}, varVariant},
  };
  for (const auto& c : badCreate) {
    try {
      VarArrayCreate(c.bounds, c.type);
      ADD_FAILURE() << c.name;
    } catch (const EVariantArrayCreateError& e) {
      EXPECT_EQ(e.Message(), u"Error creating variant or safe array") << c.name;
    }
  }
  EXPECT_EQ(VarArrayCreate({5, 4}, varInteger).HighBound(1), 4) << "an empty dimension is allowed";
}

}  // namespace
