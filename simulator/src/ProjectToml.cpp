#include "ProjectToml.h"

#include <stdexcept>

namespace znsim::detail {
struct TomlCheckFailed : std::logic_error {
  using std::logic_error::logic_error;
};
}  // namespace znsim::detail

// toml++ checks its own invariants with assertions, and one of them fails on a malformed
// table header such as [[$a]] instead of the reader reporting it. Where the checks are
// compiled in, a failed one is an error of the file being read like any other, not an abort.
// (A check inside a function that throws nothing still ends the program, as it should.)
#define TOML_ASSERT(expr) \
  (static_cast<bool>(expr) ? void() : throw ::znsim::detail::TomlCheckFailed(#expr))
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wterminate"
#include <toml++/toml.h>
#pragma GCC diagnostic pop

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace znsim {

namespace {

[[noreturn]] void Bad(const toml::node& node, const std::string& what) {
  std::ostringstream where;
  where << node.source().begin;
  throw std::runtime_error(what + " (" + where.str() + ")");
}

template <typename T>
T Get(const toml::table& table, const char* key, T fallback) {
  if (const toml::node* node = table.get(key)) {
    auto value = node->value<T>();
    if (!value) Bad(*node, std::string("'") + key + "' has the wrong type");
    return *value;
  }
  return fallback;
}

std::string Required(const toml::table& table, const char* key) {
  const std::string value = Get<std::string>(table, key, {});
  if (value.empty()) Bad(table, std::string("'") + key + "' is missing");
  return value;
}

std::vector<std::string> Strings(const toml::node& node) {
  const toml::array* array = node.as_array();
  if (array == nullptr) Bad(node, "a list of texts was expected");
  std::vector<std::string> out;
  for (const auto& item : *array) {
    auto text = item.value<std::string>();
    if (!text) Bad(item, "a text was expected");
    out.push_back(std::move(*text));
  }
  return out;
}

template <typename F>
void EachTable(const toml::table& root, const char* key, F&& f) {
  const toml::node* node = root.get(key);
  if (node == nullptr) return;
  const toml::array* array = node->as_array();
  if (array == nullptr) Bad(*node, std::string("'") + key + "' must be an array of tables");
  for (const auto& item : *array) {
    const toml::table* table = item.as_table();
    if (table == nullptr) Bad(item, std::string("'") + key + "' must hold tables");
    f(*table);
  }
}

TagDef ReadTag(const toml::table& t) {
  TagDef tag;
  tag.name = Required(t, "name");
  const auto type = ParseTagType(Get<std::string>(t, "type", "real"));
  if (!type) Bad(t, "tag '" + tag.name + "' has an unknown type");
  tag.type = *type;
  tag.units = Get<std::string>(t, "units", {});
  tag.comment = Get<std::string>(t, "comment", {});
  tag.decimals = static_cast<int>(Get<std::int64_t>(t, "decimals", 2));
  if (tag.decimals < 0 || tag.decimals > 9) Bad(t, "decimals must be 0 to 9");
  if (const toml::node* texts = t.get("texts")) tag.texts = Strings(*texts);
  if (const toml::node* node = t.get("sim")) {
    const toml::table* sim = node->as_table();
    if (sim == nullptr) Bad(*node, "'sim' must be a table");
    const auto kind = ParseSimKind(Get<std::string>(*sim, "kind", "constant"));
    if (!kind) Bad(*node, "unknown simulation kind");
    tag.sim.kind = *kind;
    tag.sim.offset = Get<double>(*sim, "offset", 0);
    tag.sim.amplitude = Get<double>(*sim, "amplitude", 0);
    tag.sim.period = Get<double>(*sim, "period", 60);
    tag.sim.phase = Get<double>(*sim, "phase", 0);
    tag.sim.seed = static_cast<std::uint32_t>(Get<std::int64_t>(*sim, "seed", 1));
  }
  return tag;
}

AlarmDef ReadAlarm(const toml::table& t) {
  AlarmDef alarm;
  alarm.tag = Required(t, "tag");
  const std::string condition = Required(t, "condition");
  if (condition == "high")
    alarm.condition = AlarmCondition::High;
  else if (condition == "low")
    alarm.condition = AlarmCondition::Low;
  else if (condition == "on")
    alarm.condition = AlarmCondition::On;
  else if (condition == "off")
    alarm.condition = AlarmCondition::Off;
  else if (condition == "deviation")
    alarm.condition = AlarmCondition::Deviation;
  else
    Bad(t, "unknown alarm condition '" + condition + "'");
  alarm.limit = Get<double>(t, "limit", 0);
  alarm.deadband = Get<double>(t, "deadband", 0);
  alarm.setpoint = Get<std::string>(t, "setpoint", {});
  alarm.description = Get<std::string>(t, "description", alarm.tag + " alarm");
  return alarm;
}

DeviceDef ReadDevice(const toml::table& t) {
  DeviceDef device;
  device.name = Required(t, "name");
  const toml::node* fields = t.get("fields");
  if (fields == nullptr) Bad(t, "device '" + device.name + "' has no fields");
  device.fields = Strings(*fields);
  if (const toml::node* node = t.get("records")) {
    const toml::array* records = node->as_array();
    if (records == nullptr) Bad(*node, "'records' must be a list of lists");
    for (const auto& record : *records) device.records.push_back(Strings(record));
  }
  return device;
}

}  // namespace

Project ParseProject(std::string_view text, std::string_view source) {
  toml::table root;
  try {
    root = toml::parse(text, source);
  } catch (const toml::parse_error& e) {
    std::ostringstream message;
    message << e.description() << " (" << e.source().begin << ")";
    throw std::runtime_error(message.str());
  } catch (const detail::TomlCheckFailed& e) {
    // The one check known to fail is the first character of a key or a table's name.
    const bool key = std::string_view(e.what()).find("bare_key") != std::string_view::npos;
    throw std::runtime_error(std::string(source) + ": not valid TOML: " +
                             (key ? "a key or a table name begins with a character that no key "
                                    "may begin with"
                                  : std::string("the reader's check '") + e.what() + "' failed"));
  }
  Project project;
  project.title = Get<std::string>(root, "title", "znsim project");
  EachTable(root, "users", [&](const toml::table& t) {
    project.users.push_back({Required(t, "name"), Required(t, "hash")});
  });
  EachTable(root, "tags", [&](const toml::table& t) { project.tags.push_back(ReadTag(t)); });
  EachTable(root, "alarms", [&](const toml::table& t) { project.alarms.push_back(ReadAlarm(t)); });
  EachTable(root, "trends", [&](const toml::table& t) {
    project.trends.push_back({Required(t, "name"), Required(t, "tag"), Get<double>(t, "period", 10),
                              Get<std::string>(t, "comment", {})});
  });
  EachTable(root, "devices",
            [&](const toml::table& t) { project.devices.push_back(ReadDevice(t)); });
  project.Finish();
  return project;
}

Project LoadProjectFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream text;
  text << in.rdbuf();
  return ParseProject(text.str(), file.string());
}

}  // namespace znsim
