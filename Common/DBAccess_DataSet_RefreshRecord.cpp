// Re-reading the current record from the server: the application's way to see a change that
// another user made to one row without running the whole statement again.
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"

void TCustomDADataSet::RefreshRecord() {
  CheckActive();
  DAUpdater()->RefreshRecord();
  // Storing the row read again may leave the store's cursor on another record of the window (a
  // link reads the records around the active one): the window is rebuilt around the active
  // record, not around wherever the cursor stands.
  CursorPosChanged();
  UpdateCursorPos();
  Resync(TResyncMode());
}
