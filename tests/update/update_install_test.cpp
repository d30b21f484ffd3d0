// Downloading and installing an update: names, parameters, progress, the
// portable script and the check of a downloaded archive.
#include "update/update_install.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/byte_order.h"
#include "platform/error.h"
#include "tests/fakes/fake_crypto.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_http.h"
#include "tests/support/zip_builder.h"

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
  const UpdateScript s = PortableUpdateScript("C:\\Tools\\Vandrel\\", "Vandrel.exe", "Vandrel.zip", 4242);
  ASSERT_EQ(s.lines.size(), 19u);
  EXPECT_EQ(s.lines[0], "@echo off");
  EXPECT_EQ(s.lines[1], "cd /d \"C:\\Tools\\Vandrel\\\"");
  EXPECT_EQ(s.lines[4], "taskkill /F /PID 4242 >nul 2>&1");  // this process, not every copy of the program
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
  const UpdateScript s = PortableUpdateScript("D:\\50% off & (more)^!\\", "Van%drel.exe", "It's.zip", 7);
  EXPECT_EQ(s.lines[1], "cd /d \"D:\\50%% off & (more)^!\\\"");
  EXPECT_THAT(s.lines[8], ::testing::HasSubstr("OpenRead('It''s.zip')"));
  EXPECT_EQ(s.lines[14], "start \"\" \"Van%%drel.exe\"");
  EXPECT_TRUE(s.environment.empty());
  // Beyond ASCII: the names come from variables set for the script, and the
  // script itself is ASCII.
  const UpdateScript u = PortableUpdateScript("C:\\Программы\\日本\\", "Вандрел.exe", "Vandrel.zip", 7);
  ASSERT_EQ(u.lines.size(), 19u);
  EXPECT_EQ(u.lines[1], "rem The program folder is where this script was started.");
  EXPECT_EQ(u.lines[11], "del \"Vandrel.zip\"");
  EXPECT_EQ(u.lines[14], "start \"\" \"%VANDREL_UPDATE_EXE%\"");
  EXPECT_THAT(u.environment, ElementsAre(std::pair<std::string, std::string>("VANDREL_UPDATE_EXE", "Вандрел.exe")));
  const Bytes content = u.Content();
  EXPECT_TRUE(std::all_of(content.begin(), content.end(), [](std::byte b) { return std::to_integer<int>(b) < 0x80; }));
}

using testing::BuildZip;
using testing::ZipEntrySpec;
using testing::ZipSpec;

Bytes MakeZip(const std::vector<std::string>& names) { return BuildZip(names); }

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
  EXPECT_TRUE(Check(BuildZip(ZipSpec{.entries = {{.name = "Vandrel.exe"}}, .count = 2})).has_value())
      << "more entries than the directory holds";
  EXPECT_TRUE(Check(Bytes(z.begin(), z.end() - 1)).has_value());
  EXPECT_TRUE(Check(Bytes(10, std::byte{0})).has_value());
  Bytes far = z;
  far[far.size() - 6] = std::byte{0xFF};  // a directory offset past the end
  EXPECT_TRUE(Check(far).has_value());
}

TEST(UpdateInstallTest, AnArchiveIsReadAsAnExtractorReadsIt) {
  const std::vector<ZipEntrySpec> program = {{.name = "Vandrel.exe", .data = "new program"},
                                             {.name = "Language/"},
                                             {.name = "Language/English.ini", .data = "[Vandrel]"}};
  const auto with = [&](ZipEntrySpec extra) {
    ZipSpec spec{.entries = program};
    spec.entries.push_back(std::move(extra));
    return spec;
  };
  const std::string long_name = std::string(200, 'a') + "/" + std::string(60, 'b');  // 261 characters
  std::string cyrillic_name;  // 200 letters of two bytes each: 200 characters
  for (int i = 0; i < 200; ++i) cyrillic_name += "\xD0\x96";
  const struct {
    const char* name;
    ZipSpec spec;
    const char* why;  // empty: accepted
  } cases[] = {
      {"the program folder", ZipSpec{.entries = program}, ""},
      {"a data descriptor after the data", with({.name = "later.txt", .data = "x", .local_size = 0, .flags = 0x0008}), ""},
      {"260 characters", with({.name = long_name.substr(1)}), ""},
      {"a long UTF-8 name counted in characters", with({.name = cyrillic_name, .flags = 0x0800}), ""},
      {"a harmless directory and a hostile one behind Zip64 records",
       ZipSpec{.entries = program, .zip64_directory = std::vector<ZipEntrySpec>{{.name = "..\\evil.exe"}}},
       "Zip64"},
      {"an end record's count of 0xFFFF", ZipSpec{.entries = program, .count = 0xFFFF}, "Zip64"},
      {"a directory size of 0xFFFFFFFF", ZipSpec{.entries = program, .directory_size = 0xFFFFFFFF}, "Zip64"},
      {"a directory offset of 0xFFFFFFFF", ZipSpec{.entries = program, .end_offset = 0xFFFFFFFF}, "Zip64"},
      {"an entry of 0xFFFFFFFF bytes", with({.name = "big.bin", .declared_size = 0xFFFFFFFF}), "Zip64"},
      {"an entry's Zip64 field", with({.name = "x.bin", .data = "x", .zip64_extra = true}), "Zip64"},
      {"this disk", ZipSpec{.entries = program, .this_disk = 1}, "several disks"},
      {"the directory's disk", ZipSpec{.entries = program, .directory_disk = 1}, "several disks"},
      {"an entry's disk", with({.name = "x.txt", .disk = 1}), "several disks"},
      {"a local header naming another file", with({.name = "readme.txt", .local_name = "..\\evil.dll"}),
       "names another file"},
      {"a local name of another length", with({.name = "a.txt", .local_name = "a.txt.exe"}), "names another file"},
      {"local sizes that differ", with({.name = "a.txt", .data = "abc", .local_size = 2}), "other sizes"},
      {"a directory entry pointing at no local header", with({.name = "a.txt", .directory_offset = 1}),
       "damaged"},
      {"a stream", with({.name = "Vandrel.exe:Zone.Identifier"}), "Zone.Identifier"},
      {"NUL.txt", with({.name = "NUL.txt"}), "device name"},
      {"con", with({.name = "Language/con"}), "device name"},
      {"COM1 with a blank", with({.name = "COM1 .log"}), "device name"},
      {"lpt9 as a folder", with({.name = "lpt9/x.txt"}), "device name"},
      {"aux in upper and lower case", with({.name = "AuX.ini"}), "device name"},
      {"261 characters", with({.name = long_name}), "longer than 260"},
      {"600 MiB declared", with({.name = "huge.bin", .declared_size = 600u << 20}), "512 MiB"},
      {"513 MiB over several entries",
       ZipSpec{.entries = {{.name = "a", .declared_size = 300u << 20}, {.name = "b", .declared_size = 213u << 20}}},
       "512 MiB"},
      {"a comment that is not the file's end", ZipSpec{.entries = program, .comment = "x", .comment_length = 0},
       "damaged"},
      {"fewer entries than the directory holds", ZipSpec{.entries = program, .count = 2}, "damaged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto unsafe = Check(BuildZip(c.spec));
    if (*c.why) {
      ASSERT_TRUE(unsafe.has_value());
      EXPECT_THAT(*unsafe, ::testing::HasSubstr(c.why));
    } else {
      EXPECT_EQ(unsafe, std::nullopt);
    }
  }
  // Names that only look like devices are fine.
  EXPECT_EQ(Check(MakeZip({"console.txt", "COM10", "LPT0.txt", "nul_check/x", "auxiliary.dll", "COM"})), std::nullopt);
}

TEST(UpdateInstallTest, ThePackagesPathIsPercentEncoded) {
  const struct {
    const char* url;
    const char* sent;
  } cases[] = {
      {"http://127.0.0.1:8001/download/Vandrel/Vandrel.zip", "http://127.0.0.1:8001/download/Vandrel/Vandrel.zip"},
      {"http://127.0.0.1/my files/Vandrel.zip", "http://127.0.0.1/my%20files/Vandrel.zip"},
      {"http://127.0.0.1/50%/a\"b", "http://127.0.0.1/50%25/a%22b"},
      {"http://127.0.0.1/already%20encoded/", "http://127.0.0.1/already%20encoded/"},
      {"http://127.0.0.1/Обновление/", "http://127.0.0.1/%D0%9E%D0%B1%D0%BD%D0%BE%D0%B2%D0%BB%D0%B5%D0%BD%D0%B8%D0%B5/"},
      {"http://127.0.0.1", "http://127.0.0.1"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeUrlPath(c.url), c.sent) << c.url;
}

// Records what a download told and cancels after a given number of pieces.
class RecordingWatcher final : public DownloadWatcher {
 public:
  void Begin(std::int64_t bytes_per_step) override { begun.push_back(bytes_per_step); }
  void Progress(std::optional<std::int64_t> position) override {
    positions.push_back(position);
    if (cancel_after && positions.size() >= *cancel_after) cancelled = true;
  }
  bool Cancelled() override { return cancelled; }
  std::vector<std::int64_t> begun;
  std::vector<std::optional<std::int64_t>> positions;
  std::optional<std::size_t> cancel_after;
  bool cancelled = false;
};

class PackageDownloadTest : public ::testing::Test {
 protected:
  static constexpr char kUrl[] = "http://127.0.0.1:8001/download/Vandrel/Vandrel-setup.exe";
  static constexpr char kTarget[] = "C:\\Temp\\Vandrel-setup.exe";
  void Serve(std::string body) { http.answers[kUrl] = {200, std::move(body)}; }
  // What a signed manifest says of `body`.
  PackageDigest DigestOf(const std::string& body) {
    return {testing::FakeCrypto().Sha256(std::as_bytes(std::span(body.data(), body.size()))), body.size()};
  }
  // A request the manifest vouches for: the package served last, version
  // 9.0.27.1 for a program of 9.0.26.320.
  PackageRequest Vouched(PackageRequest request = {.url = kUrl, .target = kTarget}) {
    if (!request.expected) {
      const auto served = http.answers.find(request.url);
      request.expected = DigestOf(served == http.answers.end() ? "" : served->second.body);
    }
    if (request.version.empty()) request.version = "9.0.27.1";
    if (request.local_version.empty()) request.local_version = "9.0.26.320";
    return request;
  }
  // Tries the download; the error's text, empty on success.
  std::string Download(PackageRequest request = {.url = kUrl, .target = kTarget}) {
    try {
      DownloadPackage(http, fs, crypto, Vouched(std::move(request)), watcher);
      return "";
    } catch (const UpdateNotVerified& e) {
      return std::string("not verified: ") + e.what();
    } catch (const Error& e) {
      return e.what();
    }
  }
  std::string Saved() const { return fs.Text(kTarget); }
  testing::FakeHttp http;
  testing::FakeFileSystem fs;
  testing::FakeCrypto crypto;
  RecordingWatcher watcher;
};

TEST_F(PackageDownloadTest, AWholeTransferIsSavedInOneStepAndShowsItsSteps) {
  Serve(std::string(1049, 'x'));
  http.piece_size = 500;
  ASSERT_EQ(Download({.url = kUrl, .target = kTarget, .proxy = HttpProxy{"127.0.0.1", 3128}, .stall_limit_ms = 700}), "");
  EXPECT_EQ(Saved(), std::string(1049, 'x'));
  EXPECT_THAT(fs.own_log, ElementsAre(std::string("write ") + kTarget));
  EXPECT_THAT(watcher.begun, ElementsAre(10));
  EXPECT_THAT(watcher.positions, ElementsAre(50, 100, 105));  // the bar shows the last as full
  ASSERT_EQ(http.asked.size(), 1u);
  EXPECT_EQ(http.asked[0].options.proxy->port, 3128);
  EXPECT_EQ(http.asked[0].options.connect_timeout_ms, 700);  // nothing for this long fails the transfer
  EXPECT_EQ(http.asked[0].options.read_timeout_ms, 700);
}

TEST_F(PackageDownloadTest, WithoutASizeTheBarStaysAndThePackageIsStillSaved) {
  Serve("abc");
  http.send_length = false;
  ASSERT_EQ(Download(), "");
  EXPECT_EQ(Saved(), "abc");
  EXPECT_THAT(watcher.begun, ElementsAre(0));
  EXPECT_THAT(watcher.positions, ElementsAre(std::nullopt));
}

TEST_F(PackageDownloadTest, AFailedOrCancelledDownloadLeavesTheEarlierPackageAlone) {
  const std::string earlier = "an earlier complete package";
  const struct {
    const char* name;
    int status;
    std::optional<std::size_t> cancel_after;
    const char* url;
  } cases[] = {
      {"cancelled in the middle", 200, 2, kUrl},
      {"error status", 404, std::nullopt, kUrl},
      {"no connection", 200, std::nullopt, "http://127.0.0.1:1/download/Vandrel/Vandrel-setup.exe"},
      {"no address", 200, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs.files[kTarget] = Bytes(reinterpret_cast<const std::byte*>(earlier.data()),
                              reinterpret_cast<const std::byte*>(earlier.data()) + earlier.size());
    fs.own_log.clear();
    http.answers[kUrl] = {c.status, std::string(10000, 'n')};
    http.piece_size = 1000;
    watcher = RecordingWatcher();
    watcher.cancel_after = c.cancel_after;
    EXPECT_NE(Download({.url = c.url, .target = kTarget}), "");
    EXPECT_EQ(Saved(), earlier);
    EXPECT_TRUE(fs.own_log.empty());
  }
  EXPECT_EQ(watcher.positions.size(), 0u);
}

TEST_F(PackageDownloadTest, AnArchiveIsSavedOnlyWhenItStaysInsideTheProgramFolder) {
  const auto as_text = [](const Bytes& b) { return std::string(reinterpret_cast<const char*>(b.data()), b.size()); };
  const PackageRequest zip{.url = "http://127.0.0.1:8001/download/Vandrel/Vandrel.zip",
                           .target = "C:\\Tools\\Vandrel\\Vandrel.zip", .archive = true};
  http.answers[zip.url] = {200, as_text(MakeZip({"Vandrel.exe", "..\\Vandrel.exe"}))};
  EXPECT_THAT(Download(zip), ::testing::HasSubstr("..\\Vandrel.exe"));
  EXPECT_FALSE(fs.FileExists(zip.target));
  http.answers[zip.url] = {200, as_text(MakeZip({"Vandrel.exe", "Language/"}))};
  EXPECT_EQ(Download(zip), "");
  EXPECT_TRUE(fs.FileExists(zip.target));
}

TEST_F(PackageDownloadTest, OnlyThePackageTheManifestDescribesIsSaved) {
  const std::string body(3000, 'p');
  const std::string earlier = "an earlier complete package";
  const struct {
    const char* name;
    std::string served;
    std::optional<std::int64_t> claimed_length;  // what Content-Length says
    bool send_length = true;
    const char* why;
  } cases[] = {
      {"one byte changed", std::string(1500, 'p') + "q" + std::string(1499, 'p'), std::nullopt, true, "SHA-256"},
      {"a longer length", body + "extra", std::nullopt, true, "sends 3005 bytes, the manifest says 3000"},
      {"a shorter body", body.substr(0, 2999), std::nullopt, true, "sends 2999 bytes"},
      {"a huge length", body, 2'000'000'000, true, "sends 2000000000 bytes"},
      {"no length and more than the manifest's", body + std::string(100000, 'x'), std::nullopt, false,
       "more than the manifest's 3000 bytes"},
      {"no length and fewer", body.substr(0, 100), std::nullopt, false, "the server sent 100 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs.files[kTarget] = Bytes(reinterpret_cast<const std::byte*>(earlier.data()),
                              reinterpret_cast<const std::byte*>(earlier.data()) + earlier.size());
    fs.own_log.clear();
    Serve(c.served);
    http.piece_size = 1000;
    http.claimed_length = c.claimed_length;
    http.send_length = c.send_length;
    watcher = RecordingWatcher();
    const std::string error = Download(Vouched({.url = kUrl, .target = kTarget, .expected = DigestOf(body)}));
    EXPECT_THAT(error, ::testing::StartsWith("not verified: "));
    EXPECT_THAT(error, ::testing::HasSubstr(c.why));
    EXPECT_EQ(Saved(), earlier);
    EXPECT_TRUE(fs.own_log.empty());
    // A length that is not the manifest's is refused before the body.
    const auto length = c.claimed_length.value_or(static_cast<std::int64_t>(c.served.size()));
    if (c.send_length && length != static_cast<std::int64_t>(body.size())) {
      EXPECT_TRUE(watcher.positions.empty());
    }
    // The buffer never held more than the manifest's size: the piece that
    // would pass it ends the transfer.
    EXPECT_LE(watcher.positions.size(), 3u);
  }
  http.claimed_length.reset();
  http.send_length = true;
  Serve(body);
  EXPECT_EQ(Download(Vouched({.url = kUrl, .target = kTarget, .expected = DigestOf(body)})), "");
  EXPECT_EQ(Saved(), body);
}

TEST_F(PackageDownloadTest, AnOlderOrUnvouchedPackageIsNotEvenFetched) {
  Serve("package");
  const struct {
    const char* name;
    std::string version;
    bool vouched;
    const char* why;  // empty: fetched and saved
  } cases[] = {
      {"older than the program", "9.0.25", true, "9.0.25 is older than this program's 9.0.26.320"},
      {"older in its last part", "9.0.26.319", true, "older"},
      {"no manifest", "9.0.27.1", false, "no signed manifest"},
      {"the same version again", "9.0.26.320", true, ""},
      {"newer", "9.0.27.1", true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    http.asked.clear();
    fs.files.clear();
    PackageRequest request{.url = kUrl, .target = kTarget, .version = c.version, .local_version = "9.0.26.320"};
    if (c.vouched) request.expected = DigestOf("package");
    std::string error;
    try {
      DownloadPackage(http, fs, crypto, request, watcher);
    } catch (const UpdateNotVerified& e) {
      error = e.what();
    }
    if (*c.why) {
      EXPECT_THAT(error, ::testing::HasSubstr(c.why));
      EXPECT_TRUE(http.asked.empty());
      EXPECT_FALSE(fs.FileExists(kTarget));
      EXPECT_EQ(PackageRefusal(request).has_value(), true);
    } else {
      EXPECT_EQ(error, "");
      EXPECT_EQ(Saved(), "package");
    }
  }
}

TEST_F(PackageDownloadTest, ABodyThatNeverEndsStopsAtTheManifestsSize) {
  Serve(std::string(1000, 'e'));
  http.endless = true;
  http.send_length = false;
  http.piece_size = 1000;
  const std::string error = Download(Vouched({.url = kUrl, .target = kTarget, .expected = DigestOf(std::string(5000, 'e'))}));
  EXPECT_THAT(error, ::testing::HasSubstr("more than the manifest's 5000 bytes"));
  EXPECT_EQ(http.delivered, 6000u) << "the piece that would pass the bound ends it";
  EXPECT_FALSE(fs.FileExists(kTarget));
  // A manifest may not describe more than 256 MiB: nothing is fetched.
  http.asked.clear();
  PackageRequest huge = Vouched();
  huge.expected->size = (256u << 20) + 1;
  EXPECT_THAT(Download(huge), ::testing::HasSubstr("more than 256 MiB"));
  EXPECT_TRUE(http.asked.empty());
}

TEST_F(PackageDownloadTest, ATransferSlowerThanAKilobyteASecondOverAMinuteFails) {
  // Each piece arrives `gap` after the last, on a clock of the test's own.
  const auto run = [&](std::size_t piece, std::chrono::milliseconds gap, std::size_t pieces) {
    Serve(std::string(piece * pieces, 's'));
    http.piece_size = piece;
    auto now = std::chrono::steady_clock::time_point{};
    fs.files.clear();
    watcher = RecordingWatcher();
    PackageRequest request = Vouched();
    request.now = [&now, gap] {
      const auto t = now;
      now += gap;
      return t;
    };
    return Download(request);
  };
  // 500 bytes a second: fails once a minute has passed, not before.
  const std::string slow = run(500, std::chrono::seconds(1), 200);
  EXPECT_THAT(slow, ::testing::HasSubstr("slower than 1024 bytes a second"));
  EXPECT_THAT(slow, ::testing::Not(::testing::StartsWith("not verified")));
  EXPECT_GE(watcher.positions.size(), 58u);
  EXPECT_LE(watcher.positions.size(), 62u);
  EXPECT_FALSE(fs.FileExists(kTarget));
  // 2 KiB a second for three minutes is slow but fine.
  EXPECT_EQ(run(2048, std::chrono::seconds(1), 180), "");
  EXPECT_TRUE(fs.FileExists(kTarget));
  // A fast start does not carry a slow minute after it.
  Serve(std::string(100000, 'f') + std::string(100 * 200, 's'));
  http.piece_size = 100;
  auto now = std::chrono::steady_clock::time_point{};
  int calls = 0;
  PackageRequest burst = Vouched();
  burst.now = [&] {
    // The first thousand pieces at once, then one piece a second.
    if (++calls > 1002) now += std::chrono::seconds(1);
    return now;
  };
  EXPECT_THAT(Download(burst), ::testing::HasSubstr("slower than"));
}

}  // namespace
}  // namespace vandrel
