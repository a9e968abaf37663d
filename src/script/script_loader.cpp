// Reading a scrambled setup script into the tables, and scrambling a plain one.
#include "script/script_loader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/ascii_case.h"
#include "platform/out_of_memory.h"
#include "script/macros.h"
#include "script/scrambling.h"

namespace setup {

namespace {

constexpr std::size_t kLineBufferSize = kScriptLineBufferSize;
constexpr std::size_t kBlockSize = 4096;
// A script holds at most a few thousand lines of up to 520 bytes; a larger file is refused as
// unreadable rather than counted and parsed to the end of a disk-sized file.
constexpr std::int64_t kMaxScriptBytes = 64 * 1024 * 1024;

enum class LineResult {
  kLine,     // a complete line
  kEnd,      // end of file; a partly read line is discarded
  kTooLong,  // a line feed was found, but beyond the line buffer
  kError,    // the file could not be read
};

// Reads "setup.drc" a line at a time, descrambling each byte with the key of its 1-based
// position. Reads in blocks, but keys by the position of each byte, exactly as a byte-by-byte
// reader would.
class ScriptLineReader {
 public:
  explicit ScriptLineReader(File& file) : file_(file) {}

  // Back to the first byte; positions, and therefore keys, repeat exactly.
  bool Rewind() {
    blockLength_ = 0;
    blockIndex_ = 0;
    position_ = 0;
    return file_.Seek(0);
  }

  // The next line's text, ended as the format says: the byte before the line feed is dropped
  // when the line feed is at index 2 or later. The text stops at its first zero byte, as the
  // line buffer's text does.
  LineResult ReadLine(std::string* text) {
    std::size_t length = 0;
    for (;;) {
      std::uint8_t byte = 0;
      const LineResult next = NextByte(&byte);
      if (next != LineResult::kLine) return next;
      if (length == kLineBufferSize) {
        // No room: skip to the line feed so a line without one at the end stays ignored.
        if (byte == '\n') return LineResult::kTooLong;
        continue;
      }
      line_[length] = byte;
      if (byte == '\n') {
        const std::size_t end = length >= 2 ? length - 1 : length;
        std::size_t textLength = 0;
        while (textLength < end && line_[textLength] != 0) ++textLength;
        text->assign(reinterpret_cast<const char*>(line_.data()), textLength);
        return LineResult::kLine;
      }
      ++length;
    }
  }

 private:
  LineResult NextByte(std::uint8_t* byte) {
    if (blockIndex_ == blockLength_) {
      blockLength_ = file_.Read(block_.data(), block_.size());
      blockIndex_ = 0;
      if (blockLength_ == 0) return file_.Error() ? LineResult::kError : LineResult::kEnd;
    }
    if (position_ == kMaxScriptBytes) return LineResult::kError;
    ++position_;
    *byte = ScrambleByte(block_[blockIndex_++], position_);
    return LineResult::kLine;
  }

  File& file_;
  std::array<std::uint8_t, kBlockSize> block_{};
  std::size_t blockLength_ = 0;
  std::size_t blockIndex_ = 0;
  std::int64_t position_ = 0;
  std::array<std::uint8_t, kLineBufferSize> line_{};
};

// Kinds that carry field text need at least the kind letter, the separator and one character.
bool HasFieldText(const std::string& text) { return text.size() >= 3; }

// A text cut at one separator: nothing before it and the whole text after it when there is none.
struct Halves {
  std::string_view before;
  std::string_view after;
};
Halves CutAt(std::string_view text, std::size_t at) {
  if (at == std::string_view::npos) return {std::string_view(), text};
  return {text.substr(0, at), text.substr(at + 1)};
}
Halves CutAtFirst(std::string_view text, char separator) {
  return CutAt(text, text.find(separator));
}
Halves CutAtLast(std::string_view text, char separator) {
  return CutAt(text, text.rfind(separator));
}

// The "%u" conversion: white space skipped, an optional sign (a minus gives the two's
// complement), then decimal digits up to the first non-digit. Digits beyond 32 bits wrap.
bool ParseUnsigned(std::string_view text, std::uint32_t* value) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size() || text[i] < '0' || text[i] > '9') return false;
  std::uint32_t number = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    number = number * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  *value = negative ? 0u - number : number;
  return true;
}

RegistryEntry ParseRegistryEntry(std::string_view fields, char separator) {
  RegistryEntry entry;
  entry.separator = separator;
  const auto [typeText, rest] = CutAtFirst(fields, separator);
  const Halves keyAndValue = CutAtLast(rest, separator);
  const std::string_view valueText = keyAndValue.after;
  entry.keyPath = std::string(keyAndValue.before);
  if (typeText == "DWORD") {
    std::uint32_t number = 0;
    if (ParseUnsigned(valueText, &number)) {
      entry.type = RegistryType::kDword;
      entry.dwordValue = number;
    }
  } else if (typeText == "SZ") {
    entry.type = RegistryType::kSz;
    entry.stringValue = std::string(valueText);
  }
  return entry;
}

struct TableCounts {
  std::size_t lines = 0;
  std::size_t files = 0;
  std::size_t registryEntries = 0;
  std::size_t links = 0;
  std::size_t hiddenNames = 0;
};

// The counting pass. An over-long line is counted and ends the pass: the parse pass stops on
// it. A read error fails the load.
bool CountLines(ScriptLineReader& reader, TableCounts* counts) {
  std::string text;
  for (;;) {
    const LineResult result = reader.ReadLine(&text);
    if (result == LineResult::kEnd) return true;
    if (result == LineResult::kError) return false;
    ++counts->lines;
    if (result == LineResult::kTooLong) return true;
    if (!HasFieldText(text)) continue;
    switch (UpperAscii(text[0])) {
      case 'F':
        ++counts->files;
        break;
      case 'K':
        ++counts->registryEntries;
        break;
      case 'L':
        ++counts->links;
        break;
      case 'H':
        ++counts->hiddenNames;
        break;
      default:
        break;
    }
  }
}

// The parse pass; answers 1 when all `lineCount` lines were handled.
int ParseLines(const Platform& platform, SetupScript& script, ScriptLineReader& reader,
               std::size_t lineCount, WindowHandle ownerWindow, const char* destinationDirectory) {
  std::size_t fileIndex = 0;
  std::size_t registryIndex = 0;
  std::size_t linkIndex = 0;
  std::size_t hiddenIndex = 0;
  std::string text;
  for (std::size_t line = 0; line < lineCount; ++line) {
    if (reader.ReadLine(&text) != LineResult::kLine) return 0;
    const char kind = text.empty() ? '\0' : UpperAscii(text[0]);
    if (kind == ';') continue;
    if (kind != 'F' && kind != 'X' && kind != 'K' && kind != 'L' && kind != 'H') return 0;
    // Too short to have been counted: a record here would not fit its table.
    if (!HasFieldText(text)) continue;

    const char separator = text[1];
    std::string fields = text.substr(2);
    ExpandMacros(platform, ownerWindow, fields, destinationDirectory);
    switch (kind) {
      case 'F': {
        // The file may have changed between the passes: never write past the table.
        if (fileIndex == script.files.size()) return 0;
        FileEntry& entry = script.files[fileIndex++];
        const Halves sourceAndDestination = CutAtFirst(fields, separator);
        entry.source = std::string(sourceAndDestination.before);
        entry.destination = std::string(sourceAndDestination.after);
        break;
      }
      case 'X':
        script.defaultDirectory = std::move(fields);
        break;
      case 'K':
        if (registryIndex == script.registryEntries.size()) return 0;
        script.registryEntries[registryIndex++] = ParseRegistryEntry(fields, separator);
        break;
      case 'L': {
        if (linkIndex == script.links.size()) return 0;
        LinkEntry& entry = script.links[linkIndex++];
        const Halves linkAndRest = CutAtFirst(fields, separator);
        entry.linkFile = std::string(linkAndRest.before);
        const Halves targetAndDescription = CutAtLast(linkAndRest.after, separator);
        entry.target = std::string(targetAndDescription.before);
        entry.description = std::string(targetAndDescription.after);
        break;
      }
      case 'H':
        if (hiddenIndex == script.hiddenNames.size()) return 0;
        script.hiddenNames[hiddenIndex++] = std::move(fields);
        --script.unfilledHiddenNames;
        break;
      default:
        return 0;
    }
  }
  return 1;
}

// The load itself; LoadFileList adds what running out of memory needs.
int LoadTables(const Platform& platform, SetupScript& script, WindowHandle ownerWindow,
               const char* scriptPath, const char* destinationDirectory) {
  std::unique_ptr<File> file = platform.files.Open(scriptPath, OpenMode::kReadBinary, nullptr);
  if (!file) return 0;
  ScriptLineReader reader(*file);
  FreeSetupScript(script);

  TableCounts counts;
  if (!CountLines(reader, &counts)) return 0;
  script.files.resize(counts.files);
  script.registryEntries.resize(counts.registryEntries);
  script.links.resize(counts.links);
  script.hiddenNames.resize(counts.hiddenNames);
  script.unfilledHiddenNames = counts.hiddenNames;

  if (!reader.Rewind()) return 0;
  return ParseLines(platform, script, reader, counts.lines, ownerWindow, destinationDirectory);
}

}  // namespace

int LoadFileList(const Platform& platform, SetupScript& script, WindowHandle ownerWindow,
                 const char* scriptPath, const char* destinationDirectory) {
  const std::optional<int> loaded = FailureWhenOutOfMemory<std::optional<int>>(std::nullopt, [&] {
    return std::optional<int>(
        LoadTables(platform, script, ownerWindow, scriptPath, destinationDirectory));
  });
  if (loaded) return *loaded;
  // Never leave a table half-built by a failed allocation.
  FreeSetupScript(script);
  return 0;
}

namespace {

// The C runtime's errno value for a failed rename, as the streams' failures give theirs.
int CrtErrorOfMove(Win32Error error) {
  switch (error) {
    case kErrorAccessDenied:
    case kErrorSharingViolation:
    case kErrorWriteProtect:
      return EACCES;
    case kErrorDiskFull:
    case kErrorHandleDiskFull:
      return ENOSPC;
    default:
      return 0;
  }
}

// Writes `length` bytes of `plain`, scrambled, into `scrambled` and closes it; true when every
// byte reached it. Otherwise *failedPath (one of the two) and *crtError say what failed.
bool WriteScrambled(File& plain, std::int64_t length, File& scrambled, const char* plainPath,
                    const char* scrambledPath, const char** failedPath, int* crtError) {
  auto failed = [&](const char* path, int error) {
    *failedPath = path;
    *crtError = error;
    return false;
  };
  std::array<std::uint8_t, kBlockSize> block{};
  std::int64_t position = 0;
  bool ok = true;
  while (ok && position < length) {
    const auto wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(length - position, block.size()));
    const std::size_t got = plain.Read(block.data(), wanted);
    for (std::size_t i = 0; i < got; ++i) block[i] = ScrambleByte(block[i], ++position);
    if (got != wanted) {
      ok = failed(plainPath, plain.ErrorNumber());
    } else if (scrambled.Write(block.data(), got) != got) {
      ok = failed(scrambledPath, scrambled.ErrorNumber());
    }
  }
  // Bytes still buffered must reach the file for the result to be true.
  if (!scrambled.Close() && ok) ok = failed(scrambledPath, scrambled.ErrorNumber());
  return ok;
}

}  // namespace

int ScrambleScript(FileSystem& files, const char* plainPath, const char* scrambledPath,
                   ScrambleFailure* failure) {
  auto failed = [failure](const char* path, int crtError) {
    if (failure != nullptr) *failure = ScrambleFailure{path, crtError};
    return 0;
  };
  int crtError = 0;
  std::unique_ptr<File> plain = files.Open(plainPath, OpenMode::kReadBinary, &crtError);
  if (!plain) return failed(plainPath, crtError);
  const std::int64_t length = plain->Length();
  if (length < 0) return failed(plainPath, plain->ErrorNumber());
  // The loader refuses a larger script; converting one would only fill the disk.
  if (length > kMaxScriptBytes) return failed(plainPath, EFBIG);

  // Written beside and put in place in one step, so a failed or killed conversion never leaves
  // part of a script where the installer would load it.
  const std::string temporary = std::string(scrambledPath) + ".~new";
  std::unique_ptr<File> scrambled = files.Open(temporary, OpenMode::kWriteBinary, &crtError);
  if (!scrambled) return failed(scrambledPath, crtError);
  const char* failedPath = nullptr;
  const bool written =
      WriteScrambled(*plain, length, *scrambled, plainPath, scrambledPath, &failedPath, &crtError);
  scrambled.reset();
  if (written) {
    const Win32Error moved = files.MoveFileReplacing(temporary, scrambledPath);
    if (moved == kErrorSuccess) return 1;
    failedPath = scrambledPath;
    crtError = CrtErrorOfMove(moved);
  }
  static_cast<void>(files.DeleteFile(temporary));
  return failed(failedPath, crtError);
}

}  // namespace setup
