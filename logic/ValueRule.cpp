#include "ValueRule.h"

#include "Ansi.h"

namespace app {

QString FieldValue(const char* buffer, std::size_t length, ValueRule rule) {
  if (rule == ValueRule::Untrimmed) return BufferText(buffer, length);
  std::size_t begin = 0;
  std::size_t end = length;
  while (begin < end && buffer[begin] == ' ') ++begin;
  while (end > begin && buffer[end - 1] == ' ') --end;
  return BufferText(buffer + begin, end - begin);
}

}  // namespace app
