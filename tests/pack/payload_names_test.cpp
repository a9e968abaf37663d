// Payloads named like libraries are stored under names Windows never loads, and the script
// names what is stored.
#include "pack/payload_names.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>
namespace setup::pack {
namespace {

TEST(StoredPayloadNames, RenamesLibrariesOnlyAndKeepsEveryNameDistinct) {
  const std::vector<std::string> sources = {"zlib1.dll", "zlib1.dl_", "ZLIB1.DLL", "sys/Grid.OCX",
                                            "mouse.drv", "notes.txt", "x.dll.txt", "macro.dll"};
  std::vector<PayloadLine> lines;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    lines.push_back(PayloadLine{static_cast<int>(i) + 1, sources[i], sources[i] != "macro.dll"});
  }
  const std::map<std::string, std::string> expected = {{"zlib1.dll", "zlib1~2.dl_"},
                                                       {"ZLIB1.DLL", "ZLIB1~3.DL_"},
                                                       {"sys/Grid.OCX", "sys/Grid.OC_"},
                                                       {"mouse.drv", "mouse.dr_"}};
  EXPECT_EQ(expected, StoredPayloadNames(sources, lines));
}

TEST(WithStoredSources, RewritesOnlyTheSourceFieldsOfVerbatimLines) {
  const std::string script =
      "X|C:\\Acme\r\n"
      "F|zlib1.dll|?APPDIR?\\zlib1.dll\r\n"
      "f#plugins/Blur.DLL#?APPDIR?\\plugins\\blur.dll\r\n"
      "; F|zlib1.dll|comment\r\n"
      "F|zlib1.dll|?APPDIR?\\again.dll\r\n";
  const std::vector<PayloadLine> lines = {
      {2, "zlib1.dll", true}, {3, "plugins/Blur.DLL", true}, {5, "zlib1.dll", true}};
  const std::map<std::string, std::string> stored = {{"zlib1.dll", "zlib1.dl_"},
                                                     {"plugins/Blur.DLL", "plugins/Blur.DL_"}};
  EXPECT_EQ(
      "X|C:\\Acme\r\n"
      "F|zlib1.dl_|?APPDIR?\\zlib1.dll\r\n"
      "f#plugins/Blur.DL_#?APPDIR?\\plugins\\blur.dll\r\n"
      "; F|zlib1.dll|comment\r\n"
      "F|zlib1.dl_|?APPDIR?\\again.dll\r\n",
      WithStoredSources(script, lines, stored));
}

}  // namespace
}  // namespace setup::pack
