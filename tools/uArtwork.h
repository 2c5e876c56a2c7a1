// Emberdell's artwork, drawn at build time: the settings window's group icons,
// tab and tree pictures, the About page's logo, the performance dialog's
// monitor and the program icon. Every piece comes from the same few shapes and
// the same fire palette, so they read as one family at any size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace emberdell {

struct TRgba {
  uint8_t R, G, B, A;
  bool operator==(const TRgba&) const = default;
};

// Straight (not premultiplied) alpha, top row first.
struct TArtImage {
  int Width = 0, Height = 0;
  std::vector<TRgba> Pixels;
  TArtImage() = default;
  TArtImage(int W, int H, TRgba Fill = {0, 0, 0, 0}) : Width(W), Height(H), Pixels(size_t(W) * H, Fill) {}
  TRgba& At(int X, int Y) { return Pixels[size_t(Y) * Width + X]; }
  const TRgba& At(int X, int Y) const { return Pixels[size_t(Y) * Width + X]; }
};

// The settings window's group icons, in the order of their resource names.
enum class TGroupIcon { Support, EditPreset, ChangePresets, Exit, Screenshot, Sound, Performance, Background };
inline constexpr TGroupIcon AllGroupIcons[] = {TGroupIcon::Support,    TGroupIcon::EditPreset, TGroupIcon::ChangePresets,
                                               TGroupIcon::Exit,       TGroupIcon::Screenshot, TGroupIcon::Sound,
                                               TGroupIcon::Performance, TGroupIcon::Background};
// "SUPPORT", "EDITPRESET", ...: the resource is "PIC32_" plus this.
const char* GroupIconName(TGroupIcon Icon);
// The sizes a group icon file holds: 32 at 96 DPI and what 120, 144 and 192 DPI ask for.
inline constexpr int GroupIconSizes[] = {32, 40, 48, 64};
TArtImage GroupIcon(TGroupIcon Icon, int Size);

// Four 20 x 20 tab pictures side by side: information, gear, landscape, flame.
inline constexpr int TabPictureSize = 20, TabPictureCount = 4;
TArtImage TabPictures();
// Eight 16 x 16 tree pictures: empty box, ticked box, closed folder, open
// folder, each followed by its greyed form.
inline constexpr int TreePictureSize = 16, TreePictureCount = 8;
TArtImage TreePictures();

// The About page's banner, 447 x 78 times Zoom; opaque.
inline constexpr int LogoWidth = 447, LogoHeight = 78;
TArtImage Logo(int Zoom = 1);

// The performance dialog's monitor, 89 x 80 and opaque: pure white around the
// monitor (its transparent colour) and nowhere on it.
inline constexpr int MonitorWidth = 89, MonitorHeight = 80;
struct TArtRect {
  int Left, Top, Right, Bottom;  // right and bottom exclusive
};
inline constexpr TArtRect MonitorScreenRect{6, 8, 82, 64};
TArtImage MonitorPicture();

// The program's own icon, at any size; the file holds these.
inline constexpr int ProgramIconSizes[] = {16, 24, 32, 48, 256};
TArtImage ProgramIcon(int Size);

// File forms. An icon file holds its images in the order given; 256-pixel
// images are stored as PNG, smaller ones as 32-bit bitmaps with an AND mask.
std::vector<uint8_t> IconFile(const std::vector<TArtImage>& Images);
// A 24-bit bottom-up bitmap file. Pixels under MaskAlpha become MaskColour;
// the others are blended over Matte (the colour the picture is shown on).
std::vector<uint8_t> BitmapFile(const TArtImage& Image, TRgba MaskColour = {255, 0, 255, 255},
                                TRgba Matte = {255, 255, 255, 255}, uint8_t MaskAlpha = 80);
// A PNG file (RGBA, stored deflate blocks: the files are small and this
// keeps the generator free of libraries).
std::vector<uint8_t> PngFile(const TArtImage& Image);

// Copies of Image enlarged by whole pixels and laid over Background, for looking at.
TArtImage Preview(const TArtImage& Image, int Zoom, TRgba Background);

// Writes every piece into Folder; false with Error set when a file cannot be written.
bool WriteArtwork(const std::string& Folder, std::string& Error);

}  // namespace emberdell
