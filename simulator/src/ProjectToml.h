#pragma once
/// Reads a project from a TOML file:
///
///   title = "My works"
///   [[users]]    name = "Engineer"  hash = "$argon2id$..."  administrator = true
///   [[tags]]     name = "LIT101"  type = "real"  units = "m"  comment = "..."  decimals = 2
///                sim = { kind = "sine", offset = 2.5, amplitude = 1, period = 600, phase = 0 }
///                texts = ["AUTO", "MANUAL"]            (string tags that move)
///   [[alarms]]   tag = "LIT101"  condition = "high"  limit = 3.4  deadband = 0.05
///                description = "..."  setpoint = "LIT101_SP" (deviation only)
///   [[trends]]   name = "TREND1"  tag = "LIT101"  period = 2  comment = "..."
///   [[devices]]  name = "Pumps"  fields = ["Name", "Duty"]  records = [["P1", "Lead"]]
#include <filesystem>
#include <string_view>

#include "Project.h"

namespace znsim {

/// Throws std::runtime_error naming the file, the place and the problem.
Project LoadProjectFile(const std::filesystem::path& file);
Project ParseProject(std::string_view text, std::string_view source = "project");

}  // namespace znsim
