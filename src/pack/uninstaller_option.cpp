// The uninstaller's part of a distribution: its program, a copy of the script and the records
// that list the product among the installed programs.
#include "pack/uninstaller_option.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_encoder.h"
#include "pack/payload_codec.h"
#include "pack/tool_support.h"
#include "platform/ascii_case.h"
#include "platform/text_encoding.h"
#include "platform/utf8_to_windows1252.h"
#include "script/product_record.h"
#include "script/script_loader.h"

namespace setup::pack {
namespace {

namespace fs = std::filesystem;

// The payload names in the distribution folder.
constexpr const char* kProgramSource = "uninstall-program.cmp";
constexpr const char* kScriptSource = "uninstall-script.cmp";

const char* const kUninstallKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\";

// One K line of the author's that sets a value of the product's uninstall key.
struct AuthorValue {
  int line = 0;
  int column = 0;  // of the value
  std::string value;
};

// The script's lines without their line ends, as the installer reads a CR LF script.
std::vector<std::string> ScriptLines(const std::string& script) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < script.size()) {
    const std::size_t feed = script.find('\n', start);
    if (feed == std::string::npos) break;
    std::string line = script.substr(start, feed - start);
    start = feed + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

// The author's K lines that set `valueName` in the product's uninstall key.
std::vector<AuthorValue> AuthorValues(const std::string& script, const std::string& productName,
                                      const std::string& valueName) {
  const std::string wanted =
      kUninstallKey + UpperCaseAscii(productName) + "\\" + UpperCaseAscii(valueName);
  std::vector<AuthorValue> found;
  const std::vector<std::string> lines = ScriptLines(script);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    if (line.size() < 3 || (line[0] != 'K' && line[0] != 'k')) continue;
    const char sep = line[1];
    std::string path = line.substr(2);
    const std::size_t afterType = path.find(sep);
    const std::size_t last = path.rfind(sep);
    if (afterType == std::string::npos || last == afterType) continue;
    const std::string value = path.substr(last + 1);
    path = path.substr(afterType + 1, last - afterType - 1);
    for (char& c : path) {
      if (c == sep) c = '\\';
    }
    if (UpperCaseAscii(path) != wanted) continue;
    found.push_back(AuthorValue{static_cast<int>(n) + 1, static_cast<int>(last) + 4, value});
  }
  return found;
}

bool AuthorSets(const std::string& script, const std::string& productName,
                const std::string& valueName) {
  return !AuthorValues(script, productName, valueName).empty();
}

// The program a command line starts: the quoted text, else the text up to the first blank.
std::string CommandProgram(std::string command) {
  const std::size_t first = command.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  command.erase(0, first);
  if (command[0] == '"') return command.substr(1, command.find('"', 1) - 1);
  return command.substr(0, command.find(' '));
}

// A text typed on the command line as the script holds it: Windows-1252. Nothing when it is
// UTF-8 with a character Windows-1252 lacks; text that is no UTF-8 is taken to be Windows-1252.
std::optional<std::string> AsScriptText(const std::string& typed) {
  std::string ansi;
  std::size_t failedAt = 0;
  if (Utf8ToWindows1252(typed, &ansi, &failedAt)) return ansi;
  if (DecodeUtf8(typed)) return std::nullopt;
  return typed;
}

// What the system's list shows as the product's icon: the program of the script's first
// shortcut to a program, else the uninstaller (`fallback`).
std::string IconPath(const std::string& script, const std::string& fallback) {
  for (const std::string& line : ScriptLines(script)) {
    if (line.size() < 3 || (line[0] != 'L' && line[0] != 'l')) continue;
    const std::string fields = line.substr(2);
    const std::size_t first = fields.find(line[1]);
    const std::size_t last = fields.rfind(line[1]);
    if (first == std::string::npos || first == last) continue;
    const std::string target = fields.substr(first + 1, last - first - 1);
    if (target.size() > 4 && UpperCaseAscii(target.substr(target.size() - 4)) == ".EXE" &&
        target.find_first_of("|\" ") == std::string::npos) {
      return target;
    }
  }
  return fallback;
}

bool Compress(const Command& self, const fs::path& from, const fs::path& to) {
  std::unique_ptr<File> in = OpenInput(self, ToolPath(from));
  if (!in) return false;
  const std::int64_t length = in->Length();
  std::unique_ptr<File> out = OpenOutput(self, ToolPath(to));
  if (!out || length < 0) return false;
  lzhuf::FileSource source(*in);
  lzhuf::FileSink sink(*out);
  // The best codec every installer reads, whatever --codec says: these two files are part of
  // every distribution with the uninstaller, and xz makes them about a fifth smaller.
  const PayloadWriteResult result =
      WritePayload(Codec::kXz, source, static_cast<std::uint64_t>(length), sink);
  if (!out->Close() || result != PayloadWriteResult::kDone) {
    ReportError(self, "could not compress '" + ToolPath(from) + "'");
    return false;
  }
  return true;
}

}  // namespace

bool TakeUninstallerOption(std::vector<std::string>* args) {
  const auto taken = std::remove(args->begin(), args->end(), std::string("--uninstaller"));
  const bool wanted = taken != args->end();
  args->erase(taken, args->end());
  return wanted;
}

bool CheckUninstallerListing(const Command& self, const std::optional<std::string>& productName,
                             const std::optional<std::string>& version,
                             const std::optional<std::string>& publisher) {
  if (!productName) {
    ReportError(self, "--uninstaller needs --name NAME, the name the product is listed under");
    return false;
  }
  if (productName->empty() || productName->find_first_of("\\|\r\n") != std::string::npos) {
    ReportError(self, "--name needs a product name without backslash, '|' or line breaks");
    return false;
  }
  if (!AsScriptText(*productName)) {
    ReportError(self, "--name holds a character that has no place in Windows-1252");
    return false;
  }
  for (const auto& [option, value] :
       {std::pair{"--version", &version}, {"--publisher", &publisher}}) {
    if (!*value) continue;
    if ((*value)->find_first_of("|\r\n") != std::string::npos) {
      ReportError(self, std::string(option) + " needs a text without '|' or line breaks");
      return false;
    }
    if (!AsScriptText(**value)) {
      ReportError(self,
                  std::string(option) + " holds a character that has no place in Windows-1252");
      return false;
    }
  }
  return true;
}

std::vector<std::filesystem::path> UninstallerPayloads() { return {kProgramSource, kScriptSource}; }

std::string UninstallerProgramName(const fs::path& installer) {
  const std::string name = UpperCaseAscii(installer.filename().string());
  const bool windows = name.size() > 4 && name.substr(name.size() - 4) == ".EXE";
  return windows ? "Uninstall.exe" : "uninstall";
}

Diagnostics ForeignUninstallCommands(const std::string& plainScriptBytes,
                                     const std::string& typedProductName,
                                     const std::string& programName) {
  Diagnostics found;
  const std::optional<std::string> productName = AsScriptText(typedProductName);
  if (!productName) return found;
  const std::string ours = "?APPDIR?\\" + programName;
  for (const char* valueName : {"UninstallString", "QuietUninstallString"}) {
    for (const AuthorValue& set : AuthorValues(plainScriptBytes, *productName, valueName)) {
      const std::string program = CommandProgram(set.value);
      if (UpperCaseAscii(program) == UpperCaseAscii(ours)) continue;
      found.Error(set.line, set.column,
                  std::string(valueName) + " names '" + program + "', not the uninstaller " +
                      "--uninstaller adds: the system's list would never start it",
                  std::string("remove the line; build --uninstaller writes ") + valueName +
                      " itself (\"" + ours + "\"" + (valueName[0] == 'Q' ? " /S" : "") + ")");
    }
  }
  return found;
}

bool AddUninstaller(const Command& self, const std::string& plainScriptBytes,
                    const fs::path& installer, const fs::path& ownDir, const fs::path& out,
                    const UninstallerListing& listing, std::uint64_t payloadBytes) {
  // The script is read in Windows-1252: texts typed in UTF-8 are converted as the script is.
  const std::optional<std::string> productName = AsScriptText(listing.productName);
  const std::optional<std::string> version =
      listing.version ? AsScriptText(*listing.version) : std::nullopt;
  const std::optional<std::string> publisher =
      listing.publisher ? AsScriptText(*listing.publisher) : std::nullopt;
  if (!productName || (listing.version && !version) || (listing.publisher && !publisher)) {
    ReportError(self,
                "--name, --version or --publisher holds a character that has no place in "
                "Windows-1252");
    return false;
  }
  const std::string programName = UninstallerProgramName(installer);
  fs::path program = installer.parent_path() / programName;
  std::error_code error;
  if (!fs::is_regular_file(program, error)) program = ownDir / programName;
  if (!fs::is_regular_file(program, error)) {
    ReportError(self, "the uninstaller '" + ToolPath(program) + "' is missing; build it first");
    return false;
  }
  std::uintmax_t programBytes = fs::file_size(program, error);
  if (error) programBytes = 0;

  std::string script = plainScriptBytes;
  if (!script.empty() && script.back() != '\n') script += "\r\n";
  const std::string author = script;
  std::vector<std::string> added = {
      std::string("F|") + kProgramSource + "|?APPDIR?\\" + programName,
      std::string("F|") + kScriptSource + "|?APPDIR?\\" + kUninstallScriptName};
  const std::string key =
      "HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|Uninstall|" + *productName;
  auto addValue = [&](const char* type, const char* name, const std::string& value) {
    if (!AuthorSets(author, *productName, name)) {
      added.push_back(std::string("K|") + type + "|" + key + "|" + name + "|" + value);
    }
  };
  const std::string command = "\"?APPDIR?\\" + programName + "\"";
  addValue("SZ", "DisplayName", *productName);
  addValue("SZ", "UninstallString", command);
  addValue("SZ", "QuietUninstallString", command + " /S");
  addValue("SZ", "InstallLocation", "?APPDIR?");
  addValue("SZ", "DisplayIcon", IconPath(author, "?APPDIR?\\" + programName));
  if (version) addValue("SZ", "DisplayVersion", *version);
  if (publisher) addValue("SZ", "Publisher", *publisher);
  // What the product takes once installed: its files, the uninstaller and the script's copy
  // (a few lines more than the script as it stands now), in KiB.
  const std::uint64_t installed = payloadBytes + programBytes + script.size() + 1024;
  const std::uint64_t kib = std::min<std::uint64_t>((installed + 1023) / 1024, 0xFFFFFFFF);
  addValue("DWORD", "EstimatedSize", std::to_string(kib));
  for (const std::string& line : added) {
    if (line.size() > kScriptLineBufferSize - 2) {
      ReportError(self, "the uninstaller's line '" + line.substr(0, 60) +
                            "...' is too long for a script line; choose a shorter --name");
      return false;
    }
    script += line + "\r\n";
  }

  const fs::path plain = out / "uninstall-script.txt";
  {
    std::ofstream write(plain, std::ios::binary | std::ios::trunc);
    write << script;
    if (!write.flush()) {
      ReportError(self, "cannot write '" + ToolPath(plain) + "'");
      return false;
    }
  }
  const fs::path scrambled = out / "setup.drc";
  const bool ok =
      ScrambleScript(ToolFileSystem(), ToolPath(plain).c_str(), ToolPath(scrambled).c_str()) == 1 &&
      Compress(self, scrambled, out / kScriptSource) &&
      Compress(self, program, out / kProgramSource);
  fs::remove(plain, error);
  if (!ok) ReportError(self, "cannot add the uninstaller to '" + ToolPath(out) + "'");
  return ok;
}

}  // namespace setup::pack
