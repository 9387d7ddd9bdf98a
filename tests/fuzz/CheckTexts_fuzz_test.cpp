// zncheck's own texts on any input: durations from the command line, the server's dates and
// values as they are shown, and CSV. Values reach zncheck as Windows-1252 from the library,
// so the input is read as such. Shown text holds no control character; CSV that zncheck
// writes raw reads back as the same records; a guarded cell only gains its leading "'".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "CheckTexts.h"
#include "Require.h"
#include "RowOutput.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

bool HasControl(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return true;
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0)
      return true;
  }
  return false;
}

std::string Written(zncheck::Format format, const Records& rows, bool rawCsv) {
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* memory = open_memstream(&data, &size);
  {
    zncheck::RowOutput out(format, {"a", "b"}, memory, false, rawCsv);
    for (const auto& row : rows) out.Add({row[0], row[1]});
  }
  std::fclose(memory);
  std::string text(data, size);
  std::free(data);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  if (const auto duration = zncheck::ParseDuration(input)) {
    Require(duration->count() >= 1 && duration->count() < 365LL * 86400 * 1000);
  }
  const std::string utf8 = zncheck::Utf8FromAnsi(input);
  // A server's date and time arrive as two texts: either they are kept as they came or they
  // become one ISO 8601 time with its offset.
  const std::string date = zncheck::Utf8FromAnsi(input.substr(0, size / 2));
  const std::string time = zncheck::Utf8FromAnsi(input.substr(size / 2));
  const std::string iso = zncheck::IsoTimestamp(date, time);
  const bool kept = iso == (date.empty() && time.empty() ? std::string() : date + " " + time);
  const bool isoForm = (iso.size() == 25 || iso.size() == 29) && iso[4] == '-' && iso[10] == 'T';
  Require(kept || isoForm);

  const std::string shown = zncheck::Printable(utf8);
  Require(!HasControl(shown));

  // The input's cells two to a row, as a command would print them.
  Records rows;
  for (const auto& record : zncheck::ReadCsv(utf8)) {
    for (std::size_t i = 0; i + 1 < record.size(); i += 2)
      rows.push_back({record[i], record[i + 1]});
  }
  if (rows.empty()) return 0;
  const std::string text = Written(zncheck::Format::Text, rows, false);
  for (std::size_t at = 0; at < text.size();) {
    const auto end = text.find('\n', at);
    Require(end != std::string::npos && !HasControl(std::string_view(text).substr(at, end - at)));
    at = end + 1;
  }
  Records expected{{"a", "b"}};
  expected.insert(expected.end(), rows.begin(), rows.end());
  Require(zncheck::ReadCsv(Written(zncheck::Format::Csv, rows, true)) == expected);
  const Records guarded = zncheck::ReadCsv(Written(zncheck::Format::Csv, rows, false));
  Require(guarded.size() == expected.size());
  for (std::size_t r = 0; r < guarded.size(); ++r) {
    for (std::size_t c = 0; c < 2; ++c) {
      const std::string& cell = guarded[r][c];
      const std::string& raw = expected[r][c];
      Require(cell == raw || cell == "'" + raw);
    }
  }
  return 0;
}
