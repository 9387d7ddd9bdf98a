#pragma once
/// The library seam with every call written to a call log: arguments, result, returned text,
/// duration and, for a failed call, the library's reason. It sits between the windows and the
/// real library, so nothing above it changes.
#include "CallLog.h"
#include "ZnApi.h"

namespace server {

class RecordingZnApi : public ZnApi {
 public:
  RecordingZnApi(ZnApi& library, CallLog& log) : library_(library), log_(log) {}

  std::int32_t znOpen(const char* computer, const char* user, const char* password,
                      std::int32_t mode) override;
  std::int32_t znClose(std::int32_t h) override;
  std::int32_t znZncode(std::int32_t h, const char* function, std::int32_t window,
                        std::int32_t mode, char* result, std::int32_t length,
                        std::int32_t reserved) override;
  std::int32_t znTagRead(std::int32_t h, const char* tag, char* value,
                         std::int32_t length) override;
  std::int32_t znTagWrite(std::int32_t h, const char* tag, const char* value) override;
  std::int32_t znFindFirst(std::int32_t h, const char* table, const char* filter,
                           std::int32_t* object, std::int32_t flags) override;
  std::int32_t znFindNext(std::int32_t search, std::int32_t* object) override;
  std::int32_t znFindScroll(std::int32_t search, std::int32_t mode, std::int32_t offset,
                            std::int32_t* object) override;
  std::int32_t znGetProperty(std::int32_t object, const char* name, char* buffer,
                             std::int32_t length, std::int32_t* resultLength,
                             std::int32_t type) override;
  std::int32_t znFindClose(std::int32_t search) override;
  std::int32_t znListNew(std::int32_t h, std::int32_t mode) override;
  std::int32_t znListAdd(std::int32_t list, const char* tag) override;
  std::int32_t znListRead(std::int32_t list, std::int32_t reserved) override;
  std::int32_t znListData(std::int32_t item, char* value, std::int32_t length,
                          std::int32_t mode) override;
  std::int32_t znListFree(std::int32_t list) override;
  /// Passed through unrecorded: it explains a call, it is not one.
  std::int32_t znLastError(char* buffer, std::int32_t length) override;

 private:
  /// Runs `call` and records it: `arguments` fills in what went in, `returned` what came out
  /// of a call that succeeded. An error the binding raises is recorded and passed on.
  template <class Arguments, class Call, class Returned>
  std::int32_t Record(ZnOp op, Arguments&& arguments, Call&& call, Returned&& returned);

  ZnApi& library_;
  CallLog& log_;
};

}  // namespace server
