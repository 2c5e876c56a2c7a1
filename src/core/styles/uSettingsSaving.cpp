#include "core/styles/uSettingsSaving.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/shared/uNumbers.h"
#include "core/styles/uDelimitedText.h"

namespace emberdell {
namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// clang-format off
const TSettingEntry Entries[] = {
  // Key                       Member                                   Save  Migrated
  {"InstallDir",             &TSettings::ProgramDir,                     0,  true},
  {"Active Presets",         &TSettings::ActivePresets,                  1,  true},
  {"Change on startup",      &TSettings::ChangeOnStartup,                3,  true},
  {"Show Preview",           &TSettings::ShowPreview,                    9,  true},
  {"Allow Fadeout",          &TSettings::AllowFadeout,                   6,  true},
  {"Allow Second Monitor",   &TSettings::AllowSecondMonitor,             7,  false},
  {"Ignore Mouse Move",      &TSettings::IgnoreMouseMove,                8,  true},
  {"Changing delay",         &TSettings::ChangingDelay,                  4,  true},
  {"Picture Height",         &TSettings::PictureHeight,                  5,  true},
  {"Fadeout",                &TSettings::FadeoutTime,                   10,  true},
  {"FPS",                    &TSettings::FPS,                           11,  true},
  {"Last Screenshot Number", &TSettings::LastScreenshotNumber,           0,  true},
  {"Play Fire Sound",        &TSettings::PlayFireSound,                 13,  true},
  {"Fire Volume",            &TSettings::FireVolume,                    12,  true},
  {"Play Chimes Sound",      &TSettings::PlayChimesSound,               15,  true},
  {"Chimes Volume",          &TSettings::ChimesVolume,                  14,  true},
  {"Active Backgrounds",     &TSettings::ActiveBackgrounds,              2,  false},
};
// clang-format on

constexpr const char* ScreenshotNumberKey = "Last Screenshot Number";

std::vector<const TSettingEntry*> AllEntries() {
  std::vector<const TSettingEntry*> Result;
  for (const TSettingEntry& E : Entries) Result.push_back(&E);
  return Result;
}

bool IsProfileSpace(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n' || C == '\v' || C == '\f'; }

// The profile functions drop blanks around a value and one pair of matching
// quotes. A value that would lose something that way (a style named 'Hot',
// a folder ending in a blank) is written inside one more pair of quotes, so
// that it reads back as it was.
std::string ProfileText(const std::string& Value) {
  if (Value.empty()) return Value;
  const char First = Value.front(), Last = Value.back();
  const bool Quoted = Value.size() >= 2 && First == Last && (First == '"' || First == '\'');
  if (Quoted || IsProfileSpace(First) || IsProfileSpace(Last)) return '"' + Value + '"';
  return Value;
}

bool ReadText(IProfileStore& Store, const char* Key, std::string& Text) {
  return Store.ReadString(IniSection, Key, Text);
}

// The variable keeps its value when the key is missing or unusable: its
// current value is the default of every read.
void LoadEntry(const TSettingEntry& Entry, IProfileStore& Store, TSettings& Values) {
  std::string Text;
  if (!ReadText(Store, Entry.Key, Text)) return;
  int32_t Number = 0;
  std::visit(Overloaded{
                 // An empty folder would put the styles under the current
                 // directory; keep the executable's folder instead.
                 [&](std::string TSettings::*M) {
                   if (!Text.empty()) Values.*M = Text;
                 },
                 // Unchecking everything comes back as the default entry.
                 [&](std::vector<std::string> TSettings::*M) {
                   if (Text.empty()) return;
                   std::vector<std::string> List = DelimitedTextToList(Text);
                   if (!List.empty()) Values.*M = std::move(List);
                 },
                 [&](bool TSettings::*M) {
                   if (ParseSettingInteger(Text, Number)) Values.*M = Number != 0;
                 },
                 [&](int32_t TSettings::*M) {
                   if (ParseSettingInteger(Text, Number)) Values.*M = Number;
                 },
             },
             Entry.Member);
}

// Registry booleans and integers are 32-bit values; a value of another type
// is treated as missing.
void MigrateEntry(const TSettingEntry& Entry, IRegistrySource& Registry, TSettings& Values) {
  std::string Text;
  uint32_t Number = 0;
  std::visit(Overloaded{
                 [&](std::string TSettings::*M) {
                   if (Registry.ReadString(Entry.Key, Text) && !Text.empty()) Values.*M = Text;
                 },
                 [&](std::vector<std::string> TSettings::*M) {
                   if (!Registry.ReadString(Entry.Key, Text) || Text.empty()) return;
                   std::vector<std::string> List = DelimitedTextToList(Text);
                   if (!List.empty()) Values.*M = std::move(List);
                 },
                 [&](bool TSettings::*M) {
                   if (Registry.ReadDword(Entry.Key, Number)) Values.*M = Number != 0;
                 },
                 [&](int32_t TSettings::*M) {
                   if (Registry.ReadDword(Entry.Key, Number)) Values.*M = static_cast<int32_t>(Number);
                 },
             },
             Entry.Member);
}

// A sharing violation lasts as long as a scanner or an indexer reads the
// file: retried every 100 ms for four seconds before the save gives up and
// says so.
constexpr uint32_t kBusyRetryMs = 100;
constexpr uint32_t kBusyGiveUpMs = 4000;

TStoreResult Failure(const IProfileStore& Store) { return {false, "Unable to write to " + Store.Path()}; }

}  // namespace

std::span<const TSettingEntry> SettingEntries() { return Entries; }

TSaveDecision NextSaveStep(TWriteResult Result, TWriteMode Mode, uint32_t WaitedMs, bool PerUserPossible) {
  switch (Result) {
    case TWriteResult::Written:
      return {TSaveStep::Done};
    case TWriteResult::Busy:
      // A passing hold is no reason to leave the shared file for good.
      return WaitedMs < kBusyGiveUpMs ? TSaveDecision{TSaveStep::Retry, kBusyRetryMs} : TSaveDecision{TSaveStep::Fail};
    case TWriteResult::NoCopy:
      return {Mode == TWriteMode::ThroughCopy ? TSaveStep::WriteInPlace : TSaveStep::Fail};
    case TWriteResult::Denied:
      // Only a file this user can never write is left for a copy of its own.
      return {PerUserPossible ? TSaveStep::PerUserCopy : TSaveStep::Fail};
    case TWriteResult::Locked:
    case TWriteResult::Failed:
      break;
  }
  return {TSaveStep::Fail};
}

bool KeyToWrite(const std::optional<std::string>& Loaded, const std::string& Now,
                const std::optional<std::string>& InFile) {
  if (InFile == Now) return false;
  if (!InFile || !Loaded) return true;
  return *Loaded != Now;
}

std::string SettingText(const TSettingEntry& Entry, const TSettings& Values) {
  return std::visit(Overloaded{
                        [&](std::string TSettings::*M) { return Values.*M; },
                        [&](std::vector<std::string> TSettings::*M) { return ListToDelimitedText(Values.*M); },
                        [&](bool TSettings::*M) { return std::string(Values.*M ? "1" : "0"); },
                        [&](int32_t TSettings::*M) { return std::to_string(Values.*M); },
                    },
                    Entry.Member);
}

bool ParseSettingInteger(const std::string& Text, int32_t& Value) {
  // Leading blanks are what an editor leaves after the "=".
  const size_t P = Text.find_first_not_of(' ');
  int64_t Number = 0;
  if (P == std::string::npos || !ParseDecimal(std::string_view(Text).substr(P), INT32_MIN, INT32_MAX, Number))
    return false;
  Value = static_cast<int32_t>(Number);
  return true;
}

IProfileStore& TSettingsFiles::ReadFrom() {
  return FPerUser != nullptr && FPerUser->Exists() ? *FPerUser : FWindowsDir;
}

bool TSettingsFiles::Changed(const TSettingEntry& Entry, const TSettings& Values) const {
  return !FLoaded || SettingText(Entry, *FLoaded) != SettingText(Entry, Values);
}

TStoreResult TSettingsFiles::Write(std::span<const TSettingEntry* const> List, const TSettings& Values) {
  if (FLock == nullptr) return WriteLocked(List, Values);
  if (!FLock->Acquire()) return Failure(ReadFrom());
  TStoreResult Result = WriteLocked(List, Values);
  FLock->Release();
  return Result;
}

TStoreResult TSettingsFiles::WriteLocked(std::span<const TSettingEntry* const> List, const TSettings& Values) {
  // Decided now, under the lock: a per-user copy another process made a
  // moment ago is the file to build on.
  const bool ToPerUser = FPerUser != nullptr && FPerUser->Exists();
  IProfileStore* Target = ToPerUser ? FPerUser : &FWindowsDir;

  // Keys this process loaded and left alone are not its to write.
  const auto BatchFor = [&](IProfileStore& Store, std::span<const TSettingEntry* const> Keys,
                            const TSettings& From, bool All) {
    std::vector<TProfileValue> Batch;
    const bool Present = Store.Exists();
    for (const TSettingEntry* E : Keys) {
      const std::string Text = SettingText(*E, From);
      std::optional<std::string> Stored;
      if (std::string S; Present && ReadText(Store, E->Key, S)) Stored = std::move(S);
      const std::optional<std::string> Base =
          All || !FLoaded ? std::nullopt : std::optional<std::string>(SettingText(*E, *FLoaded));
      if (KeyToWrite(Base, Text, Stored)) Batch.push_back({E->Key, ProfileText(Text)});
    }
    return Batch;
  };
  // Writes one batch, retrying what passes; says where it ended.
  const auto WriteBatch = [&](IProfileStore& Store, const std::vector<TProfileValue>& Batch, bool PerUserPossible) {
    TWriteMode Mode = TWriteMode::ThroughCopy;
    uint32_t Waited = 0;
    for (;;) {
      const TWriteResult Result = Store.WriteStrings(IniSection, Batch, Mode);
      const TSaveDecision Next = NextSaveStep(Result, Mode, Waited, PerUserPossible);
      switch (Next.Step) {
        case TSaveStep::Retry:
          if (FLock != nullptr) FLock->Pause(Next.WaitMs);
          Waited += Next.WaitMs;
          break;
        case TSaveStep::WriteInPlace:
          Mode = TWriteMode::InPlace;
          break;
        default:
          return Next.Step;
      }
    }
  };
  const auto Remember = [&](std::span<const TSettingEntry* const> Keys, const TSettings& From) {
    if (FLoaded)
      for (const TSettingEntry* E : Keys) std::visit([&](auto M) { (*FLoaded).*M = From.*M; }, E->Member);
  };

  const std::vector<TProfileValue> Batch = BatchFor(*Target, List, Values, false);
  if (Batch.empty()) {
    Remember(List, Values);
    return {};
  }
  const TSaveStep Step = WriteBatch(*Target, Batch, !ToPerUser && FPerUser != nullptr);
  if (Step == TSaveStep::Done) {
    Remember(List, Values);
    return {};
  }
  if (Step != TSaveStep::PerUserCopy) return Failure(*Target);

  // The new per-user copy replaces the shared file for every later read, so
  // it gets every setting: what this process changed, and for every other
  // key what the shared file holds now.
  TSettings Complete = Values;
  for (const TSettingEntry& E : Entries) {
    const bool Ours = std::find(List.begin(), List.end(), &E) != List.end() && Changed(E, Values);
    if (!Ours) LoadEntry(E, FWindowsDir, Complete);
  }
  const std::vector<const TSettingEntry*> All = AllEntries();
  // Both files failed: the message names the per-user one, the last tried
  // and the one that would have been used from now on.
  if (WriteBatch(*FPerUser, BatchFor(*FPerUser, All, Complete, true), false) != TSaveStep::Done)
    return Failure(*FPerUser);
  Remember(List, Values);
  return {};
}

std::string SharedIniPath(const std::string& WindowsDir) { return WindowsDir + IniFileName; }

std::string PerUserIniPath(const std::string& AppDataDir) {
  return UserDataDirFor(AppDataDir) + IniFileName;
}

void LoadSettings(TSettings& Values, TSettingsFiles& Files) {
  IProfileStore& Store = Files.ReadFrom();
  for (const TSettingEntry& E : Entries) LoadEntry(E, Store, Values);
  // The installer writes "InstallDir" into the shared file for every user of
  // the machine. A per-user copy made earlier holds the folder of that time
  // (often the executable's own), which would hide the installed styles from
  // the copy in the system folder.
  IProfileStore& Shared = Files.Shared();
  if (&Store != &Shared) LoadEntry(Entries[0], Shared, Values);
  Files.Loaded(Values);
}

TStoreResult SaveSettings(const TSettings& Values, TSettingsFiles& Files) {
  std::vector<const TSettingEntry*> List;
  for (const TSettingEntry& E : Entries)
    if (E.SaveRank > 0) List.push_back(&E);
  std::stable_sort(List.begin(), List.end(), [](auto* A, auto* B) { return A->SaveRank < B->SaveRank; });
  return Files.Write(List, Values);
}

TStoreResult SaveScreenshotNumber(const TSettings& Values, TSettingsFiles& Files) {
  for (const TSettingEntry& E : Entries)
    if (std::strcmp(E.Key, ScreenshotNumberKey) == 0) {
      const TSettingEntry* One[] = {&E};
      return Files.Write(One, Values);
    }
  return {};
}

TStoreResult MigrateRegistrySettings(TSettings& Values, IRegistrySource& Registry, TSettingsFiles& Files) {
  if (!Registry.Exists()) return {};
  std::vector<const TSettingEntry*> List;
  for (const TSettingEntry& E : Entries)
    if (E.Migrated) {
      MigrateEntry(E, Registry, Values);
      List.push_back(&E);
    }
  // "InstallDir" is written whether or not the registry had it.
  TStoreResult Result = Files.Write(List, Values);
  if (Result) Registry.DeleteKey();
  return Result;
}

}  // namespace emberdell
