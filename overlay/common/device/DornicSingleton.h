// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A process-wide instance registered by the object itself: the constructor of T makes itself
// the instance, its destructor clears it. No creation on demand.
//
// Thread: instance() may be read from any thread while the object lives.

#include <atomic>

namespace Dornic {

template <typename T>
class Singleton {
 public:
  // The cast is made on reading, once T is whole; T's own constructor has not run yet when
  // ours registers the object.
  static T* instance() { return static_cast<T*>(s_instance.load(std::memory_order_acquire)); }

 protected:
  Singleton() { s_instance.store(this, std::memory_order_release); }
  ~Singleton() { s_instance.store(nullptr, std::memory_order_release); }
  Singleton(const Singleton&) = delete;
  Singleton& operator=(const Singleton&) = delete;

 private:
  static inline std::atomic<Singleton*> s_instance{nullptr};
};

}  // namespace Dornic
