// setup-pack's --codec option: which form its payload files take, and writing one in it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "decompress/byte_stream.h"
#include "pack/commands.h"

namespace setup::pack {

enum class Codec {
  kLzhuf,  // the installer's own format, the default
  kXz,     // an .xz stream per file: smaller, slower to make
};

// Takes "--codec NAME" or "--codec=NAME" out of `args` into *codec (the last one given counts).
// False, with the reason reported, for a missing or unknown name.
bool TakeCodecOption(const Command& self, std::vector<std::string>* args,
                     std::optional<Codec>* codec);

const char* CodecName(Codec codec);

// The largest file a payload of the codec holds.
std::uint64_t LargestPayload(Codec codec);

enum class PayloadWriteResult { kDone, kShortInput, kWriteFailed };

// Writes exactly `length` bytes of `in` as a payload file of the codec.
PayloadWriteResult WritePayload(Codec codec, lzhuf::ByteSource& in, std::uint64_t length,
                                lzhuf::ByteSink& out);

}  // namespace setup::pack
