// Flame styles: the 804-byte record that is also the whole style file, the
// style folder, and the random and morphing rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace emberdell {

// Little-endian, naturally aligned: the three bytes after the name are the
// alignment gap the files carry.
struct TFlamePreset {
  uint8_t NameLength;     // 0..20
  char NameChars[20];     // ANSI; bytes past NameLength mean nothing
  uint8_t Gap[3];
  int32_t FlameIntensity; // sparks start with a chance of 1 in (22 - 2 * FlameIntensity)
  int32_t SpiresLength;   // set by the editor's "Flame intensity" slider, 1..10
  int32_t Wind;           // only the sign counts
  uint8_t Red[256];       // 255 minus the channel's intensity, by temperature
  uint8_t Green[256];
  uint8_t Blue[256];
};
static_assert(sizeof(TFlamePreset) == 804, "style files are 804 bytes");
static_assert(offsetof(TFlamePreset, FlameIntensity) == 24);
static_assert(offsetof(TFlamePreset, SpiresLength) == 28);
static_assert(offsetof(TFlamePreset, Wind) == 32);
static_assert(offsetof(TFlamePreset, Red) == 36);
static_assert(offsetof(TFlamePreset, Green) == 292);
static_assert(offsetof(TFlamePreset, Blue) == 548);

inline constexpr const char* RandomPresetName = "(Random Preset)";
inline constexpr const char* DefaultPresetName = "(Default) Wood";
inline constexpr const char* PresetExtension = ".wyk";

// The stored name as UTF-8. Names this version stores are UTF-8 or, where
// the ANSI code page holds them, ANSI; the older version's are ANSI. Bytes
// that read as neither show with replacement characters.
std::string PresetName(const TFlamePreset& Preset);
// Stores as much of Name (UTF-8) as fits, cut only between characters: in
// the ANSI code page when it holds the whole name and those bytes read back
// as that name, so that the older version reads it too and 20 characters
// fit; else as UTF-8.
void SetPresetName(TFlamePreset& Preset, const std::string& Name);
// True when a style saved under the file name FileName may carry Stored as
// its name: the same name, or FileName cut to fit the record, as this
// version cuts it or as the older one did (its first 20 characters).
bool IsStoredNameOf(const std::string& Stored, const std::string& FileName);

// The folder is ProgramDir + "Flame Presets\"; callers pass it with its
// trailing separator, and a style called N is the file Folder + N + ".wyk".
std::string PresetFileName(const std::string& Folder, const std::string& Name);

// The run-time error text for an operating-system error of a failed write.
std::string IOErrorMessage(int Code);
// Maps a C library errno value to the error number the messages use.
int IOErrorFromErrno(int Errno);

struct TSaveResult {
  int Code = 0;         // 0 on success
  std::string Message;  // the run-time error text when Code != 0
  explicit operator bool() const { return Code == 0; }
};

// A name that would leave the style folder or that Windows cannot use as a
// file name: separators, a drive colon, forbidden or control characters,
// "." and "..", device names.
bool IsValidPresetName(const std::string& Name);

// Reads the first record of a file; false when it is missing, shorter than a
// record or unreadable. Bytes after the first 804 are ignored.
bool ReadPresetFile(const std::string& FileName, TFlamePreset& Preset);

// Names of the style files in Folder (file name less its last four characters).
std::vector<std::string> GetPresetNames(const std::string& Folder);
// Fills Preset from the named style; any failure gives a random style.
void LoadPreset(const std::string& Folder, const std::string& Name, TFlamePreset& Preset);
// Writes Preset under Name with its stored name set from Name. The folder is
// created if needed; an existing file is replaced only once the new one is
// written whole.
TSaveResult SavePreset(const std::string& Folder, const std::string& Name, const TFlamePreset& Preset);
// Deletes the style file; the outcome is not reported.
void DeletePreset(const std::string& Folder, const std::string& Name);

// One random curve: dark up to temperature A, then rising with the slope
// B / (255 - A) (a double), each value rounded half to even in extended
// precision and limited to 255.
void MakeRandomCurve(int A, int B, uint8_t* Curve);

// A new random style named "(Random Preset)"; name bytes past the name and the
// gap are left as they were.
void MakeRandomPreset(TFlamePreset& Preset);
// A random entry of Active loaded from Folder; a random style when Active is empty.
void LoadRandomActivePreset(const std::string& Folder, const std::vector<std::string>& Active,
                            TFlamePreset& Preset);
// One step of Current toward Target; never passes the target. The name stays.
void MorphPreset(TFlamePreset& Current, const TFlamePreset& Target);

}  // namespace emberdell
