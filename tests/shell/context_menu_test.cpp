// The folder context-menu entry in the current user's registry.
#include "shell/context_menu.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/fakes/fake_system.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;
using testing::FakeRegistry;

constexpr char kKey[] = "Software\\Classes\\Directory\\shell\\Vandrel";
constexpr char kCommand[] = "Software\\Classes\\Directory\\shell\\Vandrel\\command";

TEST(ContextMenuTest, RegisteringWritesTheTextTheIconAndTheQuotedCommand) {
  const std::string long_path = "C:\\" + std::string(300, 'a') + "\\Vandrel.exe";
  for (const std::string& exe : {std::string("C:\\Program Files\\Vandrel\\Vandrel.exe"),
                                std::string("D:\\Программы\\Ванд рел\\Vandrel.exe"), long_path}) {
    SCOPED_TRACE(exe.substr(0, 40));
    FakeRegistry registry;
    RegisterContextMenu(registry, "Изменить иконку", exe);
    EXPECT_THAT(registry.log, ElementsAre(std::string("create ") + kKey, std::string("set ") + kKey + " [] = Изменить иконку",
                                          std::string("set ") + kKey + " [Icon] = " + exe, std::string("create ") + kCommand,
                                          std::string("set ") + kCommand + " [] = \"" + exe + "\" \"%1\""));
    EXPECT_TRUE(ContextMenuRegistered(registry));
  }
}

TEST(ContextMenuTest, RemovingTakesBothKeysAndAnEntryAlreadyGoneIsNoError) {
  FakeRegistry registry;
  RegisterContextMenu(registry, "Change icon", "C:\\V\\Vandrel.exe");
  registry.keys["Software\\Classes\\Directory\\shell\\Other"];  // a neighbour stays
  UnregisterContextMenu(registry);
  EXPECT_FALSE(ContextMenuRegistered(registry));
  EXPECT_FALSE(registry.KeyExists(kCommand));
  EXPECT_TRUE(registry.KeyExists("Software\\Classes\\Directory\\shell\\Other"));
  EXPECT_NO_THROW(UnregisterContextMenu(registry));
}

TEST(ContextMenuTest, TheEntryCountsAsRegisteredByItsKeyAlone) {
  FakeRegistry registry;
  registry.keys[kKey];  // no command, no values
  EXPECT_TRUE(ContextMenuRegistered(registry));
}

TEST(ContextMenuTest, AKeyThatCannotBeMadeIsAnErrorWithTheSystemsReason) {
  FakeRegistry registry;
  registry.refuse_create.insert(kKey);
  try {
    RegisterContextMenu(registry, "Изменить иконку", "C:\\V\\Vandrel.exe");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.system_reason(), "Access is denied.");
  }
  EXPECT_FALSE(ContextMenuRegistered(registry));
  // A value that cannot be written stops the registration there.
  FakeRegistry other;
  other.refuse_write.insert(kCommand);
  EXPECT_THROW(RegisterContextMenu(other, "x", "C:\\V\\Vandrel.exe"), Error);
  EXPECT_TRUE(ContextMenuRegistered(other));  // what the registry now holds
}

}  // namespace
}  // namespace vandrel
