// Objects that can copy their state from one another with Assign.
#pragma once

#include "platform/rtl/Object.h"

class TPersistent : public TObject {
 public:
  // Copies the source's state into this object. The base asks the source to do it (AssignTo), so
  // either side may know how; when neither does, raises EConvertError
  // "Cannot assign a <source class> to a <this class>" ("nil" for no source).
  virtual void Assign(TPersistent* source);

 protected:
  // Copies this object's state into the destination; the base raises the assignment error.
  virtual void AssignTo(TPersistent* dest);
  // The object that owns this one for naming and streaming (a collection's owner, an item's
  // collection); none in the base.
  virtual TPersistent* GetOwner() { return nullptr; }
  [[noreturn]] void AssignError(TPersistent* source);
};
