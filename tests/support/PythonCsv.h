#pragma once
/// Reads a saved table back with Python's csv module, the reference reader a spreadsheet
/// user's tools agree with.
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStringList>
#include <vector>

namespace testing_support {

/// The records of the file at `path` as csv.reader reads them with `dialect` ("excel",
/// "excel-tab"); a leading byte-order mark is skipped.
inline std::vector<QStringList> ReadWithPython(const QString& path, const char* dialect) {
  QProcess python;
  python.start("python3", {"-c",
                           "import csv, json, sys\n"
                           "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                           "    print(json.dumps(list(csv.reader(f, dialect=sys.argv[2]))))",
                           path, dialect});
  python.waitForFinished(30000);
  std::vector<QStringList> records;
  for (const auto& record : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
    QStringList fields;
    for (const auto& field : record.toArray()) fields << field.toString();
    records.push_back(fields);
  }
  return records;
}

}  // namespace testing_support
