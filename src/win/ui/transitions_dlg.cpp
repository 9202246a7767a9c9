#include "win/ui/transitions_dlg.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "res/resource.h"
#include "win/framework/message_box.h"
#include "win/framework/win_app.h"
#include "win/platform/gdi_device.h"
#include "win/platform/handles.h"

namespace glintora {
namespace {

// The preview pictures are JPEG files among the program's resources.
constexpr const char* kPictureResourceType = "JPEG";
// Posted by a worker whose transition ran to its end, with the job's start number: a timer
// belongs to the dialog's own thread, so that thread arms it.
constexpr UINT kPreviewFinishedMessage = WM_APP + 1;

std::string LoadResourceString(UINT id) {
  char text[512];
  const int length = LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
  return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

// A duration the preview can run with: the caller's value when it is in range, else the
// nearest end of the range (the show's default when it is not a number at all).
double PreviewSecondsFrom(double seconds) {
  if (!std::isfinite(seconds)) return 2;
  return std::clamp(seconds, kMinimumTransitionSeconds, kMaximumTransitionSeconds);
}

}  // namespace

// clang-format off
GLINTORA_MESSAGE_MAP(CTransitionsDlg, CDialog,
                     OnControl<&CTransitionsDlg::OnSelectionChange>(LBN_SELCHANGE, IDC_TRANSITION_LIST),
                     OnMessage<&CTransitionsDlg::OnTimer>(WM_TIMER), OnMessage<&CTransitionsDlg::OnPaint>(WM_PAINT),
                     OnCommand<&CTransitionsDlg::OnSelectAll>(IDC_SELECT_ALL),
                     OnCommand<&CTransitionsDlg::OnUnselectAll>(IDC_UNSELECT_ALL),
                     OnMessage<&CTransitionsDlg::OnDestroy>(WM_DESTROY),
                     OnMessage<&CTransitionsDlg::OnPreviewFinished>(kPreviewFinishedMessage))
// clang-format on

CTransitionsDlg::CTransitionsDlg(HWND parent) : CDialog(IDD_TRANSITIONS, parent), m_loader(CvxColor8(0, 0, 0)) {}

// The worker needs nothing from this thread to stop: the runner's plain wait will do.
CTransitionsDlg::~CTransitionsDlg() = default;

void CTransitionsDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_TRANSITION_LIST, m_list);
  DDX_LBIndex(dx, IDC_TRANSITION_LIST, m_selected);
  DDX_Text(dx, IDC_DURATION, m_duration);
  DDV_MinMaxDouble(dx, m_duration, kMinimumTransitionSeconds, kMaximumTransitionSeconds);
}

BOOL CTransitionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();  // attaches the check list
  m_previewSeconds = PreviewSecondsFrom(m_duration);
  LoadPictures();
  m_list.SetCheckStyle(BS_AUTOCHECKBOX);
  FillList();
  UpdateData(FALSE);  // selects the first transition and shows the duration
  SetTimer(m_hWnd, kPreviewTimerId, kPreviewRestMs, nullptr);
  return TRUE;
}

void CTransitionsDlg::LoadPictures() {
  m_pictureA = m_loader.LoadFromResource(AfxGetResourceHandle(), IDR_PREVIEW_A, kPictureResourceType);
  m_pictureB = m_loader.LoadFromResource(AfxGetResourceHandle(), IDR_PREVIEW_B, kPictureResourceType);
  RECT client{};
  GetClientRect(GetDlgItem(IDC_PREVIEW), &client);
  for (std::unique_ptr<CvxImage>* picture : {&m_pictureA, &m_pictureB}) {
    if (!*picture) continue;
    // The engine draws Color8 frames of the area's size.
    std::unique_ptr<CvxImage> sized = (*picture)->Resize(client.right, client.bottom, kBilinear);
    if (sized) ConvertImage(sized, Color8);
    *picture = std::move(sized);
  }
}

void CTransitionsDlg::FillList() {
  for (int id = 0; id < kTransitionCount; ++id) {
    const int index = m_list.AddString(LoadResourceString(GetTransitionInfo(id).stringId).c_str());
    if (m_enabled[id]) m_list.SetCheck(index, 1);
  }
}

void CTransitionsDlg::CheckAll(int check) {
  for (int i = 0, count = m_list.GetCount(); i < count; ++i) m_list.SetCheck(i, check);
}

void CTransitionsDlg::OnOK() {
  bool any = false;
  for (int id = 0; id < kTransitionCount; ++id) {
    m_enabled[id] = m_list.GetCheck(id) != 0 ? 1 : 0;
    any = any || m_enabled[id];
  }
  if (!any) {
    ShowMessageBox(m_hWnd, LoadResourceString(IDS_NO_TRANSITION), MB_OK | MB_ICONWARNING);
    return;
  }
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

LRESULT CTransitionsDlg::OnTimer(WPARAM id, LPARAM) {
  if (id != kPreviewTimerId) return Default();
  KillTimer(m_hWnd, kPreviewTimerId);
  StartPreview();
  return 0;
}

LRESULT CTransitionsDlg::OnPaint(WPARAM, LPARAM) {
  const LRESULT result = Default();
  const CvxImage* atRest = m_showingA ? m_pictureA.get() : m_pictureB.get();
  if (!m_pictureA || !m_pictureB || !atRest) return result;
  HWND preview = GetDlgItem(IDC_PREVIEW);
  RECT client{};
  GetClientRect(preview, &client);
  const WindowDc dc(preview);
  GdiDevice device(dc.Get());
  const RectF whole{0, 0, static_cast<float>(client.right), static_cast<float>(client.bottom)};
  atRest->Draw(device, whole, whole);
  return result;
}

LRESULT CTransitionsDlg::OnPreviewFinished(WPARAM start, LPARAM) {
  // Only for the latest start, and not while a stop or the closing waits for workers.
  if (m_closing || m_stopping || static_cast<int>(start) != m_previewStarts) return 0;
  SetTimer(m_hWnd, kPreviewTimerId, kPreviewRestMs, nullptr);
  return 0;
}

LRESULT CTransitionsDlg::OnDestroy(WPARAM, LPARAM) {
  // A timer served while waiting for the worker must not start another one.
  m_closing = true;
  KillTimer(m_hWnd, kPreviewTimerId);
  StopPreview();
  return Default();
}

void CTransitionsDlg::StartPreview() {
  // A start asked while a stop waits (a click or the timer served by its message pump) is
  // dropped: the start that asked for that stop reads the controls afterwards anyway.
  if (m_closing || m_stopping || !m_hWnd) return;
  KillTimer(m_hWnd, kPreviewTimerId);
  StopPreview();
  // A worker that finished just before it was stopped may have had the timer armed.
  KillTimer(m_hWnd, kPreviewTimerId);
  if (m_closing || !m_hWnd) return;

  // A failed validation has shown its message; the preview keeps the last valid duration.
  if (UpdateData(TRUE)) m_previewSeconds = m_duration;
  const CvxImage* atRest = m_showingA ? m_pictureA.get() : m_pictureB.get();
  const CvxImage* other = m_showingA ? m_pictureB.get() : m_pictureA.get();
  m_job.preview = GetDlgItem(IDC_PREVIEW);
  m_job.from = As<CvxColor8>(atRest);
  m_job.to = As<CvxColor8>(other);
  m_job.id = m_selected;
  m_job.seconds = m_previewSeconds;
  m_job.callback = &CTransitionsDlg::ContinuePreview;
  m_job.context = this;
  m_job.start = m_previewStarts + 1;
  if (!m_job.from || !m_job.to) return;

  if (m_preview.Start([job = &m_job] { return PreviewThreadProc(job); })) ++m_previewStarts;
}

void CTransitionsDlg::StopPreview() {
  if (!m_preview.Running() || m_stopping) return;
  m_stopping = true;
  // Served while waiting, so that the worker can finish any call that needs this thread.
  m_preview.Stop([this] { PumpMessages(); });
  m_stopping = false;
}

void CTransitionsDlg::PumpMessages() {
  ServeWaitingMessages([this](MSG* msg) { return PreTranslateMessage(msg) != FALSE; });
}

bool CTransitionsDlg::ContinuePreview(void* dialog) {
  auto* self = static_cast<CTransitionsDlg*>(dialog);
  self->PumpMessages();
  return self->m_preview.KeepRunning();
}

UINT CTransitionsDlg::PreviewThreadProc(const PreviewJob* job) {
  auto* dialog = static_cast<CTransitionsDlg*>(job->context);
  RECT client{};
  GetClientRect(job->preview, &client);
  bool finished = false;
  if (const WindowDc dc(job->preview); dc.Get()) {
    GdiDevice device(dc.Get());
    finished = RunTransition(device, {client.left, client.top, client.right, client.bottom}, *job->from, *job->to,
                             job->id, static_cast<float>(job->seconds), job->callback, job->context,
                             dialog->m_transitionOptions);
  }
  if (finished) {
    // The preview rests on the new picture, then plays the transition back. The picture at
    // rest changes here, before the thread ends, so a start that waited for it sees it.
    dialog->m_showingA = !dialog->m_showingA;
    PostMessageA(GetParent(job->preview), kPreviewFinishedMessage, static_cast<WPARAM>(job->start), 0);
  }
  return finished ? 1 : 0;
}

}  // namespace glintora
