#pragma once
/// Where the program looks for the client library, in order.
#include <optional>
#include <string>
#include <vector>

namespace binding {

inline constexpr const char* kLibraryFileName = "libznapi.so";

/// The files to try: only `overridePath` when it is set (a chosen library must never be
/// replaced silently by another one), else the library beside the executable (a build folder,
/// or a library dropped in beside the program) and then the installed library by its SONAME,
/// which leaves the choice to the system's search path and the program's RUNPATH. The SONAME,
/// not the developers' unversioned link, so an installed program needs no development files
/// and never loads a library of another ABI.
std::vector<std::string> LibraryCandidates(const std::optional<std::string>& overridePath,
                                           const std::optional<std::string>& executableDir);

/// The folder of the running executable, if the system tells it.
std::optional<std::string> ExecutableDir();

}  // namespace binding
