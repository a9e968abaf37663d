// The winget manifest of a one-file installer: what a package repository needs to install it
// silently and find it again by its uninstall key.
#pragma once

#include <string>

namespace setup::pack {

struct WingetPackage {
  std::string publisher;      // "Sample Corp"
  std::string name;           // the product name with blanks ("Sample Notes")
  std::string version;        // "1.2"
  std::string installerFile;  // the bundle's file name, for the placeholder address
  std::string sha256;         // the bundle's SHA-256 in hexadecimal
};

// "SampleCorp.SampleNotes": publisher and name without blanks or other characters winget
// refuses in an identifier.
std::string WingetIdentifier(const WingetPackage& package);

// A singleton manifest (ManifestVersion 1.6.0) in YAML, every text quoted.
std::string WingetManifest(const WingetPackage& package);

}  // namespace setup::pack
