#pragma once
// Watches the sizes of the C allocations made while a watch lives, and can refuse them to
// show how code copes without memory. The native core test program is linked with the
// allocator's calls wrapped (see tests/CMakeLists.txt); where they are not, the watch is not
// available.

#include <cstddef>

namespace glintora::testing {

class AllocationWatch {
 public:
  AllocationWatch();
  ~AllocationWatch();
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;

  // The largest single request since the watch began.
  size_t Largest() const;
  // All requests since the watch began, added up (frees not taken off).
  size_t Total() const;
  // The number of requests since the watch began.
  size_t Count() const;
  // Grants the next `granted` requests and refuses every later one while the watch lives.
  void RefuseAfter(size_t granted);
  static bool Available();
};

}  // namespace glintora::testing
