// A Desktop.ini may come from anyone: a folder handed over by someone else can
// name any path in it. Apply and remove must only ever touch Desktop.ini and
// the folder's own .ico copies, and must say so when they could not finish.
#include "engine/folder_files.h"
#include "engine/folder_state.h"
#include "engine/icon_delete.h"
#include "engine/icon_install.h"
#include "platform/error.h"
#include "platform/text.h"
#include "tests/engine/engine_fixture.h"

namespace vandrel {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using testing::ToBytes;

constexpr const char* kIni = "D:\\A\\Desktop.ini";

TEST(PlainFileNameTest, OnlyAPlainNameInsideTheFolderIsAccepted) {
  const struct {
    const char* stored;
    const char* name;  // nullptr: never touched
  } cases[] = {
      {"star.ico", "star.ico"},
      {".\\star.ico", "star.ico"},
      {"D:\\A\\star.ico", "star.ico"},
      {"../../Users/me/Documents/thesis.docx", "thesis.docx"},
      {"sub/star.ico", "star.ico"},
      {"C:star.ico", "star.ico"},
      {"star.ico:hidden", "hidden"},  // a stream's name is only its last part
      {"", nullptr},
      {".", nullptr},
      {"..", nullptr},
      {"..\\..", nullptr},
      {"../", nullptr},
      {"D:", nullptr},
      {"star.ico:", nullptr},
      {"star.ico.", nullptr},
      {"star.ico ", nullptr},
      {"st*r.ico", nullptr},
      {"a?.ico", nullptr},
      {"a|b.ico", nullptr},
      {"a\"b.ico", nullptr},
      {"a<b>.ico", nullptr},
      {"tab\there.ico", nullptr},
      {"NUL", nullptr},
      {"nul.ico", nullptr},
      {"com1.ico", nullptr},
      {"LPT9", nullptr},
      {"COM0.ico", "COM0.ico"},
      {"CONSOLE.ico", "CONSOLE.ico"},
      {"Фото.ico", "Фото.ico"},
  };
  for (const auto& c : cases) {
    const auto name = PlainFileName(c.stored);
    if (c.name == nullptr) {
      EXPECT_FALSE(name.has_value()) << c.stored << " gave " << name.value_or("");
    } else {
      EXPECT_EQ(name.value_or("<none>"), c.name) << c.stored;
    }
  }
  EXPECT_EQ(IcoCopyName("..\\moon.ICO").value_or(""), "moon.ICO");
  EXPECT_FALSE(IcoCopyName("../Foo.exe").has_value());
}

TEST(TooltipLineTest, LineBreaksAndControlsBecomeBlanks) {
  EXPECT_EQ(TooltipLine("Holiday\r\n[evil]\r\nIconFile=x"), "Holiday  [evil]  IconFile=x");
  EXPECT_EQ(TooltipLine("a\tb\x7F" "c\xC2\x85" "d\xE2\x80\xA8" "e"), "a b c d e");
  EXPECT_EQ(TooltipLine("Фото 2024 東京"), "Фото 2024 東京");
}

// A folder D:\A with an icon copy of ours and files that are not ours, inside
// and outside it.
class FolderSafetyTest : public testing::EngineTest {
 protected:
  FolderSafetyTest() {
    fs.folders.insert("D:\\Users");
    for (const char* f : {"D:\\A\\star.ico", "D:\\A\\Foo.exe", "D:\\A\\notes.txt", "D:\\star.ico", "D:\\thesis.docx",
                          "D:\\Users\\thesis.docx"}) {
      fs.files[f] = ToBytes(std::string("content of ") + f);
      fs.attributes[f] = kAttrReadOnly | kAttrArchive;
    }
    fs.attributes["D:\\A\\star.ico"] = kAttrHidden | kAttrSystem;
    fs.attributes["D:\\A"] = kAttrDirectory | kAttrReadOnly;
  }

  void GivenIni(const std::string& body) {
    fs.files[kIni] = ToBytes("[.ShellClassInfo]\r\n" + body);
    fs.attributes[kIni] = kAttrHidden | kAttrSystem;
    before_ = fs.files;
    attributes_before_ = fs.attributes;
    fs.log->clear();
    prompts.shown.clear();
    shell.recycled.clear();
  }

  // Every file other than Desktop.ini and the named .ico copies is where it
  // was, with its content and attributes, and no step named a path outside.
  void ExpectOnlyOursTouched(std::initializer_list<const char*> ours) {
    auto is_ours = [&](const std::string& path) {
      if (EqualsNoCase(path, kIni)) return true;
      for (const char* o : ours)
        if (EqualsNoCase(path, o)) return true;
      return false;
    };
    for (const auto& [path, data] : before_) {
      if (is_ours(path)) continue;
      ASSERT_TRUE(fs.files.count(path)) << path << " is gone";
      EXPECT_EQ(fs.files.at(path), data) << path;
      EXPECT_EQ(fs.AttributesOf(path), attributes_before_.count(path) ? attributes_before_.at(path) : kAttrArchive)
          << path;
    }
    for (const std::string& step : *fs.log) {
      if (step == "notify" || step == "refresh desktop" || step.starts_with("update ")) continue;
      if (step == "attr D:\\A 0x1") continue;  // the folder itself
      EXPECT_THAT(step, HasSubstr("D:\\A\\")) << "a step outside the folder";
    }
  }

  decltype(testing::FakeFileSystem::files) before_;
  decltype(testing::FakeFileSystem::attributes) attributes_before_;
};

TEST_F(FolderSafetyTest, RemoveTouchesOnlyPlainIcoNamesInsideTheFolder) {
  const struct {
    const char* ini;
    const char* recycled_copy;  // nullptr: only Desktop.ini goes
  } cases[] = {
      {"IconFile=../star.ico\r\n", "D:\\A\\star.ico"},
      {"IconResource=../../star.ico,0\r\n", "D:\\A\\star.ico"},
      {"IconResource=..\\..\\star.ico,0\r\n", "D:\\A\\star.ico"},
      {"IconResource=.\\star.ico,0\r\n", "D:\\A\\star.ico"},
      {"IconFile=../../Users/thesis.docx\r\n", nullptr},
      {"IconFile=..\r\nIconResource=..\\,0\r\n", nullptr},
      {"IconFile=.\r\nIconResource=.\\.,0\r\n", nullptr},
      {"IconFile=D:\r\nIconResource=D:,0\r\n", nullptr},
      {"IconFile=star.ico:$DATA\r\n", nullptr},
      {"IconFile=\r\nIconResource=,0\r\n", nullptr},
      {"IconFile=Foo.exe\r\nIconResource=Foo.exe,0\r\n", nullptr},
      {"IconFile=notes.txt\r\n", nullptr},
      {"IconFile=nul.ico\r\n", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini);
    GivenIni(c.ini);
    // The source box shows an .ico the user picked: copies may go.
    EXPECT_EQ(IconDelete(services, "D:\\A\\", "C:\\Icons\\moon.ico"), "Иконка успешно удалена");
    if (c.recycled_copy) {
      EXPECT_THAT(shell.recycled, ElementsAre(c.recycled_copy, kIni));
      ExpectOnlyOursTouched({c.recycled_copy});
    } else {
      EXPECT_THAT(shell.recycled, ElementsAre(kIni));
      ExpectOnlyOursTouched({});
    }
    fs.files = before_;
    fs.attributes = attributes_before_;
  }
}

TEST_F(FolderSafetyTest, ApplyTouchesOnlyPlainIcoNamesInsideTheFolder) {
  const struct {
    const char* ini;
    const char* recycled_copy;
  } cases[] = {
      {"IconFile=../star.ico\r\n", "D:\\A\\star.ico"},
      {"IconFile=../../Users/thesis.docx\r\nIconResource=..\\..\\thesis.docx,0\r\n", nullptr},
      {"IconFile=..\r\nIconResource=..,0\r\n", nullptr},
      {"IconFile=D:\r\n", nullptr},
      {"IconFile=Foo.exe\r\nIconResource=notes.txt,0\r\n", nullptr},
  };
  for (bool copy : {true, false}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.ini) + (copy ? " with Copy" : " without Copy"));
      GivenIni(c.ini);
      EXPECT_TRUE(IconInstall(services, InstallRequest{"D:\\A\\", "C:\\Icons\\moon.ico", 0, "", copy}));
      if (!copy) {
        // Without Copy nothing is recycled; an earlier copy only becomes visible.
        EXPECT_THAT(shell.recycled, IsEmpty());
        ExpectOnlyOursTouched({"D:\\A\\star.ico"});
      } else if (c.recycled_copy) {
        EXPECT_THAT(shell.recycled, ElementsAre(c.recycled_copy));
        ExpectOnlyOursTouched({c.recycled_copy, "D:\\A\\moon.ico"});
      } else {
        EXPECT_THAT(shell.recycled, IsEmpty());
        ExpectOnlyOursTouched({"D:\\A\\moon.ico"});
      }
      fs.files = before_;
      fs.attributes = attributes_before_;
    }
  }
}

TEST_F(FolderSafetyTest, RemoveRecyclesOnlyIcoFilesEvenWhenTheSourceBoxShowsAnIco) {
  // The folder was given the icon of its own Foo.exe without Copy; the user
  // then picked an .ico in the source box.
  GivenIni("IconFile=D:\\A\\Foo.exe\r\nIconIndex=0\r\nIconResource=D:\\A\\Foo.exe,0\r\n");
  IconDelete(services, "D:\\A\\", "C:\\Icons\\moon.ico");
  EXPECT_THAT(shell.recycled, ElementsAre(kIni));
  EXPECT_TRUE(fs.FileExists("D:\\A\\Foo.exe"));
  EXPECT_EQ(fs.AttributesOf("D:\\A\\Foo.exe"), kAttrReadOnly | kAttrArchive);
}

TEST_F(FolderSafetyTest, ACopyNeverOverwritesAFileOfTheFoldersOwn) {
  AddExecutable("C:\\Tools\\setup.exe", 2);
  const struct {
    const char* source;
    const char* existing;
  } cases[] = {
      {"C:\\Tools\\setup.exe", "D:\\A\\setup.ico"},  // extracted under the executable's name
      {"C:\\Icons\\moon.ico", "D:\\A\\moon.ico"},    // copied under its own name
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    fs.files[c.existing] = ToBytes("the folder's own icon");
    GivenIni("IconFile=star.ico\r\nIconResource=star.ico,0\r\n");
    ASSERT_TRUE(IconInstall(services, InstallRequest{"D:\\A\\", c.source, 1, "", true}));
    // It went to the recycle bin, where it can be restored, before the new
    // copy took its name; then the earlier copy of ours followed.
    ASSERT_THAT(shell.recycled, ElementsAre(c.existing, "D:\\A\\star.ico"));
    EXPECT_NE(fs.files.at(c.existing), ToBytes("the folder's own icon"));
    EXPECT_EQ(fs.AttributesOf(c.existing), kAttrHidden | kAttrSystem);
    for (const auto& [path, data] : fs.files) EXPECT_THAT(path, Not(HasSubstr(".vandrel-"))) << "left behind";
    fs.files = before_;
    fs.attributes = attributes_before_;
    fs.files.erase(c.existing);
  }
}

TEST_F(FolderSafetyTest, AFailedRenameLeavesTheOldIconInPlace) {
  AddExecutable("C:\\Tools\\app.exe", 3);
  ASSERT_TRUE(IconInstall(services, InstallRequest{"D:\\A\\", "C:\\Tools\\app.exe", 0, "old", true}));
  const Bytes old_copy = fs.files.at("D:\\A\\app.ico");
  const std::string old_ini = fs.Text(kIni);
  // The same executable again: the earlier extraction is replaced, but the
  // staged file cannot be renamed (say, the name is locked by a scanner).
  fs.fail_moves_from.insert("D:\\A\\app.ico.vandrel-new");
  prompts.shown.clear();
  EXPECT_FALSE(IconInstall(services, InstallRequest{"D:\\A\\", "C:\\Tools\\app.exe", 2, "new", true}));
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_THAT(prompts.shown[0], HasSubstr("being used by another process"));
  // Desktop.ini still names app.ico, and app.ico is there with its old content.
  EXPECT_EQ(fs.Text(kIni), old_ini);
  EXPECT_EQ(fs.files.at("D:\\A\\app.ico"), old_copy);
  EXPECT_EQ(fs.AttributesOf(kIni), kAttrHidden | kAttrSystem);
  for (const auto& [path, data] : fs.files) EXPECT_THAT(path, Not(HasSubstr(".vandrel-"))) << "left behind";
}

TEST_F(FolderSafetyTest, AnUnreadableDesktopIniStopsApplyBeforeAnythingIsStaged) {
  AddExecutable("C:\\Tools\\app.exe", 1);
  GivenIni("IconFile=star.ico\r\n");
  fs.unreadable.insert(kIni);
  EXPECT_THROW(IconInstall(services, InstallRequest{"D:\\A\\", "C:\\Tools\\app.exe", 0, "", true}), Error);
  EXPECT_EQ(fs.files.size(), before_.size());  // no staged or temporary file stays
  EXPECT_THAT(*fs.log, IsEmpty());
}

TEST_F(FolderSafetyTest, RemoveKeepsWhatElseDesktopIniHolds) {
  GivenIni("LocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-21770\r\nIconFile=star.ico\r\n"
           "IconIndex=0\r\nIconResource=star.ico,0\r\nInfoTip=Photos\r\nConfirmFileOp=0\r\n"
           "[ViewState]\r\nMode=\r\nVid=\r\nFolderType=Pictures\r\n");
  EXPECT_EQ(IconDelete(services, "D:\\A\\", "D:\\A\\star.ico"), "Иконка успешно удалена");
  EXPECT_THAT(shell.recycled, ElementsAre("D:\\A\\star.ico"));
  EXPECT_EQ(fs.Text(kIni),
            "[.ShellClassInfo]\r\nLocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-21770\r\n\r\n"
            "[ViewState]\r\nMode=\r\nVid=\r\nFolderType=Pictures\r\n\r\n");
  EXPECT_EQ(fs.AttributesOf(kIni), kAttrHidden | kAttrSystem);

  // Only icon keys (repeated ones too) and empty sections: the file goes.
  GivenIni("IconFile=star.ico\r\nIconFile=x.ico\r\nInfoTip=a\r\n[Empty]\r\n");
  IconDelete(services, "D:\\A\\", "D:\\A\\star.ico");
  EXPECT_THAT(shell.recycled, Contains(kIni));
  EXPECT_FALSE(fs.FileExists(kIni));
}

TEST_F(FolderSafetyTest, AFileThatStaysAfterRecyclingIsAnErrorNotASuccess) {
  const struct {
    const char* stuck;
    bool refused;  // the shell says why; otherwise it claims success
  } cases[] = {
      {kIni, false},
      {kIni, true},
      {"D:\\A\\star.ico", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stuck);
    GivenIni("IconFile=star.ico\r\nIconResource=star.ico,0\r\n");
    shell.silently_kept.clear();
    shell.refuse_recycle.clear();
    (c.refused ? shell.refuse_recycle : shell.silently_kept).insert(c.stuck);
    prompts.answers = {true};
    const RemoveResult r = IconDeleteMenuClick(services, "D:\\A\\", "D:\\A\\star.ico", {});
    EXPECT_EQ(r.outcome, RemoveOutcome::kStopped);
    EXPECT_THAT(r.status, IsEmpty());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_THAT(prompts.shown[1], HasSubstr(std::string("Cannot move \"") + c.stuck + "\" to the recycle bin"));
    EXPECT_THAT(prompts.shown[1], HasSubstr(c.refused ? "being used by another process" : "still there"));
    // What is left of the icon still works: Desktop.ini keeps hidden + system.
    EXPECT_TRUE(fs.FileExists(kIni));
    EXPECT_EQ(fs.AttributesOf(kIni), kAttrHidden | kAttrSystem);
    fs.files = before_;
    fs.attributes = attributes_before_;
  }
}

TEST_F(FolderSafetyTest, AnIcoSourceAlwaysWritesIndexZero) {
  for (bool copy : {false, true}) {
    GivenIni("");
    ASSERT_TRUE(IconInstall(services, InstallRequest{"D:\\A\\", "C:\\Icons\\moon.ico", 11, "", copy}));
    const std::string prefix = copy ? "" : "C:\\Icons\\";
    EXPECT_THAT(fs.Text(kIni), HasSubstr("IconFile=" + prefix + "moon.ico\r\nIconIndex=0\r\nIconResource=" + prefix +
                                         "moon.ico,0\r\n"));
  }
  AddExecutable("C:\\Tools\\app.exe", 12);
  ASSERT_TRUE(IconInstall(services, InstallRequest{"D:\\A\\", "C:\\Tools\\app.exe", 11, "", false}));
  EXPECT_THAT(fs.Text(kIni), HasSubstr("IconIndex=11\r\nIconResource=C:\\Tools\\app.exe,11\r\n"));
}

TEST_F(FolderSafetyTest, AnOversizedDesktopIniIsNeitherReadNorChanged) {
  GivenIni("");
  fs.files[kIni] = Bytes(5 * 1024 * 1024, std::byte{'a'});
  before_ = fs.files;
  const FolderIconInfo info = GetIcon(services, "D:\\A");
  EXPECT_THAT(info.problem, HasSubstr("Файл Desktop.ini слишком большой: D:\\A\\Desktop.ini (5242880 bytes)"));
  EXPECT_THAT(info.icon_source, IsEmpty());
  const auto log = ReadLogText(services, kIni);
  ASSERT_TRUE(log.has_value());
  EXPECT_EQ(*log, info.problem);

  EXPECT_FALSE(IconInstall(services, InstallRequest{"D:\\A\\", "C:\\Icons\\moon.ico", 0, "", true}));
  EXPECT_FALSE(IconDelete(services, "D:\\A\\", "D:\\A\\star.ico"));
  EXPECT_THAT(prompts.shown, ElementsAre("error: Ошибка!: " + info.problem, "error: Ошибка!: " + info.problem));
  EXPECT_THAT(*fs.log, IsEmpty());
  EXPECT_EQ(fs.files, before_);

  // Exactly the limit is still a Desktop.ini.
  fs.files[kIni] = Bytes(kMaxDesktopIniSize, std::byte{' '});
  EXPECT_THAT(GetIcon(services, "D:\\A").problem, IsEmpty());
}

TEST_F(FolderSafetyTest, ATooltipNeverBreaksTheIniLine) {
  GivenIni("");
  ASSERT_TRUE(IconInstall(services, InstallRequest{"D:\\A\\", "C:\\Icons\\moon.ico", 0, "Line\r\n[x]\r\nIconFile=C:\\evil.ico", false}));
  EXPECT_THAT(fs.Text(kIni), HasSubstr("\r\nInfoTip=Line  [x]  IconFile=C:\\evil.ico\r\nConfirmFileOp=0\r\n"));
  EXPECT_EQ(GetIcon(services, "D:\\A").icon_source, "C:\\Icons\\moon.ico");
}

}  // namespace
}  // namespace vandrel
