// The computer names znOpen accepts, on any text: no crash, and a name that parses never
// yields an empty host or port 0.
#include <cstdint>
#include <string_view>

#include "ComputerName.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto address =
      znapi::detail::ParseComputerName({reinterpret_cast<const char*>(data), size});
  if (address && (address->host.empty() || address->port == 0)) __builtin_trap();
  return 0;
}
