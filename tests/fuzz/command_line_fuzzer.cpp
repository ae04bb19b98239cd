// Fuzzes what the program reads from its command line: the arguments after the
// program's name, the mode letter, the preview host's handle and the start-up
// decision, on any UTF-16 text up to 30,000 characters. Properties: nothing
// crashes and no conversion overflows; the arguments are the end of the line
// and start with no blank; the letter is the upper-cased second character; a
// decimal handle after "/p" (blanks anywhere) comes back as written.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "startup/command_line.h"
#include "startup/startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::int32_t handle = input.ConsumeIntegral<std::int32_t>();
  const std::string blanks = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, 8));
  std::wstring line;
  while (input.remaining_bytes() >= 2 && line.size() < 30000)
    line += static_cast<wchar_t>(input.ConsumeIntegral<uint16_t>());

  const std::wstring arguments = orbisette::ArgumentsOf(line);
  FUZZ_CHECK(arguments.size() <= line.size() && line.ends_with(arguments));
  FUZZ_CHECK(arguments.empty() || (arguments[0] != L' ' && arguments[0] != L'\t'));
  const std::wstring letter = orbisette::ModeLetter(arguments);
  FUZZ_CHECK(letter.size() == (arguments.size() >= 2 ? 1u : 0u));
  if (!letter.empty()) FUZZ_CHECK(letter[0] == arguments[1] || letter[0] == arguments[1] - L'a' + L'A');
  const orbisette::StartupDecision decision = orbisette::DecideStartup({false, false}, arguments);
  if (decision.Action == orbisette::StartupAction::Preview) {
    FUZZ_CHECK(decision.PreviewHandle == orbisette::PreviewHostHandle(arguments));
  }
  FUZZ_CHECK(orbisette::DecideStartup({true, false}, arguments).Action == orbisette::StartupAction::End);
  FUZZ_CHECK(orbisette::DecideStartup({false, true}, arguments).Action == orbisette::StartupAction::End);

  // "/p " and the handle in decimal, with blanks (spaces, tabs, line feeds) spread through it.
  std::wstring number = std::to_wstring(handle), spread;
  for (std::size_t i = 0; i < number.size(); ++i) {
    spread += number[i];
    if (i < blanks.size()) spread += std::wstring(static_cast<unsigned char>(blanks[i]) % 3, L" \t\n"[blanks[i] & 1]);
  }
  FUZZ_CHECK(orbisette::PreviewHostHandle(L"/p " + spread) == handle);
  return 0;
}
