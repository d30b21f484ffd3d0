// Downloading and installing an update: names, parameters, progress, the
// portable script and the check of a downloaded archive.
#include "update/update_install.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/byte_order.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;

TEST(UpdateInstallTest, ThePackagesNameIsTheLastPartOfItsAddress) {
  EXPECT_EQ(FileNameFromUrl("http://127.0.0.1:8001/download/Vandrel/Vandrel.zip"), "Vandrel.zip");
  EXPECT_EQ(FileNameFromUrl("http://127.0.0.1:8001/download/Vandrel/Vandrel-setup.exe"), "Vandrel-setup.exe");
  EXPECT_EQ(FileNameFromUrl("Vandrel.zip"), "Vandrel.zip");
  EXPECT_EQ(FileNameFromUrl("http://127.0.0.1:8001/download/"), "http://127.0.0.1:8001/download/");
  EXPECT_EQ(FileNameFromUrl(""), "");
}

TEST(UpdateInstallTest, TheInstallerGetsTheLanguageTheUserChose) {
  EXPECT_EQ(InstallerParameters("English"),
            "/SILENT /CLOSEAPPLICATIONS /SUPPRESSMSGBOXES /LANG=English /MERGETASKS=\"runcmd1\"");
  EXPECT_EQ(InstallerParameters(""), "/SILENT /CLOSEAPPLICATIONS /SUPPRESSMSGBOXES /LANG= /MERGETASKS=\"runcmd1\"");
}

TEST(UpdateInstallTest, ProgressStepsRoundHalvesToEven) {
  EXPECT_EQ(BytesPerStep(1049), 10);
  EXPECT_EQ(ProgressPosition(1049, 10), 105);  // past 100: the bar shows full
  EXPECT_EQ(BytesPerStep(1050), 10);  // 10.5 → 10
  EXPECT_EQ(BytesPerStep(1150), 12);  // 11.5 → 12
  EXPECT_EQ(BytesPerStep(1051), 11);
  EXPECT_EQ(BytesPerStep(50), 0);     // 0.5 → 0: no steps
  EXPECT_EQ(BytesPerStep(51), 1);
  EXPECT_EQ(BytesPerStep(-1), 0);     // the server gave no size
  EXPECT_EQ(ProgressPosition(500, 0), std::nullopt);
  EXPECT_EQ(ProgressPosition(25, 10), 2);  // 2.5 → 2
  EXPECT_EQ(ProgressPosition(35, 10), 4);  // 3.5 → 4
  EXPECT_EQ(BytesPerStep(8'000'000'000'000LL), 80'000'000'000LL);
  EXPECT_EQ(UpdateScriptName(9, 5, 7), "update_090507.bat");
  EXPECT_EQ(UpdateScriptName(23, 59, 0), "update_235900.bat");
}

TEST(UpdateInstallTest, ThePortableScriptHasItsNineteenLines) {
  const UpdateScript s = PortableUpdateScript("C:\\Tools\\Vandrel\\", "Vandrel.exe", "Vandrel.zip");
  EXPECT_FALSE(s.utf8);
  ASSERT_EQ(s.lines.size(), 19u);
  EXPECT_EQ(s.lines[0], "@echo off");
  EXPECT_EQ(s.lines[1], "cd /d \"C:\\Tools\\Vandrel\\\"");
  EXPECT_EQ(s.lines[4], "taskkill /F /IM \"Vandrel.exe\" >nul 2>&1");
  EXPECT_EQ(s.lines[8],
            "powershell -Command \"Add-Type -AssemblyName System.IO.Compression.FileSystem; $zip = "
            "[System.IO.Compression.ZipFile]::OpenRead('Vandrel.zip'); foreach ($entry in $zip.Entries) { $target = "
            "$entry.FullName; if (-not $entry.Name) { [System.IO.Directory]::CreateDirectory($target) | Out-Null; } "
            "else { try { [System.IO.Compression.ZipFileExtensions]::ExtractToFile($entry, $target, $true) } catch { "
            "Write-Host ('Skipping: ' + $entry.FullName) } } }; $zip.Dispose(); Write-Host 'Extraction complete'\"");
  EXPECT_EQ(s.lines[11], "del \"Vandrel.zip\"");
  EXPECT_EQ(s.lines[14], "start \"\" \"Vandrel.exe\"");
  EXPECT_EQ(s.lines[18], "del \"%~f0\"");
  const std::vector<std::string> blank_or_echo = {s.lines[2], s.lines[3], s.lines[5], s.lines[6], s.lines[7], s.lines[9],
                                                  s.lines[10], s.lines[12], s.lines[13], s.lines[15], s.lines[16],
                                                  s.lines[17]};
  EXPECT_THAT(blank_or_echo, ElementsAre("", "echo Killing app...", "timeout /t 2 >nul", "", "echo Extracting...", "",
                                         "echo Deleting ZIP...", "", "echo Starting app...", "", "echo Done",
                                         "timeout /t 2 >nul"));
  const Bytes content = s.Content();
  const std::string text(reinterpret_cast<const char*>(content.data()), content.size());
  EXPECT_EQ(text.substr(0, 11), "@echo off\r\n");
  EXPECT_EQ(text.substr(text.size() - 12), "del \"%~f0\"\r\n");
}

TEST(UpdateInstallTest, AnyProgramFolderReachesTheScriptIntact) {
  // Characters cmd treats specially stay inside quotes; "%" is doubled.
  const UpdateScript s = PortableUpdateScript("D:\\50% off & (more)^!\\", "Van%drel.exe", "It's.zip");
  EXPECT_FALSE(s.utf8);
  EXPECT_EQ(s.lines[1], "cd /d \"D:\\50%% off & (more)^!\\\"");
  EXPECT_EQ(s.lines[4], "taskkill /F /IM \"Van%%drel.exe\" >nul 2>&1");
  EXPECT_THAT(s.lines[8], ::testing::HasSubstr("OpenRead('It''s.zip')"));
  EXPECT_EQ(s.lines[14], "start \"\" \"Van%%drel.exe\"");
  // Beyond ASCII: UTF-8, and the console told so right after "@echo off".
  const UpdateScript u = PortableUpdateScript("C:\\Программы\\日本\\", "Vandrel.exe", "Vandrel.zip");
  EXPECT_TRUE(u.utf8);
  ASSERT_EQ(u.lines.size(), 20u);
  EXPECT_EQ(u.lines[0], "@echo off");
  EXPECT_EQ(u.lines[1], "chcp 65001 >nul");
  EXPECT_EQ(u.lines[2], "cd /d \"C:\\Программы\\日本\\\"");
}

// A zip's central directory and end record: enough for the check, which
// reads nothing else.
Bytes MakeZip(const std::vector<std::string>& names, std::uint16_t claimed = 0xFFFF) {
  Bytes zip(30, std::byte{0});  // stands for the local records
  const std::uint32_t directory_offset = static_cast<std::uint32_t>(zip.size());
  for (const std::string& name : names) {
    AppendU32(zip, 0x02014b50);
    for (int i = 0; i < 24; ++i) zip.push_back(std::byte{0});
    AppendU16(zip, static_cast<std::uint32_t>(name.size()));
    AppendU16(zip, 0);
    AppendU16(zip, 0);
    for (int i = 0; i < 12; ++i) zip.push_back(std::byte{0});
    for (char c : name) zip.push_back(static_cast<std::byte>(c));
  }
  const std::uint32_t directory_size = static_cast<std::uint32_t>(zip.size()) - directory_offset;
  AppendU32(zip, 0x06054b50);
  AppendU32(zip, 0);
  const std::uint16_t count = claimed == 0xFFFF ? static_cast<std::uint16_t>(names.size()) : claimed;
  AppendU16(zip, count);
  AppendU16(zip, count);
  AppendU32(zip, directory_size);
  AppendU32(zip, directory_offset);
  AppendU16(zip, 0);
  return zip;
}

std::optional<std::string> Check(const Bytes& zip) {
  MemoryByteSource source(zip);
  return UnsafeZipEntry(source);
}

TEST(UpdateInstallTest, AnArchiveThatWouldWriteOutsideTheProgramFolderIsRefused) {
  EXPECT_EQ(Check(MakeZip({"Vandrel.exe", "Language/", "Language/English.ini", "a..b/c..d.txt", "..config"})),
            std::nullopt);
  const struct {
    const char* name;
    const char* entry;
  } bad[] = {{"climbs", "..\\Vandrel.exe"},         {"climbs later", "Language/../../evil.dll"},
             {"forward climb", "../x"},             {"absolute", "/etc/x"},
             {"absolute backslash", "\\Windows\\x"}, {"drive", "C:\\Windows\\x"},
             {"stream", "Vandrel.exe:hidden"},      {"trimmed dots", "...\\x"},
             {"dots and blank", ".. \\x"},          {"empty", ""}};
  for (const auto& b : bad) {
    SCOPED_TRACE(b.name);
    EXPECT_TRUE(Check(MakeZip({"Vandrel.exe", b.entry})).has_value());
  }
  // Damaged archives are refused too.
  Bytes z = MakeZip({"Vandrel.exe"});
  EXPECT_TRUE(Check(MakeZip({"Vandrel.exe"}, 2)).has_value());  // more entries than the directory holds
  EXPECT_TRUE(Check(Bytes(z.begin(), z.end() - 1)).has_value());
  EXPECT_TRUE(Check(Bytes(10, std::byte{0})).has_value());
  Bytes far = z;
  far[far.size() - 6] = std::byte{0xFF};  // a directory offset past the end
  EXPECT_TRUE(Check(far).has_value());
}

}  // namespace
}  // namespace vandrel
