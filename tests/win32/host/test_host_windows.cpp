// The host's windows in this process: what the full-screen windows tell
// their owner, and the preview's windows over a host window of ours.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "win32/host/uUnexpected.h"
#include "win32/host/uWindow.h"
#include "win32/host/ufmMonitors.h"
#include "win32/host/ufmPreview.h"
#include "win32/host/uWinClock.h"

namespace emberdell::test {
namespace {

class TOwnerSpy : public IMonitorOwner {
 public:
  void MonitorDeactivated(UINT Message, WPARAM, LPARAM) override { Deactivations.push_back(Message); }
  void MonitorClosed() override { ++Closes; }
  std::vector<UINT> Deactivations;
  int Closes = 0;
};

std::wstring ClassOf(HWND Window) {
  wchar_t Name[64] = {};
  GetClassNameW(Window, Name, 64);
  return Name;
}

std::wstring CaptionOf(HWND Window) {
  wchar_t Text[64] = {};
  GetWindowTextW(Window, Text, 64);
  return Text;
}

template <class TForm>
void CheckMonitorWindow(const wchar_t* ClassName) {
  SCOPED_TRACE(testing::Message() << "window class " << std::string(ClassName, ClassName + wcslen(ClassName)));
  const HINSTANCE Instance = GetModuleHandleW(nullptr);
  ASSERT_TRUE(TForm::Register(Instance));
  ASSERT_TRUE(TForm::Register(Instance)) << "a second run's registration";
  TOwnerSpy Owner;
  auto Form = std::make_unique<TForm>(Owner);
  const HWND Window = Form->Create(Instance, RECT{10, 20, 110, 70});
  ASSERT_NE(Window, nullptr);
  EXPECT_EQ(Form->Handle(), Window);
  EXPECT_EQ(ClassOf(Window), ClassName);
  EXPECT_EQ(CaptionOf(Window), kWindowCaption);
  EXPECT_FALSE(IsWindowVisible(Window));
  RECT Bounds{};
  GetWindowRect(Window, &Bounds);
  EXPECT_EQ(Bounds.left, 10);
  EXPECT_EQ(Bounds.bottom, 70);

  // Only losing the activation is reported; gaining it is not. The default
  // handling may send a caption deactivation of its own.
  const auto Reported = [&](UINT Message) {
    return std::count(Owner.Deactivations.begin(), Owner.Deactivations.end(), Message);
  };
  SendMessageW(Window, WM_ACTIVATE, WA_ACTIVE, 0);
  SendMessageW(Window, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(Reported(WM_ACTIVATE) + Reported(WM_ACTIVATEAPP), 0);
  SendMessageW(Window, WM_ACTIVATE, WA_INACTIVE, 0);
  SendMessageW(Window, WM_ACTIVATEAPP, FALSE, 0);
  SendMessageW(Window, WM_NCACTIVATE, FALSE, 0);
  EXPECT_EQ(Reported(WM_ACTIVATE), 1);
  EXPECT_EQ(Reported(WM_ACTIVATEAPP), 1);
  EXPECT_GE(Reported(WM_NCACTIVATE), 1);
  // Closing is the owner's business: the window stays until it decides.
  SendMessageW(Window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Owner.Closes, 1);
  EXPECT_TRUE(IsWindow(Window));

  // A run's windows outlive their objects; messages after that reach nobody.
  Form.reset();
  ASSERT_TRUE(IsWindow(Window));
  const size_t ReportedBefore = Owner.Deactivations.size();
  SendMessageW(Window, WM_ACTIVATE, WA_INACTIVE, 0);
  SendMessageW(Window, WM_NCACTIVATE, FALSE, 0);
  EXPECT_EQ(Owner.Deactivations.size(), ReportedBefore);
  SendMessageW(Window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Owner.Closes, 1);
  if (IsWindow(Window)) DestroyWindow(Window);
}

TEST(HostWindows, MonitorWindowsReportDeactivationAndCloseToTheirOwnerOnly) {
  CheckMonitorWindow<TfmFirstMonitor>(kFirstMonitorClass);
  CheckMonitorWindow<TfmSecondMonitor>(kSecondMonitorClass);
}

// A visible top-level window with a client area of Width x Height.
HWND MakeHostWindow(int Width, int Height) {
  RECT Frame{0, 0, Width, Height};
  AdjustWindowRectEx(&Frame, WS_OVERLAPPED | WS_CAPTION, FALSE, 0);
  return CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40,
                         Frame.right - Frame.left, Frame.bottom - Frame.top, nullptr, nullptr, nullptr, nullptr);
}

TEST(HostWindows, PreviewCoversTheHostsClientAreaAndEndsWithItsChildOrTheHost) {
  const HINSTANCE Instance = GetModuleHandleW(nullptr);
  TWinTickClock Clock;
  {
    THostPreview NoHost(Instance, nullptr);
    EXPECT_FALSE(NoHost.Open(Clock));
    const HWND Stale = MakeHostWindow(20, 20);
    DestroyWindow(Stale);
    THostPreview Gone(Instance, Stale);
    EXPECT_FALSE(Gone.Open(Clock));
  }
  for (const bool HostHides : {true, false}) {
    SCOPED_TRACE(HostHides ? "the host hides its window" : "the host destroys the child");
    const HWND Host = MakeHostWindow(152, 112);
    ASSERT_NE(Host, nullptr);
    THostPreview Preview(Instance, Host);
    ASSERT_TRUE(Preview.Open(Clock));
    const TRect Area = Preview.Area();
    EXPECT_EQ(Area.Left, 0);
    EXPECT_EQ(Area.Top, 0);
    EXPECT_EQ(Area.Right, 152);
    EXPECT_EQ(Area.Bottom, 112);
    const HWND Child = GetWindow(Host, GW_CHILD);
    ASSERT_NE(Child, nullptr);
    EXPECT_EQ(ClassOf(Child), kPreviewClass);
    const HWND Surface = Preview.Surface();
    ASSERT_NE(Surface, nullptr);
    EXPECT_EQ(ClassOf(Surface), kPreviewClass);
    RECT Client{};
    GetClientRect(Surface, &Client);
    EXPECT_EQ(Client.right, 152);
    EXPECT_EQ(Client.bottom, 112);

    if (HostHides)
      ShowWindow(Host, SW_HIDE);
    else
      DestroyWindow(Child);
    // Returns at once: the end has already come.
    Preview.WaitForEnd();
    Preview.Close();
    // A child the host left in place is not destroyed (that would wait on
    // the host's thread): it is let go, to go with our thread, and no longer
    // reaches the preview's object.
    if (HostHides) {
      ASSERT_TRUE(IsWindow(Child));
      EXPECT_EQ(GetWindowLongPtrW(Child, GWLP_USERDATA), 0);
      DestroyWindow(Child);
    }
    EXPECT_FALSE(IsWindow(Child));
    if (Surface != Child) {
      EXPECT_FALSE(IsWindow(Surface));
    }
    EXPECT_EQ(Preview.Surface(), nullptr);
    DestroyWindow(Host);
  }
}

// A handler that throws: the window and the process live on, the message
// gets the default handling, and a window whose creation throws is not made.
class TThrowingWindow : public TWindow<TThrowingWindow> {
 public:
  static constexpr wchar_t ClassName[] = L"EmberdellThrowingTest";
  HWND Create(bool ThrowOnCreate) {
    FThrowOnCreate = ThrowOnCreate;
    return CreateHandle(0, ClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, GetModuleHandleW(nullptr));
  }
  LRESULT WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
    if (Message == WM_CREATE && FThrowOnCreate) throw std::runtime_error("no room for the window");
    if (Message == WM_APP) throw std::bad_alloc();
    if (Message == WM_APP + 1) return 42;
    return DefWindowProcW(Window, Message, WParam, LParam);
  }

 private:
  bool FThrowOnCreate = false;
};

TEST(HostWindows, AnExceptionInAHandlerStopsAtTheWindowProcedure) {
  ASSERT_TRUE(TThrowingWindow::RegisterClass(GetModuleHandleW(nullptr), TThrowingWindow::ClassName));
  // No user at a window: nothing is shown, the failure is only counted.
  SetUserAtWindow(false);
  TThrowingWindow Form;
  const HWND Window = Form.Create(false);
  ASSERT_NE(Window, nullptr);
  const unsigned Before = UnexpectedCount();
  EXPECT_EQ(SendMessageW(Window, WM_APP, 0, 0), 0);
  EXPECT_EQ(UnexpectedCount(), Before + 1);
  EXPECT_TRUE(IsWindow(Window));
  EXPECT_EQ(SendMessageW(Window, WM_APP + 1, 0, 0), 42) << "the window still answers";
  DestroyWindow(Window);

  TThrowingWindow Failing;
  EXPECT_EQ(Failing.Create(true), nullptr);
  EXPECT_EQ(UnexpectedCount(), Before + 2);
}

}  // namespace
}  // namespace emberdell::test
