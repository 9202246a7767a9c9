#include "allocation_watch.h"

#include <atomic>
#include <cstdlib>
#include <limits>

namespace {

std::atomic<size_t> g_largest{0};
std::atomic<size_t> g_total{0};
std::atomic<size_t> g_count{0};
std::atomic<size_t> g_refusedFrom{std::numeric_limits<size_t>::max()};  // the first request refused
std::atomic<bool> g_watching{false};

}  // namespace

#ifdef GLINTORA_WRAPPED_ALLOCATOR
namespace {

// Notes a request; false when the watch refuses it.
bool Grant(size_t size) {
  if (!g_watching.load(std::memory_order_relaxed)) return true;
  if (g_count.fetch_add(1) + 1 >= g_refusedFrom.load()) return false;
  g_total.fetch_add(size, std::memory_order_relaxed);
  size_t seen = g_largest.load(std::memory_order_relaxed);
  while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
  }
  return true;
}

}  // namespace

// The linker sends every malloc and calloc of the program's own objects here.
extern "C" void* __real_malloc(size_t size);
extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void* __wrap_malloc(size_t size) { return Grant(size) ? __real_malloc(size) : nullptr; }
extern "C" void* __wrap_calloc(size_t count, size_t size) {
  return Grant(count * size) ? __real_calloc(count, size) : nullptr;
}
#endif

namespace glintora::testing {

AllocationWatch::AllocationWatch() {
  g_largest = 0;
  g_total = 0;
  g_count = 0;
  g_refusedFrom = std::numeric_limits<size_t>::max();
  g_watching = true;
}
AllocationWatch::~AllocationWatch() {
  g_watching = false;
  g_refusedFrom = std::numeric_limits<size_t>::max();
}
size_t AllocationWatch::Largest() const { return g_largest; }
size_t AllocationWatch::Total() const { return g_total; }
size_t AllocationWatch::Count() const { return g_count; }
void AllocationWatch::RefuseAfter(size_t granted) { g_refusedFrom = g_count + granted + 1; }

bool AllocationWatch::Available() {
#ifdef GLINTORA_WRAPPED_ALLOCATOR
  return true;
#else
  return false;
#endif
}

}  // namespace glintora::testing
