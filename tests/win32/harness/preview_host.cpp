#include "tests/win32/harness/preview_host.h"

namespace emberdell::test {

namespace {

constexpr wchar_t kFrameClass[] = L"EmberdellTestPreviewHost";
constexpr wchar_t kAreaClass[] = L"EmberdellTestPreviewArea";

void RegisterClasses() {
  static bool Done = false;
  if (Done) return;
  WNDCLASSW Frame{};
  Frame.lpfnWndProc = DefWindowProcW;
  Frame.hInstance = GetModuleHandleW(nullptr);
  Frame.hbrBackground = CreateSolidBrush(RGB(0, 200, 0));  // green around the area
  Frame.lpszClassName = kFrameClass;
  RegisterClassW(&Frame);
  WNDCLASSW Area{};
  Area.lpfnWndProc = DefWindowProcW;
  Area.hInstance = GetModuleHandleW(nullptr);
  Area.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));  // blue until the flame covers it
  Area.lpszClassName = kAreaClass;
  RegisterClassW(&Area);
  Done = true;
}

BOOL CALLBACK Collect(HWND Window, LPARAM Data) {
  reinterpret_cast<std::vector<HWND>*>(Data)->push_back(Window);
  return TRUE;
}

}  // namespace

TPreviewHost::TPreviewHost(bool Visible, int Left, int Top) {
  RegisterClasses();
  FFrame = CreateWindowExW(WS_EX_TOPMOST, kFrameClass, L"Screen Saver Settings", WS_POPUP | WS_CLIPCHILDREN, Left, Top,
                           kPreviewWidth + 40, kPreviewHeight + 40, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
  FArea = CreateWindowExW(0, kAreaClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, kPreviewWidth, kPreviewHeight, FFrame,
                          nullptr, GetModuleHandleW(nullptr), nullptr);
  if (Visible) Show();
}

TPreviewHost::~TPreviewHost() {
  if (FFrame != nullptr) DestroyWindow(FFrame);
}

std::wstring TPreviewHost::Arguments() const {
  return L"/p " + std::to_wstring(reinterpret_cast<uintptr_t>(FArea));
}

void TPreviewHost::Show() {
  ShowWindow(FFrame, SW_SHOWNOACTIVATE);
  UpdateWindow(FFrame);
  Pump();
}

void TPreviewHost::Hide() {
  ShowWindow(FFrame, SW_HIDE);
  Pump();
}

std::vector<HWND> TPreviewHost::PreviewChildren() const {
  std::vector<HWND> Children;
  if (FArea != nullptr) EnumChildWindows(FArea, Collect, reinterpret_cast<LPARAM>(&Children));
  return Children;
}

void TPreviewHost::DestroyPreviewChildren() {
  // DestroyWindow only works on a thread's own windows; a close request
  // makes the owner destroy it.
  for (HWND Child : PreviewChildren()) SendMessageTimeoutW(Child, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  Pump();
}

RECT TPreviewHost::AreaOnScreen() const {
  RECT Rect{};
  GetClientRect(FArea, &Rect);
  MapWindowPoints(FArea, nullptr, reinterpret_cast<POINT*>(&Rect), 2);
  return Rect;
}

void TPreviewHost::Pump() const {
  MSG Message;
  while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Message);
    DispatchMessageW(&Message);
  }
}

}  // namespace emberdell::test
