#include "icons/icon_source.h"
#include "icons/picture_source.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

struct SetupCase {
  int groups;
  int max;
  bool enabled;
  bool preview_index;
  bool save_enabled;
};

TEST(IconSourceTest, ChosenExecutableRanges) {
  // One group gives 0..1 and none gives equal (unlimited) bounds: the dialog
  // path always leaves the box and the save button on.
  for (const SetupCase& c : {SetupCase{0, 0, true, false, true}, SetupCase{1, 1, true, false, true},
                             SetupCase{2, 1, true, true, true}, SetupCase{12, 11, true, true, true}}) {
    SCOPED_TRACE(c.groups);
    const IndexBoxSetup s = ChosenExecutableSetup(c.groups);
    EXPECT_EQ(s.min, 0);
    EXPECT_EQ(s.max, c.max);
    EXPECT_EQ(s.enabled, c.enabled);
    EXPECT_EQ(s.preview_index, c.preview_index);
    EXPECT_EQ(s.save_enabled, c.save_enabled);
    EXPECT_TRUE(s.show_preview);
  }
}

TEST(IconSourceTest, DroppedExecutableRanges) {
  for (const SetupCase& c : {SetupCase{0, 0, false, false, false}, SetupCase{1, 0, false, false, true},
                             SetupCase{2, 1, true, false, true}, SetupCase{12, 11, true, false, true}}) {
    SCOPED_TRACE(c.groups);
    const IndexBoxSetup s = DroppedExecutableSetup(c.groups);
    EXPECT_EQ(s.min, 0);
    EXPECT_EQ(s.max, c.max);
    EXPECT_EQ(s.enabled, c.enabled);
    EXPECT_EQ(s.save_enabled, c.save_enabled);
    EXPECT_EQ(s.show_preview, c.groups > 0);
  }
}

TEST(IconSourceTest, ProposedIconFileName) {
  for (auto [source, name] : {std::pair{"C:\\Tools\\app.exe", "app.ico"}, {"C:\\Tools\\app.tar.dll", "app.tar.ico"},
                              {"C:\\Tools\\.exe", "icon.ico"}, {"", "icon.ico"}, {"D:\\noext", "noext.ico"},
                              {"C:\\Мои программы\\Редактор.EXE", "Редактор.ico"}}) {
    EXPECT_EQ(ProposedIconFileName(source), name) << source;
  }
}

TEST(IconSourceTest, IconCopyFileNameKeepsTheDateButNotForbiddenCharacters) {
  EXPECT_EQ(IconCopyFileName("20.03.2026", 14, 5, 9), "Image_20.03.2026_14-05-09");
  EXPECT_EQ(IconCopyFileName("3/20/2026", 0, 0, 0), "Image_3-20-2026_00-00-00");
  EXPECT_EQ(IconCopyFileName("2026\\03:20*?\"<>|", 23, 59, 59), "Image_2026-03-20------_23-59-59");
  EXPECT_EQ(IconCopyFileName("20 мар 2026", 9, 8, 7), "Image_20 мар 2026_09-08-07");
}

TEST(IconSourceTest, PicturesAreKnownByTheirExtensionInAnyCase) {
  for (const char* path : {"a.png", "C:\\P\\b.JPG", "c.jpeg", "d.bmp", "e.Gif", "f.tif", "g.TIFF"})
    EXPECT_TRUE(IsPictureFile(path)) << path;
  for (const char* path : {"a.ico", "b.exe", "png", "C:\\x.png\\y", "c.png.lnk", "d.webp", ""})
    EXPECT_FALSE(IsPictureFile(path)) << path;
}

}  // namespace
}  // namespace vandrel
