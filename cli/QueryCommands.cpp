// The query commands: the rows of a table, a device or a query text, as the windows ask for
// them, streamed from the find to standard output so that a million rows never sit in memory.
#include <QDateTime>
#include <QString>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>

#include "CheckTexts.h"
#include "Commands.h"
#include "NumericText.h"
#include "PeriodTiming.h"
#include "QueryTexts.h"
#include "RecordCsv.h"
#include "RecordCursor.h"
#include "TrendCsv.h"
#include "TrendUnits.h"

namespace zncheck {

namespace {

/// One output column: a record field, or a date field and a time field read as one ISO 8601
/// timestamp.
struct Column {
  std::string name;
  std::string field;
  std::string timeField;
  bool trimmed = false;  // blanks around the value go: a script wants the value, not padding
  bool numeric = false;  // a value that reads as a number is a number in JSON

  static Column Field(std::string name, std::string field, bool trimmed = false,
                      bool numeric = false) {
    return Column{std::move(name), std::move(field), {}, trimmed, numeric};
  }
  static Column Timestamp(std::string name, std::string date, std::string time) {
    return Column{std::move(name), std::move(date), std::move(time), true, false};
  }
};

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The columns of an alarm row layout, as the window's file has them.
std::vector<Column> ColumnsOf(std::span<const logic::FieldLayout> layout) {
  std::vector<Column> columns;
  for (const logic::RecordCsvColumn& c : logic::RecordCsvColumns(layout)) {
    const logic::FieldLayout& field = layout[c.field];
    columns.push_back(c.timeField < 0 ? Column::Field(c.name.toStdString(), field.name,
                                                      field.rule == logic::ValueRule::Trimmed)
                                      : Column::Timestamp(c.name.toStdString(), field.name,
                                                          layout[c.timeField].name));
  }
  return columns;
}

// The fields of the current record, by the names the record gives them.
std::vector<Column> ColumnsOfRecord(binding::RecordCursor& find) {
  std::string text;
  find.ReadWhole("object.fields.Count", text);
  const auto count = binding::ParseNumericText(text);
  std::vector<Column> columns;
  for (int n = 1; count && n <= *count && n <= 32767; ++n) {
    find.ReadWhole("object.fields(" + std::to_string(n) + ").Name", text);
    columns.push_back(Column::Field(Utf8FromAnsi(text), text, true));  // as the window shows them
  }
  return columns;
}

/// Writes every record of `table` as a row of `columns`; no columns take the first record's
/// fields. `name`, when given, names the columns once connected. Exit 2 when the find gives
/// nothing: the library does not tell an empty answer from a refused one.
CheckStatus WriteRecords(
    const CheckOptions& o, const QString& table, std::vector<Column> columns,
    const std::function<void(ServerAccess&, std::int32_t, std::vector<Column>&)>& name = {}) {
  ServerAccess access(o);
  const std::int32_t handle = access.ConnectOrSay();
  if (handle == 0) return CheckStatus::Critical;
  if (name) name(access, handle, columns);
  binding::RecordCursor find(access.api(), handle, logic::ToAnsi(table));
  if (!find.Found()) {
    std::fprintf(stderr, "zncheck: %s: the server found nothing%s\n",
                 Printable(table.toStdString()).c_str(), access.Reason().c_str());
    return CheckStatus::Critical;
  }
  if (columns.empty()) columns = ColumnsOfRecord(find);
  std::vector<std::string> names;
  for (const Column& c : columns) names.push_back(c.name);
  RowOutput out(o.format, names, stdout, o.quiet, o.rawCsv);

  std::vector<Cell> row(columns.size());
  std::string text;
  std::string time;
  find.Walk([&] {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const Column& column = columns[i];
      const bool read = find.ReadWhole(column.field, text);
      if (!column.timeField.empty()) {
        find.ReadWhole(column.timeField, time);
        const std::string iso = IsoTimestamp(Trimmed(text), Trimmed(time), o.utc);
        row[i] = iso.empty() ? Cell::Missing() : Cell{iso};  // an alarm still on has no off time
        continue;
      }
      if (!read) {
        row[i] = Cell::Missing();
        continue;
      }
      if (column.trimmed) text = Trimmed(text);
      const auto number = column.numeric ? binding::ParseNumericText(text) : std::nullopt;
      row[i] = number ? Cell::Number(Utf8FromAnsi(text), *number) : Cell::Field(Utf8FromAnsi(text));
    }
    out.Add(row);
    return true;
  });
  return CheckStatus::Ok;
}

ui::LocalDateTime LocalNow() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

/// The request period as the windows send it: its start and end as period texts.
struct Period {
  QString start;
  QString end;
};

Period PeriodOf(const std::string& endText, const std::string& durationText) {
  const QString end = QString::fromStdString(endText);
  const auto endInstant = (end == "now" || end == logic::kNowKeyword) ? std::optional(LocalNow())
                                                                      : logic::ParseDateTime(end);
  if (!endInstant) throw UsageError("--end: not \"dd/mm/yyyy HH:mm:ss\" or now: " + endText);
  const auto duration = ParseDuration(durationText);
  const auto seconds = duration ? std::chrono::round<std::chrono::seconds>(*duration).count() : 0;
  const auto start = seconds > 0
                         ? logic::PeriodStart(*endInstant, static_cast<std::int32_t>(seconds))
                         : std::nullopt;
  if (!start) throw UsageError("--duration: not a duration of a second or more: " + durationText);
  return {logic::FormatPeriodText(*start), logic::FormatPeriodText(*endInstant)};
}

CheckStatus Trend(const CheckOptions& o, const std::string& name, const std::string& endText,
                  const std::string& durationText, const std::string& periodText) {
  // The name goes into the query text unquoted: one that could end the call or add an
  // argument is refused rather than sent.
  if (name.empty() || name.find_first_of("(),\"") != std::string::npos ||
      std::any_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
    throw UsageError("not a trend name: " + name);
  const Period period = PeriodOf(endText, durationText);
  const QString sampling = QString::fromStdString(periodText);
  const auto length = logic::PeriodLength(period.start, period.end);
  const auto count = length ? logic::SampleCount(*length, sampling) : std::nullopt;
  if (!count) throw UsageError("--period: not a sample period in seconds: " + periodText);
  const std::string ansiName = AnsiFromUtf8(name);
  // CSV and text as the window saves a trend, its unit in the header; JSON keeps the names
  // that every command gives the same things.
  const auto header = [&](ServerAccess& access, std::int32_t handle, std::vector<Column>& columns) {
    if (o.format != Format::Csv && o.format != Format::Text) return;
    const QString trend = logic::FromAnsi(ansiName);
    const auto units = logic::LookUpTrendUnits(access.api(), handle, trend);
    const QStringList names = logic::TrendCsvHeader(trend, units.value_or(QString()));
    for (std::size_t i = 0; i < columns.size(); ++i)
      columns[i].name = names.value(static_cast<qsizetype>(i)).toStdString();
  };
  return WriteRecords(
      o, logic::TrendQuery(period.end, sampling, *count, logic::FromAnsi(ansiName)),
      {Column::Timestamp("time", "Date", "Time"), Column::Field("value", ansiName, true, true)},
      header);
}

}  // namespace

void AddQueryCommands(CLI::App& zncheck, CheckOptions& o, std::vector<Command>& commands) {
  struct Inputs {
    std::string table;
    std::vector<std::string> fields;
    std::string end = "now";
    std::string duration = "10m";
    std::string period = "2";
  };
  auto in = std::make_shared<Inputs>();

  CLI::App* browse = zncheck.add_subcommand(
      "browse",
      "The rows of a table or query text: Tag, _Trend, \"ZNAPIAlarm(0, 0, 0)\", a device");
  browse->add_option("table", in->table, "Table name or query text")->required();
  browse->add_option("--fields", in->fields, "Fields to print (default: every field)")
      ->delimiter(',');
  AddCheckOptions(*browse, o);
  commands.push_back({browse, [&o, in] {
                        std::vector<Column> columns;
                        for (const auto& f : in->fields)
                          columns.push_back(Column::Field(f, AnsiFromUtf8(f)));
                        return WriteRecords(o, logic::FromAnsi(AnsiFromUtf8(in->table)), columns);
                      }});

  CLI::App* trend = zncheck.add_subcommand("trend", "The samples of a trend over a period");
  trend->add_option("name", in->table, "Trend name")->required();
  trend->add_option("--end", in->end, "End of the period: \"dd/mm/yyyy HH:mm:ss\" or now")
      ->capture_default_str();
  trend->add_option("--duration", in->duration, "Length of the period: 10m, 1h, 2d ...")
      ->capture_default_str();
  trend->add_option("--period", in->period, "Sample period in seconds")->capture_default_str();
  AddCheckOptions(*trend, o);
  commands.push_back(
      {trend, [&o, in] { return Trend(o, in->table, in->end, in->duration, in->period); }});

  CLI::App* alarms = zncheck.add_subcommand("alarms", "The alarms active now");
  AddCheckOptions(*alarms, o);
  commands.push_back({alarms, [&o] {
                        return WriteRecords(o, logic::ActiveAlarmsQuery(),
                                            ColumnsOf(logic::kActiveAlarmRow));
                      }});

  CLI::App* summary = zncheck.add_subcommand("summary", "Alarm transitions over a period");
  summary->add_option("--end", in->end, "End of the period: \"dd/mm/yyyy HH:mm:ss\" or now")
      ->capture_default_str();
  summary->add_option("--duration", in->duration, "Length of the period: 10m, 1h, 2d ...")
      ->capture_default_str();
  AddCheckOptions(*summary, o);
  commands.push_back({summary, [&o, in] {
                        const Period period = PeriodOf(in->end, in->duration);
                        return WriteRecords(o, logic::AlarmSummaryQuery(period.start, period.end),
                                            ColumnsOf(logic::kAlarmSummaryRow));
                      }});

  CLI::App* device = zncheck.add_subcommand("device", "The records of a device");
  device->add_option("name", in->table, "Device name")->required();
  AddCheckOptions(*device, o);
  commands.push_back(
      {device, [&o, in] { return WriteRecords(o, logic::FromAnsi(AnsiFromUtf8(in->table)), {}); }});
}

}  // namespace zncheck
