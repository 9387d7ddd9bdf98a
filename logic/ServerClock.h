#pragma once
/// The caption of the server clock label.
#include <QString>

namespace app {

/// computer + "'s time: " + the server's time text without its surrounding blanks. An empty
/// computer name stays empty here (the caption then begins with "'s time: ").
QString ServerTimeCaption(const QString& computer, const QString& timeText);

}  // namespace app
