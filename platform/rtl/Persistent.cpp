#include "platform/rtl/Persistent.h"

#include "platform/rtl/Format.h"

void TPersistent::Assign(TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  String sourceName = source ? source->ClassName() : String(u"nil");
  throw EConvertError(Format(u"Cannot assign a %s to a %s", {sourceName, ClassName()}));
}
