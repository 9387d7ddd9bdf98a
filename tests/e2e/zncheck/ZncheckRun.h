#pragma once
/// Running the real zncheck as a user does, with the demo password in its environment.
#include <QProcess>
#include <QStringList>

namespace zncheck_test {

struct Outcome {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

inline void Prepare(QProcess& process, const QStringList& args, bool withPassword = true) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (withPassword)
    env.insert("ZNAPI_PASSWORD", "Marlow");
  else
    env.remove("ZNAPI_PASSWORD");
  env.insert("ASAN_OPTIONS", "detect_leaks=0");
  process.setProcessEnvironment(env);
  process.setProgram(ZNCHECK_BUILD_PATH);
  process.setArguments(args);
}

/// Runs zncheck to its end, with `input` on its standard input.
inline Outcome Zncheck(const QStringList& args, const QByteArray& input = {},
                       bool withPassword = true) {
  QProcess process;
  Prepare(process, args, withPassword);
  process.start();
  process.write(input);
  process.closeWriteChannel();
  if (!process.waitForFinished(120000)) process.kill();
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(), process.readAllStandardError()};
}

inline QStringList Lines(const QByteArray& text) {
  return QString::fromUtf8(text).split(QStringLiteral("\n"), Qt::SkipEmptyParts);
}

}  // namespace zncheck_test
