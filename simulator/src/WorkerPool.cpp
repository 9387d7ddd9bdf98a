#include "WorkerPool.h"

#include <sys/resource.h>  // setpriority
#include <unistd.h>        // gettid

namespace znsim {

namespace {

// Ten steps of nice weigh a thread about a tenth of a normal one.
constexpr int kNice = 10;

}  // namespace

WorkerPool::WorkerPool(std::size_t threads) : work_(io_.get_executor()) {
  for (std::size_t i = 0; i < threads; ++i) {
    threads_.emplace_back([this] {
      // Only this thread: on Linux a thread's priority is its own.
      setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNice);
      io_.run();
    });
  }
}

void WorkerPool::Join() {
  work_.reset();
  threads_.clear();
}

}  // namespace znsim
