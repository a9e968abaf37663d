// The dialog templates as windres built them into Setup.exe must be the templates of the table
// the other front ends draw from: read back from the program file and compared field by field.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/windows_headers.h"
#include "support/control_class.h"
#include "support/win32/setup_exe.h"
#include "ui/dialog_templates.h"

namespace setup {
namespace {

// How the reader shows an ordinal: "#" and its number. (Built by appending: GCC 12 sees a
// false overlap in "#" + std::to_string(...).)
std::string Ordinal(int number) {
  std::string text = "#";
  text += std::to_string(number);
  return text;
}

// Reads the fields of a DLGTEMPLATEEX resource in order, never past its end.
class TemplateReader {
 public:
  TemplateReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  std::uint16_t Word() { return static_cast<std::uint16_t>(Bytes(2)); }
  std::uint32_t Dword() { return static_cast<std::uint32_t>(Bytes(4)); }
  int Short() { return static_cast<std::int16_t>(Word()); }
  void AlignDword() { pos_ = (pos_ + 3) & ~std::size_t{3}; }
  void Skip(std::size_t count) {
    if (count > size_ - std::min(pos_, size_)) ok_ = false;
    pos_ += count;
  }

  // A string or an ordinal: "#n" for ordinals, the text (in ASCII) for strings.
  std::string StringOrOrdinal() {
    const std::uint16_t first = Word();
    if (first == 0xFFFF) return Ordinal(Word());
    std::string text;
    for (std::uint16_t unit = first; ok_ && unit != 0; unit = Word()) {
      text += static_cast<char>(unit);
    }
    return text;
  }

 private:
  std::uint64_t Bytes(int count) {
    if (pos_ + count > size_) {
      ok_ = false;
      return 0;
    }
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | data_[pos_ + i];
    pos_ += count;
    return value;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

std::string ClassOrdinalName(const std::string& windowClass) {
  if (windowClass == "#128") return "Button";
  if (windowClass == "#129") return "Edit";
  if (windowClass == "#130") return "Static";
  return windowClass;
}

TEST(CompiledTemplates, SetupExeHoldsTheTableTemplates) {
  const std::string program = testing::SetupExePath();
  HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << "cannot load " << program << " (build Setup.exe first)";
  for (const DialogTemplate& expected : DialogTemplates()) {
    SCOPED_TRACE("dialog " + std::to_string(expected.id));
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(expected.id), MAKEINTRESOURCEA(5));
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    TemplateReader in(data, SizeofResource(module, found));

    EXPECT_EQ(in.Word(), 1);       // DLGTEMPLATEEX version
    EXPECT_EQ(in.Word(), 0xFFFF);  // its signature
    in.Dword();                    // help id
    EXPECT_EQ(in.Dword(), expected.exStyle);
    EXPECT_EQ(in.Dword(), expected.style);
    const int count = in.Word();
    EXPECT_EQ((std::vector<int>{in.Short(), in.Short(), in.Short(), in.Short()}),
              (std::vector<int>{expected.x, expected.y, expected.cx, expected.cy}));
    EXPECT_EQ(in.StringOrOrdinal(), "");  // no menu
    EXPECT_EQ(in.StringOrOrdinal(), "");  // the standard dialog class
    EXPECT_EQ(in.StringOrOrdinal(), expected.caption);
    ASSERT_NE(expected.style & kDsSetFont, 0u);
    EXPECT_EQ(in.Word(), expected.fontPointSize);
    in.Skip(4);  // weight, italic, character set
    EXPECT_EQ(in.StringOrOrdinal(), expected.fontName);

    ASSERT_EQ(static_cast<std::size_t>(count), expected.controls.size());
    for (const ControlTemplate& control : expected.controls) {
      SCOPED_TRACE(std::string("control ") + control.text);
      in.AlignDword();
      in.Dword();  // help id
      EXPECT_EQ(in.Dword(), 0u);
      EXPECT_EQ(in.Dword(), control.style);
      EXPECT_EQ((std::vector<int>{in.Short(), in.Short(), in.Short(), in.Short()}),
                (std::vector<int>{control.x, control.y, control.cx, control.cy}));
      EXPECT_EQ(static_cast<std::int32_t>(in.Dword()), control.id);
      EXPECT_STRCASEEQ(ClassOrdinalName(in.StringOrOrdinal()).c_str(),
                       testing::ControlClassName(control.kind).c_str());
      const std::string text = in.StringOrOrdinal();
      EXPECT_EQ(text, control.kind == ControlKind::kIcon ? Ordinal(std::stoi(control.text))
                                                         : std::string(control.text));
      in.Skip(in.Word());  // creation data
    }
    EXPECT_TRUE(in.ok()) << "the template ends early";
  }
  // The program icon is there; icon 129, which the installation page names, is not.
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14)), nullptr);
  EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(129), MAKEINTRESOURCEA(14)), nullptr);
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)), nullptr)
      << "version resource";
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)), nullptr)
      << "manifest";
  FreeLibrary(module);
}

}  // namespace
}  // namespace setup
