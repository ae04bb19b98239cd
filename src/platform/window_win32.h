// The base of every window the program makes: the ball windows, the saver
// window, the settings dialog and the preview. A derived form names its class
// and handles its messages; the base registers the class once, ties the C++
// object to its HWND from WM_NCCREATE to WM_NCDESTROY and counts the program's
// live windows, which keep the message loop going. A form is only ever made as
// WindowOf<Form>, which destroys the window while the whole object still
// stands: no message reaches a form whose members are already gone.
#pragma once

#include <windows.h>

namespace orbisette {

// What differs between window classes; every other class field is the system's default.
struct WindowClass {
  const wchar_t* Name;
  // The background brush: a system colour index + 1, or 0 for none.
  int BackgroundColour = COLOR_BTNFACE + 1;
  HCURSOR Cursor = nullptr;  // the arrow when null
  UINT Style = 0;
};

struct WindowCreation {
  DWORD ExStyle = 0;
  const wchar_t* Caption = L"";
  DWORD Style = WS_POPUP;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND Parent = nullptr;  // the owner of a popup, the parent of a child
};

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window() = default;

  HWND Handle() const noexcept { return Hwnd; }
  bool Exists() const noexcept { return Hwnd != nullptr; }
  // Destroys the window now (WM_DESTROY and WM_NCDESTROY run inside).
  void Destroy() noexcept;
  // Whether the object is being let go: its window is destroyed because the
  // object goes, not because anything ended it.
  bool Released() const noexcept { return Releasing; }

  // The module the program's windows belong to.
  static HINSTANCE Instance() noexcept;
  // Dispatches messages while any window of the program lives; returns at once when none does.
  static void RunMessageLoop() noexcept;

 protected:
  // Registers the class on first use and creates the window. WM_NCCREATE and
  // WM_CREATE reach HandleMessage before this returns. False when it failed.
  bool Create(const WindowClass& windowClass, const WindowCreation& creation) noexcept;
  // Every message between WM_NCCREATE and WM_NCDESTROY; the default handling is DefWindowProc.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  // Called from WM_NCDESTROY, after which the object no longer has a window.
  virtual void OnDestroyed() noexcept {}
  // The object is going: the window goes first, while every part still stands.
  void Release() noexcept {
    Releasing = true;
    Destroy();
  }

 private:
  // Overridden by WindowOf alone: a form made any other way stays abstract and
  // does not compile.
  virtual void MadeAsWindowOf() noexcept = 0;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  HWND Hwnd = nullptr;
  bool Releasing = false;
};

// A window of the given form, the only way one is made: its destructor runs
// before the form's, and destroys the window while the form is still whole.
template <typename Form>
class WindowOf final : public Form {
 public:
  using Form::Form;
  ~WindowOf() override { this->Release(); }

 private:
  void MadeAsWindowOf() noexcept override {}
};

}  // namespace orbisette
