#pragma once
/// The thin seam between the windows and the host's global services, so that tests can
/// script the clock, record message boxes and never block.
#include <QString>
#include <chrono>
#include <optional>

#include "LocalDateTime.h"

namespace ui {

/// Message box styles: no icon, critical, information.
inline constexpr int kStyleNone = 0;
inline constexpr int kStyleCritical = 16;
inline constexpr int kStyleInformation = 64;

/// Screen pointer values: default, icon, hourglass.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerIcon = 4;
inline constexpr int kPointerHourglass = 11;

/// How long a loop may run between two passes of events: about one frame of a 60 Hz screen,
/// well inside the 50 ms within which a click on Cancel or Exit is felt to act.
inline constexpr std::chrono::milliseconds kEventFrame{16};

/// Shown as the title of a box whose caller passes none.
inline const QString kApplicationTitle = QStringLiteral("TestZnAPI");

class Host {
 public:
  virtual ~Host() = default;
  /// A modal box with only an OK button. `informative`, when not empty, stands under the
  /// text in smaller print: why the failure that the text reports happened.
  virtual void MsgBox(const QString& text, int style,
                      const std::optional<QString>& title = std::nullopt,
                      const QString& informative = QString()) = 0;
  virtual void SetPointer(int pointer) = 0;
  virtual int Pointer() const = 0;
  /// The local date and time, fractions of a second dropped.
  virtual LocalDateTime Now() = 0;
  /// Lets pending window events run, then returns.
  virtual void DoEvents() = 0;
  /// A clock that only moves forward, for pacing; its zero means nothing.
  virtual std::chrono::milliseconds Uptime() = 0;

  /// What a loop calls once per item: lets events run when a frame's worth of time has
  /// passed since they last did here. A pass of events costs far more than most items, so
  /// a pass per item would let painting, not the server, set the pace of a long loop.
  void DoEventsPaced() {
    const std::chrono::milliseconds now = Uptime();
    if (lastEvents_ && now - *lastEvents_ < kEventFrame) return;
    lastEvents_ = now;
    DoEvents();
  }
  /// Asks where to save a file, starting from `suggestedPath`; `filters` as Qt's file dialogs
  /// take them ("CSV file (*.csv)"). Nothing when the user cancels.
  virtual std::optional<QString> SaveFileName(const QString& title, const QString& suggestedPath,
                                              const QString& filters) = 0;

 private:
  std::optional<std::chrono::milliseconds> lastEvents_;
};

}  // namespace ui
