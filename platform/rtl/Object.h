// The root of the class hierarchy: a virtual destructor, the run-time class name and class tests.
#pragma once

#include <functional>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  // Objects have identity: owners, lists and notifications hold pointers to them.
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  // The name of the object's dynamic class, without namespaces ("TStringList").
  String ClassName() const;
  // Whether ClassName() is the name, ignoring ASCII case as the toolchain does.
  bool ClassNameIs(const String& name) const;
  // Whether the object is a T or a descendant of T.
  template <class T>
  bool InheritsFrom() const {
    return dynamic_cast<const T*>(this) != nullptr;
  }

  // Called by Free() before the destructors run, while the whole object still stands: the place
  // for work that needs the descendants' virtual methods (a component marks itself destroying).
  virtual void BeforeDestruction() {}
  // Destroys the object after BeforeDestruction(); the toolchain's way to free an object.
  void Free() {
    BeforeDestruction();
    delete this;
  }
};

// Frees the object (when there is one) and clears the pointer.
template <class T>
void FreeAndNil(T*& object) {
  T* doomed = object;
  object = nullptr;
  if (doomed) doomed->Free();
}

// A deleter so that std::unique_ptr frees a TObject the toolchain's way.
struct TObjectFree {
  void operator()(TObject* object) const {
    if (object) object->Free();
  }
};

// The checked class cast: nullptr stays nullptr; an object of another class raises EInvalidCast
// "Invalid class typecast".
[[noreturn]] void RaiseInvalidCast();
template <class T>
T* As(TObject* object) {
  if (!object) return nullptr;
  T* result = dynamic_cast<T*>(object);
  if (!result) RaiseInvalidCast();
  return result;
}

// An event handler with only the sender.
using TNotifyEvent = std::function<void(TObject* sender)>;
