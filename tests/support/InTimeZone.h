#pragma once
/// Runs a test in a time zone of its own and puts the old one back, also when a check fails.
#include <QByteArray>
#include <QtGlobal>
#include <ctime>

namespace testing_support {

class InTimeZone {
 public:
  explicit InTimeZone(const char* zone)
      : old_(qgetenv("TZ")), had_(qEnvironmentVariableIsSet("TZ")) {
    qputenv("TZ", zone);
    tzset();
  }
  ~InTimeZone() {
    if (had_)
      qputenv("TZ", old_);
    else
      qunsetenv("TZ");
    tzset();
  }
  InTimeZone(const InTimeZone&) = delete;
  InTimeZone& operator=(const InTimeZone&) = delete;

 private:
  QByteArray old_;
  bool had_;
};

}  // namespace testing_support
