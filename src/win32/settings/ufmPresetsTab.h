// The "Flame Styles" tab of the settings window: the flame style editor. It is
// a child dialog laid inside the settings window's page control; the style
// tree lives on the "Appearance" tab, so the editor tells the settings window
// what happened to the list of styles through IPresetsTabHost.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "win32/host/uHints.h"
#include "win32/host/uWindow.h"

namespace emberdell {

class TPresetEditor;

// What the editor asks of the settings window around it.
class IPresetsTabHost {
 public:
  virtual ~IPresetsTabHost() = default;
  // "Save As..." wrote a style whose name the list did not have: add an
  // unticked top-level node to the style tree, sort it and select the node
  // (whose selection handler calls TfmPresetsTab::SelectPreset).
  virtual void PresetAdded(const std::string& Name) = 0;
  // "Delete" removed a style: remove its top-level node from the style tree
  // and its first entry (compared without regard to case) from ActivePresets.
  // Called before the editor chooses the next style, so the tree must not
  // load anything while the node goes.
  virtual void PresetDeleted(const std::string& Name) = 0;
  // An entry of the drop-down list was chosen: select the style tree's
  // top-level node of that name, if any.
  virtual void PresetChosen(const std::string& Name) = 0;
};

class TfmPresetsTab : public TDialog<TfmPresetsTab> {
 public:
  TfmPresetsTab(HINSTANCE Instance, IPresetsTabHost& Host);

  // Makes the page, hidden, as a child of Parent covering Bounds (Parent's
  // client coordinates). The settings window shows and hides it with its tab.
  HWND Create(HWND Parent, const RECT& Bounds);

  // Fills the drop-down list with Names and "(Random Preset)".
  void FillList(const std::vector<std::string>& Names);
  // A style was chosen in the tree (or by "Default"): the save prompt, then
  // Name is loaded into CurrentPreset, its list entry selected and shown.
  void SelectPreset(const std::string& Name);
  // The save prompt: on leaving the tab and when the window closes.
  void AskSaveChangedPreset();
  // Shows CurrentPreset in every control and clears the change mark.
  void ShowPreset();
  void ResetPresetChanged();
  void UpdateDeleteButton();

  // The public part above is what the settings window uses; the rest is the
  // editor's own.
  friend class TDialog<TfmPresetsTab>;

 private:
  class TSite;
  // Defined beside TSite, so the settings window can destroy the tab
  // without seeing either class.
  struct TFree {
    void operator()(TSite* Site) const;
    void operator()(TPresetEditor* Editor) const;
  };

  INT_PTR DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  void FormCreate();
  void UpdateControls();
  void DrawItem(const DRAWITEMSTRUCT& Item);
  void Command(int Id, int Code);
  void TrackbarChange(HWND Trackbar);
  void btnSaveAsClick();
  // The curve image's own mouse messages (a subclass of its static).
  static LRESULT CALLBACK ImageProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, UINT_PTR Id,
                                    DWORD_PTR Self);
  LRESULT ImageMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  void EndStroke();

  HINSTANCE FInstance;
  IPresetsTabHost& FHost;
  std::unique_ptr<TSite, TFree> FSite;
  std::unique_ptr<TPresetEditor, TFree> FEditor;
  std::vector<std::string> FShownNames;
  HCURSOR FPen = nullptr;
  THints FHints;
};

}  // namespace emberdell
