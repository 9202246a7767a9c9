#include "win/ui/cool_controls/cm_core.h"

#include "win/ui/cool_controls/cool_controls_manager.h"

namespace glintora {
namespace {

// The window properties of a managed window: its object, and the procedure behind ours,
// which stays readable after the object is gone.
constexpr const char* kObjectProperty = "glintora.flat";
constexpr const char* kPreviousProperty = "glintora.flat.previous";

}  // namespace

CCMCore::~CCMCore() { Detach(); }

CCMCore* CCMCore::FromHandle(HWND window) {
  return window ? static_cast<CCMCore*>(GetPropA(window, kObjectProperty)) : nullptr;
}

bool CCMCore::Subclass(HWND window) {
  if (m_hWnd || !window || GetPropA(window, kObjectProperty) || GetPropA(window, kPreviousProperty)) return false;
  const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  if (!previous) return false;
  m_hWnd = window;
  m_oldWndProc = previous;
  SetPropA(window, kObjectProperty, this);
  SetPropA(window, kPreviousProperty, reinterpret_cast<HANDLE>(previous));
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CCMCore::StaticWindowProc));
  OnAttached();
  return true;
}

void CCMCore::Detach() {
  if (!m_hWnd) return;
  RemovePropA(m_hWnd, kObjectProperty);
  const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC));
  if (current == &CCMCore::StaticWindowProc) {
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldWndProc));
    RemovePropA(m_hWnd, kPreviousProperty);
  }
  m_hWnd = nullptr;
}

LRESULT CCMCore::CallOld(UINT message, WPARAM wParam, LPARAM lParam) const {
  return CallWindowProcA(m_oldWndProc, m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CCMCore::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CCMCore* object = FromHandle(window);
  if (!object) {
    // The object has gone while a later subclass kept ours in the chain.
    const auto previous = reinterpret_cast<WNDPROC>(GetPropA(window, kPreviousProperty));
    if (message == WM_NCDESTROY) RemovePropA(window, kPreviousProperty);
    return previous ? CallWindowProcA(previous, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
  }
  ++object->m_depth;
  const LRESULT result = object->WindowProc(message, wParam, lParam);
  --object->m_depth;
  if (message == WM_NCDESTROY) {
    object->Detach();
    RemovePropA(window, kPreviousProperty);
    object->m_lastMessage = true;
  }
  // A window destroyed inside another of its messages goes once that one has returned: its
  // handler still uses the object.
  if (object->m_lastMessage && object->m_depth == 0) object->m_manager.Forget(window);  // deletes it
  return result;
}

}  // namespace glintora
