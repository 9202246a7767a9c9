#include "win/ui/cool_controls/cool_controls_manager.h"

#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "win/ui/cool_controls/cm_check_box.h"
#include "win/ui/cool_controls/cm_combo_box.h"
#include "win/ui/cool_controls/cm_date_time.h"
#include "win/ui/cool_controls/cm_dialog.h"
#include "win/ui/cool_controls/cm_edit.h"
#include "win/ui/cool_controls/cm_edit_combo.h"
#include "win/ui/cool_controls/cm_header_ctrl.h"
#include "win/ui/cool_controls/cm_ip_address.h"
#include "win/ui/cool_controls/cm_push_button.h"
#include "win/ui/cool_controls/cm_radio_button.h"
#include "win/ui/cool_controls/cm_scroll_bar.h"
#include "win/ui/cool_controls/cm_tab_control.h"
#include "win/ui/cool_controls/cm_toolbar.h"

namespace glintora {
namespace {

// What a hook or a timer callback knows is its thread and its timer id; this is how it finds
// the manager that set it up.
struct CallbackOwners {
  std::mutex lock;
  std::map<DWORD, CCoolControlsManager*> hookedThreads;
  std::map<UINT_PTR, CCoolControlsManager*> timers;
};

CallbackOwners& Owners() {
  static CallbackOwners owners;
  return owners;
}

template <typename Key>
CCoolControlsManager* FindOwner(std::map<Key, CCoolControlsManager*>& map, Key key) {
  const std::lock_guard<std::mutex> guard(Owners().lock);
  const auto found = map.find(key);
  return found == map.end() ? nullptr : found->second;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  return window && GetClassNameA(window, name, sizeof name) > 0 ? std::string(name) : std::string();
}

}  // namespace

CCoolControlsManager& GetCoolControlsManager() {
  static CCoolControlsManager manager;
  return manager;
}

// The callbacks' table is made first, so that it outlives every manager, the process's one
// included.
CCoolControlsManager::CCoolControlsManager() { Owners(); }

CCoolControlsManager::~CCoolControlsManager() {
  while (!m_hooks.empty()) UninstallHook(m_hooks.begin()->first);
  StopHoverTimer();
  m_controls.clear();  // each object detaches from its window
}

bool CCoolControlsManager::InstallHook(DWORD threadId, bool dialogMode) {
  if (threadId == kCurrentThread) threadId = GetCurrentThreadId();
  m_dialogMode = dialogMode;
  if (m_hooks.count(threadId)) return true;
  {
    const std::lock_guard<std::mutex> guard(Owners().lock);
    if (Owners().hookedThreads.count(threadId)) return false;  // another manager's thread
    Owners().hookedThreads[threadId] = this;
  }
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &CCoolControlsManager::HookProc, nullptr, threadId);
  if (!hook) {
    const std::lock_guard<std::mutex> guard(Owners().lock);
    Owners().hookedThreads.erase(threadId);
    return false;
  }
  m_hooks[threadId] = hook;
  return true;
}

void CCoolControlsManager::UninstallHook(DWORD threadId) {
  if (threadId == kCurrentThread) threadId = GetCurrentThreadId();
  const auto found = m_hooks.find(threadId);
  if (found == m_hooks.end()) return;
  UnhookWindowsHookEx(found->second);
  m_hooks.erase(found);
  {
    const std::lock_guard<std::mutex> guard(Owners().lock);
    Owners().hookedThreads.erase(threadId);
  }
  if (m_hooks.empty()) StopHoverTimer();
}

void CCoolControlsManager::StopHoverTimer() {
  if (!m_hoverTimer) return;
  // A thread timer can only be killed by its own thread; elsewhere it is only forgotten and
  // its callback finds no manager any more.
  if (GetCurrentThreadId() == m_timerThread) KillTimer(nullptr, m_hoverTimer);
  const std::lock_guard<std::mutex> guard(Owners().lock);
  Owners().timers.erase(m_hoverTimer);
  m_hoverTimer = 0;
}

LRESULT CALLBACK CCoolControlsManager::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && lParam) {
    if (CCoolControlsManager* manager = FindOwner(Owners().hookedThreads, GetCurrentThreadId())) {
      manager->OnMessageSent(*reinterpret_cast<const CWPSTRUCT*>(lParam));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CCoolControlsManager::OnMessageSent(const CWPSTRUCT& call) {
  if (!m_enabled) return;
  if (m_dialogMode) {
    if (call.message == WM_INITDIALOG) AddDialog(call.hwnd);
    return;
  }
  if (call.message == WM_CREATE && (GetWindowLongA(call.hwnd, GWL_STYLE) & WS_CHILD) &&
      _stricmp(ClassOf(call.hwnd).c_str(), "ScrollBar") != 0) {
    AddControl(call.hwnd);
  }
}

std::unique_ptr<CCMCore> CCoolControlsManager::MakeObject(ControlKind kind) {
  switch (kind) {
    case ControlKind::Generic: return std::make_unique<CCMControl>(*this);
    case ControlKind::PushButton: return std::make_unique<CCMPushButton>(*this);
    case ControlKind::CheckBox: return std::make_unique<CCMCheckBox>(*this);
    case ControlKind::RadioButton: return std::make_unique<CCMRadioButton>(*this);
    case ControlKind::Edit: return std::make_unique<CCMEdit>(*this);
    case ControlKind::EditCombo: return std::make_unique<CCMEditCombo>(*this);
    case ControlKind::ComboBox: return std::make_unique<CCMComboBox>(*this);
    case ControlKind::DateTime: return std::make_unique<CCMDateTime>(*this);
    case ControlKind::ScrollBar: return std::make_unique<CCMScrollBar>(*this);
    case ControlKind::Header: return std::make_unique<CCMHeaderCtrl>(*this);
    case ControlKind::TabControl: return std::make_unique<CCMTabControl>(*this);
    case ControlKind::Toolbar: return std::make_unique<CCMToolbar>(*this);
    case ControlKind::IPAddress: return std::make_unique<CCMIPAddress>(*this);
    case ControlKind::None:
    default: return nullptr;
  }
}

CCMCore* CCoolControlsManager::AddControl(HWND window) {
  if (!window) return nullptr;
  if (const auto found = m_controls.find(window); found != m_controls.end()) return found->second.get();
  const ControlKind kind = ClassifyControl(ClassOf(window).c_str(), static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                                           ClassOf(GetParent(window)).c_str());
  std::unique_ptr<CCMCore> object = MakeObject(kind);
  if (!object || !object->Subclass(window)) return nullptr;
  CCMCore* added = object.get();
  m_controls[window] = std::move(object);
  if (!m_hoverTimer) {
    m_hoverTimer = SetTimer(nullptr, 0, kHoverPeriodMs, &CCoolControlsManager::HoverTimerProc);
    m_timerThread = GetCurrentThreadId();
    const std::lock_guard<std::mutex> guard(Owners().lock);
    if (m_hoverTimer) Owners().timers[m_hoverTimer] = this;
  }
  return added;
}

void CCoolControlsManager::AddDialog(HWND dialog) {
  if (!dialog) return;
  if (!m_controls.count(dialog)) {
    auto object = std::make_unique<CCMDialog>(*this);
    if (object->Subclass(dialog)) m_controls[dialog] = std::move(object);
  }
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) AddControl(child);
}

CCMControl* CCoolControlsManager::Control(HWND window) const {
  const auto found = window ? m_controls.find(window) : m_controls.end();
  return found == m_controls.end() ? nullptr : dynamic_cast<CCMControl*>(found->second.get());
}

void CALLBACK CCoolControlsManager::HoverTimerProc(HWND, UINT, UINT_PTR timer, DWORD) {
  if (CCoolControlsManager* manager = FindOwner(Owners().timers, timer)) manager->TrackHover();
}

void CCoolControlsManager::TrackHover() {
  if (!m_enabled || GetCapture()) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  HWND under = WindowFromPoint(cursor);
  CCMControl* candidate = Control(under);
  if (!candidate && under) candidate = Control(GetParent(under));
  CCMControl* target = candidate ? candidate->HoverTarget() : nullptr;
  if (target && !target->IsInside(cursor)) target = nullptr;
  HWND hot = target ? target->m_hWnd : nullptr;
  if (hot == m_hot) return;
  if (CCMControl* previous = Control(m_hot.exchange(hot))) previous->SetHot(false);
  if (target) target->SetHot(true);
}

void CCoolControlsManager::Forget(HWND window) {
  HWND hot = window;
  m_hot.compare_exchange_strong(hot, nullptr);
  const auto found = m_controls.find(window);
  if (found == m_controls.end()) return;
  std::unique_ptr<CCMCore> object = std::move(found->second);
  m_controls.erase(found);
}

}  // namespace glintora
