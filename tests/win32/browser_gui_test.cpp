// The main window doing its job on real folders, with the questions answered
// by a script.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/unit_base_win32.h"
#include "icons/icon_extraction.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "tests/fakes/fake_shell.h"
#include "tests/support/pe_builder.h"
#include "tests/win32/screenshot.h"
#include "tests/win32/win32_test_support.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;

// Writes the test program's own GLYPH_REMOVE icon group as an .ico file.
void WriteIcoFromResources(const std::string& path) {
  Win32FileSystem fs;
  auto self = Win32ResourceLoader().Open(Narrow([] {
    wchar_t p[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, p, MAX_PATH);
    return std::wstring(p);
  }()));
  ASSERT_TRUE(self);
  ASSERT_TRUE(SaveIconGroup(*self, ResourceName::String("GLYPH_REMOVE"), path, fs));
}

class BrowserGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::InitializeUi(::GetModuleHandleW(nullptr)); }
  void SetUp() override {
    for (const char* name : {"Alpha", "Beta", ".git", "node_modules", "Hidden", "Sys", "Beta\\Inner"})
      ::CreateDirectoryW(Widen(dir.File(name)).c_str(), nullptr);
    ::SetFileAttributesW(Widen(dir.File("Hidden")).c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW(Widen(dir.File("Sys")).c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    // A real icon, so the window can show it: the program's own.
    HRSRC found = ::FindResourceW(nullptr, L"GLYPH_REMOVE", RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    WriteIcoFromResources(dir.File("star.ico"));
    form = std::make_unique<TForm1>(std::vector<std::string>{}, "9.0.26.320", false);
    form->set_prompts(&prompts);
  }
  void List(const std::string& path) {
    form->Get<ui::Control>("PathFolder").SetProperty("Text", path);
    form->ScanAndAddFoldersToListView(path);
  }
  void Select(int item) {
    ListView_SetItemState(form->Get<ui::Control>("ListViewList").hwnd(), item, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
  }
  int SelectedItem() { return ListView_GetNextItem(form->Get<ui::Control>("ListViewList").hwnd(), -1, LVNI_SELECTED); }
  std::string Text(const char* control) { return form->Get<ui::Control>(control).GetProperty("Text"); }
  std::string Status() {
    wchar_t text[256] = {};
    ::SendMessageW(form->Get<ui::Control>("StatusBar").hwnd(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    std::wstring w = text;
    while (!w.empty() && w.front() == L'\t') w.erase(0, 1);
    return Narrow(w);
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& p : form->item_paths()) names.push_back(p.substr(p.find_last_of('\\') + 1));
    return names;
  }

  testing::TempFolder dir;
  Win32FileSystem fs;
  testing::ScriptedPrompts prompts;
  std::unique_ptr<TForm1> form;
};

TEST_F(BrowserGuiTest, ListsVisibleFoldersOnlyAndWalksDownAndUp) {
  List(dir.path());
  std::vector<std::string> names = Names();
  std::sort(names.begin(), names.end());
  EXPECT_THAT(names, ElementsAre("Alpha", "Beta"));
  EXPECT_EQ(SelectedItem(), 0);  // the first folder is the target at once
  EXPECT_EQ(Text("EditFolder"), form->item_paths()[0] + "\\");

  const auto beta = std::find(form->item_paths().begin(), form->item_paths().end(), dir.File("Beta"));
  ASSERT_NE(beta, form->item_paths().end());
  Select(static_cast<int>(beta - form->item_paths().begin()));
  form->ListViewListDblClick();
  EXPECT_EQ(Text("PathFolder"), dir.File("Beta") + "\\");
  EXPECT_THAT(Names(), ElementsAre("Inner"));
  form->ButtonUPClick();
  EXPECT_EQ(Text("PathFolder"), dir.path() + "\\");
  EXPECT_EQ(form->item_paths().size(), 2u);
}

TEST_F(BrowserGuiTest, AppliesAndRemovesAnIconFromTheWindow) {
  List(dir.path());
  const auto alpha = std::find(form->item_paths().begin(), form->item_paths().end(), dir.File("Alpha"));
  Select(static_cast<int>(alpha - form->item_paths().begin()));
  form->Get<ui::Control>("EditIconFile").SetProperty("Text", dir.File("star.ico"));
  form->Get<ui::Control>("EditInfoTip").SetProperty("Text", "Альфа");
  prompts.answers = {true};
  form->ButtonChangeIconClick();
  EXPECT_THAT(prompts.shown, ElementsAre("question: Внимание!: Изменить иконку папки?"));
  EXPECT_EQ(Status(), "Иконка успешно установлена");
  ASSERT_TRUE(fs.FileExists(dir.File("Alpha\\Desktop.ini")));
  EXPECT_TRUE(fs.FileExists(dir.File("Alpha\\star.ico")));  // copied: the copy option is on by design

  // Select it again and see its state, then remove the icon.
  Select(static_cast<int>(std::find(form->item_paths().begin(), form->item_paths().end(), dir.File("Alpha")) -
                          form->item_paths().begin()));
  EXPECT_EQ(Text("EditIconFile"), dir.File("Alpha\\star.ico"));
  EXPECT_EQ(Text("EditInfoTip"), "Альфа");
  EXPECT_THAT(Text("MemoLog"), ::testing::HasSubstr("IconResource=star.ico,0"));
  char shots[MAX_PATH] = {};
  if (::GetEnvironmentVariableA("VANDREL_SCREENSHOTS", shots, MAX_PATH) > 0) {
    ::CreateDirectoryA(shots, nullptr);
    ::SetCursorPos(0, 0);
    form->Show();
    for (int i = 0; i < 20; ++i) {
      ui::ProcessMessages();
      ::Sleep(25);
    }
    EXPECT_TRUE(testing::SaveWindowPng(form->hwnd(), std::string(shots) + "\\folder-with-icon.png"));
    form->Hide();
  }
  prompts.shown.clear();
  prompts.answers = {true};
  form->IconDeleteMenuClick();
  EXPECT_THAT(prompts.shown, ElementsAre("question: Внимание!: Удалить иконку из папки?"));
  EXPECT_EQ(Status(), "Иконка успешно удалена");
  EXPECT_FALSE(fs.FileExists(dir.File("Alpha\\Desktop.ini")));
  EXPECT_FALSE(fs.FileExists(dir.File("Alpha\\star.ico")));
}

TEST_F(BrowserGuiTest, InfoTakesTheFolderNameAndAProtectedFolderIsLeftAlone) {
  ::CreateDirectoryW(Widen(dir.File("Windows")).c_str(), nullptr);
  List(dir.path());
  const auto w = std::find(form->item_paths().begin(), form->item_paths().end(), dir.File("Windows"));
  ASSERT_NE(w, form->item_paths().end());
  Select(static_cast<int>(w - form->item_paths().begin()));
  form->Get<ui::Control>("EditIconFile").SetProperty("Text", dir.File("star.ico"));
  form->ButtonGetInfoClick();
  EXPECT_EQ(Text("EditInfoTip"), "Windows");
  EXPECT_TRUE(form->Get<ui::Control>("ButtonChangeIcon").Enabled());
  form->ButtonChangeIconClick();
  EXPECT_TRUE(prompts.shown.empty());  // no question at all
  EXPECT_FALSE(fs.FileExists(dir.File("Windows\\Desktop.ini")));
}

TEST_F(BrowserGuiTest, TheCommandLineFolderIsListedAndSelected) {
  form = std::make_unique<TForm1>(std::vector<std::string>{"\"" + dir.File("BETA") + "\""}, "9.0.26.320", false);
  form->FormActivate();
  EXPECT_EQ(Text("PathFolder"), dir.path());
  const int selected = SelectedItem();
  ASSERT_GE(selected, 0);
  EXPECT_EQ(form->item_paths()[static_cast<std::size_t>(selected)], dir.File("Beta"));
}

}  // namespace
}  // namespace vandrel
