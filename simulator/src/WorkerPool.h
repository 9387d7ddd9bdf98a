#pragma once
/// The threads that run slow requests: writes that wait for the disk, password checks, pages
/// of rows, large frames. They run at a lower priority than the network threads, so that on a
/// busy machine a quick request is answered before bulk work goes on.
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
