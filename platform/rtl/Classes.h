// The runtime's class library in one include: objects, components, lists, string lists, streams,
// collections, synchronisation, threads and the tick count.
#pragma once

#include "platform/rtl/Collection.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/List.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SyncObjs.h"
#include "platform/rtl/Threads.h"
#include "platform/rtl/TickCount.h"
