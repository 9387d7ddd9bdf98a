#pragma once
/// A host for widget tests: records message boxes and pointer changes, runs a scripted clock
/// and never blocks. DoEvents runs the real Qt event loop once (so nested clicks queued by a
/// test are handled) and then the test's own hook.
#include <QCoreApplication>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "Host.h"

namespace fake {

struct Box {
  QString text;
  int style = 0;
  std::optional<QString> title;
  QString informative;
  /// The title the user sees: the caller's, or the application's.
  QString shownTitle() const { return title.value_or(ui::kApplicationTitle); }
};

class FakeHost : public ui::Host {
 public:
  std::vector<Box> boxes;
  std::vector<int> pointers;  // every value set, in order
  int pointer = ui::kPointerDefault;
  int doEventsCount = 0;
  /// Readings that Now() returns first, in order; afterwards `now`.
  std::deque<ui::LocalDateTime> clock;
  ui::LocalDateTime now{2024, 3, 15, 10, 30, 0};
  std::function<void()> onDoEvents;
  /// The pacing clock: each reading is `uptimeStep` after the one before. A frame per
  /// reading lets a loop's events run for every item.
  std::chrono::milliseconds uptime{0};
  std::chrono::milliseconds uptimeStep = ui::kEventFrame;
  /// What the save dialog answers, in order; nothing (cancel) once they are used up. Every
  /// question is kept as "title|suggested path|filters".
  std::deque<QString> saveAnswers;
  QStringList saveQuestions;

  void MsgBox(const QString& text, int style, const std::optional<QString>& title,
              const QString& informative) override {
    boxes.push_back({text, style, title, informative});
  }
  void SetPointer(int p) override {
    pointer = p;
    pointers.push_back(p);
  }
  int Pointer() const override { return pointer; }
  /// Every box shown so far as "title|style|text", the title being the one the user sees.
  QStringList shownBoxes() const {
    QStringList out;
    for (const auto& b : boxes) {
      const char* kind = b.style == ui::kStyleCritical      ? "critical"
                         : b.style == ui::kStyleInformation ? "info"
                         : b.style == ui::kStyleNone        ? "plain"
                                                            : "?";
      out << b.shownTitle() + "|" + kind + "|" + b.text;
    }
    return out;
  }
  ui::LocalDateTime Now() override {
    if (clock.empty()) return now;
    auto t = clock.front();
    clock.pop_front();
    return t;
  }
  void DoEvents() override {
    ++doEventsCount;
    QCoreApplication::processEvents();
    if (onDoEvents) onDoEvents();
  }
  std::chrono::milliseconds Uptime() override {
    const auto t = uptime;
    uptime += uptimeStep;
    return t;
  }
  std::optional<QString> SaveFileName(const QString& title, const QString& suggestedPath,
                                      const QString& filters) override {
    saveQuestions << title + "|" + suggestedPath + "|" + filters;
    if (saveAnswers.empty()) return std::nullopt;
    const QString path = saveAnswers.front();
    saveAnswers.pop_front();
    return path;
  }
};

}  // namespace fake
