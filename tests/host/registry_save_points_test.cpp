// The host registry's index by folded name and its save points: changes wait in memory until a
// tick ends or a message box opens, and then reach the file as a whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/host/registry/host_registry.h"
#include "platform/host/save_point_window_system.h"
#include "support/temp_dir.h"

namespace setup {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

TEST(RegistryIndex, ManyValuesAreFoundInAnyCaseAndKeepTheirFirstSpelling) {
  RegistryKeyNode key;
  constexpr int kValues = 20000;
  for (int i = 0; i < kValues; ++i) {
    key.SetValue("Value\xC4" + std::to_string(i), REG_DWORD, {static_cast<std::uint8_t>(i)});
  }
  key.SetValue(
      "VALUE\xC4"
      "7",
      REG_SZ, {42});  // the same value in another case
  key.SetValue(
      "value\xE4"
      "8",
      REG_SZ, {43});  // Windows-1252: \xC4 and \xE4 pair
  ASSERT_EQ(key.values.size(), static_cast<std::size_t>(kValues));
  const std::vector<std::pair<std::string, int>> cases = {{"value\xE4"
                                                           "0",
                                                           0},
                                                          {"VALUE\xC4"
                                                           "19999",
                                                           31},
                                                          {"vAlUe\xC4"
                                                           "7",
                                                           42},
                                                          {"Value\xC4"
                                                           "8",
                                                           43}};
  for (const auto& [name, first] : cases) {
    const RegistryValue* value = key.FindValue(name);
    ASSERT_NE(value, nullptr) << name;
    EXPECT_EQ(value->data.front(), first) << name;
  }
  EXPECT_EQ(key.FindValue("Value\xC4"
                          "7")
                ->name,
            "Value\xC4"
            "7");
  EXPECT_EQ(key.FindValue("Value\xC4"
                          "20000"),
            nullptr);
  // Removing moves the later values; the index follows.
  ASSERT_TRUE(
      key.RemoveValue("VALUE\xC4"
                      "3"));
  EXPECT_EQ(key.FindValue("value\xC4"
                          "3"),
            nullptr);
  EXPECT_EQ(key.FindValue("value\xC4"
                          "19999")
                ->data.front(),
            31);
  RegistryKeyNode& sub = key.AddSubkey("Sub");
  sub.SetValue("x", REG_SZ, {1});
  EXPECT_EQ(&key.AddSubkey("SUB"), &sub);
  ASSERT_TRUE(key.RemoveSubkey("sub"));
  EXPECT_EQ(key.FindSubkey("Sub"), nullptr);
}

std::string SetString(Registry& registry, const std::string& name, const std::string& value) {
  ScopedRegKey key(registry);
  if (registry.CreateKey(kHkeyCurrentUser, "Software\\Saved", nullptr, key.receive()) != 0) {
    return "no key";
  }
  const std::vector<std::uint8_t> data(value.begin(), value.end());
  return registry.SetValue(key.get(), name, REG_SZ, data.data(),
                           static_cast<std::uint32_t>(data.size())) == 0
             ? ""
             : "no value";
}

// Runs one dialog: ticks until it ends; a message box records what the file then holds.
class TickingWindows final : public WindowSystem {
 public:
  explicit TickingWindows(std::string path) : path_(std::move(path)) {}
  int RunModalDialog(Dialog& dialog, WindowHandle) override {
    dialog.m_hWnd = reinterpret_cast<WindowHandle>(this);
    dialog.OnInitDialog();
    for (int tick = 0; !ended_ && tick < 100; ++tick) dialog.OnTimer(1);
    dialog.OnDestroyWindow();
    return result_;
  }
  void EndDialog(WindowHandle, int result) override { ended_ = true, result_ = result; }
  int MessageBox(WindowHandle, const std::string&, const char*, unsigned) override {
    atBox.push_back(ReadFileBytes(path_));
    return IDOK;
  }
  std::string ApplicationTitle() override { return "setup"; }
  void SetWindowText(WindowHandle, const std::string&) override {}
  void SetDlgItemText(WindowHandle, int, const std::string&) override {}
  std::string GetDlgItemText(WindowHandle, int) override { return ""; }
  unsigned SetTimer(WindowHandle, unsigned id, unsigned) override { return id; }
  void KillTimer(WindowHandle, unsigned) override {}
  void SetProgressRange(WindowHandle, int, std::uint32_t) override {}
  void SetProgressPos(WindowHandle, int, int) override {}

  std::vector<std::string> atBox;

 private:
  std::string path_;
  bool ended_ = false;
  int result_ = 0;
};

// Each tick writes one value and notes what the file held when the tick began.
class StepDialog final : public Dialog {
 public:
  StepDialog(WindowSystem& windows, HostRegistry& registry, const std::string& path)
      : Dialog(windows, 1), registry_(registry), path_(path) {}
  void OnTimer(unsigned) override {
    atTick.push_back(ReadFileBytes(path_));
    const std::string name = "step" + std::to_string(atTick.size());
    EXPECT_EQ(SetString(registry_, name, "done"), "");
    if (atTick.size() == 2) {
      EXPECT_EQ(SetString(registry_, "beforeBox", "done"), "");
      MessageBox("waits for the user");
    }
    if (atTick.size() == 3) EndDialog(IDOK);
  }
  std::vector<std::string> atTick;

 private:
  HostRegistry& registry_;
  std::string path_;
};

TEST(RegistrySavePoints, AStepIsOnDiskWhenTheNextBeginsAndBeforeEveryBox) {
  TempDir dir;
  const std::string path = dir.Native("registry.reg");
  HostRegistry registry(path);
  registry.KeepChangesUntilFlush();
  ASSERT_EQ(registry.Open(), "");
  TickingWindows frontEnd(path);
  SavePointWindowSystem windows(frontEnd, [&] { static_cast<void>(registry.Flush()); });
  StepDialog dialog(windows, registry, path);
  EXPECT_EQ(dialog.DoModal(), IDOK);

  ASSERT_EQ(dialog.atTick.size(), 3u);
  EXPECT_EQ(dialog.atTick[0], "");
  EXPECT_NE(dialog.atTick[1].find("\"step1\""), std::string::npos) << "a kill now loses nothing";
  ASSERT_EQ(frontEnd.atBox.size(), 1u);
  EXPECT_NE(frontEnd.atBox[0].find("\"beforeBox\""), std::string::npos);
  EXPECT_NE(dialog.atTick[2].find("\"step2\""), std::string::npos);
  EXPECT_NE(ReadFileBytes(path).find("\"step3\""), std::string::npos);
}

TEST(RegistrySavePoints, UnsavedChangesWaitAndMergeWithAnotherWriter) {
  TempDir dir;
  const std::string path = dir.Native("registry.reg");
  {
    HostRegistry deferred(path);
    deferred.KeepChangesUntilFlush();
    ASSERT_EQ(SetString(deferred, "mine", "1"), "");
    EXPECT_EQ(ReadFileBytes(path), "") << "nothing saved before the save point";
    HostRegistry other(path);  // saves every change at once
    ASSERT_EQ(SetString(other, "theirs", "2"), "");
    std::uint32_t size = 0;
    ScopedRegKey key(deferred);
    ASSERT_EQ(deferred.OpenKey(kHkeyCurrentUser, "software\\saved", key.receive()), 0u);
    EXPECT_EQ(deferred.QueryValue(key.get(), "THEIRS", nullptr, &size), 0u) << "reloaded";
    EXPECT_EQ(deferred.QueryValue(key.get(), "MINE", nullptr, &size), 0u) << "and kept";
    ASSERT_EQ(deferred.Flush(), 0u);
    const std::uint64_t saves = deferred.SaveCount();
    ASSERT_EQ(deferred.Flush(), 0u);
    EXPECT_EQ(deferred.SaveCount(), saves) << "nothing new, nothing written";
    ASSERT_EQ(SetString(deferred, "atExit", "3"), "");
  }
  const std::string text = ReadFileBytes(path);
  for (const char* name : {"\"mine\"", "\"theirs\"", "\"atExit\""}) {
    EXPECT_NE(text.find(name), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace setup
