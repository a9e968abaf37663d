// setup-pack's --codec option and the payload writer it picks.
#include "pack/payload_codec.h"

#include "decompress/lzhuf_encoder.h"
#include "decompress/payload_form.h"
#include "pack/tool_support.h"

namespace setup::pack {

bool TakeCodecOption(const Command& self, std::vector<std::string>* args,
                     std::optional<Codec>* codec) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < args->size(); ++i) {
    const std::string& arg = (*args)[i];
    std::optional<std::string> name;
    if (arg == "--codec") {
      if (i + 1 == args->size()) {
        ReportError(self, "option --codec needs a value: lzhuf or xz");
        return false;
      }
      name = (*args)[++i];
    } else if (arg.rfind("--codec=", 0) == 0) {
      name = arg.substr(8);
    } else {
      kept.push_back(arg);
      continue;
    }
    if (*name == "lzhuf") {
      *codec = Codec::kLzhuf;
    } else if (*name == "xz") {
      *codec = Codec::kXz;
    } else {
      ReportError(self, "unknown codec '" + *name + "': lzhuf or xz");
      return false;
    }
  }
  *args = kept;
  return true;
}

const char* CodecName(Codec codec) { return codec == Codec::kXz ? "xz" : "lzhuf"; }

std::uint64_t LargestPayload(Codec codec) {
  // LZHUF's header holds a signed 32-bit length; an .xz stream has no such bound.
  return codec == Codec::kXz ? ~std::uint64_t{0} : 0x7FFFFFFF;
}

PayloadWriteResult WritePayload(Codec codec, lzhuf::ByteSource& in, std::uint64_t length,
                                lzhuf::ByteSink& out) {
  if (codec == Codec::kLzhuf) {
    switch (lzhuf::CompressStream(in, static_cast<std::uint32_t>(length), out)) {
      case lzhuf::EncodeResult::kDone:
        return PayloadWriteResult::kDone;
      case lzhuf::EncodeResult::kShortInput:
        return PayloadWriteResult::kShortInput;
      case lzhuf::EncodeResult::kWriteFailed:
        return PayloadWriteResult::kWriteFailed;
    }
  }
  switch (PackXzPayload(in, length, out)) {
    case PackResult::kDone:
      return PayloadWriteResult::kDone;
    case PackResult::kShortInput:
      return PayloadWriteResult::kShortInput;
    case PackResult::kWriteFailed:
    case PackResult::kNoMemory:
      break;
  }
  return PayloadWriteResult::kWriteFailed;
}

}  // namespace setup::pack
