// setup-pack verify: checks a distribution folder against its manifest and its payloads' streams.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "install/manifest_format.h"
#include "pack/commands.h"
#include "pack/distribution_files.h"
#include "pack/payload_check.h"
#include "pack/tool_support.h"

namespace setup::pack {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::optional<std::string> EntryProblem(const fs::path& dist, const ManifestEntry& entry) {
  std::unique_ptr<File> file =
      ToolFileSystem().Open(ToolPath(DiskPath(dist, entry.name)), OpenMode::kReadBinary, nullptr);
  if (file == nullptr) return std::string("it is missing");
  return EntryMismatch(*file, entry, "its SHA-256 differs from the manifest's");
}

int RunVerify(const std::vector<std::string>& args) {
  const Command& self = kVerifyCommand;
  if (!ExpectArguments(self, args, 1)) return kExitUsage;
  const fs::path dist(args[0]);
  const std::optional<std::string> text = ReadBytes(dist / kManifestName);
  if (!text) {
    ReportError(self, ToolPath(dist / kManifestName) + " is missing: nothing to verify against");
    return kExitFailure;
  }
  std::string error;
  const std::optional<std::vector<ManifestEntry>> entries = ParseManifest(*text, &error);
  if (!entries) {
    std::printf("%s: damaged, %s\n", kManifestName, error.c_str());
    return kExitFailure;
  }

  // Each bad file once, with its first fault.
  std::map<std::string, std::pair<std::string, std::string>> bad;  // comparable -> name, why
  auto report = [&](const std::string& name, const std::string& why) {
    bad.emplace(ComparableName(name), std::make_pair(name, why));
  };
  std::set<std::string> listed;
  for (const ManifestEntry& entry : *entries) {
    listed.insert(ComparableName(entry.name));
    if (std::optional<std::string> problem = EntryProblem(dist, entry)) {
      report(entry.name, *problem);
    }
  }
  const std::optional<std::string> script = ReadBytes(dist / "setup.drc");
  if (!script) report("setup.drc", "it is missing");
  const std::vector<std::string> sources =
      script ? PayloadSources(*script) : std::vector<std::string>();
  for (const std::string& source : sources) {
    if (bad.count(ComparableName(source)) != 0) continue;
    if (listed.count(ComparableName(source)) == 0) {
      report(source, std::string("it is not listed in ") + kManifestName);
      continue;
    }
    if (std::optional<std::string> problem =
            PayloadStreamProblem(ToolPath(DiskPath(dist, source)))) {
      report(source, *problem);
    }
  }
  for (const auto& [key, value] : bad) {
    std::printf("%s: damaged, %s\n", ForTerminal(value.first).c_str(), value.second.c_str());
  }
  if (!bad.empty()) {
    std::printf("%s: %zu damaged file%s\n", ToolPath(dist).c_str(), bad.size(),
                bad.size() == 1 ? "" : "s");
    return kExitFailure;
  }
  std::printf("%s: %zu files and %zu payloads sound\n", ToolPath(dist).c_str(), entries->size(),
              sources.size());
  return kExitSuccess;
}

}  // namespace

const Command kVerifyCommand = {
    "verify",
    "DISTDIR",
    "Checks a distribution folder against its manifest setup.sum.",
    "Every listed file must exist with the listed size and SHA-256; every payload the script\n"
    "names must be listed and must expand whole: an LZHUF payload to exactly its header's\n"
    "length without its compressed data running out, an xz payload with its check matching and\n"
    "nothing after its stream. Prints each damaged file and why; exit status 0 when all is\n"
    "sound, 1 when anything is damaged.\n",
    RunVerify,
};

}  // namespace setup::pack
