// The version resource of a Windows one-file installer: the stub's own, rewritten to say whose
// product the bundle installs, which is what Windows shows when it asks for the rights.
#pragma once

#include <optional>
#include <string>

namespace setup::pack {

struct BundleIdentity {
  std::string productName;  // may be empty
  std::optional<std::string> version;
  std::optional<std::string> publisher;
  std::string fileName;  // the bundle's own, e.g. AcmeSetup.exe
};

// Whether the stub's version resource has anything to be told.
[[nodiscard]] bool HasIdentity(const BundleIdentity& identity);

// Gives the stub image the product's version resource: ProductName and FileDescription from the
// product name, CompanyName from the publisher, ProductVersion (text and numbers) from the
// version, OriginalFilename the bundle's file name; the stub's own file version stays. Texts are
// UTF-8 (other bytes are taken one character each). False, with the reason, when the image has
// no version resource to replace or cannot take the new one.
[[nodiscard]] bool GiveStubIdentity(std::string* image, const BundleIdentity& identity,
                                    std::string* why);

}  // namespace setup::pack
