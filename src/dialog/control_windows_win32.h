// How a row of the dialog's control table becomes a child window: its window
// class and styles by kind, its command id, the control a command comes from,
// and its place in the client area's pixels. The dialog walks the table with
// these and nothing else.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "dialog/dialog_controls.h"

namespace orbisette {

struct ControlClass {
  const wchar_t* Name = nullptr;  // null for the kinds that are painted, not created
  DWORD Style = 0;                // with the styles every control has
};
ControlClass ClassOf(const DialogControl& row);

// Enter and Escape reach the two buttons through the dialog manager's IDOK and IDCANCEL.
int CommandIdOf(ControlId id);
// The control a WM_COMMAND with this id comes from, straight from the id.
std::optional<ControlId> ControlOfCommand(int command);

// The row's rectangle in the client area; controls on the panel lie inside its sunken edge.
RECT PlaceOf(const DialogControl& row, TwipsPerPixel perPixel);

std::wstring TextOf(HWND hwnd);
void SetTextIfChanged(HWND hwnd, const std::wstring& text);

}  // namespace orbisette
