// Which hidden names hide more of the installation log than the author can have meant.
#include "pack/hidden_name_rules.h"

#include "platform/ascii_case.h"

namespace setup::pack {

namespace {

constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The fixed words of the installer's log lines (what stays of each line without its
// arguments). A hidden name that occurs in one of them hides that line too.
constexpr std::string_view kLogWords[] = {
    "does not exist previously",
    "not found, will have to create it",
    " - INSTALLATION LOG FILE",
    "***",
    "Begin Installation",
    "Cannot create directory",
    "installation aborted",
    "Cannot decompress shared file, must abort",
    "Could not copy file",
    "due to a parsing error, installation should be aborted.",
    "Could not move",
    "Created: ",
    "DLL ",
    "could not be saved",
    "saved successfully",
    "Decompressed ",
    "Decompression box opened",
    "Dest Path Name: ",
    "Destination directory not chosen, back to Terms and Conditions",
    "Destination directory: ",
    "Destination pathname: ",
    "Destroying decompression box",
    "Directory ",
    "certified to be ok",
    "Directory successfully created",
    "End of Installation",
    "EnsureDirectory(",
    ") returned FALSE.",
    "Error creating directory ",
    "Failed to add registry key. Unknown type: ",
    "Failed to create group: ",
    "Failed to create shortcut to ",
    "Failed to decompress ",
    ", must abort",
    "Failed to decompress to ",
    "Failed to get version info from ",
    ", will replace anyway",
    "Failed to load ",
    ". Reported reason: ",
    "File ",
    " successfully deleted",
    " successfully save to directory ",
    "File decompressed ok",
    "Installation Aborted (DlgDecompress did not return IDOK)",
    "Installation Successfully Completed",
    "Installation cancelled",
    "Key added successfully: ",
    "Moved successfully: ",
    "Registry not successfully updated",
    "Some dlls were upgraded",
    "Subdirectory already exists",
    "Successfully created: ",
    "Temporary path exists and is ok",
    "Temporary path is a file, not a directory. Must abort installation",
    "Temporary path: ",
    "Terms and conditions accepted",
    "Terms and conditions not accepted, installation aborted",
    "The file named  cannot be deleted, installation should be aborted",
};

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < part.size() && UpperAscii(text[at + i]) == UpperAscii(part[i])) ++i;
    if (i == part.size()) return true;
  }
  return false;
}

// A drive letter with or without its colon and backslash: C, C:, C:\ .
bool IsDrive(std::string_view name) {
  if (name.empty() || name.size() > 3) return false;
  const char letter = UpperAscii(name[0]);
  if (letter < 'A' || letter > 'Z') return false;
  if (name.size() >= 2 && name[1] != ':') return false;
  return name.size() < 3 || name[2] == '\\';
}

// Only what a time stamp is made of: "07 Dec 2026 06:22:14 ".
bool IsTimeStampText(std::string_view name) {
  for (const char c : name) {
    if (!((c >= '0' && c <= '9') || c == ' ' || c == ':')) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> CommonHiddenNameReason(std::string_view name) {
  if (IsDrive(name)) {
    return "it names a drive, and every log line with a path on it is hidden";
  }
  if (IsTimeStampText(name)) {
    return "it occurs in the date or time that begins every log line";
  }
  for (const std::string_view month : kMonths) {
    if (ContainsIgnoringCase(month, name)) {
      return "it occurs in the month '" + std::string(month) +
             "' of the date that begins every log line written then";
    }
  }
  for (const std::string_view words : kLogWords) {
    if (ContainsIgnoringCase(words, name)) {
      return "it occurs in the installer's own log line '" + std::string(words) + "'";
    }
  }
  return std::nullopt;
}

}  // namespace setup::pack
