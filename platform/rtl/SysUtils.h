// The runtime's everyday toolbox in one include: types, exceptions, Unicode conversions,
// comparisons, settings, number and date conversions, Format, rounding and text helpers.
#pragma once

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/UnicodeText.h"
