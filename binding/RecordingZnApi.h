#pragma once
/// The library seam with every call written to a call log: arguments, result, returned text,
/// duration and, for a failed call, the library's reason. It sits between the windows and the
/// real library, so nothing above it changes.
#include "CallLog.h"
#include "ZnApi.h"

namespace binding {

class RecordingZnApi : public ZnApi {
 public:
  RecordingZnApi(ZnApi& library, CallLog& log) : library_(library), log_(log) {}

  // Extensions pass through unrecorded: they explain a call, they are not one.
  ZN_OPERATIONS(ZN_OVERRIDE)

 private:
  /// Runs `call` and records it as an `op` with `arguments` (a tuple, in call order). An
  /// error the binding raises is recorded and passed on.
  template <ZnOp op, class Call, class Arguments>
  std::int32_t Record(Call&& call, const Arguments& arguments);

  ZnApi& library_;
  CallLog& log_;
};

}  // namespace binding
