#pragma once
// Small owning wrappers for COM: an interface pointer released with its holder, and one
// COM initialisation of the calling thread, balanced whatever path leaves.

#include <objbase.h>

#include <utility>

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

// CoInitialize for the life of the object; uninitialised again only when it succeeded.
class ComInitialisation {
 public:
  ComInitialisation() : m_result(CoInitialize(nullptr)) {}
  ~ComInitialisation() {
    if (SUCCEEDED(m_result)) CoUninitialize();
  }
  ComInitialisation(const ComInitialisation&) = delete;
  ComInitialisation& operator=(const ComInitialisation&) = delete;
  HRESULT Result() const { return m_result; }

 private:
  HRESULT m_result;
};

}  // namespace glintora
