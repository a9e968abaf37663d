// The .xz container's coder over liblzma: one stream, decoded with bounded memory and its check
// verified, or encoded at the strongest preset. A library of its own (setup_xz), so the one-file
// stub links it without the installer's core, and nothing else includes liblzma's header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace setup::xz {

// The first six bytes of every .xz stream.
inline constexpr std::uint8_t kMagic[6] = {0xFD, 0x37, 0x7A, 0x58, 0x5A, 0x00};

// The largest dictionary a stream may declare: a stream that would need more memory is refused
// before anything is allocated, so a hostile payload cannot exhaust a small machine.
inline constexpr std::uint64_t kDictionaryLimit = std::uint64_t{64} << 20;

enum class Status {
  kMore,      // all input taken or all room filled: call again
  kEnd,       // the stream ended and its check matched
  kDamaged,   // malformed, cut short, or its check does not match
  kTooLarge,  // its dictionary is above kDictionaryLimit
  kNoMemory,  // the coder could not get its memory
};

// One buffer step: reads from `in`, writes to `out`, and says how far it got in each.
struct Step {
  const std::uint8_t* in = nullptr;
  std::size_t inSize = 0;
  std::uint8_t* out = nullptr;
  std::size_t outSize = 0;
  std::size_t consumed = 0;
  std::size_t produced = 0;
};

class StreamDecoder {
 public:
  StreamDecoder();
  ~StreamDecoder();
  StreamDecoder(const StreamDecoder&) = delete;
  StreamDecoder& operator=(const StreamDecoder&) = delete;

  // Decodes what it can of `step.in` into `step.out`. `inputEnded` says that no input follows
  // `step.in`, so a stream not yet ended there is cut short. A stream without an integrity
  // check, or with one this library does not know, is refused as damaged: its damage could not
  // be seen. After kEnd, any further input is the caller's to judge.
  Status Decode(Step& step, bool inputEnded);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

class StreamEncoder {
 public:
  // `expectedLength` (the input's length, when known) keeps the dictionary no larger than the
  // input needs, so the decoder of a small file needs little memory. CRC64 check, preset 9e.
  explicit StreamEncoder(std::uint64_t expectedLength);
  ~StreamEncoder();
  StreamEncoder(const StreamEncoder&) = delete;
  StreamEncoder& operator=(const StreamEncoder&) = delete;

  // Encodes `step.in`; with `finish`, the rest of the stream too, until kEnd.
  Status Encode(Step& step, bool finish);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Whether `bytes` (at least six of them) open an .xz stream.
bool StartsWithMagic(const std::uint8_t* bytes, std::size_t size);

}  // namespace setup::xz
