// Writes small PE images (32- or 64-bit, DLL or EXE) with a version resource, for tests.
//
// The images hold no code: a read-only data section and, unless asked otherwise, a resource
// section with one VS_VERSIONINFO (type RT_VERSION, name 1, language 0x0409) whose fixed record
// carries the given file version (the product version is the same). Windows' and Wine's
// GetFileVersionInfoA read them as they read any DLL.
//
//   PeOptions options;
//   options.major = 2; options.minor = 5;
//   WriteFileBytes(dir.path() / "shared.dll", MakePeDll(options));
#pragma once

#include <cstdint>
#include <string>

namespace setup::testing {

enum class PeResources {
  kVersion,    // a version resource
  kNone,       // no resource section at all
  kNoVersion,  // resources, but only an RT_RCDATA one
};

struct PeOptions {
  bool pe32Plus = false;  // PE32+ for x64 instead of PE32 for i386
  bool dll = true;        // false: an executable
  PeResources resources = PeResources::kVersion;
  // The file version major.minor.build.revision.
  std::uint16_t major = 1;
  std::uint16_t minor = 0;
  std::uint16_t build = 0;
  std::uint16_t revision = 0;
  // The fixed record's dwSignature; anything but 0xFEEF04BD makes a damaged record.
  std::uint32_t signature = 0xFEEF04BD;
};

// Where the parts of a written image lie: file offsets, for tests that damage an image.
struct PeLayout {
  std::uint32_t peHeader = 0;  // the "PE\0\0" signature; e_lfanew
  std::uint32_t optionalHeader = 0;
  std::uint32_t sectionTable = 0;
  std::uint32_t resourceSection = 0;  // the root resource directory; 0 without resources
  std::uint32_t resourceRva = 0;
  std::uint32_t versionBlock = 0;  // the VS_VERSIONINFO; 0 without one
  std::uint32_t versionBlockSize = 0;
};

// The bytes of an image as `options` say; `layout` (when given) learns where its parts lie.
std::string MakePeDll(const PeOptions& options, PeLayout* layout = nullptr);

// The VS_VERSIONINFO block MakePeDll stores: the fixed record followed by a VarFileInfo with
// the translation 0x0409/1200.
std::string MakeVersionInfoBlock(const PeOptions& options);

}  // namespace setup::testing
