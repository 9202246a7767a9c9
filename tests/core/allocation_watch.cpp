#include "allocation_watch.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<size_t> g_largest{0};
std::atomic<size_t> g_total{0};
std::atomic<bool> g_watching{false};

}  // namespace

#ifdef GLINTORA_WRAPPED_ALLOCATOR
namespace {

void Note(size_t size) {
  if (!g_watching.load(std::memory_order_relaxed)) return;
  g_total.fetch_add(size, std::memory_order_relaxed);
  size_t seen = g_largest.load(std::memory_order_relaxed);
  while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
  }
}

}  // namespace

// The linker sends every malloc and calloc of the program's own objects here.
extern "C" void* __real_malloc(size_t size);
extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void* __wrap_malloc(size_t size) {
  Note(size);
  return __real_malloc(size);
}
extern "C" void* __wrap_calloc(size_t count, size_t size) {
  Note(count * size);
  return __real_calloc(count, size);
}
#endif

namespace glintora::testing {

AllocationWatch::AllocationWatch() {
  g_largest = 0;
  g_total = 0;
  g_watching = true;
}
AllocationWatch::~AllocationWatch() { g_watching = false; }
size_t AllocationWatch::Largest() const { return g_largest; }
size_t AllocationWatch::Total() const { return g_total; }

bool AllocationWatch::Available() {
#ifdef GLINTORA_WRAPPED_ALLOCATOR
  return true;
#else
  return false;
#endif
}

}  // namespace glintora::testing
