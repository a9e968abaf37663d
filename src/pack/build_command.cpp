// setup-pack build: makes a ready distribution folder from a plain script and a source tree.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "decompress/byte_stream.h"
#include "pack/commands.h"
#include "pack/distribution_files.h"
#include "pack/distribution_texts.h"
#include "pack/payload_codec.h"
#include "pack/payload_names.h"
#include "pack/previous_build.h"
#include "pack/script_check_run.h"
#include "pack/tool_support.h"
#include "pack/uninstaller_option.h"
#include "script/scrambling.h"

namespace setup::pack {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr const char* kInstallerName = "Setup.exe";
#else
constexpr const char* kInstallerName = "setup";
#endif

struct BuildOptions {
  std::string script;
  std::string from;
  std::string out;
  std::optional<std::string> welcome;
  std::optional<std::string> terms;
  std::optional<std::string> installer;
  std::optional<std::string> name;
  std::optional<std::string> machine;
  std::optional<std::string> version;
  std::optional<std::string> publisher;
};

bool ParseOptions(const Command& self, const std::vector<std::string>& args,
                  BuildOptions* options) {
  std::map<std::string, std::string*> required = {
      {"--script", &options->script}, {"--from", &options->from}, {"--out", &options->out}};
  std::map<std::string, std::optional<std::string>*> optional = {
      {"--welcome", &options->welcome},    {"--terms", &options->terms},
      {"--setup", &options->installer},    {"--name", &options->name},
      {"--machine", &options->machine},    {"--version", &options->version},
      {"--publisher", &options->publisher}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool hasValue = false;
    if (std::string::size_type equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.erase(equals);
      hasValue = true;
    } else if (i + 1 < args.size()) {
      value = args[++i];
      hasValue = true;
    }
    bool known = required.count(name) != 0 || optional.count(name) != 0;
    if (!known) {
      ReportError(self, "unknown argument '" + args[i] + "' (see 'setup-pack build --help')");
      return false;
    }
    if (!hasValue || value.empty()) {
      ReportError(self, "option " + name + " needs a value");
      return false;
    }
    if (auto it = required.find(name); it != required.end()) *it->second = value;
    if (auto it = optional.find(name); it != optional.end()) *it->second = value;
  }
  for (const auto& [name, value] : required) {
    if (value->empty()) {
      ReportError(self, "missing " + name + " (see 'setup-pack build --help')");
      return false;
    }
  }
  return true;
}

bool CompressOne(const Command& self, Codec codec, const fs::path& from, const fs::path& to,
                 std::int64_t* inBytes, std::int64_t* outBytes) {
  std::unique_ptr<File> in = OpenInput(self, ToolPath(from));
  if (!in) return false;
  std::int64_t length = in->Length();
  if (length < 0 || static_cast<std::uint64_t>(length) > LargestPayload(codec)) {
    // Built piece by piece: one concatenation here trips a false -Wrestrict in MinGW's GCC 12.
    std::string message = "'";
    message += ToolPath(from);
    message += "' is too large for a payload file";
    ReportError(self, message);
    return false;
  }
  std::error_code error;
  fs::create_directories(to.parent_path(), error);
  std::unique_ptr<File> out = OpenOutput(self, ToolPath(to));
  if (!out) return false;
  Progress progress("compressing " + ToolPath(from), length);
  ProgressFile counted(std::move(in), progress);
  lzhuf::FileSource source(counted);
  lzhuf::FileSink sink(*out);
  const PayloadWriteResult result =
      WritePayload(codec, source, static_cast<std::uint64_t>(length), sink);
  std::int64_t written = out->Tell();
  bool closed = out->Close();
  if (result != PayloadWriteResult::kDone || !closed) {
    ReportError(self, "could not compress '" + ToolPath(from) + "' into '" + ToolPath(to) + "'");
    return false;
  }
  *inBytes += length;
  *outBytes += written;
  return true;
}

bool CopyInto(const Command& self, const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
  if (error) {
    ReportError(
        self, "cannot copy '" + ToolPath(from) + "' to '" + ToolPath(to) + "': " + error.message());
    return false;
  }
  return true;
}

// What the script's files take once installed: each F line's source, expanded.
std::uint64_t InstalledBytes(const fs::path& from, const std::vector<PayloadLine>& lines) {
  std::uint64_t total = 0;
  for (const PayloadLine& line : lines) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(DiskPath(from, line.relative), error);
    if (!error) total += size;
  }
  return total;
}

// "a, b and c".
std::string JoinedList(const std::vector<std::string>& items) {
  std::string joined;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) joined += i + 1 == items.size() ? " and " : ", ";
    joined += items[i];
  }
  return joined;
}

bool WriteInto(const Command& self, const std::string& bytes, const fs::path& to) {
  std::unique_ptr<File> out = OpenOutput(self, ToolPath(to));
  if (!out) return false;
  if (out->Write(bytes.data(), bytes.size()) != bytes.size() || !out->Close()) {
    ReportError(self, "cannot write '" + ToolPath(to) + "'");
    return false;
  }
  return true;
}

int RunBuild(const std::vector<std::string>& arguments) {
  const Command& self = kBuildCommand;
  BuildOptions options;
  std::vector<std::string> args = arguments;
  const bool uninstaller = TakeUninstallerOption(&args);
  std::optional<Codec> chosen;
  if (!TakeCodecOption(self, &args, &chosen)) return kExitUsage;
  const Codec codec = chosen.value_or(Codec::kLzhuf);
  if (!ParseOptions(self, args, &options)) return kExitUsage;
  if (uninstaller &&
      !CheckUninstallerListing(self, options.name, options.version, options.publisher)) {
    return kExitUsage;
  }
  if (!uninstaller && (options.version || options.publisher)) {
    ReportError(self, "--version and --publisher are what --uninstaller lists; add --uninstaller");
    return kExitUsage;
  }

  // Everything is checked before anything is written.
  const std::optional<ScriptCheck> check = RunScriptCheck(
      self, ScriptCheckRequest{options.script, options.machine, options.from}, stderr, false);
  if (!check) return kExitFailure;
  if (check->diagnostics.errors() > 0) {
    ReportError(self, "the script has errors; nothing was written");
    return kExitFailure;
  }
  std::optional<std::string> welcome;
  std::optional<std::string> terms;
  if (!PrepareDistributionText(self, kWelcomeText, options.welcome, &welcome) ||
      !PrepareDistributionText(self, kTermsText, options.terms, &terms)) {
    return kExitFailure;
  }
  const fs::path from(options.from);
  const fs::path out(options.out);
  fs::path installer =
      options.installer ? fs::path(*options.installer) : OwnDirectory() / kInstallerName;
  std::error_code error;
  if (!fs::is_regular_file(installer, error)) {
    ReportError(self, "the installer '" + installer.string() +
                          "' is missing; build it first or name it with --setup EXE");
    return kExitFailure;
  }
  if (uninstaller) {
    const Diagnostics foreign = ForeignUninstallCommands(check->normalised.bytes, *options.name,
                                                         UninstallerProgramName(installer));
    if (foreign.errors() > 0) {
      foreign.Print(stderr, options.script, ForTerminal);
      ReportError(self, "the script lists another uninstaller; nothing was written");
      return kExitFailure;
    }
  }

  PreviousBuild previous;
  if (!RemovePreviousBuild(self, out, &previous)) return kExitFailure;
  if (previous.removed > 0) {
    std::printf("%s: removed the %d files of the earlier build\n", ToolPath(out).c_str(),
                previous.removed);
  }
  for (const std::string& changed : previous.changed) {
    std::fprintf(stderr, "setup-pack build: warning: kept '%s', changed since the earlier build\n",
                 ForTerminal(changed).c_str());
  }
  fs::create_directories(out, error);
  if (error) {
    ReportError(self, "cannot create '" + ToolPath(out) + "': " + error.message());
    return kExitFailure;
  }
  std::int64_t inBytes = 0;
  std::int64_t outBytes = 0;
  std::vector<std::string> payloads;  // as the installer names them
  for (const std::string& source : check->sources) {
    const auto renamed = check->storedNames.find(source);
    const std::string& stored = renamed == check->storedNames.end() ? source : renamed->second;
    if (!CompressOne(self, codec, DiskPath(from, source), DiskPath(out, stored), &inBytes,
                     &outBytes)) {
      return kExitFailure;
    }
    payloads.push_back(stored);
  }
  const std::string script =
      WithStoredSources(check->normalised.bytes, check->payloadLines, check->storedNames);
  std::vector<std::string> copied = {"script"};
  if (!WriteInto(self, ScrambledFile(script), out / "setup.drc")) return kExitFailure;
  if (uninstaller) {
    const UninstallerListing listing{*options.name, options.version, options.publisher};
    if (!AddUninstaller(self, script, installer, OwnDirectory(), out, listing,
                        InstalledBytes(from, check->payloadLines))) {
      return kExitFailure;
    }
    for (const fs::path& payload : UninstallerPayloads()) payloads.push_back(payload.string());
  }
  if (welcome) {
    if (!WriteInto(self, *welcome, out / kWelcomeText.fileName)) return kExitFailure;
    copied.push_back("welcome text");
  }
  if (terms) {
    if (!WriteInto(self, *terms, out / kTermsText.fileName)) return kExitFailure;
    copied.push_back("terms");
  }
  if (!CopyInto(self, installer, out / installer.filename())) return kExitFailure;
  copied.push_back(installer.filename().string());
  if (options.name && !WriteAutorun(self, out, installer.filename().string(), *options.name)) {
    return kExitFailure;
  }
  if (!WriteManifest(self, out, payloads)) return kExitFailure;

  TellScriptChanges(options.script, check->normalised);
  std::printf("%s: %zu files, %lld bytes compressed to %lld; %s\n", ToolPath(out).c_str(),
              check->sources.size(), static_cast<long long>(inBytes),
              static_cast<long long>(outBytes), JoinedList(copied).c_str());
  return kExitSuccess;
}

}  // namespace

const Command kBuildCommand = {
    "build",
    "OPTIONS",
    "Makes a ready distribution folder for a product.",
    "  --script PLAIN   the plain setup script\n"
    "  --from SRCDIR    where the F lines' sources lie, uncompressed, under their own names\n"
    "                   (on Linux in UTF-8, the script's Windows-1252 names converted)\n"
    "  --out DISTDIR    the distribution folder to fill (created when missing; what an earlier\n"
    "                   build made there, as its setup.sum lists it, is removed first)\n"
    "  --welcome FILE   the welcome text, written as Setup2.txt\n"
    "  --terms FILE     the terms and conditions, written as terms.txt\n"
    "  --setup EXE      the installer program to copy in (default: the one beside setup-pack)\n"
    "  --name NAME      the product name: autorun.inf starts the installer with it\n"
    "  --uninstaller    add the uninstaller (needs --name) and list the product as NAME among\n"
    "                   the installed programs (DisplayName, UninstallString,\n"
    "                   QuietUninstallString, InstallLocation, DisplayIcon, EstimatedSize),\n"
    "                   but for the values the script's own K lines set\n"
    "  --version V      with --uninstaller: the version listed (DisplayVersion)\n"
    "  --publisher P    with --uninstaller: the publisher listed (Publisher)\n"
    "  --machine=DIR    the machine folder the script is checked against (see 'check --help')\n"
    "  --codec C        lzhuf (default) or xz: the form of the payload files; xz makes a\n"
    "                   smaller distribution and takes longer to build\n"
    "\n"
    "PLAIN is first checked as 'setup-pack check' does: with any error nothing is written;\n"
    "warnings are shown and the build goes on. Every F line's source is compressed from SRCDIR\n"
    "into DISTDIR under the same name, but for libraries (.dll, .ocx, .drv), which are stored\n"
    "as .dl_, .oc_, .dr_ so that Windows never loads them into the installer. PLAIN, its F\n"
    "lines naming what DISTDIR holds, is scrambled into DISTDIR/setup.drc. The script and the\n"
    "texts get CR LF line ends and, when written in UTF-8, Windows-1252 characters, as the\n"
    "installer reads them; each change is told in one line.\n"
    "Users start the installer in DISTDIR. DISTDIR/setup.sum lists every file with its size\n"
    "and SHA-256; the installer refuses files that do not match.\n",
    RunBuild,
};

}  // namespace setup::pack
