// The reference for zncheck's browse: every record of a table walked through libznapi.so,
// every field read as text, nothing written. Usage: browse_walk COMPUTER USER PASSWORD TABLE
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "znapi.h"

int main(int argc, char** argv) {
  if (argc != 5) return 3;
  const int32_t h = znOpen(argv[1], argv[2], argv[3], 0);
  if (h == 0) return 2;
  int32_t record = 0;
  const int32_t search = znFindFirst(h, argv[4], "*", &record, 0);
  if (search == 0) return 2;
  char text[256];
  int32_t length = 0;
  znGetProperty(record, "object.fields.Count", text, sizeof text, &length, ZNAPI_TYPE_TEXT);
  std::vector<std::string> fields(static_cast<std::size_t>(std::atoi(text)));
  for (std::size_t n = 0; n < fields.size(); ++n) {
    const std::string name = "object.fields(" + std::to_string(n + 1) + ").Name";
    znGetProperty(record, name.c_str(), text, sizeof text, &length, ZNAPI_TYPE_TEXT);
    fields[n] = text;
  }
  long long records = 0;
  std::size_t bytes = 0;
  do {
    for (const auto& field : fields) {
      text[0] = '\0';
      znGetProperty(record, field.c_str(), text, sizeof text, &length, ZNAPI_TYPE_TEXT);
      bytes += std::strlen(text);
    }
    ++records;
  } while (znFindNext(search, &record) != 0);
  znFindClose(search);
  znClose(h);
  std::printf("%lld records, %zu bytes\n", records, bytes);
  return 0;
}
