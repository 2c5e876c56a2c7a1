// The artwork inside Emberdell.scr as the shell and the dialogs get it: the
// program icon the file manager and the screensaver list extract, and the
// bitmaps the settings window and the performance dialog load.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "tests/support/scr_resources.h"
#include "tests/win32/harness/scr_process.h"
#include "tools/uArtwork.h"
#include "win32/engine/uBitmapFormat.h"

namespace emberdell::test {
namespace {

// The icon's colour and alpha, top row first, or empty when it has none.
std::vector<RGBQUAD> IconPixels(HICON Icon, int& Width) {
  ICONINFO Info{};
  if (!GetIconInfo(Icon, &Info)) return {};
  BITMAP Colour{};
  std::vector<RGBQUAD> Pixels;
  if (Info.hbmColor != nullptr && GetObjectW(Info.hbmColor, sizeof Colour, &Colour) != 0) {
    Width = Colour.bmWidth;
    BITMAPINFO Format = Bgr32Format(Colour.bmWidth, -Colour.bmHeight);
    Pixels.resize(size_t(Colour.bmWidth) * Colour.bmHeight);
    HDC Screen = GetDC(nullptr);
    if (GetDIBits(Screen, Info.hbmColor, 0, Colour.bmHeight, Pixels.data(), &Format, DIB_RGB_COLORS) == 0)
      Pixels.clear();
    ReleaseDC(nullptr, Screen);
  }
  if (Info.hbmColor != nullptr) DeleteObject(Info.hbmColor);
  if (Info.hbmMask != nullptr) DeleteObject(Info.hbmMask);
  return Pixels;
}

// The shell asks the file for its first icon at each size and gets ours,
// drawn for that size, with its soft alpha edges intact.
TEST(ProgramIcon, ScrsFirstIconIsTheProgramIconAtEverySize) {
  const std::wstring Path = ScrPath();
  for (int Size : {16, 32, 48, 256}) {
    HICON Icon = nullptr;
    UINT Id = 0;
    ASSERT_EQ(PrivateExtractIconsW(Path.c_str(), 0, Size, Size, &Icon, &Id, 1, 0), 1u) << Size;
    ASSERT_NE(Icon, nullptr) << Size;
    int Width = 0;
    const std::vector<RGBQUAD> Pixels = IconPixels(Icon, Width);
    DestroyIcon(Icon);
    ASSERT_EQ(Width, Size);
    ASSERT_EQ(Pixels.size(), size_t(Size) * Size) << Size;
    const TArtImage Drawn = ProgramIcon(Size);
    int Soft = 0, Mismatched = 0;
    for (size_t i = 0; i < Pixels.size(); ++i) {
      Soft += Pixels[i].rgbReserved > 0 && Pixels[i].rgbReserved < 255;
      Mismatched += std::abs(int(Pixels[i].rgbReserved) - int(Drawn.Pixels[i].A)) > 2;
    }
    EXPECT_GT(Soft, Size / 2) << Size;
    EXPECT_EQ(Mismatched, 0) << Size;
  }
}

TEST(ProgramIcon, ScrCarriesTheBitmapsAtTheirSizes) {
  const support::TScrResources Scr(ScrPath());
  ASSERT_NE(Scr.Module(), nullptr) << GetLastError();
  const struct {
    const wchar_t* Name;
    LONG Width, Height;
  } Bitmaps[] = {{L"MONITOR", 89, 80}, {L"LOGO", 447, 78}, {L"LOGO2X", 894, 156}};
  for (const auto& b : Bitmaps) {
    const auto Handle = static_cast<HBITMAP>(LoadImageW(Scr.Module(), b.Name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(Handle, nullptr) << b.Name;
    BITMAP Info{};
    GetObjectW(Handle, sizeof Info, &Info);
    DeleteObject(Handle);
    EXPECT_EQ(Info.bmWidth, b.Width) << b.Name;
    EXPECT_EQ(Info.bmHeight, b.Height) << b.Name;
    EXPECT_EQ(Info.bmBitsPixel, 24) << b.Name;
  }
}

// The curve image's pen: a colour cursor whose hot spot is the pen's tip.
TEST(ProgramIcon, ScrCarriesThePenCursorWithItsHotSpot) {
  const support::TScrResources Scr(ScrPath());
  ASSERT_NE(Scr.Module(), nullptr) << GetLastError();
  const auto Pen = static_cast<HCURSOR>(LoadImageW(Scr.Module(), L"PEN", IMAGE_CURSOR, 32, 32, 0));
  ASSERT_NE(Pen, nullptr);
  int Width = 0;
  const std::vector<RGBQUAD> Pixels = IconPixels(Pen, Width);
  ICONINFO Info{};
  ASSERT_TRUE(GetIconInfo(Pen, &Info));
  if (Info.hbmColor != nullptr) DeleteObject(Info.hbmColor);
  if (Info.hbmMask != nullptr) DeleteObject(Info.hbmMask);
  DestroyCursor(Pen);
  EXPECT_FALSE(Info.fIcon);
  EXPECT_EQ(Info.xHotspot, 12u);
  EXPECT_EQ(Info.yHotspot, 24u);
  ASSERT_EQ(Pixels.size(), 32u * 32);
  EXPECT_EQ(Pixels[24 * 32 + 12].rgbReserved, 255);
  EXPECT_EQ(Pixels[0].rgbReserved, 0);
}

}  // namespace
}  // namespace emberdell::test
