// In-memory fakes of the platform interfaces.
#include "support/fake_platform.h"

#include <cstring>

namespace setup::testing {

namespace {

constexpr std::uint32_t kVersionBlockMagic = 0x46414B45;  // "FAKE"

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
