#pragma once
#include "Host.h"

namespace ui {

/// The real host: Qt message boxes, the application's override cursor, the local clock and
/// the Qt event loop.
class QtHost : public Host {
 public:
  void MsgBox(const QString& text, int style, const std::optional<QString>& title = std::nullopt,
              const QString& informative = QString()) override;
  void SetPointer(int pointer) override;
  int Pointer() const override { return pointer_; }
  LocalDateTime Now() override;
  void DoEvents() override;
  std::chrono::milliseconds Uptime() override;
  std::optional<QString> SaveFileName(const QString& title, const QString& suggestedPath,
                                      const QString& filters) override;

 private:
  int pointer_ = kPointerDefault;
};

}  // namespace ui
