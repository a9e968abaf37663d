// The installation record's text, its merge of installations, and its check against the digest
// the installer stored.
#include "base/installation_record.h"

#include <gtest/gtest.h>

#include "base/installation_record_store.h"
#include "base/registry_access.h"
#include "support/fake_file_system.h"
#include "support/fake_registry.h"

namespace setup::testing {
namespace {

InstallationRecord Sample() {
  InstallationRecord record;
  record.product = "Prod 1";
  record.installDir = "C:\\Program Files\\Prod";
  record.AddFile({"C:\\Program Files\\Prod\\a b.txt", 5, DigestOf("hello")});
  record.AddSharedRaise("C:\\Windows\\System32\\x.dll", 1);
  record.AddLink("C:\\Start\\Prod.lnk");
  record.AddValue('|', "HKEY_CURRENT_USER|Software|A\\B|Value\\Name");
  return record;
}

TEST(InstallationRecord, ReadsBackWhatItWritesAndAddsInstallationsUp) {
  InstallationRecord record = Sample();
  // A second installation: the same file in other letters replaces it; raises add up.
  record.AddFile({"c:\\program files\\PROD\\\\A B.TXT", 6, DigestOf("hello!")});
  record.AddSharedRaise("C:\\WINDOWS\\System32\\X.DLL", 1);
  record.AddValue('\\', "HKEY_CURRENT_USER\\SOFTWARE\\a\\b\\value\\name");  // not the same
  record.AddFile({"C:\\bad\nname", 1, {}});                                 // cannot be written
  std::string error;
  const std::optional<InstallationRecord> read =
      ParseInstallationRecord(FormatInstallationRecord(record), &error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ("Prod 1", read->product);
  ASSERT_EQ(1u, read->files.size());
  EXPECT_EQ("C:\\Program Files\\Prod\\a b.txt", read->files[0].path);
  EXPECT_EQ(6u, read->files[0].size);
  EXPECT_EQ(DigestOf("hello!"), read->files[0].digest);
  ASSERT_EQ(1u, read->sharedFiles.size());
  EXPECT_EQ(2u, read->sharedFiles[0].raised);
  EXPECT_EQ(2u, read->values.size());
  EXPECT_EQ('|', read->values[0].separator);
  EXPECT_EQ("HKEY_CURRENT_USER|Software|A\\B|Value\\Name", read->values[0].keyPath);
}

TEST(InstallationRecord, RefusesAnyTextThatIsNotAWholeRecord) {
  const std::string good = FormatInstallationRecord(Sample());
  const std::string digest(64, 'a');
  const std::vector<std::string> bad = {
      "",
      good.substr(0, good.size() - 1),  // cut short
      "Setup installation record 2\nproduct\tP\ndirectory\tC:\\P\n",
      "Some other file\n",
      "Setup installation record 1\nproduct\tP\n",  // no directory
      good + "product\tQ\n",
      good + "file\t1\t" + digest + "\n",  // no path
      good + "file\t-1\t" + digest + "\tC:\\x\n",
      good + "file\t01\t" + digest + "\tC:\\x\n",
      good + "file\t1\t" + std::string(64, 'A') + "\tC:\\x\n",
      good + "shared\t0\tC:\\x.dll\n",
      good + "shared\t2147483648\tC:\\x.dll\n",
      good + "link\t\n",
      good + "value\t|\n",
      good + "unknown\tx\n",
      good + "file\t1\t" + digest + "\tC:\\x\r\n",
      good + std::string("link\tC:\\a\0b\n", 13),
  };
  for (const std::string& text : bad) {
    SCOPED_TRACE(text);
    std::string error;
    EXPECT_FALSE(ParseInstallationRecord(text, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(InstallationRecordStore, TrustsOnlyTheTextWhoseDigestIsStored) {
  FakeFileSystem files;
  FakeRegistry registry;
  const std::string dir = "C:\\Program Files\\Prod";
  files.PutFile(dir + "\\x", "");
  EXPECT_EQ(RecordStatus::kMissing, ReadInstallationRecord(files, registry, dir).status);
  ASSERT_TRUE(WriteInstallationRecord(files, registry, dir, Sample()));
  EXPECT_FALSE(files.FileExists(RecordSidePath(dir)));
  StoredRecord stored = ReadInstallationRecord(files, registry, dir);
  ASSERT_EQ(RecordStatus::kTrusted, stored.status) << stored.problem;
  EXPECT_EQ(1u, stored.record.files.size());

  // Read from another directory, it is another installation's.
  files.PutFile("C:\\Elsewhere\\" + std::string(kInstallationRecordName),
                FormatInstallationRecord(Sample()));
  EXPECT_EQ(RecordStatus::kUntrusted,
            ReadInstallationRecord(files, registry, "C:\\Elsewhere").status);

  // Killed between the stored digest and the rename: the side file holds the new text.
  InstallationRecord next = Sample();
  next.AddLink("C:\\Start\\Second.lnk");
  const std::string text = FormatInstallationRecord(next);
  files.PutFile(RecordSidePath(dir), text);
  ASSERT_EQ(1, WriteRegistryString(
                   registry, ProductUninstallKey("Prod 1") + "\\" + kInstallationRecordDigestValue,
                   DigestText(DigestOf(text)), '\\'));
  stored = ReadInstallationRecord(files, registry, dir);
  ASSERT_EQ(RecordStatus::kTrusted, stored.status) << stored.problem;
  EXPECT_EQ(2u, stored.record.links.size());

  // One byte changed in either file: nothing is trusted.
  files.PutFile(RecordSidePath(dir), text + "link\tC:\\Windows\\x\n");
  stored = ReadInstallationRecord(files, registry, dir);
  EXPECT_EQ(RecordStatus::kUntrusted, stored.status);
  EXPECT_NE(std::string::npos, stored.problem.find("does not match")) << stored.problem;
}

}  // namespace
}  // namespace setup::testing
