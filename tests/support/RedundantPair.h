#pragma once
/// A primary and a standby znsim joined as a redundant pair, as scripts/run starts them. Each
/// keeps its data folder across restarts; the primary keeps its port too, held while it is
/// down, so that it refuses meanwhile and no other test's server answers in its place.
#include <memory>
#include <string>
#include <utility>

#include "HeldPort.h"
#include "ZnsimProcess.h"

namespace testing_support {

class RedundantPair {
 public:
  explicit RedundantPair(std::string primaryName = "primary", std::string standbyName = "standby")
      : primaryName_(std::move(primaryName)), standbyName_(std::move(standbyName)) {
    StartPrimary();
    StartStandby();
  }

  /// Starts the primary, again after a kill: it waits to be dialed.
  void StartPrimary() {
    primary = std::make_unique<ZnsimProcess>(PairArgs(home_.path, primaryName_), primaryData_.path,
                                             primaryPort_.port());
  }
  /// Starts the standby, again after a kill: it dials the primary.
  void StartStandby() {
    standby = std::make_unique<ZnsimProcess>(PairArgs(home_.path, standbyName_, primary->address()),
                                             standbyData_.path);
  }

 private:
  // Declared before the servers, so that the servers end before their folders go.
  std::string primaryName_, standbyName_;
  TempDir home_{"znsim-pair-"};
  TempDir primaryData_, standbyData_;
  HeldPort primaryPort_;

 public:
  std::unique_ptr<ZnsimProcess> primary;
  std::unique_ptr<ZnsimProcess> standby;
};

}  // namespace testing_support
