#include "dialog/control_windows_win32.h"

namespace orbisette {
namespace {

constexpr int FirstControlCommand = 100;

// The labels that act report their presses; the others let the mouse through.
DWORD Notifies(const DialogControl& row) { return row.OnClick != ControlAction::None ? SS_NOTIFY : 0; }

DWORD ButtonStyle(ControlId id) { return id == DefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; }

ControlClass KindClass(const DialogControl& row) {
  switch (row.Kind) {
    // One line each, cut at the edge; the file name wraps inside its border.
    case ControlKind::Label: return {L"STATIC", SS_NOPREFIX | SS_LEFTNOWORDWRAP | Notifies(row)};
    case ControlKind::BorderedLabel: return {L"STATIC", SS_NOPREFIX | SS_LEFT | WS_BORDER | Notifies(row)};
    // The picture and the focus drawn by the dialog; space presses it.
    case ControlKind::Mark: return {L"BUTTON", BS_OWNERDRAW};
    case ControlKind::ComboBox: return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL};
    case ControlKind::ScrollBar: return {L"SCROLLBAR", SBS_VERT};
    case ControlKind::Button: return {L"BUTTON", ButtonStyle(row.Id)};
    default: return {};  // the panel and the frames
  }
}

}  // namespace

ControlClass ClassOf(const DialogControl& row) {
  ControlClass kind = KindClass(row);
  // Every control its own group, so that arrow keys never move the focus onto
  // a label; Tab goes through the tab stops in the table's order.
  kind.Style |= WS_CHILD | WS_VISIBLE | WS_GROUP | (row.TakesFocus ? WS_TABSTOP : 0);
  return kind;
}

int CommandIdOf(ControlId id) {
  if (id == DefaultButton) return IDOK;
  if (id == CancelButton) return IDCANCEL;
  return FirstControlCommand + static_cast<int>(id);
}

std::optional<ControlId> ControlOfCommand(int command) {
  if (command == IDOK) return DefaultButton;
  if (command == IDCANCEL) return CancelButton;
  const int index = command - FirstControlCommand;
  if (index < 0 || static_cast<std::size_t>(index) >= DialogControls().size()) return std::nullopt;
  const auto id = static_cast<ControlId>(index);
  // The two buttons answer to IDOK and IDCANCEL alone.
  if (id == DefaultButton || id == CancelButton) return std::nullopt;
  return id;
}

RECT PlaceOf(const DialogControl& row, TwipsPerPixel perPixel) {
  PixelBox r = ToPixels(row.Place, perPixel);
  if (row.OnPanel) {
    // Inside the panel's sunken edge, where its own coordinates start.
    const PixelBox panel = ToPixels(ControlRow(ControlId::Pic_C_0).Place, perPixel);
    r.Left += panel.Left + ::GetSystemMetrics(SM_CXEDGE);
    r.Top += panel.Top + ::GetSystemMetrics(SM_CYEDGE);
  }
  return {r.Left, r.Top, r.Left + r.Width, r.Top + r.Height};
}

std::wstring TextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

void SetTextIfChanged(HWND hwnd, const std::wstring& text) {
  if (hwnd && TextOf(hwnd) != text) ::SetWindowTextW(hwnd, text.c_str());
}

}  // namespace orbisette
