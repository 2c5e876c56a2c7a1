#include "core/settings/uPresetEditor.h"
#include "core/shared/uText.h"

#include <algorithm>

namespace emberdell {

std::string SaveChangesQuestion(const std::string& Name) {
  return "Preset \"" + Name + "\" was changed. Do you wish to save changes?";
}

std::string DeleteQuestion(const std::string& Name) { return "Are you sure to delete \"" + Name + "\" preset ?"; }

int FlameIntensityPosition(const TFlamePreset& Preset) {
  return std::clamp<int>(Preset.FlameIntensity, FlameIntensityMin, FlameIntensityMax);
}

int WindPosition(const TFlamePreset& Preset) { return std::clamp<int>(Preset.Wind, WindMin, WindMax); }

std::string EntryOfStoredName(const std::vector<std::string>& Names, const std::string& Stored) {
  std::string Found;
  int Matches = 0;
  for (const std::string& Name : Names) {
    if (Name == Stored) return Name;
    if (IsStoredNameOf(Stored, Name)) {
      Found = Name;
      ++Matches;
    }
  }
  return Matches == 1 ? Found : std::string();
}

TPresetEditor::TPresetEditor(IPresetEditorSite& Site) : FSite(Site) {}

std::string TPresetEditor::SelectedName() const { return FSelected >= 0 ? FNames[size_t(FSelected)] : std::string(); }

int TPresetEditor::Find(const std::string& Name) const {
  for (size_t i = 0; i < FNames.size(); ++i)
    if (SameText(FNames[i], Name)) return int(i);
  return -1;
}

void TPresetEditor::FillList(const std::vector<std::string>& Names) {
  FNames = Names;
  if (Find(RandomPresetName) < 0) FNames.push_back(RandomPresetName);
  // The entry the style being edited came from, or none.
  FSelected = -1;
  const std::string Entry = EntryOfStoredName(FNames, PresetName(FPreset));
  for (size_t i = 0; i < FNames.size() && !Entry.empty(); ++i)
    if (FNames[i] == Entry) FSelected = int(i);
}

void TPresetEditor::Adopt(const TFlamePreset& Preset) { FPreset = Preset; }

void TPresetEditor::SetPresetChanged() {
  if (PresetName(FPreset) != RandomPresetName) FChanged = true;
}

void TPresetEditor::Load(const std::string& Name) {
  // An empty name has no file; it stands for "nothing selected", which shows
  // a random style as a missing file would.
  if (Name.empty())
    FSite.MakeRandomPreset(FPreset);
  else
    FSite.LoadPreset(Name, FPreset);
  FSite.Publish(FPreset);
}

std::string TPresetEditor::SaveName() const {
  // A long name is stored cut; the style the user chose is still the one
  // whose whole name the list shows, and a file of the cut name may be
  // another style altogether.
  const std::string Stored = PresetName(FPreset);
  const std::string Entry = SelectedName();
  if (!Entry.empty() && !SameText(Stored, Entry) && IsStoredNameOf(Stored, Entry)) return Entry;
  return Stored;
}

void TPresetEditor::ShowPreset() {
  // The trackbars cannot show a value outside their range; the style takes
  // the value they show, so what burns is what the editor says.
  const int Intensity = FlameIntensityPosition(FPreset), Wind = WindPosition(FPreset);
  if (Intensity != FPreset.FlameIntensity || Wind != FPreset.Wind) {
    FPreset.FlameIntensity = Intensity;
    FPreset.Wind = Wind;
    FSite.Publish(FPreset);
  }
  FCurves.Show(CurvesOf(FPreset));
  FChanged = false;
  FDeleteEnabled = PresetName(FPreset) != RandomPresetName;
}

void TPresetEditor::UpdateDeleteButton() {
  const std::string Entry = SelectedName();
  if (Entry == RandomPresetName || Entry == DefaultPresetName) FDeleteEnabled = false;
}

void TPresetEditor::AskSaveChangedPreset() {
  if (FChanged) {
    const std::string Name = SaveName();
    if (FSite.AskYesNo(SaveChangesQuestion(Name), false)) {
      btnSaveClick();
    } else {
      Load(Name);
      ShowPreset();
      UpdateDeleteButton();
    }
  }
  FChanged = false;
}

void TPresetEditor::SelectPreset(const std::string& Name) {
  if (FDeleting) return;
  if (!FChoosing.empty() && SameText(FChoosing, Name)) return;
  AskSaveChangedPreset();
  Load(Name);
  FSelected = Name.empty() ? -1 : Find(Name);
  ShowPreset();
  UpdateDeleteButton();
}

void TPresetEditor::cbCurrentPresetChange(const std::string& Entry) {
  AskSaveChangedPreset();
  FSelected = Entry.empty() ? -1 : Find(Entry);
  Load(Entry);
  if (FSelected >= 0) {
    FChoosing = Entry;
    FSite.PresetChosen(Entry);
    FChoosing.clear();
  }
  ShowPreset();
  UpdateDeleteButton();
}

bool TPresetEditor::btnSaveClick() {
  const TSaveResult Result = FSite.SavePreset(SaveName(), FPreset);
  if (!Result) {
    FSite.ShowError(Result.Message);
    return false;
  }
  FChanged = false;
  return true;
}

bool TPresetEditor::btnSaveAsClick(const std::string& Name) {
  const std::string Error = FSite.NameError(Name);
  if (!Error.empty()) {
    FSite.ShowError(Error);
    return false;
  }
  const int Existing = Find(Name);
  FSelected = Existing;
  SetPresetName(FPreset, Name);
  FSite.Publish(FPreset);
  const TSaveResult Result = FSite.SavePreset(Name, FPreset);
  if (!Result) {
    // The style keeps its new name; the list and the tree stay as they were.
    FSite.ShowError(Result.Message);
    return true;
  }
  ShowPreset();
  FChanged = false;
  if (Existing < 0) {
    FNames.push_back(Name);
    FSelected = int(FNames.size()) - 1;
    // The tree selects its new node, which loads the style just saved.
    FSite.PresetAdded(Name);
  }
  UpdateDeleteButton();
  return true;
}

void TPresetEditor::btnDeleteClick() {
  // The file named in the list goes: that is what the user was asked about,
  // and the list and tree entries that go with it name the same file.
  const std::string Name = SelectedName();
  if (Name.empty() || Name == RandomPresetName || Name == DefaultPresetName) return;
  if (!FSite.AskYesNo(DeleteQuestion(Name), true)) return;
  const TSaveResult Result = FSite.DeletePreset(Name);
  if (!Result) {
    FSite.ShowError(Result.Message);
    return;
  }
  // By name, not by the selected index: the tree may move its selection (and
  // so ours) while its node goes.
  FDeleting = true;
  const int Index = Find(Name);
  if (Index >= 0) FNames.erase(FNames.begin() + Index);
  FSelected = -1;
  FSite.PresetDeleted(Name);
  FDeleting = false;
  FChanged = false;
  // The first entry of the list as the user sees it, sorted without regard
  // to case.
  std::string First;
  for (const std::string& n : FNames)
    if (First.empty() || LowerAscii(n) < LowerAscii(First)) First = n;
  cbCurrentPresetChange(First);
}

void TPresetEditor::tbSpLenChange(int Position) {
  const int Value = std::clamp(Position, FlameIntensityMin, FlameIntensityMax);
  FPreset.FlameIntensity = Value;
  FPreset.SpiresLength = Value;
  FSite.Publish(FPreset);
  SetPresetChanged();
}

void TPresetEditor::tbWindChange(int Position) {
  FPreset.Wind = std::clamp(Position, WindMin, WindMax);
  FSite.Publish(FPreset);
  SetPresetChanged();
}

bool TPresetEditor::imDrawMouseUp() {
  TCurves Curves;
  if (!FCurves.MouseUp(Curves)) return false;
  SetCurves(FPreset, Curves);
  FSite.Publish(FPreset);
  SetPresetChanged();
  return true;
}

}  // namespace emberdell
