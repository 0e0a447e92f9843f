#include "MySql/MyAccess_Updater.h"

#include "Common/DBAccess.h"
#include "Common/DBAccess_DataSet.h"
#include "MySql/MyAccess_Generator.h"
#include "MySql/MyClasses_Command.h"
#include "platform/rtl/Exceptions.h"

std::unique_ptr<TLxCommand> TCustomMyDataSetUpdater::CreateUpdateCommand() {
  TCustomDAConnection* connection = DADataSet()->Connection();
  RTL_ASSERT(connection != nullptr && connection->IConnection() != nullptr,
             u"The dataset is not connected");
  auto command = std::make_unique<TMySQLCommand>();
  command->SetConnection(connection->IConnection());
  command->SetOwnerComponent(DADataSet());
  return command;
}

void TCustomMyDataSetUpdater::SetParamPositions(TLxCommand& command, const String& sql) {
  // Read from the text that goes out, so that every position addresses its "?".
  for (int position : PlaceholderPositions(sql)) command.SetProp(pcParamPosition, position);
}

int TCustomMyDataSetUpdater::RowsAffected(TLxCommand& command) {
  return static_cast<TMySQLCommand&>(command).RowsAffected();
}

bool TCustomMyDataSetUpdater::GetIdentityFieldValue(Variant& value) {
  TCustomDAConnection* connection = DADataSet()->Connection();
  if (connection == nullptr || connection->IConnection() == nullptr) return false;
  Variant id;
  connection->IConnection()->GetProp(pcLastInsertId, id);
  if (id.IsEmpty() || id.IsNull() || id.AsInt64() == 0) return false;
  value = Variant(id.AsInt64());
  return true;
}
