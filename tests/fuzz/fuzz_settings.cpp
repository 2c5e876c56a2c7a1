// Loading every setting from a hand-edited settings file: the input is the
// file's "Key=Value" lines, served by a profile store in memory.
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "core/host/uGlobals.h"
#include "core/styles/uSettingsSaving.h"

using namespace emberdell;

namespace {

class TMemoryStore final : public IProfileStore {
 public:
  explicit TMemoryStore(const std::string& Text) {
    size_t At = 0;
    while (At <= Text.size()) {
      size_t End = Text.find('\n', At);
      if (End == std::string::npos) End = Text.size();
      const std::string Line = Text.substr(At, End - At);
      const size_t Equals = Line.find('=');
      if (Equals != std::string::npos) FValues[Line.substr(0, Equals)] = Line.substr(Equals + 1);
      At = End + 1;
    }
  }
  std::string Path() const override { return "C:\\WINDOWS\\Emberdell Screensaver.ini"; }
  bool Exists() override { return true; }
  bool ReadString(const std::string& Section, const std::string& Key, std::string& Value) override {
    if (Section != "Main") return false;
    const auto Found = FValues.find(Key);
    if (Found == FValues.end()) return false;
    // As the profile functions hand a value back: a C string without the
    // blanks around it and without one pair of matching quotes.
    Value = Found->second.substr(0, Found->second.find('\0'));
    const auto Blank = [](char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n' || C == '\v' || C == '\f'; };
    while (!Value.empty() && Blank(Value.back())) Value.pop_back();
    size_t Lead = 0;
    while (Lead < Value.size() && Blank(Value[Lead])) ++Lead;
    Value.erase(0, Lead);
    if (Value.size() >= 2 && Value.front() == Value.back() && (Value.front() == '"' || Value.front() == '\''))
      Value = Value.substr(1, Value.size() - 2);
    return true;
  }
  TWriteResult WriteStrings(const std::string&, std::span<const TProfileValue> Values, TWriteMode) override {
    for (const TProfileValue& V : Values) FValues[V.Key] = V.Value;
    return TWriteResult::Written;
  }

 private:
  std::map<std::string, std::string> FValues;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemoryStore Store(std::string(reinterpret_cast<const char*>(Data), Size));
  TSettingsFiles Files(Store);
  TSettings Values;
  LoadSettings(Values, Files);
  // What was loaded is used as a run uses it, and saved back.
  (void)FrameInterval(Values.FPS);
  (void)PictureHeightForRun(Values.PictureHeight);
  (void)VolumeForRun(Values.FireVolume);
  if (!SaveSettings(Values, Files)) __builtin_trap();
  // A second load of what was saved gives the same settings, however long
  // the lists: values are read whole, as the real store reads them.
  TSettings Again;
  LoadSettings(Again, Files);
  if (!(Again == Values)) __builtin_trap();
  return 0;
}
