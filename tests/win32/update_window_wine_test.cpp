// The update window's check against nginx on 127.0.0.1 (started by
// tests/oracle/run_with_servers.py): what it shows for a newer, the same, an
// older version and for no answer.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/fakes/fake_system.h"
#include "update/unit_update_win32.h"

namespace vandrel {
namespace {

class UpdateWindowWineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::InitializeUi(::GetModuleHandleW(nullptr)); }
  void SetUp() override {
    const char* b = std::getenv("VANDREL_TEST_HTTP");
    if (b == nullptr) GTEST_SKIP() << "no test servers (tests/oracle/run_with_servers.py starts them)";
    base = b;
  }
  // The window's check with these mirrors, run to its end.
  std::unique_ptr<TForm10> Check(std::vector<std::string> mirrors, bool portable = false) {
    auto form = std::make_unique<TForm10>(TForm10::Environment{.local_version = "9.0.26.320",
                                                               .portable_mode = portable,
                                                               .mirrors = std::move(mirrors)});
    form->set_registry(&registry);  // no proxy, whatever the prefix says
    form->FormShow();
    EXPECT_FALSE(form->ButtonDownload.Enabled()) << "no download while the check runs";
    form->WaitForCheck();
    ui::ProcessMessages();
    return form;
  }
  std::string base;
  testing::FakeRegistry registry;
};

TEST_F(UpdateWindowWineTest, ANewerVersionIsOfferedAndAnotherIsNot) {
  const struct {
    const char* folder;
    const char* status;
    int result;
    bool download;
  } cases[] = {
      {"download/", "Доступно обновление 9.0.26.320 ---> 9.0.27.1", 1, true},
      {"same/", "Нет обновления", 0, false},
      {"older/", "Нет обновления", -1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    // The first mirror has no update folder: the second one answers.
    auto form = Check({base + "missing/", base + c.folder});
    EXPECT_EQ(form->LabelUpDate.Text(), c.status);
    EXPECT_EQ(form->check_result(), c.result);
    EXPECT_EQ(form->ButtonDownload.Enabled(), c.download);
    EXPECT_EQ(form->ButtonDownload.Text(), "Скачать");
    EXPECT_TRUE(form->GroupBoxOption.Enabled());
    EXPECT_EQ(form->download_url(), base + c.folder + "Vandrel/Vandrel-setup.exe");
    EXPECT_EQ(form->LabelServerVersion.Text(), form->latest_version());
    EXPECT_EQ(form->LabelLocalVersion.Text(), "9.0.26.320");
  }
}

TEST_F(UpdateWindowWineTest, ForcedAllowsAnOlderPackageAndUntickingTakesItBack) {
  auto form = Check({base + "older/"}, true);
  EXPECT_FALSE(form->ButtonDownload.Enabled());
  EXPECT_EQ(form->download_url(), base + "older/Vandrel/Vandrel.zip");
  form->CheckBoxForceUpdate.SetChecked(true);
  form->CheckBoxForceUpdateClick();
  EXPECT_TRUE(form->ButtonDownload.Enabled());
  form->CheckBoxForceUpdate.SetChecked(false);
  form->CheckBoxForceUpdateClick();
  EXPECT_FALSE(form->ButtonDownload.Enabled());
}

TEST_F(UpdateWindowWineTest, NoMirrorAnsweringShowsTheFailureTexts) {
  auto form = Check({base + "missing/", "http://127.0.0.1:1/download/"});
  EXPECT_EQ(form->LabelUpDate.Text(), "Не удалось проверить обновления");
  EXPECT_EQ(form->LabelServerVersion.Text(), "Ошибка соединения");
  EXPECT_EQ(form->check_result(), 0);
  EXPECT_TRUE(form->download_url().empty());
  EXPECT_FALSE(form->ButtonDownload.Enabled());
}

}  // namespace
}  // namespace vandrel
