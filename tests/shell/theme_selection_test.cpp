// The system's mode for apps and the two style names, over the registry fake.
#include "shell/theme_selection.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_system.h"

namespace vandrel {
namespace {

constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

TEST(ThemeSelection, TheSystemIsDarkOnlyWhenAppsUseLightThemeIsZero) {
  const struct {
    const char* name;
    std::optional<std::uint32_t> dword;
    std::optional<std::string> text;  // a value of another type
    bool key = true;
    bool dark;
  } cases[] = {
      {"zero", 0u, std::nullopt, true, true},
      {"one", 1u, std::nullopt, true, false},
      {"another number", 7u, std::nullopt, true, false},
      {"missing value", std::nullopt, std::nullopt, true, false},
      {"not a number", std::nullopt, "0", true, false},
      {"missing key", 0u, std::nullopt, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeRegistry registry;
    if (c.key) registry.keys[kKey];
    if (c.dword) registry.dwords[kKey]["AppsUseLightTheme"] = *c.dword;
    if (c.text) registry.keys[kKey]["AppsUseLightTheme"] = *c.text;
    EXPECT_EQ(SystemUsesDarkMode(registry), c.dark);
    EXPECT_EQ(SystemStyleName(registry), c.dark ? "Windows11 Modern Dark" : "Windows11 Modern Light");
  }
}

TEST(ThemeSelection, OnlyTheTwoExactNamesAreStyles) {
  EXPECT_EQ(StyleNamed("Windows11 Modern Light"), Style::kLight);
  EXPECT_EQ(StyleNamed("Windows11 Modern Dark"), Style::kDark);
  for (const char* other : {"", "windows11 modern dark", "Windows11 Modern Dark ", "Windows10 Dark", "Dark"})
    EXPECT_EQ(StyleNamed(other), std::nullopt) << other;
}

}  // namespace
}  // namespace vandrel
