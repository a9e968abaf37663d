// Gathers the benchmark's machine corpora from files under /usr.
#include "machine_corpus.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <system_error>

namespace setup::bench {

namespace {

namespace fs = std::filesystem;

std::string ReadPrefix(const fs::path& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(limit, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(limit));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount())));
  return bytes;
}

// Regular files below `root` (symbolic links skipped), in name order.
std::vector<fs::path> FilesBelow(const fs::path& root) {
  std::vector<fs::path> files;
  std::error_code error;
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_symlink(error) || !it->is_regular_file(error)) continue;
    files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Concatenates files below `root` that `keep` accepts (each cut to `perFile` bytes) up to `size`.
std::string Gather(const fs::path& root, std::size_t size, std::size_t perFile,
                   const std::function<bool(const fs::path&, const std::string&)>& keep) {
  std::string out;
  for (const fs::path& path : FilesBelow(root)) {
    if (out.size() >= size) break;
    std::string bytes = ReadPrefix(path, perFile);
    if (!bytes.empty() && keep(path, bytes)) out += bytes;
  }
  if (out.size() > size) out.resize(size);
  return out;
}

bool IsX86Elf(const std::string& bytes) {
  if (bytes.size() < 20 || bytes.compare(0, 4,
                                         "\x7f"
                                         "ELF") != 0)
    return false;
  const unsigned machine = static_cast<std::uint8_t>(bytes[18]) |
                           static_cast<unsigned>(static_cast<std::uint8_t>(bytes[19])) << 8;
  return machine == 3 || machine == 62;  // i386, x86-64
}

// Text without NUL bytes and mostly ASCII; markup-heavy files (HTML) are left out.
bool IsPlainText(const std::string& bytes) {
  if (bytes.find('\0') != std::string::npos || bytes.compare(0, 2, "\x1f\x8b") == 0) return false;
  const auto high = std::count_if(bytes.begin(), bytes.end(),
                                  [](char c) { return static_cast<std::uint8_t>(c) >= 0x80; });
  const auto tags = std::count(bytes.begin(), bytes.end(), '<');
  return high * 50 < static_cast<std::ptrdiff_t>(bytes.size()) &&
         tags * 200 < static_cast<std::ptrdiff_t>(bytes.size());
}

bool HasSuffix(const fs::path& path, const char* suffix) {
  const std::string name = path.filename().string();
  const std::string end = suffix;
  return name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
}

// Intel HEX data records (16 bytes each, CR LF) of `data`, up to `size` bytes of text.
std::string HexRecords(const std::string& data, std::size_t size) {
  std::string out;
  if (data.empty()) return out;
  char line[64];
  for (std::size_t offset = 0; out.size() < size; offset += 16) {
    const std::size_t start = offset % data.size();
    const std::size_t count = std::min<std::size_t>(16, data.size() - start);
    const unsigned address = static_cast<unsigned>(offset & 0xFFFF);
    unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF);
    int used =
        std::snprintf(line, sizeof line, ":%02X%04X00", static_cast<unsigned>(count), address);
    for (std::size_t k = 0; k < count; ++k) {
      const unsigned byte = static_cast<std::uint8_t>(data[start + k]);
      sum += byte;
      used += std::snprintf(line + used, sizeof line - used, "%02X", byte);
    }
    std::snprintf(line + used, sizeof line - used, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    out += line;
  }
  out.resize(size);
  return out;
}

std::string Interleave(const std::vector<std::string>& parts, std::size_t size) {
  constexpr std::size_t kTurn = 32 * 1024;
  std::string out;
  bool any = true;
  for (std::size_t offset = 0; out.size() < size && any; offset += kTurn) {
    any = false;
    for (const std::string& part : parts) {
      if (offset >= part.size()) continue;
      out += part.substr(offset, kTurn);
      any = true;
    }
  }
  if (out.size() > size) out.resize(size);
  return out;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> MachineCorpora(std::size_t size) {
  auto text = [](const fs::path&, const std::string& bytes) { return IsPlainText(bytes); };
  const std::string programs =
      Gather("/usr/bin", size, 256 * 1024,
             [](const fs::path&, const std::string& bytes) { return IsX86Elf(bytes); });
  const std::string documentation = Gather("/usr/share/doc", size, 1 << 20, text);
  const std::string headers =
      Gather("/usr/include", size, 1 << 20,
             [](const fs::path& path, const std::string&) { return HasSuffix(path, ".h"); });

  const std::size_t quarter = size / 4 + 1;
  const std::string packed =
      Gather("/usr/share/doc", quarter / 2, 1 << 20,
             [](const fs::path& path, const std::string&) { return HasSuffix(path, ".gz"); });
  std::string lowEntropy =
      Gather("/usr/share/fonts", quarter, 1 << 20,
             [](const fs::path& path, const std::string&) { return HasSuffix(path, ".ttf"); });
  if (lowEntropy.size() < quarter) {
    lowEntropy +=
        Gather("/usr/lib", quarter - lowEntropy.size(), 1 << 20,
               [](const fs::path& path, const std::string&) { return HasSuffix(path, ".o"); });
  }
  const std::string mix =
      Interleave({documentation, HexRecords(packed, quarter), lowEntropy, headers}, size);

  std::vector<std::pair<std::string, std::string>> corpora;
  for (auto [name, bytes] : {std::pair<const char*, const std::string*>{"x86 programs", &programs},
                             {"documentation", &documentation},
                             {"headers", &headers},
                             {"literal mix", &mix}}) {
    if (!bytes->empty()) corpora.emplace_back(name, *bytes);
  }
  return corpora;
}

}  // namespace setup::bench
