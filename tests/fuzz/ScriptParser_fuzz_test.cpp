// The parser of script and query texts on any text: no crash, no nesting deeper than its
// limit, and every argument of the kind its text says.
#include <cstdint>
#include <string_view>

#include "Require.h"
#include "ScriptParser.h"

namespace {

void Walk(const znsim::Call& call, int depth) {
  Require(depth < znsim::kMaxCallDepth);
  Require(!call.name.empty());
  for (const auto& argument : call.arguments) {
    Require((argument.kind == znsim::Argument::Kind::Call) == (argument.call != nullptr));
    if (argument.call) Walk(*argument.call, depth + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parsed = znsim::ParseCall({reinterpret_cast<const char*>(data), size});
  Require((parsed.call == nullptr) != parsed.error.empty());
  if (parsed.call) Walk(*parsed.call, 0);
  return 0;
}
