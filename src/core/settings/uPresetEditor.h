// The flame style editor's decisions on plain data: the drop-down list of
// styles, the style being edited, its change mark, the save prompt and the
// Save, "Save As..." and Delete flows. The window shows what this holds and
// answers its questions through IPresetEditorSite.
#pragma once

#include <string>
#include <vector>

#include "core/settings/uCurveEditor.h"
#include "core/shared/uText.h"
#include "core/styles/uPresets.h"

namespace emberdell {

std::string SaveChangesQuestion(const std::string& Name);
std::string DeleteQuestion(const std::string& Name);

// The "Flame intensity" trackbar shows FlameIntensity, the spark rate the
// engine reads, and sets both it and SpiresLength, so a saved file carries
// one value in both.
inline constexpr int FlameIntensityMin = 1, FlameIntensityMax = 10;
inline constexpr int WindMin = -1, WindMax = 1;
int FlameIntensityPosition(const TFlamePreset& Preset);
int WindPosition(const TFlamePreset& Preset);

// The entry of Names a style with the stored name Stored came from: the one
// of that very name, else the only one it is a cut of (see IsStoredNameOf);
// "" when there is none or no telling which.
std::string EntryOfStoredName(const std::vector<std::string>& Names, const std::string& Stored);

// What the editor needs from outside: files, questions, the style tree.
class IPresetEditorSite {
 public:
  virtual ~IPresetEditorSite() = default;
  virtual bool AskYesNo(const std::string& Text, bool Warning) = 0;  // true for Yes
  virtual void ShowError(const std::string& Message) = 0;
  virtual void LoadPreset(const std::string& Name, TFlamePreset& Preset) = 0;
  virtual TSaveResult SavePreset(const std::string& Name, const TFlamePreset& Preset) = 0;
  virtual TSaveResult DeletePreset(const std::string& Name) = 0;
  virtual void MakeRandomPreset(TFlamePreset& Preset) = 0;
  // Why Name cannot be a style's name, or "" when it can.
  virtual std::string NameError(const std::string& Name) = 0;
  // CurrentPreset := Preset, as the frame thread must see it.
  virtual void Publish(const TFlamePreset& Preset) = 0;
  // The style tree (see IPresetsTabHost).
  virtual void PresetAdded(const std::string& Name) = 0;
  virtual void PresetDeleted(const std::string& Name) = 0;
  virtual void PresetChosen(const std::string& Name) = 0;
};

class TPresetEditor {
 public:
  explicit TPresetEditor(IPresetEditorSite& Site);

  // --- what the controls show
  const TFlamePreset& Preset() const { return FPreset; }
  TCurveEditor& Curves() { return FCurves; }
  // The list's entries in no particular order (the drop-down list sorts).
  const std::vector<std::string>& Names() const { return FNames; }
  // The selected entry's text, or "" when none is selected.
  std::string SelectedName() const;
  bool HasSelection() const { return FSelected >= 0; }
  bool PresetChanged() const { return FChanged; }
  bool SaveEnabled() const { return FChanged; }
  bool DeleteEnabled() const { return FDeleteEnabled; }

  // --- the settings window's calls
  void FillList(const std::vector<std::string>& Names);
  // Takes Preset as the style being edited (CurrentPreset when the window opens).
  void Adopt(const TFlamePreset& Preset);
  // A style chosen in the tree: the prompt, then load Name ("" means the
  // tree's selection went empty: a random style), select its list entry.
  void SelectPreset(const std::string& Name);
  void AskSaveChangedPreset();
  void ShowPreset();
  void ResetPresetChanged() { FChanged = false; }
  void UpdateDeleteButton();

  // --- the tab's own controls
  void cbCurrentPresetChange(const std::string& Entry);  // "" for no entry
  // Writes the chosen entry's file when the stored name is that entry's name
  // cut to fit the record, else the file of the stored name. False when the
  // save failed.
  bool btnSaveClick();
  // Name as typed. A name the site refuses is reported and nothing is
  // written; false then, so the dialog can ask again.
  bool btnSaveAsClick(const std::string& Name);
  void btnDeleteClick();
  void tbSpLenChange(int Position);
  void tbWindChange(int Position);
  void ChannelsChange(unsigned Channels) { FCurves.SetChannels(Channels); }
  void imDrawMouseDown(int X, int Y) { FCurves.MouseDown(X, Y); }
  bool imDrawMouseMove(int X, int Y) { return FCurves.MouseMove(X, Y); }
  bool imDrawMouseUp();

 private:
  void SetPresetChanged();
  void Load(const std::string& Name);
  // The style "Save" writes and the prompt's "No" reloads.
  std::string SaveName() const;
  int Find(const std::string& Name) const;

  IPresetEditorSite& FSite;
  TFlamePreset FPreset{};
  TCurveEditor FCurves;
  std::vector<std::string> FNames;
  int FSelected = -1;
  bool FChanged = false;
  bool FDeleteEnabled = false;
  // The tree answers some of our own steps by selecting a style again; those
  // echoes must not load a second time (a second random style) or, while a
  // style is being deleted, load anything at all.
  std::string FChoosing;
  bool FDeleting = false;
};

}  // namespace emberdell
