// The folder list on big folders: pictures are asked for only as items come
// into view, and what they show is what the shell shows for each folder.
#include <windows.h>
#include <commctrl.h>

#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/unit_base_win32.h"
#include "icons/get_big_icon_win32.h"
#include "platform/win32/wide.h"
#include "tests/win32/win32_test_support.h"

namespace vandrel {
namespace {

constexpr int kFolders = 10000;

class BigFolderListTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::InitializeUi(::GetModuleHandleW(nullptr));
    big_ = new testing::TempFolder;
    for (int i = 0; i < kFolders; ++i)
      ::CreateDirectoryW(Widen(big_->File("Folder " + std::to_string(i))).c_str(), nullptr);
  }
  static void TearDownTestSuite() {
    for (int i = 0; i < kFolders; ++i) ::RemoveDirectoryW(Widen(big_->File("Folder " + std::to_string(i))).c_str());
    delete big_;
  }
  void SetUp() override {
    form = std::make_unique<TForm1>(std::vector<std::string>{}, "9.0.26.320", false);
    // Every picture the list asks for, by item.
    auto image = form->ListViewList.item_image;
    form->ListViewList.item_image = [this, image](int item) {
      asked.push_back(item);
      return image(item);
    };
    form->Show();
  }
  void Paint() {
    ::UpdateWindow(form->ListViewList.hwnd());
    ui::ProcessMessages();
  }
  int Visible() const { return ListView_GetCountPerPage(form->ListViewList.hwnd()) + 1; }

  static testing::TempFolder* big_;
  std::unique_ptr<TForm1> form;
  std::vector<int> asked;
};
testing::TempFolder* BigFolderListTest::big_ = nullptr;

TEST_F(BigFolderListTest, PicturesAreAskedForOnlyAsItemsComeIntoView) {
  asked.clear();  // what the drive's root asked for at the window's showing
  form->PathFolder.SetText(big_->path());
  form->ScanAndAddFoldersToListView(big_->path());
  Paint();
  ASSERT_EQ(form->ListViewList.Count(), kFolders);
  EXPECT_EQ(form->ListViewList.Selected(), 0);
  ASSERT_FALSE(asked.empty()) << "the items in view show their pictures";
  EXPECT_LE(asked.size(), static_cast<std::size_t>(2 * Visible())) << "only the items in view";
  EXPECT_LT(*std::max_element(asked.begin(), asked.end()), 2 * Visible());

  // Painted again: nothing is asked twice.
  const std::size_t first = asked.size();
  ::InvalidateRect(form->ListViewList.hwnd(), nullptr, TRUE);
  Paint();
  EXPECT_EQ(asked.size(), first);

  // Scrolled to the end: the newly visible items are asked for, and only they.
  form->ListViewList.Select(kFolders - 1);
  Paint();
  const std::vector<int> after(asked.begin() + static_cast<std::ptrdiff_t>(first), asked.end());
  ASSERT_FALSE(after.empty());
  EXPECT_LE(after.size(), static_cast<std::size_t>(2 * Visible()));
  EXPECT_GE(*std::min_element(after.begin(), after.end()), kFolders - 2 * Visible());
  EXPECT_EQ(std::set<int>(asked.begin(), asked.end()).size(), asked.size()) << "each item asked once";

  // A refresh asks for the items in view again.
  asked.clear();
  form->ScanAndAddFoldersToListView(big_->path());
  Paint();
  EXPECT_FALSE(asked.empty());
  EXPECT_LE(asked.size(), static_cast<std::size_t>(2 * Visible()));
}

TEST_F(BigFolderListTest, FindingAndTypingReachAnyFolder) {
  form->ScanAndAddFoldersToListView(big_->path());
  HWND list = form->ListViewList.hwnd();
  // The list's own search, by a whole caption, without case.
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = L"folder 9999";
  const int found = static_cast<int>(::SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  ASSERT_GE(found, 0);
  EXPECT_EQ(form->ListViewList.ItemCaption(found), "Folder 9999");
  find.psz = L"Folder 10000";
  EXPECT_EQ(::SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), -1);
  // Typing a letter moves to the next folder it begins.
  ASSERT_EQ(form->ListViewList.Selected(), 0);
  ::SetFocus(list);
  ::SendMessageW(list, WM_CHAR, L'f', 1);
  EXPECT_EQ(form->ListViewList.Selected(), 1);
}

// Small folders: each shows the shell's own picture for it, in the list and
// as the selected folder's picture.
TEST(FolderListPictures, EachFolderShowsTheShellsPicture) {
  ui::InitializeUi(::GetModuleHandleW(nullptr));
  testing::TempFolder dir;
  for (const char* name : {"Plain", "With ini", "System"})
    ::CreateDirectoryW(Widen(dir.File(name)).c_str(), nullptr);
  // A Desktop.ini naming an icon, in a folder without the read-only or system
  // attribute: Explorer does not read it.
  HANDLE ini = ::CreateFileW(Widen(dir.File("With ini\\Desktop.ini")).c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, nullptr);
  const char text[] = "[.ShellClassInfo]\r\nIconResource=C:\\windows\\system32\\shell32.dll,4\r\n";
  DWORD written = 0;
  ::WriteFile(ini, text, sizeof text - 1, &written, nullptr);
  ::CloseHandle(ini);
  TForm1 form({}, "9.0.26.320", false);
  form.ScanAndAddFoldersToListView(dir.path());
  ASSERT_EQ(form.item_paths().size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const std::string& path = form.item_paths()[static_cast<std::size_t>(i)];
    SCOPED_TRACE(path);
    EXPECT_EQ(form.FolderIconIndex(i), SystemIconIndex(path));
    form.ListViewList.Select(i);
    const testing::IconBitmap shown = testing::IconPixels(form.ImageFolder.icon());
    EXPECT_FALSE(shown.pixels.empty());
    EXPECT_EQ(shown, testing::IconPixels(GetShellIcon(path + "\\").get()));
  }
}

}  // namespace
}  // namespace vandrel
