// The words of the status combo boxes and the values they store.
#pragma once

#include <vector>

#include "app/FormPattern.h"

// Events, news and tasks: each status is stored as its own word.
inline const std::vector<TValueChoice> RecordStatuses{
    {u"Active", u"Active"}, {u"Finished", u"Finished"}, {u"Cancelled", u"Cancelled"}};
