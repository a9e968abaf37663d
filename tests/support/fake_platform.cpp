// In-memory fakes of the platform interfaces.
#include "support/fake_platform.h"

#include <cstddef>
#include <cstring>

namespace setup::testing {

namespace {

constexpr std::uint32_t kVersionBlockMagic = 0x46414B45;  // "FAKE"

std::string Narrow(const std::u16string& wide) {
  std::string text;
  for (char16_t unit : wide) text += unit < 0x100 ? static_cast<char>(unit) : '?';
  return text;
}

void PutU16(std::string& bytes, std::size_t value) {
  bytes += static_cast<char>(value & 0xFF);
  bytes += static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(std::string& bytes, std::size_t value) {
  PutU16(bytes, value & 0xFFFF);
  PutU16(bytes, (value >> 16) & 0xFFFF);
}

// The smallest shell-link file that names `target` and `description`: a header, a link info
// with a local base path, and the name string in ANSI.
std::string ShellLinkBytes(const std::string& target, const std::string& description) {
  std::string bytes;
  PutU32(bytes, 0x4C);
  bytes.append("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  PutU32(bytes, 0x2 | 0x4);  // HasLinkInfo, HasName
  bytes.resize(0x4C, '\0');
  std::string volume;
  PutU32(volume, 0x11);  // size, with its empty label
  PutU32(volume, 3);     // DRIVE_FIXED
  PutU32(volume, 0);
  PutU32(volume, 0x10);
  volume += '\0';
  const std::size_t volumeOffset = 0x1C;
  const std::size_t baseOffset = volumeOffset + volume.size();
  const std::size_t suffixOffset = baseOffset + target.size() + 1;
  std::string info;
  PutU32(info, suffixOffset + 1);
  PutU32(info, 0x1C);
  PutU32(info, 0x1);  // VolumeIDAndLocalBasePath
  PutU32(info, volumeOffset);
  PutU32(info, baseOffset);
  PutU32(info, 0);
  PutU32(info, suffixOffset);
  info += volume + target + '\0' + '\0';
  bytes += info;
  PutU16(bytes, description.size());
  bytes += description;
  return bytes;
}

// IPersistFile::Save into `files`: the folder must exist, as the real call needs it.
HResult WriteLinkFile(FileSystem& files, const std::string& path, const SavedShellLink& link) {
  int error = 0;
  std::unique_ptr<File> file = files.Open(path, OpenMode::kWriteBinary, &error);
  if (file == nullptr) {
    return HResultFromWin32(error == 2 ? kErrorPathNotFound : kErrorAccessDenied);  // ENOENT
  }
  const std::string bytes = ShellLinkBytes(link.path, link.description);
  if (file->Write(bytes.data(), bytes.size()) != bytes.size() || !file->Close()) {
    return HResultFromWin32(kErrorDiskFull);
  }
  return kSOk;
}

class FakeShellLink : public ShellLink {
 public:
  explicit FakeShellLink(FakeShell& shell) : shell_(shell) {}
  HResult SetPath(const std::string& target) override {
    link_.path = target;
    return kSOk;
  }
  HResult SetDescription(const std::string& description) override {
    link_.description = description;
    return kSOk;
  }
  HResult QueryPersistFile() override {
    persist_ = true;
    return kSOk;
  }
  HResult Save(const std::u16string& path, bool remember) override {
    if (!persist_) return kEFail;
    if (shell_.saveResult != kSOk) return shell_.saveResult;
    if (shell_.linkFiles != nullptr) {
      if (const HResult written = WriteLinkFile(*shell_.linkFiles, Narrow(path), link_);
          written != kSOk) {
        return written;
      }
    }
    link_.file = path;
    link_.remember = remember;
    shell_.savedLinks.push_back(link_);
    return kSOk;
  }

 private:
  FakeShell& shell_;
  SavedShellLink link_;
  bool persist_ = false;
};

}  // namespace

FakeClock::FakeClock() { Set(2026, 12, 6, 8, 11, 32); }

bool FakeClock::LocalTime(std::tm* result) {
  if (fails) return false;
  *result = now;
  return true;
}

std::uint32_t FakeClock::Milliseconds() {
  const std::uint32_t reading = milliseconds;
  milliseconds += millisecondsPerReading;
  return reading;
}

void FakeClock::Set(int year, int month, int day, int hour, int minute, int second) {
  now = std::tm{};
  now.tm_year = year - 1900;
  now.tm_mon = month - 1;
  now.tm_mday = day;
  now.tm_hour = hour;
  now.tm_min = minute;
  now.tm_sec = second;
}

bool FakeShell::GetProgramsFolder(WindowHandle owner, std::string* path) {
  ++programsFolderCalls;
  lastOwner = owner;
  if (programsFolderFails) return false;
  *path = programsFolder;
  return true;
}

HResult FakeShell::CreateShellLink(std::unique_ptr<ShellLink>* link) {
  if (createLinkResult != kSOk) return createLinkResult;
  *link = std::make_unique<FakeShellLink>(*this);
  return kSOk;
}

bool FakeShell::MultiByteToWideChar(const std::string& text, int maxUnits, std::u16string* wide) {
  if (static_cast<long long>(text.size()) + 1 > maxUnits) return false;
  wide->clear();
  for (char c : text) wide->push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return true;
}

void FakeVersionInfo::SetVersion(const std::string& path, std::uint16_t major,
                                 std::uint16_t minor) {
  FixedFileInfo info{};
  info.dwSignature = 0xFEEF04BD;
  info.dwStrucVersion = 0x00010000;
  info.dwFileVersionMS = (static_cast<std::uint32_t>(major) << 16) | minor;
  info.dwProductVersionMS = info.dwFileVersionMS;
  versions[path] = info;
}

std::uint32_t FakeVersionInfo::GetFileVersionInfoSize(const std::string& path) {
  return versions.count(path) != 0 ? 4 + sizeof(FixedFileInfo) : 0;
}

bool FakeVersionInfo::GetFileVersionInfo(const std::string& path, std::uint32_t size, void* block) {
  auto found = versions.find(path);
  if (found == versions.end() || size < 4 + sizeof(FixedFileInfo)) return false;
  std::memcpy(block, &kVersionBlockMagic, 4);
  std::memcpy(static_cast<char*>(block) + 4, &found->second, sizeof(FixedFileInfo));
  return true;
}

bool FakeVersionInfo::QueryRootValue(const void* block, const void** record,
                                     std::uint32_t* length) {
  std::uint32_t magic = 0;
  std::memcpy(&magic, block, 4);
  if (magic != kVersionBlockMagic) {
    *record = nullptr;
    *length = 0;
    return false;
  }
  *record = static_cast<const char*>(block) + 4;
  *length = sizeof(FixedFileInfo);
  return true;
}

}  // namespace setup::testing
