// The settings dialog's model and control table: what the controls show after
// load and after each action, and the exact bytes "設定" leaves in the file.
#include <gtest/gtest.h>

#include <fnmatch.h>

#include <functional>
#include <map>

#include "dialog/dialog_model.h"
#include "five_keys.h"
#include "memory_store.h"

namespace orbisette {
namespace {

using enum ControlId;

const std::filesystem::path Ini = "app/Orbisette.ini";

Settings SettingsWith(std::int16_t kind, std::int16_t repeat = 0, std::string file = "", float speed = 15,
                      std::int16_t rebound = 1) {
  return Settings{kind, repeat, std::move(file), speed, rebound};
}

// ANSI is ASCII here; two paths have short forms.
DialogContext Context(std::wstring address = L"https://example.invalid/") {
  AnsiPathPort paths;
  paths.ToAnsi = [](std::wstring_view path) -> std::optional<std::string> {
    std::string ansi;
    for (wchar_t c : path) {
      if (c >= 0x80) return std::nullopt;
      ansi += static_cast<char>(c);
    }
    return ansi;
  };
  paths.ShortPath = [](std::wstring_view path) -> std::optional<std::wstring> {
    static const std::map<std::wstring, std::wstring, std::less<>> shortForms = {
        {L"C:\\音楽\\曲.mp3", L"C:\\8A3F~1\\8B48~1.MP3"},
        {L"C:\\" + std::wstring(300, L'a') + L".mp3", L"C:\\AAAAAA~1.MP3"},
        {L"C:\\" + std::wstring(300, L'c'), L"C:\\" + std::wstring(260, L'C')},  // too deep even when short
    };
    auto it = shortForms.find(path);
    return it == shortForms.end() ? std::nullopt : std::optional<std::wstring>(it->second);
  };
  return {Ini, std::move(address), '.', paths};
}

TEST(DialogModel, MarksAndEnabledControlsFollowTheMusicKind) {
  const struct {
    std::int16_t Loaded;
    std::optional<std::int16_t> Pressed;
    std::array<bool, 3> Marks;  // Img_BGM(0), (1), (2)
    bool RepeatEnabled, FileEnabled;
  } cases[] = {
      {0, {}, {true, false, false}, false, false}, {1, {}, {false, true, false}, true, false},
      {2, {}, {false, false, true}, false, true},  {5, {}, {false, false, false}, false, false},
      {0, 1, {false, true, false}, true, false},   {1, 2, {false, false, true}, false, true},
      {2, 0, {true, false, false}, false, false},  {5, 2, {false, false, true}, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "loaded " << c.Loaded << " pressed " << c.Pressed.value_or(-1));
    Settings settings = SettingsWith(c.Loaded);
    DialogModel model(settings, Context());
    if (c.Pressed) model.Press(std::array{Img_BGM_0, Img_BGM_1, Img_BGM_2}[static_cast<std::size_t>(*c.Pressed)]);
    EXPECT_EQ((std::array{model.MarkOn(Img_BGM_0), model.MarkOn(Img_BGM_1), model.MarkOn(Img_BGM_2)}), c.Marks);
    EXPECT_FALSE(model.MarkOn(lbl_BGM_1));
    EXPECT_EQ(model.Enabled(BGM_Repeat), c.RepeatEnabled);
    EXPECT_EQ(model.Enabled(Cmd_BGM), c.FileEnabled);
    EXPECT_EQ(settings.BgmKind, c.Pressed.value_or(c.Loaded)) << "the choice reaches the settings at once";
  }
  Settings settings = SettingsWith(0);
  EXPECT_TRUE(DialogModel(settings, Context()).Enabled(Cmd_Etc));
  EXPECT_FALSE(DialogModel(settings, Context(L"")).Enabled(Cmd_Etc)) << "no address, no dead link";
}

TEST(DialogModel, ReboundMarkToggles) {
  const struct {
    std::int16_t Loaded;
    int Clicks;
    std::int16_t After;
    bool MarkOn;
  } cases[] = {{1, 0, 1, true}, {0, 0, 0, false}, {0, 1, 1, true}, {1, 1, 0, false},
               {1, 2, 1, true}, {7, 0, 7, false}, {7, 1, 1, true}, {-1, 2, 0, false}};
  for (const auto& c : cases) {
    Settings settings = SettingsWith(0, 0, "", 15, c.Loaded);
    DialogModel model(settings, Context());
    for (int i = 0; i < c.Clicks; ++i) model.Press(Img_Hanpatu);
    EXPECT_EQ(settings.Rebound, c.After) << c.Loaded << " clicked " << c.Clicks;
    EXPECT_EQ(model.MarkOn(Img_Hanpatu), c.MarkOn) << c.Loaded << " clicked " << c.Clicks;
  }
}

TEST(DialogModel, RepeatComboEntriesAndText) {
  const auto& entries = RepeatEntries();
  ASSERT_EQ(entries.size(), 31u);
  EXPECT_EQ(entries[0], L"");
  for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_EQ(entries[i], std::to_wstring(i));
  const std::pair<std::int16_t, const wchar_t*> loaded[] = {
      {0, L""}, {7, L"7"}, {30, L"30"}, {-5, L"-5"}, {123, L"123"}};
  for (const auto& [repeat, text] : loaded) {
    Settings settings = SettingsWith(1, repeat);
    EXPECT_EQ(DialogModel(settings, Context()).RepeatText(), text) << repeat;
  }
}

TEST(DialogModel, SpeedBarAndLabel) {
  const struct {
    float Speed;
    char Separator;
    int Bar;
    const wchar_t* Label;
  } cases[] = {
      {15, '.', 15, L"15"}, {12.5f, '.', 12, L"12.5"},  {13.5f, '.', 14, L"13.5"}, {12.5f, ',', 12, L"12,5"},
      {60, '.', 60, L"60"}, {61, '.', 10, L"61"},       {9.4f, '.', 10, L"9.4"},   {-0.0f, '.', 10, L"0"},
      {-3, '.', 10, L"-3"}, {1e20f, '.', 10, L"1E+20"}, {60.5f, '.', 60, L"60.5"},
  };
  for (const auto& c : cases) {
    Settings settings = SettingsWith(0, 0, "", c.Speed);
    DialogContext context = Context();
    context.DecimalSeparator = c.Separator;
    DialogModel model(settings, context);
    EXPECT_EQ(model.SpeedBar(), c.Bar) << c.Speed;
    EXPECT_EQ(model.SpeedLabel(), c.Label) << c.Speed;
  }
  Settings settings = SettingsWith(0);
  DialogModel model(settings, Context());
  for (const auto& [moved, bar] : {std::pair{42, 42}, {9, 10}, {61, 60}}) {  // the bar stops at its ends
    model.MoveSpeedBar(moved);
    EXPECT_EQ((std::pair{model.SpeedBar(), model.SpeedLabel()}), (std::pair{bar, std::to_wstring(bar)})) << moved;
  }
  EXPECT_EQ(settings.MoveSpeed, 15.0f) << "the bar never changes the speed in memory";
}

// The file the save leaves behind when there was none: the five keys in order.
std::string SavedFile(const char* kind, const char* repeat, const std::string& file, const char* speed,
                      const char* rebound) {
  return "[Section]\r\n" + FiveKeyLines(kind, repeat, file, speed, rebound);
}

std::function<void(DialogModel&)> Type(const wchar_t* text) {
  return [text](DialogModel& m) { m.SetRepeatText(text); };
}

TEST(DialogSave, WritesTheFiveKeys) {
  const struct {
    const char* What;
    Settings Loaded;
    std::function<void(DialogModel&)> Act;
    std::string File;
    std::int16_t RepeatAfter;
  } cases[] = {
      {"CD, repeat 0, unchanged", SettingsWith(1), [](DialogModel&) {}, SavedFile(" 1", " 0", "", " 15", " 1"), 0},
      {"7 typed", SettingsWith(1), Type(L"7"), SavedFile(" 1", " 7", "", " 15", " 1"), 7},
      {"letters typed", SettingsWith(1, 4), Type(L"abc"), SavedFile(" 1", " 0", "", " 15", " 1"), 0},
      {"full-width 12", SettingsWith(1), Type(L"１２"), SavedFile(" 1", " 12", "", " 15", " 1"), 12},
      {"full-width blanks", SettingsWith(1), Type(L"\u30007\u3000"), SavedFile(" 1", " 7", "", " 15", " 1"), 7},
      {"2.5 halves to even", SettingsWith(1), Type(L" 2.5 "), SavedFile(" 1", " 2", "", " 15", " 1"), 2},
      {"lowest repeat", SettingsWith(1), Type(L"-32768.5"), SavedFile(" 1", "-32768", "", " 15", " 1"), -32768},
      {"highest repeat", SettingsWith(1), Type(L"32767"), SavedFile(" 1", " 32767", "", " 15", " 1"), 32767},
      {"none after a file", SettingsWith(2, 0, "C:\\a.mp3"), [](DialogModel& m) { m.Press(lbl_BGM_0); },
       SavedFile(" 0", " 0", "C:\\a.mp3", " 15", " 1"), 0},
      {"rebound twice", SettingsWith(0), [](DialogModel& m) { m.Press(lbl_Hanpatu), m.Press(lbl_Hanpatu); },
       SavedFile(" 0", " 0", "", " 15", " 1"), 0},
      {"rebound off", SettingsWith(0), [](DialogModel& m) { m.Press(lbl_Hanpatu); },
       SavedFile(" 0", " 0", "", " 15", " 0"), 0},
      {"bar to 42", SettingsWith(0), [](DialogModel& m) { m.MoveSpeedBar(42); }, SavedFile(" 0", " 0", "", " 42", " 1"),
       0},
      {"speed 61 keeps the bar at 10", SettingsWith(0, 0, "", 61), [](DialogModel&) {},
       SavedFile(" 0", " 0", "", " 10", " 1"), 0},
      {"kind 5 as read", SettingsWith(5, 3), [](DialogModel&) {}, SavedFile(" 5", " 3", "", " 15", " 1"), 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    Settings settings = c.Loaded;
    DialogModel model(settings, Context());
    c.Act(model);
    MemoryStore store;
    EXPECT_EQ(model.Save(store), std::nullopt);
    EXPECT_EQ(store.Files[Ini], c.File);
    EXPECT_EQ(store.Files.size(), 1u);
    EXPECT_EQ(settings.BgmRepeat, c.RepeatAfter);
    EXPECT_EQ(settings.MoveSpeed, c.Loaded.MoveSpeed) << "the bar never changes the speed in memory";
  }
}

// Closing without "設定" saves nothing (the model writes only through Save's
// store); the music choice alone has reached the settings in memory.
TEST(DialogModel, OnlyTheMusicChoiceReachesTheSettingsBeforeASave) {
  Settings settings = SettingsWith(0);
  DialogModel model(settings, Context());
  model.Press(Img_BGM_1);
  model.SetRepeatText(L"3");
  model.MoveSpeedBar(50);
  model.Press(Img_Hanpatu);
  EXPECT_EQ(settings.BgmKind, 1);
  EXPECT_EQ(settings.BgmRepeat, 0);
  EXPECT_EQ(settings.MoveSpeed, 15.0f);
}

TEST(DialogSave, AllFiveKeysOrNone) {
  const std::string old = "[Section]\r\n" + std::string(KeyRebound) + "= 1\r\n; mine\r\n";
  const struct {
    const char* What;
    std::wstring Repeat;
    std::string MusicFile;
    std::size_t WriteLimit;
    bool ReplaceFails, Unreadable;
    bool NamesFile;
  } cases[] = {
      {"repeat above 16 bits", L"32768", "", std::string::npos, false, false, false},
      {"repeat below 16 bits", L"-32769", "", std::string::npos, false, false, false},
      {"repeat rounds above 16 bits", L"32767.5", "", std::string::npos, false, false, false},
      {"third value breaks the file", L"1", "C:\\a\r\n[Evil]", std::string::npos, false, false, true},
      {"disk full half-way", L"1", "", 20, false, false, true},
      {"rename refused (read-only folder)", L"1", "", std::string::npos, true, false, true},
      {"old file unreadable", L"1", "", std::string::npos, false, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    MemoryStore store;
    store.Files[Ini] = old;
    store.WriteLimit = c.WriteLimit;
    store.ReplaceFails = c.ReplaceFails;
    if (c.Unreadable) store.Unreadable = Ini;
    Settings settings = SettingsWith(1, 9, c.MusicFile);
    DialogModel model(settings, Context());
    model.SetRepeatText(c.Repeat);
    const std::optional<std::wstring> message = model.Save(store);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->find(Ini.wstring()) != std::wstring::npos, c.NamesFile) << "the message names the file";
    EXPECT_EQ(store.Files[Ini], old);
    EXPECT_EQ(store.Files.size(), 1u) << "no temporary file left behind";
    if (!c.NamesFile) {
      EXPECT_EQ(settings.BgmRepeat, 9) << "a refused repeat is not stored";
    }
  }
}

TEST(DialogModel, PickedFileIsKeptOnlyWhenTheFileCanHoldIt) {
  const std::wstring longName = L"C:\\" + std::wstring(300, L'a') + L".mp3";
  const struct {
    std::wstring Picked;
    std::string Stored;
    bool Message;
  } cases[] = {
      {L"C:\\Music\\a.mp3", "C:\\Music\\a.mp3", false},
      {L"C:\\音楽\\曲.mp3", "C:\\8A3F~1\\8B48~1.MP3", false},
      {longName, "C:\\AAAAAA~1.MP3", false},
      {L"C:\\" + std::wstring(300, L'c'), "C:\\old.wav", true},
      {L"C:\\Müsik\\b.wav", "C:\\old.wav", true},
      {L"C:\\" + std::wstring(252, L'b'), "C:\\" + std::string(252, 'b'), false},
      {L"C:\\" + std::wstring(253, L'b'), "C:\\old.wav", true},
      {L"", "C:\\old.wav", false},
      {L"C:\\a\nb.mp3", "C:\\old.wav", true},
      {L"C:\\a\rb.mp3", "C:\\old.wav", true},
  };
  for (const auto& c : cases) {
    Settings settings = SettingsWith(2, 0, "C:\\old.wav");
    DialogModel model(settings, Context());
    EXPECT_EQ(model.PickFile(c.Picked).has_value(), c.Message) << c.Stored;
    EXPECT_EQ(settings.BgmFile, c.Stored);
    EXPECT_EQ(model.FileLabel(), c.Stored);
  }
}

TEST(DialogControls, TableFactsTheWindowReliesOn) {
  std::vector<std::string_view> tabs;
  for (const DialogControl& row : DialogControls()) {
    if (row.TakesFocus) tabs.push_back(row.Name);
    const TwipsRect box =
        row.OnPanel ? ControlRow(Pic_C_0).Place : TwipsRect{0, 0, DialogClientWidthTwips, DialogClientHeightTwips};
    EXPECT_LE(row.Place.Left + row.Place.Width, box.Width) << row.Name;
    EXPECT_LE(row.Place.Top + row.Place.Height, box.Height) << row.Name;
    EXPECT_EQ(ControlRow(row.Id).Name, row.Name);
  }
  EXPECT_EQ(tabs, (std::vector<std::string_view>{"Img_BGM(1)", "BGM_Repeat", "Img_BGM(0)", "Img_BGM(2)", "Cmd_BGM",
                                                 "VS_Fast", "Img_Hanpatu", "Cmd_Etc", "Cmd_Set", "Cmd_Can"}));
  // Every control: the marks and their captions choose the music, the rebound
  // mark and its caption toggle rebound, nothing else does either.
  const std::map<ControlId, std::int16_t> choices = {{Img_BGM_0, 0}, {lbl_BGM_0, 0}, {Img_BGM_1, 1},
                                                     {lbl_BGM_1, 1}, {Img_BGM_2, 2}, {lbl_BGM_2, 2}};
  std::size_t rows = 0;
  for (const DialogControl& row : DialogControls()) {
    ++rows;
    const auto choice = choices.find(row.Id);
    const bool chooses = row.OnClick == ControlAction::Choose && row.Setting == &Settings::BgmKind;
    EXPECT_EQ(chooses ? std::optional(row.Value) : std::nullopt,
              choice == choices.end() ? std::nullopt : std::optional(choice->second))
        << row.Name;
    const bool toggles = row.OnClick == ControlAction::Toggle && row.Setting == &Settings::Rebound && row.Value == 1;
    EXPECT_EQ(toggles, row.Id == Img_Hanpatu || row.Id == lbl_Hanpatu) << row.Name;
  }
  EXPECT_EQ(rows, 25u);
  // No two rectangles in one container overlap, but a heading's frame around its label.
  const auto right = [](const TwipsRect& r) { return r.Left + r.Width; };
  const auto bottom = [](const TwipsRect& r) { return r.Top + r.Height; };
  const auto frames = [&](const DialogControl& f, const DialogControl& l) {
    return f.Kind == ControlKind::Frame && l.Kind == ControlKind::Label && f.Place.Left <= l.Place.Left &&
           f.Place.Top <= l.Place.Top && right(l.Place) <= right(f.Place) && bottom(l.Place) <= bottom(f.Place);
  };
  const std::span<const DialogControl> all = DialogControls();
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (std::size_t j = i + 1; j < all.size(); ++j) {
      const TwipsRect &a = all[i].Place, &b = all[j].Place;
      const bool apart = right(a) <= b.Left || right(b) <= a.Left || bottom(a) <= b.Top || bottom(b) <= a.Top;
      EXPECT_TRUE(all[i].OnPanel != all[j].OnPanel || apart || frames(all[i], all[j]) || frames(all[j], all[i]))
          << all[i].Name << " / " << all[j].Name;
    }
  }
}

// The picker's filter: a name, then patterns that take MP3 and WAV files in
// any case and nothing else, then the empty string that ends the list.
TEST(DialogControls, ThePickerFilterTakesMp3AndWavFilesOnly) {
  const std::wstring_view filter(PickerFilter, sizeof PickerFilter / sizeof PickerFilter[0]);
  ASSERT_GE(filter.size(), 3u);
  EXPECT_EQ(filter.substr(filter.size() - 2), std::wstring_view(L"\0\0", 2));
  const std::size_t nameEnd = filter.find(L'\0');
  EXPECT_EQ(filter.substr(0, nameEnd), L"BGMﾌｧｲﾙ (MP3 WAV)");
  const std::wstring_view patterns = filter.substr(nameEnd + 1, filter.size() - nameEnd - 3);
  ASSERT_EQ(patterns.find(L'\0'), std::wstring_view::npos) << "one pattern list";
  const auto taken = [&](const char* name) {
    std::size_t from = 0;
    for (;;) {
      const std::size_t end = std::min(patterns.find(L';', from), patterns.size());
      const std::string pattern(patterns.begin() + static_cast<std::ptrdiff_t>(from),
                                patterns.begin() + static_cast<std::ptrdiff_t>(end));
      if (fnmatch(pattern.c_str(), name, FNM_CASEFOLD) == 0) return true;
      if (end == patterns.size()) return false;
      from = end + 1;
    }
  };
  for (const auto& [name, wanted] : {std::pair{"song.mp3", true},
                                     {"SONG.MP3", true},
                                     {"loop.Wav", true},
                                     {"a b.c.wav", true},
                                     {"song.mp4", false},
                                     {"song.mp3.txt", false},
                                     {"song.mid", false},
                                     {"song.wave", false},
                                     {"mp3", false}}) {
    EXPECT_EQ(taken(name), wanted) << name;
  }
}

TEST(DialogControls, TwipsBecomePixelsPerAxis) {
  const struct {
    TwipsPerPixel PerPixel;
    PixelBox SetButton, Client;
    std::int32_t Font;
  } cases[] = {
      {{15, 15}, {320, 200, 73, 25}, {0, 0, 479, 244}, 13},
      {{12, 10}, {400, 300, 91, 38}, {0, 0, 599, 366}, 20},  // 1095/12 = 91.25, 375/10 = 37.5 -> 38
  };
  for (const auto& c : cases) {
    const PixelBox set = ToPixels(ControlRow(Cmd_Set).Place, c.PerPixel);
    const PixelBox client = DialogClientPixels(c.PerPixel);
    EXPECT_EQ((std::array{set.Left, set.Top, set.Width, set.Height}),
              (std::array{c.SetButton.Left, c.SetButton.Top, c.SetButton.Width, c.SetButton.Height}));
    EXPECT_EQ((std::array{client.Width, client.Height}), (std::array{c.Client.Width, c.Client.Height}));
    EXPECT_EQ(DialogFontPixels(c.PerPixel), c.Font);
  }
}

TEST(DialogControls, PlacedAcrossTheMiddleAThirdDown) {
  const struct {
    std::int32_t ScreenW, ScreenH, OuterW, OuterH;
    TwipsPerPixel PerPixel;
    std::int32_t X, Y;
  } cases[] = {
      {1024, 768, 485, 273, {15, 15}, 269, 165},  // 8085 \ 2 = 4042 twips; 7425 \ 3 = 2475
      {1280, 1024, 605, 420, {12, 12}, 338, 201},
      {400, 200, 485, 273, {15, 15}, -42, -24},  // smaller than the dialog: towards zero
      // 96 DPI across, 120 down: 11985 \ 2 = 5992 twips; 4560 \ 3 = 1520
      {1280, 720, 481, 340, {15, 12}, 399, 127},
  };
  for (const auto& c : cases) {
    const PixelPoint p = DialogPlacement(c.ScreenW, c.ScreenH, c.OuterW, c.OuterH, c.PerPixel);
    EXPECT_EQ((std::array{p.X, p.Y}), (std::array{c.X, c.Y})) << c.ScreenW << "x" << c.ScreenH;
  }
}

}  // namespace
}  // namespace orbisette
