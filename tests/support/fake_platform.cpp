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

int FakeWindowSystem::RunModalDialog(Dialog& dialog, WindowHandle /*parent*/) {
  const auto window = reinterpret_cast<WindowHandle>(nextWindow_);
  nextWindow_ += 0x10;
  dialog.m_hWnd = window;
  dialog.OnInitDialog();
  if (endResults_.count(window) == 0) {
    if (onModal) onModal(dialog);
    if (endResults_.count(window) == 0) EndDialog(window, IDCANCEL);
  }
  dialog.OnDestroyWindow();
  dialog.m_hWnd = nullptr;
  const int result = endResults_[window];
  endResults_.erase(window);
  return result;
}

void FakeWindowSystem::EndDialog(WindowHandle window, int result) {
  endResults_.emplace(window, result);
}

int FakeWindowSystem::MessageBox(WindowHandle owner, const std::string& text, const char* caption,
                                 unsigned style) {
  messageBoxes.push_back(
      ShownMessageBox{owner, text, caption != nullptr ? caption : "", caption != nullptr, style});
  if (messageBoxAnswers.empty()) return IDOK;
  const int answer = messageBoxAnswers.front();
  messageBoxAnswers.pop_front();
  return answer;
}

void FakeWindowSystem::SetWindowText(WindowHandle window, const std::string& text) {
  windowTexts[window] = text;
}

void FakeWindowSystem::SetDlgItemText(WindowHandle window, int itemId, const std::string& text) {
  itemTexts[{window, itemId}] = text;
}

std::string FakeWindowSystem::GetDlgItemText(WindowHandle window, int itemId) {
  auto found = itemTexts.find({window, itemId});
  return found == itemTexts.end() ? std::string() : found->second;
}

unsigned FakeWindowSystem::SetTimer(WindowHandle window, unsigned id, unsigned periodMs) {
  timers[{window, id}] = periodMs;
  return id;
}

void FakeWindowSystem::KillTimer(WindowHandle window, unsigned id) { timers.erase({window, id}); }

void FakeWindowSystem::SetProgressRange(WindowHandle window, int itemId, std::uint32_t lParam) {
  progressRanges[{window, itemId}] = lParam;
}

void FakeWindowSystem::SetProgressPos(WindowHandle window, int itemId, int position) {
  progressPositions[{window, itemId}] = position;
}

}  // namespace setup::testing
