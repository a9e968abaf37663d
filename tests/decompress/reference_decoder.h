// A deliberately plain decoder for differential tests: one bit, one byte, one table entry at a
// time, written straight from the format's rules and sharing no code with the fast decoder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace setup::testing {

class ReferenceDecoder {
 public:
  // Decodes one payload (header included). The window's last 60 positions carry over between
  // calls, as in the real decoder. A payload shorter than its header decodes to nothing.
  std::string Decode(std::string_view payload) {
    std::string out;
    if (payload.size() < 4) return out;
    const std::int32_t length = static_cast<std::int32_t>(
        static_cast<std::uint8_t>(payload[0]) | static_cast<std::uint8_t>(payload[1]) << 8 |
        static_cast<std::uint8_t>(payload[2]) << 16 |
        static_cast<std::uint32_t>(static_cast<std::uint8_t>(payload[3])) << 24);
    if (length == 0) return out;
    input_ = payload.substr(4);
    next_ = 0;
    InitTree();
    for (int i = 0; i < 4036; ++i) ring_[i] = ' ';
    int ringPos = 4036;
    std::int64_t count = 0;
    while (count < length) {
      int n = child_[626];
      while (n < 627) n = child_[n + ReadBits(1)];
      const int symbol = n - 627;
      Update(symbol);
      if (symbol < 256) {
        out.push_back(static_cast<char>(symbol));
        ring_[ringPos] = static_cast<std::uint8_t>(symbol);
        ringPos = (ringPos + 1) & 0xFFF;
        ++count;
        continue;
      }
      const int b = ReadBits(8);
      const int upper = Upper(b);
      const int extra = Bits(b) - 2;
      const int lower = ((b << extra) | ReadBits(extra)) & 0x3F;
      const int distance = upper << 6 | lower;
      const int start = (ringPos - distance - 1) & 0xFFF;
      const int matchLength = symbol - 253;
      count += matchLength;
      for (int k = 0; k < matchLength; ++k) {
        const std::uint8_t c = ring_[(start + k) & 0xFFF];
        out.push_back(static_cast<char>(c));
        ring_[ringPos] = c;
        ringPos = (ringPos + 1) & 0xFFF;
      }
    }
    return out;
  }

 private:
  static int Upper(int b) {
    if (b < 0x20) return 0;
    if (b < 0x50) return 1 + (b - 0x20) / 16;
    if (b < 0x90) return 4 + (b - 0x50) / 8;
    if (b < 0xC0) return 12 + (b - 0x90) / 4;
    if (b < 0xF0) return 24 + (b - 0xC0) / 2;
    return 48 + (b - 0xF0);
  }
  static int Bits(int b) {
    if (b < 0x20) return 3;
    if (b < 0x50) return 4;
    if (b < 0x90) return 5;
    if (b < 0xC0) return 6;
    if (b < 0xF0) return 7;
    return 8;
  }

  int ReadByte() {
    if (next_ >= input_.size()) return 0;
    return static_cast<std::uint8_t>(input_[next_++]);
  }

  int ReadBits(int k) {
    if (bitCount_ <= 8) {
      bitBuffer_ |= static_cast<std::uint32_t>(ReadByte()) << (8 - bitCount_);
      bitCount_ += 8;
    }
    const int value = static_cast<int>((bitBuffer_ >> (16 - k)) & ((1u << k) - 1));
    bitBuffer_ <<= k;
    bitCount_ -= k;
    return value;
  }

  void InitTree() {
    for (int s = 0; s < 314; ++s) {
      freq_[s] = 1;
      child_[s] = s + 627;
      parent_[s + 627] = s;
    }
    for (int i = 0, j = 314; j < 627; i += 2, ++j) {
      freq_[j] = freq_[i] + freq_[i + 1];
      child_[j] = i;
      parent_[i] = parent_[i + 1] = j;
    }
    freq_[627] = 0xFFFF;
    parent_[626] = 0;
    bitBuffer_ = 0;
    bitCount_ = 0;
  }

  void Rebuild() {
    int j = 0;
    for (int i = 0; i < 627; ++i) {
      if (child_[i] >= 627) {
        freq_[j] = static_cast<std::int32_t>((static_cast<std::uint32_t>(freq_[i]) + 1) / 2);
        child_[j] = child_[i];
        ++j;
      }
    }
    for (int i = 0, n = 314; n < 627; i += 2, ++n) {
      const std::uint32_t f = static_cast<std::uint32_t>(freq_[i] + freq_[i + 1]);
      freq_[n] = static_cast<std::int32_t>(f);
      int k = n - 1;
      while (f < static_cast<std::uint32_t>(freq_[k])) --k;
      ++k;
      for (int m = n; m > k; --m) {
        freq_[m] = freq_[m - 1];
        child_[m] = child_[m - 1];
      }
      freq_[k] = static_cast<std::int32_t>(f);
      child_[k] = i;
    }
    for (int i = 0; i < 627; ++i) {
      const int c = child_[i];
      if (c >= 627) {
        parent_[c] = i;
      } else {
        parent_[c] = parent_[c + 1] = i;
      }
    }
  }

  void Update(int symbol) {
    if (freq_[626] == 0x8000) Rebuild();
    int n = parent_[symbol + 627];
    do {
      const std::int32_t k = ++freq_[n];
      if (k > freq_[n + 1]) {
        int m = n + 2;
        while (k > freq_[m]) ++m;
        const int l = m - 1;
        freq_[n] = freq_[l];
        freq_[l] = k;
        const int a = child_[n];
        const int b = child_[l];
        parent_[a] = l;
        if (a < 627) parent_[a + 1] = l;
        child_[l] = a;
        parent_[b] = n;
        if (b < 627) parent_[b + 1] = n;
        child_[n] = b;
        n = l;
      }
      n = parent_[n];
    } while (n != 0);
  }

  std::string_view input_;
  std::size_t next_ = 0;
  std::uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
  std::uint8_t ring_[4096] = {};
  std::int32_t freq_[628] = {};
  std::int32_t child_[627] = {};
  std::int32_t parent_[941] = {};
};

}  // namespace setup::testing
