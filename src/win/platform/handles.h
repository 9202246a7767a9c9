#pragma once
// Owners of the system's handles that must be given back in pairs: a window's device context,
// a memory context, a GDI object, an object selected into a context, a context's saved state,
// an open registry key, OLE's initialisation. Each gives its handle back when it goes. (COM's
// initialisation and interface pointers: com_initialisation.h and com_ptr.h.)

#include <windows.h>

#include <ole2.h>

#include <utility>

namespace glintora {

// BeginPaint / EndPaint: a WM_PAINT handler's device context.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
  ~PaintDc() { EndPaint(m_window, &m_paint); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HWND m_window;
  PAINTSTRUCT m_paint{};
  HDC m_dc;
};

// GetDC / ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
  ~WindowDc() {
    if (m_dc) ReleaseDC(m_window, m_dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HWND m_window;
  HDC m_dc;
};

// CreateCompatibleDC / DeleteDC.
class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : m_dc(CreateCompatibleDC(like)) {}
  ~MemoryDc() {
    if (m_dc) DeleteDC(m_dc);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HDC m_dc;
};

// A GDI object (bitmap, brush, pen, font, region): DeleteObject when it goes. Declare it
// before the SelectedObject that selects it, so that it is deselected first.
template <typename Handle>
class GdiObject {
 public:
  explicit GdiObject(Handle handle = nullptr) : m_handle(handle) {}
  ~GdiObject() {
    if (m_handle) DeleteObject(m_handle);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  Handle Get() const { return m_handle; }

 private:
  Handle m_handle;
};

// SelectObject, and the previous object back when it goes.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (m_previous) SelectObject(m_dc, m_previous);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

// SaveDC / RestoreDC.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : m_dc(dc), m_saved(SaveDC(dc)) {}
  ~SavedDcState() {
    if (m_saved) RestoreDC(m_dc, m_saved);
  }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  HDC m_dc;
  int m_saved;
};

// An open registry key: RegCloseKey when it goes.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (m_key) RegCloseKey(m_key);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  // Where the opening call writes the key.
  HKEY* Receive() { return &m_key; }
  HKEY Get() const { return m_key; }
  explicit operator bool() const { return m_key != nullptr; }

 private:
  HKEY m_key = nullptr;
};

// OleInitialize / OleUninitialize on the calling thread.
class OleInitialisation {
 public:
  OleInitialisation() : m_result(OleInitialize(nullptr)) {}
  ~OleInitialisation() {
    if (SUCCEEDED(m_result)) OleUninitialize();
  }
  OleInitialisation(const OleInitialisation&) = delete;
  OleInitialisation& operator=(const OleInitialisation&) = delete;
  HRESULT Result() const { return m_result; }

 private:
  HRESULT m_result;
};

}  // namespace glintora
