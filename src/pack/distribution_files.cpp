// The manifest and autorun.inf that setup-pack build writes into a distribution.
#include "pack/distribution_files.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "install/manifest_format.h"
#include "pack/tool_support.h"
#include "script/scrambling.h"

namespace setup::pack {

namespace fs = std::filesystem;

bool WriteManifest(const Command& self, const fs::path& dist,
                   const std::vector<std::string>& payloads) {
  std::vector<std::string> files = payloads;
  for (const char* fixed :
       {"setup.drc", "Setup2.txt", "terms.txt", "autorun.inf", "setup", "Setup.exe"}) {
    std::error_code error;
    if (fs::is_regular_file(dist / fixed, error)) files.emplace_back(fixed);
  }
  std::string text = ManifestHeader();
  for (const std::string& relative : files) {
    const fs::path path = DiskPath(dist, relative);
    std::unique_ptr<File> in = OpenInput(self, ToolPath(path));
    if (!in) return false;
    ManifestEntry entry;
    if (!DigestFile(*in, &entry.size, &entry.digest)) {
      ReportError(self, "cannot read '" + ToolPath(path) + "'");
      return false;
    }
    std::string name = relative;
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    entry.name = name;
    text += FormatManifestLine(entry);
  }
  std::unique_ptr<File> out = OpenOutput(self, ToolPath(dist / kManifestName));
  if (!out) return false;
  if (out->Write(text.data(), text.size()) != text.size() || !out->Close()) {
    ReportError(self, "cannot write '" + ToolPath(dist / kManifestName) + "'");
    return false;
  }
  return true;
}

std::optional<std::string> StarredName(const std::string& name) {
  std::string starred = name;
  for (char& c : starred) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == 0x7F) return std::nullopt;
    if (c == ' ') c = '*';
  }
  return starred;
}

bool WriteAutorun(const Command& self, const fs::path& dist, const std::string& installer,
                  const std::string& name) {
  const std::optional<std::string> starred = StarredName(name);
  if (!starred) {
    ReportError(self, "the product name may not hold quotes or control characters");
    return false;
  }
  const std::string text = "[autorun]\r\nopen=" + installer + " " + *starred +
                           "\r\nicon=" + installer + "\r\nlabel=" + name + "\r\n";
  std::unique_ptr<File> out = OpenOutput(self, ToolPath(dist / "autorun.inf"));
  if (!out) return false;
  if (out->Write(text.data(), text.size()) != text.size() || !out->Close()) {
    ReportError(self, "cannot write '" + ToolPath(dist / "autorun.inf") + "'");
    return false;
  }
  std::printf("start it with: %s %s\n", installer.c_str(), starred->c_str());
  return true;
}

std::optional<std::string> ReadAutorunName(const fs::path& dist) {
  std::ifstream in(dist / "autorun.inf", std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("open=", 0) != 0) continue;
    const std::string::size_type blank = line.find(' ');
    if (blank == std::string::npos) return std::string();
    std::string name = line.substr(blank + 1);
    for (char& c : name) {
      if (c == '*') c = ' ';
    }
    return name;
  }
  return std::nullopt;
}

std::vector<std::string> PayloadSources(const std::string& scrambled) {
  const std::string plain = ScrambledFile(scrambled);
  std::vector<std::string> sources;
  std::size_t start = 0;
  while (start < plain.size()) {
    const std::size_t feed = plain.find('\n', start);
    if (feed == std::string::npos) break;
    const std::size_t index = feed - start;
    const std::string text = plain.substr(start, index >= 2 ? index - 1 : index);
    start = feed + 1;
    if (text.size() < 3 || (text[0] != 'F' && text[0] != 'f')) continue;
    const std::string field = text.substr(2);
    const std::string::size_type separator = field.find(text[1]);
    if (separator != std::string::npos && separator > 0) {
      sources.push_back(field.substr(0, separator));
    }
  }
  return sources;
}

}  // namespace setup::pack
