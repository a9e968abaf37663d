// An unattended installation of a generated product against expanding the same payloads alone,
// in the same run, on the same machine folder: the installation's throughput and its ratio to
// the decoder's, i.e. what the wizard, the per-file checks, the log and the registry add.
//
// Usage: bench_install_bench [--files N] [--megabytes M] [--keep DIR]
// Defaults: 2000 files, 200 MB expanded (about three quarters text-like, a quarter random
// bytes), in 20 folders. Payloads are made with the greedy encoder to keep the set-up short;
// they expand exactly like optimally parsed ones. Both timed parts expand every payload once,
// each into its own folder; the best of three runs of each is kept, the two taking turns to
// go first. The whole run takes about a minute; --files 200 --megabytes 20 is a quick look.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_setup.h"
#include "decompress/decompress_file.h"
#include "decompress/lzhuf_encoder.h"
#include "platform/host/host_platform.h"
#include "platform/host/host_program_folder.h"
#include "script/script_loader.h"
#include "ui/unattended_window_system.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options {
  int files = 2000;
  double megabytes = 200;
  std::string keep;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    if (arg == "--files") {
      options->files = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--megabytes") {
      options->megabytes = std::max(0.001, std::atof(argv[++i]));
    } else if (arg == "--keep") {
      options->keep = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

// Text-like bytes: words from a small vocabulary, so the payload compresses like documents do.
std::string TextBytes(std::mt19937& random, std::size_t size) {
  static const char* kWords[] = {"setup", "install", "the",    "file",   "of",       "program",
                                 "data",  "window",  "system", "value",  "registry", "and",
                                 "to",    "a",       "menu",   "report", "letter",   "library"};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kWords) - 1);
  std::string text;
  text.reserve(size + 16);
  while (text.size() < size) {
    text += kWords[pick(random)];
    text += (random() % 12 == 0) ? "\r\n" : " ";
  }
  text.resize(size);
  return text;
}

std::string RandomBytes(std::mt19937& random, std::size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string FolderOf(int index) { return "dir" + std::to_string(index % 20); }
std::string Source(int index) {
  return "payload\\" + FolderOf(index) + "\\f" + std::to_string(index) + ".cmp";
}

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "Usage: %s [--files N] [--megabytes M] [--keep DIR]\n", argv[0]);
    return 2;
  }
  fs::path root = options.keep.empty()
                      ? fs::temp_directory_path() /
                            ("setup-install-bench-" + std::to_string(std::random_device{}()))
                      : fs::path(options.keep);
  fs::remove_all(root);
  fs::path dist = root / "dist";
  fs::create_directories(dist);

  // The product: payloads and a script placing each file in one of 20 folders.
  std::mt19937 random(20261207);
  auto total = static_cast<std::size_t>(options.megabytes * 1024 * 1024);
  std::size_t average = total / static_cast<std::size_t>(options.files);
  std::ostringstream script;
  script << "X|C:\\Bench\r\n";
  std::size_t expanded = 0;
  std::uintmax_t payloadBytes = 0;
  setup::lzhuf::EncoderOptions greedy;
  greedy.parse = setup::lzhuf::ParseMode::kGreedy;
  for (int i = 0; i < options.files; ++i) {
    std::size_t size = average / 2 + random() % (average + 1);
    std::string bytes = (i % 4 == 3) ? RandomBytes(random, size) : TextBytes(random, size);
    expanded += bytes.size();
    fs::path payload = dist / "payload" / FolderOf(i) / ("f" + std::to_string(i) + ".cmp");
    std::string compressed = setup::lzhuf::CompressBuffer(bytes, greedy);
    payloadBytes += compressed.size();
    WriteFile(payload, compressed);
    script << "F|" << Source(i) << "|?APPDIR?\\" << FolderOf(i) << "\\file" << i << ".dat\r\n";
  }
  script << "K|SZ|HKEY_LOCAL_MACHINE|Software|Bench|Path|?APPDIR?\r\n";
  WriteFile(dist / "setup.txt", script.str());
  fs::current_path(dist);
  double megabytes = static_cast<double>(expanded) / (1024.0 * 1024.0);
  std::printf("product: %d files, %.1f MB expanded from %.1f MB of payloads\n", options.files,
              megabytes, static_cast<double>(payloadBytes) / (1024.0 * 1024.0));

  setup::StringTextSink boxes;
  setup::UnattendedWindowSystem windows("setup", std::nullopt, boxes);
  double bestAlone = 1e300;
  double bestInstall = 1e300;
  for (int run = 0; run < 3; ++run) {
    fs::path machine = root / ("machine" + std::to_string(run));
    setup::HostPlatform host(machine.string(), dist.string(), windows);
    if (std::string error = host.Open(); !error.empty()) {
      std::fprintf(stderr, "machine folder: %s\n", error.c_str());
      return 1;
    }
    setup::Platform platform = host.platform();
    setup::HostProgramFolder programFolder((dist / "setup").string());
    if (run == 0 && setup::ScrambleScript(platform.files, "setup.txt", "setup.drc") != 1) {
      std::fprintf(stderr, "cannot write setup.drc\n");
      return 1;
    }

    // The two parts take turns going first, so neither always meets a cold or a busy disk.
    auto expandAlone = [&]() -> bool {
      // The decoder alone: every payload into C:\Alone, its folders made beforehand.
      for (int folder = 0; folder < 20 && folder < options.files; ++folder) {
        fs::create_directories(machine / "drive_c" / "Alone" / FolderOf(folder));
      }
      setup::Decompressor decompressor(platform.files, platform.windows);
      Clock::time_point start = Clock::now();
      for (int i = 0; i < options.files; ++i) {
        std::string destination =
            "C:\\Alone\\" + FolderOf(i) + "\\file" + std::to_string(i) + ".dat";
        if (decompressor.DecompressFile(Source(i).c_str(), destination.c_str()) != 0) {
          std::fprintf(stderr, "expanding %s failed: %s\n", Source(i).c_str(), boxes.str().c_str());
          return false;
        }
      }
      bestAlone = std::min(bestAlone, Seconds(Clock::now() - start));
      return true;
    };
    auto install = [&]() -> bool {
      // The whole unattended installation.
      setup::CommandLine commandLine;
      commandLine.arguments = {"setup", "Bench"};
      commandLine.unattended = true;
      Clock::time_point start = Clock::now();
      setup::SetupOutcome outcome = setup::RunSetup(platform, commandLine, programFolder);
      bestInstall = std::min(bestInstall, Seconds(Clock::now() - start));
      if (outcome.exitStatus != 0) {
        std::fprintf(stderr, "installation ended with %d: %s\n", outcome.exitStatus,
                     boxes.str().c_str());
        return false;
      }
      return true;
    };
    bool ok = run % 2 == 0 ? expandAlone() && install() : install() && expandAlone();
    if (!ok) return 1;
    fs::remove_all(machine);
  }

  std::printf("expanding alone:   %7.2f s  %8.1f MB/s\n", bestAlone, megabytes / bestAlone);
  std::printf("installation:      %7.2f s  %8.1f MB/s\n", bestInstall, megabytes / bestInstall);
  std::printf("installation / expanding alone: %.3f (engine overhead %+.1f%%)\n",
              bestInstall / bestAlone, (bestInstall / bestAlone - 1.0) * 100.0);
  if (options.keep.empty()) {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(root);
  }
  return 0;
}
