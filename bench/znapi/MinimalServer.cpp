#include "MinimalServer.h"

#include <arpa/inet.h>
#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/io/zero_copy_stream_impl_lite.h>
#include <google/protobuf/wire_format_lite.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace {

using google::protobuf::internal::WireFormatLite;

bool ReadAll(int fd, char* out, std::size_t n) {
  while (n > 0) {
    const ssize_t got = read(fd, out, n);
    if (got <= 0) return false;
    out += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

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

MinimalServer::MinimalServer(std::string value) : value_(std::move(value)) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(listener_, 1) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("minimal server cannot listen");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

MinimalServer::~MinimalServer() {
  shutdown(listener_, SHUT_RDWR);
  thread_.join();
  close(listener_);
}

void MinimalServer::Serve() {
  const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  while (true) {
    unsigned char header[4];
    if (!ReadAll(fd, reinterpret_cast<char*>(header), sizeof header)) break;
    const std::uint32_t length = (std::uint32_t{header[0]} << 24) |
                                 (std::uint32_t{header[1]} << 16) |
                                 (std::uint32_t{header[2]} << 8) | std::uint32_t{header[3]};
    if (length > 1024 * 1024) break;  // a benchmark never sends more
    std::string body(length, '\0');
    if (!ReadAll(fd, body.data(), body.size())) break;
    const std::string reply = ResponseFrame(RequestId(body), value_);
    if (send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(reply.size())) {
      break;
    }
  }
  close(fd);
}
