#include "app/startup.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(Startup, OnlyWindows10And11Pass) {
  struct Case {
    unsigned major, build;
    bool runs;
  } cases[] = {{10, 10239, false}, {10, 10240, true}, {10, 19045, true}, {10, 22000, true},
               {6, 9600, false},   {11, 22000, false}, {0, 0, false}};
  for (const auto& c : cases) EXPECT_EQ(IsWindows10Or11(c.major, c.build), c.runs) << c.major << "." << c.build;
}

TEST(Startup, TitleCarriesVersionBitnessAndPortableMode) {
  const std::string bits = GetBitness();
  // The bitness of this very build: a 32-bit program says 32-bit.
  EXPECT_EQ(bits, sizeof(void*) == 4 ? "(32-bit)" : "(64-bit)");
  EXPECT_EQ(ComposeTitle("Vandrel", "9.0.26.320", false), "Vandrel 9.0.26.320 " + bits);
  EXPECT_EQ(ComposeTitle("Vandrel", "9.0.26.320", true), "Vandrel 9.0.26.320 " + bits + " Portable");
}

TEST(Startup, TheFirstArgumentLosesOnePairOfQuotes) {
  struct Case {
    std::vector<std::string> args;
    std::optional<std::string> folder;
  } cases[] = {
      {{}, std::nullopt},
      {{"D:\\Photos\\Summer"}, "D:\\Photos\\Summer"},
      {{"\"D:\\Photos\\Summer\"", "ignored"}, "D:\\Photos\\Summer"},
      {{"\""}, ""},
      {{"\"D:\\half"}, "\"D:\\half"},
      {{""}, ""},
      // Explorer's "%1" of a drive root: its backslash escaped the closing quote.
      {{"D:\""}, "D:\\"},
      {{"C:\\Folder\""}, "C:\\Folder\\"},
      {{"\"D:\""}, "D:"},  // quotes of its own: one pair removed, nothing more
  };
  for (const auto& c : cases) EXPECT_EQ(FolderArgument(c.args), c.folder) << (c.args.empty() ? "" : c.args[0]);
}

TEST(Startup, CommandLineFolderGivesTheListedParentAndTheItem) {
  struct Case {
    const char* path;
    const char* parent;
    const char* name;
  } cases[] = {
      {"D:\\Photos\\Summer", "D:\\Photos", "Summer"},
      {"D:\\Photos\\Summer\\", "D:\\Photos", ""},
      {"C:\\", "C:", ""},
      {"D:\\Photos", "D:", "Photos"},
      {"\\\\server\\share\\dir", "\\\\server\\share", "dir"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CommandLineParent(c.path), c.parent) << c.path;
    EXPECT_EQ(CommandLineName(c.path), c.name) << c.path;
  }
}

TEST(Startup, TheMenuButtonOpensThenOnlyReleases) {
  MenuButtonState b;
  EXPECT_EQ(ClickMenuButton(b), MenuButtonClick::kOpenMenu);
  EXPECT_TRUE(b.down);
  EXPECT_FALSE(b.allow_all_up);
  EXPECT_EQ(ClickMenuButton(b), MenuButtonClick::kCloseMenu);
  EXPECT_FALSE(b.down);
  EXPECT_TRUE(b.allow_all_up);
  ClickMenuButton(b);
  RestMenuButton(b);  // a mouse move over the window
  EXPECT_EQ(ClickMenuButton(b), MenuButtonClick::kOpenMenu);
}

}  // namespace
}  // namespace vandrel

#include "ui/spin_rules.h"

namespace vandrel {
namespace {

TEST(SpinRules, ClampsUnlessTheBoundsAreEqual) {
  struct Case {
    int value, min, max, expected;
  } cases[] = {{5, 0, 3, 3}, {-1, 0, 3, 0}, {2, 0, 3, 2}, {99, 0, 0, 99}, {-7, 4, 4, -7}};
  for (const auto& c : cases) EXPECT_EQ(ClampSpinValue(c.value, c.min, c.max), c.expected);
  EXPECT_EQ(SpinValueFromText("12", 0, 5), 5);
  EXPECT_EQ(SpinValueFromText(" 3 ", 0, 5), 3);
  EXPECT_EQ(SpinValueFromText("abc", 2, 5), 2);
  EXPECT_EQ(SpinValueFromText("", 0, 0), 0);
  EXPECT_EQ(SpinValueFromText("-4", 0, 0), -4);
}

}  // namespace
}  // namespace vandrel
