// The three output formats, read back as a reader of each would.
#include <gtest/gtest.h>

#include <cstdio>

#include "RowOutput.h"

namespace {

using zncheck::Cell;
using zncheck::Format;

// What a RowOutput writes for these rows.
std::string Written(Format format, const std::vector<std::vector<Cell>>& rows,
                    bool flushEachRow = false, bool rawCsv = false) {
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* memory = open_memstream(&data, &size);
  {
    zncheck::RowOutput out(format, {"tag", "value"}, memory, false, rawCsv);
    for (const auto& row : rows) {
      out.Add(row);
      if (flushEachRow) out.Flush();
    }
  }
  std::fclose(memory);
  std::string text(data, size);
  std::free(data);
  return text;
}

const std::vector<std::vector<Cell>> kRows{
    {"T1", Cell::Number("12.50", 12.5)},
    {"Tank, \"A\"", "line\nbreak"},
    {"Gone", Cell::Missing()},
};

TEST(RowOutput, CsvHasAHeaderQuotesWhatNeedsItAndEndsRecordsWithCrLf) {
  EXPECT_EQ(Written(Format::Csv, kRows),
            "tag,value\r\nT1,12.50\r\n\"Tank, \"\"A\"\"\",\"line\nbreak\"\r\nGone,\r\n");
}

TEST(RowOutput, JsonIsOneObjectPerLineWithNumbersAndNulls) {
  EXPECT_EQ(Written(Format::Json, kRows),
            "{\"tag\":\"T1\",\"value\":12.5}\n"
            "{\"tag\":\"Tank, \\\"A\\\"\",\"value\":\"line\\u000abreak\"}\n"
            "{\"tag\":\"Gone\",\"value\":null}\n");
}

TEST(RowOutput, TextAlignsColumnsByCharactersNotBytes) {
  EXPECT_EQ(Written(Format::Text, {{"Größe", "1"}, {"T", "2"}}),
            "tag    value\nGröße  1\nT      2\n");
  // A watch flushes every poll: later rows keep the widths the first ones set.
  EXPECT_EQ(Written(Format::Text, {{"T", "1"}, {"Longer", "2"}}, true),
            "tag  value\nT    1\nLonger  2\n");
}

// A server's text: on a terminal its escapes show as escapes; in CSV a formula stays text
// unless the caller asks for the cells as they are.
TEST(RowOutput, TextShowsControlsEscapedAndCsvGuardsFormulasUnlessRaw) {
  EXPECT_EQ(Written(Format::Text, {{"T\x1b[2J", "\x07=1"}}),
            "tag       value\nT\\x1b[2J  \\x07=1\n");
  const std::vector<std::vector<Cell>> formulas{{"=1+1", "-2"}, {"@x", Cell::Number("-3", -3)}};
  EXPECT_EQ(Written(Format::Csv, formulas), "tag,value\r\n'=1+1,-2\r\n'@x,-3\r\n");
  EXPECT_EQ(Written(Format::Csv, formulas, false, true), "tag,value\r\n=1+1,-2\r\n@x,-3\r\n");
}

}  // namespace
