#include "common/paths.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(Paths, CollapseBackslashes) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"C:\\\\A\\\\B", "C:\\A\\B"}, {"C:\\A", "C:\\A"}, {"\\\\\\", "\\\\"}, {"\\\\\\\\", "\\\\"}, {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(CollapseBackslashes(c.in), c.out) << c.in;
}

TEST(Paths, NamesExtensionsAndDrives) {
  EXPECT_EQ(NamePart("C:\\Icons\\star.ico"), "star.ico");
  EXPECT_EQ(NamePart("C:star.ico"), "star.ico");
  EXPECT_EQ(NamePart("star.ico"), "star.ico");
  EXPECT_EQ(FolderPart("C:\\Tools\\Vandrel\\Vandrel.exe"), "C:\\Tools\\Vandrel\\");
  EXPECT_EQ(FolderPart("Vandrel.exe"), "");
  EXPECT_EQ(Extension("C:\\my.app.EXE"), ".EXE");
  EXPECT_EQ(Extension("C:\\dir.d\\file"), "");
  EXPECT_TRUE(HasExtension("x.ICO", ".ico"));
  EXPECT_EQ(DrivePart("C:\\A\\"), "C:");
  EXPECT_EQ(DrivePart("\\\\server\\share\\A"), "\\\\server\\share");
  EXPECT_EQ(DrivePart("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(DrivePart("relative\\x"), "");
  EXPECT_EQ(WithTrailingBackslash("C:\\A"), "C:\\A\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\A\\"), "C:\\A\\");
}

}  // namespace
}  // namespace vandrel
