#pragma once
// Small owning wrappers for COM: an interface pointer released with its holder, and (from
// its own header) one COM initialisation of the calling thread.

#include <objbase.h>

#include <utility>

#include "win/platform/com_initialisation.h"

namespace glintora {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr& other) : m_p(other.m_p) {
    if (m_p) m_p->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(m_p, other.m_p);
    return *this;
  }

  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  // For a function that hands out a new reference: releases the old one first.
  T** Put() {
    Reset();
    return &m_p;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (m_p) std::exchange(m_p, nullptr)->Release();
  }
  // Queries `iid` of this object into `out`; E_POINTER when this holds nothing.
  template <typename U>
  HRESULT QueryInto(REFIID iid, ComPtr<U>& out) const {
    if (!m_p) {
      out.Reset();
      return E_POINTER;
    }
    return m_p->QueryInterface(iid, out.PutVoid());
  }

 private:
  T* m_p = nullptr;
};

}  // namespace glintora
