#include "MySql/MyAccess_Utils.h"

#include "Common/DBAccess_AccessUtils.h"
#include "MySql/MyAccess_Command.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses_Command.h"
#include "platform/rtl/Exceptions.h"

TMySQLCommand* TMyAccessUtils::GetMySQLCommand(TComponent* component) {
  if (auto* dataSet = dynamic_cast<TCustomMyDataSet*>(component)) {
    TLxRecordSet* recordSet = TDBAccessUtils::GetIRecordSet(dataSet);
    return recordSet ? dynamic_cast<TMySQLCommand*>(recordSet->GetCommand()) : nullptr;
  }
  auto* command = dynamic_cast<TMyCommand*>(component);
  RTL_ASSERT(command != nullptr,
             u"Obj is " + (component ? component->ClassName() : String(u"nil")));
  return command->MyICommand();
}
