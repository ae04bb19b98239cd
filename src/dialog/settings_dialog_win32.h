// The settings dialog "<Orbisette>" (the form Orbisette_P) as a Win32 window:
// it creates its controls from the table in dialog_controls.h, paints the
// gradients behind them, forwards every press, keystroke and change to the
// DialogModel and shows what the model then says. It runs modally, over the
// screen-saver host's window when the host names one.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog/dialog_context_win32.h"
#include "dialog/dialog_look.h"
#include "dialog/dialog_look_win32.h"
#include "dialog/dialog_model.h"
#include "platform/unique_handle_win32.h"
#include "platform/window_win32.h"

namespace orbisette {

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
  bool CreateForm(const ScreenGeometry& screen);
  void CreateControls();
  void SetUpControl(const DialogControl& row, HWND hwnd);
  void FillRepeatCombo(HWND combo);
  void SetUpSpeedBar(HWND bar);
  void ZoomOpen();
  void Unload() noexcept;
  bool PreTranslate(const MSG& msg);
  bool OnMouseDown(HWND target);
  bool OnKeyDown(WPARAM key);

  void OnSize(WPARAM kind, LPARAM size);
  // The gradient image of the whole client area, drawn when the size changes.
  void RedrawBackdrop(int width, int height);
  void OnPaint();
  void Paint(HDC dc) const;
  LRESULT LabelBackground(HDC dc, HWND label);
  void DrawMark(const DRAWITEMSTRUCT& item) const;
  void OnActivate(WORD state);
  LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);

  void OnCommand(std::optional<ControlId> control, WORD code);
  void OnSpeedBar(WORD code, WORD thumb);
  void Press(const DialogControl& pressed);
  void PickMusicFile();
  void OpenWebPage();
  void Save();
  void ShowModelState();
  void ShowMessage(const std::wstring& text) const;

  HWND Control(ControlId id) const;
  std::optional<ControlId> ControlOf(HWND hwnd) const;

  DialogModel Model;
  HWND Owner;
  unique_disabled_window OwnerDisabled;  // while the dialog is shown
  TwipsPerPixel PerPixel;
  std::vector<HWND> Controls;  // by ControlId; null for what is painted, not created
  unique_hfont CaptionFont;
  unique_hbitmap MarkOff;
  unique_hbitmap MarkOn;
  std::unique_ptr<Backdrop> Background;  // drawn for the client area's size
  PixelPoint ZoomPointAtLoad;            // where the cursor was at load: both animations use it
  HWND LastFocus = nullptr;
  bool Closing = false;
  bool Busy = false;  // the hourglass while the browser starts
};

using SettingsDialog = WindowOf<SettingsDialogForm>;

}  // namespace orbisette
