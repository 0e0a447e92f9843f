// The provider seam of the data-access library: what every provider implements or uses.
#pragma once

#include "Common/LxAccess_SQLInfo.h"
