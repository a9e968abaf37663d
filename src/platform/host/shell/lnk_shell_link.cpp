// The host's shell-link object: writes .lnk files into the machine folder.
#include "platform/host/shell/lnk_shell_link.h"

#include <cerrno>
#include <limits>

#include "platform/host/ansi_code_page.h"
#include "platform/host/shell/lnk_writer.h"
#include "platform/host/system_errors.h"

namespace setup {

namespace {

std::string ParentDirectory(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

bool HasWildcards(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

class HostShellLink final : public ShellLink {
 public:
  HostShellLink(FileSystem& files, const AnsiCodePage* codePage)
      : files_(files), codePage_(codePage) {}

  HResult SetPath(const std::string& target) override {
    fields_.target = target;
    return kSOk;
  }

  HResult SetDescription(const std::string& description) override {
    fields_.description = description;
    return kSOk;
  }

  HResult QueryPersistFile() override {
    persistFile_ = true;
    return kSOk;
  }

  HResult Save(const std::u16string& widePath, bool /*remember*/) override;

 private:
  // What the shell records of the target when it is there: its attributes and size.
  void DescribeTarget(ShellLinkFields* fields);
  // Why fopen failed, as CreateFileA would have said it.
  Win32Error OpenError(const std::string& path, int crtError);

  FileSystem& files_;
  const AnsiCodePage* codePage_;
  ShellLinkFields fields_;
  bool persistFile_ = false;
};

void HostShellLink::DescribeTarget(ShellLinkFields* fields) {
  if (fields->target.empty() || HasWildcards(fields->target)) return;
  const std::optional<FindData> found = files_.FindFirstFile(fields->target);
  if (!found) return;
  fields->fileAttributes = found->attributes;
  if (found->attributes & FILE_ATTRIBUTE_DIRECTORY) return;
  const std::unique_ptr<File> file = files_.Open(fields->target, OpenMode::kReadBinary, nullptr);
  const std::int64_t length = file ? file->Length() : -1;
  if (length >= 0 && length <= std::numeric_limits<std::uint32_t>::max()) {
    fields->fileSize = static_cast<std::uint32_t>(length);
  }
}

Win32Error HostShellLink::OpenError(const std::string& path, int crtError) {
  if (crtError != ENOENT) return Win32ErrorFromErrno(crtError);
  // The runtime says ENOENT for a missing directory as well; Windows tells the two apart.
  const std::string parent = ParentDirectory(path);
  if (parent.empty() || HasWildcards(parent)) return kErrorPathNotFound;
  const std::optional<FindData> found = files_.FindFirstFile(parent);
  const bool parentIsDirectory = found && (found->attributes & FILE_ATTRIBUTE_DIRECTORY);
  return parentIsDirectory ? kErrorFileNotFound : kErrorPathNotFound;
}

HResult HostShellLink::Save(const std::u16string& widePath, bool /*remember*/) {
  if (!persistFile_) return kEFail;
  std::string path;
  if (widePath.empty()) return kEInvalidArg;
  const bool converted =
      codePage_ != nullptr ? codePage_->FromUtf16(widePath, &path) : Utf16ToAnsi(widePath, &path);
  if (!converted) return HResultFromWin32(kErrorInvalidName);

  ShellLinkFields fields = fields_;
  DescribeTarget(&fields);
  const std::string bytes = WriteShellLink(fields);

  int crtError = 0;
  std::unique_ptr<File> file = files_.Open(path, OpenMode::kWriteBinary, &crtError);
  if (!file) {
    const Win32Error error = OpenError(path, crtError);
    return error == kErrorSuccess ? kEFail : HResultFromWin32(error);
  }
  const bool written = file->Write(bytes.data(), bytes.size()) == bytes.size();
  if (file->Close() && written) return kSOk;
  file.reset();
  (void)files_.DeleteFile(path);  // a half-written link would only mislead
  return HResultFromWin32(kErrorWriteFault);
}

}  // namespace

HResult CreateHostShellLink(FileSystem& files, std::unique_ptr<ShellLink>* link,
                            const AnsiCodePage* codePage) {
  *link = std::make_unique<HostShellLink>(files, codePage);
  return kSOk;
}

}  // namespace setup
