// A dynamic_cast for paths that run per record or per post. The library's cast searches the
// class tree and compares type names as text, a few hundred instructions each time. Here the
// answer for the last few classes met is remembered: a class seen once converts (by a static
// cast, which is what the search finds) or fails again after a comparison of type addresses.
// A class not among them, or the same class described twice by two loaded modules, takes the
// full cast. Meant for class trees of single inheritance, where a class's answer is the same
// for every object of it.
#pragma once

#include <type_traits>
#include <typeinfo>

template <typename To, typename From>
To* HotCast(From* object) {
  static_assert(std::is_base_of_v<From, To>, "HotCast only casts down a class tree");
  if (object == nullptr) return nullptr;
  struct Answer {
    const std::type_info* Type = nullptr;
    bool Converts = false;
  };
  constexpr unsigned kRemembered = 8;
  // Per pair of classes and per thread: no lock is needed.
  static thread_local Answer answers[kRemembered];
  static thread_local unsigned next = 0;
  const std::type_info* type = &typeid(*object);
  for (const Answer& answer : answers)
    if (answer.Type == type) return answer.Converts ? static_cast<To*>(object) : nullptr;
  To* result = dynamic_cast<To*>(object);
  answers[next++ % kRemembered] = {type, result != nullptr};
  return result;
}
