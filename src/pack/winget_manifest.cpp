// Writing the winget manifest of a bundle.
#include "pack/winget_manifest.h"

namespace setup::pack {
namespace {

std::string IdentifierPart(const std::string& text) {
  std::string part;
  for (const char c : text) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (letter || c == '-' || c == '_') part += c;
  }
  return part.empty() ? "Unnamed" : part;
}

// A YAML single-quoted scalar: only the quote itself needs doubling.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

}  // namespace

std::string WingetIdentifier(const WingetPackage& package) {
  return IdentifierPart(package.publisher) + "." + IdentifierPart(package.name);
}

std::string WingetManifest(const WingetPackage& package) {
  std::string yaml;
  auto field = [&](const std::string& indent, const char* key, const std::string& value) {
    yaml += indent + key + ": " + Quoted(value) + "\n";
  };
  yaml +=
      "# Written by setup-pack bundle. Replace the License and the InstallerUrl placeholders.\n";
  field("", "PackageIdentifier", WingetIdentifier(package));
  field("", "PackageVersion", package.version);
  field("", "PackageLocale", "en-US");
  field("", "Publisher", package.publisher);
  field("", "PackageName", package.name);
  field("", "License", "Proprietary");
  field("", "ShortDescription", package.name);
  yaml += "Installers:\n";
  field("  - ", "Architecture", "x86");
  field("    ", "InstallerType", "exe");
  field("    ", "InstallerUrl", "https://example.invalid/" + package.installerFile);
  field("    ", "InstallerSha256", package.sha256);
  field("    ", "Scope", "machine");
  field("    ", "ElevationRequirement", "elevatesSelf");
  field("    ", "ProductCode", package.name);
  yaml += "    InstallerSwitches:\n";
  field("      ", "Silent", "/VERYSILENT");
  field("      ", "SilentWithProgress", "/SILENT");
  field("      ", "InstallLocation", "/DIR=\"<INSTALLPATH>\"");
  field("      ", "Log", "/LOG=\"<LOGPATH>\"");
  field("", "ManifestType", "singleton");
  field("", "ManifestVersion", "1.6.0");
  return yaml;
}

}  // namespace setup::pack
