// SETUP.LOG: timestamped lines, held in memory until the file is opened, hidden names dropped.
#include "base/install_log.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

#include "platform/format_text.h"
#include "platform/out_of_memory.h"

namespace setup {

namespace {

// A line, timestamp and terminating zero included, is built in this many bytes; a longer line
// is cut to the first 511 bytes.
constexpr std::size_t kLineBufferSize = 512;
constexpr std::size_t kTimestampBufferSize = 128;

// strftime's %b in the "C" locale: the log is in English whatever the user's locale.
constexpr std::array<const char*, 12> kMonthAbbreviations = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int FormatTo(char* buffer, std::size_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int written = FormatText(buffer, size, format, arguments);
  va_end(arguments);
  return written;
}

// "%d %b %Y %H:%M:%S " into `buffer`; answers the length, 0 (empty timestamp) when the time
// does not make sense.
std::size_t FormatTimestamp(const std::tm& time, char* buffer, std::size_t size) {
  const int year = time.tm_year + 1900;
  if (time.tm_mon < 0 || time.tm_mon > 11 || time.tm_mday < 1 || time.tm_mday > 31 ||
      time.tm_hour < 0 || time.tm_hour > 23 || time.tm_min < 0 || time.tm_min > 59 ||
      time.tm_sec < 0 || time.tm_sec > 60 || year < 0 || year > 9999) {
    return 0;
  }
  const int written = FormatTo(buffer, size, "%02d %s %04d %02d:%02d:%02d ", time.tm_mday,
                               kMonthAbbreviations[static_cast<std::size_t>(time.tm_mon)], year,
                               time.tm_hour, time.tm_min, time.tm_sec);
  if (written < 0 || static_cast<std::size_t>(written) >= size) return 0;
  return static_cast<std::size_t>(written);
}

}  // namespace

InstallLog::~InstallLog() {
  if (m_pFile) m_pFile->Close();
}

void InstallLog::Write(const char* format, ...) {
  // Two spare bytes behind the line hold its CR LF.
  std::array<char, kLineBufferSize + 2> line{};

  std::size_t timestampLength = 0;
  std::tm now{};
  if (clock_.LocalTime(&now)) {
    std::array<char, kTimestampBufferSize> timestamp{};
    timestampLength = FormatTimestamp(now, timestamp.data(), timestamp.size());
    std::memcpy(line.data(), timestamp.data(), timestampLength);
  }

  va_list arguments;
  va_start(arguments, format);
  (void)FormatText(line.data() + timestampLength, kLineBufferSize - timestampLength, format,
                   arguments);
  va_end(arguments);
  // Some C runtimes leave a cut-off text without its terminating zero.
  line[kLineBufferSize - 1] = '\0';
  const std::size_t length = std::strlen(line.data());

  // Out of memory is like a line buffer that could not be had: the line is lost, nobody is told.
  const bool kept = FailureWhenOutOfMemory(false, [&] {
    if (isHidden_(std::string(line.data(), length))) return false;
    line[length] = '\r';
    line[length + 1] = '\n';
    if (m_pFile) {
      // Write errors are not detected; the stream's buffering decides when bytes reach disk.
      if (m_pFile->Write(line.data(), length + 2) != length + 2) m_bWriteFailed = true;
      return true;
    }
    m_strPending.append(line.data(), length + 2);
    return true;
  });
  static_cast<void>(kept);
}

int InstallLog::Open(const std::string& path) {
  if (m_pFile) return 0;
  int crtError = 0;
  std::unique_ptr<File> file = files_.Open(path, OpenMode::kWriteBinary, &crtError);
  if (!file) return 0;
  if (!m_strPending.empty() &&
      file->Write(m_strPending.data(), m_strPending.size()) != m_strPending.size()) {
    m_bWriteFailed = true;
  }
  m_pFile = std::move(file);
  return 1;
}

bool InstallLog::Close() {
  if (!m_pFile) return false;
  const bool closed = m_pFile->Close();
  return closed && !m_bWriteFailed;
}

}  // namespace setup
