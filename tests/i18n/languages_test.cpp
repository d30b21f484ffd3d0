// Language files: the start-up clean-up, the language menu, the choice and
// applying it to every window, over windows and files in memory.
#include "i18n/languages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fake_components.h"
#include "tests/fakes/fake_file_system.h"
#include "platform/text.h"
#include "tests/support/pe_builder.h"

namespace vandrel {
namespace {

using testing::FakeWindow;
using testing::ToBytes;
using ::testing::ElementsAre;

constexpr char kProgram[] = "C:\\Apps\\Vandrel\\";
constexpr char kSettings[] = "C:\\Apps\\Vandrel\\Config\\Option.ini";

std::string Text(const Bytes& b) { return std::string(reinterpret_cast<const char*>(b.data()), b.size()); }

class LanguagesTest : public ::testing::Test {
 protected:
  LanguagesTest() : form1("Form1", "Vandrel"), form8("Form8", "О программе"), form10("Form10", "Обновление") {
    form1.Add("ButtonChangeIcon", ComponentKind::kButton, {{"Caption", "Изменить"}});
    form1.Add("LangError", ComponentKind::kMenuItem, {{"Caption", "Ошибка!"}});
    form8.Add("Button1", ComponentKind::kButton, {{"Caption", "Ok"}});
    form10.Add("ButtonClose", ComponentKind::kButton, {{"Caption", "Закрыть"}});
    windows = {&form1, &form8, &form10};
  }
  static std::string File(const std::string& name) { return std::string(kProgram) + "Language\\" + name; }

  testing::FakeFileSystem fs;
  std::unique_ptr<AnsiCodec> cp1251 = MakeWindows1251Codec();
  FakeWindow form1, form8, form10;
  std::vector<ComponentOwner*> windows;
};

TEST_F(LanguagesTest, TheCleanUpKeepsOnlyKeysOfThisVersion) {
  fs.files[File("English.ini")] = ToBytes(
      "; a comment\r\n"
      "[Language information]\r\nLANGNAME=English\r\nNoDot=kept\r\n"
      "[DestDir]\r\nWhatever=kept\r\n"
      "[Vandrel]\r\n"
      "Caption=no dot\r\n"
      "Form99.Caption=no such window\r\n"
      "Form1.NoSuchButton.Caption=no such component\r\n"
      "Form8.Caption=About\r\n"
      "form1.buttonchangeicon.Foo=property names are not checked\r\n"
      "Form1.LangError.Caption=A\r\n"
      "Form1.LangError.Caption=B\r\n"
      "[Old]\r\nForm77.Caption=gone\r\n");
  CleanTranslationsLikeGlobload(fs, *cp1251, kProgram, windows);
  EXPECT_EQ(Text(fs.files[File("English.ini")]),
            "[Language information]\r\nLANGNAME=English\r\nNoDot=kept\r\n\r\n"
            "[DestDir]\r\nWhatever=kept\r\n\r\n"
            "[Vandrel]\r\nForm8.Caption=About\r\nform1.buttonchangeicon.Foo=property names are not checked\r\n"
            "Form1.LangError.Caption=B\r\n\r\n");
}

TEST_F(LanguagesTest, FilesThatNeedNothingOrCannotBeWrittenAreNotRewritten) {
  const std::string clean = "; translated by hand\r\n\r\n[Vandrel]\r\nForm8.Caption=About\r\n";
  const std::string stale = "[Vandrel]\r\nForm99.Caption=x\r\n";
  fs.files[File("Clean.ini")] = ToBytes(clean);
  fs.files[File("ReadOnly.ini")] = ToBytes(stale);
  fs.read_only.insert(File("ReadOnly.ini"));
  fs.files[File("Unreadable.ini")] = ToBytes(stale);
  fs.unreadable.insert(File("Unreadable.ini"));
  fs.files[File("Stale.ini")] = ToBytes(stale);
  CleanTranslationsLikeGlobload(fs, *cp1251, kProgram, windows);
  EXPECT_EQ(Text(fs.files[File("Clean.ini")]), clean) << "comments and blank lines stay";
  EXPECT_EQ(Text(fs.files[File("ReadOnly.ini")]), stale);
  EXPECT_EQ(Text(fs.files[File("Unreadable.ini")]), stale);
  EXPECT_EQ(Text(fs.files[File("Stale.ini")]), "") << "its only section went";
  EXPECT_THAT(fs.own_log, ElementsAre("write " + File("Stale.ini")));
}

Bytes Utf16Le(std::string_view utf8, bool mark) {
  Bytes out;
  if (mark) out = {std::byte{0xFF}, std::byte{0xFE}};
  for (char16_t u : Utf8ToUtf16(utf8)) {
    out.push_back(static_cast<std::byte>(u & 0xFF));
    out.push_back(static_cast<std::byte>(u >> 8));
  }
  return out;
}

TEST_F(LanguagesTest, TheCleanUpNeverDamagesAFileItCannotReadAsWhatItIs) {
  const std::string russian = "[Vandrel]\r\nForm8.Caption=О программе\r\n";
  const std::string stale = russian + "Form99.Caption=устарело\r\n";
  std::unique_ptr<AnsiCodec> cp1252 = MakeWindows1252Codec();
  // Bytes past ASCII decode to U+FFFD and cannot be written back.
  struct LossyCodec final : AnsiCodec {
    std::string Decode(std::span<const std::byte> bytes) const override {
      std::string out;
      for (std::byte b : bytes) AppendUtf8(out, std::to_integer<unsigned>(b) < 0x80 ? std::to_integer<char32_t>(b) : 0xFFFD);
      return out;
    }
    std::optional<Bytes> Encode(std::string_view utf8) const override {
      if (!std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::nullopt;
      return ToBytes(std::string(utf8));
    }
  } lossy;
  const struct {
    const char* name;
    Bytes bytes;
    const AnsiCodec* codec;
    std::optional<Bytes> after;  // none: left exactly as it was
  } cases[] = {
      {"UTF-16 without its mark", Utf16Le(stale, false), cp1251.get(), std::nullopt},
      {"UTF-16 with its mark: cleaned", Utf16Le(stale, true), cp1251.get(), Utf16Le(russian + "\r\n", true)},
      // Read in 1251 or 1252 every byte comes back as it was: cleaned, and
      // what stays keeps its bytes.
      {"UTF-8 without a mark on 1251", ToBytes(stale), cp1251.get(), ToBytes(russian + "\r\n")},
      {"UTF-8 without a mark on 1252", ToBytes(stale), cp1252.get(), ToBytes(russian + "\r\n")},
      // A code page in which UTF-8's bytes do not survive (as in a double-byte one).
      {"UTF-8 without a mark where it does not survive", ToBytes(stale), &lossy, std::nullopt},
      {"a file needing no change", ToBytes(russian), cp1251.get(), std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs.files.clear();
    fs.own_log.clear();
    fs.files[File("Translated.ini")] = c.bytes;
    CleanTranslationsLikeGlobload(fs, *c.codec, kProgram, windows);
    EXPECT_EQ(fs.files[File("Translated.ini")], c.after.value_or(c.bytes));
    EXPECT_EQ(fs.own_log.size(), c.after ? 1u : 0u);
  }
}

TEST_F(LanguagesTest, TheMenuListsEveryFileInOrderWithItsDisplayName) {
  fs.files[File("English.ini")] = ToBytes("[Vandrel]\r\n");
  fs.files[File("Deutsch.ini")] = ToBytes("[Language information]\r\nLANGNAME=Deutsch\r\n");
  fs.files[File("notes.txt")] = ToBytes("not a language");
  fs.files[File("broken.ini")] = ToBytes("[Language information]\r\nLANGNAME=never read\r\n");
  fs.unreadable.insert(File("broken.ini"));
  const auto less = [](const std::string& a, const std::string& b) {
    std::string x = a, y = b;
    for (char& c : x) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : y) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return x < y;
  };
  const auto captions = [&](std::string_view selected) {
    std::vector<std::string> out;
    for (const auto& e : LanguageMenuEntries(fs, *cp1251, kProgram, selected, less))
      out.push_back(e.caption + (e.checked ? " [x]" : ""));
    return out;
  };
  EXPECT_THAT(captions("english"),
              ElementsAre("broken\t\tbroken", "Deutsch\t\tDeutsch", "English\t\tEnglish [x]"));
  EXPECT_THAT(captions("English.ini"),
              ElementsAre("broken\t\tbroken", "Deutsch\t\tDeutsch", "English\t\tEnglish [x]"));
  EXPECT_THAT(captions("English.INI"), ElementsAre("broken\t\tbroken", "Deutsch\t\tDeutsch", "English\t\tEnglish"));
  EXPECT_THAT(captions(""), ElementsAre("broken\t\tbroken", "Deutsch\t\tDeutsch", "English\t\tEnglish"));
  EXPECT_EQ(LanguageOfCaption("English\t\tEnglish"), "English");
  EXPECT_EQ(LanguageOfCaption("English"), "English");
  fs.files.clear();
  EXPECT_THAT(captions("English"), ElementsAre()) << "no folder: an empty menu";
}

TEST_F(LanguagesTest, AChoiceIsSavedAndAppliedToEveryWindow) {
  fs.files[File("English.ini")] = ToBytes(
      "[Vandrel]\r\nForm1.ButtonChangeIcon.Caption=Change\r\nForm8.Caption=About\r\nForm10.Caption=Update\r\n");
  fs.files[File("Empty.ini")] = ToBytes("[Language information]\r\nLANGNAME=Nothing\r\n");
  const TranslationContext context{fs, *cp1251, kSettings, kProgram, "Vandrel", nullptr};

  WriteSelectedLanguage(fs, *cp1251, kSettings, "Empty");  // a file without the section translates nothing
  Globload(windows, context);
  EXPECT_EQ(form8.self().GetProperty("Caption"), "О программе");
  EXPECT_EQ(form10.self().GetProperty("Caption"), "Обновление");

  WriteSelectedLanguage(fs, *cp1251, kSettings, "English");
  EXPECT_EQ(ReadSelectedLanguage(fs, *cp1251, kSettings), "English");
  Globload(windows, context);
  EXPECT_EQ(form1.FindComponent("ButtonChangeIcon")->GetProperty("Caption"), "Change");
  EXPECT_EQ(form8.self().GetProperty("Caption"), "About");
  EXPECT_EQ(form10.self().GetProperty("Caption"), "Update Vandrel");

  // A setting naming the file itself applies that language too.
  FakeWindow fresh("Form8", "О программе");
  WriteSelectedLanguage(fs, *cp1251, kSettings, "English.ini");
  Globload({&fresh}, context);
  EXPECT_EQ(fresh.self().GetProperty("Caption"), "About");
}

}  // namespace
}  // namespace vandrel
