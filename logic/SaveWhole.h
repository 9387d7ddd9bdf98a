#pragma once
/// Saving a file so that a failed or cancelled save never leaves a half-written file in
/// place of a good one.
#include <QByteArray>
#include <QString>
#include <optional>

namespace logic {

/// Writes `bytes` to a temporary file in the folder of `path` and renames it to `path` once
/// it is complete. Returns the reason when the file could not be saved; whatever `path` held
/// before is then unchanged, and no temporary file is left behind.
std::optional<QString> SaveWhole(const QString& path, const QByteArray& bytes);

}  // namespace logic
