// The wizard's test machine.
#include "wizard_rig.h"

#include "script/script_loader.h"

namespace setup::testing {
namespace {

constexpr std::size_t kTimestampLength = 21;

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A file that tells a length of its own and otherwise is the file beneath.
class LengthClaimingFile final : public File {
 public:
  LengthClaimingFile(std::unique_ptr<File> inner, std::int64_t length)
      : inner_(std::move(inner)), length_(length) {}
  std::size_t Read(void* buffer, std::size_t size) override { return inner_->Read(buffer, size); }
  std::size_t Write(const void* buffer, std::size_t size) override {
    return inner_->Write(buffer, size);
  }
  std::int64_t Tell() override { return inner_->Tell(); }
  bool Seek(std::int64_t offset) override { return inner_->Seek(offset); }
  std::int64_t Length() override { return length_; }
  bool Error() const override { return inner_->Error(); }
  bool Close() override { return inner_->Close(); }

 private:
  std::unique_ptr<File> inner_;
  std::int64_t length_;
};

}  // namespace

std::unique_ptr<File> LengthClaimingFiles::Open(const std::string& path, OpenMode mode,
                                                int* crtError) {
  std::unique_ptr<File> file = inner().Open(path, mode, crtError);
  if (file == nullptr || path != path_) return file;
  return std::make_unique<LengthClaimingFile>(std::move(file), claimedLength_);
}

std::vector<std::string> MessagesOf(const std::string& logText) {
  std::vector<std::string> messages;
  for (const std::string& line : LinesOf(logText)) {
    messages.push_back(line.size() >= kTimestampLength ? line.substr(kTimestampLength) : line);
  }
  return messages;
}

std::vector<std::string> TimestampsOf(const std::string& logText) {
  std::vector<std::string> stamps;
  for (const std::string& line : LinesOf(logText)) {
    stamps.push_back(line.substr(0, kTimestampLength - 1));
  }
  return stamps;
}

WizardRig::WizardRig() = default;

void WizardRig::WriteScript(const std::vector<std::string>& lines) {
  files.PutFile("plain.tmp", Joined(lines));
  static_cast<void>(ScrambleScript(files, "plain.tmp", "setup.drc"));
  files.DeleteFile("plain.tmp");
}

void WizardRig::WritePlainScript(const std::vector<std::string>& lines) {
  files.PutFile("setup.txt", Joined(lines));
}

int WizardRig::Run(std::vector<std::string> arguments) {
  int status;
  {
    SetupApp app(platform, std::move(arguments));
    status = app.InitInstance();
    logFilePath = app.LogFilePath();
    pendingLog = app.log().Pending();
    defaultDirectory = app.script().defaultDirectory;
  }
  return status;
}

void WizardRig::PressOk() {
  windows.QueueAction([](Dialog& dialog) { dialog.OnOK(); });
}

void WizardRig::PressCancel() {
  windows.QueueAction([](Dialog& dialog) { dialog.OnCancel(); });
}

void WizardRig::TypeInto(int itemId, const std::string& text) {
  windows.QueueAction([this, itemId, text](Dialog& dialog) {
    windows.SetDlgItemText(dialog.m_hWnd, itemId, text);
  });
}

}  // namespace setup::testing
