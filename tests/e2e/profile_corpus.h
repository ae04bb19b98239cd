// A generated corpus of hand-edited settings files for comparing our profile
// reader and writer with the platform's: headers with blanks or without "]",
// repeated sections, blanks of every kind around names and values, NULs, comment
// lines, lines without "=", long keys and values, invalid bytes, CR, LF and CRLF
// line ends, and the ANSI, UTF-8 and UTF-16 forms of the same lines. A fixed
// seed makes every run compare the same files.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// count files' bytes.
std::vector<std::string> ProfileCorpus(std::size_t count);

// The sections and keys each corpus file is asked for, as code page 932 bytes.
const std::vector<std::string>& CorpusSections();
const std::vector<std::string>& CorpusKeys();

// The write made to corpus file i: section, key, value.
struct CorpusWrite {
  std::string Section;
  std::string Key;
  std::string Value;
};
CorpusWrite CorpusWriteFor(std::size_t i);

}  // namespace e2e
