// Re-reading the current record from the server: the application's way to see a change that
// another user made to one row without running the whole statement again.
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"

void TCustomDADataSet::RefreshRecord() {
  CheckActive();
  DAUpdater()->RefreshRecord();
  Resync(TResyncMode());
}
