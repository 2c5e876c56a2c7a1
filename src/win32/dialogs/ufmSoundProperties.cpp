#include "win32/dialogs/ufmSoundProperties.h"

#include <commctrl.h>

#include "core/dialogs/uSoundSettings.h"
#include "core/host/uGlobals.h"
#include "core/sound/uTBackgroundChimes.h"
#include "core/sound/uTBackgroundSound.h"
#include "dialogs/DialogsIds.h"
#include "win32/host/uWinText.h"

namespace emberdell {

namespace {

// Each sound's box, Test button, slider and the slider's end labels.
enum : int { FireRow = 0, ChimesRow = 1 };
struct TSoundIds {
  int Box, Test, Slider, Label0, Label100;
};
constexpr TSoundIds kRows[] = {
    {IDC_SND_CBPLAYFIRESOUND, IDC_SND_BTNTESTFIRE, IDC_SND_TBFIREVOLUME, IDC_SND_LBFIRE0, IDC_SND_LBFIRE100},
    {IDC_SND_CBPLAYCHIMESSOUND, IDC_SND_BTNTESTCHIMES, IDC_SND_TBCHIMESVOLUME, IDC_SND_LBCHIMES0, IDC_SND_LBCHIMES100}};

}  // namespace

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

void TfmSoundProperties::tbFireVolumeChange() { SoundVolumeChange(FireRow); }
void TfmSoundProperties::cbPlayFireSoundClick() { SoundBoxClick(FireRow); }
void TfmSoundProperties::btnTestFireClick() { SoundTestClick(FireRow); }
void TfmSoundProperties::tbChimesVolumeChange() { SoundVolumeChange(ChimesRow); }
void TfmSoundProperties::cbPlayChimesSoundClick() { SoundBoxClick(ChimesRow); }
void TfmSoundProperties::btnTestChimesClick() { SoundTestClick(ChimesRow); }

// The box shows the volume; a test that is playing follows the slider at
// once, and the chimes are heard at it from the next chime on.
void TfmSoundProperties::SoundVolumeChange(int Row) {
  const TSoundIds& Ids = kRows[Row];
  const int Pos = Position(Ids.Slider);
  const std::string Caption = Row == FireRow ? FireSoundCaption(Pos) : ChimesSoundCaption(Pos);
  SetDlgItemTextW(FHandle, Ids.Box, ToWide(Caption).c_str());
  if (Row == FireRow && FFireSound != nullptr) FFireSound->SetVolume(VolumePercent(Pos));
  if (Row == ChimesRow && FChimes != nullptr) FChimes->SetVolume(VolumePercent(Pos));
}

bool TfmSoundProperties::HasPlayer(int Row) const {
  return Row == FireRow ? FFireSound != nullptr : FChimes != nullptr;
}

bool TfmSoundProperties::Playing(int Row) const { return Row == FireRow ? FirePlaying() : ChimesPlaying(); }

// The fire sound loops from a random place at the volume the slider last set;
// the first chime may take a few seconds to come.
void TfmSoundProperties::SetPlaying(int Row, bool Play) {
  if (Row == FireRow && Play)
    FFireSound->Play();
  else if (Row == FireRow)
    FFireSound->Stop();
  else if (Play)
    FChimes->Start();
  else
    FChimes->Stop();
}

// The Test button and the slider follow the box; the slider's end labels are
// drawn again in the colour that goes with it. Unticking stops a test.
void TfmSoundProperties::SoundBoxClick(int Row) {
  const TSoundIds& Ids = kRows[Row];
  const bool On = Checked(Ids.Box);
  EnableWindow(GetDlgItem(FHandle, Ids.Test), On);
  EnableWindow(GetDlgItem(FHandle, Ids.Slider), On);
  InvalidateRect(GetDlgItem(FHandle, Ids.Label0), nullptr, TRUE);
  InvalidateRect(GetDlgItem(FHandle, Ids.Label100), nullptr, TRUE);
  if (!On && Playing(Row)) {
    SetPlaying(Row, false);
    SetDlgItemTextW(FHandle, Ids.Test, L"Test");
  }
}

void TfmSoundProperties::SoundTestClick(int Row) {
  if (!HasPlayer(Row)) return;
  const bool Play = !Playing(Row);
  SetPlaying(Row, Play);
  SetDlgItemTextW(FHandle, kRows[Row].Test, Play ? L"Stop" : L"Test");
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
