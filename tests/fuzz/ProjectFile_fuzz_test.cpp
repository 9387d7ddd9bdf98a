// Project files: any text either reads as a project or is refused with an error that says
// why; nothing else escapes the reader.
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "ProjectToml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    znsim::ParseProject({reinterpret_cast<const char*>(data), size}, "fuzz.toml");
  } catch (const std::runtime_error& e) {
    if (*e.what() == '\0') __builtin_trap();
  }
  return 0;
}
