#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>

#include "cp932_test_codec.h"
#include "music/api_result.h"
#include "music/orbisette_bgm.h"
#include "music/run_music.h"

namespace orbisette {
namespace {

// What the platform does with one command: its code, and what it writes into the
// reply buffer (the text and a NUL, the bytes alone, or nothing).
struct Answer {
  std::int32_t Code = 0;
  std::string Bytes;
  enum { Terminated, Raw, Nothing } Write = Terminated;
};
Answer Ok(std::string text) { return {0, std::move(text)}; }
Answer Fail(std::int32_t code) { return {code, "", Answer::Nothing}; }
Answer Raw(std::string bytes) { return {0, std::move(bytes), Answer::Raw}; }
using Script = std::map<std::string, std::deque<Answer>>;

// Answers each command from its queue (the last answer repeats; an unscripted
// command succeeds and writes nothing) and logs every call as "text|length; ".
class ScriptedPort final : public MciPort {
 public:
  Script Answers;
  std::int32_t Devices = 1;
  std::string Log;

  std::int32_t SendString(const std::string& command, std::span<char> reply) override {
    Log += command + "|" + std::to_string(reply.size()) + "; ";
    auto& queue = Answers[command];
    const Answer a = queue.empty() ? Fail(0) : queue.front();
    if (queue.size() > 1) queue.pop_front();
    const std::string bytes = a.Write == Answer::Terminated ? a.Bytes + '\0' : a.Bytes;
    if (a.Write != Answer::Nothing) std::copy_n(bytes.begin(), std::min(bytes.size(), reply.size()), reply.begin());
    return a.Code;
  }
  bool GetErrorString(std::int32_t code, std::span<char> text) override {
    Log += "error " + std::to_string(code) + "|" + std::to_string(text.size()) + "; ";
    std::snprintf(text.data(), text.size(), "MCI error %d", code);
    return code != 999;  // a code the platform has no text for
  }
  std::int32_t WaveOutDeviceCount() override { return Log += "devices; ", Devices; }
  std::int32_t PlaySoundAnsi(const std::optional<std::string>& name, std::uint32_t flags) override {
    return Log += "sound " + name.value_or("-") + "|" + std::to_string(flags) + "; ", 1;  // TRUE
  }
};

std::string Send(Orbisette_BGM& m, const std::string& command) {
  std::string reply;
  return std::to_string(m.SendMciCommand(command, reply)) + " " + reply;
}

// The layer's own replies as a Japanese system's user reads them.
std::string Japanese(std::u16string_view text) { return Cp932TestCodec().FromUtf16(TextEncoding::Ansi, text); }

TEST(MciCommandLayer, RepliesCodesAndApiResult) {
  const std::string mp3 = "open \"a.mp3\" type MPEGVideo Alias MP3Play";
  const struct {
    std::function<std::string(Orbisette_BGM&)> Act;  // what the calls gave, as text
    Script Answers;
    std::string Result, Log;
    std::int32_t ApiResult;
  } cases[] = {
      // clang-format off
      {[](auto& m) { return Send(m, ""); }, {}, "-1 " + Japanese(u"コマンド文字列が指定されていません"), "", 77},
      {[](auto& m) { return m.MciQuery(""); }, {}, "Error:-1", "", -1},
      {[](auto& m) { return m.MciQuery("q"); }, {{"q", {Fail(263)}}}, "Error:263", "q|512; error 263|256; ", 263},
      {[](auto& m) { return Send(m, "a"); }, {{"a", {Fail(263)}}}, "263 MCI error 263", "a|512; error 263|256; ", 263},
      {[](auto& m) { return Send(m, "a"); }, {{"a", {Fail(999)}}}, "999 " + Japanese(u"Error (文字列が取れません)"),
       "a|512; error 999|256; ", 999},
      {[](auto& m) { auto longer = m.MciQuery("q"); return longer + "," + Send(m, "q"); },
       {{"q", {Ok("playing"), Ok("1")}}}, "playing,0 1", "q|512; q|512; ", 0},
      {[](auto& m) { return std::to_string(m.PlayMciRange("cdaudio", "2", "3")); },
       {{"play cdaudio from 2 to 3", {Fail(5)}}}, "5", "play cdaudio from 2 to 3|512; error 5|256; ", 5},
      {[](auto& m) { return std::to_string(m.PlayMciRange("d", "", "3:0")); }, {}, "0", "play d to 3:0|512; ", 0},
      {[](auto& m) { return m.PlayWav("a.wav"), ""; }, {}, "", "devices; ", 77},  // no wave device
      {[](auto& m) { return m.PlayMp3("a.mp3"), m.PlayMp3("a.mp3"), ""; }, {{mp3, {Ok(""), Fail(289)}}}, "",
       mp3 + "|0; play MP3Play|0; " + mp3 + "|0; ", 77},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Log);
    ScriptedPort port;
    port.Answers = c.Answers;
    port.Devices = 0;
    Orbisette_BGM bgm(port);
    ApiResult = 77;
    EXPECT_EQ(c.Act(bgm), c.Result);
    EXPECT_EQ(port.Log, c.Log);
    EXPECT_EQ(ApiResult, c.ApiResult);
  }
}

// A whole run: the music start, up to `ticks` ticks of the timer it enabled (Timer2
// while it stays on), the music stop with Timer2's flag, then stray ticks.
TEST(RunMusic, WholeRunsByKind) {
  const std::string cdOpen = "open cdaudio|0; set cdaudio time format tmsf|0; ";
  const std::string cdStop = "stop cdaudio|0; close cdaudio|0; ";
  const std::string track = "status cdaudio current track|512; ", count = "status cdaudio number of tracks|512; ";
  const std::string poll = track + count + "status cdaudio mode|255; ", play = "play cdaudio|512; ";
  const std::string from3 = "status cdaudio position track 3|512; play cdaudio from 03:00:00:00|512; ";
  const std::string from20 =
      "status cdaudio position track 20|512; error 277|256; play cdaudio from Error:277|512; "
      "error 277|256; ";
  const std::string open = "open \"C:\\My Music\\a.Mp3\" type MPEGVideo Alias MP3Play|0; ",
                    query = "status MP3Play mode|30; ";
  const std::string again = query + "stop MP3Play|0; play MP3Play from 0|0; ",
                    stop = "stop MP3Play|0; close MP3Play|0; ";
  const std::string trackCmd = "status cdaudio current track", modeCmd = "status cdaudio mode",
                    mp3Mode = "status MP3Play mode";
  const Answer stopped = Ok("stopped"), playing = Ok("playing");
  auto music = [](std::int16_t kind, std::int16_t repeat, std::string file = "") {
    Settings s;
    s.BgmKind = kind, s.BgmRepeat = repeat, s.BgmFile = std::move(file);
    return s;
  };
  const Settings mp3 = music(2, 0, "C:\\My Music\\a.Mp3");
  const struct {
    Settings Loaded;
    Script Answers;
    int Ticks;
    std::string Log;
    std::string Timer2;  // Timer2's flag after each of its ticks
    std::int32_t ApiResult;
  } rows[] = {
      // clang-format off
      {music(1, 0), {{modeCmd, {stopped, playing}}}, 3, cdOpen + poll + play + poll + poll + cdStop, "111", 0},
      {music(1, 3), {{trackCmd, {Ok("3"), Ok("3"), Ok("4")}}, {modeCmd, {stopped, playing}},
                     {"status cdaudio position track 3", {Ok("03:00:00:00")}}},
       3, cdOpen + poll + from3 + poll + poll + from3 + cdStop, "111", 0},
      {music(1, 0), {{trackCmd, {Fail(256)}}}, 5, cdOpen + track + "error 256|256; ", "0", 256},  // no disc
      {music(1, 0), {{count.substr(0, count.find('|')), {Fail(262)}}}, 5, cdOpen + track + count + "error 262|256; ",
       "0", 262},
      {music(1, 3), {{trackCmd, {Ok("A1")}}, {modeCmd, {stopped}}}, 5, cdOpen + poll, "0", 0},
      {music(1, 3), {{trackCmd, {Ok(" 3,0")}}, {modeCmd, {playing}}}, 2, cdOpen + poll + poll + cdStop, "11", 0},
      {music(1, 0), {{trackCmd, {Ok("A1")}}}, 1, cdOpen + poll + cdStop, "1", 0},  // the track is not read
      {music(1, 20), {{trackCmd, {Ok("1")}}, {modeCmd, {stopped}}, {"status cdaudio position track 20", {Fail(277)}},
                      {"play cdaudio from Error:277", {Fail(277)}}},
       2, cdOpen + poll + from20 + poll + from20 + cdStop, "11", 0},
      // A failed query leaves "stopped"; "play" without a NUL makes "playped", and
      // "stop" over that is "stopped" again. "stoppe" and "Stopped" are not "stopped".
      {music(1, 0), {{modeCmd, {stopped, Fail(5), Raw("play"), Raw("stop"), Ok("stoppe"), Ok("Stopped")}}}, 6,
       cdOpen + poll + play + poll + play + poll + poll + play + poll + poll + cdStop, "111111", 0},
      {mp3, {{mp3Mode, {playing}}}, 2, open + "play MP3Play|0; " + query + query + stop, "", -7},
      // The first seven characters decide, whatever follows them.
      {mp3, {{mp3Mode, {Ok("playing2")}}}, 2, open + "play MP3Play|0; " + query + query + stop, "", -7},
      {mp3, {{mp3Mode, {Ok("paused")}}}, 1, open + "play MP3Play|0; " + again + stop, "", -7},
      {mp3, {{mp3Mode, {stopped}}}, 1, open + "play MP3Play|0; " + again + stop, "", -7},
      {mp3, {{mp3Mode, {Fail(5)}}}, 1, open + "play MP3Play|0; " + again + stop, "", -7},  // starts empty
      {mp3, {{mp3Mode, {playing, Fail(5)}}}, 2, open + "play MP3Play|0; " + query + query + stop, "", -7},
      {mp3, {{open.substr(0, open.find('|')), {Fail(275)}}}, 1, open + again + stop, "", -7},
      {music(2, 0, "mymp3"), {}, 0, "open \"mymp3\" type MPEGVideo Alias MP3Play|0; play MP3Play|0; " + stop, "", -7},
      {music(2, 0, "C:\\a b.wav"), {}, 5, "devices; sound C:\\a b.wav|11; sound -|0; ", "", 1},
      {music(2, 0, "a.wave"), {}, 5, "", "", -7},
      {music(2, 0, "a.mid"), {}, 5, "", "", -7},
      {music(2, 0, ""), {}, 5, "", "", -7},
      {music(0, 0, "a.mp3"), {}, 5, "", "", -7},
      {music(3, 0, "a.wav"), {}, 5, "", "", -7},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Log);
    ScriptedPort port;
    port.Answers = row.Answers;
    RunMusic run(port, row.Loaded, ',');
    ApiResult = -7;
    const MusicTimers timers = run.Start();
    bool timer2 = timers.CdPoll;
    std::string seen;
    for (int i = 0; i < row.Ticks && (timers.Mp3Repeat || timer2); ++i) {
      if (timers.Mp3Repeat) run.Mp3RepeatTick();
      if (timer2) seen += (timer2 = run.CdPollTick()) ? "1" : "0";
    }
    EXPECT_FALSE(timers.Mp3Repeat && timers.CdPoll);
    run.Stop(timer2);
    run.Mp3RepeatTick();
    EXPECT_FALSE(run.CdPollTick());
    EXPECT_EQ(port.Log, row.Log);
    EXPECT_EQ(seen, row.Timer2);
    EXPECT_EQ(ApiResult, row.ApiResult);
  }
}

}  // namespace
}  // namespace orbisette
