#pragma once
/// What the reference servers do with their one client, for LoopbackServer.
#include <cstddef>
#include <functional>
#include <string>

/// Answers every request of `requestBytes` with `replyBytes`: the floor against which a
/// library round trip is measured.
std::function<void(int fd)> Echo(std::size_t requestBytes, std::size_t replyBytes);

/// Answers every request frame at once, on the thread that reads it, with "ok" and `value` as
/// a tag value: the library's own cost per call, free of any real server's work and thread
/// hand-offs.
std::function<void(int fd)> AnswerTagReads(std::string value);
