#include "MySql/MyAccess_Transaction.h"

#include "MySql/MyClasses_Transaction.h"

TLxTransactionKind TMyTransaction::GetITransactionClass() {
  return TLxTransactionKind::Of<TMySQLTransaction>();
}
