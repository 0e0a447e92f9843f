// A table with a column of every type the server has, and rows that reach each type's limits,
// NULLs, zero dates, empty values, Cyrillic and four-byte characters.
#pragma once

inline const char* const kCreate =
    "CREATE TABLE rs_all_types (id INT NOT NULL PRIMARY KEY, ti TINYINT, tb TINYINT(1), "
    "tu TINYINT UNSIGNED, tbu TINYINT(1) UNSIGNED, si SMALLINT, su SMALLINT UNSIGNED, "
    "mi MEDIUMINT, mu MEDIUMINT UNSIGNED, i INT, iu INT UNSIGNED, bi BIGINT, bu BIGINT UNSIGNED, "
    "dec1 DECIMAL(10,2), fl FLOAT, db DOUBLE, b1 BIT(1), b8 BIT(8), b64 BIT(64), d DATE, "
    "dt DATETIME, dt6 DATETIME(6), ts TIMESTAMP NULL, ts3 TIMESTAMP(3) NULL, tm TIME, y YEAR, "
    "c CHAR(10), vc VARCHAR(50), bin BINARY(4), vb VARBINARY(8), tt TINYTEXT, tx TEXT, "
    "mt MEDIUMTEXT, bl BLOB, lb LONGBLOB, en ENUM('a','\xD0\xB1','c'), "
    "st SET('x','y','\xD0\xB7')) CHARSET utf8mb4";

inline const char* const kRows[] = {
    "(1, 5, 1, 200, 1, -300, 60000, -8000000, 16000000, -2000000000, 4000000000, "
    "-9007199254740993, 18000000000000000000, 12345678.91, 1.5, 3.14159265358979, b'1', "
    "b'00000101', b'0000000100000000000000000000000000000000000000000000000000000000', "
    "'2024-02-29', '2007-01-02 03:04:05', '1950-06-15 23:59:58.123456', '2038-01-19 03:14:07', "
    "'2001-09-09 01:46:40.5', '100:00:00', 2024, 'Жук', "
    "'\xD0\x9C\xD0\xB0\xD1\x80\xD0\xB8\xD1\x98\xD0\xB0 \xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB0', "
    "x'00FF10AB', x'000102', 'кратко', 'долг текст', REPEAT('ш', 3000), x'DEADBEEF00', "
    "REPEAT(x'00FF', 70000), '\xD0\xB1', 'x,\xD0\xB7')",
    "(2, -128, -1, 255, 0, -32768, 65535, -8388608, 16777215, -2147483648, 4294967295, "
    "-9223372036854775808, 18446744073709551615, -99999999.99, -3.40282e38, -1.7976931348623157e308, "
    "b'0', b'11111111', b'1111111111111111111111111111111111111111111111111111111111111111', "
    "'0000-00-00', '0000-00-00 00:00:00', '9999-12-31 23:59:59.999999', '1970-01-01 00:00:01', "
    "NULL, '-838:59:59', 1901, '', '', x'00000000', x'', '', '', '', x'', x'', 'a', '')",
    "(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
    "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
    "NULL, NULL, NULL, NULL, NULL, NULL)",
    "(4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, b'0', b'0', b'0', '1000-01-01', "
    "'1899-12-30 00:00:00', '1899-12-29 12:00:00', '2000-01-01 00:00:00', '2000-01-01 00:00:00', "
    "'00:00:00', 0, 'a  ', ' b ', x'41', x'7F', ' ', ' ', 'x', x'00', x'00', 'c', 'x,y')",
    "(5, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 0.01, 1e-10, 2.2250738585072014e-308, b'1', "
    "b'10000000', b'1', '2000-02-30', '2024-13-01 00:00:00', '0000-01-01 10:00:00', NULL, NULL, "
    "'-00:00:01', 1999, REPEAT('\xF0\x9F\x98\x80', 10), "
    "CONCAT(REPEAT('\xF0\x9F\x8E\x81', 40), ' mixed Ёё Ђђ'), x'FF', x'FFFF', 'т', 'т', 'т', x'FF', x'FF', "
    "'\xD0\xB1', 'y')",
};
