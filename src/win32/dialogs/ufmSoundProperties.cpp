#include "win32/dialogs/ufmSoundProperties.h"

#include <commctrl.h>

#include "core/dialogs/uDialogSettings.h"
#include "core/host/uGlobals.h"
#include "core/sound/uTBackgroundChimes.h"
#include "core/sound/uTBackgroundSound.h"
#include "dialogs/DialogsIds.h"
#include "win32/host/uWinText.h"

namespace emberdell {

TfmSoundProperties::TfmSoundProperties(HINSTANCE Instance, TBackgroundSound* FireSound, TBackgroundChimes* Chimes)
    : TPropertiesDialog(Instance, MAKEINTRESOURCEW(IDD_SOUNDPROPERTIES), TAlphaForm::SoundProperties),
      FFireSound(FireSound),
      FChimes(Chimes) {}

TfmSoundProperties::~TfmSoundProperties() = default;

bool TfmSoundProperties::Click(int Id) {
  switch (Id) {
    case IDC_SND_CBPLAYFIRESOUND: cbPlayFireSoundClick(); return true;
    case IDC_SND_BTNTESTFIRE: btnTestFireClick(); return true;
    case IDC_SND_CBPLAYCHIMESSOUND: cbPlayChimesSoundClick(); return true;
    case IDC_SND_BTNTESTCHIMES: btnTestChimesClick(); return true;
  }
  return false;
}

void TfmSoundProperties::SliderChange(int Id) {
  if (Id == IDC_SND_TBFIREVOLUME) tbFireVolumeChange();
  if (Id == IDC_SND_TBCHIMESVOLUME) tbChimesVolumeChange();
}

void TfmSoundProperties::FormCreate() {
  for (int Id : {IDC_SND_TBFIREVOLUME, IDC_SND_TBCHIMESVOLUME}) SetupSlider(GetDlgItem(FHandle, Id), 0, 10);
  FHints.Add(FHandle, {{IDC_SND_CBPLAYFIRESOUND, L"Enable or disable background flame sound"},
                       {IDC_SND_BTNTESTFIRE, L"Test flame sound volume"},
                       {IDC_SND_CBPLAYCHIMESSOUND, L"Enable or disable background chimes sound"},
                       {IDC_SND_BTNTESTCHIMES, L"Test chimes volume"}});
}

void TfmSoundProperties::FormShow() {
  const bool FireDevice = FFireSound != nullptr && FFireSound->GetState() != ssNoDevice;
  const bool ChimesDevice = FChimes != nullptr && FChimes->DeviceOpen();
  const TSoundChoice Shown = SoundChoiceFrom(Settings, FireDevice, ChimesDevice);

  SendDlgItemMessageW(FHandle, IDC_SND_TBFIREVOLUME, TBM_SETPOS, TRUE, Shown.FirePosition);
  tbFireVolumeChange();
  CheckDlgButton(FHandle, IDC_SND_CBPLAYFIRESOUND, Shown.PlayFire ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(FHandle, IDC_SND_CBPLAYFIRESOUND), FireDevice);
  cbPlayFireSoundClick();

  SendDlgItemMessageW(FHandle, IDC_SND_TBCHIMESVOLUME, TBM_SETPOS, TRUE, Shown.ChimesPosition);
  tbChimesVolumeChange();
  CheckDlgButton(FHandle, IDC_SND_CBPLAYCHIMESSOUND, Shown.PlayChimes ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(FHandle, IDC_SND_CBPLAYCHIMESSOUND), ChimesDevice);
  cbPlayChimesSoundClick();
}

// No test sound outlives the dialog, however it is closed.
void TfmSoundProperties::FormClose() {
  if (FFireSound != nullptr) FFireSound->Stop();
  SetDlgItemTextW(FHandle, IDC_SND_BTNTESTFIRE, L"Test");
  if (FChimes != nullptr) FChimes->Stop();
  SetDlgItemTextW(FHandle, IDC_SND_BTNTESTCHIMES, L"Test");
}

void TfmSoundProperties::btnOkClick() {
  StoreSoundChoice(Settings, {Checked(IDC_SND_CBPLAYFIRESOUND), Position(IDC_SND_TBFIREVOLUME),
                              Checked(IDC_SND_CBPLAYCHIMESSOUND), Position(IDC_SND_TBCHIMESVOLUME)});
  FormClose();
  EndDialog(FHandle, IDOK);
}

// The players keep the volume last tried; the next showing sets it again.
void TfmSoundProperties::btnCancelClick() {
  FormClose();
  EndDialog(FHandle, IDCANCEL);
}

void TfmSoundProperties::tbFireVolumeChange() {
  const int Pos = Position(IDC_SND_TBFIREVOLUME);
  SetDlgItemTextW(FHandle, IDC_SND_CBPLAYFIRESOUND, ToWide(FireSoundCaption(Pos)).c_str());
  // A test that is playing follows the slider at once.
  if (FFireSound != nullptr) FFireSound->SetVolume(VolumePercent(Pos));
}

void TfmSoundProperties::cbPlayFireSoundClick() {
  const bool On = Checked(IDC_SND_CBPLAYFIRESOUND);
  EnableWindow(GetDlgItem(FHandle, IDC_SND_BTNTESTFIRE), On);
  EnableWindow(GetDlgItem(FHandle, IDC_SND_TBFIREVOLUME), On);
  InvalidateRect(GetDlgItem(FHandle, IDC_SND_LBFIRE0), nullptr, TRUE);
  InvalidateRect(GetDlgItem(FHandle, IDC_SND_LBFIRE100), nullptr, TRUE);
  if (!On && FirePlaying()) {
    FFireSound->Stop();
    SetDlgItemTextW(FHandle, IDC_SND_BTNTESTFIRE, L"Test");
  }
}

void TfmSoundProperties::btnTestFireClick() {
  if (FFireSound == nullptr) return;
  if (FirePlaying()) {
    FFireSound->Stop();
    SetDlgItemTextW(FHandle, IDC_SND_BTNTESTFIRE, L"Test");
  } else {
    // It loops from a random place at the volume the slider last set.
    FFireSound->Play();
    SetDlgItemTextW(FHandle, IDC_SND_BTNTESTFIRE, L"Stop");
  }
}

void TfmSoundProperties::tbChimesVolumeChange() {
  const int Pos = Position(IDC_SND_TBCHIMESVOLUME);
  SetDlgItemTextW(FHandle, IDC_SND_CBPLAYCHIMESSOUND, ToWide(ChimesSoundCaption(Pos)).c_str());
  // Heard from the next chime on.
  if (FChimes != nullptr) FChimes->SetVolume(VolumePercent(Pos));
}

void TfmSoundProperties::cbPlayChimesSoundClick() {
  const bool On = Checked(IDC_SND_CBPLAYCHIMESSOUND);
  EnableWindow(GetDlgItem(FHandle, IDC_SND_BTNTESTCHIMES), On);
  EnableWindow(GetDlgItem(FHandle, IDC_SND_TBCHIMESVOLUME), On);
  InvalidateRect(GetDlgItem(FHandle, IDC_SND_LBCHIMES0), nullptr, TRUE);
  InvalidateRect(GetDlgItem(FHandle, IDC_SND_LBCHIMES100), nullptr, TRUE);
  if (!On && ChimesPlaying()) {
    FChimes->Stop();
    SetDlgItemTextW(FHandle, IDC_SND_BTNTESTCHIMES, L"Test");
  }
}

void TfmSoundProperties::btnTestChimesClick() {
  if (FChimes == nullptr) return;
  if (ChimesPlaying()) {
    FChimes->Stop();
    SetDlgItemTextW(FHandle, IDC_SND_BTNTESTCHIMES, L"Test");
  } else {
    // The first chime may take a few seconds to come.
    FChimes->Start();
    SetDlgItemTextW(FHandle, IDC_SND_BTNTESTCHIMES, L"Stop");
  }
}

int TfmSoundProperties::Position(int Id) const {
  return static_cast<int>(SendDlgItemMessageW(FHandle, Id, TBM_GETPOS, 0, 0));
}

bool TfmSoundProperties::FirePlaying() const { return FFireSound != nullptr && FFireSound->GetState() == ssPlaying; }

bool TfmSoundProperties::ChimesPlaying() const { return FChimes != nullptr && FChimes->Active(); }

int TfmSoundProperties::LabelOption(int Id) const {
  if (Id == IDC_SND_LBFIRE0 || Id == IDC_SND_LBFIRE100) return IDC_SND_CBPLAYFIRESOUND;
  if (Id == IDC_SND_LBCHIMES0 || Id == IDC_SND_LBCHIMES100) return IDC_SND_CBPLAYCHIMESSOUND;
  return 0;
}

}  // namespace emberdell
