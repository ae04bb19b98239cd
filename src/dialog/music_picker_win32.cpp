#include "dialog/music_picker_win32.h"

#include <commdlg.h>

#include "dialog/dialog_model.h"
#include "platform/window_win32.h"

namespace orbisette {

std::optional<std::wstring> PickMusicFileName(HWND owner) {
  std::wstring file(PickerFileChars, L'\0');
  std::wstring title(PickerTitleChars, L'\0');
  const std::wstring caption(PickerTitle);
  OPENFILENAMEW picker{};
  picker.lStructSize = sizeof picker;
  picker.hwndOwner = owner;
  picker.hInstance = Window::Instance();
  picker.lpstrFilter = PickerFilter;
  picker.lpstrFile = file.data();
  picker.nMaxFile = PickerFileChars;
  picker.lpstrFileTitle = title.data();
  picker.nMaxFileTitle = PickerTitleChars;
  picker.lpstrTitle = caption.c_str();
  picker.Flags = PickerFlags;
  if (!::GetOpenFileNameW(&picker)) return std::nullopt;
  return std::wstring(file.c_str());
}

}  // namespace orbisette
