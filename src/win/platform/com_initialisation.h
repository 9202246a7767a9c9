#pragma once
// One COM initialisation of the calling thread, balanced whatever path leaves.

#include <objbase.h>

namespace glintora {

// CoInitializeEx with `model` (apartment-threaded unless told) for the life of the object;
// uninitialised again only when it succeeded. A thread already in the other kind of apartment
// stays in it (the result is then RPC_E_CHANGED_MODE).
class ComInitialisation {
 public:
  explicit ComInitialisation(DWORD model = COINIT_APARTMENTTHREADED) : m_result(CoInitializeEx(nullptr, model)) {}
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
