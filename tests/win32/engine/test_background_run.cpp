// The full-screen run over a background picture: a picture from "Background
// Images" when it loads, the desktop when it does not, and the wallpaper when
// the desktop is one flat colour. A grey style without sparks makes the
// screen show exactly the blended picture, which the test works out itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "tests/win32/harness/scr_process.h"
#include "tests/win32/harness/scr_run.h"
#include "tests/win32/harness/scr_sandbox.h"
#include "tests/win32/harness/scr_screen.h"
#include "core/engine/uFitPicture.h"
#include "core/engine/uImageFiles.h"
#include "core/styles/uPresets.h"
#include "win32/host/uWinText.h"

namespace emberdell::test {
namespace {

// Curves that make colour = index, and no sparks (intensity 11): the screen
// shows the blended grey picture and nothing else.
TFlamePreset GreyStyle() {
  TFlamePreset p;
  std::memset(&p, 0, sizeof p);
  p.FlameIntensity = 11;
  for (int i = 0; i < 256; ++i) p.Red[i] = p.Green[i] = p.Blue[i] = uint8_t(255 - i);
  return p;
}

// The index a pixel of grey g settles at with no heat, from the start value 128.
int SettledIndex(int g) {
  int I = 128;
  for (int i = 0; i < 60; ++i) I = std::min(255, ((g >> 1) >> 1) + (I >> 1) + 10);
  return I;
}

// Left half white, right half black, with a black frame: easy to tell apart.
TPixelImage HalfWhite(int W, int H) {
  TPixelImage P;
  P.Width = W;
  P.Height = H;
  P.Pixels.assign(size_t(W) * H * 4, 0);
  for (int y = H / 10; y < H - H / 10; ++y)
    for (int x = W / 10; x < W / 2; ++x) std::memset(&P.Pixels[(size_t(y) * W + x) * 4], 255, 3);
  return P;
}

// Like the other run tests, but the desktop is each test's own choice.
class BackgroundRun : public ::testing::Test {
 protected:
  TSettingsSandbox Settings;
  TScreenshotFolder Shots;
  std::optional<TBackdrop> Desktop;
  std::optional<TScrProcess> Scr;
  std::vector<RECT> Monitors;

  RECT FlameArea() const {
    RECT R = Monitors[0];
    --R.bottom;
    return R;
  }
  void Start(const wchar_t* Args) {
    Scr.reset();
    Scr.emplace(Args);
    ASSERT_TRUE(Scr->Started());
  }
  std::optional<DWORD> WaitForEnd() { return Scr->WaitForExit(kExitDeadlineMs); }
  void EndRun() {
    if (HWND Window = Scr->WaitForWindow(L"TfmFirstMonitor", 0)) SetForegroundWindow(Window);
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitForEnd().has_value()) << "the run did not end on a key";
  }

  void SetUp() override {
    Monitors = MonitorRects();
    ASSERT_FALSE(Monitors.empty());
    const std::string Folder = ToUtf8(ScrFolder());
    ASSERT_TRUE(SavePreset(Folder + "Flame Presets\\", "Test Grey", GreyStyle()));
    StyleFile = ScrFolder() + L"Flame Presets\\Test Grey.wyk";
    PictureFolder = ScrFolder() + L"Background Images\\";
    CreateDirectoryW(PictureFolder.c_str(), nullptr);
    Settings.Set(L"Active Presets", L"~Test Grey~");
  }
  void TearDown() override {
    if (Scr) Scr.reset();
    DeleteFileW(StyleFile.c_str());
    for (const std::wstring& f : Written) DeleteFileW(f.c_str());
    RemoveDirectoryW(PictureFolder.c_str());
  }
  std::wstring WritePicture(const std::wstring& Name, const TPixelImage& P, bool Jpeg) {
    const std::wstring Path = PictureFolder + Name;
    std::string Error;
    const bool Ok = Jpeg ? WriteJpegFile(ToUtf8(Path), P.Width, P.Height, P.Pixels.data(), 95, false, Error)
                         : WriteBmpFile(ToUtf8(Path), P.Width, P.Height, P.Pixels.data(), Error);
    EXPECT_TRUE(Ok) << Error;
    Written.push_back(Path);
    return Path;
  }
  // Share of sample points of the flame area whose colour is the settled
  // grey of Expected (32-bit pixels of the flame area's size), within 2.
  double MatchingShare(const std::vector<uint8_t>& Expected) {
    const RECT Area = FlameArea();
    const int W = Area.right - Area.left, H = Area.bottom - Area.top;
    TScreenGrab Grab(Area);
    if (!Grab.Valid()) return 0;
    int Matching = 0, Total = 0;
    // On a virtual display the other monitors may overlap the first; their
    // windows can cover it there, so only the first monitor's own part counts.
    auto Covered = [&](int X, int Y) {
      for (size_t m = 1; m < Monitors.size(); ++m) {
        const RECT& R = Monitors[m];
        if (X >= R.left && X < R.right && Y >= R.top && Y < R.bottom) return true;
      }
      return false;
    };
    for (int y = 3; y < H - 3; y += 7)
      for (int x = 3; x < W - 3; x += 9) {
        if (Covered(Area.left + x, Area.top + y)) continue;
        const uint8_t* px = &Expected[(size_t(y) * W + x) * 4];
        const int Want = SettledIndex((px[0] + px[1] + px[2]) / 3);
        const COLORREF Got = Grab.At(Area.left + x, Area.top + y);
        ++Total;
        if (std::abs(GetRValue(Got) - Want) <= 2 && std::abs(GetGValue(Got) - Want) <= 2 &&
            std::abs(GetBValue(Got) - Want) <= 2)
          ++Matching;
      }
    return Total == 0 ? 0 : double(Matching) / Total;
  }
  // Starts the run and waits until the screen settles on Expected.
  bool BurnsOver(const std::vector<uint8_t>& Expected, double& Share) {
    Start(L"/s");
    if (!Scr->WaitForWindow(L"TfmFirstMonitor", kStartDeadlineMs)) return false;
    WaitUntil(15000, [&] { return (Share = MatchingShare(Expected)) > 0.97; });
    return Share > 0.97;
  }
  std::wstring StyleFile, PictureFolder;
  std::vector<std::wstring> Written;
};

TEST_F(BackgroundRun, AnActivePictureIsFittedAndBurnedOver) {
  // 400 x 300 on the 1024 x 768 monitor: fitted to 1036 x 777 at (-6, -5).
  const TPixelImage Picture = HalfWhite(400, 300);
  const std::wstring Path = WritePicture(L"Test Stripes.jpg", Picture, true);
  Settings.Set(L"Active Backgrounds", L"~Test Stripes~");
  const RECT Area = FlameArea();
  TPixelImage Fitted;
  std::string Error;
  ASSERT_TRUE(LoadBackgroundFile(ToUtf8(Path), Area.right - Area.left, Area.bottom - Area.top, Fitted, Error));
  double Share = 0;
  EXPECT_TRUE(BurnsOver(Fitted.Pixels, Share)) << "matching share " << Share;
  EndRun();
}

TEST_F(BackgroundRun, AStyleAndAPictureOfTheUsersOwnFoldersWithGreekAndJapaneseNames) {
  // The per-user folder beside the per-user settings file.
  const std::wstring UserDir = PerUserIniPath().substr(0, PerUserIniPath().find_last_of(L'\\') + 1);
  const std::wstring UserStyles = UserDir + L"Flame Presets\\", UserPictures = UserDir + L"Background Images\\";
  CreateDirectoryW(UserDir.c_str(), nullptr);
  CreateDirectoryW(UserStyles.c_str(), nullptr);
  CreateDirectoryW(UserPictures.c_str(), nullptr);
  const std::wstring Style = UserStyles + L"\u708E\u306E\u8272.wyk";  // 炎の色
  const std::wstring Picture = UserPictures + L"\u0395\u03BB\u03B9\u03AC - \u591C.jpg";  // Ελιά - 夜
  ASSERT_TRUE(SavePreset(ToUtf8(UserStyles), ToUtf8(L"\u708E\u306E\u8272"), GreyStyle()));
  const TPixelImage Half = HalfWhite(400, 300);
  std::string Error;
  ASSERT_TRUE(WriteJpegFile(ToUtf8(Picture), Half.Width, Half.Height, Half.Pixels.data(), 95, false, Error)) << Error;

  // A UTF-16 settings file, as the program makes one, keeps the names whole.
  // The profile functions of this process forget the ANSI file first.
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, SharedIniPath().c_str());
  {
    HANDLE File = CreateFileW(SharedIniPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(File, INVALID_HANDLE_VALUE);
    DWORD Written = 0;
    WriteFile(File, "\xFF\xFE", 2, &Written, nullptr);
    CloseHandle(File);
  }
  Settings.Set(L"Active Presets", L"~\u708E\u306E\u8272~");
  Settings.Set(L"Active Backgrounds", L"~\u0395\u03BB\u03B9\u03AC - \u591C~");

  const RECT Area = FlameArea();
  TPixelImage Fitted;
  const bool Loaded =
      LoadBackgroundFile(ToUtf8(Picture), Area.right - Area.left, Area.bottom - Area.top, Fitted, Error);
  double Share = 0;
  // A random style in place of the grey one, or the desktop in place of the
  // picture, would not settle on the picture's greys.
  if (Loaded) {
    EXPECT_TRUE(BurnsOver(Fitted.Pixels, Share)) << "matching share " << Share;
    EndRun();
  }
  if (Scr) Scr.reset();
  DeleteFileW(Style.c_str());
  DeleteFileW(Picture.c_str());
  RemoveDirectoryW(UserStyles.c_str());
  RemoveDirectoryW(UserPictures.c_str());
  ASSERT_TRUE(Loaded) << Error;
}

TEST_F(BackgroundRun, AMissingOrBrokenPictureFallsBackToTheDesktop) {
  const auto Put = [&](const wchar_t* Name, const std::string& Bytes) {
    const std::wstring Path = PictureFolder + Name;
    HANDLE f = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD Wrote = 0;
    WriteFile(f, Bytes.data(), DWORD(Bytes.size()), &Wrote, nullptr);
    CloseHandle(f);
    Written.push_back(Path);
  };
  Put(L"Broken.jpg", std::string("\xFF\xD8\xFF\xE0not a JPEG", 14));
  // A real picture cut in half.
  const std::wstring Whole = WritePicture(L"Truncated.jpg", HalfWhite(400, 300), true);
  const auto Bytes = ReadWholeFile(Whole);
  ASSERT_TRUE(Bytes.has_value());
  Put(L"Truncated.jpg", Bytes->substr(0, Bytes->size() / 2));
  // A header claiming 30000 x 30000 pixels, with nothing after it.
  Put(L"Enormous.jpg", std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\x75\x30\x75\x30\x03"
                                   "\x01\x22\x00\x02\x11\x01\x03\x11\x01\xFF\xD9", 23));
  Put(L"Notes.jpg", "Remember to buy milk.\r\nThis was a text file once.\r\n");

  Desktop.emplace();
  ASSERT_TRUE(Desktop->Add(Monitors[0], TBackdrop::TPattern::LeftBlock));
  ASSERT_TRUE(Desktop->Shown());
  // What the desktop looks like, as the run's snapshot will see it.
  const RECT Area = FlameArea();
  const int W = Area.right - Area.left, H = Area.bottom - Area.top;
  std::vector<uint8_t> Snapshot(size_t(W) * H * 4);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      // The snapshot is the whole monitor squeezed into the flame area.
      const int sy = int((2 * int64_t(y) + 1) * (H + 1) / (2 * int64_t(H)));
      const COLORREF c = Desktop->Reference().At(Area.left + x, Area.top + sy);
      uint8_t* px = &Snapshot[(size_t(y) * W + x) * 4];
      px[0] = GetBValue(c), px[1] = GetGValue(c), px[2] = GetRValue(c);
    }
  for (const wchar_t* Name : {L"Missing Picture", L"Broken", L"Truncated", L"Enormous", L"Notes"}) {
    SCOPED_TRACE(ToUtf8(Name));
    Settings.Set(L"Active Backgrounds", (std::wstring(L"~") + Name + L"~").c_str());
    double Share = 0;
    EXPECT_TRUE(BurnsOver(Snapshot, Share)) << "matching share " << Share;
    EndRun();
  }
}

TEST_F(BackgroundRun, DamagedStyleFilesNeitherStopNorHaltTheRun) {
  // What a hand-tidied style folder may hold: a cut file, an empty one, a
  // huge one whose record holds the widest values, and a folder by the name.
  const std::wstring Styles = ScrFolder() + L"Flame Presets\\";
  std::vector<std::wstring> Files;
  const auto Put = [&](const wchar_t* Name, const std::string& Bytes) {
    const std::wstring Path = Styles + Name;
    HANDLE f = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD Wrote = 0;
    WriteFile(f, Bytes.data(), DWORD(Bytes.size()), &Wrote, nullptr);
    CloseHandle(f);
    Files.push_back(Path);
  };
  Put(L"Cut.wyk", std::string(100, '\x7F'));
  Put(L"Empty.wyk", "");
  std::string Huge(8 << 20, '\xFF');
  TFlamePreset Wild{};
  Wild.NameLength = 255;
  Wild.FlameIntensity = INT32_MIN;
  Wild.SpiresLength = INT32_MAX;
  Wild.Wind = INT32_MIN;
  std::memcpy(Huge.data(), &Wild, sizeof Wild);
  Put(L"Huge.wyk", Huge);
  const std::wstring Folder = Styles + L"Folder.wyk";
  ASSERT_TRUE(CreateDirectoryW(Folder.c_str(), nullptr));
  Settings.Set(L"Active Presets", L"~Cut~,~Empty~,~Huge~,~Folder~");
  Settings.Set(L"Changing delay", 1);  // every one of them is loaded in turn

  Desktop.emplace();
  ASSERT_TRUE(Desktop->Add(Monitors[0], TBackdrop::TPattern::LeftBlock));
  Start(L"/s");
  const bool Shown = Scr->WaitForWindow(L"TfmFirstMonitor", kStartDeadlineMs) != nullptr;
  // Several style changes later the frames still move.
  TScreenGrab Before(FlameArea());
  WaitUntil(4000, [] { return false; });
  TScreenGrab After(FlameArea());
  const bool Running = !Scr->WaitForExit(0).has_value();
  const double Changed = ChangedShare(Before, After, FlameArea());
  if (Running) EndRun();
  for (const std::wstring& f : Files) DeleteFileW(f.c_str());
  RemoveDirectoryW(Folder.c_str());
  ASSERT_TRUE(Shown) << "no run window";
  EXPECT_TRUE(Running) << "the run ended on its own";
  EXPECT_GT(Changed, 0.0) << "the frames stopped";
}

TEST_F(BackgroundRun, AFlatDesktopBurnsTheWallpaperInstead) {
  // Nothing of the test's own is on the screen: the desktop is one colour.
  const TPixelImage Wallpaper = HalfWhite(640, 480);
  const std::wstring Path = WritePicture(L"wallpaper-test.bmp", Wallpaper, false);
  wchar_t Old[MAX_PATH + 1] = {};
  SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, Old, 0);
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(Path.c_str()), SPIF_UPDATEINIFILE));
  const RECT Area = FlameArea();
  TPixelImage Fitted;
  ASSERT_TRUE(FitPictureToArea(Wallpaper, Area.right - Area.left, Area.bottom - Area.top, Fitted));
  double Share = 0;
  const bool Burned = BurnsOver(Fitted.Pixels, Share);
  EndRun();
  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, Old, SPIF_UPDATEINIFILE);
  EXPECT_TRUE(Burned) << "matching share " << Share;
}

}  // namespace
}  // namespace emberdell::test
