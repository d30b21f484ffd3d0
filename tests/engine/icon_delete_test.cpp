#include "engine/icon_delete.h"

#include "engine/icon_install.h"
#include "tests/engine/engine_fixture.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::ToBytes;

constexpr const char* kIni = "D:\\A\\Desktop.ini";

class IconDeleteTest : public testing::EngineTest {
 protected:
  void Given(const std::string& ini, std::initializer_list<const char*> copies = {}) {
    fs.files[kIni] = ToBytes("[.ShellClassInfo]\r\n" + ini);
    fs.attributes[kIni] = kAttrHidden | kAttrSystem;
    for (const char* c : copies) {
      fs.files[c] = ToBytes("icon");
      fs.attributes[c] = kAttrHidden | kAttrSystem;
    }
    fs.attributes["D:\\A"] = kAttrDirectory | kAttrReadOnly;
  }
};

TEST_F(IconDeleteTest, AnIcoCopyGoesWithDesktopIni) {
  Given("IconFile=star.ico\r\nIconResource=.\\star.ico,0\r\n", {"D:\\A\\star.ico"});
  EXPECT_EQ(IconDelete(services, "D:\\A", "D:\\A\\star.ico"), "Иконка успешно удалена");
  EXPECT_THAT(shell.recycled, ElementsAre("D:\\A\\star.ico", kIni));
  EXPECT_EQ(fs.AttributesOf("D:\\A"), kAttrDirectory | kAttrReadOnly);  // the folder keeps its attributes
}

TEST_F(IconDeleteTest, AnIconTakenFromAnExecutableInPlaceLeavesOtherFiles) {
  Given("IconResource=C:\\Windows\\System32\\shell32.dll,4\r\n");
  fs.files["D:\\A\\shell32.dll"] = ToBytes("not ours");
  IconDelete(services, "D:\\A\\", "C:\\Windows\\System32\\shell32.dll");
  EXPECT_THAT(shell.recycled, ElementsAre(kIni));
  EXPECT_TRUE(fs.FileExists("D:\\A\\shell32.dll"));
}

TEST_F(IconDeleteTest, AnExtractedAndCopiedIconIsRemovedToo) {
  Given("IconFile=shell32.ico\r\nIconIndex=5\r\nIconResource=shell32.ico\r\n", {"D:\\A\\shell32.ico"});
  IconDelete(services, "D:\\A\\", "D:\\A\\shell32.ico");
  EXPECT_THAT(shell.recycled, ElementsAre("D:\\A\\shell32.ico", kIni));
}

TEST_F(IconDeleteTest, NoDesktopIniStillReportsSuccess) {
  EXPECT_EQ(IconDelete(services, "D:\\A\\", ""), "Иконка успешно удалена");
  EXPECT_THAT(shell.recycled, IsEmpty());
}

TEST_F(IconDeleteTest, AnUnreadableFileStopsQuietly) {
  Given("IconFile=star.ico\r\n", {"D:\\A\\star.ico"});
  fs.unreadable.insert(kIni);
  EXPECT_FALSE(IconDelete(services, "D:\\A\\", "D:\\A\\star.ico").has_value());
  EXPECT_TRUE(fs.FileExists("D:\\A\\star.ico"));
  EXPECT_THAT(prompts.shown, IsEmpty());
}

TEST_F(IconDeleteTest, TheMenuCommandAsksAndNotifiesAroundTheRefresh) {
  Given("IconFile=star.ico\r\n", {"D:\\A\\star.ico"});
  int refreshed = 0;
  EXPECT_EQ(IconDeleteMenuClick(services, "", "", [&] { ++refreshed; }).outcome, RemoveOutcome::kNoFolder);
  EXPECT_THAT(prompts.shown, ElementsAre("error: Ошибка!: Выберите папку с иконкой"));

  prompts.shown.clear();
  EXPECT_EQ(IconDeleteMenuClick(services, "D:\\A\\", "D:\\A\\star.ico", [&] { ++refreshed; }).outcome,
            RemoveOutcome::kDeclined);
  EXPECT_THAT(prompts.shown, ElementsAre("question: Внимание!: Удалить иконку из папки?"));
  EXPECT_TRUE(fs.FileExists(kIni));
  EXPECT_EQ(refreshed, 0);

  prompts.answers = {true};
  fs.log->clear();
  const auto r = IconDeleteMenuClick(services, "D:\\A\\", "D:\\A\\star.ico", [&] {
    ++refreshed;
    fs.log->push_back("window refresh");
  });
  EXPECT_EQ(r.outcome, RemoveOutcome::kRemoved);
  EXPECT_EQ(r.status, "Иконка успешно удалена");
  EXPECT_THAT(std::vector<std::string>(fs.log->end() - 6, fs.log->end()),
              ElementsAre("notify", "update item D:\\A", "update folder D:\\", "refresh desktop", "window refresh",
                          "notify"));
  EXPECT_FALSE(fs.FileExists(kIni));
}

TEST_F(IconDeleteTest, ApplyThenRemoveLeavesNoIconBehind) {
  ASSERT_TRUE(IconInstall(services, InstallRequest{"D:\\A\\", "C:\\Icons\\star.ico", 0, "tip", true}));
  IconDelete(services, "D:\\A\\", "D:\\A\\star.ico");
  EXPECT_FALSE(fs.FileExists(kIni));
  EXPECT_FALSE(fs.FileExists("D:\\A\\star.ico"));
  EXPECT_EQ(fs.AttributesOf("D:\\A"), kAttrDirectory | kAttrReadOnly);
}

}  // namespace
}  // namespace vandrel
