// Stands in for the flame style editor's page until its own unit is built
// alongside: an empty page, and a selection that only loads the style so the
// preview burns it. The build takes ufmPresetsTab.cpp instead when it exists.
#include <mutex>

#include "core/host/uGlobals.h"
#include "win32/host/uPresetRecords.h"
#include "win32/settings/ufmPresetsTab.h"

namespace emberdell {

TfmPresetsTab::TfmPresetsTab(HINSTANCE Instance, IPresetsTabHost& Host) : FInstance(Instance), FHost(Host) {}

HWND TfmPresetsTab::Create(HWND Parent, const RECT& Bounds) {
  FHandle = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_CHILD, Bounds.left, Bounds.top,
                            Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, Parent, nullptr, FInstance, nullptr);
  return FHandle;
}

void TfmPresetsTab::FillList(const std::vector<std::string>&) {}

void TfmPresetsTab::SelectPreset(const std::string& Name) {
  TFlamePreset Loaded{};
  LoadPreset(Settings.ProgramDir + "Flame Presets\\", Name, Loaded);
  std::lock_guard<std::mutex> Guard(PresetLock);
  CurrentPreset = Loaded;
}

void TfmPresetsTab::AskSaveChangedPreset() {}
void TfmPresetsTab::ShowPreset() {}
void TfmPresetsTab::ResetPresetChanged() {}
void TfmPresetsTab::UpdateDeleteButton() {}
INT_PTR TfmPresetsTab::DialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace emberdell
