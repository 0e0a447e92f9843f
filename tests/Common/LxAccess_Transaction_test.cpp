#include "Common/LxAccess_Transaction.h"

#include <gtest/gtest.h>

namespace {

TLxConnection* Conn(int n) { return reinterpret_cast<TLxConnection*>(static_cast<intptr_t>(n * 16)); }

TEST(Transaction, AttachAndDetachConnections) {
  TLxTransaction tr;
  EXPECT_TRUE(tr.AttachConnection(Conn(1)));
  EXPECT_TRUE(tr.AttachConnection(Conn(2)));
  EXPECT_FALSE(tr.AttachConnection(Conn(1)));
  EXPECT_EQ(tr.Connections().Count(), 2);
  EXPECT_FALSE(tr.DetachConnection(Conn(3)));
  EXPECT_TRUE(tr.DetachConnection(Conn(1)));
  EXPECT_FALSE(tr.DetachConnection(Conn(1)));
  ASSERT_EQ(tr.Connections().Count(), 1);
  EXPECT_EQ(tr.Connections().GetItem(0), Conn(2));
  EXPECT_THROW(tr.Connections().GetItem(1), Exception);
}

// A provider transaction reduced to its active flag.
struct TFlagTransaction : TLxTransaction {
  void BeginTransaction() override { FActive = true; }
  void Commit() override { FActive = false; }
  void Rollback() override { FActive = false; }
};

TEST(Transaction, AttachToMirrorsTheOtherAndGivesUpOwnershipOfAnActiveOne) {
  TFlagTransaction other;
  TLxTransaction tr;
  tr.AttachTo(&other);
  EXPECT_FALSE(tr.GetActive());
  EXPECT_TRUE(tr.NativeTransaction());

  other.BeginTransaction();
  tr.AttachTo(&other);
  EXPECT_TRUE(tr.GetActive());
  EXPECT_FALSE(tr.NativeTransaction());

  other.Commit();
  tr.AttachTo(&other);
  EXPECT_FALSE(tr.GetActive());
  EXPECT_FALSE(tr.NativeTransaction());  // an inactive one leaves the flag as it was
}

TEST(Transaction, NumberedProperties) {
  TLxTransaction tr;
  EXPECT_TRUE(tr.SetProp(pcIsolationLevel, int32_t(3)));
  EXPECT_TRUE(tr.SetProp(pcTransactionReadOnly, true));
  Variant v;
  EXPECT_TRUE(tr.GetProp(pcIsolationLevel, v));
  EXPECT_EQ(v.VarType(), varSmallint);
  EXPECT_EQ(v.AsInteger(), 3);
  EXPECT_TRUE(tr.GetProp(pcTransactionReadOnly, v));
  EXPECT_EQ(v.VarType(), varBoolean);
  EXPECT_TRUE(v.AsBoolean());
  EXPECT_THROW(tr.SetProp(pcAutoCommit, true), EAssertionFailed);
  EXPECT_THROW(tr.GetProp(pcDatabase, v), EAssertionFailed);
}

TEST(Transaction, WhatTheBaseDoesNotSupport) {
  TLxTransaction tr;
  for (auto op : {&TLxTransaction::CommitRetaining, &TLxTransaction::RollbackRetaining}) {
    try {
      (tr.*op)();
      FAIL();
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"Operation is not supported by the database");
    }
  }
  EXPECT_THROW(tr.Savepoint(u"s"), Exception);
  EXPECT_THROW(tr.ReleaseSavepoint(u"s"), Exception);
  EXPECT_THROW(tr.RollbackToSavepoint(u"s"), Exception);
  EXPECT_THROW(tr.BeginTransaction(), EAssertionFailed);
  EXPECT_THROW(tr.Commit(), EAssertionFailed);
  EXPECT_THROW(tr.Rollback(), EAssertionFailed);
  EXPECT_FALSE(tr.CanRestoreAfterFailover());
}

TEST(Transaction, ActiveChecksAndReset) {
  TFlagTransaction tr;
  try {
    tr.CheckActive();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Can't perform operation on inactive transaction");
  }
  EXPECT_NO_THROW(tr.CheckInactive());
  tr.BeginTransaction();
  EXPECT_NO_THROW(tr.CheckActive());
  try {
    tr.CheckInactive();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Can't perform operation on active transaction");
  }
  tr.ResetActive();
  EXPECT_FALSE(tr.GetInTransaction());
}

}  // namespace
