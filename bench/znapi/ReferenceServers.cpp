#include "ReferenceServers.h"

#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/io/zero_copy_stream_impl_lite.h>
#include <google/protobuf/wire_format_lite.h>

#include <cstdint>
#include <vector>

#include "LoopbackServer.h"

namespace {

using google::protobuf::internal::WireFormatLite;

// The request id: field 1, which a serialised request carries first.
std::uint32_t RequestId(const std::string& body) {
  google::protobuf::io::CodedInputStream in(reinterpret_cast<const std::uint8_t*>(body.data()),
                                            static_cast<int>(body.size()));
  std::uint32_t id = 0;
  if (in.ReadTag() == WireFormatLite::MakeTag(1, WireFormatLite::WIRETYPE_VARINT)) {
    in.ReadVarint32(&id);
  }
  return id;
}

// Response{id, ok: true, tag_value: {value}} with its 4-byte length prefix.
std::string ResponseFrame(std::uint32_t id, const std::string& value) {
  std::string body;
  {
    google::protobuf::io::StringOutputStream stream(&body);
    google::protobuf::io::CodedOutputStream out(&stream);
    WireFormatLite::WriteUInt32(1, id, &out);
    WireFormatLite::WriteBool(2, true, &out);
    out.WriteTag(WireFormatLite::MakeTag(5, WireFormatLite::WIRETYPE_LENGTH_DELIMITED));
    out.WriteVarint32(static_cast<std::uint32_t>(1 + WireFormatLite::StringSize(value)));
    WireFormatLite::WriteString(1, value, &out);
  }
  const auto n = static_cast<std::uint32_t>(body.size());
  return std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                     static_cast<char>(n >> 8), static_cast<char>(n)} +
         body;
}

}  // namespace

std::function<void(int fd)> Echo(std::size_t requestBytes, std::size_t replyBytes) {
  return [requestBytes, replyBytes](int fd) {
    std::vector<char> request(requestBytes);
    const std::vector<char> reply(replyBytes, 'r');
    while (ReadAll(fd, request.data(), request.size()) &&
           WriteAll(fd, reply.data(), reply.size())) {
    }
  };
}

std::function<void(int fd)> AnswerTagReads(std::string value) {
  return [value = std::move(value)](int fd) {
    while (true) {
      unsigned char header[4];
      if (!ReadAll(fd, reinterpret_cast<char*>(header), sizeof header)) return;
      const std::uint32_t length = (std::uint32_t{header[0]} << 24) |
                                   (std::uint32_t{header[1]} << 16) |
                                   (std::uint32_t{header[2]} << 8) | std::uint32_t{header[3]};
      if (length > 1024 * 1024) return;  // a benchmark never sends more
      std::string body(length, '\0');
      if (!ReadAll(fd, body.data(), body.size())) return;
      const std::string reply = ResponseFrame(RequestId(body), value);
      if (!WriteAll(fd, reply.data(), reply.size())) return;
    }
  };
}
