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

#include "commands.h"
#include "decompress/byte_stream.h"
#include "decompress/lzhuf_encoder.h"
#include "distribution_files.h"
#include "script/script_loader.h"
#include "tool_support.h"

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
};

// One F line of the plain script: where it stands and the source it names.
struct SourceLine {
  int lineNumber;
  std::string source;
};

// The directory of this program, where the build put the installer too.
fs::path OwnDirectory() {
#ifdef _WIN32
  // The C runtime's full path of the program.
  const char* program = _pgmptr;
  if (program == nullptr || *program == '\0') return fs::path();
  return fs::path(program).parent_path();
#else
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : self.parent_path();
#endif
}

bool ParseOptions(const Command& self, const std::vector<std::string>& args,
                  BuildOptions* options) {
  std::map<std::string, std::string*> required = {
      {"--script", &options->script}, {"--from", &options->from}, {"--out", &options->out}};
  std::map<std::string, std::optional<std::string>*> optional = {{"--welcome", &options->welcome},
                                                                 {"--terms", &options->terms},
                                                                 {"--setup", &options->installer},
                                                                 {"--name", &options->name}};
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

// The F lines' sources, read with the installer's line rules: a line runs up to its line feed
// and loses the byte before it (the CR of a CR LF file).
bool ReadSources(const Command& self, const std::string& scriptPath,
                 std::vector<SourceLine>* sources) {
  std::ifstream in(scriptPath, std::ios::binary);
  if (!in) {
    ReportError(self, "cannot read the script '" + scriptPath + "'");
    return false;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t start = 0;
  int lineNumber = 0;
  while (start < bytes.size()) {
    std::size_t feed = bytes.find('\n', start);
    ++lineNumber;
    if (feed == std::string::npos) {
      std::fprintf(stderr,
                   "setup-pack build: warning: %s line %d has no line feed; the installer "
                   "ignores it\n",
                   scriptPath.c_str(), lineNumber);
      break;
    }
    std::size_t index = feed - start;
    std::string text = bytes.substr(start, index >= 2 ? index - 1 : index);
    if (index >= 2 && bytes[feed - 1] != '\r') {
      std::fprintf(stderr,
                   "setup-pack build: warning: %s line %d ends in a bare line feed; the installer "
                   "drops its last character ('%c')\n",
                   scriptPath.c_str(), lineNumber, bytes[feed - 1]);
    }
    start = feed + 1;
    if (text.size() < 3 || (text[0] != 'F' && text[0] != 'f')) continue;
    std::string field = text.substr(2);
    std::string::size_type separator = field.find(text[1]);
    std::string source =
        separator == std::string::npos ? std::string() : field.substr(0, separator);
    sources->push_back(SourceLine{lineNumber, source});
  }
  return true;
}

// The source's place below a folder: Windows separators become the native one. Sources are
// opened relative to the distribution folder, so they must stay inside it.
std::optional<fs::path> RelativeSource(const std::string& source) {
  if (source.empty()) return std::nullopt;
  std::string native = source;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  if (native.front() == '/' || (native.size() >= 2 && native[1] == ':')) return std::nullopt;
  fs::path path(native);
  for (const fs::path& part : path) {
    if (part == "..") return std::nullopt;
  }
  return path;
}

bool CompressOne(const Command& self, const fs::path& from, const fs::path& to,
                 std::int64_t* inBytes, std::int64_t* outBytes) {
  std::unique_ptr<File> in = OpenInput(self, from.string());
  if (!in) return false;
  std::int64_t length = in->Length();
  if (length < 0 || length > 0x7FFFFFFF) {
    // Built piece by piece: one concatenation here trips a false -Wrestrict in MinGW's GCC 12.
    std::string message = "'";
    message += from.string();
    message += "' is too large for a payload file";
    ReportError(self, message);
    return false;
  }
  std::error_code error;
  fs::create_directories(to.parent_path(), error);
  std::unique_ptr<File> out = OpenOutput(self, to.string());
  if (!out) return false;
  Progress progress("compressing " + from.string(), length);
  ProgressFile counted(std::move(in), progress);
  lzhuf::FileSource source(counted);
  lzhuf::FileSink sink(*out);
  lzhuf::EncodeResult result =
      lzhuf::CompressStream(source, static_cast<std::uint32_t>(length), sink);
  std::int64_t written = out->Tell();
  bool closed = out->Close();
  if (result != lzhuf::EncodeResult::kDone || !closed) {
    ReportError(self, "could not compress '" + from.string() + "' into '" + to.string() + "'");
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
    ReportError(self,
                "cannot copy '" + from.string() + "' to '" + to.string() + "': " + error.message());
    return false;
  }
  return true;
}

int RunBuild(const std::vector<std::string>& args) {
  const Command& self = kBuildCommand;
  BuildOptions options;
  if (!ParseOptions(self, args, &options)) return kExitUsage;

  std::vector<SourceLine> sources;
  if (!ReadSources(self, options.script, &sources)) return kExitFailure;

  // Every source must exist before anything is written.
  const fs::path from(options.from);
  const fs::path out(options.out);
  std::vector<fs::path> relatives;
  std::set<fs::path> seen;
  for (const SourceLine& line : sources) {
    std::optional<fs::path> relative = RelativeSource(line.source);
    if (!relative) {
      ReportError(self, options.script + " line " + std::to_string(line.lineNumber) +
                            ": the source '" + line.source +
                            "' must be a relative name inside the distribution folder");
      return kExitFailure;
    }
    std::error_code error;
    if (!fs::is_regular_file(from / *relative, error)) {
      ReportError(self, options.script + " line " + std::to_string(line.lineNumber) +
                            ": the source '" + line.source + "' is missing (looked for " +
                            (from / *relative).string() + ")");
      return kExitFailure;
    }
    if (seen.insert(*relative).second) relatives.push_back(*relative);
  }
  fs::path installer =
      options.installer ? fs::path(*options.installer) : OwnDirectory() / kInstallerName;
  std::error_code error;
  if (!fs::is_regular_file(installer, error)) {
    ReportError(self, "the installer '" + installer.string() +
                          "' is missing; build it first or name it with --setup EXE");
    return kExitFailure;
  }

  fs::create_directories(out, error);
  if (error) {
    ReportError(self, "cannot create '" + out.string() + "': " + error.message());
    return kExitFailure;
  }
  std::int64_t inBytes = 0;
  std::int64_t outBytes = 0;
  for (const fs::path& relative : relatives) {
    if (!CompressOne(self, from / relative, out / relative, &inBytes, &outBytes)) {
      return kExitFailure;
    }
  }
  if (ScrambleScript(ToolFileSystem(), options.script.c_str(),
                     (out / "setup.drc").string().c_str()) != 1) {
    ReportError(self, "cannot write '" + (out / "setup.drc").string() + "'");
    return kExitFailure;
  }
  if (options.welcome && !CopyInto(self, *options.welcome, out / "Setup2.txt")) {
    return kExitFailure;
  }
  if (options.terms && !CopyInto(self, *options.terms, out / "terms.txt")) return kExitFailure;
  if (!CopyInto(self, installer, out / installer.filename())) return kExitFailure;
  if (options.name && !WriteAutorun(self, out, installer.filename().string(), *options.name)) {
    return kExitFailure;
  }
  if (!WriteManifest(self, out, relatives)) return kExitFailure;

  std::printf("%s: %zu files, %lld bytes compressed to %lld; script, texts and %s\n",
              out.string().c_str(), relatives.size(), static_cast<long long>(inBytes),
              static_cast<long long>(outBytes), installer.filename().string().c_str());
  return kExitSuccess;
}

}  // namespace

const Command kBuildCommand = {
    "build",
    "OPTIONS",
    "Makes a ready distribution folder for a product.",
    "  --script PLAIN   the plain setup script (lines ending in CR LF)\n"
    "  --from SRCDIR    where the F lines' sources lie, uncompressed, under their own names\n"
    "  --out DISTDIR    the distribution folder to fill (created when missing)\n"
    "  --welcome FILE   the welcome text, copied as Setup2.txt\n"
    "  --terms FILE     the terms and conditions, copied as terms.txt\n"
    "  --setup EXE      the installer program to copy in (default: the one beside setup-pack)\n"
    "  --name NAME      the product name: autorun.inf starts the installer with it\n"
    "\n"
    "Every F line's source is compressed from SRCDIR into DISTDIR under the same name (a\n"
    "missing source is an error naming its line); PLAIN is scrambled into DISTDIR/setup.drc.\n"
    "Users start the installer in DISTDIR. A warning names script lines that do not end in\n"
    "CR LF, since the installer drops the byte before each line feed. DISTDIR/setup.sum lists\n"
    "every file with its size and SHA-256; the installer refuses files that do not match.\n",
    RunBuild,
};

}  // namespace setup::pack
