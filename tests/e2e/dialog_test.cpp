// The settings dialog "<Orbisette>" as the host and a user meet it: opened with
// /c over a prepared Orbisette.ini, every control read from outside, pressed
// with the mouse and the keyboard, the real open-file dialog, the bytes "設定"
// leaves in the file, files that cannot be written, the host's ownership, the
// guard, and the gradient on the screen.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "dialog_driver.h"
#include "five_keys.h"
#include "settings/settings.h"

#include <dlgs.h>  // after <windows.h>: the open-file dialog's control ids

namespace e2e {
namespace {

namespace core = orbisette;
using orbisette::FiveKeyLines;

std::string Ansi(const std::wstring& text) {
  std::string out(text.size() * 2, '\0');
  out.resize(
      static_cast<std::size_t>(::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                                                     static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

// Whether a file opens for writing, or a new file can be made in a folder and
// removed again. A lock that lands between the probe's making and its removal
// leaves the probe behind: the folder is locked then, and the next probe
// removes it first once the folder is free.
bool Writable(const std::wstring& path, bool folder) {
  const std::wstring probe = path + L"\\probe";
  if (folder) ::DeleteFileW(probe.c_str());
  HANDLE h =
      folder ? ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr)
             : ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(h);
  return !folder || !PathExists(probe);
}

// A file or folder that cannot be written while this lives. Running as root,
// only the immutable flag does that under Wine, which starts a Unix program
// named by its Z: path (without a handle to wait on).
class Unwritable {
 public:
  Unwritable(std::wstring path, bool folder) : Path(std::move(path)), IsFolder(folder) { Set("+i", false); }
  ~Unwritable() { Set("-i", true); }

 private:
  void Set(const char* flag, bool writable) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    ASSERT_NE(unixName, nullptr) << "needs Wine";
    char* name = unixName(Path.c_str());
    std::wstring command = L"Z:\\usr\\bin\\chattr " + std::wstring(flag, flag + 2) + L" \"";
    for (const char* c = name; *c; ++c) command += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    ::HeapFree(::GetProcessHeap(), 0, name);
    command += L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    EXPECT_TRUE(WaitUntil([&] { return Writable(Path, IsFolder) == writable; }, Settle)) << flag;
  }
  std::wstring Path;
  bool IsFolder;
};

// Escape for the dialog. Read back at once: Wine keeps the press as "pressed
// since the last call" until someone asks, and a saver started next would.
void PressEscapeHere() {
  PressKey(VK_ESCAPE);
  ::GetAsyncKeyState(VK_ESCAPE);
}

// The program's message box or open-file dialog with this caption, once it is up.
HWND BoxOf(const SaverProcess& process, const wchar_t* caption) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (const auto& box : MessageBoxesOf(process.Id())) found = box.Caption == caption ? box.Hwnd : found;
        return found != nullptr;
      },
      Settle);
  return found;
}

class Dialog : public ::testing::Test {
 protected:
  std::wstring Ini() const { return App.File(L"Orbisette.ini"); }
  AppFolder App;
};

TEST_F(Dialog, OpensWithEveryControlInPlaceShowingTheSettings) {
  WriteBytes(App.File(L"song.mp3"), "ID3");
  const struct {
    std::string File;
    std::array<bool, 4> Marks;  // Img_BGM(0), (1), (2), Img_Hanpatu
    bool RepeatEnabled, PickerEnabled;
    const wchar_t *Repeat, *Speed;
    int Bar;
    std::wstring FileLabel;
  } cases[] = {
      {"", {true, false, false, true}, false, false, L"", L"15", 15, L""},  // no file
      {FiveKeyLines(" 1", " 0", "", " 15", " 1"), {false, true, false, true}, true, false, L"", L"15", 15, L""},
      {FiveKeyLines(" 2", " 7", Ansi(App.File(L"song.mp3")), " 42", " 0"),
       {false, false, true, false},
       false,
       true,
       L"7",
       L"42",
       42,
       App.File(L"song.mp3")},
      {FiveKeyLines(" 5", " 3", "", "12.5", " 7"), {false, false, false, false}, false, false, L"3", L"12.5", 12, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
    if (!c.File.empty()) WriteBytes(Ini(), "[Section]\r\n" + c.File);
    OpenDialog dialog(App);
    ASSERT_TRUE(dialog.Shown());
    for (std::size_t k = 0; k < c.Marks.size(); ++k) {
      EXPECT_TRUE(dialog.MarkShows(std::array{Img_BGM_0, Img_BGM_1, Img_BGM_2, Img_Hanpatu}[k], c.Marks[k])) << k;
    }
    EXPECT_EQ((std::array{dialog.Enabled(BGM_Repeat), dialog.Enabled(Cmd_BGM), dialog.Enabled(Cmd_Etc)}),
              (std::array{c.RepeatEnabled, c.PickerEnabled, false}))
        << "no web page configured: no dead link";
    EXPECT_EQ((std::array{dialog.Text(BGM_Repeat), dialog.Text(lbl_Fast), dialog.Text(lbl_Fname)}),
              (std::array<std::wstring, 3>{c.Repeat, c.Speed, c.FileLabel}));
    EXPECT_EQ(dialog.SpeedBar(), c.Bar);
    dialog.Click(Cmd_Can);
    EXPECT_TRUE(dialog.Closes());
  }
}

TEST_F(Dialog, ItsPlaceCaptionsAndGradientsOnTheScreen) {
  OpenDialog dialog(App);
  ASSERT_TRUE(dialog.Shown());
  RECT client{}, outer{};
  ::GetClientRect(dialog.Hwnd, &client);
  ::GetWindowRect(dialog.Hwnd, &outer);
  EXPECT_EQ((std::array{client.right, client.bottom}), (std::array<LONG, 2>{479, 244}));  // 7185 x 3660 twips
  // On the harness's 1024 x 768 screen at 96 DPI, half way across and a third of
  // the way down (the frame around the client is this Wine's).
  EXPECT_EQ((std::array{outer.left, outer.top}),
            (std::array<LONG, 2>{(1024 - (outer.right - outer.left)) / 2, (768 - (outer.bottom - outer.top)) / 3}));
  EXPECT_EQ(::GetWindow(dialog.Hwnd, GW_OWNER), nullptr);
  for (const DesignRow& row : Design) {
    const HWND control = dialog.Control(row.Id);
    ASSERT_NE(control, nullptr) << core::ControlRow(row.Id).Name;
    const RECT want = row.Place, got = dialog.ClientRectOf(control);
    const bool combo = row.Id == BGM_Repeat;
    EXPECT_EQ((std::array{got.right - got.left, combo ? 0 : got.bottom - got.top}),
              (std::array{want.right - want.left, combo ? 0 : want.bottom - want.top}))
        << core::ControlRow(row.Id).Name;
    const std::wstring text = dialog.Text(row.Id);
    EXPECT_TRUE(row.Id == lbl_Credit ? text.ends_with(row.Caption) : !*row.Caption || text == row.Caption)
        << core::ControlRow(row.Id).Name;
  }
  const HWND combo = dialog.Control(BGM_Repeat);
  ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 31);
  for (const auto& [index, text] : {std::pair{0, L""}, {1, L"1"}, {30, L"30"}}) {
    wchar_t entry[8] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, text);
  }
  ASSERT_TRUE(dialog.MarkShows(Img_BGM_0, true));  // painted by now
  // The form's rows at x 5, left of the panel; the panel's at x 10 inside its edge at (14, 18).
  const std::pair<POINT, Colour> rows[] = {
      {{5, 0}, {0, 0, 30}},     {{5, 122}, {220, 220, 250}},  {{5, 243}, {3, 3, 33}},     // 3645 of 3660 twips
      {{24, 18}, {30, 30, 30}}, {{24, 100}, {250, 250, 250}}, {{24, 182}, {34, 34, 34}},  // 2460 of 2475
  };
  for (const auto& [p, colour] : rows) {
    EXPECT_TRUE(
        WaitUntil([&, p = p, colour = colour] { return ScreenPixel(dialog.OnScreen(p.x, p.y)) == colour; }, Settle))
        << p.x << "," << p.y;
  }
  // Every caption's text starts at its label's left edge, once the label has painted.
  auto inkAtLeftEdge = [&](const RECT& r) {
    for (int x = r.left + 1; x < r.left + 4; ++x) {
      for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        const Colour c = ScreenPixel(dialog.OnScreen(x, y));
        if (c[0] + c[1] + c[2] < 150) return true;
      }
    }
    return false;
  };
  for (const DesignRow& row : Design) {
    if (!*row.Caption || row.Id == Cmd_BGM || row.Id == Cmd_Etc || row.Id == Cmd_Set || row.Id == Cmd_Can) continue;
    EXPECT_TRUE(WaitUntil([&] { return inkAtLeftEdge(row.Place); }, Settle))
        << core::ControlRow(row.Id).Name << ": no text at its left edge";
  }
  dialog.Click(Cmd_Can);
  EXPECT_TRUE(dialog.Closes());
}

TEST_F(Dialog, WhatEachWayOutLeavesInTheFile) {
  using D = const OpenDialog&;
  const struct {
    const char* What;
    std::string Loaded;
    std::function<void(D)> Act, Close;
    std::optional<std::string> Saved;  // nullopt: the file as it was
  } cases[] = {
      {"設定 unchanged: numbers get their space", FiveKeyLines("1", "0", "", "15", "1"), [](D) {},
       [](D d) { d.Click(Cmd_Set); }, FiveKeyLines(" 1", " 0", "", " 15", " 1")},
      {"a right press on the CD label, 7 typed, Enter", FiveKeyLines(" 0", " 0", "", " 15", " 1"),
       [](D d) {
         d.Press(lbl_BGM_1, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
         EXPECT_TRUE(WaitUntil([&] { return d.Enabled(BGM_Repeat); }, Settle));
         EXPECT_TRUE(d.MarkShows(Img_BGM_1, true));
         d.Type(L"7");
         EXPECT_TRUE(WaitUntil([&] { return d.Text(BGM_Repeat) == L"7"; }, Settle));
       },
       [](D) { PressKey(VK_RETURN); }, FiveKeyLines(" 1", " 7", "", " 15", " 1")},
      {"a middle press on the file mark, a click on 反撥, the bar to 42 and one arrow down",
       FiveKeyLines(" 0", " 0", "", " 15", " 1"),
       [](D d) {
         d.Post(Img_BGM_2, WM_MBUTTONDOWN, WM_MBUTTONUP);
         EXPECT_TRUE(WaitUntil([&] { return d.Enabled(Cmd_BGM); }, Settle));
         d.Press(lbl_Hanpatu, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
         ::PostMessageW(d.Hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 42),
                        reinterpret_cast<LPARAM>(d.Control(VS_Fast)));  // the end of a drag
         EXPECT_TRUE(WaitUntil([&] { return d.Text(lbl_Fast) == L"42"; }, Settle));
         const RECT bar = OpenDialog::Place(VS_Fast);
         d.PressAt(bar.left + 5, bar.bottom - 4, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
         EXPECT_TRUE(WaitUntil([&] { return d.Text(lbl_Fast) == L"43" && d.SpeedBar() == 43; }, Settle));
         EXPECT_TRUE(d.MarkShows(Img_Hanpatu, false));
       },
       [](D d) { d.Click(Cmd_Set); }, FiveKeyLines(" 2", " 0", "", " 43", " 0")},
      {"letters typed; rebound clicked on its mark, then its caption", FiveKeyLines(" 1", " 4", "", " 15", " 1"),
       [](D d) {
         d.Type(L"abc");
         d.Post(Img_Hanpatu, WM_LBUTTONDOWN, WM_LBUTTONUP);
         EXPECT_TRUE(d.MarkShows(Img_Hanpatu, false));
         d.Post(lbl_Hanpatu, WM_LBUTTONDOWN, WM_LBUTTONUP);
         d.Post(Img_Hanpatu, WM_RBUTTONDOWN, WM_RBUTTONUP);  // the switch wants a click
         EXPECT_TRUE(d.MarkShows(Img_Hanpatu, true));
       },
       [](D d) { d.Click(Cmd_Set); }, FiveKeyLines(" 1", " 0", "", " 15", " 1")},
      {"Escape after changes", FiveKeyLines(" 0", " 0", "", " 15", " 1"),
       [](D d) { d.Post(lbl_BGM_1, WM_RBUTTONDOWN, WM_RBUTTONUP), d.Type(L"9"); }, [](D) { PressEscapeHere(); },
       std::nullopt},
      {"ｷｬﾝｾﾙ after changes", FiveKeyLines(" 0", " 0", "", " 15", " 1"),
       [](D d) { d.Post(Img_BGM_1, WM_LBUTTONDOWN, WM_LBUTTONUP); }, [](D d) { d.Click(Cmd_Can); }, std::nullopt},
      {"the frame's close box", FiveKeyLines(" 0", " 0", "", " 15", " 1"), [](D) {},
       [](D d) { ::PostMessageW(d.Hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }, std::nullopt},
  };
  const std::string head = "; kept\r\n[Other]\r\na=b\r\n[Section]\r\n", tail = "[Last]\r\nz=1\r\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    WriteBytes(Ini(), head + c.Loaded + tail);
    OpenDialog dialog(App);
    ASSERT_TRUE(dialog.Shown());
    c.Act(dialog);
    c.Close(dialog);
    ASSERT_TRUE(dialog.Closes());
    EXPECT_EQ(ReadBytes(Ini()), head + c.Saved.value_or(c.Loaded) + tail);
  }
}

TEST_F(Dialog, TheKeyboardReachesEveryControl) {
  WriteBytes(Ini(), "[Section]\r\n" + FiveKeyLines(" 1", " 0", "", " 15", " 1"));
  OpenDialog dialog(App);
  ASSERT_TRUE(dialog.Shown());
  ASSERT_TRUE(WaitUntil([&] { return dialog.Focus() == Img_BGM_1; }, Settle)) << "the first tab stop has the focus";
  // Tab from stop to stop, past the disabled ones; some stops get a key.
  const std::pair<ControlId, WORD> stops[] = {
      {BGM_Repeat, 0}, {Img_BGM_0, VK_SPACE}, {Img_BGM_2, 0}, {VS_Fast, VK_END}, {Img_Hanpatu, VK_SPACE},
      {Cmd_Set, 0},    {Cmd_Can, 0},          {Img_BGM_1, 0}, {Img_BGM_0, 0},
  };
  for (const auto& [stop, key] : stops) {
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&, stop = stop] { return dialog.Focus() == stop; }, Settle)) << core::ControlRow(stop).Name;
    if (key) PressKey(key);
  }
  EXPECT_TRUE(WaitUntil([&] { return dialog.Text(lbl_Fast) == L"60"; }, Settle));
  EXPECT_TRUE(dialog.MarkShows(Img_Hanpatu, false));
  EXPECT_TRUE(dialog.MarkShows(Img_BGM_0, true));
  PressKey(VK_RETURN);  // on a mark: "設定"
  ASSERT_TRUE(dialog.Closes());
  EXPECT_EQ(ReadBytes(Ini()), "[Section]\r\n" + FiveKeyLines(" 0", " 0", "", " 60", " 0"));
}

TEST_F(Dialog, PicksTheMusicFileInTheOpenFileDialog) {
  ::CreateDirectoryW(App.File(L"music").c_str(), nullptr);
  const std::wstring song = App.File(L"music\\song.mp3"), kanji = App.File(L"music\\曲.mp3");
  WriteBytes(song, "ID3");
  WriteBytes(kanji, "ID3");
  wchar_t shortPath[MAX_PATH] = {};
  ::GetShortPathNameW(kanji.c_str(), shortPath, MAX_PATH);
  // 曲 has no form in code page 1252: its short path is stored instead.
  const std::wstring kanjiStored = ::GetACP() == 932 ? kanji : shortPath;
  // Paths of 255 and 256 characters: the settings file holds the first whole, not the second.
  const std::wstring dir = App.File(L"music\\"), longest = dir + std::wstring(251 - dir.size(), L'a') + L".mp3";
  WriteBytes(longest, "ID3");
  const std::pair<std::wstring, std::wstring> picks[] = {
      {song, song},
      {kanji, kanjiStored},
      {L"", kanjiStored},                            // cancelled
      {App.File(L"music\\Ωμέγα.mp3"), kanjiStored},  // no such file, and no short path: a message
      {longest, longest},
      {dir + std::wstring(252 - dir.size(), L'b') + L".mp3", longest},  // nor a short path: a message
  };
  WriteBytes(Ini(), "[Section]\r\n" + FiveKeyLines(" 2", " 0", Ansi(song), " 15", " 1"));
  OpenDialog dialog(App);
  ASSERT_TRUE(dialog.Shown());
  for (const auto& [typed, shown] : picks) {
    dialog.Click(Cmd_BGM);
    const HWND picker = BoxOf(dialog.Process, L"ﾌｧｲﾙを開く");
    ASSERT_NE(picker, nullptr);
    wchar_t filter[64] = {};
    ::SendMessageW(::GetDlgItem(picker, cmb1), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(filter));
    EXPECT_STREQ(filter, L"BGMﾌｧｲﾙ (MP3 WAV)");
    ::SendMessageW(::GetDlgItem(picker, cmb13), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    ::PostMessageW(picker, WM_COMMAND, typed.empty() ? IDCANCEL : IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }, Settle));
    if (typed.find(L'Ω') != std::wstring::npos || typed.size() > 255) {
      const HWND box = BoxOf(dialog.Process, L"Orbisette");
      ASSERT_NE(box, nullptr);
      EXPECT_NE(MessageBoxesOf(dialog.Process.Id()).at(0).Text.find(L"255"), std::wstring::npos) << "no limit named";
      AnswerOk(box);
    }
    EXPECT_TRUE(WaitUntil([&, shown = shown] { return dialog.Text(lbl_Fname) == shown; }, Settle)) << Ansi(typed);
  }
  dialog.Click(Cmd_Set);
  ASSERT_TRUE(dialog.Closes());
  EXPECT_EQ(ReadBytes(Ini()), "[Section]\r\n" + FiveKeyLines(" 2", " 0", Ansi(longest), " 15", " 1"));
}

TEST_F(Dialog, ASaveThatCannotBeWrittenSaysSoAndStaysOpen) {
  const struct {
    const wchar_t* Typed;
    std::wstring Locked;  // made unwritable; empty for none
    bool Folder;
    const wchar_t* Says;  // a part of the message
  } cases[] = {
      {L"3", Ini(), false, L"Orbisette.ini"},      // a read-only file
      {L"3", App.Path(), true, L"Orbisette.ini"},  // a read-only folder
      {L"40000", L"", false, L"32767"},            // a repeat beyond 16 bits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Ansi(c.Locked + c.Typed));
    const std::string before = "[Section]\r\n" + FiveKeyLines(" 0", " 0", "", " 15", " 1");
    WriteBytes(Ini(), before);
    const auto files = Snapshot(App.Path());
    std::optional<Unwritable> lock;
    if (!c.Locked.empty()) lock.emplace(c.Locked, c.Folder);
    OpenDialog dialog(App);
    ASSERT_TRUE(dialog.Shown());
    dialog.Post(Img_BGM_1, WM_LBUTTONDOWN, WM_LBUTTONUP);
    dialog.Type(c.Typed);
    dialog.Click(Cmd_Set);
    const HWND box = BoxOf(dialog.Process, L"Orbisette");
    ASSERT_NE(box, nullptr);
    const std::wstring text = MessageBoxesOf(dialog.Process.Id()).at(0).Text;
    EXPECT_NE(text.find(c.Says), std::wstring::npos) << Ansi(text);
    EXPECT_NE(text.find(L"保存していません"), std::wstring::npos) << "says that nothing was saved";
    AnswerOk(box);
    EXPECT_FALSE(dialog.Process.WaitForExit(300ms)) << "the dialog stays open";
    EXPECT_EQ(dialog.Text(BGM_Repeat), c.Typed) << "with its values";
    EXPECT_TRUE(dialog.MarkShows(Img_BGM_1, true));
    dialog.Click(Cmd_Can);
    EXPECT_TRUE(dialog.Closes());
    lock.reset();
    EXPECT_EQ(ReadBytes(Ini()), before);
    EXPECT_EQ(Snapshot(App.Path()), files) << "no file left behind";
  }
}

TEST_F(Dialog, ModalToTheHostWindowItNames) {
  const HWND host = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                      nullptr, ::GetModuleHandleW(nullptr), nullptr);
  // The dialog disables and enables the host by messages: this thread answers them while it waits.
  const auto answering = [](std::function<bool()> done) {
    return [done] {
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
      return done();
    };
  };
  const std::wstring handle = std::to_wstring(reinterpret_cast<INT_PTR>(host));
  for (const auto& [arguments, owner] : {std::pair{L"/c:" + handle, host},
                                         {L"/C " + handle, host},
                                         {std::wstring(L"/c:4660"), HWND{}}}) {  // 4660 names no window
    SCOPED_TRACE(Ansi(arguments));
    SaverProcess process(App.Program(), arguments);
    HWND dialog = nullptr;
    ASSERT_TRUE(
        WaitUntil(answering([&] { return (dialog = ::FindWindowW(nullptr, L"<Orbisette>")) != nullptr; }), 10s));
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), owner);
    EXPECT_TRUE(WaitUntil(answering([&, owner = owner] { return ::IsWindowEnabled(host) == !owner; }), Settle));
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil(answering([&] { return process.Exited(); }), Settle));
    EXPECT_TRUE(::IsWindowEnabled(host)) << "the host has its input back";
  }
  ::DestroyWindow(host);
}

TEST_F(Dialog, AnotherStartWhileItIsOpenEndsAtOnce) {
  OpenDialog dialog(App);
  ASSERT_TRUE(dialog.Shown());
  for (const wchar_t* arguments : {L"/c", L"/s", L"/p 1234"}) {
    SaverProcess second(App.Program(), arguments);
    ASSERT_TRUE(second.WaitForExit(8s)) << Ansi(arguments);
    EXPECT_EQ(second.ExitCode(), 0u);
  }
  EXPECT_FALSE(PathExists(InstallDir)) << "no run started";
  EXPECT_TRUE(dialog.Shown());
  dialog.Click(Cmd_Can);
  EXPECT_TRUE(dialog.Closes());
}

// A file the platform's profile functions wrote on a Japanese system: shown,
// changed, saved, and read back by them.
TEST(CodePage932Dialog, ShowsAndSavesAFileTheProfileFunctionsWrote) {
  if (::GetACP() != 932) GTEST_SKIP() << "needs the ANSI code page 932 (run with LANG=ja_JP.UTF-8)";
  AppFolder app;
  ::CreateDirectoryW(app.File(L"音楽").c_str(), nullptr);
  WriteBytes(app.File(L"音楽\\曲.mp3"), "ID3");
  const std::string ini = Ansi(app.File(L"Orbisette.ini")), song = Ansi(app.File(L"音楽\\曲.mp3"));
  const auto written = {std::pair{core::KeyBgmKind, std::string("2")},
                        {core::KeyBgmRepeat, "4"},
                        {core::KeyBgmFile, song},
                        {core::KeyMoveSpeed, "33"},
                        {core::KeyRebound, "0"}};
  for (const auto& [key, value] : written) {
    ::WritePrivateProfileStringA("Section", std::string(key).c_str(), value.c_str(), ini.c_str());
  }
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());  // to the disk now
  OpenDialog dialog(app);
  ASSERT_TRUE(dialog.Shown());
  EXPECT_TRUE(dialog.MarkShows(Img_BGM_2, true));
  EXPECT_TRUE(dialog.MarkShows(Img_Hanpatu, false));
  EXPECT_EQ(dialog.Text(lbl_Fname), app.File(L"音楽\\曲.mp3"));
  EXPECT_EQ((std::pair{dialog.Text(BGM_Repeat), dialog.SpeedBar()}), (std::pair{std::wstring(L"4"), 33}));
  dialog.Post(lbl_BGM_1, WM_RBUTTONDOWN, WM_RBUTTONUP);
  dialog.Type(L"１２");  // full-width, as a Japanese input method types
  EXPECT_TRUE(WaitUntil([&] { return dialog.Text(BGM_Repeat) == L"１２"; }, Settle));
  dialog.Click(Cmd_Set);
  ASSERT_TRUE(dialog.Closes());
  for (const auto& [key, value] : {std::pair{core::KeyBgmKind, std::string("1")},
                                   {core::KeyBgmRepeat, "12"},
                                   {core::KeyBgmFile, song},
                                   {core::KeyMoveSpeed, "33"},
                                   {core::KeyRebound, "0"}}) {
    char buffer[256] = {};
    ::GetPrivateProfileStringA("Section", std::string(key).c_str(), "", buffer, 256, ini.c_str());
    EXPECT_EQ(buffer, value);
  }
}

}  // namespace
}  // namespace e2e
