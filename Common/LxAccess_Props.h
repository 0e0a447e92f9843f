// The numbered properties through which components set options on provider objects and read
// values back. Codes below 1000 mean the same for every provider; codes from 1000 on are MySQL's.
#pragma once

#include <cstdint>

using TLxPropCode = int32_t;

constexpr TLxPropCode pcUsername = 1;
constexpr TLxPropCode pcAutoCommit = 5;
constexpr TLxPropCode pcParamCheck = 11;
constexpr TLxPropCode pcRowsAffected = 13;
constexpr TLxPropCode pcUniDirectional = 20;
constexpr TLxPropCode pcFetchRows = 21;
constexpr TLxPropCode pcFetchAll = 22;
constexpr TLxPropCode pcRecordCount = 23;
constexpr TLxPropCode pcExecuting = 24;
constexpr TLxPropCode pcLongStrings = 25;
constexpr TLxPropCode pcFlatBuffers = 27;
constexpr TLxPropCode pcConvertEOL = 28;
constexpr TLxPropCode pcIndexFieldNames = 29;
constexpr TLxPropCode pcCompressBlobMode = 30;
constexpr TLxPropCode pcDisconnectedMode = 31;
constexpr TLxPropCode pcDisableParamScan = 32;
constexpr TLxPropCode pcQuoteNames = 34;
constexpr TLxPropCode pcIsolationLevel = 35;
constexpr TLxPropCode pcTransactionReadOnly = 37;
constexpr TLxPropCode pcDatabase = 38;
constexpr TLxPropCode pcPort = 39;
constexpr TLxPropCode pcDefaultParamSize = 40;
constexpr TLxPropCode pcEnableBCD = 41;
constexpr TLxPropCode pcEnableFMTBCD = 42;
constexpr TLxPropCode pcCanReadParams = 43;
constexpr TLxPropCode pcReadOnly = 44;
constexpr TLxPropCode pcStoredProc = 45;
constexpr TLxPropCode pcIsSelectParams = 46;
constexpr TLxPropCode pcFetchAllFixed = 47;
constexpr TLxPropCode pcDefaultSortType = 48;
constexpr TLxPropCode pcLastInsertId = 49;
constexpr TLxPropCode pcFieldsInfoExtra = 51;
constexpr TLxPropCode pcDefaultValues = 52;
constexpr TLxPropCode pcFieldsOrigin = 53;
constexpr TLxPropCode pcDescribeParams = 54;
constexpr TLxPropCode pcRefreshAfterUpdate = 55;
constexpr TLxPropCode pcCheckRowVersion = 101;
constexpr TLxPropCode pcLockType = 102;
constexpr TLxPropCode pcAutoIncReadOnly = 103;

constexpr TLxPropCode pcConnectionTimeout = 1001;
constexpr TLxPropCode pcFieldsAsString = 1005;
constexpr TLxPropCode pcNullForZeroDate = 1006;
constexpr TLxPropCode pcCompress = 1007;
constexpr TLxPropCode pcCharset = 1009;
constexpr TLxPropCode pcProtocol = 1011;
constexpr TLxPropCode pcEnableBoolean = 1014;
constexpr TLxPropCode pcCreateConnection = 1015;
constexpr TLxPropCode pcCommandTimeout = 1016;
constexpr TLxPropCode pcOpenNext = 1017;
constexpr TLxPropCode pcUseUnicode = 1018;
constexpr TLxPropCode pcEmbParams = 1019;
constexpr TLxPropCode pcSSLCipherList = 1020;
constexpr TLxPropCode pcSSLCACert = 1021;
constexpr TLxPropCode pcSSLKey = 1022;
constexpr TLxPropCode pcSSLCert = 1023;
constexpr TLxPropCode pcMoreResults = 1025;
constexpr TLxPropCode pcParamPosition = 1027;
constexpr TLxPropCode pcFillParamPositions = 1028;
constexpr TLxPropCode pcUseHandler = 1029;
constexpr TLxPropCode pcEmbedded = 1030;
constexpr TLxPropCode pcDirect = 1031;
constexpr TLxPropCode pcOptimizedBigInt = 1033;
constexpr TLxPropCode pcBinaryAsString = 1034;
constexpr TLxPropCode pcCheckBackslashes = 1035;
constexpr TLxPropCode pcNullForDayZero = 1041;
