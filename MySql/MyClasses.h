// The MySQL provider classes.
#pragma once

#include "MySql/MyClasses_Command.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_Error.h"
#include "MySql/MyClasses_Literals.h"
#include "MySql/MyClasses_RecordSet.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyClasses_Transaction.h"
#include "MySql/MyClasses_TypeMap.h"
