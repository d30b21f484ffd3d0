#include "cli/cli.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "icons/pe_resource_file.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_shell.h"
#include "tests/support/pe_builder.h"
#include "tests/support/version_builder.h"

namespace vandrel {
namespace {

using ::testing::HasSubstr;

class CliTest : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    out.clear();
    err.clear();
    return RunCli(args, platform);
  }

  testing::FakeFileSystem fs;
  PeResourceLoader loader{fs};
  PeVersionReader versions{fs};
  std::string out, err;
  std::unique_ptr<AnsiCodec> ansi = MakeWindows1252Codec();
  CliPlatform platform{fs, loader, versions, *ansi, nullptr, [this](std::string_view s) { out += s; },
                       [this](std::string_view s) { err += s; }};
};

TEST_F(CliTest, IconsListsIndexTabName) {
  auto r = testing::IconGroupResources(ResourceName::String("MAINICON"), {{.id = 1, .data = testing::PatternBytes(8, 1)}});
  r.push_back({kResourceTypeGroupIcon, ResourceName::Id(101), 0x409, testing::ToBytes("xxxxxx")});
  fs.files["app.exe"] = testing::BuildPe(r);
  fs.files["bare.dll"] = testing::BuildPe({});
  fs.files["star.ico"] = testing::ToBytes("not a PE");

  EXPECT_EQ(Run({"icons", "app.exe"}), 0);
  EXPECT_EQ(out, "0\tMAINICON\n1\tID:101\n");
  EXPECT_EQ(Run({"icons", "bare.dll"}), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(Run({"icons", "star.ico"}), 1);
  EXPECT_THAT(err, HasSubstr("star.ico"));
  EXPECT_EQ(Run({"icons", "gone.exe"}), 1);
  EXPECT_THAT(err, HasSubstr("File not found: gone.exe"));
}

TEST_F(CliTest, ExtractSucceedsOnlyWhenTheIconWasWritten) {
  fs.files["app.exe"] = testing::BuildPe(
      testing::IconGroupResources(ResourceName::Id(1), {{.id = 1, .data = testing::PatternBytes(8, 1)}}));
  EXPECT_EQ(Run({"extract", "app.exe", "0", "out.ico"}), 0);
  EXPECT_EQ(fs.files.at("out.ico").size(), 30u);

  // The file is there from before, but this call wrote nothing: not a success.
  EXPECT_EQ(Run({"extract", "app.exe", "1", "out.ico"}), 1);
  EXPECT_THAT(err, HasSubstr("Invalid icon index"));
  EXPECT_EQ(Run({"extract", "app.exe", "x1", "out.ico"}), 2);
  fs.read_only.insert("ro.ico");
  EXPECT_EQ(Run({"extract", "app.exe", "0", "ro.ico"}), 1);
  EXPECT_THAT(err, HasSubstr("ro.ico"));
}

TEST_F(CliTest, VersionPrintsTheNormalisedVersionOrAValue) {
  fs.files["app.exe"] = testing::BuildPe({{kResourceTypeVersion, ResourceName::Id(1), 0x409,
                                           testing::BuildVersionBlock(testing::SimpleVersion(u"9, 0, 26, 320", 0, 0))}});
  EXPECT_EQ(Run({"version", "app.exe"}), 0);
  EXPECT_EQ(out, "9.0.26.320\n");
  EXPECT_EQ(Run({"version", "app.exe", "CompanyName"}), 0);
  EXPECT_EQ(out, "Vandrel Software\n");
  EXPECT_EQ(Run({"version", "missing.exe"}), 0);
  EXPECT_EQ(out, "\n");
}

TEST_F(CliTest, FolderCommandsNeedTheWindowsShell) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"show", "/tmp"}, {"remove", "/tmp"}, {"apply", "/tmp", "--icon", "x.ico"}}) {
    EXPECT_EQ(Run(args), 1);
    EXPECT_THAT(err, HasSubstr("needs Windows"));
  }
  EXPECT_EQ(Run({"apply", "/tmp", "--index", "1"}), 2);  // no --icon
  EXPECT_EQ(Run({"apply", "/tmp", "--icon", "x.ico", "--bogus"}), 2);
  EXPECT_EQ(Run({"apply", "--icon", "x.ico"}), 2);  // no folder
}

TEST_F(CliTest, ManyFoldersAtOnceEachWithItsGuardsOneExtractionAndASummary) {
  testing::FakeShell shell(fs);
  platform.shell = &shell;
  for (const char* f : {"C:", "C:\\Photos", "C:\\Music", "C:\\Windows", "C:\\Users", "C:\\Users\\me",
                        "C:\\Users\\me\\AppData", "C:\\Users\\me\\AppData\\Local",
                        "C:\\Users\\me\\AppData\\Local\\Temp"})
    fs.folders.insert(f);
  fs.files["C:\\app.exe"] = testing::BuildPe(
      testing::IconGroupResources(ResourceName::Id(1), {{.id = 1, .data = testing::PatternBytes(8, 1)}}));

  // A folder the shell keeps for itself is refused; the others get the icon.
  EXPECT_EQ(Run({"apply", "C:\\Photos", "C:\\Windows", "C:\\Music", "--icon", "C:\\app.exe", "--copy"}), 1);
  for (const char* folder : {"C:\\Photos", "C:\\Music"}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(fs.files.count(std::string(folder) + "\\app.ico"), 1u);
    EXPECT_EQ(fs.files.count(std::string(folder) + "\\Desktop.ini"), 1u);
  }
  EXPECT_EQ(fs.files.count("C:\\Windows\\app.ico"), 0u);
  EXPECT_THAT(err, HasSubstr("Failed: C:\\Windows"));
  EXPECT_EQ(out, "3 folders: 2 applied, 1 failed\n");
  // The icon group was extracted once, and the extraction is gone.
  int extractions = 0;
  for (const std::string& entry : *fs.log)
    if (entry.find("create C:\\Users\\me\\AppData\\Local\\Temp\\vandrel-icon") == 0) ++extractions;
  EXPECT_EQ(extractions, 1);
  for (const auto& [path, bytes] : fs.files) EXPECT_EQ(path.find("\\Temp\\vandrel-icon"), std::string::npos) << path;

  // Removing from both: all done, exit 0.
  EXPECT_EQ(Run({"remove", "C:\\Photos", "C:\\Music"}), 0);
  EXPECT_EQ(out, "2 folders: 2 done, 0 failed\n");
  EXPECT_EQ(fs.files.count("C:\\Photos\\app.ico"), 0u);
  // One folder: no summary, as before.
  EXPECT_EQ(Run({"apply", "C:\\Photos", "--icon", "C:\\app.exe"}), 0);
  EXPECT_EQ(out, "");
}

TEST_F(CliTest, ConvertWritesThePicturesIcoOrNothing) {
  EXPECT_EQ(Run({"convert", "a.png", "a.ico"}), 1);
  EXPECT_THAT(err, HasSubstr("needs Windows"));
  const RgbaImage picture{2, 1, {0xFFFF0000, 0xFF0000FF}};
  platform.decode_picture = [&](const std::string& path, PictureProblem& problem) -> std::optional<RgbaImage> {
    if (path == "a.png") return picture;
    problem = {PictureProblem::Kind::kUnreadable, "cut short"};
    return std::nullopt;
  };
  EXPECT_EQ(Run({"convert", "a.png", "a.ico"}), 0);
  EXPECT_EQ(fs.files.at("a.ico"), PictureToIco(picture));
  EXPECT_EQ(Run({"convert", "cut.png", "cut.ico"}), 1);
  EXPECT_EQ(err, "Error: The file is not a picture or it is damaged: cut.png (cut short)\nNothing was written\n");
  EXPECT_EQ(fs.files.count("cut.ico"), 0u);
  EXPECT_EQ(Run({"convert", "a.png"}), 2);
}

TEST_F(CliTest, APictureForManyFoldersIsConvertedOnce) {
  testing::FakeShell shell(fs);
  platform.shell = &shell;
  for (const char* f : {"C:", "C:\\Photos", "C:\\Music", "C:\\Users", "C:\\Users\\me",
                        "C:\\Users\\me\\AppData", "C:\\Users\\me\\AppData\\Local",
                        "C:\\Users\\me\\AppData\\Local\\Temp"})
    fs.folders.insert(f);
  fs.files["C:\\sun.png"] = testing::ToBytes("png");
  const RgbaImage picture{1, 1, {0xFFFFFF00}};
  int decoded = 0;
  platform.decode_picture = [&](const std::string&, PictureProblem&) -> std::optional<RgbaImage> {
    ++decoded;
    return picture;
  };
  // No --copy: a picture is placed in each folder all the same.
  EXPECT_EQ(Run({"apply", "C:\\Photos", "C:\\Music", "--icon", "C:\\sun.png"}), 0);
  EXPECT_EQ(out, "2 folders: 2 applied, 0 failed\n");
  EXPECT_EQ(decoded, 1);
  for (const char* folder : {"C:\\Photos", "C:\\Music"}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(fs.files.at(std::string(folder) + "\\sun.ico"), PictureToIco(picture));
    EXPECT_THAT(fs.Text(std::string(folder) + "\\Desktop.ini"),
                HasSubstr("IconFile=sun.ico\r\nIconIndex=0\r\nIconResource=sun.ico,0\r\n"));
  }
  for (const auto& [path, bytes] : fs.files) EXPECT_EQ(path.find("\\Temp\\vandrel-icon"), std::string::npos) << path;

  // A picture that cannot be read changes no folder.
  platform.decode_picture = [&](const std::string&, PictureProblem& problem) -> std::optional<RgbaImage> {
    problem = {PictureProblem::Kind::kTooLarge, "9000 x 9000"};
    return std::nullopt;
  };
  fs.files["C:\\huge.png"] = testing::ToBytes("png");
  EXPECT_EQ(Run({"apply", "C:\\Photos", "C:\\Music", "--icon", "C:\\huge.png"}), 1);
  EXPECT_THAT(err, HasSubstr("The picture is too large (over 64 megapixels): C:\\huge.png (9000 x 9000)"));
  EXPECT_THAT(err, HasSubstr("No folder was changed"));
  EXPECT_EQ(fs.files.count("C:\\Photos\\huge.ico"), 0u);
}

TEST_F(CliTest, WrongCallsPrintUsageAndExitTwo) {
  for (const auto& args : std::vector<std::vector<std::string>>{{}, {"icons"}, {"bogus"}, {"extract", "a", "1"},
                                                                  {"version", "a", "b", "c"}, {"--help", "x"}}) {
    EXPECT_EQ(Run(args), 2);
    EXPECT_THAT(err, HasSubstr("Usage: vandrel-cli"));
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_THAT(out, HasSubstr("extract FILE INDEX OUT.ico"));
}

}  // namespace
}  // namespace vandrel
