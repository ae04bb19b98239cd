#include "dialog/settings_dialog_win32.h"

#include <shellapi.h>

#include <cstdint>

#include "dialog/caption_font_win32.h"
#include "dialog/control_windows_win32.h"
#include "dialog/music_picker_win32.h"
#include "platform/names.h"
#include "platform/resource_ids.h"
#include "platform/screen_win32.h"
#include "platform/text_win32.h"
#include "settings/file_store_win32.h"

namespace orbisette {
namespace {

using enum ControlId;

// No background brush: the gradient covers the whole client area.
constexpr WindowClass DialogClass{L"OrbisetteSettings", 0};
// A fixed-size dialog frame with a caption and a close box, nothing to resize.
constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD DialogExStyle = WS_EX_DLGMODALFRAME;

// The drop-down list of the repeat combo shows this many entries at a time.
constexpr int RepeatListRows = 8;
std::size_t IndexOf(ControlId id) { return static_cast<std::size_t>(id); }

HBITMAP LoadMark(int resource) {
  return static_cast<HBITMAP>(
      ::LoadImageW(Window::Instance(), MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace

SettingsDialogForm::SettingsDialogForm(Settings& settings, DialogContext context, HWND owner)
    : Model(settings, std::move(context)), Owner(owner) {}

void SettingsDialogForm::ShowModal() noexcept {
  try {
    if (FormLoad()) {
      // Modal to the host: it takes no input until the dialog has gone.
      OwnerDisabled = unique_disabled_window(Owner);
      ::ShowWindow(Handle(), SW_SHOWNORMAL);
      MSG msg;
      while (!Closing && Exists()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
          if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
          break;
        }
        if (PreTranslate(msg) || ::IsDialogMessageW(Handle(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
  } catch (...) {
    // Whatever failed, the dialog still closes and gives the host back.
  }
  Unload();
}

bool SettingsDialogForm::FormLoad() {
  const ScreenGeometry screen = ReadScreen();
  PerPixel = screen.PerPixel;
  CaptionFont = CreateCaptionFont(PerPixel);
  MarkOff.reset(LoadMark(MarkOffResource));
  MarkOn.reset(LoadMark(MarkOnResource));
  if (!CreateForm(screen)) return false;
  if (!Background) {
    RECT area{};
    ::GetClientRect(Handle(), &area);
    RedrawBackdrop(area.right, area.bottom);
  }
  CreateControls();
  ShowModelState();
  LastFocus = ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
  ZoomOpen();
  return true;
}

// The client area at its size in twips, the frame around it, centred across
// the screen and a third of the way down.
bool SettingsDialogForm::CreateForm(const ScreenGeometry& screen) {
  const PixelBox client = DialogClientPixels(PerPixel);
  RECT outer{0, 0, client.Width, client.Height};
  ::AdjustWindowRectEx(&outer, DialogStyle, FALSE, DialogExStyle);
  const int outerWidth = outer.right - outer.left;
  const int outerHeight = outer.bottom - outer.top;
  const PixelPoint at =
      DialogPlacement(TwipsToPixels(screen.WidthTwips, PerPixel.X).value_or(0),
                      TwipsToPixels(screen.HeightTwips, PerPixel.Y).value_or(0), outerWidth, outerHeight, PerPixel);
  return Create(DialogClass, WindowCreation{.ExStyle = DialogExStyle,
                                            .Caption = DialogWindowTitle,
                                            .Style = DialogStyle,
                                            .X = at.X,
                                            .Y = at.Y,
                                            .Width = outerWidth,
                                            .Height = outerHeight,
                                            .Parent = Owner});
}

void SettingsDialogForm::CreateControls() {
  Controls.assign(DialogControls().size(), nullptr);
  for (const DialogControl& row : DialogControls()) {
    const ControlClass kind = ClassOf(row);
    if (!kind.Name) continue;  // painted into the backdrop
    const RECT place = PlaceOf(row, PerPixel);
    const HWND hwnd =
        ::CreateWindowExW(0, kind.Name, std::wstring(row.Caption).c_str(), kind.Style, place.left, place.top,
                          place.right - place.left, place.bottom - place.top, Handle(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(CommandIdOf(row.Id))), Instance(), nullptr);
    if (hwnd) SetUpControl(row, hwnd);
  }
}

void SettingsDialogForm::SetUpControl(const DialogControl& row, HWND hwnd) {
  Controls.at(IndexOf(row.Id)) = hwnd;
  ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(CaptionFont.get()), FALSE);
  switch (row.Kind) {
    case ControlKind::ComboBox: FillRepeatCombo(hwnd); return;
    case ControlKind::ScrollBar: SetUpSpeedBar(hwnd); return;
    default: return;
  }
}

void SettingsDialogForm::FillRepeatCombo(HWND combo) {
  for (const std::wstring& entry : RepeatEntries()) {
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  ::SetWindowTextW(combo, Model.RepeatText().c_str());
  // The height given is the field and its drop-down list together.
  RECT field{};
  ::GetWindowRect(combo, &field);
  const auto itemHeight = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  ::SetWindowPos(combo, nullptr, 0, 0, field.right - field.left,
                 field.bottom - field.top + RepeatListRows * itemHeight + 2, SWP_NOMOVE | SWP_NOZORDER);
}

void SettingsDialogForm::SetUpSpeedBar(HWND bar) {
  ::SetScrollRange(bar, SB_CTL, SpeedBarMin, SpeedBarMax, FALSE);
  ::SetScrollPos(bar, SB_CTL, Model.SpeedBar(), TRUE);
}

// The caption grows out of the cursor's place; the window shows once it has.
void SettingsDialogForm::ZoomOpen() {
  POINT cursor{};
  const bool gotCursor = ::GetCursorPos(&cursor);
  ZoomPointAtLoad =
      ZoomPointAfterLoad(ZoomPointAtLoad, gotCursor ? std::optional(PixelPoint{cursor.x, cursor.y}) : std::nullopt);
  Animate(Handle(), ZoomFromCursor(ZoomPointAtLoad, WindowRectOf(Handle())));
}

void SettingsDialogForm::Unload() noexcept {
  if (Exists()) Animate(Handle(), ZoomToCursor(ZoomPointAtLoad, WindowRectOf(Handle())));
  // The host gets its input back before the dialog goes, so that it is activated next.
  OwnerDisabled.reset();
  Destroy();
}

bool SettingsDialogForm::PreTranslate(const MSG& msg) {
  switch (msg.message) {
    // A music choice answers a press of any mouse button, on the mark or its
    // label, as it goes down.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK: return OnMouseDown(msg.hwnd);
    case WM_KEYDOWN: return OnKeyDown(msg.wParam);
    default: return false;
  }
}

bool SettingsDialogForm::OnMouseDown(HWND target) {
  const auto id = ControlOf(target);
  if (!id || ControlRow(*id).OnClick != ControlAction::Choose) return false;
  Press(ControlRow(*id));
  return true;
}

// Enter presses the focused button, "設定" when no button has the focus.
bool SettingsDialogForm::OnKeyDown(WPARAM key) {
  if (key != VK_RETURN) return false;
  const auto id = ControlOf(::GetFocus());
  if (!id || ControlRow(*id).Kind != ControlKind::Button) return false;
  OnCommand(*id, BN_CLICKED);
  return true;
}

LRESULT SettingsDialogForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    return Dispatch(message, wParam, lParam);
  } catch (...) {
    return Window::HandleMessage(message, wParam, lParam);
  }
}

LRESULT SettingsDialogForm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: OnSize(wParam, lParam); return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers every pixel
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_CTLCOLORSTATIC: return LabelBackground(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM: DrawMark(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_COMMAND: OnCommand(ControlOfCommand(LOWORD(wParam)), HIWORD(wParam)); return 0;
    case WM_VSCROLL: OnSpeedBar(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_ACTIVATE: OnActivate(LOWORD(wParam)); return 0;
    case WM_SETCURSOR: return OnSetCursor(wParam, lParam);
    case WM_CLOSE: Closing = true; return 0;  // the frame's close box: nothing is written
    default: return Window::HandleMessage(message, wParam, lParam);
  }
}

void SettingsDialogForm::OnSize(WPARAM kind, LPARAM size) {
  if (kind != SIZE_MINIMIZED) RedrawBackdrop(LOWORD(size), HIWORD(size));
}

void SettingsDialogForm::RedrawBackdrop(int width, int height) {
  std::vector<RECT> frames;
  for (const DialogControl& row : DialogControls()) {
    if (row.Kind == ControlKind::Frame) frames.push_back(PlaceOf(row, PerPixel));
  }
  std::unique_ptr<Backdrop> drawn =
      DrawBackdrop(width, height, PlaceOf(ControlRow(Pic_C_0), PerPixel), frames, PerPixel.Y);
  if (!drawn) return;
  Background = std::move(drawn);  // the old one goes whole: its image back out of its DC first
  ::InvalidateRect(Handle(), nullptr, FALSE);
  for (HWND control : Controls) {
    if (control) ::InvalidateRect(control, nullptr, TRUE);
  }
}

void SettingsDialogForm::OnPaint() {
  const unique_hdc_paint paint(Handle());
  Paint(paint.get());
}

void SettingsDialogForm::Paint(HDC dc) const {
  if (!Background) return;
  RECT area{};
  ::GetClientRect(Handle(), &area);
  ::BitBlt(dc, 0, 0, area.right, area.bottom, Background->Dc.get(), 0, 0, SRCCOPY);
}

LRESULT SettingsDialogForm::LabelBackground(HDC dc, HWND label) {
  const auto id = ControlOf(label);
  const bool isLabel =
      id && (ControlRow(*id).Kind == ControlKind::Label || ControlRow(*id).Kind == ControlKind::BorderedLabel);
  // Anything else (the disabled combo's field) keeps the system's colours.
  if (!isLabel || !Background || !Background->Brush)
    return Window::HandleMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
  return reinterpret_cast<LRESULT>(PrepareLabel(dc, label, Handle(), *Background));
}

void SettingsDialogForm::DrawMark(const DRAWITEMSTRUCT& item) const {
  const auto id = ControlOf(item.hwndItem);
  if (id && Background) PaintMark(item, Handle(), *Background, Model.MarkOn(*id) ? MarkOn.get() : MarkOff.get());
}

// The focus comes back to the control that had it, after a message box or the picker.
void SettingsDialogForm::OnActivate(WORD state) {
  if (state == WA_INACTIVE) {
    if (const HWND focus = ::GetFocus(); focus && ::IsChild(Handle(), focus)) LastFocus = focus;
  } else if (LastFocus && ::IsChild(Handle(), LastFocus)) {
    ::SetFocus(LastFocus);
  }
}

LRESULT SettingsDialogForm::OnSetCursor(WPARAM wParam, LPARAM lParam) {
  if (!Busy) return Window::HandleMessage(WM_SETCURSOR, wParam, lParam);
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  return TRUE;
}

void SettingsDialogForm::OnCommand(std::optional<ControlId> control, WORD code) {
  // STN_CLICKED for the labels too; a disabled button does nothing, even when sent a click.
  if (!control || code != BN_CLICKED || !Model.Enabled(*control)) return;
  const DialogControl& row = ControlRow(*control);
  switch (row.OnClick) {
    case ControlAction::Choose:  // space on a focused mark; mouse presses come before
    case ControlAction::Toggle: Press(row); return;
    case ControlAction::PickFile: PickMusicFile(); return;
    case ControlAction::OpenWebPage: OpenWebPage(); return;
    case ControlAction::Save: Save(); return;
    case ControlAction::Cancel: Closing = true; return;  // nothing is written
    case ControlAction::None: return;
  }
}

void SettingsDialogForm::OnSpeedBar(WORD code, WORD thumb) {
  const HWND bar = Control(VS_Fast);
  if (!bar) return;
  int value = ::GetScrollPos(bar, SB_CTL);
  switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP: value -= SpeedBarStep; break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN: value += SpeedBarStep; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: value = thumb; break;
    case SB_TOP: value = SpeedBarMin; break;
    case SB_BOTTOM: value = SpeedBarMax; break;
    default: return;
  }
  Model.MoveSpeedBar(value);
  ::SetScrollPos(bar, SB_CTL, Model.SpeedBar(), TRUE);
  ShowModelState();
}

void SettingsDialogForm::Press(const DialogControl& pressed) {
  Model.Press(pressed.Id);
  ShowModelState();
  if (pressed.OnClick != ControlAction::Choose) return;
  // The chosen mark takes the focus, as a clicked option does; the control
  // that had it may just have been disabled.
  for (const DialogControl& row : DialogControls()) {
    if (row.Setting == pressed.Setting && Model.MarkOn(row.Id)) ::SetFocus(Control(row.Id));
  }
}

void SettingsDialogForm::PickMusicFile() {
  const std::optional<std::wstring> file = PickMusicFileName(Handle());
  if (!file) return;  // cancelled or failed: the file stays
  if (const auto message = Model.PickFile(*file)) ShowMessage(*message);
  ShowModelState();
}

void SettingsDialogForm::OpenWebPage() {
  if (Model.WebPageAddress().empty()) return;
  const BusyCursor busy(Busy);
  const std::wstring verb(WebPageVerb);
  ::ShellExecuteW(Handle(), verb.c_str(), Model.WebPageAddress().c_str(), L"", L"", SW_SHOWNORMAL);
}

void SettingsDialogForm::Save() {
  Model.SetRepeatText(TextOf(Control(BGM_Repeat)));
  Win32FileStore store;
  if (const auto message = Model.Save(store)) {
    ShowMessage(*message);  // nothing written; the dialog stays with its values
    return;
  }
  Closing = true;
}

void SettingsDialogForm::ShowModelState() {
  for (const DialogControl& row : DialogControls()) {
    const HWND hwnd = Control(row.Id);
    if (!hwnd) continue;
    ::EnableWindow(hwnd, Model.Enabled(row.Id));
    if (row.Kind == ControlKind::Mark) ::InvalidateRect(hwnd, nullptr, FALSE);
  }
  SetTextIfChanged(Control(lbl_Fname), FromAnsi(Model.FileLabel()));
  SetTextIfChanged(Control(lbl_Fast), Model.SpeedLabel());
}

void SettingsDialogForm::ShowMessage(const std::wstring& text) const {
  ::MessageBoxW(Handle(), text.c_str(), ProgramTitle, MB_OK | MB_ICONEXCLAMATION);
}

HWND SettingsDialogForm::Control(ControlId id) const {
  const std::size_t i = IndexOf(id);
  return i < Controls.size() ? Controls[i] : nullptr;
}

std::optional<ControlId> SettingsDialogForm::ControlOf(HWND hwnd) const {
  if (!hwnd) return std::nullopt;
  for (const DialogControl& row : DialogControls()) {
    if (Control(row.Id) == hwnd) return row.Id;
  }
  return std::nullopt;
}

}  // namespace orbisette
