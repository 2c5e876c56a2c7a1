// TfmSettings: the settings window of the configure mode. Four pages under a
// page control; the "Flame Styles" page is the editor's TfmPresetsTab. The
// window changes the settings in memory and writes them once, when it closes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/settings/uSettingsLogic.h"
#include "core/styles/uSettingsSaving.h"
#include "win32/dialogs/ufmExitingProperties.h"
#include "win32/dialogs/ufmSoundProperties.h"
#include "win32/dialogs/ufmPerformance.h"
#include "win32/host/uDpi.h"
#include "win32/host/uHints.h"
#include "win32/host/uWindow.h"
#include "win32/settings/ufmPresetsTab.h"

namespace emberdell {

class TfmPreview;
class TBackgroundSound;
class TBackgroundChimes;

// What the window needs of the main form around it.
class ISettingsWindowHost {
 public:
  virtual ~ISettingsWindowHost() = default;
  // Starts the preview flame again on Window over CurrentBackground().
  virtual void RestartPreview(HWND Window) = 0;
  virtual std::string& CurrentBackground() = 0;
  // Writes every setting; the message says which file failed.
  virtual TStoreResult SaveAllSettings() = 0;
  // The frame-pacing period in ms; the performance dialog sets it live.
  virtual void SetFrameInterval(uint32_t Ms) = 0;
  // The players the sound dialog tries out; null when the mode has none.
  virtual TBackgroundSound* FireSound() = 0;
  virtual TBackgroundChimes* Chimes() = 0;
};

class TfmSettings : public TDialog<TfmSettings>, private IPresetsTabHost {
 public:
  TfmSettings(HINSTANCE Instance, ISettingsWindowHost& Host, TfmPreview& Preview);
  ~TfmSettings();

  // Shows the window modally over Owner until it has saved and closed.
  void Execute(HWND Owner);
  // The preview was closed with its close box: "Show Preview" is unticked,
  // and that choice is stored like a click on the box.
  void PreviewHidden();

  friend class TDialog<TfmSettings>;

 private:
  // One of the three pages made here: it forwards to the window.
  class TPage : public TDialog<TPage> {
   public:
    explicit TPage(TfmSettings& Owner) : FOwner(Owner) {}
    HWND Create(HINSTANCE Instance, int Template, HWND Parent) {
      return CreateModeless(Instance, MAKEINTRESOURCEW(Template), Parent);
    }
    friend class TDialog<TPage>;

   private:
    INT_PTR DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
      return FOwner.PageProc(Window, Message, WParam, LParam);
    }
    TfmSettings& FOwner;
  };

  INT_PTR DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  INT_PTR PageProc(HWND Page, UINT Message, WPARAM WParam, LPARAM LParam);
  INT_PTR Command(HWND Page, int Id, int Code);
  INT_PTR Notify(HWND Page, NMHDR& Header);

  void FormCreate();
  void FormShow();
  // Saves the settings; when they cannot be written, the user chooses
  // between trying again and closing without saving.
  // False while an earlier close is still saving.
  bool FormClose();
  void CreatePages();
  void ShowPage(int Index);
  void SetHints();
  void PrepareLabels();
  void FillLists();
  void FillTree(HWND Tree, const TCheckTree& Model);
  HTREEITEM ItemOf(HWND Tree, const TNodeRef& Ref) const;
  void SelectItem(HWND Tree, HTREEITEM Item);

  bool tvClick(HWND Tree);  // true when the click ticked or unticked a node
  bool TreeViewChanging(HWND Tree, const NMTREEVIEWW& Change);
  void tvPresetsChange(const NMTREEVIEWW& Change);
  void tvBackgroundsChange(const NMTREEVIEWW& Change);
  void TreeGetImageIndex(HWND Tree, NMTVDISPINFOW& Info);
  void btnSelectPresetsClick(bool All);
  void btnSelectBackgroundsClick(bool All);
  void rbPresetChanging();
  void tbChangePresetsChange();
  void btnAdvancedClick();
  void btnScreenshotsClick();
  void cbShowPreviewClick();
  void lbURLClick(int Id);
  void MouseDownToEasyMove();

  // IPresetsTabHost
  void PresetAdded(const std::string& Name) override;
  void PresetDeleted(const std::string& Name) override;
  void PresetChosen(const std::string& Name) override;

  HWND Item(HWND Page, int Id) const { return GetDlgItem(Page, Id); }
  int Scale(int Pixels) const { return ScaleToDpi(Pixels, FDpi); }

  HINSTANCE FInstance;
  ISettingsWindowHost& FHost;
  TfmPreview& FPreview;
  TPage FAppearance, FSettingsPage, FAbout;
  TfmPresetsTab FPresetsTab;
  TfmSoundProperties FSoundProperties;
  TfmExitingProperties FExitingProperties;
  TfmPerformance FPerformance;
  std::vector<HWND> FPages;  // in the order of the tabs
  HWND FTabs = nullptr, FTvPresets = nullptr, FTvBackgrounds = nullptr;
  THints FHints;
  HIMAGELIST FTabImages = nullptr, FTreeImages = nullptr;
  HFONT FLinkFont = nullptr, FVersionFont = nullptr;
  int FDpi = 96;
  int FActivePage = 0;

  TCheckTree FPresetTree, FBackgroundTree;
  // Set while the window itself fills or rebuilds a tree, so the selection
  // changes that brings about do not load styles or restart the preview.
  bool FFilling = false;
  bool FClosing = false;
  std::string FVersionText;
};

}  // namespace emberdell
