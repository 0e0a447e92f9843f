// The client-library call table's records against the installed library's own header: the
// table builds the library's bind and time records itself, so their layout must be the
// library's to the byte.
#include <mysql.h>

#include <gtest/gtest.h>

#include <cstddef>

#include "MySql/MySqlApiClient.h"

namespace {

TEST(ClientLibraryRecords, TheBindAndTimeRecordsAreTheLibrarys) {
  EXPECT_EQ(sizeof(TMYSQL_LIBBIND), sizeof(MYSQL_BIND));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, length), offsetof(MYSQL_BIND, length));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, is_null), offsetof(MYSQL_BIND, is_null));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, buffer), offsetof(MYSQL_BIND, buffer));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, error), offsetof(MYSQL_BIND, error));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, buffer_length), offsetof(MYSQL_BIND, buffer_length));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, offset), offsetof(MYSQL_BIND, offset));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, length_value), offsetof(MYSQL_BIND, length_value));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, buffer_type), offsetof(MYSQL_BIND, buffer_type));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, is_unsigned), offsetof(MYSQL_BIND, is_unsigned));
  EXPECT_EQ(offsetof(TMYSQL_LIBBIND, is_null_value), offsetof(MYSQL_BIND, is_null_value));

  EXPECT_EQ(sizeof(TMYSQL_LIBTIME), sizeof(MYSQL_TIME));
  EXPECT_EQ(offsetof(TMYSQL_LIBTIME, second), offsetof(MYSQL_TIME, second));
  EXPECT_EQ(offsetof(TMYSQL_LIBTIME, second_part), offsetof(MYSQL_TIME, second_part));
  EXPECT_EQ(offsetof(TMYSQL_LIBTIME, neg), offsetof(MYSQL_TIME, neg));
  EXPECT_EQ(offsetof(TMYSQL_LIBTIME, time_type), offsetof(MYSQL_TIME, time_type));
}

// The field structure the table reads through its layout of the 4.1 clients.
TEST(ClientLibraryRecords, TheFieldLayoutIsTheLibrarys) {
  const TMySqlFieldLayout layout = MySqlFieldLayout(4, sizeof(void*), sizeof(unsigned long));
  EXPECT_EQ(layout.Name, static_cast<int>(offsetof(MYSQL_FIELD, name)));
  EXPECT_EQ(layout.OrgName, static_cast<int>(offsetof(MYSQL_FIELD, org_name)));
  EXPECT_EQ(layout.Table, static_cast<int>(offsetof(MYSQL_FIELD, table)));
  EXPECT_EQ(layout.OrgTable, static_cast<int>(offsetof(MYSQL_FIELD, org_table)));
  EXPECT_EQ(layout.Length, static_cast<int>(offsetof(MYSQL_FIELD, length)));
  EXPECT_EQ(layout.LengthWidth, static_cast<int>(sizeof(MYSQL_FIELD::length)));
  EXPECT_EQ(layout.Flags, static_cast<int>(offsetof(MYSQL_FIELD, flags)));
  EXPECT_EQ(layout.Decimals, static_cast<int>(offsetof(MYSQL_FIELD, decimals)));
  EXPECT_EQ(layout.CharsetNr, static_cast<int>(offsetof(MYSQL_FIELD, charsetnr)));
  EXPECT_EQ(layout.Type, static_cast<int>(offsetof(MYSQL_FIELD, type)));
}

}  // namespace
