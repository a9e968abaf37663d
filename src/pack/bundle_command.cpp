// setup-pack bundle: one executable that carries a whole distribution behind a small stub.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "bundle/bundle_format.h"
#include "install/manifest_format.h"
#include "pack/bundle_version_resource.h"
#include "pack/commands.h"
#include "pack/distribution_files.h"
#include "pack/tool_support.h"
#include "pack/winget_manifest.h"

namespace setup::pack {
namespace {

namespace fs = std::filesystem;

struct BundleOptions {
  std::string dist;
  std::string out;
  std::optional<std::string> name;
  std::string target;
  std::optional<std::string> stub;
  std::optional<std::string> winget;  // the folder of the winget manifest
  std::optional<std::string> version;
  std::optional<std::string> publisher;
};

#ifdef _WIN32
constexpr const char* kDefaultTarget = "win32";
#else
constexpr const char* kDefaultTarget = "host";
#endif

bool ParseOptions(const Command& self, const std::vector<std::string>& args,
                  BundleOptions* options) {
  std::map<std::string, std::optional<std::string>> values;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      if (!options->dist.empty()) {
        ReportError(self, "more than one distribution folder given");
        return false;
      }
      options->dist = arg;
      continue;
    }
    std::string name = arg;
    std::string value;
    if (const std::string::size_type equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.erase(equals);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    }
    if (name != "--out" && name != "--name" && name != "--target" && name != "--stub" &&
        name != "--winget" && name != "--version" && name != "--publisher") {
      ReportError(self, "unknown argument '" + arg + "' (see 'setup-pack bundle --help')");
      return false;
    }
    if (value.empty()) {
      ReportError(self, "option " + name + " needs a value");
      return false;
    }
    values[name] = value;
  }
  options->out = values["--out"].value_or("");
  options->name = values["--name"];
  options->target = values["--target"].value_or(kDefaultTarget);
  options->stub = values["--stub"];
  options->winget = values["--winget"];
  options->version = values["--version"];
  options->publisher = values["--publisher"];
  if (options->winget && (!options->version || !options->publisher)) {
    ReportError(self, "--winget needs the package's --version and --publisher");
    return false;
  }
  if (options->dist.empty() || options->out.empty()) {
    ReportError(self,
                "usage: setup-pack bundle DISTDIR --out FILE [--name NAME] "
                "[--target win32|host] [--stub FILE]");
    return false;
  }
  if (options->target != "win32" && options->target != "host") {
    ReportError(self, "--target is win32 or host, not '" + options->target + "'");
    return false;
  }
  return true;
}

// The files to carry: those setup.sum lists, and setup.sum itself; without a manifest every
// file of the folder.
bool CollectFiles(const Command& self, const fs::path& dist, std::vector<std::string>* files) {
  std::ifstream in(dist / kManifestName, std::ios::binary);
  if (in) {
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    const auto entries = ParseManifest(text, &error);
    if (!entries) {
      ReportError(self, (dist / kManifestName).string() + " is damaged: " + error);
      return false;
    }
    files->push_back(kManifestName);
    for (const ManifestEntry& entry : *entries) {
      std::string name = entry.name;
      for (char& c : name) {
        if (c == '\\') c = '/';
      }
      files->push_back(name);
    }
    return true;
  }
  std::error_code error;
  for (fs::recursive_directory_iterator it(dist, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file()) files->push_back(fs::relative(it->path(), dist).generic_string());
  }
  if (error) {
    ReportError(self, "cannot list '" + dist.string() + "': " + error.message());
    return false;
  }
  return true;
}

bool WriteAll(File& out, const std::string& bytes, Sha256* sha) {
  if (sha != nullptr) sha->Update(bytes.data(), bytes.size());
  return out.Write(bytes.data(), bytes.size()) == bytes.size();
}

// The whole stub: a program of a few hundred kilobytes, changed in memory before it is written.
bool ReadStub(const Command& self, const fs::path& stub, std::string* image) {
  std::unique_ptr<File> in = OpenInput(self, stub.string());
  if (!in) return false;
  std::string chunk(1 << 16, '\0');
  for (std::size_t got; (got = in->Read(chunk.data(), chunk.size())) > 0;)
    image->append(chunk, 0, got);
  return !in->Error();
}

// The bundle's SHA-256 in hexadecimal; empty when it cannot be read whole.
std::string FileSha256(const Command& self, const std::string& path) {
  std::unique_ptr<File> in = OpenInput(self, path);
  if (!in) return std::string();
  std::unique_ptr<Sha256> sha = CreateSha256();
  std::string chunk(1 << 20, '\0');
  for (std::size_t got; (got = in->Read(chunk.data(), chunk.size())) > 0;)
    sha->Update(chunk.data(), got);
  const bool failed = in->Error();
  in->Close();
  return failed ? std::string() : DigestHex(sha->Finish());
}

bool WriteWingetManifest(const Command& self, const BundleOptions& options,
                         const std::string& productName) {
  WingetPackage package;
  package.publisher = *options.publisher;
  package.version = *options.version;
  package.name = productName;
  for (char& c : package.name) {
    if (c == '*') c = ' ';
  }
  package.installerFile = fs::path(options.out).filename().string();
  package.sha256 = FileSha256(self, options.out);
  if (package.sha256.empty() || package.name.empty()) {
    ReportError(self, package.name.empty() ? "--winget needs the product's --name"
                                           : "cannot read back '" + options.out + "'");
    return false;
  }
  std::error_code error;
  fs::create_directories(*options.winget, error);
  const fs::path path = fs::path(*options.winget) / (WingetIdentifier(package) + ".yaml");
  std::unique_ptr<File> out = OpenOutput(self, path.string());
  const std::string yaml = WingetManifest(package);
  if (!out || out->Write(yaml.data(), yaml.size()) != yaml.size() || !out->Close()) {
    ReportError(self, "cannot write '" + path.string() + "'");
    return false;
  }
  std::printf("%s: winget manifest\n", path.string().c_str());
  return true;
}

int RunBundleCommand(const std::vector<std::string>& args) {
  const Command& self = kBundleCommand;
  BundleOptions options;
  if (!ParseOptions(self, args, &options)) return kExitUsage;
  const fs::path dist(options.dist);
  const bool win32 = options.target == "win32";
  const std::string installer = win32 ? "Setup.exe" : "setup";
  std::error_code error;
  if (!fs::is_regular_file(dist / installer, error)) {
    ReportError(self, "'" + (dist / installer).string() + "' is missing: a " + options.target +
                          " bundle runs " + installer);
    return kExitFailure;
  }
  const fs::path stub = options.stub
                            ? fs::path(*options.stub)
                            : OwnDirectory() / (win32 ? "SetupStub.exe" : "setup-bundle-stub");
  if (!fs::is_regular_file(stub, error)) {
    ReportError(self, "the stub '" + stub.string() + "' is missing; name it with --stub FILE");
    return kExitFailure;
  }
  std::vector<std::string> files;
  if (!CollectFiles(self, dist, &files)) return kExitFailure;
  const std::string productName =
      options.name ? *options.name : ReadAutorunName(dist).value_or(std::string());
  if (!StarredName(productName)) {
    ReportError(self, "the product name may not hold quotes or control characters");
    return kExitFailure;
  }

  std::unique_ptr<File> out = OpenOutput(self, options.out);
  if (!out) return kExitFailure;
  auto fail = [&](const std::string& why) {
    out->Close();
    fs::remove(options.out, error);
    ReportError(self, why);
    return kExitFailure;
  };
  std::string stubImage;
  if (!ReadStub(self, stub, &stubImage)) return fail("cannot read the stub");
  const BundleIdentity identity{productName, options.version, options.publisher,
                                fs::path(options.out).filename().string()};
  if (win32 && HasIdentity(identity)) {
    std::string why;
    if (!GiveStubIdentity(&stubImage, identity, &why)) {
      return fail("cannot give the stub '" + stub.string() +
                  "' the product's version resource: " + why);
    }
  }
  if (!WriteAll(*out, stubImage, nullptr)) return fail("cannot write '" + options.out + "'");
  std::string chunk(1 << 20, '\0');
  const std::int64_t stubSize = out->Tell();
  // The header's place: written last, once the body's length and digest are known.
  bundle::Header header;
  if (!WriteAll(*out, bundle::EncodeHeader(header), nullptr)) return fail("cannot write");

  std::unique_ptr<Sha256> sha = CreateSha256();
  std::string prefix;
  bundle::AppendU32(&prefix, static_cast<std::uint32_t>(productName.size()));
  prefix += productName;
  bundle::AppendU32(&prefix, static_cast<std::uint32_t>(files.size()));
  if (!WriteAll(*out, prefix, sha.get())) return fail("cannot write '" + options.out + "'");
  std::uint64_t bodyLength = prefix.size();
  for (const std::string& name : files) {
    if (!bundle::ValidEntryName(name)) return fail("cannot carry the file name '" + name + "'");
    std::unique_ptr<File> in = OpenInput(self, (dist / name).string());
    if (!in) return fail("a listed file is missing");
    const std::int64_t size = in->Length();
    std::string entry;
    bundle::AppendU32(&entry, static_cast<std::uint32_t>(name.size()));
    entry += name;
    bundle::AppendU32(&entry, name == installer ? bundle::kExecutable : 0);
    bundle::AppendU64(&entry, static_cast<std::uint64_t>(size));
    if (size < 0 || !WriteAll(*out, entry, sha.get())) return fail("cannot write");
    std::int64_t copied = 0;
    for (std::size_t got; (got = in->Read(chunk.data(), chunk.size())) > 0;) {
      sha->Update(chunk.data(), got);
      if (out->Write(chunk.data(), got) != got) return fail("cannot write '" + options.out + "'");
      copied += static_cast<std::int64_t>(got);
    }
    if (copied != size) return fail("'" + (dist / name).string() + "' changed while it was read");
    bodyLength += entry.size() + static_cast<std::uint64_t>(size);
  }
  header.bodyLength = bodyLength;
  header.digest = sha->Finish();
  if (!out->Seek(stubSize) || !WriteAll(*out, bundle::EncodeHeader(header), nullptr) ||
      !out->Close()) {
    return fail("cannot write '" + options.out + "'");
  }
  fs::permissions(options.out,
                  fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, error);
  std::printf("%s: %zu files, stub %lld bytes, archive %llu bytes%s%s\n", options.out.c_str(),
              files.size(), static_cast<long long>(stubSize),
              static_cast<unsigned long long>(bodyLength + bundle::kHeaderSize),
              productName.empty() ? "" : ", product ", productName.c_str());
  if (options.winget && !WriteWingetManifest(self, options, productName)) return kExitFailure;
  return kExitSuccess;
}

}  // namespace

const Command kBundleCommand = {
    "bundle",
    "DISTDIR OPTIONS",
    "Makes one executable that carries a whole distribution folder.",
    "  --out FILE              the program to write\n"
    "  --name NAME             the product name passed to the installer (default: the one in\n"
    "                          DISTDIR/autorun.inf, else none)\n"
    "  --target win32|host     a Windows program (the default on Windows) or a Linux one\n"
    "  --stub FILE             the stub program (default: SetupStub.exe or setup-bundle-stub\n"
    "                          beside setup-pack)\n"
    "  --winget DIR            also write a singleton winget manifest for the program into DIR\n"
    "  --version V, --publisher P   the product's version and publisher, for --winget and for\n"
    "                          the version resource\n"
    "\n"
    "The files listed in DISTDIR/setup.sum (all files, without one) follow the stub with their\n"
    "SHA-256. When run, the program checks them, unpacks them into a private temporary folder,\n"
    "runs the installer there with the product name and the user's arguments, and removes the\n"
    "folder. A damaged or cut file refuses to run. The program may be signed afterwards.\n"
    "A Windows program says in its version resource whose product it installs (the name, the\n"
    "publisher and the version given), which Windows shows when it asks for the rights.\n",
    RunBundleCommand,
};

}  // namespace setup::pack
