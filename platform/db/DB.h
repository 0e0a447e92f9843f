// The data-set framework in one include: datasets, fields, field and index definitions,
// parameters, data sources, data links and connections.
#pragma once

#include "platform/db/CustomConnection.h"
#include "platform/db/DBConsts.h"
#include "platform/db/DBTypes.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldDefs.h"
#include "platform/db/Fields.h"
#include "platform/db/FieldsBinary.h"
#include "platform/db/FieldsDateTime.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/db/FieldsObject.h"
#include "platform/db/FieldsText.h"
#include "platform/db/Params.h"
