// The MySQL provider classes.
#pragma once

#include "MySql/MyClasses_SQLInfo.h"
