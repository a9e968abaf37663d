// The one-file installer's stub: checks its archive, extracts it, runs the installer, cleans up.
#include "bundle/bundle_runner.h"

#include <memory>
#include <optional>

#include "bundle/bundle_format.h"
#include "bundle/solid_input.h"

namespace setup::bundle {
namespace {

constexpr std::size_t kScanBlock = 1 << 20;

class FileInput final : public Input {
 public:
  explicit FileInput(File& file) : file_(file) {}
  std::size_t Read(void* buffer, std::size_t size) override { return file_.Read(buffer, size); }

 private:
  File& file_;
};

// Whether the body at `offset` has the header's digest.
bool BodyMatches(File& file, std::int64_t offset, const Header& header) {
  if (!file.Seek(offset)) return false;
  std::unique_ptr<Sha256> sha = CreateSha256();
  std::unique_ptr<char[]> buffer(new char[kScanBlock]);
  std::uint64_t left = header.bodyLength;
  while (left > 0) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(left, kScanBlock));
    if (file.Read(buffer.get(), chunk) != chunk) return false;
    sha->Update(buffer.get(), chunk);
    left -= chunk;
  }
  return sha->Finish() == header.digest;
}

struct Located {
  std::int64_t bodyOffset;
  Header header;
};

// The first header whose body is whole and has its digest. Every place the magic occurs is
// tried, so neither the stub's own bytes nor a signature after the archive can mislead it.
std::optional<Located> Locate(File& file) {
  const std::int64_t length = file.Length();
  if (length < 0) return std::nullopt;
  const std::string magic = Magic();
  std::string window;
  std::int64_t windowStart = 0;
  std::int64_t position = 0;
  std::int64_t tried = -1;  // the last offset already tried
  std::unique_ptr<char[]> buffer(new char[kScanBlock]);
  while (position < length) {
    if (!file.Seek(position)) return std::nullopt;
    const std::size_t got = file.Read(buffer.get(), kScanBlock);
    if (got == 0) return std::nullopt;
    // Keep the last header's worth of the previous block, so a header across blocks is seen.
    if (window.size() > kHeaderSize) {
      windowStart += static_cast<std::int64_t>(window.size() - kHeaderSize);
      window.erase(0, window.size() - kHeaderSize);
    }
    window.append(buffer.get(), got);
    position += static_cast<std::int64_t>(got);
    std::size_t found = 0;
    while ((found = window.find(magic, found)) != std::string::npos) {
      const std::int64_t at = windowStart + static_cast<std::int64_t>(found);
      if (at <= tried) {
        ++found;
        continue;
      }
      tried = at;
      std::string bytes = window.substr(found, kHeaderSize);
      if (bytes.size() < kHeaderSize && at + static_cast<std::int64_t>(kHeaderSize) <= length) {
        // The header runs into the next block: read it whole.
        bytes.resize(kHeaderSize);
        if (!file.Seek(at) || file.Read(bytes.data(), kHeaderSize) != kHeaderSize) break;
      }
      const std::optional<Header> header = ParseHeader(bytes);
      const std::int64_t body = at + static_cast<std::int64_t>(kHeaderSize);
      if (header && header->bodyLength <= static_cast<std::uint64_t>(length - body) &&
          BodyMatches(file, body, *header)) {
        return Located{body, *header};
      }
      ++found;
    }
  }
  return std::nullopt;
}

// Writes the body's files below the folder, creating their folders.
class FolderOutput final : public Output {
 public:
  FolderOutput(BundleSystem& system, std::string folder)
      : system_(system), folder_(std::move(folder)) {}
  bool BeginFile(const std::string& name, bool executable) override {
    std::string path = folder_;
    std::size_t start = 0;
    for (;;) {
      const std::size_t slash = name.find('/', start);
      path += system_.PathSeparator();
      path += name.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
      if (slash == std::string::npos) break;
      if (!system_.CreateFolder(path)) return false;
      start = slash + 1;
    }
    file_ = system_.CreateFile(path, executable);
    names.push_back(name);
    return file_ != nullptr;
  }
  bool Write(const void* data, std::size_t size) override {
    return file_->Write(data, size) == size;
  }
  bool EndFile() override {
    const bool closed = file_->Close();
    file_.reset();
    return closed;
  }
  std::vector<std::string> names;

 private:
  BundleSystem& system_;
  std::string folder_;
  std::unique_ptr<File> file_;
};

}  // namespace

std::vector<std::string> InstallerArguments(const std::string& productName,
                                            const std::vector<std::string>& arguments) {
  if (!arguments.empty() && !arguments[0].empty() && arguments[0][0] != '-' &&
      arguments[0][0] != '/') {
    return arguments;
  }
  std::string starred = productName;
  for (char& c : starred) {
    if (c == ' ') c = '*';
  }
  std::vector<std::string> result;
  if (!starred.empty()) result.push_back(starred);
  result.insert(result.end(), arguments.begin(), arguments.end());
  return result;
}

int RunBundle(BundleSystem& system, const std::vector<std::string>& arguments) {
  std::unique_ptr<File> self = system.OpenForReading(system.OwnProgramPath());
  std::optional<Located> located;
  if (self != nullptr) located = Locate(*self);
  if (!located || !self->Seek(located->bodyOffset)) {
    system.ShowError(kDamagedText);
    return 1;
  }

  std::string error;
  const std::string folder = system.CreatePrivateFolder(&error);
  if (folder.empty()) {
    system.ShowError("The setup files cannot be unpacked: no temporary folder could be made (" +
                     error + ").");
    return 1;
  }
  FileInput input(*self);
  FolderOutput output(system, folder);
  std::string productName;
  const BodyResult result =
      located->header.solid ? ReadSolidBody(input, located->header.bodyLength, output, &productName)
                            : ReadBody(input, located->header.bodyLength, output, &productName);
  if (result != BodyResult::kDone) {
    system.RemoveTree(folder);
    system.ShowError(result == BodyResult::kDamaged
                         ? std::string(kDamagedText)
                         : "The setup files cannot be unpacked into " + folder +
                               ": the disk is full or cannot be written. Free some space in the "
                               "temporary folder and start the setup again.");
    return 1;
  }
  self.reset();

  const int status = system.RunAndWait(folder, system.InstallerName(),
                                       InstallerArguments(productName, arguments), &error);
  system.RemoveTree(folder);
  if (status < 0) {
    system.ShowError("The installer cannot be started: " + error);
    return 1;
  }
  return status;
}

}  // namespace setup::bundle
