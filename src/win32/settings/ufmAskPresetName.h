// TfmAskPresetName: asks for the name of a new flame style ("Save As...").
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win32/host/uWindow.h"

namespace emberdell {

class TfmAskPresetName : public TDialog<TfmAskPresetName> {
 public:
  // NameError says why a name cannot be used ("" when it can); OK keeps the
  // dialog open with that message until the name is fixed or Cancel.
  TfmAskPresetName(HINSTANCE Instance, std::function<std::string(const std::string&)> NameError);
  // True for "OK"; the name box's text, unchanged, in Name (UTF-8).
  bool Execute(HWND Owner, std::string& Name);

  friend class TDialog<TfmAskPresetName>;

 private:
  INT_PTR DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  void btnOkClick();

  HINSTANCE FInstance;
  std::function<std::string(const std::string&)> FNameError;
  std::string FName;
};

}  // namespace emberdell
