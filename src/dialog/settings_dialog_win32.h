// The settings dialog "<Orbisette>" (the form Orbisette_P) as a Win32 window:
// it creates its controls from the table in dialog_controls.h, paints the
// gradients behind them, forwards every press, keystroke and change to the
// DialogModel and shows what the model then says. It runs modally, over the
// screen-saver host's window when the host names one.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_look.h"
#include "dialog/dialog_model.h"
#include "platform/unique_handle_win32.h"
#include "platform/window_win32.h"

namespace orbisette {

// What the dialog needs from this system beyond the settings: the settings
// file, the web page the build names, the locale's decimal separator, and the
// platform's ANSI and short-path conversions.
DialogContext SettingsDialogContext(std::filesystem::path settingsFile);

class SettingsDialogForm : public Window {
 public:
  // settings: the program's own; a music choice, a picked file and the rebound
  // switch change it at once. owner: the host's window, or null.
  SettingsDialogForm(Settings& settings, DialogContext context, HWND owner);

  // Loads and shows the dialog, keeps the owner disabled and runs the dialog's
  // messages until it is saved, cancelled or closed; the closing animation runs
  // and the window is gone when this returns.
  void ShowModal() noexcept;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  bool FormLoad();
  void CreateControls();
  void Unload() noexcept;
  bool PreTranslate(const MSG& msg);

  // The gradient image of the whole client area, drawn when the size changes.
  void DrawBackdrop(int width, int height);
  void Paint(HDC dc) const;
  LRESULT LabelBackground(HDC dc, HWND label);
  void DrawMark(const DRAWITEMSTRUCT& item) const;

  void OnCommand(ControlId id, WORD code);
  void OnSpeedBar(WORD code, WORD thumb);
  void SelectMusic(std::int16_t kind);
  void PickMusicFile();
  void OpenWebPage();
  void Save();
  void ShowModelState();
  void ShowMessage(const std::wstring& text) const;

  HWND Control(ControlId id) const;
  std::optional<ControlId> ControlOf(HWND hwnd) const;
  RECT PixelsOf(const DialogControl& row) const;

  DialogModel Model;
  HWND Owner;
  unique_disabled_window OwnerDisabled;  // while the dialog is shown
  TwipsPerPixel PerPixel;
  std::vector<HWND> Controls;  // by ControlId; null for what is painted, not created
  unique_hfont CaptionFont;
  unique_hbitmap MarkOff;
  unique_hbitmap MarkOn;
  // The backdrop: both gradients and the heading frames, kept selected into
  // its own DC for painting, and as a brush that labels fill their background with.
  unique_hdc BackdropDc;
  unique_hbitmap Backdrop;
  unique_select_object BackdropSelection;
  unique_hbrush BackdropBrush;
  PixelPoint ZoomPointAtLoad;  // where the cursor was at load: both animations use it
  HWND LastFocus = nullptr;
  bool Closing = false;
  bool Busy = false;  // the hourglass while the browser starts
};

using SettingsDialog = WindowOf<SettingsDialogForm>;

}  // namespace orbisette
