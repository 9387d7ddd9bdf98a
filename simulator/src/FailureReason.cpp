#include "FailureReason.h"

#include <new>

#include "Database.h"

namespace znsim {

std::string FailureReason(const std::exception& failure) {
  if (const auto* database = dynamic_cast<const DatabaseError*>(&failure))
    return database->reason();
  if (dynamic_cast<const std::bad_alloc*>(&failure)) return "the server ran out of memory";
  return std::string("the server failed: ") + failure.what();
}

}  // namespace znsim
