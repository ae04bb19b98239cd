#include "dialog/settings_dialog_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>

#include "platform/names.h"
#include "platform/resource_ids.h"
#include "platform/screen_win32.h"
#include "platform/text_win32.h"
#include "settings/file_store_win32.h"
#include "web_page.h"  // ORBISETTE_WEB_PAGE, from the build's settings

namespace orbisette {
namespace {

using enum ControlId;

// No background brush: the gradient covers the whole client area.
constexpr WindowClass DialogClass{L"OrbisetteSettings", 0};
// A fixed-size dialog frame with a caption and a close box, nothing to resize.
constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD DialogExStyle = WS_EX_DLGMODALFRAME;

constexpr int MarkPicturePixels = 12;
// The drop-down list of the repeat combo shows this many entries at a time.
constexpr int RepeatListRows = 8;
constexpr int FirstControlCommand = 100;

// Enter and Escape reach the two buttons through the dialog manager's IDOK and IDCANCEL.
int CommandIdOf(ControlId id) {
  if (id == DefaultButton) return IDOK;
  if (id == CancelButton) return IDCANCEL;
  return FirstControlCommand + static_cast<int>(id);
}

std::size_t IndexOf(ControlId id) { return static_cast<std::size_t>(id); }

std::wstring TextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

void SetTextIfChanged(HWND hwnd, const std::wstring& text) {
  if (hwnd && TextOf(hwnd) != text) ::SetWindowTextW(hwnd, text.c_str());
}

// The picked path in the system's ANSI code page, only when every character
// has its own form there: no best-fit look-alikes, no default character, and
// the bytes read back as the same path.
std::optional<std::string> PathToAnsi(std::wstring_view path) {
  if (path.empty()) return std::string();
  const int length = static_cast<int>(path.size());
  // A UTF-8 system code page holds every path and does not take the flag.
  const bool utf8 = ::GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* const usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int n = ::WideCharToMultiByte(CP_ACP, flags, path.data(), length, nullptr, 0, nullptr, usedDefaultOut);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(n), '\0');
  if (::WideCharToMultiByte(CP_ACP, flags, path.data(), length, ansi.data(), n, nullptr, usedDefaultOut) != n ||
      usedDefault || FromAnsi(ansi) != path) {
    return std::nullopt;
  }
  return ansi;
}

std::optional<std::wstring> ShortPathOf(std::wstring_view path) {
  const std::wstring longPath(path);
  const DWORD needed = ::GetShortPathNameW(longPath.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring shortPath(needed, L'\0');
  const DWORD n = ::GetShortPathNameW(longPath.c_str(), shortPath.data(), needed);
  if (n == 0 || n >= needed) return std::nullopt;
  shortPath.resize(n);
  return shortPath;
}

// One surface's gradient into a 32-bit top-down image, one colour per pixel row.
void FillGradient(std::uint32_t* pixels, int stride, int rows, RECT area, GradientSurface surface,
                  double twipsPerPixelY) {
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, stride);
  area.bottom = std::min<LONG>(area.bottom, rows);
  if (area.right <= area.left || area.bottom <= area.top) return;
  const double scaleHeight = (area.bottom - area.top) * twipsPerPixelY;
  for (int row = 0; row < area.bottom - area.top; ++row) {
    const Rgb c = GradientColourOfRow(surface, row, scaleHeight, twipsPerPixelY);
    const auto value = static_cast<std::uint32_t>(c.Red << 16 | c.Green << 8 | c.Blue);
    std::fill_n(pixels + static_cast<std::ptrdiff_t>(area.top + row) * stride + area.left, area.right - area.left,
                value);
  }
}

// Whether the font has a glyph for every letter of the captions and the numbers.
bool ShowsEveryCaption(HDC dc, HFONT font) {
  std::wstring text = L"0123456789.";
  for (const DialogControl& row : DialogControls()) text += row.Caption;
  std::vector<WORD> glyphs(text.size());
  unique_select_object selected(dc, font);
  return ::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                            GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR &&
         std::ranges::find(glyphs, WORD{0xFFFF}) == glyphs.end();
}

// The caption font. A system without "ＭＳ Ｐゴシック" substitutes a face of its
// choice, which may lack the Latin letters or the kana; then the first Japanese
// face that has them all serves, a proportional gothic one like it first.
unique_hfont CreateCaptionFont(TwipsPerPixel perPixel) {
  LOGFONTW font{};
  font.lfHeight = -DialogFontPixels(perPixel);
  font.lfWeight = DialogFontWeight;
  font.lfCharSet = SHIFTJIS_CHARSET;
  DialogFontFace.copy(font.lfFaceName, LF_FACESIZE - 1);
  ScopedGetDC screen(nullptr);
  unique_hfont wanted(::CreateFontIndirectW(&font));
  if (!wanted || ShowsEveryCaption(screen.get(), wanted.get())) return wanted;

  struct Face {
    std::wstring Name;
    bool LikeWanted;
  };
  std::vector<Face> faces;
  LOGFONTW query{};
  query.lfCharSet = SHIFTJIS_CHARSET;
  ::EnumFontFamiliesExW(
      screen.get(), &query,
      [](const LOGFONTW* found, const TEXTMETRICW*, DWORD, LPARAM list) -> int {
        if (found->lfFaceName[0] != L'@') {  // '@' faces are for vertical text
          reinterpret_cast<std::vector<Face>*>(list)->push_back(
              {found->lfFaceName, found->lfPitchAndFamily == (FF_SWISS | VARIABLE_PITCH)});
        }
        return 1;
      },
      reinterpret_cast<LPARAM>(&faces), 0);
  std::ranges::stable_partition(faces, &Face::LikeWanted);
  for (const Face& face : faces) {
    face.Name.copy(font.lfFaceName, LF_FACESIZE - 1);
    font.lfFaceName[std::min<std::size_t>(face.Name.size(), LF_FACESIZE - 1)] = L'\0';
    unique_hfont substitute(::CreateFontIndirectW(&font));
    if (substitute && ShowsEveryCaption(screen.get(), substitute.get())) return substitute;
  }
  return wanted;
}

RECT ToRect(const PixelRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

RECT Inset(RECT r, int dx, int dy) {
  ::InflateRect(&r, -dx, -dy);
  return r;
}

}  // namespace

DialogContext SettingsDialogContext(std::filesystem::path settingsFile) {
  return {std::move(settingsFile), L"" ORBISETTE_WEB_PAGE, LocaleDecimalSeparator(), {PathToAnsi, ShortPathOf}};
}

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
  const auto loadMark = [](int resource) {
    return static_cast<HBITMAP>(
        ::LoadImageW(Instance(), MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  };
  MarkOff.reset(loadMark(MarkOffResource));
  MarkOn.reset(loadMark(MarkOnResource));

  // The client area at its size in twips, the frame around it, centred across
  // the screen and a third of the way down.
  const PixelBox client = DialogClientPixels(PerPixel);
  RECT outer{0, 0, client.Width, client.Height};
  ::AdjustWindowRectEx(&outer, DialogStyle, FALSE, DialogExStyle);
  const int outerWidth = outer.right - outer.left;
  const int outerHeight = outer.bottom - outer.top;
  const PixelPoint at =
      DialogPlacement(TwipsToPixels(screen.WidthTwips, PerPixel.X).value_or(0),
                      TwipsToPixels(screen.HeightTwips, PerPixel.Y).value_or(0), outerWidth, outerHeight, PerPixel);
  if (!Create(DialogClass, WindowCreation{.ExStyle = DialogExStyle,
                                          .Caption = DialogWindowTitle,
                                          .Style = DialogStyle,
                                          .X = at.X,
                                          .Y = at.Y,
                                          .Width = outerWidth,
                                          .Height = outerHeight,
                                          .Parent = Owner})) {
    return false;
  }
  if (!Backdrop) {
    RECT area{};
    ::GetClientRect(Handle(), &area);
    DrawBackdrop(area.right, area.bottom);
  }
  CreateControls();
  ShowModelState();
  LastFocus = ::GetNextDlgTabItem(Handle(), nullptr, FALSE);

  // The caption grows out of the cursor's place; the window shows once it has.
  POINT cursor{};
  const bool gotCursor = ::GetCursorPos(&cursor);
  ZoomPointAtLoad =
      ZoomPointAfterLoad(ZoomPointAtLoad, gotCursor ? std::optional(PixelPoint{cursor.x, cursor.y}) : std::nullopt);
  RECT window{};
  ::GetWindowRect(Handle(), &window);
  const ZoomRects zoom = ZoomFromCursor(ZoomPointAtLoad, {window.left, window.top, window.right, window.bottom});
  const RECT from = ToRect(zoom.From), to = ToRect(zoom.To);
  ::DrawAnimatedRects(Handle(), ZoomAnimation, &from, &to);
  return true;
}

void SettingsDialogForm::CreateControls() {
  std::size_t count = 0;
  for (const DialogControl& row : DialogControls()) count = std::max(count, IndexOf(row.Id) + 1);
  Controls.assign(count, nullptr);

  for (const DialogControl& row : DialogControls()) {
    const wchar_t* className = nullptr;
    // Every control its own group, so that arrow keys never move the focus
    // onto a label; Tab goes through the tab stops in the table's order.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP | (row.TabOrder != NoTabStop ? WS_TABSTOP : 0);
    switch (row.Kind) {
      case ControlKind::Panel:
      case ControlKind::Frame: continue;  // painted into the backdrop
      case ControlKind::Label:
      case ControlKind::BorderedLabel:
        className = L"STATIC";
        // One line each, cut at the edge; the file name wraps inside its border.
        style |= SS_NOPREFIX | (row.Kind == ControlKind::BorderedLabel ? SS_LEFT | WS_BORDER : SS_LEFTNOWORDWRAP);
        // The labels that act report their presses; the others let the mouse through.
        if (MusicChoiceOf(row.Id) || TogglesRebound(row.Id)) style |= SS_NOTIFY;
        break;
      case ControlKind::Mark:
        className = L"BUTTON";
        style |= BS_OWNERDRAW;  // the picture and the focus drawn by the dialog; space presses it
        break;
      case ControlKind::ComboBox:
        className = L"COMBOBOX";
        style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
        break;
      case ControlKind::ScrollBar:
        className = L"SCROLLBAR";
        style |= SBS_VERT;
        break;
      case ControlKind::Button:
        className = L"BUTTON";
        style |= row.Id == DefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        break;
    }
    const RECT place = PixelsOf(row);
    const HWND hwnd =
        ::CreateWindowExW(0, className, std::wstring(row.Caption).c_str(), style, place.left, place.top,
                          place.right - place.left, place.bottom - place.top, Handle(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(CommandIdOf(row.Id))), Instance(), nullptr);
    if (!hwnd) continue;
    Controls[IndexOf(row.Id)] = hwnd;
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(CaptionFont.get()), FALSE);
  }

  if (const HWND repeat = Control(BGM_Repeat)) {
    for (const std::wstring& entry : RepeatEntries()) {
      ::SendMessageW(repeat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    ::SetWindowTextW(repeat, Model.RepeatText().c_str());
    // The height given is the field and its drop-down list together.
    RECT field{};
    ::GetWindowRect(repeat, &field);
    const auto itemHeight = static_cast<int>(::SendMessageW(repeat, CB_GETITEMHEIGHT, 0, 0));
    ::SetWindowPos(repeat, nullptr, 0, 0, field.right - field.left,
                   field.bottom - field.top + RepeatListRows * itemHeight + 2, SWP_NOMOVE | SWP_NOZORDER);
  }
  if (const HWND bar = Control(VS_Fast)) {
    ::SetScrollRange(bar, SB_CTL, SpeedBarMin, SpeedBarMax, FALSE);
    ::SetScrollPos(bar, SB_CTL, Model.SpeedBar(), TRUE);
  }
}

void SettingsDialogForm::Unload() noexcept {
  if (Exists()) {
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    const ZoomRects zoom = ZoomToCursor(ZoomPointAtLoad, {window.left, window.top, window.right, window.bottom});
    const RECT from = ToRect(zoom.From), to = ToRect(zoom.To);
    ::DrawAnimatedRects(Handle(), ZoomAnimation, &from, &to);
  }
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
    case WM_XBUTTONDBLCLK:
      if (const auto id = ControlOf(msg.hwnd)) {
        if (const auto kind = MusicChoiceOf(*id)) {
          SelectMusic(*kind);
          return true;
        }
      }
      return false;
    case WM_KEYDOWN:
      // Enter presses the focused button, "設定" when no button has the focus.
      if (msg.wParam == VK_RETURN) {
        if (const auto id = ControlOf(::GetFocus()); id && ControlRow(*id).Kind == ControlKind::Button) {
          OnCommand(*id, BN_CLICKED);
          return true;
        }
      }
      return false;
    default: return false;
  }
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
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) DrawBackdrop(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers every pixel
    case WM_PAINT: {
      ScopedPaint paint(Handle());
      Paint(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_CTLCOLORSTATIC: return LabelBackground(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM: DrawMark(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_COMMAND:
      for (const DialogControl& row : DialogControls()) {
        if (CommandIdOf(row.Id) == LOWORD(wParam)) OnCommand(row.Id, HIWORD(wParam));
      }
      return 0;
    case WM_VSCROLL: OnSpeedBar(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_ACTIVATE:
      // The focus comes back to the control that had it, after a message box or the picker.
      if (LOWORD(wParam) == WA_INACTIVE) {
        if (const HWND focus = ::GetFocus(); focus && ::IsChild(Handle(), focus)) LastFocus = focus;
      } else if (LastFocus && ::IsChild(Handle(), LastFocus)) {
        ::SetFocus(LastFocus);
      }
      return 0;
    case WM_SETCURSOR:
      if (Busy) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_CLOSE: Closing = true; return 0;  // the frame's close box: nothing is written
    default: break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

void SettingsDialogForm::DrawBackdrop(int width, int height) {
  if (width <= 0 || height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedGetDC screen(nullptr);
  unique_hbitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  unique_hdc dc(::CreateCompatibleDC(screen.get()));
  if (!bitmap || !bits || !dc) return;

  // The form's gradient, then the panel's inside its sunken edge.
  auto* pixels = static_cast<std::uint32_t*>(bits);
  FillGradient(pixels, width, height, {0, 0, width, height}, GradientSurface::Form, PerPixel.Y);
  const RECT panel = PixelsOf(ControlRow(Pic_C_0));
  const RECT panelInside = Inset(panel, ::GetSystemMetrics(SM_CXEDGE), ::GetSystemMetrics(SM_CYEDGE));
  FillGradient(pixels, width, height, panelInside, GradientSurface::Panel, PerPixel.Y);

  unique_select_object selection(dc.get(), bitmap.get());
  RECT edge = panel;
  ::DrawEdge(dc.get(), &edge, EDGE_SUNKEN, BF_RECT);
  {
    unique_select_object pen(dc.get(), ::GetStockObject(BLACK_PEN));
    unique_select_object hollow(dc.get(), ::GetStockObject(NULL_BRUSH));
    for (const DialogControl& row : DialogControls()) {
      if (row.Kind != ControlKind::Frame) continue;
      const RECT frame = PixelsOf(row);
      ::Rectangle(dc.get(), frame.left, frame.top, frame.right, frame.bottom);
    }
  }
  ::GdiFlush();

  BackdropBrush.reset(::CreatePatternBrush(bitmap.get()));
  BackdropSelection = std::move(selection);  // puts the old image back into the old DC first
  Backdrop = std::move(bitmap);
  BackdropDc = std::move(dc);
  ::InvalidateRect(Handle(), nullptr, FALSE);
  for (HWND control : Controls) {
    if (control) ::InvalidateRect(control, nullptr, TRUE);
  }
}

void SettingsDialogForm::Paint(HDC dc) const {
  if (!BackdropDc) return;
  RECT area{};
  ::GetClientRect(Handle(), &area);
  ::BitBlt(dc, 0, 0, area.right, area.bottom, BackdropDc.get(), 0, 0, SRCCOPY);
}

LRESULT SettingsDialogForm::LabelBackground(HDC dc, HWND label) {
  const auto id = ControlOf(label);
  const bool isLabel =
      id && (ControlRow(*id).Kind == ControlKind::Label || ControlRow(*id).Kind == ControlKind::BorderedLabel);
  // Anything else (the disabled combo's field) keeps the system's colours.
  if (!isLabel || !BackdropBrush)
    return Window::HandleMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
  // The label fills its background with the backdrop lined up under it, so
  // its text stands on the gradient, and a changed text never leaves a trace.
  POINT origin{0, 0};
  ::MapWindowPoints(label, Handle(), &origin, 1);
  ::SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  return reinterpret_cast<LRESULT>(BackdropBrush.get());
}

void SettingsDialogForm::DrawMark(const DRAWITEMSTRUCT& item) const {
  const auto id = ControlOf(item.hwndItem);
  if (!id || !BackdropDc) return;
  POINT origin{0, 0};
  ::MapWindowPoints(item.hwndItem, Handle(), &origin, 1);
  const RECT& area = item.rcItem;
  ::BitBlt(item.hDC, area.left, area.top, area.right - area.left, area.bottom - area.top, BackdropDc.get(),
           origin.x + area.left, origin.y + area.top, SRCCOPY);
  unique_hdc pictureDc(::CreateCompatibleDC(item.hDC));
  unique_select_object picture(pictureDc.get(), Model.MarkOn(*id) ? MarkOn.get() : MarkOff.get());
  ::BitBlt(item.hDC, area.left, area.top, MarkPicturePixels, MarkPicturePixels, pictureDc.get(), 0, 0, SRCCOPY);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &area);
}

void SettingsDialogForm::OnCommand(ControlId id, WORD code) {
  // STN_CLICKED for the labels too; a disabled button does nothing, even when sent a click.
  if (code != BN_CLICKED || !Model.Enabled(id)) return;
  switch (id) {
    case Cmd_BGM: PickMusicFile(); return;
    case Cmd_Etc: OpenWebPage(); return;
    case Cmd_Set: Save(); return;
    case Cmd_Can: Closing = true; return;  // nothing is written
    default: break;
  }
  if (TogglesRebound(id)) {
    Model.ToggleRebound();
    ShowModelState();
  } else if (const auto kind = MusicChoiceOf(id)) {
    SelectMusic(*kind);  // space on a focused mark; mouse presses come before
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

void SettingsDialogForm::SelectMusic(std::int16_t kind) {
  Model.SelectMusic(kind);
  ShowModelState();
  // The chosen mark takes the focus, as a clicked option does; the control
  // that had it may just have been disabled.
  for (const DialogControl& row : DialogControls()) {
    if (row.Kind == ControlKind::Mark && MusicChoiceOf(row.Id) == kind) ::SetFocus(Control(row.Id));
  }
}

void SettingsDialogForm::PickMusicFile() {
  std::wstring file(PickerFileChars, L'\0');
  std::wstring title(PickerTitleChars, L'\0');
  const std::wstring caption(PickerTitle);
  OPENFILENAMEW picker{};
  picker.lStructSize = sizeof picker;
  picker.hwndOwner = Handle();
  picker.hInstance = Instance();
  picker.lpstrFilter = PickerFilter;
  picker.lpstrFile = file.data();
  picker.nMaxFile = PickerFileChars;
  picker.lpstrFileTitle = title.data();
  picker.nMaxFileTitle = PickerTitleChars;
  picker.lpstrTitle = caption.c_str();
  picker.Flags = PickerFlags;
  if (!::GetOpenFileNameW(&picker)) return;  // cancelled or failed: the file stays
  if (const auto message = Model.PickFile(file.c_str())) ShowMessage(*message);
  ShowModelState();
}

void SettingsDialogForm::OpenWebPage() {
  if (Model.WebPageAddress().empty()) return;
  const BusyCursor busy(Busy);
  const std::wstring verb(WebPageVerb);
  ::ShellExecuteW(Handle(), verb.c_str(), Model.WebPageAddress().c_str(), L"", L"", WebPageShow);
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

RECT SettingsDialogForm::PixelsOf(const DialogControl& row) const {
  PixelBox r = ToPixels(row.Place, PerPixel);
  if (row.OnPanel) {
    // Inside the panel's sunken edge, where its own coordinates start.
    const PixelBox panel = ToPixels(ControlRow(Pic_C_0).Place, PerPixel);
    r.Left += panel.Left + ::GetSystemMetrics(SM_CXEDGE);
    r.Top += panel.Top + ::GetSystemMetrics(SM_CYEDGE);
  }
  return {r.Left, r.Top, r.Left + r.Width, r.Top + r.Height};
}

}  // namespace orbisette
