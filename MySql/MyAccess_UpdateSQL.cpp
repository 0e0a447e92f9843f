#include "MySql/MyAccess_UpdateSQL.h"

#include "MySql/MyAccess_Command.h"
#include "MySql/MyAccess_DataSet.h"

TDAComponentClass TMyUpdateSQL::DataSetClass() const {
  return TDAComponentClass::Of<TCustomMyDataSet>(u"TCustomMyDataSet");
}

TDAComponentClass TMyUpdateSQL::SQLClass() const {
  return TDAComponentClass::Of<TMyCommand>(u"TMyCommand");
}
