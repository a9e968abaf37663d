// SETUP.LOG: timestamped lines, held in memory until the file is opened, hidden names dropped.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/clock.h"
#include "platform/file_system.h"

namespace setup {

// Whether a line names something the log must not show (the script's hidden names).
using HiddenTextTest = std::function<bool(const std::string& text)>;

class InstallLog {
 public:
  InstallLog(FileSystem& files, Clock& clock, HiddenTextTest isHidden)
      : files_(files), clock_(clock), isHidden_(std::move(isHidden)) {}
  ~InstallLog();
  InstallLog(const InstallLog&) = delete;
  InstallLog& operator=(const InstallLog&) = delete;

  // One line: timestamp, the printf-formatted message, CR LF.
  void Write(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // Creates the file and writes the pending lines; 0 when already open or not creatable.
  [[nodiscard]] int Open(const std::string& path);

  // Closes the file now, as the destructor would, for a caller that writes no further line and
  // needs to know the outcome: true when the file was created and every line reached it whole.
  bool Close();

  // Whether the file was created (it may have been closed since).
  bool IsOpen() const { return m_pFile != nullptr; }
  const std::string& Pending() const { return m_strPending; }

 private:
  FileSystem& files_;
  Clock& clock_;
  HiddenTextTest isHidden_;
  std::string m_strPending;
  std::unique_ptr<File> m_pFile;
  bool m_bWriteFailed = false;  // a write to the file fell short (a full disk)
};

}  // namespace setup
