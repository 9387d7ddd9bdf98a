// The row commands against real servers: values that go out and come back, one list request
// with bad names among good ones, a large browse read as a stream, and a trend as CSV that
// another program's CSV reader takes.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "ZncheckRun.h"
#include "ZnsimProcess.h"

namespace zncheck_test {
namespace {

using testing_support::ZnsimProcess;

QStringList At(const ZnsimProcess& server) {
  return {"--primary", QString::fromStdString(server.address())};
}

TEST(ZncheckRows, WrittenValuesReadBackExactlyAndRefusalsSayWhy) {
  ZnsimProcess server;
  const QString text = QStringLiteral("Café, \"night\" shift");
  Outcome run = Zncheck(QStringList{"write", "PLANT_Message", text} + At(server));
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  run = Zncheck(QStringList{"write", "CL_Residual_SP", "0.85"} + At(server));
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  // Text that Windows-1252 cannot hold is refused before anything is sent, the value kept.
  for (const QStringList& refused :
       {QStringList{"write", "PLANT_Message", QStringLiteral("Café crème №5 €")},
        QStringList{"read", QStringLiteral("№5")},
        QStringList{"read", "PLANT_Message", "--password", QStringLiteral("Marlow№")}}) {
    run = Zncheck(refused + At(server));
    EXPECT_EQ(run.exitCode, 3) << refused.join(' ').toStdString();
    // After the warning that --password gives, when it is given.
    EXPECT_TRUE(run.err.endsWith(
        "zncheck: № (U+2116) cannot be sent: the library carries Windows-1252 text\n"))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
  }

  run = Zncheck(QStringList{"read", "PLANT_Message", "CL_Residual_SP", "--format", "json"} +
                At(server));
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QJsonArray rows = QJsonDocument::fromJson(run.out).array();
  ASSERT_EQ(rows.size(), 2) << run.out.toStdString();
  EXPECT_EQ(rows[0].toObject()["value"].toString(), text);
  EXPECT_EQ(rows[1].toObject()["value"].toDouble(), 0.85);

  // Digital words go as 1 and 0 to a digital tag, and as they are to a text tag; list-write
  // takes its file as its argument.
  QTemporaryDir folder;
  const QString pairs = folder.filePath("pairs.csv");
  QFile file(pairs);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
              file.write("P101_Run,True\r\nP102_Run,off\r\nPLANT_Message,ON\r\n") > 0);
  file.close();
  run = Zncheck(QStringList{"list-write", pairs, "--format", "csv"} + At(server));
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  run = Zncheck(QStringList{"read", "P101_Run", "P102_Run", "PLANT_Message", "--format", "csv"} +
                At(server));
  EXPECT_EQ(Lines(run.out).mid(1),
            (QStringList{"P101_Run,1,ok\r", "P102_Run,0,ok\r", "PLANT_Message,ON,ok\r"}));
  run = Zncheck(QStringList{"write", "P101_Run", "oN"} + At(server));
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(Lines(run.out).value(1).startsWith("P101_Run  1")) << run.out.toStdString();

  run = Zncheck(QStringList{"read", "PLANT_Message", "NO_SUCH_TAG"} + At(server));
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.err.contains("(unknown tag 'NO_SUCH_TAG')")) << run.err.toStdString();

  run = Zncheck(QStringList{"read", "PLANT_Message", "--password", "wrong"} + At(server));
  EXPECT_NE(run.exitCode, 0);
  EXPECT_TRUE(run.err.contains("login refused for user")) << run.err.toStdString();
}

// A server's text may hold terminal escapes and spreadsheet formulas: text output shows the
// escapes as escapes, CSV keeps the formula text unless asked for it raw, JSON carries it all.
TEST(ZncheckRows, EscapesAndFormulasFromTheServerAreShownNotRun) {
  ZnsimProcess server;
  const QString value = QStringLiteral("=HYPERLINK(\"x\",\"\x1b]0;title\x07\x1b[2J\")");
  ASSERT_EQ(Zncheck(QStringList{"write", "PLANT_Message", value} + At(server)).exitCode, 0);
  const auto read = [&](const QStringList& format) {
    const Outcome run = Zncheck(QStringList{"read", "PLANT_Message"} + format + At(server));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return run.out;
  };
  const QByteArray text = read({"--format", "text"});
  EXPECT_TRUE(text.contains("=HYPERLINK(\"x\",\"\\x1b]0;title\\x07\\x1b[2J\")"))
      << text.toStdString();
  EXPECT_FALSE(text.contains('\x1b') || text.contains('\x07')) << "no raw control character";
  EXPECT_EQ(Lines(read({"--format", "csv"})).value(1),
            "PLANT_Message,\"'=HYPERLINK(\"\"x\"\",\"\"\x1b]0;title\x07\x1b[2J\"\")\",ok\r");
  EXPECT_EQ(Lines(read({"--format", "csv", "--raw-csv"})).value(1),
            "PLANT_Message,\"=HYPERLINK(\"\"x\"\",\"\"\x1b]0;title\x07\x1b[2J\"\")\",ok\r");
  const QByteArray json = read({"--format", "json"});
  EXPECT_EQ(QJsonDocument::fromJson(json).array().first().toObject()["value"].toString(), value);

  // A reason that quotes the server is shown the same way.
  const Outcome refused = Zncheck(QStringList{"read", "NO\x1b[2J"} + At(server));
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(refused.err.contains("(unknown tag 'NO\\x1b[2J')")) << refused.err.toStdString();
  EXPECT_FALSE(refused.err.contains('\x1b'));
}

TEST(ZncheckRows, ListReadOfAThousandTagsPrintsTheGoodOnesAndFailsForTheBad) {
  ZnsimProcess server(
      {"--generate-tags", "1000", "--generate-alarms", "0", "--generate-trends", "0"});
  QByteArray file;
  for (int i = 1; i <= 1000; ++i)
    file += (i % 10 == 0 ? QString("BAD%1").arg(i) : QString("GEN%1").arg(i, 6, 10, QChar('0')))
                .toUtf8() +
            "\n";
  const Outcome run =
      Zncheck(QStringList{"list-read", "--file", "-", "--format", "csv"} + At(server), file);
  EXPECT_EQ(run.exitCode, 2);
  const QStringList rows = Lines(run.out);
  ASSERT_EQ(rows.size(), 1001);
  EXPECT_EQ(rows[0], "tag,value,status\r");
  int good = 0;
  for (int i = 1; i <= 1000; ++i) {
    const QStringList fields = rows[i].trimmed().split(',');
    ASSERT_EQ(fields.size(), 3) << rows[i].toStdString();
    const bool bad = fields[0].startsWith("BAD");
    EXPECT_EQ(fields[2], bad ? "not read" : "ok") << rows[i].toStdString();
    if (!bad && !fields[1].isEmpty()) ++good;
  }
  EXPECT_EQ(good, 900);
}

TEST(ZncheckRows, BrowseOfAHundredThousandTagsAsJsonLinesIsOneObjectPerLine) {
  ZnsimProcess server(
      {"--generate-tags", "100000", "--generate-alarms", "0", "--generate-trends", "0"});
  const Outcome run = Zncheck(QStringList{"browse", "Tag", "--format", "jsonl"} + At(server));
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  static const QRegularExpression kGenerated(QStringLiteral("^GEN\\d{6}$"));
  qsizetype rows = 0;
  qsizetype generated = 0;
  for (const QByteArray& line : run.out.split('\n')) {
    if (line.isEmpty()) continue;
    QJsonParseError error;
    const QJsonObject row = QJsonDocument::fromJson(line, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    ++rows;
    if (kGenerated.match(row.value("Tag").toString()).hasMatch()) ++generated;
  }
  EXPECT_EQ(generated, 100000);
  EXPECT_EQ(rows, 100000 + 160);  // and the demo plant's own tags
}

// Every command's --format json is one document that a JSON parser takes whole, the same
// things under the same names, numbers as numbers and times as ISO 8601 with an offset.
TEST(ZncheckRows, EveryCommandsJsonIsOneDocumentWithNumbersAndIsoTimes) {
  ZnsimProcess server;
  const QStringList commands[] = {
      {"probe"},
      {"read", "LIT101", "P101_Run"},
      {"write", "CL_Residual_SP", "0.9"},
      {"zncode", "Time(1)"},
      {"list-read", "LIT101", "NOPE"},
      {"watch", "LIT101", "--count", "2", "--interval", "100ms"},
      {"browse", "_Trend"},
      {"trend", "TREND1", "--duration", "1m"},
      {"alarms"},
      {"summary", "--duration", "1d"},
      {"device", "Dosing"},
  };
  static const QRegularExpression kIso(QStringLiteral(
      "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(\\.\\d{3})?([+-]\\d\\d:\\d\\d|Z)$"));
  for (const QStringList& command : commands) {
    SCOPED_TRACE(command.join(' ').toStdString());
    const Outcome run = Zncheck(command + QStringList{"--format", "json"} + At(server));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    ASSERT_TRUE(document.isArray());
    const QJsonArray rows = document.array();
    EXPECT_FALSE(rows.isEmpty());
    for (const auto& value : rows) {
      const QJsonObject row = value.toObject();
      for (const char* number : {"rtt_ms", "Period", "Count"})
        if (row.contains(number)) EXPECT_TRUE(row[number].isDouble()) << number;
      for (const char* time : {"time", "on", "off"}) {
        const QString text = row[time].toString();
        if (!text.isEmpty()) EXPECT_TRUE(kIso.match(text).hasMatch()) << text.toStdString();
      }
    }
    if (command.first() == "trend") EXPECT_TRUE(rows.first().toObject()["value"].isDouble());
    if (command.first() == "watch") {
      ASSERT_EQ(rows.size(), 2) << "the rows --count asks for";
      for (const auto& value : rows) {
        EXPECT_EQ(value.toObject()["server"].toString(), "primary");
        EXPECT_EQ(value.toObject()["failover"], false);
        EXPECT_TRUE(value.toObject()["value"].isDouble());
      }
    }
  }
}

// The README's example: the digital tags that read 1, through jq and back into zncheck.
TEST(ZncheckRows, JsonPipesThroughJqAndBackIntoAListRead) {
  ZnsimProcess server;
  const auto zncheck = [&](const QString& command) {
    return QStringLiteral(ZNCHECK_BUILD_PATH " ") + command + " --format json --primary " +
           QString::fromStdString(server.address());
  };
  QProcess shell;
  Prepare(
      shell,
      {"-o", "pipefail", "-c",
       zncheck("browse Tag") + " | jq -r '.[] | select(.Type == \"Digital\") | .Tag' | " +
           zncheck("list-read --file -") + " | jq -c '.[] | select(.value == 1) | {tag, value}'"});
  shell.setProgram("bash");
  shell.start();
  ASSERT_TRUE(shell.waitForFinished(120000));
  EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
  const QStringList lines = Lines(shell.readAllStandardOutput());
  EXPECT_FALSE(lines.isEmpty()) << "the demo plant has digital tags that are on";
  for (const QString& line : lines)
    EXPECT_TRUE(QRegularExpression("^\\{\"tag\":\"\\w+\",\"value\":1\\}$").match(line).hasMatch())
        << line.toStdString();
}

TEST(ZncheckRows, TrendCsvReadsWithPythonsCsvModule) {
  ZnsimProcess server;
  const Outcome run = Zncheck(
      QStringList{"trend", "TREND1", "--duration", "10m", "--period", "2", "--format", "csv"} +
      At(server));
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  // Header, then 300 samples with ISO 8601 times and numbers, as Python's reader sees them.
  const char* check =
      "import csv, sys, datetime\n"
      "rows = list(csv.reader(sys.stdin))\n"
      "assert rows[0] == ['time', 'TREND1 (m)'], rows[0]\n"
      "assert len(rows) == 301, len(rows)\n"
      "for time, value in rows[1:]:\n"
      "    datetime.datetime.fromisoformat(time)\n"
      "    float(value)\n"
      "print('ok')\n";
  QProcess python;
  python.start("python3", {"-c", check});
  python.write(run.out);
  python.closeWriteChannel();
  ASSERT_TRUE(python.waitForFinished(60000));
  EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
  EXPECT_EQ(python.readAllStandardOutput().trimmed(), "ok");
}

}  // namespace
}  // namespace zncheck_test
