// How the cost of an installation grows with its size: many files in one folder, many registry
// values, a large registry. Each row compares a large case with a small one measured in the same
// run and prints the ratio to what a cost in proportion to the work predicts (1.00 is linear).
//
// Usage: bench_scale_bench [--quick]
// Rows:
//   files    20,000 files into one folder against ten times 2,000
//   manifest the check of 20,000 payloads against setup.sum (reading it, then looking up and
//            hashing each payload, as the installation does) against ten times 2,000
//   values   2,000 registry values from K lines against four times 500
//   registry the sample product on a registry.reg of 50,000 values in one key against the same
//            on an empty registry plus reading that file once (and freeing it) and writing it
//            once per save the installation made (what a whole-file save at every save point
//            must cost)
// Every case runs unattended in-process on a fresh machine folder; small and large take turns
// and the best of the runs is kept. --quick divides the sizes by ten.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_setup.h"
#include "decompress/lzhuf_encoder.h"
#include "install/payload_manifest.h"
#include "platform/host/files/native_file_system.h"
#include "platform/host/host_platform.h"
#include "platform/host/host_program_folder.h"
#include "platform/host/registry/host_registry.h"
#include "script/script_loader.h"
#include "ui/unattended_window_system.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A distribution folder: the plain script is scrambled by the first run.
struct Product {
  fs::path dist;
};

Product FilesProduct(const fs::path& root, int files) {
  Product product{root / ("files" + std::to_string(files))};
  std::ostringstream script;
  script << "X|C:\\Scale\r\n";
  for (int i = 0; i < files; ++i) {
    const std::string name = "f" + std::to_string(i);
    WriteFile(product.dist / "p" / (name + ".cmp"),
              setup::lzhuf::CompressBuffer("file " + std::to_string(i) + "\r\n"));
    script << "F|p\\" << name << ".cmp|?APPDIR?\\One\\" << name << ".txt\r\n";
  }
  WriteFile(product.dist / "setup.txt", script.str());
  return product;
}

Product ValuesProduct(const fs::path& root, int values) {
  Product product{root / ("values" + std::to_string(values))};
  std::ostringstream script;
  script << "X|C:\\Scale\r\n";
  for (int i = 0; i < values; ++i) {
    script << "K|SZ|HKEY_CURRENT_USER|Software|Scale|Value" << i << "|value " << i << "\r\n";
  }
  WriteFile(product.dist / "setup.txt", script.str());
  return product;
}

Product SampleProduct(const fs::path& root) {
  Product product{root / "sample"};
  const fs::path sample = fs::path(SETUP_SOURCE_DIR) / "examples" / "sample";
  for (const auto& entry : fs::recursive_directory_iterator(sample / "files")) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), sample / "files");
    WriteFile(product.dist / relative, setup::lzhuf::CompressBuffer(ReadFile(entry.path())));
  }
  WriteFile(product.dist / "setup.txt", ReadFile(sample / "setup.txt"));
  return product;
}

struct RunResult {
  double seconds = 0;
  std::uint64_t saves = 0;
};

// One unattended installation of `product` on the machine folder `machine`, prepared beforehand
// by `prepare` (which may leave a registry.reg there).
RunResult Install(const Product& product, const fs::path& machine,
                  const std::function<void(const fs::path&)>& prepare) {
  fs::remove_all(machine);
  fs::create_directories(machine);
  if (prepare) prepare(machine);
  fs::current_path(product.dist);
  setup::StringTextSink boxes;
  setup::UnattendedWindowSystem windows("setup", std::nullopt, boxes);
  RunResult result;
  const Clock::time_point start = Clock::now();
  {
    setup::HostPlatform host(machine.string(), product.dist.string(), windows);
    if (std::string error = host.Open(); !error.empty()) {
      std::fprintf(stderr, "machine folder: %s\n", error.c_str());
      std::exit(1);
    }
    setup::Platform platform = host.platform();
    setup::HostProgramFolder programFolder((product.dist / "setup").string());
    if (!fs::exists(product.dist / "setup.drc") &&
        setup::ScrambleScript(platform.files, "setup.txt", "setup.drc") != 1) {
      std::fprintf(stderr, "cannot write setup.drc\n");
      std::exit(1);
    }
    setup::CommandLine commandLine;
    commandLine.arguments = {"setup", "Scale"};
    commandLine.unattended = true;
    const setup::SetupOutcome outcome = setup::RunSetup(platform, commandLine, programFolder);
    if (outcome.exitStatus != 0) {
      std::fprintf(stderr, "installation ended with %d: %s\n", outcome.exitStatus,
                   boxes.str().c_str());
      std::exit(1);
    }
    result.saves = host.registry().SaveCount();
  }
  result.seconds = Seconds(Clock::now() - start);
  return result;
}

// Best of `rounds` runs of each, the two taking turns to go first.
void BestOfBoth(int rounds, const std::function<double()>& small,
                const std::function<double()>& large, double* bestSmall, double* bestLarge) {
  *bestSmall = *bestLarge = 1e300;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      *bestSmall = std::min(*bestSmall, small());
      *bestLarge = std::min(*bestLarge, large());
    } else {
      *bestLarge = std::min(*bestLarge, large());
      *bestSmall = std::min(*bestSmall, small());
    }
  }
}

void PrintRow(const char* row, const std::string& small, double smallSeconds,
              const std::string& large, double largeSeconds, double expected) {
  std::printf("%-9s %-26s %8.3f s   %-26s %8.3f s   expected %8.3f s   ratio %.2f\n", row,
              small.c_str(), smallSeconds, large.c_str(), largeSeconds, expected,
              largeSeconds / expected);
}

// A folder of `files` small payloads and the setup.sum that lists them, names in mixed case.
fs::path ManifestFolder(const fs::path& root, int files) {
  const fs::path dir = root / ("manifest" + std::to_string(files));
  std::string sum = setup::ManifestHeader();
  for (int i = 0; i < files; ++i) {
    const std::string bytes = "payload " + std::to_string(i);
    WriteFile(dir / ("f" + std::to_string(i) + ".cmp"), bytes);
    setup::ManifestEntry entry;
    entry.name = "F" + std::to_string(i) + ".CMP";
    entry.size = bytes.size();
    std::unique_ptr<setup::Sha256> sha = setup::CreateSha256();
    sha->Update(bytes.data(), bytes.size());
    entry.digest = sha->Finish();
    sum += setup::FormatManifestLine(entry);
  }
  WriteFile(dir / setup::kManifestName, sum);
  return dir;
}

// Loading setup.sum in `dir` and checking every payload against it.
double ManifestCheck(const fs::path& dir, int files) {
  fs::current_path(dir);
  setup::NativeFileSystem native;
  const Clock::time_point start = Clock::now();
  const std::optional<setup::PayloadManifest> manifest = setup::PayloadManifest::Load(native);
  for (int i = 0; i < files; ++i) {
    if (!manifest || manifest->Problem(native, "f" + std::to_string(i) + ".cmp", true)) {
      std::fprintf(stderr, "manifest check failed in %s\n", dir.string().c_str());
      std::exit(1);
    }
  }
  return Seconds(Clock::now() - start);
}

// A machine folder prepared as on first use, then given `values` values in one key.
std::string BigRegistryText(const fs::path& root, int values) {
  const fs::path machine = root / "registry-template";
  fs::remove_all(machine);
  {
    setup::StringTextSink boxes;
    setup::UnattendedWindowSystem windows("setup", std::nullopt, boxes);
    setup::HostPlatform host(machine.string(), root.string(), windows);
    if (std::string error = host.Open(); !error.empty()) {
      std::fprintf(stderr, "machine folder: %s\n", error.c_str());
      std::exit(1);
    }
  }
  std::string text = ReadFile(machine / "registry.reg");
  text += "[HKEY_LOCAL_MACHINE\\Software\\Bulk]\r\n";
  for (int i = 0; i < values; ++i) {
    text += "\"Setting" + std::to_string(i) + "\"=\"stored value number " + std::to_string(i) +
            "\"\r\n";
  }
  text += "\r\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const int scale = quick ? 10 : 1;
  const fs::path root =
      fs::temp_directory_path() / ("setup-scale-bench-" + std::to_string(std::random_device{}()));
  fs::remove_all(root);
  fs::create_directories(root);

  // Files in one folder.
  {
    const int small = 2000 / scale, large = 20000 / scale;
    const Product a = FilesProduct(root, small), b = FilesProduct(root, large);
    double ta = 0, tb = 0;
    BestOfBoth(
        2, [&] { return Install(a, root / "machine", nullptr).seconds; },
        [&] { return Install(b, root / "machine", nullptr).seconds; }, &ta, &tb);
    PrintRow("files", std::to_string(small) + " files", ta, std::to_string(large) + " files", tb,
             ta * large / small);
  }

  // The manifest check alone.
  {
    const int small = 2000 / scale, large = 20000 / scale;
    const fs::path a = ManifestFolder(root, small), b = ManifestFolder(root, large);
    double ta = 0, tb = 0;
    BestOfBoth(
        3, [&] { return ManifestCheck(a, small); }, [&] { return ManifestCheck(b, large); }, &ta,
        &tb);
    PrintRow("manifest", std::to_string(small) + " payloads", ta,
             std::to_string(large) + " payloads", tb, ta * large / small);
  }

  // Registry values from K lines.
  {
    const int small = 500 / scale, large = 2000 / scale;
    const Product a = ValuesProduct(root, small), b = ValuesProduct(root, large);
    double ta = 0, tb = 0;
    BestOfBoth(
        3, [&] { return Install(a, root / "machine", nullptr).seconds; },
        [&] { return Install(b, root / "machine", nullptr).seconds; }, &ta, &tb);
    PrintRow("values", std::to_string(small) + " values", ta, std::to_string(large) + " values", tb,
             ta * large / small);
  }

  // The sample product on an empty and on a large registry.
  {
    const int values = 50000 / scale;
    const Product sample = SampleProduct(root);
    const std::string big = BigRegistryText(root, values);
    // The machine folder as first use left it (drive_c/ with its folders), with the large file.
    auto withBig = [&](const fs::path& machine) {
      fs::copy(root / "registry-template", machine, fs::copy_options::recursive);
      WriteFile(machine / "registry.reg", big);
    };
    std::uint64_t saves = 0;
    double te = 0, tb = 0;
    BestOfBoth(
        5, [&] { return Install(sample, root / "machine", nullptr).seconds; },
        [&] {
          const RunResult result = Install(sample, root / "machine", withBig);
          saves = result.saves;
          return result.seconds;
        },
        &te, &tb);
    // What reading the large file once and writing it once cost here, outside an installation.
    // Reading it includes letting it go again: an installation frees what it loaded, and freeing
    // 50,000 values costs about half as much as parsing them.
    double load = 1e300, save = 1e300;
    for (int round = 0; round < 5; ++round) {
      const fs::path path = root / "big.reg";
      WriteFile(path, big);
      const Clock::time_point start = Clock::now();
      {
        setup::HostRegistry registry(path.string());
        if (!registry.Open().empty()) return 1;
      }
      load = std::min(load, Seconds(Clock::now() - start));
    }
    for (int round = 0; round < 5; ++round) {
      const fs::path path = root / "big.reg";
      WriteFile(path, big);
      setup::HostRegistry registry(path.string());
      if (!registry.Open().empty()) return 1;
      setup::ScopedRegKey key(registry);
      const std::uint8_t one[4] = {1, 0, 0, 0};
      const Clock::time_point start = Clock::now();
      if (registry.CreateKey(setup::kHkeyLocalMachine, "Software\\Bulk", nullptr, key.receive()) !=
              0 ||
          registry.SetValue(key.get(), "Added", setup::REG_DWORD, one, 4) != 0 ||
          registry.Flush() != 0) {
        return 1;
      }
      save = std::min(save, Seconds(Clock::now() - start));
    }
    std::printf("registry  reading %d values: %.3f s, saving them: %.3f s, saves in a run: %llu\n",
                values, load, save, static_cast<unsigned long long>(saves));
    PrintRow("registry", "sample, empty registry", te,
             "sample, " + std::to_string(values) + " values", tb,
             te + load + static_cast<double>(saves) * save);
  }

  fs::current_path(fs::temp_directory_path());
  fs::remove_all(root);
  return 0;
}
