// The host's ANSI code pages against what Windows answers, and the machine's choice of one.
#include "platform/host/ansi_code_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/host/host_platform.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace setup::testing {
namespace {

// Bytes of each code page with the UTF-16 unit MultiByteToWideChar gives them on Windows: a
// defined character or two, and the bytes the code page leaves undefined.
struct Mapping {
  unsigned codePage;
  unsigned char byte;
  char16_t unit;
};
constexpr Mapping kMappings[] = {
    {1252, 0x80, 0x20AC}, {1252, 0xE9, 0x00E9}, {1252, 0xA9, 0x00A9}, {1252, 0x81, 0x0081},
    {1252, 0x9D, 0x009D}, {1250, 0x8A, 0x0160}, {1250, 0xE8, 0x010D}, {1250, 0x83, 0x0083},
    {1251, 0xC0, 0x0410}, {1251, 0x88, 0x20AC}, {1251, 0x98, 0x0098}, {1253, 0xC1, 0x0391},
    {1253, 0xAA, 0xF8F9}, {1253, 0xD2, 0xF8FA}, {1253, 0xFF, 0xF8FB}, {1253, 0x9F, 0x009F},
    {1254, 0xD0, 0x011E}, {1254, 0x8E, 0x008E}, {1255, 0xE0, 0x05D0}, {1255, 0xCA, 0x05BA},
    {1255, 0xD9, 0xF88D}, {1255, 0xFF, 0xF896}, {1255, 0x8A, 0x008A}, {1256, 0xC7, 0x0627},
    {1256, 0x81, 0x067E}, {1257, 0xE0, 0x0105}, {1257, 0xA1, 0xF8FC}, {1257, 0xA5, 0xF8FD},
    {1258, 0xC3, 0x0102}, {1258, 0xCC, 0x0300}, {1258, 0x8D, 0x008D}, {437, 0x82, 0x00E9},
    {437, 0xB3, 0x2502},  {437, 0xF9, 0x2219},  {437, 0x01, 0x0001},  {850, 0x82, 0x00E9},
    {850, 0xD5, 0x0131},  {850, 0x7F, 0x007F},
};

TEST(AnsiCodePage, BytesMapAsWindowsMapsThem) {
  for (const Mapping& m : kMappings) {
    std::optional<AnsiCodePage> codePage = AnsiCodePage::Load(m.codePage);
    ASSERT_TRUE(codePage) << m.codePage;
    EXPECT_EQ(int{m.unit}, int{codePage->ToUnicode(m.byte)})
        << "code page " << m.codePage << " byte " << int{m.byte};
  }
}

// Every byte of every code page against the table recorded from MultiByteToWideChar.
TEST(AnsiCodePage, EveryByteMatchesTheRecordedWindowsTable) {
  std::ifstream table(SETUP_SOURCE_DIR "/tests/host/data/windows_code_pages.txt");
  ASSERT_TRUE(table.good());
  std::string line;
  int codePages = 0;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    unsigned number = 0;
    char colon = 0;
    fields >> number >> colon;
    std::optional<AnsiCodePage> codePage = AnsiCodePage::Load(number);
    ASSERT_TRUE(codePage) << number;
    for (int byte = 0; byte < 256; ++byte) {
      unsigned unit = 0;
      fields >> std::hex >> unit;
      ASSERT_TRUE(fields) << number;
      EXPECT_EQ(unit, unsigned{codePage->ToUnicode(static_cast<unsigned char>(byte))})
          << "code page " << number << " byte " << byte;
    }
    ++codePages;
  }
  EXPECT_EQ(static_cast<int>(AnsiCodePage::Supported().size()), codePages);
}

TEST(AnsiCodePage, EveryByteRoundTripsThroughUtf16AndUtf8) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  for (unsigned number : AnsiCodePage::Supported()) {
    std::optional<AnsiCodePage> codePage = AnsiCodePage::Load(number);
    ASSERT_TRUE(codePage) << number;
    EXPECT_EQ(number, codePage->number());
    std::string back;
    ASSERT_TRUE(codePage->FromUtf16(codePage->ToUtf16(all), &back)) << number;
    EXPECT_EQ(all, back) << number;
    back.clear();
    ASSERT_TRUE(codePage->FromUtf8(codePage->ToUtf8(all), &back)) << number;
    EXPECT_EQ(all, back) << number;
  }
}

TEST(AnsiCodePage, CharactersWithoutAByteAreRefusedNotGuessed) {
  struct Case {
    unsigned codePage;
    std::string utf8;
    bool held;
    std::string ansi;
  };
  const Case cases[] = {
      {1252, "\xC3\xA0 \xC3\xA7 \xC3\xA9 \xC2\xA9 \xE2\x82\xAC", true, "\xE0 \xE7 \xE9 \xA9 \x80"},
      {1252, "Ma\xC5\x82y", false, ""},        // Polish ł: no best-fit 'l'
      {1250, "Ma\xC5\x82y", true, "Ma\xB3y"},  // but 1250 has it
      {1251, "\xC3\xA9", false, ""},
      {437, "\xE2\x82\xAC", false, ""},
      {1252, "\xF0\x9F\x98\x80", false, ""},  // beyond the BMP
      {1252, "caf\xE9", false, ""},           // not UTF-8 at all
      {1252, "\xC0\xAF", false, ""},          // an overlong form
      {1252, "\xED\xA0\x80", false, ""},      // a surrogate
  };
  for (const Case& c : cases) {
    std::optional<AnsiCodePage> codePage = AnsiCodePage::Load(c.codePage);
    ASSERT_TRUE(codePage);
    std::string ansi = "unchanged";
    EXPECT_EQ(c.held, codePage->FromUtf8(c.utf8, &ansi)) << c.utf8;
    EXPECT_EQ(c.held ? c.ansi : "unchanged", ansi) << c.utf8;
  }
  std::string ansi;
  EXPECT_FALSE(AnsiCodePage().FromUtf16(u"\xD800", &ansi)) << "a lone surrogate";
}

TEST(AnsiCodePage, OnlyTheSingleByteCodePagesLoad) {
  for (unsigned number : {0u, 932u, 936u, 65001u, 1200u, 12000u}) {
    EXPECT_FALSE(AnsiCodePage::Load(number)) << number;
  }
  EXPECT_EQ("Windows-1252", AnsiCodePage().Name());
  EXPECT_EQ("IBM850", AnsiCodePage::Load(850)->Name());
}

TEST(MachineCodePage, NewMachineGets1252AndTheRegistryChoosesIt) {
  struct Case {
    std::string acp;  // written into registry.reg before the second start; empty: left alone
    unsigned number;  // 0: the start fails
  };
  const Case cases[] = {{"", 1252}, {"1251", 1251}, {"437", 437}, {"932", 0}, {"12x", 0}};
  for (const Case& c : cases) {
    TempDir temp;
    const std::string machine = temp.Native("machine");
    ScriptedWindowSystem windows;
    {
      HostPlatform host(machine, temp.Native(), windows);
      ASSERT_EQ("", host.Open());
      EXPECT_EQ(1252u, host.codePage().number());
    }
    std::string reg = ReadFileBytes(machine + "/registry.reg");
    const std::string key =
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n"
        "\"ACP\"=\"1252\"";
    ASSERT_NE(std::string::npos, reg.find(key)) << reg;
    if (!c.acp.empty()) {
      reg.replace(reg.find("\"ACP\"=\"1252\""), 12, "\"ACP\"=\"" + c.acp + "\"");
      WriteFileBytes(machine + "/registry.reg", reg);
    }
    HostPlatform host(machine, temp.Native(), windows);
    const std::string error = host.Open();
    if (c.number == 0) {
      EXPECT_NE(std::string::npos, error.find("ANSI code page \"" + c.acp + "\"")) << error;
      continue;
    }
    EXPECT_EQ("", error);
    EXPECT_EQ(c.number, host.codePage().number());
  }
}

}  // namespace
}  // namespace setup::testing
