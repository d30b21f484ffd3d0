#include "platform/win32/win32_file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/win32/wide.h"
#include "tests/support/pe_builder.h"
#include "tests/win32/win32_test_support.h"

namespace vandrel {
namespace {

using testing::PatternBytes;
using testing::TempFolder;
using testing::ToBytes;

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(ToWinPath(path).c_str()); }

TEST(Win32FileSystem, WritesReadsAndReplacesWholeFiles) {
  TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File("Desktop.ini");
  EXPECT_FALSE(fs.ReadFile(path).has_value());
  EXPECT_FALSE(fs.FileExists(path));
  fs.WriteFileAtomically(path, ToBytes("first version, longer"));
  fs.WriteFileAtomically(path, ToBytes("second"));
  EXPECT_TRUE(fs.FileExists(path));
  EXPECT_EQ(fs.ReadFile(path), ToBytes("second"));
  EXPECT_FALSE(fs.FileExists(dir.path()));  // a folder is not a file
  EXPECT_THAT(testing::FolderEntries(dir.path()), ::testing::ElementsAre("Desktop.ini"));  // no temporary left
}

TEST(Win32FileSystem, ReplacingKeepsHiddenAndSystemAttributes) {
  TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File("Desktop.ini");
  fs.WriteFileAtomically(path, ToBytes("[.ShellClassInfo]\r\n"));
  ASSERT_TRUE(::SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  fs.WriteFileAtomically(path, ToBytes("[.ShellClassInfo]\r\nInfoTip=x\r\n"));
  const DWORD a = Attributes(path);
  EXPECT_TRUE(a & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(a & FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(fs.ReadFile(path), ToBytes("[.ShellClassInfo]\r\nInfoTip=x\r\n"));
}

TEST(Win32FileSystem, AReadOnlyTargetIsRefusedAndLeftAlone) {
  TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File("Option.ini");
  fs.WriteFileAtomically(path, ToBytes("old"));
  ASSERT_TRUE(::SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    fs.WriteFileAtomically(path, ToBytes("new"));
    ADD_FAILURE() << "a read-only file was overwritten";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), ::testing::HasSubstr(path));
    EXPECT_FALSE(e.system_reason().empty());
  }
  EXPECT_EQ(fs.ReadFile(path), ToBytes("old"));
  EXPECT_EQ(testing::FolderEntries(dir.path()).size(), 1u);
}

TEST(Win32FileSystem, AMissingFolderIsAnErrorNamingTheFile) {
  TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File("no such folder\\x.ico");
  EXPECT_THROW(fs.WriteFileAtomically(path, ToBytes("x")), Error);
  EXPECT_FALSE(fs.ReadFile(path).has_value());
  EXPECT_EQ(fs.OpenForReading(path), nullptr);
}

TEST(Win32FileSystem, PathsLongerThanMaxPathWork) {
  TempFolder dir;
  Win32FileSystem fs;
  std::string deep = dir.path();
  while (deep.size() < 400) {
    deep += "\\Папка с очень длинным именем " + std::to_string(deep.size());
    ASSERT_TRUE(::CreateDirectoryW(ToWinPath(deep).c_str(), nullptr)) << deep;
  }
  const std::string path = deep + "\\Desktop.ini";
  const Bytes data = PatternBytes(70000, 3);
  fs.WriteFileAtomically(path, data);
  EXPECT_TRUE(fs.FileExists(path));
  EXPECT_EQ(fs.ReadFile(path), data);
  auto source = fs.OpenForReading(path);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->Size(), data.size());
  Bytes part(10);
  ASSERT_TRUE(source->Read(65536, part));
  EXPECT_TRUE(std::equal(part.begin(), part.end(), data.begin() + 65536));
  EXPECT_FALSE(source->Read(data.size() - 5, part));  // past the end
}

TEST(Win32FileSystem, ALockedFileCannotBeReadAndSaysWhy) {
  TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File("locked.ini");
  fs.WriteFileAtomically(path, ToBytes("[A]"));
  UniqueHandle lock(::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock.valid());
  EXPECT_THROW(fs.ReadFile(path), Error);
  EXPECT_THROW(fs.WriteFileAtomically(path, ToBytes("[B]")), Error);
  lock.Reset();
  EXPECT_EQ(fs.ReadFile(path), ToBytes("[A]"));
}

}  // namespace
}  // namespace vandrel
