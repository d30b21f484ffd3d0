#include "engine/folder_state.h"

#include "platform/error.h"
#include "tests/engine/engine_fixture.h"

namespace vandrel {
namespace {

using testing::ToBytes;

class FolderStateTest : public testing::EngineTest {};

TEST_F(FolderStateTest, ChoosesTheIconSourceByTheFourRules) {
  fs.files["C:\\Windows\\System32\\shell32.dll"] = ToBytes("MZ");
  fs.files["D:\\A\\folder.ico"] = ToBytes("x");
  fs.files["D:\\A\\star.ico"] = ToBytes("x");
  struct Case {
    const char* ini;
    const char* source;
    int index;
  } cases[] = {
      {"IconResource=%SystemRoot%\\System32\\shell32.dll,4", "C:\\Windows\\System32\\shell32.dll", 4},
      {"IconResource=%systemroot%\\System32\\shell32.dll,4", "", 0},
      {"IconResource=.\\folder.ico,0", "D:\\A\\folder.ico", 0},
      {"IconResource=folder.ico", "D:\\A\\folder.ico", 0},
      {"IconResource=folder.ico,abc", "D:\\A\\folder.ico", 0},
      {"IconResource=folder.ico, 7", "D:\\A\\folder.ico", 7},
      {"IconResource=gone.ico,1\r\nIconFile=star.ico\r\nIconIndex=2", "D:\\A\\star.ico", 2},
      {"IconResource=folder.ico,3\r\nIconFile=star.ico\r\nIconIndex=2", "D:\\A\\folder.ico", 3},
      {"IconFile=%SystemRoot%\\System32\\shell32.dll\r\nIconIndex=x", "C:\\Windows\\System32\\shell32.dll", 0},
      {"IconFile=C:\\Icons\\moon.ico", "C:\\Icons\\moon.ico", 0},
      {"InfoTip=only a tip", "", 0},
  };
  for (const auto& c : cases) {
    fs.files["D:\\A\\Desktop.ini"] = ToBytes(std::string("[.ShellClassInfo]\r\n") + c.ini + "\r\n");
    const FolderIconInfo info = GetIcon(services, "D:\\A");
    EXPECT_EQ(info.folder, "D:\\A\\");
    EXPECT_EQ(info.icon_source, c.source) << c.ini;
    EXPECT_EQ(info.icon_index, c.index) << c.ini;
    EXPECT_TRUE(info.has_desktop_ini);
  }
  EXPECT_EQ(GetIcon(services, "D:\\A").tip, "only a tip");
}

TEST_F(FolderStateTest, AFolderWithoutDesktopIniShowsEmptyFields) {
  const FolderIconInfo info = GetIcon(services, "D:\\\\A");  // doubled backslashes collapse
  EXPECT_EQ(info.folder, "D:\\A\\");
  EXPECT_EQ(info.icon_source, "");
  EXPECT_EQ(info.tip, "");
  EXPECT_FALSE(info.has_desktop_ini);
  EXPECT_GT(pumped, 0);
}

TEST_F(FolderStateTest, AnUnreadableDesktopIniIsAnError) {
  fs.files["D:\\A\\Desktop.ini"] = ToBytes("[.ShellClassInfo]\r\n");
  fs.unreadable.insert("D:\\A\\Desktop.ini");
  EXPECT_THROW(GetIcon(services, "D:\\A"), Error);
}

TEST_F(FolderStateTest, ShowsTheAttributesOfTheListedFolder) {
  fs.attributes["D:\\A"] = kAttrDirectory | kAttrSystem;
  FolderAttributes a = GetAttrFolder(services, "D:\\", "A");  // D:\ + \ + A collapses to D:\A
  EXPECT_TRUE(a.system);
  EXPECT_FALSE(a.read_only);
  EXPECT_FALSE(a.hidden);
  a = GetAttrFolder(services, "D:\\", "gone");
  EXPECT_FALSE(a.system || a.read_only || a.hidden);
}

TEST_F(FolderStateTest, TheSourceExtensionDecidesTheIconControls) {
  struct Case {
    const char* source;
    SourceKind kind;
  } cases[] = {{"C:\\Tools\\app.EXE", SourceKind::kExecutable}, {"C:\\x\\y.dll", SourceKind::kExecutable},
               {"C:\\x\\star.Ico", SourceKind::kIco},           {"C:\\x\\set.icl", SourceKind::kOther},
               {"", SourceKind::kNone},                         {"   ", SourceKind::kNone},
               {"C:\\dir.exe\\file", SourceKind::kOther}};
  for (const auto& c : cases) EXPECT_EQ(ClassifySource(c.source), c.kind) << c.source;
}

TEST_F(FolderStateTest, FormStateCarriesTheLogTextInItsEncoding) {
  fs.files["D:\\A\\Desktop.ini"] = ToBytes(std::string("\xFF\xFE[\0.\0S\0h\0e\0l\0l\0C\0l\0a\0s\0s\0I\0n\0f\0o\0]\0", 36));
  fs.attributes["D:\\A"] = kAttrDirectory | kAttrReadOnly;
  const FormState state = ReadFormState(services, "D:\\A", "D:\\", "A");
  ASSERT_TRUE(state.log.has_value());
  EXPECT_EQ(*state.log, "[.ShellClassInfo]");
  EXPECT_TRUE(state.attributes.read_only);
  EXPECT_EQ(state.source_kind, SourceKind::kNone);
  fs.files.erase("D:\\A\\Desktop.ini");
  EXPECT_FALSE(ReadFormState(services, "D:\\A", "D:\\", "A").log.has_value());
}

TEST(FolderStateText, WorkAndInfoTip) {
  EXPECT_EQ(Work("shell32.dll,4", ','), "shell32.dll");
  EXPECT_EQ(Work("star.ico", ','), "star.ico");
  EXPECT_EQ(Work(",4", ','), "");
  EXPECT_EQ(InfoTipFromFolder("D:\\Photos\\2024\\"), "2024");
  EXPECT_EQ(InfoTipFromFolder("C:\\"), "");
  EXPECT_EQ(InfoTipFromFolder("\\\\server\\share\\Папка\\"), "Папка");
}

}  // namespace
}  // namespace vandrel
