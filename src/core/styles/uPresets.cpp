#include "core/styles/uPresets.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/shared/uFileUtils.h"
#include "core/shared/uPrecision.h"
#include "core/shared/uRandom.h"
#include "core/shared/uText.h"
#include "core/shared/uUnicode.h"

namespace emberdell {

namespace {

std::string StoredNameText(std::string_view Stored) {
  if (IsValidUtf8(Stored)) return std::string(Stored);
  std::string Text;
  if (AnsiToUtf8(Stored, Text)) return Text;
  return ValidUtf8(Stored);
}

void StoreName(TFlamePreset& Preset, std::string_view Bytes) {
  Preset.NameLength = static_cast<uint8_t>(Bytes.size());
  std::memcpy(Preset.NameChars, Bytes.data(), Bytes.size());
}

// The ANSI form of the longest start of Name that fits the record, or
// nothing when the code page cannot hold Name or its bytes would read back
// as another name (ANSI bytes that happen to form UTF-8 read as UTF-8).
bool AnsiStoredName(const std::string& Name, std::string& Stored) {
  std::string Whole;
  if (!Utf8ToAnsi(Name, Whole)) return false;
  // A double-byte code page may need more bytes than characters, so the
  // cut is found by characters.
  for (size_t Count = sizeof(TFlamePreset::NameChars); Count > 0; --Count) {
    const std::string Prefix = Name.substr(0, Utf8CharsLength(Name, Count));
    if (!Utf8ToAnsi(Prefix, Stored) || Stored.size() > sizeof(TFlamePreset::NameChars)) continue;
    return StoredNameText(Stored) == Prefix;
  }
  Stored.clear();
  return Name.empty();
}

}  // namespace

std::string PresetName(const TFlamePreset& Preset) {
  return StoredNameText(
      std::string_view(Preset.NameChars, std::min<size_t>(Preset.NameLength, sizeof Preset.NameChars)));
}

void SetPresetName(TFlamePreset& Preset, const std::string& Name) {
  std::string Ansi;
  if (AnsiStoredName(Name, Ansi)) {
    StoreName(Preset, Ansi);
    return;
  }
  // A cut inside a character would leave a stored name that reads as
  // another one.
  StoreName(Preset, std::string_view(Name).substr(0, Utf8FitLength(Name, sizeof Preset.NameChars)));
}

bool IsStoredNameOf(const std::string& Stored, const std::string& FileName) {
  if (SameText(Stored, FileName)) return true;
  TFlamePreset Probe{};
  SetPresetName(Probe, FileName);
  if (SameText(Stored, PresetName(Probe))) return true;
  return SameText(Stored, FileName.substr(0, Utf8CharsLength(FileName, sizeof Probe.NameChars)));
}

std::string PresetFileName(const std::string& Folder, const std::string& Name) {
  return Folder + Name + PresetExtension;
}

std::string IOErrorMessage(int Code) {
  switch (Code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 101: return "Disk full";
    default: return "I/O error " + std::to_string(Code);
  }
}

int IOErrorFromErrno(int Errno) {
  switch (Errno) {
    case ENOENT: return 2;
    case EINVAL: case ENAMETOOLONG: case ENOTDIR: return 3;
    case EMFILE: case ENFILE: return 4;
    case EACCES: case EPERM: case EROFS: case EISDIR: case EEXIST: return 5;
    case ENOSPC: return 101;
    default: return Errno;
  }
}

bool IsValidPresetName(const std::string& Name) {
  if (Name.empty() || Name == "." || Name == ".." || !IsValidUtf8(Name)) return false;
  for (unsigned char c : Name) {
    if (c < 32) return false;
    if (std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
  }
  // "CON.wyk" and its kin open a device, not a file in the folder.
  std::string Upper;
  for (char c : Name) Upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string Stem = Upper.substr(0, Upper.find('.'));
  static const char* const Devices[] = {"CON", "PRN", "AUX", "NUL"};
  for (const char* d : Devices)
    if (Stem == d) return false;
  if (Stem.size() == 4 && (Stem.rfind("COM", 0) == 0 || Stem.rfind("LPT", 0) == 0) &&
      Stem[3] >= '1' && Stem[3] <= '9')
    return false;
  return true;
}

bool ReadPresetFile(const std::string& FileName, TFlamePreset& Preset) {
  std::FILE* f = OpenFile(FileName, "rb");
  if (f == nullptr) return false;
  TFlamePreset Record;
  const bool Ok = std::fread(&Record, sizeof Record, 1, f) == 1;
  std::fclose(f);
  if (Ok) Preset = Record;
  return Ok;
}

std::vector<std::string> GetPresetNames(const std::string& Folder) {
  std::vector<std::string> Names;
  // The search pattern "*.wyk" matches the extension without regard to case.
  for (const std::string& File : ListFiles(Folder, PresetExtension))
    Names.push_back(File.substr(0, File.size() - 4));
  return Names;
}

void LoadPreset(const std::string& Folder, const std::string& Name, TFlamePreset& Preset) {
  if (!ReadPresetFile(PresetFileName(Folder, Name), Preset)) MakeRandomPreset(Preset);
}

TSaveResult SavePreset(const std::string& Folder, const std::string& Name, const TFlamePreset& Preset) {
  TSaveResult Result;
  if (!IsValidPresetName(Name)) {
    Result.Code = 3;
    Result.Message = IOErrorMessage(3);
    return Result;
  }
  TFlamePreset Copy = Preset;
  SetPresetName(Copy, Name);
  std::error_code Ec;
  CreateFolders(Folder, Ec);  // a failure shows when the file is opened

  // Write beside the old file and replace it only when the new record is
  // complete, so a full disk never leaves a style cut short.
  const std::string Target = PresetFileName(Folder, Name);
  const std::string Temp = Target + ".tmp";
  auto Fail = [&](int Errno) {
    Result.Code = IOErrorFromErrno(Errno);
    Result.Message = IOErrorMessage(Result.Code);
    return Result;
  };
  errno = 0;
  std::FILE* f = OpenFile(Temp, "wb");
  if (f == nullptr) return Fail(errno != 0 ? errno : EACCES);
  const bool Written = std::fwrite(&Copy, sizeof Copy, 1, f) == 1;
  int WriteErrno = errno;
  const bool Closed = std::fclose(f) == 0;
  if (!Closed && WriteErrno == 0) WriteErrno = errno;
  // Some C libraries (Wine's among them) let fclose succeed when its last
  // flush found the disk full, leaving an empty file: only what reads back
  // from the disk counts as written.
  TFlamePreset Back;
  const bool Whole = Written && Closed && ReadPresetFile(Temp, Back) && std::memcmp(&Back, &Copy, sizeof Copy) == 0;
  if (!Whole) {
    RemoveFile(Temp, Ec);
    return Fail(WriteErrno != 0 ? WriteErrno : ENOSPC);
  }
  if (!RenameFile(Temp, Target, Ec)) {
    RemoveFile(Temp, Ec);
    return Fail(EACCES);
  }
  return Result;
}

void DeletePreset(const std::string& Folder, const std::string& Name) {
  std::error_code Ec;
  RemoveFile(PresetFileName(Folder, Name), Ec);
}

namespace {

template <typename T>
void MorphValue(T& Current, T Target, int Divisor) {
  const int d = static_cast<int>(Target) - static_cast<int>(Current);
  const int Sign = (d > 0) - (d < 0);
  Current = static_cast<T>(static_cast<int>(Current) + d / Divisor + Sign);
}

}  // namespace

void MakeRandomCurve(int A, int B, uint8_t* Curve) {
  const double Slope = static_cast<double>(B) / (255 - A);
  TExtendedPrecision Precision;
  for (int i = std::max(A, 0); i <= 255; ++i) {
    // (i - A) x Slope is exact in extended precision; only the rounding counts.
    int v = static_cast<int>(RoundHalfEven(TExtended(i - A) * TExtended(Slope)));
    if (v > 255) v = 255;
    Curve[i] = static_cast<uint8_t>(255 - v);
  }
}

namespace {
void MakeRandomChannel(uint8_t* Curve, uint32_t BRange) {
  int a = static_cast<int>(Random(276)) - 20;
  if (a >= 255) a = 254;
  const int b = static_cast<int>(Random(BRange));
  MakeRandomCurve(a, b, Curve);
}
}  // namespace

void MakeRandomPreset(TFlamePreset& Preset) {
  std::memset(Preset.Red, 255, sizeof Preset.Red);
  std::memset(Preset.Green, 255, sizeof Preset.Green);
  std::memset(Preset.Blue, 255, sizeof Preset.Blue);
  Preset.FlameIntensity = 5 + static_cast<int32_t>(Random(6));
  Preset.SpiresLength = 5 + static_cast<int32_t>(Random(6));
  Preset.Wind = static_cast<int32_t>(Random(3)) - 1;
  MakeRandomChannel(Preset.Red, 600);
  MakeRandomChannel(Preset.Green, 400);
  MakeRandomChannel(Preset.Blue, 400);
  Preset.NameLength = 15;
  std::memcpy(Preset.NameChars, RandomPresetName, 15);
}

void LoadRandomActivePreset(const std::string& Folder, const std::vector<std::string>& Active,
                            TFlamePreset& Preset) {
  if (Active.empty()) {
    MakeRandomPreset(Preset);
    return;
  }
  const uint32_t Index = Random(static_cast<uint32_t>(Active.size()));
  LoadPreset(Folder, Active[Index], Preset);
}

void MorphPreset(TFlamePreset& Current, const TFlamePreset& Target) {
  for (int i = 0; i < 256; ++i) {
    MorphValue(Current.Red[i], Target.Red[i], 16);
    MorphValue(Current.Green[i], Target.Green[i], 16);
    MorphValue(Current.Blue[i], Target.Blue[i], 16);
  }
  // Wider than 32 bits so that hand-edited extremes cannot overflow.
  auto Step = [](int32_t& c, int32_t t) {
    const int64_t d = static_cast<int64_t>(t) - c;
    const int64_t Sign = (d > 0) - (d < 0);
    c = static_cast<int32_t>(c + d / 2 + Sign);
  };
  Step(Current.FlameIntensity, Target.FlameIntensity);
  Step(Current.SpiresLength, Target.SpiresLength);
  Step(Current.Wind, Target.Wind);
}

}  // namespace emberdell
