// The dataset component's record lock and quick refresh, both carried out by its updater.
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"

void TCustomDADataSet::Lock() {
  CheckActive();
  DAUpdater()->LockRecord();
}

void TCustomDADataSet::RefreshQuick(bool checkDeleted) {
  CheckActive();
  DoBeforeRefresh();
  DAUpdater()->RefreshQuick(checkDeleted);
}
