// Decoder and encoder throughput and ratio on a generated corpus, side by side with gzip.
//
// Usage: bench_decoder_bench [--setup-pack PATH] [--repeat N] [--keep DIR] [--only SET,SET]
// Whole-process figures time `setup-pack expand X OUT` against `gzip -dc X.gz > OUT`, alternating
// the two and keeping the best of N runs of each, both as wall time and as the CPU time (user +
// system) the process used; on a busy machine the CPU time is the steadier of the two. In-process
// figures are CPU time too. Every contender writes to the same regular file: the installer will not
// expand into a device, and writing costs each of them alike.
//
// The second table sets the decoder against an earlier one, built from that commit's sources (see
// baseline_decoder.cmake): this program runs itself as `--expand-with before|after X` (plain stdio
// in and out, the same for both), in turn with gzip -dc, and reports the best and the median of
// each. A build without the earlier commit leaves the "before" columns empty and says so. The
// third table times the two decoders alone, in turn in this process, free of process start and
// I/O: the steadier measure of a change to the decoder on a busy machine.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "decompress/lzhuf_decoder.h"
#include "decompress/lzhuf_encoder.h"
#include "decompress/lzhuf_tree.h"
#include "decompress/position_tables.h"
#include "machine_corpus.h"
#if SETUP_DECODER_BASELINE
#include "baseline/lzhuf_decoder.h"
#endif

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using setup::lzhuf::ParseMode;

constexpr std::size_t kSize = 3 * 1024 * 1024;
constexpr bool kHaveBaseline = SETUP_DECODER_BASELINE != 0;

// ---- Corpus ---------------------------------------------------------------------------------

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : random_(seed) {}
  std::uint32_t Next() { return static_cast<std::uint32_t>(random_()); }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }
  // Roughly Zipf-distributed index below n: small indices are much more common.
  std::uint32_t Zipf(std::uint32_t n) {
    const double u = (Next() + 0.5) / 4294967296.0;
    return std::min(n - 1, static_cast<std::uint32_t>(std::pow(static_cast<double>(n), u)) - 1);
  }

 private:
  std::mt19937 random_;
};

std::vector<std::string> Vocabulary(Generator& g, int count) {
  static const char* const syllables[] = {
      "in",  "stal", "ler",   "ex",   "pand",  "file", "con", "ter",  "re", "gis",
      "try", "path", "ver",   "sion", "dow",   "win",  "di",  "rec",  "to", "ry",
      "log", "set",  "up",    "com",  "press", "de",   "co",  "ment", "a",  "tion",
      "pro", "gram", "short", "cut",  "the",   "and",  "of",  "is"};
  std::vector<std::string> words;
  for (int i = 0; i < count; ++i) {
    std::string word;
    const int n = 1 + static_cast<int>(g.Zipf(4));
    for (int k = 0; k < n; ++k) word += syllables[g.Below(std::size(syllables))];
    words.push_back(word);
  }
  return words;
}

std::string MakeText(std::size_t size, std::uint32_t seed) {
  Generator g(seed);
  const std::vector<std::string> words = Vocabulary(g, 3000);
  std::string text;
  std::size_t column = 0;
  while (text.size() < size) {
    const int sentence = 5 + static_cast<int>(g.Below(16));
    for (int i = 0; i < sentence; ++i) {
      std::string word = words[g.Zipf(static_cast<std::uint32_t>(words.size()))];
      if (i == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
      if (i == sentence - 1) {
        word += g.Below(8) == 0 ? "?" : ".";
      } else if (g.Below(9) == 0) {
        word += ",";
      }
      if (column + word.size() > 72) {
        text += "\r\n";
        column = 0;
      } else if (column > 0) {
        text += ' ';
        ++column;
      }
      text += word;
      column += word.size();
    }
    if (g.Below(6) == 0) {
      text += "\r\n\r\n";
      column = 0;
    }
  }
  text.resize(size);
  return text;
}

std::string MakeSource(std::size_t size, std::uint32_t seed) {
  Generator g(seed);
  const std::vector<std::string> names = Vocabulary(g, 800);
  static const char* const types[] = {"int",         "char*", "const std::string&", "bool", "DWORD",
                                      "std::size_t", "HKEY",  "FileEntry&"};
  static const char* const statements[] = {
      "  if (%s == nullptr) return 0;\n",
      "  %s = %s + 1;\n",
      "  for (int i = 0; i < %s; ++i) {\n    %s[i] = 0;\n  }\n",
      "  InstallLog::Write(\"%s: %%s\", %s);\n",
      "  return %s(%s);\n",
      "  const int %s = Get%s(context);\n",
      "  // The %s must exist before %s.\n",
      "  while (%s != %s) %s = Next(%s);\n"};
  std::string code;
  char line[512];
  while (code.size() < size) {
    std::snprintf(line, sizeof line, "\n// %s %s the %s.\nstatic %s %s(%s %s, %s %s) {\n",
                  names[g.Zipf(800)].c_str(), names[g.Zipf(800)].c_str(),
                  names[g.Zipf(800)].c_str(), types[g.Zipf(8)], names[g.Zipf(800)].c_str(),
                  types[g.Zipf(8)], names[g.Zipf(800)].c_str(), types[g.Zipf(8)],
                  names[g.Zipf(800)].c_str());
    code += line;
    const int body = 2 + static_cast<int>(g.Below(10));
    for (int i = 0; i < body; ++i) {
      const std::string a = names[g.Zipf(800)], b = names[g.Zipf(800)];
      std::snprintf(line, sizeof line, statements[g.Zipf(std::size(statements))], a.c_str(),
                    b.c_str(), a.c_str(), b.c_str());
      code += line;
    }
    code += "}\n";
  }
  code.resize(size);
  return code;
}

// Machine code of a 32-bit program: functions built from common instruction forms whose
// operands repeat within a function (its locals, its calls), import calls through a small table,
// pointer tables, zero padding and a string table. Tuned so that gzip -9 compresses it about as
// well as real executables (2.0 to 3.0 here).
std::string MakeBinary(std::size_t size, std::uint32_t seed) {
  Generator g(seed);
  constexpr int kLocal = -1, kImmediate = -2, kImport = -3, kRelative = -4, kShort = -5;
  static const std::vector<std::vector<int>> forms = {
      {0x8B, 0x45, kLocal},                       // mov eax, [ebp+local]
      {0x89, 0x45, kLocal},                       // mov [ebp+local], eax
      {0x8B, 0x4D, kLocal},                       // mov ecx, [ebp+local]
      {0x50},                                     // push eax
      {0xE8, kRelative},                          // call rel32
      {0x83, 0xC4, kImmediate},                   // add esp, imm8
      {0x85, 0xC0},                               // test eax, eax
      {0x74, kShort},                             // je short
      {0x75, kShort},                             // jne short
      {0xFF, 0x15, kImport},                      // call [import]
      {0x6A, kImmediate},                         // push imm8
      {0x8D, 0x45, kLocal},                       // lea eax, [ebp+local]
      {0x33, 0xC0},                               // xor eax, eax
      {0x56},                                     // push esi
      {0x8B, 0xF0},                               // mov esi, eax
      {0x3B, 0xC1},                               // cmp eax, ecx
      {0xC7, 0x45, kLocal, kImmediate, 0, 0, 0},  // mov dword [ebp+local], imm
      {0x0F, 0x84, kShort, 0x00, 0x00, 0x00},     // je near
      {0x8B, 0x0D, kImport},                      // mov ecx, [global]
      {0x5E},                                     // pop esi
  };
  auto put32 = [](std::string& out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>(v >> (8 * k)));
  };
  std::string bin;
  while (bin.size() < size) {
    const std::uint32_t kind = g.Below(10);
    if (kind < 7) {
      const int functions = 1 + static_cast<int>(g.Below(20));
      for (int f = 0; f < functions; ++f) {
        int locals[6];
        for (int& local : locals) local = 0x100 - 4 * (1 + static_cast<int>(g.Zipf(12)));
        bin += "\x55\x8B\xEC\x83\xEC";  // push ebp; mov ebp, esp; sub esp, imm8
        bin.push_back(static_cast<char>(4 * (2 + g.Below(8))));
        const int count = 10 + static_cast<int>(g.Zipf(200));
        for (int i = 0; i < count; ++i) {
          for (int v : forms[g.Zipf(static_cast<std::uint32_t>(forms.size()))]) {
            switch (v) {
              case kLocal:
                bin.push_back(static_cast<char>(locals[g.Zipf(6)]));
                break;
              case kImmediate:
                bin.push_back(static_cast<char>(g.Zipf(16) * 4));
                break;
              case kImport:
                put32(bin, 0x00402000 + 4 * g.Zipf(96));
                break;
              case kRelative:
                put32(bin, static_cast<std::uint32_t>(-static_cast<int>(g.Below(0x20000))));
                break;
              case kShort:
                bin.push_back(static_cast<char>(4 + g.Below(60)));
                break;
              default:
                bin.push_back(static_cast<char>(v));
            }
          }
        }
        bin += "\x8B\xE5\x5D\xC3";  // mov esp, ebp; pop ebp; ret
        bin.append((16 - bin.size() % 16) % 16, '\xCC');
      }
    } else if (kind == 7) {
      const int count = 16 + static_cast<int>(g.Below(256));
      const std::uint32_t base = 0x00401000 + g.Below(0x40000);
      for (int i = 0; i < count; ++i) put32(bin, base + g.Zipf(4096) * 4);
    } else if (kind == 8) {
      bin.append(g.Below(1024), '\0');
    } else {
      const std::string strings = MakeText(200 + g.Below(800), g.Next());
      for (char c : strings) bin.push_back(c == ' ' ? '\0' : c);
    }
  }
  bin.resize(size);
  return bin;
}

std::string MakeMixed(std::size_t size) {
  const std::string parts[] = {MakeText(size / 3 + 1, 1), MakeSource(size / 3 + 1, 2),
                               MakeBinary(size / 3 + 1, 3)};
  std::string mixed;
  constexpr std::size_t kChunk = 64 * 1024;
  for (std::size_t offset = 0; mixed.size() < size; offset += kChunk) {
    for (const std::string& part : parts) mixed += part.substr(offset, kChunk);
  }
  mixed.resize(size);
  return mixed;
}

std::string MakeRandom(std::size_t size) {
  Generator g(4);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(g.Next());
  return bytes;
}

std::string MakeRuns(std::size_t size) {
  Generator g(5);
  std::string bytes;
  while (bytes.size() < size) bytes.append(1 + g.Zipf(20000), static_cast<char>(g.Below(8)));
  bytes.resize(size);
  return bytes;
}

// ---- Measuring ------------------------------------------------------------------------------

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

double Seconds(const std::function<void()>& work, int repeat) {
  double best = 1e9;
  for (int i = 0; i < repeat; ++i) {
    const double start = CpuSeconds();
    work();
    best = std::min(best, CpuSeconds() - start);
  }
  return best;
}

struct ProcessTime {
  double wall = -1;
  double cpu = -1;
};

// Runs a program with stdout sent to `outPath`; answers its wall and CPU time, or -1 on failure.
ProcessTime RunProcess(const std::vector<std::string>& argv, const std::string& outPath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {};
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return {wall, seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::uintmax_t FileSize(const fs::path& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  return error ? 0 : size;
}

double MBps(std::size_t bytes, double seconds) { return bytes / seconds / 1e6; }

struct Row {
  std::string name;
  std::size_t size = 0;
  std::size_t optimal = 0, greedy = 0, gzip = 0;
  double encode = 0, encodeGreedy = 0, encodeGzip = 0;  // MB/s
  double decodeInProcess = 0;                           // MB/s
  ProcessTime expand, gunzip;                           // best of each, whole process
};

// Reads a payload file from stdio blocks, the same way for either decoder.
class StdioSource final : public setup::lzhuf::ByteSource {
 public:
  explicit StdioSource(std::FILE* file) : file_(file) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
    return std::fread(buffer, 1, size, file_);
  }

 private:
  std::FILE* file_;
};

class StdoutSink final : public setup::lzhuf::ByteSink {
 public:
  bool Write(const std::uint8_t* data, std::size_t size) override {
    return std::fwrite(data, 1, size, stdout) == size;
  }
};

// The child process of the before/after comparison: expands `path` to standard output.
int ExpandWith(const std::string& which, const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return 1;
  std::uint8_t header[4];
  const bool headerRead = std::fread(header, 1, 4, file) == 4;
  StdioSource source(file);
  StdoutSink sink;
  bool ok = headerRead;
  if (ok && which == "before") {
#if SETUP_DECODER_BASELINE
    auto decoder = std::make_unique<setup::baseline::LzhufDecoder>();
    ok = decoder->Expand(setup::ReadLengthHeader(header), source, sink) ==
         setup::baseline::LzhufDecoder::Result::kDone;
#else
    ok = false;
#endif
  } else if (ok) {
    auto decoder = std::make_unique<setup::LzhufDecoder>();
    ok = decoder->Expand(setup::ReadLengthHeader(header), source, sink) ==
         setup::LzhufDecoder::Result::kDone;
  }
  std::fclose(file);
  return ok && std::fflush(stdout) == 0 ? 0 : 1;
}

// What a payload asks of the decoder: symbols, literals, matches, rebuilds, longest code.
struct StreamShape {
  long symbols = 0, literals = 0, matches = 0, rebuilds = 0;
  int longestCode = 0;
};

StreamShape ShapeOf(const std::string& payload) {
  using namespace setup::lzhuf;
  StreamShape shape;
  if (payload.size() < 4) return shape;
  const std::int64_t length =
      setup::ReadLengthHeader(reinterpret_cast<const std::uint8_t*>(payload.data()));
  std::size_t bit = 32;
  auto next = [&] {
    const std::size_t byte = bit / 8;
    const int value =
        byte < payload.size() ? static_cast<std::uint8_t>(payload[byte]) >> (7 - bit % 8) & 1 : 0;
    ++bit;
    return value;
  };
  auto tree = std::make_unique<AdaptiveTree>();
  tree->Init();
  for (std::int64_t produced = 0; produced < length;) {
    int node = tree->child[kRoot];
    int depth = 1;
    for (; node < kNodeCount; ++depth) node = tree->child[node + next()];
    const int symbol = node - kNodeCount;
    shape.longestCode = std::max(shape.longestCode, depth - 1);
    if (tree->frequency[kRoot] == kMaxFrequency) ++shape.rebuilds;
    tree->Update(symbol);
    ++shape.symbols;
    if (symbol < 256) {
      ++shape.literals;
      ++produced;
      continue;
    }
    ++shape.matches;
    int b = 0;
    for (int k = 0; k < 8; ++k) b = b << 1 | next();
    for (int k = 0; k < positionLengthTable[b] - 2; ++k) next();
    produced += MatchLength(symbol);
  }
  return shape;
}

struct Timings {
  std::vector<double> cpu;
  bool Empty() const { return cpu.empty(); }
  double Best() const { return *std::min_element(cpu.begin(), cpu.end()); }
  double Median() const {
    std::vector<double> sorted = cpu;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
};

struct Comparison {
  std::string name;
  StreamShape shape;
  Timings gunzip, before, after, setupPack;
  Timings inProcessBefore, inProcessAfter;  // the decoders alone, in this process
};

// Both decoders in this process, in turn, on the same payload: without process start and I/O,
// small changes to the decoder show above the machine's noise. Empty "before" without a baseline.
void CompareInProcess(const std::string& payload, int repeat, Comparison* comparison) {
  auto after = std::make_unique<setup::LzhufDecoder>();
#if SETUP_DECODER_BASELINE
  auto before = std::make_unique<setup::baseline::LzhufDecoder>();
#endif
  std::string expanded;
  for (int i = 0; i < repeat; ++i) {
#if SETUP_DECODER_BASELINE
    comparison->inProcessBefore.cpu.push_back(
        Seconds([&] { setup::baseline::ExpandPayload(*before, payload, &expanded); }, 1));
#endif
    comparison->inProcessAfter.cpu.push_back(
        Seconds([&] { setup::ExpandPayload(*after, payload, &expanded); }, 1));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--expand-with") return ExpandWith(argv[2], argv[3]);
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string setupPack = (fs::path(self).parent_path().parent_path() / "setup-pack").string();
  int repeat = 15;
  std::string keep;
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--setup-pack") setupPack = argv[i + 1];
    if (option == "--repeat") repeat = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--keep") keep = argv[i + 1];
    if (option == "--only") only = argv[i + 1];
  }
  if (!fs::exists(setupPack)) {
    std::fprintf(stderr, "setup-pack not found at %s (use --setup-pack PATH)\n", setupPack.c_str());
    return 1;
  }
  const fs::path work =
      keep.empty() ? fs::temp_directory_path() / ("lzhuf-bench-" + std::to_string(getpid()))
                   : fs::path(keep);
  fs::create_directories(work);

  std::vector<std::pair<std::string, std::string>> corpus = {
      {"mixed", MakeMixed(kSize)},           {"text", MakeText(kSize, 11)},
      {"source", MakeSource(kSize, 12)},     {"binary", MakeBinary(kSize, 13)},
      {"incompressible", MakeRandom(kSize)}, {"long runs", MakeRuns(kSize)},
  };
  for (auto& set : setup::bench::MachineCorpora(kSize)) corpus.push_back(std::move(set));

  auto decoder = std::make_unique<setup::LzhufDecoder>();
  std::vector<Row> rows;
  std::vector<Comparison> comparisons;
  for (const auto& [name, data] : corpus) {
    if (!only.empty() && only.find(name) == std::string::npos) continue;
    Row row;
    row.name = name;
    row.size = data.size();
    std::string stem = (work / name).string();
    std::replace(stem.end() - static_cast<std::ptrdiff_t>(name.size()), stem.end(), ' ', '-');
    std::string payload, greedy;
    row.encode = MBps(
        data.size(),
        Seconds([&] { payload = setup::lzhuf::CompressBuffer(data, {ParseMode::kOptimal}); }, 3));
    row.encodeGreedy = MBps(
        data.size(),
        Seconds([&] { greedy = setup::lzhuf::CompressBuffer(data, {ParseMode::kGreedy}); }, 3));
    row.optimal = payload.size();
    row.greedy = greedy.size();
    std::string expanded;
    row.decodeInProcess =
        MBps(data.size(), Seconds([&] { setup::ExpandPayload(*decoder, payload, &expanded); }, 5));
    if (expanded.compare(0, data.size(), data) != 0) {
      std::fprintf(stderr, "%s: round trip FAILED\n", name.c_str());
      return 1;
    }
    WriteFile(stem + ".bin", data);
    WriteFile(stem + ".lzh", payload);
    double gzipSeconds = 1e9;
    for (int i = 0; i < 3; ++i) {
      const ProcessTime t = RunProcess({"gzip", "-9", "-c", stem + ".bin"}, stem + ".bin.gz");
      if (t.cpu < 0) {
        std::fprintf(stderr, "gzip -9 failed\n");
        return 1;
      }
      gzipSeconds = std::min(gzipSeconds, t.cpu);
    }
    row.encodeGzip = MBps(data.size(), gzipSeconds);
    row.gzip = FileSize(stem + ".bin.gz");
    row.expand = row.gunzip = {1e9, 1e9};
    Comparison comparison;
    comparison.name = name;
    comparison.shape = ShapeOf(payload);
    // In turn, so that a burst of load on a shared machine falls on every contender alike.
    const std::string out = stem + ".out";
    for (int i = 0; i < repeat; ++i) {
      const ProcessTime gunzip = RunProcess({"gzip", "-dc", stem + ".bin.gz"}, out);
      const ProcessTime expand = RunProcess({setupPack, "expand", stem + ".lzh", out}, "/dev/null");
      const ProcessTime before =
          kHaveBaseline ? RunProcess({self, "--expand-with", "before", stem + ".lzh"}, out)
                        : ProcessTime{0, 0};
      const ProcessTime after = RunProcess({self, "--expand-with", "after", stem + ".lzh"}, out);
      if (gunzip.cpu < 0 || expand.cpu < 0 || before.cpu < 0 || after.cpu < 0) {
        std::fprintf(stderr, "%s: a process failed\n", name.c_str());
        return 1;
      }
      row.gunzip = {std::min(row.gunzip.wall, gunzip.wall), std::min(row.gunzip.cpu, gunzip.cpu)};
      row.expand = {std::min(row.expand.wall, expand.wall), std::min(row.expand.cpu, expand.cpu)};
      comparison.gunzip.cpu.push_back(gunzip.cpu);
      comparison.setupPack.cpu.push_back(expand.cpu);
      if (kHaveBaseline) comparison.before.cpu.push_back(before.cpu);
      comparison.after.cpu.push_back(after.cpu);
    }
    CompareInProcess(payload, repeat, &comparison);
    rows.push_back(row);
    comparisons.push_back(comparison);
  }
  if (rows.empty()) return 0;

  std::printf("Corpus: %zu bytes per set; whole-process times are the best of %d runs.\n\n", kSize,
              repeat);
  std::printf("%-15s %7s %7s %7s | %8s %8s %8s | %8s | %-23s | %-23s\n", "", "ratio", "greedy",
              "gzip -9", "encode", "greedy", "gzip -9", "decode", "expand vs gzip -dc, CPU",
              "expand vs gzip -dc, wall");
  std::printf("%-15s %7s %7s %7s | %8s %8s %8s | %8s | %-23s | %-23s\n", "set", "", "", "", "MB/s",
              "MB/s", "MB/s", "MB/s", "ms      ms      speed", "ms      ms      speed");
  for (const Row& r : rows) {
    const double size = static_cast<double>(r.size);
    std::printf(
        "%-15s %7.3f %7.3f %7.3f | %8.1f %8.1f %8.1f | %8.1f | %6.2f  %6.2f  %5.2fx | "
        "%6.2f  %6.2f  %5.2fx\n",
        r.name.c_str(), size / r.optimal, size / r.greedy, size / r.gzip, r.encode, r.encodeGreedy,
        r.encodeGzip, r.decodeInProcess, r.expand.cpu * 1e3, r.gunzip.cpu * 1e3,
        r.gunzip.cpu / r.expand.cpu, r.expand.wall * 1e3, r.gunzip.wall * 1e3,
        r.gunzip.wall / r.expand.wall);
  }

  std::printf(
      "\nBefore and after: CPU time of whole processes, best / median of %d runs in turn.\n",
      repeat);
  std::printf("%-15s %8s %7s %6s %3s | %13s | %13s | %13s | %13s | %-11s %-11s %-11s %-11s\n", "",
              "symbols", "literal", "match", "re-", "gzip -dc", "before", "after", "setup-pack",
              "before", "after", "setup-pack", "after vs");
  std::printf("%-15s %8s %7s %6s %3s | %13s | %13s | %13s | %13s | %-11s %-11s %-11s %-11s\n",
              "set", "", "share", "k", "bld", "ms", "ms", "ms", "ms", "vs gzip", "vs gzip",
              "vs gzip", "before");
  for (const Comparison& c : comparisons) {
    auto ms = [](const Timings& t) {
      if (t.Empty()) return std::string("     -       ");
      char text[32];
      std::snprintf(text, sizeof text, "%5.1f / %5.1f", t.Best() * 1e3, t.Median() * 1e3);
      return std::string(text);
    };
    auto ratio = [](const Timings& faster, const Timings& slower) {
      if (faster.Empty() || slower.Empty()) return std::string("-");
      char text[32];
      std::snprintf(text, sizeof text, "%.2f/%.2fx", faster.Best() / slower.Best(),
                    faster.Median() / slower.Median());
      return std::string(text);
    };
    std::printf("%-15s %8ld %6.0f%% %6.0f %3ld | %s | %s | %s | %s | %-11s %-11s %-11s %-11s\n",
                c.name.c_str(), c.shape.symbols, 100.0 * c.shape.literals / c.shape.symbols,
                c.shape.matches / 1e3, c.shape.rebuilds, ms(c.gunzip).c_str(), ms(c.before).c_str(),
                ms(c.after).c_str(), ms(c.setupPack).c_str(), ratio(c.gunzip, c.before).c_str(),
                ratio(c.gunzip, c.after).c_str(), ratio(c.gunzip, c.setupPack).c_str(),
                ratio(c.before, c.after).c_str());
  }
  std::printf(
      "speed ratios are best/median: the other's time over this one's (above 1 is faster).\n");
  std::printf("\nThe decoders alone, in this process, in turn: CPU time, best / median of %d.\n",
              repeat);
  std::printf("%-15s | %13s | %13s | %-11s\n", "set", "before ms", "after ms", "after vs before");
  for (const Comparison& c : comparisons) {
    std::string before = "     -       ", ratio = "-";
    char text[32];
    if (!c.inProcessBefore.Empty()) {
      std::snprintf(text, sizeof text, "%5.1f / %5.1f", c.inProcessBefore.Best() * 1e3,
                    c.inProcessBefore.Median() * 1e3);
      before = text;
      std::snprintf(text, sizeof text, "%.2f/%.2fx",
                    c.inProcessBefore.Best() / c.inProcessAfter.Best(),
                    c.inProcessBefore.Median() / c.inProcessAfter.Median());
      ratio = text;
    }
    std::snprintf(text, sizeof text, "%5.1f / %5.1f", c.inProcessAfter.Best() * 1e3,
                  c.inProcessAfter.Median() * 1e3);
    std::printf("%-15s | %s | %s | %-11s\n", c.name.c_str(), before.c_str(), text, ratio.c_str());
  }
#if SETUP_DECODER_BASELINE
  std::printf("before: the decoder of commit %.12s.\n", SETUP_DECODER_BASELINE_REVISION);
#else
  std::printf("before: baseline skipped, this build has no earlier decoder (%s).\n",
              SETUP_DECODER_BASELINE_MISSING);
#endif

  const Row& mixed = rows.front();
  const double saving = 100.0 * (1.0 - static_cast<double>(mixed.optimal) / mixed.greedy);
  const double speedCpu = mixed.gunzip.cpu / mixed.expand.cpu;
  const double speedWall = mixed.gunzip.wall / mixed.expand.wall;
  std::printf(
      "\nratio = input size / output size; speed = expand's throughput / gzip -dc's, whole "
      "process.\n");
  for (const Comparison& c : comparisons) {
    if (c.name != "literal mix") continue;
    const double speed = c.gunzip.Median() / c.setupPack.Median();
    std::printf(
        "Target on the literal mix: setup-pack expand vs gzip -dc %.2fx by median CPU time "
        "(target >= 1.0) %s\n",
        speed, speed >= 1.0 ? "met" : "MISSED");
  }
  std::printf("Targets on the %s set:\n", mixed.name.c_str());
  std::printf("  decoding vs gzip -dc: %.2fx by CPU time, %.2fx by wall time (target >= 0.75) %s\n",
              speedCpu, speedWall, std::min(speedCpu, speedWall) >= 0.75 ? "met" : "MISSED");
  std::printf("  encoding throughput: %.1f MB/s (target >= 10) %s\n", mixed.encode,
              mixed.encode >= 10 ? "met" : "MISSED");
  std::printf("  optimal parse vs greedy: %.1f%% smaller (target >= 3%%) %s\n", saving,
              saving >= 3 ? "met" : "MISSED");
  if (keep.empty()) fs::remove_all(work);
  return 0;
}
