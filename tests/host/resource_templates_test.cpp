// The resource script that the Windows program is built from must hold the same dialog
// templates as the table the other front ends draw from, and the icon it names must be the
// two 16-colour images the program carries.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/control_class.h"
#include "ui/dialog_templates.h"

namespace setup {
namespace {

const std::filesystem::path kResources = std::filesystem::path(SETUP_SOURCE_DIR) / "resources";

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Token {
  enum Kind { kWord, kString, kPunct } kind;
  std::string text;
};

// Splits resource-script text into words, strings and punctuation; comments and preprocessor
// lines go, except the #define lines, which are collected as symbols.
std::vector<Token> Tokenize(const std::string& text, std::map<std::string, std::string>* defines) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  bool lineStart = true;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\n') {
      lineStart = true;
      ++i;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    if (text.compare(i, 2, "//") == 0) {
      i = text.find('\n', i);
      if (i == std::string::npos) break;
      continue;
    }
    if (lineStart && c == '#') {
      const std::size_t end = std::min(text.find('\n', i), text.size());
      std::istringstream line(text.substr(i, end - i));
      std::string directive, name, value;
      line >> directive >> name >> value;
      if (directive == "#define" && !value.empty()) (*defines)[name] = value;
      i = end;
      continue;
    }
    lineStart = false;
    if (c == '"') {
      std::string value;
      ++i;
      while (i < text.size()) {
        if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
          value += '"';
          i += 2;
        } else if (text[i] == '"') {
          ++i;
          break;
        } else {
          value += text[i++];
        }
      }
      tokens.push_back({Token::kString, value});
      continue;
    }
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '(') {
      std::size_t end = i;
      while (end < text.size() &&
             (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_' ||
              text[end] == '-' || text[end] == '(' || text[end] == ')')) {
        ++end;
      }
      tokens.push_back({Token::kWord, text.substr(i, end - i)});
      i = end;
      continue;
    }
    tokens.push_back({Token::kPunct, std::string(1, c)});
    ++i;
  }
  return tokens;
}

// The values of the names the script may use; anything else fails the test.
std::map<std::string, std::int64_t> KnownSymbols() {
  return {
      {"WS_POPUP", kWsPopup},
      {"WS_CHILD", kWsChild},
      {"WS_VISIBLE", kWsVisible},
      {"WS_CAPTION", kWsCaption},
      {"WS_BORDER", kWsBorder},
      {"WS_VSCROLL", kWsVScroll},
      {"WS_SYSMENU", kWsSysMenu},
      {"WS_TABSTOP", kWsTabStop},
      {"DS_SETFONT", kDsSetFont},
      {"DS_MODALFRAME", kDsModalFrame},
      {"WS_EX_APPWINDOW", kWsExAppWindow},
      {"BS_PUSHBUTTON", kBsPushButton},
      {"BS_DEFPUSHBUTTON", kBsDefPushButton},
      {"ES_LEFT", kEsLeft},
      {"ES_MULTILINE", kEsMultiLine},
      {"ES_AUTOHSCROLL", kEsAutoHScroll},
      {"ES_READONLY", kEsReadOnly},
      {"SS_LEFT", kSsLeft},
      {"SS_ICON", kSsIcon},
      {"SS_SUNKEN", kSsSunken},
      {"IDOK", 1},
      {"IDCANCEL", 2},
  };
}

class ResourceScript {
 public:
  ResourceScript() : symbols_(KnownSymbols()) {
    std::map<std::string, std::string> defines;
    Tokenize(ReadText(kResources / "resource.h"), &defines);
    tokens_ = Tokenize(ReadText(kResources / "setup.rc"), &defines);
    for (const auto& [name, value] : defines) {
      if (auto number = Number(value)) symbols_[name] = *number;
    }
  }

  struct Control {
    std::string text;  // a string, or the icon's number as text
    std::int64_t id;
    std::string className;
    std::int64_t style;
    int x, y, cx, cy;
  };
  struct Dialog {
    std::int64_t id;
    int x, y, cx, cy;
    std::int64_t style = 0, exStyle = 0;
    std::string caption, fontName;
    int fontSize = 0;
    std::vector<Control> controls;
  };

  // Every DIALOGEX in the script; problems are reported as test failures.
  std::vector<Dialog> Dialogs() {
    std::vector<Dialog> dialogs;
    for (pos_ = 0; pos_ + 1 < tokens_.size(); ++pos_) {
      if (tokens_[pos_ + 1].text != "DIALOGEX") continue;
      Dialog dialog;
      dialog.id = Value(tokens_[pos_].text);
      pos_ += 2;
      dialog.x = NumberItem(), dialog.y = NumberItem(), dialog.cx = NumberItem();
      dialog.cy = static_cast<int>(Expression());
      while (pos_ < tokens_.size() && tokens_[pos_].text != "BEGIN") {
        const std::string keyword = tokens_[pos_++].text;
        if (keyword == "STYLE") {
          dialog.style = Expression();
        } else if (keyword == "EXSTYLE") {
          dialog.exStyle = Expression();
        } else if (keyword == "CAPTION") {
          dialog.caption = tokens_[pos_++].text;
        } else if (keyword == "FONT") {
          dialog.fontSize = NumberItem();
          dialog.fontName = tokens_[pos_++].text;
        } else {
          ADD_FAILURE() << "dialog " << dialog.id << ": unexpected " << keyword;
        }
      }
      ++pos_;  // BEGIN
      while (pos_ < tokens_.size() && tokens_[pos_].text == "CONTROL") {
        ++pos_;
        Control control;
        const Token& text = tokens_[pos_++];
        control.text = text.kind == Token::kString ? text.text : std::to_string(Value(text.text));
        Comma();
        control.id = Expression();
        Comma();
        control.className = tokens_[pos_++].text;
        Comma();
        control.style = Expression();
        Comma();
        control.x = NumberItem(), control.y = NumberItem(), control.cx = NumberItem();
        control.cy = static_cast<int>(Expression());
        dialog.controls.push_back(control);
      }
      EXPECT_EQ(pos_ < tokens_.size() ? tokens_[pos_].text : "", "END")
          << "dialog " << dialog.id << " holds something other than CONTROL statements";
      dialogs.push_back(dialog);
    }
    return dialogs;
  }

  bool Mentions(const std::string& a, const std::string& b, const std::string& c) const {
    for (std::size_t i = 0; i + 2 < tokens_.size(); ++i) {
      if (tokens_[i].text == a && tokens_[i + 1].text == b && tokens_[i + 2].text == c) {
        return true;
      }
    }
    return false;
  }

 private:
  static std::optional<std::int64_t> Number(std::string text) {
    while (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
      text = text.substr(1, text.size() - 2);
    }
    if (text.empty()) return std::nullopt;
    try {
      std::size_t used = 0;
      const std::int64_t value = std::stoll(text, &used, 0);
      if (used == text.size()) return value;
    } catch (...) {
    }
    return std::nullopt;
  }

  std::int64_t Value(const std::string& word) {
    if (auto number = Number(word)) return *number;
    auto found = symbols_.find(word);
    if (found == symbols_.end()) {
      ADD_FAILURE() << "unknown name in the resource script: " << word;
      return 0;
    }
    return found->second;
  }

  std::int64_t Expression() {
    std::int64_t value = Value(tokens_[pos_++].text);
    while (pos_ < tokens_.size() && tokens_[pos_].text == "|") {
      ++pos_;
      value |= Value(tokens_[pos_++].text);
    }
    return value;
  }

  void Comma() {
    if (pos_ < tokens_.size() && tokens_[pos_].text == ",") {
      ++pos_;
    } else {
      ADD_FAILURE() << "comma expected before "
                    << (pos_ < tokens_.size() ? tokens_[pos_].text : "");
    }
  }

  int NumberItem() {
    const int value = static_cast<int>(Expression());
    Comma();
    return value;
  }

  std::vector<Token> tokens_;
  std::map<std::string, std::int64_t> symbols_;
  std::size_t pos_ = 0;
};

TEST(ResourceTemplates, ScriptAndTableHoldTheSameDialogs) {
  ResourceScript script;
  const auto dialogs = script.Dialogs();
  ASSERT_EQ(dialogs.size(), DialogTemplates().size());
  for (const auto& dialog : dialogs) {
    SCOPED_TRACE("dialog " + std::to_string(dialog.id));
    const DialogTemplate* table = FindDialogTemplate(static_cast<int>(dialog.id));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(dialog.caption, table->caption);
    EXPECT_EQ((std::vector<int>{dialog.x, dialog.y, dialog.cx, dialog.cy}),
              (std::vector<int>{table->x, table->y, table->cx, table->cy}));
    EXPECT_EQ(dialog.style, table->style);
    EXPECT_EQ(dialog.exStyle, table->exStyle);
    EXPECT_EQ(dialog.fontName, table->fontName);
    EXPECT_EQ(dialog.fontSize, table->fontPointSize);
    // Same controls in the same order: the order is the tab order.
    ASSERT_EQ(dialog.controls.size(), table->controls.size());
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
      const auto& control = dialog.controls[i];
      const ControlTemplate& expected = table->controls[i];
      SCOPED_TRACE("control " + std::to_string(i) + " (" + control.text + ")");
      EXPECT_EQ(control.id, expected.id);
      EXPECT_EQ(control.className, testing::ControlClassName(expected.kind));
      EXPECT_EQ(control.text, expected.text);
      EXPECT_EQ((std::vector<int>{control.x, control.y, control.cx, control.cy}),
                (std::vector<int>{expected.x, expected.y, expected.cx, expected.cy}));
      EXPECT_EQ(control.style, expected.style);
      EXPECT_EQ(expected.kind == ControlKind::kIcon, (control.style & 0x1F) == kSsIcon);
    }
  }
}

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

TEST(ResourceTemplates, ProgramIconHoldsTwo16ColourImages) {
  ResourceScript script;
  EXPECT_TRUE(script.Mentions("IDR_MAINFRAME", "ICON", "setup.ico"));
  EXPECT_TRUE(
      script.Mentions("CREATEPROCESS_MANIFEST_RESOURCE_ID", "RT_MANIFEST", "setup.manifest"));
  EXPECT_TRUE(std::filesystem::exists(kResources / "setup.manifest"));

  const std::string ico = ReadText(kResources / "setup.ico");
  ASSERT_GE(ico.size(), 6u + 2 * 16);
  EXPECT_EQ(Le(ico, 0, 2), 0u);
  EXPECT_EQ(Le(ico, 2, 2), 1u);  // an icon, not a cursor
  ASSERT_EQ(Le(ico, 4, 2), 2u);
  std::vector<int> sizes;
  for (int i = 0; i < 2; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const std::uint32_t side = Le(ico, entry, 1);
    sizes.push_back(static_cast<int>(side));
    EXPECT_EQ(Le(ico, entry + 1, 1), side);
    EXPECT_EQ(Le(ico, entry + 2, 1), 16u) << "colour count";
    const std::uint32_t length = Le(ico, entry + 8, 4), offset = Le(ico, entry + 12, 4);
    ASSERT_LE(std::uint64_t{offset} + length, ico.size());
    // The image itself: a bitmap header of twice the height (colours, then the mask), 4 bits.
    EXPECT_EQ(Le(ico, offset, 4), 40u);
    EXPECT_EQ(Le(ico, offset + 4, 4), side);
    EXPECT_EQ(Le(ico, offset + 8, 4), 2 * side);
    EXPECT_EQ(Le(ico, offset + 14, 2), 4u) << "bits per pixel";
    const std::uint32_t rowBytes = (side * 4 + 31) / 32 * 4, maskBytes = (side + 31) / 32 * 4;
    EXPECT_EQ(length, 40 + 16 * 4 + side * (rowBytes + maskBytes));
  }
  EXPECT_EQ(sizes, (std::vector<int>{32, 16}));
}

}  // namespace
}  // namespace setup
