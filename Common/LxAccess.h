// The provider seam of the data-access library: what every provider implements or uses.
#pragma once

#include "Common/LxAccess_Command.h"
#include "Common/LxAccess_Connection.h"
#include "Common/LxAccess_Props.h"
#include "Common/LxAccess_SQLInfo.h"
#include "Common/LxAccess_Transaction.h"
#include "Common/LxAccess_RecordSet.h"
