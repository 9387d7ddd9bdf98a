#include "WorkerPool.h"

namespace znsim {

WorkerPool::WorkerPool(std::size_t threads) : work_(io_.get_executor()) {
  for (std::size_t i = 0; i < threads; ++i) {
    threads_.emplace_back([this] { io_.run(); });
  }
}

void WorkerPool::Join() {
  work_.reset();
  threads_.clear();
}

}  // namespace znsim
