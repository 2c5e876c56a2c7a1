// TfmSoundProperties: switches and volumes of the fire sound and the chimes,
// each with a Test button that plays the live player until Stop.
#pragma once

#include <windows.h>

#include "win32/dialogs/uPropertiesDialogs.h"

namespace emberdell {

class TBackgroundSound;
class TBackgroundChimes;

class TfmSoundProperties : public TPropertiesDialog<TfmSoundProperties> {
 public:
  // The players the settings window's main form owns; either may be null
  // (then its option is shown as without a device). They outlive the dialog.
  TfmSoundProperties(HINSTANCE Instance, TBackgroundSound* FireSound, TBackgroundChimes* Chimes);
  ~TfmSoundProperties();

  friend class TPropertiesDialog<TfmSoundProperties>;

 private:
  void FormCreate();
  void FormShow();
  void FormClose();
  void btnOkClick();
  void btnCancelClick();
  void tbFireVolumeChange();
  void cbPlayFireSoundClick();
  void btnTestFireClick();
  void tbChimesVolumeChange();
  void cbPlayChimesSoundClick();
  void btnTestChimesClick();

  bool Checked(int Id) const { return IsDlgButtonChecked(FHandle, Id) == BST_CHECKED; }
  int Position(int Id) const;
  // The two sounds' rows: 0 the fire sound, 1 the chimes.
  bool HasPlayer(int Row) const;
  bool Playing(int Row) const;
  void SetPlaying(int Row, bool Play);
  void SoundVolumeChange(int Row);
  void SoundBoxClick(int Row);
  void SoundTestClick(int Row);
  bool FirePlaying() const;
  bool ChimesPlaying() const;
  bool Click(int Id);
  void SliderChange(int Id);
  // The end labels' colour follows their option.
  int LabelOption(int Id) const;

  TBackgroundSound* FFireSound;
  TBackgroundChimes* FChimes;
};

}  // namespace emberdell
