#pragma once
// A harness's check: a broken property stops the fuzzer at the input that broke it.
inline void Require(bool condition) {
  if (!condition) __builtin_trap();
}
