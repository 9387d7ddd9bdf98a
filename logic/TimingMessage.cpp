#include "TimingMessage.h"

namespace app {

std::int32_t ElapsedSeconds(const ui::LocalDateTime& start, const ui::LocalDateTime& end) {
  return static_cast<std::int32_t>(end.ToSeconds() - start.ToSeconds());
}

std::string TimingMessage(const std::string& lead, const std::string& preposition,
                          std::int32_t seconds, const std::string& server) {
  const std::string amount = seconds == 0
                                 ? std::string(" takes about 1 second ")
                                 : " takes about " + std::to_string(seconds) + " second(s) ";
  return lead + amount + preposition + " '" + server + "'.";
}

}  // namespace app
