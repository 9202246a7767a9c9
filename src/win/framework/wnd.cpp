#include "win/framework/wnd.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>
#include <tuple>
#include <utility>

#include "win/framework/win_app.h"

namespace glintora {
namespace {

// The window property that holds the attached object.
constexpr const char* kObjectProperty = "glintora.CWnd";

// The object being created on this thread; attached at its window's first message.
thread_local CWnd* t_creating = nullptr;

}  // namespace

const MessageMap* CWnd::ThisMessageMap() {
  static const MessageMap map{nullptr, nullptr, 0};
  return &map;
}

CWnd::~CWnd() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

const char* CWnd::RegisterWindowClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  static std::mutex lock;
  static std::map<std::tuple<UINT, HCURSOR, HBRUSH, HICON>, std::string> names;
  const std::lock_guard<std::mutex> guard(lock);
  std::string& name = names[{classStyle, cursor, background, icon}];
  if (name.empty()) {
    char text[96];
    std::snprintf(text, sizeof text, "glintora:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    WNDCLASSA type{};
    type.style = classStyle;
    type.lpfnWndProc = &CWnd::StaticWindowProc;
    type.hInstance = GetModuleHandleA(nullptr);
    type.hCursor = cursor;
    type.hbrBackground = background;
    type.hIcon = icon;
    type.lpszClassName = text;
    if (!RegisterClassA(&type) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    name = text;
  }
  return name.c_str();
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                    HWND parent, UINT id) {
  if (m_hWnd || !className) return FALSE;
  CWnd* const outer = t_creating;
  t_creating = this;
  const auto menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  HWND window = CreateWindowExA(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent, menuOrId, GetModuleHandleA(nullptr), nullptr);
  t_creating = outer;
  // A class with a procedure of its own (a system control) is attached after creation.
  if (window && !m_hWnd) SubclassWindow(window);
  return window != nullptr && m_hWnd == window;
}

BOOL CWnd::SubclassWindow(HWND window) {
  if (m_hWnd || !window || FromHandle(window)) return FALSE;
  m_hWnd = window;
  SetPropA(window, kObjectProperty, this);
  m_superProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
  PreSubclassWindow();
  return TRUE;
}

HWND CWnd::UnsubclassWindow() {
  HWND window = m_hWnd;
  if (!window || !m_superProc) return nullptr;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
  RemovePropA(window, kObjectProperty);
  m_superProc = nullptr;
  m_hWnd = nullptr;
  return window;
}

BOOL CWnd::SubclassDlgItem(UINT id, HWND parent) {
  return parent ? SubclassWindow(::GetDlgItem(parent, static_cast<int>(id))) : FALSE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

CWnd* CWnd::FromHandle(HWND window) {
  return window ? static_cast<CWnd*>(GetPropA(window, kObjectProperty)) : nullptr;
}

HWND CWnd::GetOwner() const {
  if (!m_hWnd) return nullptr;
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  return owner ? owner : ::GetParent(m_hWnd);
}

void CWnd::AfterHandlers(std::function<void()> action) {
  if (!action) return;
  if (InHandler()) {
    m_afterHandlers.push_back(std::move(action));
  } else {
    action();
  }
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::vector<char> text(static_cast<size_t>(length) + 1);
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  return std::string(text.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

BOOL CWnd::PreTranslateMessage(MSG* /*msg*/) { return FALSE; }

BOOL CWnd::WalkPreTranslate(MSG* msg) {
  for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
    CWnd* object = FromHandle(window);
    if (object && object->PreTranslateMessage(msg)) return TRUE;
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) break;  // top-level: its owner is not asked
  }
  return FALSE;
}

const MessageMapEntry* CWnd::FindEntry(UINT message, WPARAM wParam) const {
  for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
    for (size_t i = 0; i < map->count; ++i) {
      const MessageMapEntry& entry = map->entries[i];
      if (entry.message != message) continue;
      if (message == WM_COMMAND && (entry.commandId != LOWORD(wParam) || entry.notifyCode != HIWORD(wParam))) {
        continue;
      }
      return &entry;
    }
  }
  return nullptr;
}

bool CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  HWND child = nullptr;
  switch (message) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item && item->CtlType != ODT_MENU) child = item->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
      if (item && item->CtlType != ODT_MENU) child = GetDlgItem(static_cast<int>(item->CtlID));
      break;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      child = reinterpret_cast<HWND>(lParam);
      break;
    default:
      return false;
  }
  if (!child || child == m_hWnd) return false;
  CWnd* object = FromHandle(child);
  if (!object || !object->FindEntry(ReflectedMessage(message), wParam)) return false;
  *result = object->Dispatch(child, ReflectedMessage(message), wParam, lParam);
  return true;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT reflected = 0; ReflectToChild(message, wParam, lParam, &reflected)) return reflected;
  if (const MessageMapEntry* entry = FindEntry(message, wParam)) return entry->call(*this, wParam, lParam);
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_superProc ? CallWindowProcA(m_superProc, m_hWnd, message, wParam, lParam)
                     : ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam); }

LRESULT CWnd::DefaultThenToOwner(bool pass) {
  const MSG message = m_current;
  const LRESULT result = Default();
  if (pass) {
    if (HWND owner = GetOwner()) SendMessageA(owner, message.message, message.wParam, message.lParam);
  }
  return result;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* object = FromHandle(window);
  if (!object && t_creating && !t_creating->m_hWnd) {
    object = t_creating;
    object->m_hWnd = window;
    SetPropA(window, kObjectProperty, object);
  }
  if (!object) return ::DefWindowProcA(window, message, wParam, lParam);
  return object->Dispatch(window, message, wParam, lParam);
}

LRESULT CWnd::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const MSG outer = m_current;
  m_current = MSG{window, message, wParam, lParam, 0, {}};
  ++m_dispatchDepth;
  const LRESULT result = WindowProc(message, wParam, lParam);
  --m_dispatchDepth;
  m_current = outer;
  if (message == WM_NCDESTROY) {
    // The last message: detach, and end the application if this was its main window.
    if (m_superProc) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    m_superProc = nullptr;
    RemovePropA(window, kObjectProperty);
    m_hWnd = nullptr;
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) {
      app->m_pMainWnd = nullptr;
      PostQuitMessage(0);
    }
    m_finishPending = true;
  }
  if (m_dispatchDepth != 0) return result;
  // The outermost handler has returned. A window destroyed from inside another of its
  // handlers (WM_CLOSE -> DestroyWindow -> WM_NCDESTROY) finishes only now: PostNcDestroy
  // may delete the object, and the outer frames still used it. The deferred actions come
  // last, taken off the object first, since either step may free it.
  const bool finish = std::exchange(m_finishPending, false);
  std::vector<std::function<void()>> after = std::exchange(m_afterHandlers, {});
  if (finish) PostNcDestroy();  // the object may be gone after this
  for (auto& action : after) action();
  return result;
}

}  // namespace glintora
