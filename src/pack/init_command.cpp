// setup-pack init: writes a starter setup script for a product folder.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "pack/command_options.h"
#include "pack/commands.h"
#include "pack/script_checker.h"
#include "pack/tool_support.h"

namespace setup::pack {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUninstallKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool IsProgram(const std::string& name) {
  if (name.size() < 5) return false;
  std::string extension = name.substr(name.size() - 4);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return extension == ".exe";
}

// Why Windows, or a script line, cannot hold the Windows-1252 text `name`; empty when it can.
std::string UnfitName(const std::string& name) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return "it holds a control character";
    if (std::string_view("\\:*?\"<>|").find(c) != std::string_view::npos) {
      return std::string("Windows does not allow '") + c + "' in names";
    }
  }
  return "";
}

// The name of the file `relative` (below the product folder) as a script's source field holds
// it, in Windows-1252 with '\' separators; empty, with `*why`, when it cannot be named there.
std::string SourceField(const fs::path& relative, std::string* why) {
  std::string field;
  for (const fs::path& part : relative) {
    const std::optional<std::string> name = AnsiNameOf(part, why);
    if (!name) return "";
    if (*why = UnfitName(*name); !why->empty()) return "";
    if (!field.empty()) field += '\\';
    field += *name;
  }
  return field;
}

// The product folder's files, relative with '\' separators, sorted. Every file that cannot be
// named in a script is reported, each once.
bool ListFiles(const Command& self, const fs::path& from, std::vector<std::string>* files) {
  std::error_code error;
  fs::recursive_directory_iterator it(from, error);
  if (error) {
    ReportError(self, "cannot read the folder '" + ToolPath(from) + "': " + error.message());
    return false;
  }
  std::vector<fs::path> unfit;
  std::map<fs::path, std::string> reasons;
  for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (error) break;
    if (!it->is_regular_file(error)) continue;
    std::string why;
    const std::string field = SourceField(fs::relative(it->path(), from, error), &why);
    if (field.empty()) {
      unfit.push_back(it->path());
      reasons.emplace(it->path(), why);
      continue;
    }
    files->push_back(field);
  }
  if (error) {
    ReportError(self, "cannot read the folder '" + ToolPath(from) + "': " + error.message());
    return false;
  }
  if (!unfit.empty()) {
    std::sort(unfit.begin(), unfit.end());
    for (const fs::path& path : unfit) {
      ReportError(self, "cannot name '" + ToolPath(path) + "' in a script: " + reasons[path]);
    }
    const bool one = unfit.size() == 1;
    ReportError(self, std::to_string(unfit.size()) + (one ? " file" : " files") +
                          " cannot be named in a script; rename " + (one ? "it" : "them") +
                          " and run init again");
    return false;
  }
  std::sort(files->begin(), files->end());
  if (files->empty()) {
    ReportError(self, "the folder '" + ToolPath(from) + "' holds no files");
    return false;
  }
  return true;
}

std::string BaseName(const std::string& program) { return program.substr(0, program.size() - 4); }

// The starter script's lines, each without its line end.
std::vector<std::string> StarterLines(const std::string& name,
                                      const std::optional<std::string>& vendor,
                                      const std::optional<std::string>& version,
                                      const std::vector<std::string>& files) {
  std::vector<std::string_view> texts = {name, kUninstallKey};
  if (vendor) texts.push_back(*vendor);
  if (version) texts.push_back(*version);
  for (const std::string& file : files) texts.push_back(file);
  const char s = SuggestSeparator(texts);
  const std::string sep(1, s);

  std::vector<std::string> lines;
  lines.push_back("; " + name + (version ? " " + *version : std::string()) +
                  ": setup script made by setup-pack init. See docs/script.md.");
  lines.push_back("; The separator is the second character of each line: '" + sep +
                  "' occurs in no value.");
  lines.push_back("X" + sep + "?PRGFDIR?\\" + name);
  lines.push_back("; The product's files.");
  for (const std::string& file : files) {
    lines.push_back("F" + sep + file + sep + "?APPDIR?\\" + file);
  }

  std::vector<std::string> programs;
  for (const std::string& file : files) {
    if (file.find('\\') == std::string::npos && IsProgram(file)) programs.push_back(file);
  }
  if (!programs.empty()) lines.push_back("; The program group in the Start menu.");
  for (const std::string& program : programs) {
    const std::string title = programs.size() == 1 ? name : BaseName(program);
    lines.push_back("L" + sep + "?STARTMENU?\\" + name + "\\" + title + ".lnk" + sep +
                    "?APPDIR?\\" + program + sep + title);
  }

  lines.push_back("; The uninstall information.");
  std::string key = kUninstallKey;
  std::replace(key.begin(), key.end(), '\\', s);
  const std::string prefix = "K" + sep + "SZ" + sep + key + sep + name + sep;
  lines.push_back(prefix + "DisplayName" + sep + name);
  if (version) lines.push_back(prefix + "DisplayVersion" + sep + *version);
  if (vendor) lines.push_back(prefix + "Publisher" + sep + *vendor);
  lines.push_back(prefix + "InstallLocation" + sep + "?APPDIR?");
  return lines;
}

int RunInit(const std::vector<std::string>& args) {
  const Command& self = kInitCommand;
  std::optional<std::string> from, name, vendor, version, out;
  if (!ParseCommandOptions(self, args,
                           {{"--from", &from, true},
                            {"--name", &name, true},
                            {"--vendor", &vendor},
                            {"--version", &version},
                            {"--out", &out}},
                           nullptr)) {
    return kExitUsage;
  }
  // The script is made in Windows-1252, as the installer reads it, and written for the
  // author's editor: in UTF-8 on Linux, which check and build convert back.
  for (std::optional<std::string>* text : {&name, &vendor, &version}) {
    if (!*text) continue;
    std::string why;
    const std::optional<std::string> ansi = AnsiArgument(**text, &why);
    if (ansi) why = UnfitName(*ansi);
    if (!why.empty()) {
      ReportError(self, "'" + **text + "' cannot stand in the script: " + why);
      return kExitUsage;
    }
    *text = *ansi;
  }
  std::vector<std::string> files;
  if (!ListFiles(self, fs::path(*from), &files)) return kExitFailure;

  std::string ansiScript;
  for (const std::string& line : StarterLines(*name, vendor, version, files)) {
    ansiScript += line + "\r\n";
  }
  const std::string script = ForTerminal(ansiScript);
  if (!out) {
    std::fwrite(script.data(), 1, script.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitSuccess : kExitFailure;
  }
  std::error_code error;
  // An author's script is never overwritten by a starter.
  if (fs::exists(*out, error)) {
    ReportError(self, "'" + *out + "' exists already; name another --out or remove it");
    return kExitFailure;
  }
  std::unique_ptr<File> file = OpenOutput(self, *out);
  if (!file) return kExitFailure;
  if (file->Write(script.data(), script.size()) != script.size() || !file->Close()) {
    ReportError(self, "cannot write '" + *out + "'");
    return kExitFailure;
  }
  std::printf("%s: %zu files; check it with 'setup-pack check %s --from %s'\n", out->c_str(),
              files.size(), out->c_str(), from->c_str());
  return kExitSuccess;
}

}  // namespace

const Command kInitCommand = {
    "init",
    "--from SRCDIR --name NAME [--vendor V] [--version X] [--out SCRIPT]",
    "Writes a starter setup script for the product folder SRCDIR.",
    "  --from SRCDIR    the product's files, as they are to be installed\n"
    "  --name NAME      the product's name: its folder under Program Files, its program group\n"
    "  --vendor V       the publisher shown in the list of installed programs\n"
    "  --version X      the version shown there\n"
    "  --out SCRIPT     where to write the script (default: standard output); never overwritten\n"
    "\n"
    "The script proposes ?PRGFDIR?\\NAME, installs every file of SRCDIR (subfolders kept) below\n"
    "the installation directory, puts a shortcut to each program (.exe) of SRCDIR's top level\n"
    "in the Start menu's NAME group, and writes the uninstall information (DisplayName,\n"
    "DisplayVersion, Publisher, InstallLocation). Lines end in CR LF; the separator is one\n"
    "that no value holds. 'setup-pack build --script SCRIPT --from SRCDIR ...' packs it.\n",
    RunInit,
};

}  // namespace setup::pack
