#include "engine/icon_install.h"

#include "platform/error.h"
#include "tests/engine/engine_fixture.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::ToBytes;

constexpr const char* kIni = "D:\\A\\Desktop.ini";

class IconInstallTest : public testing::EngineTest {
 protected:
  std::optional<std::string> Install(const std::string& source, int index, const std::string& tip, bool copy) {
    fs.log->clear();
    prompts.shown.clear();
    return IconInstall(services, InstallRequest{"D:\\A\\", source, index, tip, copy});
  }
};

TEST_F(IconInstallTest, WithoutCopyWritesTheFullPathAndSetsTheAttributes) {
  EXPECT_EQ(Install("C:\\Icons\\star.ico", 0, "Photos", false), "Иконка успешно установлена");
  EXPECT_EQ(Ini(),
            "[.ShellClassInfo]\r\nIconFile=C:\\Icons\\star.ico\r\nIconIndex=0\r\nIconResource=C:\\Icons\\star.ico,0\r\n"
            "InfoTip=Photos\r\nConfirmFileOp=0\r\n\r\n");
  EXPECT_THAT(*fs.log, ElementsAre("attr D:\\A\\Desktop.ini 0x80", "write D:\\A\\Desktop.ini",
                                   "attr D:\\A\\Desktop.ini 0x6", "attr D:\\A 0x1"));
  EXPECT_EQ(fs.AttributesOf(kIni), kAttrHidden | kAttrSystem);
  EXPECT_EQ(fs.AttributesOf("D:\\A"), kAttrDirectory | kAttrReadOnly);  // no longer hidden, system or archive
  EXPECT_FALSE(fs.FileExists("D:\\A\\star.ico"));
}

TEST_F(IconInstallTest, CopyingAnIcoPlacesItHiddenInTheFolder) {
  Install("C:\\Icons\\star.ico", 0, "Photos", true);
  EXPECT_EQ(fs.files.at("D:\\A\\star.ico"), ToBytes("star icon"));
  EXPECT_EQ(fs.AttributesOf("D:\\A\\star.ico"), kAttrHidden | kAttrSystem);
  EXPECT_THAT(Ini(), ::testing::HasSubstr("IconFile=star.ico\r\nIconIndex=0\r\nIconResource=star.ico,0\r\n"));
  EXPECT_THAT(fs.files, ::testing::Not(::testing::Contains(::testing::Key("D:\\A\\star.ico.vandrel-new"))));
}

TEST_F(IconInstallTest, ASourceInsideTheFolderIsNotCopied) {
  fs.files["D:\\A\\star.ico"] = ToBytes("mine");
  Install("D:\\A\\star.ico", 0, "", true);
  EXPECT_EQ(fs.files.at("D:\\A\\star.ico"), ToBytes("mine"));
  for (const auto& step : *fs.log) EXPECT_THAT(step, ::testing::Not(::testing::StartsWith("copy")));
  EXPECT_THAT(Ini(), ::testing::HasSubstr("IconFile=star.ico\r\nIconIndex=0\r\nIconResource=star.ico,0\r\n"));
  EXPECT_EQ(fs.AttributesOf("D:\\A\\star.ico"), kAttrHidden | kAttrSystem);
}

TEST_F(IconInstallTest, AnExecutablesIconIsExtractedThenCopied) {
  AddExecutable("C:\\Windows\\System32\\shell32.dll", 8);
  // Someone else's file of the natural name in the temporary folder.
  const std::string theirs = "C:\\Users\\me\\AppData\\Local\\Temp\\shell32.ico";
  fs.files[theirs] = ToBytes("not ours");
  EXPECT_TRUE(Install("C:\\Windows\\System32\\shell32.dll", 5, "Sys", true).has_value());
  EXPECT_EQ(fs.files.at(theirs), ToBytes("not ours"));
  // The extraction went to a new file of its own, removed after the copy.
  const std::string temp = "C:\\Users\\me\\AppData\\Local\\Temp\\vandrel-icon.ico";
  EXPECT_THAT(*fs.log, ::testing::Contains("create " + temp));
  EXPECT_THAT(*fs.log, ::testing::Contains("copy " + temp + " -> D:\\A\\shell32.ico.vandrel-new"));
  EXPECT_FALSE(fs.FileExists(temp));
  AddExecutable("C:\\Tools\\same.dll", 8);
  ASSERT_TRUE(ExtractIconByIndex(icon_services, "C:\\Tools\\same.dll", "C:\\out.ico", 5));
  EXPECT_EQ(fs.files.at("D:\\A\\shell32.ico"), fs.files.at("C:\\out.ico"));
  EXPECT_THAT(Ini(), ::testing::HasSubstr("IconFile=shell32.ico\r\nIconIndex=5\r\nIconResource=shell32.ico\r\n"));
  EXPECT_EQ(fs.AttributesOf("D:\\A\\shell32.ico"), kAttrHidden | kAttrSystem);
  EXPECT_THAT(prompts.shown, IsEmpty());
}

TEST_F(IconInstallTest, ReplacedCopiesGoToTheRecycleBin) {
  Install("C:\\Icons\\star.ico", 0, "", true);
  Install("C:\\Icons\\moon.ico", 0, "", true);
  EXPECT_THAT(shell.recycled, ElementsAre("D:\\A\\star.ico"));
  EXPECT_TRUE(fs.FileExists("D:\\A\\moon.ico"));

  // The same name again: overwritten, not recycled.
  fs.files["C:\\Icons\\moon.ico"] = ToBytes("new moon");
  Install("C:\\Icons\\moon.ico", 0, "", true);
  EXPECT_THAT(shell.recycled, ElementsAre("D:\\A\\star.ico"));
  EXPECT_EQ(fs.files.at("D:\\A\\moon.ico"), ToBytes("new moon"));
}

TEST_F(IconInstallTest, TheSameExecutableAgainRecyclesTheEarlierExtraction) {
  AddExecutable("C:\\Tools\\app.exe", 3);
  Install("C:\\Tools\\app.exe", 0, "", true);
  const Bytes first = fs.files.at("D:\\A\\app.ico");
  Install("C:\\Tools\\app.exe", 2, "", true);
  EXPECT_THAT(shell.recycled, ElementsAre("D:\\A\\app.ico"));
  EXPECT_NE(fs.files.at("D:\\A\\app.ico"), first);
  // Recycled before the new copy took its place.
  const auto recycle = std::find(fs.log->begin(), fs.log->end(), "recycle D:\\A\\app.ico");
  const auto place = std::find(fs.log->begin(), fs.log->end(), "move D:\\A\\app.ico.vandrel-new -> D:\\A\\app.ico");
  EXPECT_LT(recycle, place);
}

TEST_F(IconInstallTest, WithoutCopyAnEarlierCopyStaysVisible) {
  Install("C:\\Icons\\star.ico", 0, "", true);
  Install("C:\\Icons\\moon.ico", 0, "", false);
  EXPECT_TRUE(fs.FileExists("D:\\A\\star.ico"));
  EXPECT_EQ(fs.AttributesOf("D:\\A\\star.ico"), kAttrNormal);
  EXPECT_THAT(shell.recycled, IsEmpty());
}

TEST_F(IconInstallTest, OtherSectionsAndKeysSurviveInPlace) {
  fs.files[kIni] = ToBytes(
      "[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\nInfoTip=old\r\n[ViewState]\r\nMode=4\r\n");
  Install("C:\\Icons\\star.ico", 0, "new", false);
  EXPECT_EQ(Ini(),
            "[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\nInfoTip=new\r\n"
            "IconFile=C:\\Icons\\star.ico\r\nIconIndex=0\r\nIconResource=C:\\Icons\\star.ico,0\r\nConfirmFileOp=0\r\n\r\n"
            "[ViewState]\r\nMode=4\r\n\r\n");
}

TEST_F(IconInstallTest, EncodingIsKeptAndNoTextIsLost) {
  fs.files[kIni] = ToBytes(std::string("\xFF\xFE[\0.\0S\0h\0e\0l\0l\0C\0l\0a\0s\0s\0I\0n\0f\0o\0]\0", 36));
  Install("C:\\Icons\\star.ico", 0, "Фото", false);
  EXPECT_EQ(Ini().substr(0, 2), "\xFF\xFE");

  fs.files.erase(kIni);
  Install("C:\\Icons\\star.ico", 0, "Фото", false);  // a new file in the code page
  EXPECT_THAT(Ini(), ::testing::HasSubstr("InfoTip=\xD4\xEE\xF2\xEE\r\n"));
  Install("C:\\Icons\\star.ico", 0, "Фото 東京", false);  // more than the code page holds
  EXPECT_EQ(Ini().substr(0, 2), "\xFF\xFE");
}

TEST_F(IconInstallTest, TheIconInUseIsNeverThrownAwayForALetterCase) {
  fs.files["D:\\A\\Star.ico"] = ToBytes("mine");
  fs.files[kIni] = ToBytes("[.ShellClassInfo]\r\nIconFile=Star.ico\r\nIconResource=Star.ico,0\r\n");
  Install("D:\\A\\star.ico", 0, "", true);
  EXPECT_THAT(shell.recycled, IsEmpty());
  EXPECT_EQ(fs.files.at("D:\\A\\star.ico"), ToBytes("mine"));
}

TEST_F(IconInstallTest, AFailedExtractionChangesNothing) {
  AddExecutable("C:\\Tools\\app.exe", 2);
  Install("C:\\Icons\\star.ico", 0, "old", true);
  const std::string before = Ini();
  fs.files["C:\\Users\\me\\AppData\\Local\\Temp\\app.ico"] = ToBytes("stale from an earlier run");

  EXPECT_FALSE(Install("C:\\Tools\\app.exe", 7, "new", true).has_value());
  EXPECT_THAT(prompts.shown, ElementsAre("message: Неверный индекс иконки!"));
  EXPECT_EQ(Ini(), before);
  EXPECT_THAT(shell.recycled, IsEmpty());
  EXPECT_TRUE(fs.FileExists("D:\\A\\star.ico"));
  // A file of that name in the temporary folder is not ours: it neither
  // passes for the extraction nor is deleted.
  EXPECT_EQ(fs.files.at("C:\\Users\\me\\AppData\\Local\\Temp\\app.ico"), ToBytes("stale from an earlier run"));
  EXPECT_FALSE(fs.FileExists("C:\\Users\\me\\AppData\\Local\\Temp\\vandrel-icon.ico"));
  EXPECT_EQ(fs.AttributesOf("D:\\A\\star.ico"), kAttrHidden | kAttrSystem);
}

TEST_F(IconInstallTest, ADamagedGroupIsReportedEvenThoughTheExtractionSaysNothing) {
  fs.files["C:\\Tools\\bad.dll"] = testing::BuildPe({{kResourceTypeGroupIcon, ResourceName::Id(1), 0x409, ToBytes("abc")}});
  EXPECT_FALSE(Install("C:\\Tools\\bad.dll", 0, "", true).has_value());
  EXPECT_THAT(prompts.shown, ElementsAre("error: Ошибка!: Ошибка при извлечении иконки!"));
  EXPECT_FALSE(fs.FileExists(kIni));
}

TEST_F(IconInstallTest, AMissingIcoOrAFailedCopyStopsWithTheReason) {
  Install("C:\\Icons\\star.ico", 0, "old", true);
  const std::string before = Ini();
  for (bool copy : {true, false}) {
    EXPECT_FALSE(Install("C:\\Icons\\gone.ico", 0, "", copy).has_value());
    EXPECT_THAT(prompts.shown, ElementsAre("error: Ошибка!: Файл не найден: C:\\Icons\\gone.ico"));
    EXPECT_EQ(Ini(), before);
  }

  fs.fail_writes.insert("D:\\A\\moon.ico.vandrel-new");
  EXPECT_FALSE(Install("C:\\Icons\\moon.ico", 0, "", true).has_value());
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_THAT(prompts.shown[0], ::testing::HasSubstr("not enough space"));
  EXPECT_EQ(Ini(), before);
  EXPECT_THAT(shell.recycled, IsEmpty());
  EXPECT_EQ(fs.files.at("D:\\A\\star.ico"), ToBytes("star icon"));
  EXPECT_EQ(fs.AttributesOf("D:\\A\\star.ico"), kAttrHidden | kAttrSystem);
}

TEST_F(IconInstallTest, CopyWithAnotherKindOfFileUsesItWhereItIs) {
  fs.files["C:\\Icons\\set.icl"] = ToBytes("library");
  EXPECT_TRUE(Install("C:\\Icons\\set.icl", 3, "", true).has_value());
  EXPECT_THAT(Ini(), ::testing::HasSubstr("IconFile=C:\\Icons\\set.icl\r\nIconIndex=3\r\nIconResource=C:\\Icons\\set.icl,3\r\n"));
  EXPECT_FALSE(fs.FileExists("D:\\A\\set.icl"));
}

TEST_F(IconInstallTest, AnErrorWritingDesktopIniReachesTheCaller) {
  fs.read_only.insert(kIni);
  EXPECT_THROW(Install("C:\\Icons\\star.ico", 0, "", false), Error);
  EXPECT_THAT(*fs.log, ElementsAre("attr D:\\A\\Desktop.ini 0x80"));  // no later attribute step
}

// Pictures read by a fake decoder: photo.png is 2 x 1, the others fail as named.
class PictureInstallTest : public IconInstallTest {
 protected:
  void SetUp() override {
    fs.files["C:\\Pics\\photo.png"] = ToBytes("png");
    fs.files["C:\\Pics\\cat.JPG"] = ToBytes("jpeg");
    services.decode_picture = [this](const std::string& path, PictureProblem& problem) -> std::optional<RgbaImage> {
      decoded.push_back(path);
      if (path == "C:\\Pics\\photo.png") return photo;
      if (path == "C:\\Pics\\cat.JPG") return cat;
      problem = next_problem;
      return std::nullopt;
    };
  }
  const RgbaImage photo{2, 1, {0xFFFF0000, 0x800000FF}};
  const RgbaImage cat{1, 3, {0xFF00FF00, 0xFF00FF00, 0x00000000}};
  PictureProblem next_problem;
  std::vector<std::string> decoded;
  static constexpr const char* kTemp = "C:\\Users\\me\\AppData\\Local\\Temp\\vandrel-icon.ico";
};

TEST_F(PictureInstallTest, APictureAlwaysBecomesAnIcoOfItsNameInTheFolder) {
  for (const bool copy : {false, true}) {
    EXPECT_TRUE(Install("C:\\Pics\\photo.png", 5, "Holiday", copy).has_value());
    EXPECT_EQ(fs.files.at("D:\\A\\photo.ico"), PictureToIco(photo));
    EXPECT_EQ(fs.AttributesOf("D:\\A\\photo.ico"), kAttrHidden | kAttrSystem);
    EXPECT_EQ(Ini(),
              "[.ShellClassInfo]\r\nIconFile=photo.ico\r\nIconIndex=0\r\nIconResource=photo.ico,0\r\n"
              "InfoTip=Holiday\r\nConfirmFileOp=0\r\n\r\n");
    EXPECT_FALSE(fs.FileExists(kTemp));  // the conversion was ours and is gone
    EXPECT_THAT(prompts.shown, IsEmpty());
  }
  EXPECT_EQ(fs.files.at("C:\\Pics\\photo.png"), ToBytes("png"));  // the picture itself untouched
  EXPECT_THAT(shell.recycled, ElementsAre("D:\\A\\photo.ico"));  // the first run's copy, on the second
}

TEST_F(PictureInstallTest, AnotherPictureRecyclesTheEarlierCopyAndAFileOfTheFolders) {
  Install("C:\\Pics\\photo.png", 0, "", false);
  // The folder has a cat.ico of its own that merely shares the name.
  fs.files["D:\\A\\cat.ico"] = ToBytes("the owner's cat");
  EXPECT_TRUE(Install("C:\\Pics\\cat.JPG", 0, "", false).has_value());
  EXPECT_EQ(fs.files.at("D:\\A\\cat.ico"), PictureToIco(cat));
  EXPECT_THAT(shell.recycled, ElementsAre("D:\\A\\cat.ico", "D:\\A\\photo.ico"));
  EXPECT_THAT(Ini(), ::testing::HasSubstr("IconFile=cat.ico\r\nIconIndex=0\r\nIconResource=cat.ico,0\r\n"));
}

TEST_F(PictureInstallTest, APictureThatCannotBeUsedChangesNothing) {
  Install("C:\\Icons\\star.ico", 0, "old", true);
  const std::string before = Ini();
  fs.files["C:\\Pics\\bad.png"] = ToBytes("png, cut short");
  fs.files["C:\\Pics\\huge.tif"] = ToBytes("tiff");
  struct Case {
    const char* source;
    PictureProblem problem;
    bool has_decoder;
    const char* shown;
  };
  const Case cases[] = {
      {"C:\\Pics\\gone.png", {}, true, "error: Ошибка!: Файл не найден: C:\\Pics\\gone.png"},
      {"C:\\Pics\\bad.png", {PictureProblem::Kind::kUnreadable, "cut short"}, true,
       "error: Ошибка!: Файл не является картинкой или повреждён: C:\\Pics\\bad.png (cut short)"},
      {"C:\\Pics\\huge.tif", {PictureProblem::Kind::kTooLarge, "9000 x 8000"}, true,
       "error: Ошибка!: Картинка слишком большая (больше 64 мегапикселей): C:\\Pics\\huge.tif (9000 x 8000)"},
      {"C:\\Pics\\photo.png", {}, false,
       "error: Ошибка!: Файл не является картинкой или повреждён: C:\\Pics\\photo.png (no picture codecs)"},
  };
  for (const Case& c : cases) {
    next_problem = c.problem;
    if (!c.has_decoder) services.decode_picture = {};
    EXPECT_FALSE(Install(c.source, 0, "new", false).has_value()) << c.source;
    EXPECT_THAT(prompts.shown, ElementsAre(c.shown));
    EXPECT_EQ(Ini(), before);
    EXPECT_FALSE(fs.FileExists(kTemp));
    EXPECT_THAT(shell.recycled, IsEmpty());
    EXPECT_EQ(fs.AttributesOf("D:\\A\\star.ico"), kAttrHidden | kAttrSystem);
  }
  EXPECT_FALSE(fs.FileExists("D:\\A\\bad.ico"));
  EXPECT_FALSE(fs.FileExists("D:\\A\\huge.ico"));
  EXPECT_FALSE(fs.FileExists("D:\\A\\photo.ico"));
}

class ChangeIconTest : public testing::EngineTest {
 protected:
  ChangeResult Press(const std::string& caption, const std::string& folder, const std::string& source) {
    refreshed = 0;
    ChangeRequest r{true, caption, InstallRequest{folder, source, 0, "tip", false}};
    return ButtonChangeIconClick(services, r, [this] { ++refreshed; });
  }
  int refreshed = 0;
};

TEST_F(ChangeIconTest, ProtectedNamesAreRefusedSilentlyAtAnyDepth) {
  for (const char* name : {"Boot", "System Volume Information", "$Recycle.Bin", "windows", "Documents and Settings"}) {
    fs.folders.insert(std::string("D:\\Backup\\") + name);
    const auto r = Press(name, std::string("D:\\Backup\\") + name + "\\", "C:\\Icons\\star.ico");
    EXPECT_EQ(r.outcome, ChangeOutcome::kProtectedName) << name;
  }
  EXPECT_THAT(prompts.shown, IsEmpty());
  EXPECT_THAT(fs.replaced, IsEmpty());
  EXPECT_EQ(refreshed, 0);
}

TEST_F(ChangeIconTest, GuardsShowTheirErrorsAndWriteNothing) {
  EXPECT_EQ(Press("A", "D:\\A\\", "").outcome, ChangeOutcome::kNoIconSource);
  EXPECT_EQ(Press("C:", "C:\\", "C:\\Icons\\star.ico").outcome, ChangeOutcome::kDriveRoot);
  EXPECT_EQ(Press("share", "\\\\server\\share\\", "C:\\Icons\\star.ico").outcome, ChangeOutcome::kDriveRoot);
  EXPECT_EQ(Press("", "D:\\A\\", "C:\\Icons\\star.ico").outcome, ChangeOutcome::kMissingFields);
  EXPECT_THAT(prompts.shown, ElementsAre("error: Ошибка!: Выберите источник иконки",
                                         "error: Ошибка!: Нельзя изменить иконку диска",
                                         "error: Ошибка!: Нельзя изменить иконку диска"));
  EXPECT_THAT(fs.replaced, IsEmpty());
  ChangeRequest none;
  EXPECT_EQ(ButtonChangeIconClick(services, none, {}).outcome, ChangeOutcome::kNoSelection);
}

TEST_F(ChangeIconTest, AskesFirstAndRefreshesTheWindowEitherWay) {
  prompts.answers = {false};
  EXPECT_EQ(Press("A", "D:\\A\\", "C:\\Icons\\star.ico").outcome, ChangeOutcome::kDeclined);
  EXPECT_THAT(prompts.shown, ElementsAre("question: Внимание!: Изменить иконку папки?"));
  EXPECT_FALSE(fs.FileExists(kIni));
  EXPECT_EQ(refreshed, 1);

  prompts.answers = {true};
  fs.log->clear();
  const auto r = Press("A", "D:\\A\\", "C:\\Icons\\star.ico");
  EXPECT_EQ(r.outcome, ChangeOutcome::kInstalled);
  EXPECT_EQ(r.status, "Иконка успешно установлена");
  EXPECT_TRUE(fs.FileExists(kIni));
  // Besides the association change, the folder and its parent's listing are
  // named, so Explorer draws the new icon at once.
  EXPECT_THAT(std::vector<std::string>(fs.log->end() - 4, fs.log->end()),
              ElementsAre("notify", "update item D:\\A", "update folder D:\\", "refresh desktop"));
  EXPECT_EQ(refreshed, 1);
}

}  // namespace
}  // namespace vandrel
