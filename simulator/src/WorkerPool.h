#pragma once
/// The threads that run slow requests: writes that wait for the disk, password checks, pages
/// of rows, large frames. They run at the server's own priority. A quick request still goes
/// first: the network thread mostly sleeps, and the scheduler runs a thread that wakes ahead
/// of one that has been running. A lower priority would also rank the bulk work below every
/// other program's, and on a busy machine a list read of 100,000 tags took six times as long.
#include <asio.hpp>

#include <cstddef>
#include <thread>
#include <vector>

namespace znsim {

class WorkerPool {
 public:
  using Executor = asio::io_context::executor_type;

  explicit WorkerPool(std::size_t threads);
  /// Lets the work queued so far finish, then ends the threads.
  ~WorkerPool() { Join(); }
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  Executor executor() { return io_.get_executor(); }
  void Join();

 private:
  asio::io_context io_;
  asio::executor_work_guard<Executor> work_;
  std::vector<std::jthread> threads_;
};

}  // namespace znsim
