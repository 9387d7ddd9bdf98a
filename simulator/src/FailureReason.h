#pragma once
/// What a client is told when serving its request failed unexpectedly.
#include <exception>
#include <string>

namespace znsim {

/// The failure in words for the client: the database's own reason (a full disk, a damaged
/// file), running out of memory, or the exception's text.
std::string FailureReason(const std::exception& failure);

}  // namespace znsim
