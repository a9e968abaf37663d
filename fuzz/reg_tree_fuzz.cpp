// Registry trees with any names and data the host registry accepts: written as REGEDIT4 text,
// read back and written again, they must give the same text and hold every value unchanged.
// The input is 0x01-separated: key levels (each cut at 0x02 into the levels of one key), then
// after a 0x03 byte the value's name, type byte and data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "platform/host/registry/reg_file.h"

namespace {

// What the host registry can create: names it can store, without the level separator, and
// not empty (an empty subkey names the key itself).
bool IsCreatableKeyName(const std::string& name) {
  return !name.empty() && name.find('\\') == std::string::npos && setup::IsStorableRegName(name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  setup::RegistryTree tree;
  struct Stored {
    int root;
    std::vector<std::string> path;
    setup::RegistryValue value;
  };
  std::vector<Stored> stored;

  const auto values = setup::fuzz::SplitInput(data, size, '\x03', 64);
  for (std::size_t v = 0; v + 1 < values.size(); v += 2) {
    const auto& keyText = values[v];
    const auto& valueText = values[v + 1];
    const auto levels = setup::fuzz::SplitInput(
        reinterpret_cast<const std::uint8_t*>(keyText.data()), keyText.size(), '\x02', 16);
    Stored item;
    item.root = keyText.empty() ? 0 : static_cast<std::uint8_t>(keyText[0]) % 4;
    for (std::size_t i = 1; i < levels.size(); ++i) {
      if (IsCreatableKeyName(levels[i])) item.path.push_back(levels[i]);
    }
    const auto parts = setup::fuzz::SplitInput(
        reinterpret_cast<const std::uint8_t*>(valueText.data()), valueText.size(), '\x01', 3);
    item.value.name = parts[0];
    if (!setup::IsStorableRegName(item.value.name)) continue;
    item.value.type =
        parts.size() > 1 && !parts[1].empty() ? static_cast<std::uint8_t>(parts[1][0]) % 12 : 1;
    if (parts.size() > 2) item.value.data.assign(parts[2].begin(), parts[2].end());
    bool created = false;
    tree.Create(item.root, item.path, &created)
        .SetValue(item.value.name, item.value.type, item.value.data);
    stored.push_back(item);
  }

  const std::string text = setup::SerializeRegFile(tree);
  setup::RegistryTree again;
  const setup::RegParseError error = setup::ParseRegFile(text, &again);
  if (error.line != 0)
    __builtin_printf("%d: %s\n%s\n", error.line, error.message.c_str(), text.c_str());
  FUZZ_CHECK(error.line == 0);
  FUZZ_CHECK(setup::SerializeRegFile(again) == text);

  // Every value reads back with its type and data, as the tree held it last.
  for (const Stored& item : stored) {
    const setup::RegistryKeyNode* original = tree.Find(item.root, item.path);
    const setup::RegistryKeyNode* reread = again.Find(item.root, item.path);
    FUZZ_CHECK(original != nullptr && reread != nullptr);
    const setup::RegistryValue* before = original->FindValue(item.value.name);
    const setup::RegistryValue* after = reread->FindValue(item.value.name);
    FUZZ_CHECK(before != nullptr && after != nullptr);
    FUZZ_CHECK(before->type == after->type && before->data == after->data);
  }
  return 0;
}
