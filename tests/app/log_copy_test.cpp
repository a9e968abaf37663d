// The log copy a deployment tool asks for: whole, in folders made for it, or not at all.
#include "app/log_copy.h"

#include <gtest/gtest.h>

#include "support/fake_file_system.h"

namespace setup::testing {
namespace {

TEST(LogCopy, ArrivesWholeOrNotAtAll) {
  struct Case {
    const char* name;
    const char* target;
    bool blockFolder;  // a file stands where the target's folder should be
    bool copied;
  };
  const Case cases[] = {
      {"into an existing folder", "C:\\acme.log", false, true},
      {"into folders still to make", "C:\\logs\\fleet\\acme.log", false, true},
      {"forward slashes", "C:/logs/acme.log", false, true},
      {"a file in the folder's place", "C:\\logs\\acme.log", true, false},
  };
  for (const Case& c : cases) {
    FakeFileSystem files;
    const std::string log(40000, 'x');  // more than one buffer's worth
    files.PutFile("C:\\Apps\\Acme\\SETUP.LOG", log);
    if (c.blockFolder) files.PutFile("C:\\logs", "not a folder");
    EXPECT_EQ(c.copied, CopyInstallationLog(files, "C:\\Apps\\Acme\\SETUP.LOG", c.target))
        << c.name;
    EXPECT_EQ(c.copied ? std::optional<std::string>(log) : std::nullopt, files.FileBytes(c.target))
        << c.name;
  }
  FakeFileSystem files;
  EXPECT_FALSE(CopyInstallationLog(files, "C:\\none\\SETUP.LOG", "C:\\acme.log"));
  EXPECT_FALSE(files.FileExists("C:\\acme.log"));
}

}  // namespace
}  // namespace setup::testing
