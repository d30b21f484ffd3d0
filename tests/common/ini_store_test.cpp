#include "common/ini_store.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/support/pe_builder.h"

namespace vandrel {
namespace {

using testing::FakeFileSystem;
using testing::ToBytes;

class IniStoreTest : public ::testing::Test {
 protected:
  IniStore OpenText(const std::string& path, std::string_view text) {
    fs.files[path] = ToBytes(text);
    return IniStore::Open(fs, *cp1251, path);
  }
  FakeFileSystem fs;
  std::unique_ptr<AnsiCodec> cp1251 = MakeWindows1251Codec();
};

TEST_F(IniStoreTest, SaveDropsCommentsAndEndsEachSectionWithAnEmptyLine) {
  auto ini = OpenText("D\\Desktop.ini", "[.ShellClassInfo]\r\n; written by hand\r\nIconResource=x.ico,0\r\n");
  ini.WriteString(".ShellClassInfo", "InfoTip", "Photos");
  ini.Save(fs);
  EXPECT_EQ(fs.Text("D\\Desktop.ini"), "[.ShellClassInfo]\r\nIconResource=x.ico,0\r\nInfoTip=Photos\r\n\r\n");
}

TEST_F(IniStoreTest, RepeatedSectionIsIgnoredAndGoneAfterSave) {
  auto ini = OpenText("a.ini", "[A]\nx=1\n[B]\ny=2\n[a]\nx=3\nz=4\n[C]\nw=5\n");
  EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
  EXPECT_EQ(ini.ReadString("A", "z", "none"), "none");
  EXPECT_EQ(ini.ReadString("C", "w", ""), "5");  // reading goes on after the skipped part
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"A", "B", "C"}));
  ini.Save(fs);
  EXPECT_EQ(fs.Text("a.ini"), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=5\r\n\r\n");
}

TEST_F(IniStoreTest, LinesAreTrimmedAndNamesMatchWithoutCase) {
  auto ini = OpenText("a.ini",
                      "\xEF\xBB\xBFstray=before any section\r\n"
                      "  [ .ShellClassInfo ]  \r\n"
                      "\t IconFile = star.ico \t\r\n"
                      "Подсказка=Фото\r"
                      "key=a=b\n"
                      "=no name\n");
  EXPECT_EQ(ini.ReadString(".shellclassinfo", "ICONFILE", ""), "star.ico");
  EXPECT_EQ(ini.ReadString(".ShellClassInfo", "подсказка", ""), "Фото");
  EXPECT_EQ(ini.ReadString(".ShellClassInfo", "key", ""), "a=b");
  EXPECT_EQ(ini.ReadString(".ShellClassInfo", "", ""), "no name");
  EXPECT_EQ(ini.ReadString(".ShellClassInfo", "stray", "-"), "-");
  EXPECT_EQ(ini.SectionNames(), std::vector<std::string>{".ShellClassInfo"});
}

TEST_F(IniStoreTest, NameOnlyAndRepeatedEntriesStayInOrder) {
  auto ini = OpenText("a.ini", "[S]\nflag\nk=1\nk=2\nother=x\n");
  EXPECT_EQ(ini.ReadString("S", "flag", "default"), "default");  // a name alone never reads
  EXPECT_EQ(ini.ReadString("S", "k", ""), "1");
  EXPECT_EQ(ini.EntryNames("S"), (std::vector<std::string>{"flag", "k", "k", "other"}));
  ini.WriteString("S", "K", "9");  // replaces the first occurrence only
  ini.DeleteEntry("S", "other");
  ini.Save(fs);
  EXPECT_EQ(fs.Text("a.ini"), "[S]\r\nflag\r\nk=9\r\nk=2\r\n\r\n");
  ini.DeleteEntry("S", "k");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "2");
}

TEST_F(IniStoreTest, WritesAddMissingEntriesAndSectionsAtTheEnd) {
  auto ini = OpenText("a.ini", "[First]\na=1\n[Second]\nb=2\n");
  ini.WriteString("first", "new", "x");
  ini.WriteInteger("Third", "n", -42);
  ini.WriteBool("Third", "on", true);
  ini.WriteBool("Third", "off", false);
  ini.Save(fs);
  EXPECT_EQ(fs.Text("a.ini"),
            "[First]\r\na=1\r\nnew=x\r\n\r\n[Second]\r\nb=2\r\n\r\n[Third]\r\nn=-42\r\non=1\r\noff=0\r\n\r\n");
}

TEST_F(IniStoreTest, EraseSectionRemovesItWithItsEntries) {
  auto ini = OpenText("a.ini", "[A]\na=1\n[B]\nb=2\n");
  ini.EraseSection("a");
  EXPECT_FALSE(ini.HasSection("A"));
  EXPECT_TRUE(ini.EntryNames("A").empty());
  EXPECT_EQ(ini.Layout(), "[B]\r\nb=2\r\n\r\n");
}

TEST(IniInteger, ReadsHexDecimalAndFallsBackToTheDefault) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"0x258", 600},        {"0X258", 600},     {"$258", 600},        {"-$10", -16},
      {"0x", 7},             {"abc", 7},         {"", 7},              {"12", 12},
      {"-12", -12},          {"+5", 5},          {"1.5", 7},           {"12 ", 7},
      {"2147483647", 2147483647},                {"2147483648", 7},    {"-2147483648", -2147483647 - 1},
      {"0xFFFFFFFF", -1},    {"0x100000000", 7}, {"0xG", 7},           {"0x-1", 7},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIniInteger(c.text, 7), c.expected) << c.text;
}

TEST_F(IniStoreTest, TypedReadsUseTheDefaultForMissingEntries) {
  auto ini = OpenText("a.ini", "[O]\nn=2\nz=0\nbad=yes\n");
  EXPECT_TRUE(ini.ReadBool("O", "n", false));
  EXPECT_FALSE(ini.ReadBool("O", "z", true));
  EXPECT_TRUE(ini.ReadBool("O", "bad", true));
  EXPECT_FALSE(ini.ReadBool("O", "missing", false));
  EXPECT_EQ(ini.ReadInteger("Nope", "n", 3), 3);
}

TEST_F(IniStoreTest, KeepsTheEncodingItWasReadIn) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string saved;
    TextEncoding encoding;
  } cases[] = {
      {"utf16le", std::string("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0\x1F\x04\r\0\n\0", 22),
       std::string("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0\x1F\x04\r\0\n\0\r\0\n\0", 26), TextEncoding::kUtf16LE},
      {"utf16be", std::string("\xFE\xFF\0[\0A\0]\0\n\0k\0=\0x", 16),
       std::string("\xFE\xFF\0[\0A\0]\0\r\0\n\0k\0=\0x\0\r\0\n\0\r\0\n", 26), TextEncoding::kUtf16BE},
      {"utf8", "\xEF\xBB\xBF[A]\nk=\xD0\x9F\n", "\xEF\xBB\xBF[A]\r\nk=\xD0\x9F\r\n\r\n", TextEncoding::kUtf8},
      {"ansi", "[A]\nk=\xCF\n", "[A]\r\nk=\xCF\r\n\r\n", TextEncoding::kAnsi},
  };
  for (const auto& c : cases) {
    auto ini = OpenText(c.name, c.bytes);
    EXPECT_EQ(ini.encoding(), c.encoding) << c.name;
    EXPECT_EQ(ini.ReadString("A", "k", "").substr(0, 1), c.encoding == TextEncoding::kUtf16BE ? "x" : "\xD0")
        << c.name;
    ini.Save(fs);
    EXPECT_EQ(fs.Text(c.name), c.saved) << c.name;
  }
}

TEST_F(IniStoreTest, MissingFileGivesAnEmptyStoreAndIsNotCreated) {
  auto ini = IniStore::Open(fs, *cp1251, "new.ini");
  EXPECT_EQ(ini.encoding(), TextEncoding::kNone);
  EXPECT_TRUE(ini.SectionNames().empty());
  EXPECT_FALSE(fs.FileExists("new.ini"));
  ini.WriteString("Язык", "Language", "Русский");
  ini.Save(fs);  // a new file goes out in the ANSI code page, without a mark
  EXPECT_EQ(fs.Text("new.ini"), "[\xDF\xE7\xFB\xEA]\r\nLanguage=\xD0\xF3\xF1\xF1\xEA\xE8\xE9\r\n\r\n");
}

TEST_F(IniStoreTest, TextTheCodePageCannotHoldIsSavedAsUtf16Instead) {
  for (const char* path : {"ansi.ini", "new.ini"}) {
    auto ini = std::string(path) == "new.ini" ? IniStore::Open(fs, *cp1251, path)
                                              : OpenText(path, "[.ShellClassInfo]\nInfoTip=old\n");
    ini.WriteString(".ShellClassInfo", "InfoTip", "Café 東京");
    ini.Save(fs);
    const std::string saved = fs.Text(path);
    ASSERT_GE(saved.size(), 2u);
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE") << path;
    auto again = IniStore::Open(fs, *cp1251, path);
    EXPECT_EQ(again.encoding(), TextEncoding::kUtf16LE);
    EXPECT_EQ(again.ReadString(".ShellClassInfo", "InfoTip", ""), "Café 東京") << path;
  }
}

TEST_F(IniStoreTest, UnreadableFileRaisesAnError) {
  fs.files["locked.ini"] = ToBytes("[A]\n");
  fs.unreadable.insert("locked.ini");
  EXPECT_THROW(IniStore::Open(fs, *cp1251, "locked.ini"), Error);
}

TEST_F(IniStoreTest, FailedSaveRaisesAndLeavesTheOldFileAlone) {
  for (bool read_only : {true, false}) {
    const std::string path = read_only ? "ro.ini" : "full.ini";
    auto ini = OpenText(path, "[A]\r\nk=old\r\n");
    (read_only ? fs.read_only : fs.fail_writes).insert(path);
    ini.WriteString("A", "k", "new");
    try {
      ini.Save(fs);
      ADD_FAILURE() << "save reported success for " << path;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
      EXPECT_FALSE(e.system_reason().empty());
    }
    EXPECT_EQ(fs.Text(path), "[A]\r\nk=old\r\n");
  }
}

}  // namespace
}  // namespace vandrel
