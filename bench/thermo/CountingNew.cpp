// Replacement global allocation functions that count calls; in their own file so that the
// compiler cannot inline them into callers and pair a malloc with a sized delete it does not know.
#include "bench/thermo/CountingNew.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> gNewCalls{0};
}

long NewCallCount() {
  return gNewCalls.load(std::memory_order_relaxed);
}

void* operator new(std::size_t size) {
  gNewCalls.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  gNewCalls.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
