#include "LibraryCandidates.h"

#include <filesystem>
#include <system_error>

namespace binding {

std::vector<std::string> LibraryCandidates(const std::optional<std::string>& overridePath,
                                           const std::optional<std::string>& executableDir) {
  if (overridePath && !overridePath->empty()) return {*overridePath};
  std::vector<std::string> out;
  if (executableDir && !executableDir->empty())
    out.push_back((std::filesystem::path(*executableDir) / kLibraryFileName).string());
  out.emplace_back(ZNAPI_SONAME);
  return out;
}

std::optional<std::string> ExecutableDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::nullopt;
  return exe.parent_path().string();
}

}  // namespace binding
