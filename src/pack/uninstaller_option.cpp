// The uninstaller's part of a distribution: its program, a copy of the script and the records
// that list the product among the installed programs.
#include "pack/uninstaller_option.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_encoder.h"
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

// The value names the author's K lines already set in the product's uninstall key.
bool AuthorSets(const std::string& script, const std::string& productName,
                const std::string& valueName) {
  std::size_t start = 0;
  while (start < script.size()) {
    std::size_t feed = script.find('\n', start);
    if (feed == std::string::npos) break;
    std::string line = script.substr(start, feed - start);
    start = feed + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 3 || (line[0] != 'K' && line[0] != 'k')) continue;
    const char sep = line[1];
    std::string path = line.substr(2);
    const std::size_t afterType = path.find(sep);
    const std::size_t last = path.rfind(sep);
    if (afterType == std::string::npos || last == afterType) continue;
    path = path.substr(afterType + 1, last - afterType - 1);
    for (char& c : path) {
      if (c == sep) c = '\\';
    }
    const std::string wanted =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\" +
        UpperCaseAscii(productName) + "\\" + UpperCaseAscii(valueName);
    if (UpperCaseAscii(path) == wanted) return true;
  }
  return false;
}

bool Compress(const Command& self, const fs::path& from, const fs::path& to) {
  std::unique_ptr<File> in = OpenInput(self, from.string());
  if (!in) return false;
  const std::int64_t length = in->Length();
  std::unique_ptr<File> out = OpenOutput(self, to.string());
  if (!out || length < 0) return false;
  lzhuf::FileSource source(*in);
  lzhuf::FileSink sink(*out);
  const lzhuf::EncodeResult result =
      lzhuf::CompressStream(source, static_cast<std::uint32_t>(length), sink);
  if (!out->Close() || result != lzhuf::EncodeResult::kDone) {
    ReportError(self, "could not compress '" + from.string() + "'");
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

bool CheckUninstallerName(const Command& self, const std::optional<std::string>& productName) {
  if (!productName) {
    ReportError(self, "--uninstaller needs --name NAME, the name the product is listed under");
    return false;
  }
  if (productName->empty() || productName->find_first_of("\\|\r\n") != std::string::npos) {
    ReportError(self, "--name needs a product name without backslash, '|' or line breaks");
    return false;
  }
  std::string ansi;
  std::size_t failedAt = 0;
  if (!Utf8ToWindows1252(*productName, &ansi, &failedAt) && DecodeUtf8(*productName)) {
    ReportError(self, "--name holds a character that has no place in Windows-1252");
    return false;
  }
  return true;
}

std::vector<std::filesystem::path> UninstallerPayloads() { return {kProgramSource, kScriptSource}; }

bool AddUninstaller(const Command& self, const std::string& plainScriptBytes,
                    const fs::path& installer, const fs::path& ownDir, const fs::path& out,
                    const std::string& typedName) {
  // The script is read in Windows-1252: a name typed in UTF-8 is converted as the script is.
  std::string productName;
  std::size_t failedAt = 0;
  if (!Utf8ToWindows1252(typedName, &productName, &failedAt)) {
    if (DecodeUtf8(typedName)) {
      ReportError(self, "--name holds a character that has no place in Windows-1252");
      return false;
    }
    productName = typedName;  // already Windows-1252
  }
  std::string name = installer.filename().string();
  const bool windows = UpperCaseAscii(name).size() > 4 &&
                       UpperCaseAscii(name).substr(UpperCaseAscii(name).size() - 4) == ".EXE";
  const std::string programName = windows ? "Uninstall.exe" : "uninstall";
  fs::path program = installer.parent_path() / programName;
  std::error_code error;
  if (!fs::is_regular_file(program, error)) program = ownDir / programName;
  if (!fs::is_regular_file(program, error)) {
    ReportError(self, "the uninstaller '" + program.string() + "' is missing; build it first");
    return false;
  }

  std::string script = plainScriptBytes;
  if (!script.empty() && script.back() != '\n') script += "\r\n";
  const std::string key =
      "K|SZ|HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|Uninstall|" + productName;
  script += std::string("F|") + kProgramSource + "|?APPDIR?\\" + programName + "\r\n";
  script += std::string("F|") + kScriptSource + "|?APPDIR?\\" + kUninstallScriptName + "\r\n";
  if (!AuthorSets(script, productName, "DisplayName")) {
    script += key + "|DisplayName|" + productName + "\r\n";
  }
  if (!AuthorSets(script, productName, "UninstallString")) {
    script += key + "|UninstallString|\"?APPDIR?\\" + programName + "\"\r\n";
  }
  if (!AuthorSets(script, productName, "InstallLocation")) {
    script += key + "|InstallLocation|?APPDIR?\r\n";
  }

  const fs::path plain = out / "uninstall-script.txt";
  {
    std::ofstream write(plain, std::ios::binary | std::ios::trunc);
    write << script;
    if (!write.flush()) {
      ReportError(self, "cannot write '" + plain.string() + "'");
      return false;
    }
  }
  const fs::path scrambled = out / "setup.drc";
  const bool ok =
      ScrambleScript(ToolFileSystem(), plain.string().c_str(), scrambled.string().c_str()) == 1 &&
      Compress(self, scrambled, out / kScriptSource) &&
      Compress(self, program, out / kProgramSource);
  fs::remove(plain, error);
  if (!ok) ReportError(self, "cannot add the uninstaller to '" + out.string() + "'");
  return ok;
}

}  // namespace setup::pack
