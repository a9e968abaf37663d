// setup-pack bundle: one executable that carries a whole distribution behind a small stub.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>

#include "bundle/bundle_format.h"
#include "decompress/payload_form.h"
#include "install/manifest_format.h"
#include "pack/bundle_version_resource.h"
#include "pack/commands.h"
#include "pack/distribution_files.h"
#include "pack/solid_body.h"
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

// The files to carry, named as the installer opens them (Windows-1252, '/' between folders):
// those setup.sum lists, and setup.sum itself; without a manifest every file of the folder.
bool CollectFiles(const Command& self, const fs::path& dist, std::vector<std::string>* files) {
  std::ifstream in(dist / kManifestName, std::ios::binary);
  if (in) {
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    const auto entries = ParseManifest(text, &error);
    if (!entries) {
      ReportError(self, ToolPath(dist / kManifestName) + " is damaged: " + error);
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
    if (!it->is_regular_file()) continue;
    std::string why;
    std::optional<std::string> name = AnsiNameOf(fs::relative(it->path(), dist), &why);
    if (!name) {
      ReportError(self, "cannot carry '" + ToolPath(it->path()) + "': " + why);
      return false;
    }
    if (fs::path::preferred_separator == '\\') std::replace(name->begin(), name->end(), '\\', '/');
    files->push_back(*name);
  }
  if (error) {
    ReportError(self, "cannot list '" + ToolPath(dist) + "': " + error.message());
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
  std::unique_ptr<File> in = OpenInput(self, ToolPath(stub));
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
  std::unique_ptr<File> out = OpenOutput(self, ToolPath(path));
  const std::string yaml = WingetManifest(package);
  if (!out || out->Write(yaml.data(), yaml.size()) != yaml.size() || !out->Close()) {
    ReportError(self, "cannot write '" + ToolPath(path) + "'");
    return false;
  }
  std::printf("%s: winget manifest\n", ToolPath(path).c_str());
  return true;
}

// One file of the archive.
struct Carried {
  std::string name;     // as setup.sum lists it, '/' between folders
  std::string carried;  // as the stub makes it
  std::uint32_t flags = 0;
  std::uint64_t size = 0;                 // the bytes carried
  bool stored = false;                    // a payload carried in the stored form
  bool manifest = false;                  // setup.sum, written anew from `listedAs` of the others
  std::optional<ManifestEntry> listedAs;  // a solid archive's setup.sum line for it
};

std::string EntryHeader(const Carried& file) {
  std::string entry;
  bundle::AppendU32(&entry, static_cast<std::uint32_t>(file.carried.size()));
  entry += file.carried;
  bundle::AppendU32(&entry, file.flags);
  bundle::AppendU64(&entry, file.size);
  return entry;
}

std::string ManifestText(const std::vector<Carried>& carried) {
  std::string text = ManifestHeader();
  for (const Carried& file : carried) {
    if (file.listedAs) text += FormatManifestLine(*file.listedAs);
  }
  return text;
}

class CountingSink final : public lzhuf::ByteSink {
 public:
  explicit CountingSink(lzhuf::ByteSink* next = nullptr, Sha256* sha = nullptr)
      : next_(next), sha_(sha) {}
  bool Write(const std::uint8_t* data, std::size_t size) override {
    count += size;
    if (sha_ != nullptr) sha_->Update(data, size);
    return next_ == nullptr || next_->Write(data, size);
  }
  std::uint64_t count = 0;

 private:
  lzhuf::ByteSink* next_;
  Sha256* sha_;
};

// What each listed file is carried as. For a solid archive every payload the script names is
// expanded once here, for its length in the stored form. Nothing, or why not.
std::optional<std::string> PlanFiles(const fs::path& dist, const std::vector<std::string>& files,
                                     bool solid, const std::string& installer, bool win32,
                                     std::vector<Carried>* carried) {
  std::set<std::string> payloads;
  std::map<std::string, ManifestEntry> listed;  // by comparable name
  if (solid) {
    std::ifstream script(dist / "setup.drc", std::ios::binary);
    const std::string scrambled((std::istreambuf_iterator<char>(script)),
                                std::istreambuf_iterator<char>());
    for (const std::string& source : PayloadSources(scrambled)) {
      payloads.insert(ComparableName(source));
    }
    std::ifstream manifest(dist / kManifestName, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(manifest)),
                           std::istreambuf_iterator<char>());
    std::string error;
    if (const auto entries = ParseManifest(text, &error)) {
      for (const ManifestEntry& entry : *entries) listed.emplace(ComparableName(entry.name), entry);
    }
  }
  auto decoder = std::make_unique<LzhufDecoder>();
  std::optional<Carried> manifest;
  for (const std::string& name : files) {
    Carried file;
    file.name = name;
    // The stub makes the names it is given: a Windows one in the ANSI code page, a Linux one
    // as the host's names on disk are.
    file.carried = win32 ? name : DiskPath(fs::path(), name).generic_string();
    if (!bundle::ValidEntryName(file.carried)) {
      return "cannot carry the file name '" + ForTerminal(name) + "'";
    }
    file.flags = name == installer ? bundle::kExecutable : 0;
    const std::string path = ToolPath(DiskPath(dist, name));
    const std::string key = ComparableName(name);
    if (const auto it = listed.find(key); it != listed.end()) file.listedAs = it->second;
    if (solid && name == kManifestName) {
      file.manifest = true;
      manifest = file;
      continue;
    }
    if (payloads.count(key) != 0) {
      CountingSink count;
      if (!ExpandPayloadFile(path, *decoder, count)) {
        return "the payload '" + path + "' is damaged (see 'setup-pack verify')";
      }
      file.stored = true;
      file.size = kStoredHeaderSize + count.count;
      if (file.listedAs) file.listedAs->size = file.size;
    } else {
      std::unique_ptr<File> in = ToolFileSystem().Open(path, OpenMode::kReadBinary, nullptr);
      const std::int64_t size = in ? in->Length() : -1;
      if (size < 0) return std::string("a listed file is missing");
      file.size = static_cast<std::uint64_t>(size);
    }
    carried->push_back(file);
  }
  if (manifest) {
    // Digests have a fixed length: the text's length is known before they are.
    manifest->size = ManifestText(*carried).size();
    carried->push_back(*manifest);
  }
  return std::nullopt;
}

// Writes a file's bytes into the body, as planned. Nothing, or why not.
std::optional<std::string> WriteContent(const fs::path& dist, std::vector<Carried>& carried,
                                        LzhufDecoder& decoder, Carried& file, ArchiveBody& body) {
  const std::string path = ToolPath(DiskPath(dist, file.name));
  const std::string changed = "'" + path + "' changed while it was read";
  if (file.manifest) {
    const std::string text = ManifestText(carried);
    if (text.size() != file.size) return changed;
    return body.Write(text) ? std::nullopt : std::optional<std::string>("cannot write");
  }
  if (file.stored) {
    std::unique_ptr<Sha256> sha = CreateSha256();
    const std::string header = StoredHeader(file.size - kStoredHeaderSize);
    sha->Update(header.data(), header.size());
    if (!body.Write(header)) return std::string("cannot write");
    CountingSink count(&body, sha.get());
    if (!ExpandPayloadFile(path, decoder, count)) return changed;
    if (count.count != file.size - kStoredHeaderSize) return changed;
    if (file.listedAs) file.listedAs->digest = sha->Finish();
    return std::nullopt;
  }
  std::unique_ptr<File> in = ToolFileSystem().Open(path, OpenMode::kReadBinary, nullptr);
  if (!in) return std::string("a listed file is missing");
  std::string chunk(1 << 20, '\0');
  std::uint64_t copied = 0;
  for (std::size_t got; (got = in->Read(chunk.data(), chunk.size())) > 0;) {
    if (!body.Write(reinterpret_cast<const std::uint8_t*>(chunk.data()), got)) {
      return std::string("cannot write");
    }
    copied += got;
  }
  if (copied != file.size || in->Error()) return changed;
  return std::nullopt;
}

int RunBundleCommand(const std::vector<std::string>& args) {
  const Command& self = kBundleCommand;
  BundleOptions options;
  std::vector<std::string> rest = args;
  const auto solidOption = std::remove(rest.begin(), rest.end(), std::string("--solid"));
  const bool solid = solidOption != rest.end();
  rest.erase(solidOption, rest.end());
  if (!ParseOptions(self, rest, &options)) return kExitUsage;
  const fs::path dist(options.dist);
  const bool win32 = options.target == "win32";
  const std::string installer = win32 ? "Setup.exe" : "setup";
  std::error_code error;
  if (!fs::is_regular_file(dist / installer, error)) {
    ReportError(self, "'" + ToolPath(dist / installer) + "' is missing: a " + options.target +
                          " bundle runs " + installer);
    return kExitFailure;
  }
  const fs::path stub = options.stub
                            ? fs::path(*options.stub)
                            : OwnDirectory() / (win32 ? "SetupStub.exe" : "setup-bundle-stub");
  if (!fs::is_regular_file(stub, error)) {
    ReportError(self, "the stub '" + ToolPath(stub) + "' is missing; name it with --stub FILE");
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
      return fail("cannot give the stub '" + ToolPath(stub) +
                  "' the product's version resource: " + why);
    }
  }
  if (!WriteAll(*out, stubImage, nullptr)) return fail("cannot write '" + options.out + "'");
  const std::int64_t stubSize = out->Tell();
  // The header's place: written last, once the body's length and digest are known.
  bundle::Header header;
  if (!WriteAll(*out, bundle::EncodeHeader(header), nullptr)) return fail("cannot write");

  // A solid archive carries the payloads in the stored form, and setup.sum, listing them so,
  // last: their digests are known once they are written.
  std::vector<Carried> carried;
  if (const std::optional<std::string> why =
          PlanFiles(dist, files, solid, installer, win32, &carried)) {
    return fail(*why);
  }
  std::string prefix;
  bundle::AppendU32(&prefix, static_cast<std::uint32_t>(productName.size()));
  prefix += productName;
  bundle::AppendU32(&prefix, static_cast<std::uint32_t>(carried.size()));
  std::uint64_t plainLength = prefix.size();
  for (const Carried& file : carried) plainLength += EntryHeader(file).size() + file.size;
  ArchiveBody body(*out, solid ? std::optional<std::uint64_t>(plainLength) : std::nullopt);
  if (!body.Write(prefix)) return fail("cannot write '" + options.out + "'");
  auto decoder = std::make_unique<LzhufDecoder>();
  for (Carried& file : carried) {
    if (!body.Write(EntryHeader(file))) return fail("cannot write '" + options.out + "'");
    if (const std::optional<std::string> why = WriteContent(dist, carried, *decoder, file, body)) {
      return fail(*why);
    }
  }
  if (!body.Finish()) return fail("cannot write '" + options.out + "'");
  const std::uint64_t bodyLength = body.storedBytes();
  header.bodyLength = bodyLength;
  header.solid = solid;
  header.digest = body.Digest();
  if (!out->Seek(stubSize) || !WriteAll(*out, bundle::EncodeHeader(header), nullptr) ||
      !out->Close()) {
    return fail("cannot write '" + options.out + "'");
  }
  fs::permissions(options.out,
                  fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, error);
  std::printf("%s: %zu files, stub %lld bytes, %sarchive %llu bytes%s%s\n", options.out.c_str(),
              files.size(), static_cast<long long>(stubSize), solid ? "solid " : "",
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
    "  --solid                 one .xz stream for all files, the payloads expanded into the\n"
    "                          stored form first, so compression spans the whole product: the\n"
    "                          smallest download; the stub decodes it while it unpacks\n"
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
