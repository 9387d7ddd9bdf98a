#pragma once
/// Tests that need a network or a disk of their own, without changing this computer's: each
/// runs on a thread that has left the process's namespace, and every process that thread
/// starts (znsim above all) is in it too. Both need root, as CI has.
#include <cstddef>
#include <functional>
#include <string>

namespace testing_support {

/// Runs `body` where the loopback interface also carries `address` (IPv4): an address that
/// is not this computer's loopback, as another computer's would be, while nothing reaches
/// or leaves any real network. Rethrows what `body` threw.
void RunInOwnNetwork(const std::string& address, const std::function<void()>& body);

/// Runs `body` with a tmpfs of `bytes` mounted on the existing folder `folder`, seen only by
/// it and the processes it starts, and unmounted at the end. Rethrows what `body` threw.
void RunWithSmallDisk(const std::string& folder, std::size_t bytes,
                      const std::function<void()>& body);

}  // namespace testing_support
