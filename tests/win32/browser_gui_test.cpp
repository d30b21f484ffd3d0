// The main window doing its job on real folders, with the questions answered
// by a script.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "about/unit_about_win32.h"
#include "app/unit_base_win32.h"
#include "app/unit_icon_picker_win32.h"
#include "icons/icon_extraction.h"
#include "icons/picture_icon.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "tests/fakes/fake_shell.h"
#include "tests/support/pe_builder.h"
#include "tests/win32/gui_support.h"
#include "tests/win32/screenshot.h"
#include "tests/win32/win32_test_support.h"
#include "ui/window_prompts.h"

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
    form->PathFolder.SetProperty("Text", path);
    form->ScanAndAddFoldersToListView(path);
  }
  void Select(int item) {
    ListView_SetItemState(form->ListViewList.hwnd(), item, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
  }
  int SelectedItem() { return ListView_GetNextItem(form->ListViewList.hwnd(), -1, LVNI_SELECTED); }
  std::string Text(const char* control) { return testing::Named<ui::Control>(*form, control).GetProperty("Text"); }
  std::string Status() {
    wchar_t text[256] = {};
    ::SendMessageW(form->StatusBar.hwnd(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
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
  auto select_folder = [this](const char* name) {
    const auto it = std::find(form->item_paths().begin(), form->item_paths().end(), dir.File(name));
    ASSERT_NE(it, form->item_paths().end());
    Select(static_cast<int>(it - form->item_paths().begin()));
  };
  select_folder("Alpha");
  form->EditIconFile.SetProperty("Text", dir.File("star.ico"));
  form->EditInfoTip.SetProperty("Text", "Альфа");
  form->CheckBoxCopyIcon.SetChecked(true);  // a first start leaves it off
  prompts.answers = {true};
  form->ButtonChangeIconClick();
  EXPECT_THAT(prompts.shown, ElementsAre("question: Внимание!: Изменить иконку папки?"));
  EXPECT_EQ(Status(), "Иконка успешно установлена");
  ASSERT_TRUE(fs.FileExists(dir.File("Alpha\\Desktop.ini")));
  EXPECT_TRUE(fs.FileExists(dir.File("Alpha\\star.ico")));  // copied: the copy option is on

  // Select it again and see its state.
  select_folder("Alpha");
  EXPECT_EQ(Text("EditIconFile"), dir.File("Alpha\\star.ico"));
  EXPECT_EQ(Text("EditInfoTip"), "Альфа");
  EXPECT_THAT(Text("MemoLog"), ::testing::HasSubstr("IconResource=star.ico,0"));

  // The screenshot shows the folder with its icon in the list and the target box.
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

  // Without Copy the folder points at the source where it is.
  select_folder("Beta");
  form->EditIconFile.SetProperty("Text", dir.File("star.ico"));
  ::SendMessageW(form->CheckBoxCopyIcon.hwnd(), BM_SETCHECK, BST_UNCHECKED, 0);
  prompts.answers = {true};
  form->ButtonChangeIconClick();
  EXPECT_EQ(Status(), "Иконка успешно установлена");
  EXPECT_FALSE(fs.FileExists(dir.File("Beta\\star.ico")));
  select_folder("Beta");
  EXPECT_EQ(Text("EditIconFile"), dir.File("star.ico"));
  EXPECT_THAT(Text("MemoLog"), ::testing::HasSubstr("IconResource=" + dir.File("star.ico") + ",0"));

  // Remove Alpha's icon again: Desktop.ini and the copy go to the recycle bin.
  select_folder("Alpha");
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
  form->EditIconFile.SetProperty("Text", dir.File("star.ico"));
  form->ButtonGetInfoClick();
  EXPECT_EQ(Text("EditInfoTip"), "Windows");
  EXPECT_TRUE(form->ButtonChangeIcon.Enabled());
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

// A message box of the program owned by the main window, closed by a timer.
BOOL CALLBACK PressOkInDialogs(HWND h, LPARAM) {
  wchar_t cls[16] = {};
  ::GetClassNameW(h, cls, 16);
  if (std::wstring(cls) == L"#32770") ::PostMessageW(h, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void CALLBACK CloseMessageBoxSoon(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::EnumThreadWindows(::GetCurrentThreadId(), &PressOkInDialogs, 0);
}

TEST_F(BrowserGuiTest, TheCommandLineFolderIsOpenedOnlyWhenTheMainFormBecomesActive) {
  form = std::make_unique<TForm1>(std::vector<std::string>{dir.File("Beta")}, "9.0.26.320", false);
  form->set_prompts(&prompts);
  TForm8 about([] { return std::string("Vandrel"); }, "");
  int activations = 0;
  auto activate = form->on_activate;
  form->on_activate = [&] {
    ++activations;
    activate();
  };
  auto selected_name = [this] {
    const int i = SelectedItem();
    return i < 0 ? std::string() : Names()[static_cast<std::size_t>(i)];
  };
  form->Show();
  ::SetForegroundWindow(form->hwnd());
  ui::ProcessMessages();
  ASSERT_EQ(activations, 1);
  EXPECT_EQ(selected_name(), "Beta");

  // The user picks another folder; a message box and a picker of the main
  // window come and go. The choice stays.
  const auto alpha = std::find(form->item_paths().begin(), form->item_paths().end(), dir.File("Alpha"));
  ASSERT_NE(alpha, form->item_paths().end());
  Select(static_cast<int>(alpha - form->item_paths().begin()));
  ::SetTimer(nullptr, 0, 200, &CloseMessageBoxSoon);
  ::MessageBoxW(form->hwnd(), L"Изменить иконку папки?", L"Внимание!", MB_OK);
  ui::ProcessMessages();
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(selected_name(), "Alpha");

  // Another form of the program hands the activation back: that counts.
  about.Show();
  ::SetActiveWindow(about.hwnd());
  ui::ProcessMessages();
  about.Hide();
  ::SetActiveWindow(form->hwnd());
  ui::ProcessMessages();
  EXPECT_EQ(activations, 2);
  EXPECT_EQ(selected_name(), "Beta");
  form->Hide();
}

// The folder list's menu, as it opens: where, and that it opened at all.
struct MenuSeen {
  int opened = 0;
  RECT at{};
};
MenuSeen g_menu;

void CALLBACK CloseListMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (HWND menu = ::FindWindowW(L"#32768", nullptr); menu && ::IsWindowVisible(menu)) {
    ++g_menu.opened;
    ::GetWindowRect(menu, &g_menu.at);
  }
  ::EndMenu();
}

TEST_F(BrowserGuiTest, TheKeyboardOpensTheFolderListsMenuAtTheFocusedItem) {
  List(dir.path());
  form->Show();
  ::SetForegroundWindow(form->hwnd());
  HWND list = form->ListViewList.hwnd();
  ::SetFocus(list);
  Select(1);
  ui::ProcessMessages();
  RECT item{};
  ASSERT_TRUE(ListView_GetItemRect(list, 1, &item, LVIR_LABEL));
  POINT below{item.left, item.bottom};
  ::ClientToScreen(list, &below);

  const struct {
    const char* how;
    std::vector<WORD> keys;  // pressed in order, released in reverse
  } ways[] = {{"the menu key", {VK_APPS}}, {"Shift+F10", {VK_SHIFT, VK_F10}}};
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    g_menu = MenuSeen{};
    std::vector<INPUT> input;
    for (WORD k : way.keys) input.push_back(INPUT{.type = INPUT_KEYBOARD, .ki = {.wVk = k}});
    for (auto k = way.keys.rbegin(); k != way.keys.rend(); ++k)
      input.push_back(INPUT{.type = INPUT_KEYBOARD, .ki = {.wVk = *k, .dwFlags = KEYEVENTF_KEYUP}});
    ::SetTimer(nullptr, 0, 300, &CloseListMenuSoon);
    ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    for (int i = 0; i < 20 && g_menu.opened == 0; ++i) {
      ui::ProcessMessages();
      ::Sleep(25);
    }
    EXPECT_EQ(g_menu.opened, 1);
    EXPECT_NEAR(g_menu.at.left, below.x, 4);
    EXPECT_NEAR(g_menu.at.top, below.y, 4);
  }

  // A right click (the list reports it as a context menu at the mouse) still
  // opens it where the mouse is.
  g_menu = MenuSeen{};
  ::SetTimer(nullptr, 0, 300, &CloseListMenuSoon);
  POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ::ClientToScreen(list, &at);
  ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
  EXPECT_EQ(g_menu.opened, 1);
  EXPECT_NEAR(g_menu.at.left, at.x, 4);
  EXPECT_NEAR(g_menu.at.top, at.y, 4);
  form->Hide();
}

// ------------------------------------------------------------ the icon source

// Files dropped on the window, as Explorer hands them over.
HDROP MakeDrop(const std::vector<std::string>& paths) {
  std::wstring list;
  for (const std::string& p : paths) list += Widen(p) + L'\0';
  list += L'\0';
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

void MakeShortcut(const std::string& lnk, const std::string& target) {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  ASSERT_TRUE(SUCCEEDED(
      ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())));
  ASSERT_TRUE(SUCCEEDED(link->SetPath(Widen(target).c_str())));
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())));
  ASSERT_TRUE(SUCCEEDED(file->Save(Widen(lnk).c_str(), TRUE)));
}

// The colour in the middle of an icon (0xAARRGGBB), or 0 when there is none.
std::uint32_t CentreColour(HICON icon) {
  const testing::IconBitmap image = testing::IconPixels(icon);
  if (image.pixels.empty()) return 0;
  return image.pixels[static_cast<std::size_t>(image.height / 2) * static_cast<std::size_t>(image.width) +
                      static_cast<std::size_t>(image.width / 2)] |
         0xFF000000u;
}

class SourceGuiTest : public BrowserGuiTest {
 protected:
  static void SetUpTestSuite() {
    BrowserGuiTest::SetUpTestSuite();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // as the program does at start-up
  }
  void SetUp() override {
    BrowserGuiTest::SetUp();
    WriteExe("twelve.exe", 12);
    WriteExe("twelve.dll", 12);
    WriteExe("one.dll", 1);
    WriteExe("none.exe", 0);
    fs.WriteFileAtomically(dir.File("notes.txt"), testing::ToBytes("not an icon"));
    List(dir.path());
  }
  void WriteExe(const std::string& name, int groups) {
    std::vector<testing::PeResource> resources = testing::SolidIconGroups(groups);
    if (groups == 0) resources.push_back({10, ResourceName::Id(1), 0x0409, testing::ToBytes("data")});
    fs.WriteFileAtomically(dir.File(name), testing::BuildPe(resources));
  }
  void Choose(const std::string& path) {
    prompts.files = {path};
    form->ImageIconClick();
  }
  void Drop(const std::vector<std::string>& paths) {
    HDROP drop = MakeDrop(paths);
    ::SendMessageW(form->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ(::GlobalSize(drop), 0u) << "the drop must be released";
  }
  ui::SpinEdit& Spin() { return form->SpinEditIcon; }
  bool On(const char* control) { return testing::Named<ui::Control>(*form, control).Enabled(); }
  HICON Preview() {
    return form->ImageIcon.icon();
  }
  void ExpectChangeOffered() {
    EXPECT_TRUE(On("ButtonChangeIcon"));
    EXPECT_TRUE(On("CheckBoxCopyIcon"));
    EXPECT_EQ(form->default_button(), &form->ButtonChangeIcon);
  }
  struct Range {
    int min, max;
    bool enabled;
    bool operator==(const Range&) const = default;
  };
  Range SpinRange() { return {Spin().min(), Spin().max(), Spin().Enabled()}; }
};

TEST_F(SourceGuiTest, ChoosingWithTheDialogSetsTheIndexRangeAndPreviewsEachIcon) {
  Choose(dir.File("twelve.exe"));
  ASSERT_EQ(prompts.dialogs.size(), 1u);
  EXPECT_EQ(prompts.dialogs[0].kind, FileDialog::Kind::kOpen);
  EXPECT_EQ(prompts.dialogs[0].title, "Выберите файл иконки...");
  EXPECT_EQ(prompts.dialogs[0].filter,
            "Все типы|*.ico;*.exe|Иконки (*.ico)|*.ico|Приложение (*.exe)|*.exe|"
            "Картинки (*.png;*.jpg;*.bmp;*.gif;*.tif)|*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff");
  EXPECT_EQ(Text("EditIconFile"), dir.File("twelve.exe"));
  EXPECT_EQ(SpinRange(), (Range{0, 11, true}));
  EXPECT_EQ(Spin().Value(), 0);
  EXPECT_TRUE(On("ButtonSaveIcon"));
  EXPECT_NE(Preview(), nullptr);
  ExpectChangeOffered();

  // Each step shows that group's own icon, 48 x 48.
  for (int index : {1, 5, 11, 0}) {
    SCOPED_TRACE(index);
    Spin().SetValue(index);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(Preview(), &info));
    BITMAP bm{};
    ::GetObjectW(info.hbmColor, sizeof bm, &bm);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    EXPECT_EQ(bm.bmWidth, form->Scale(48));
    EXPECT_EQ(CentreColour(Preview()), testing::SolidIconGroupColour(index));
  }
  Spin().SetValue(12);  // the arrows stop at the last group
  EXPECT_EQ(Spin().Value(), 11);
  EXPECT_EQ(CentreColour(Preview()), testing::SolidIconGroupColour(11));

  // An .ico afterwards leaves the disabled box at the last index.
  Choose(dir.File("star.ico"));
  EXPECT_EQ(Text("EditIconFile"), dir.File("star.ico"));
  EXPECT_EQ(Spin().Value(), 11);
  EXPECT_FALSE(Spin().Enabled());
  EXPECT_FALSE(On("ButtonSaveIcon"));
  EXPECT_NE(Preview(), nullptr);
  ExpectChangeOffered();

  // One group: the range 0 to 1. No groups: equal bounds, no limit at all.
  Choose(dir.File("one.dll"));
  EXPECT_EQ(SpinRange(), (Range{0, 1, true}));
  Choose(dir.File("none.exe"));
  EXPECT_EQ(SpinRange(), (Range{0, 0, true}));
  EXPECT_TRUE(On("ButtonSaveIcon"));
  Spin().SetValue(7);
  EXPECT_EQ(Spin().Value(), 7);
  EXPECT_EQ(Preview(), nullptr);  // nothing at index 7

  // A file of another kind changes nothing; a cancel still offers the change.
  Choose(dir.File("notes.txt"));
  EXPECT_EQ(Text("EditIconFile"), dir.File("none.exe"));
  form->SetDefaultButton(nullptr);
  prompts.files.clear();
  form->ImageIconClick();
  EXPECT_EQ(Text("EditIconFile"), dir.File("none.exe"));
  ExpectChangeOffered();
}

TEST_F(SourceGuiTest, DroppedFilesShortcutsAndFolders) {
  Drop({dir.File("one.dll")});
  EXPECT_EQ(Text("EditIconFile"), dir.File("one.dll"));
  EXPECT_EQ(SpinRange(), (Range{0, 0, false}));
  EXPECT_TRUE(On("ButtonSaveIcon"));
  EXPECT_NE(Preview(), nullptr);
  ExpectChangeOffered();

  Drop({dir.File("none.exe")});
  EXPECT_FALSE(Spin().Enabled());
  EXPECT_EQ(Preview(), nullptr);
  EXPECT_FALSE(On("ButtonSaveIcon"));
  ExpectChangeOffered();

  Drop({dir.File("twelve.exe")});
  EXPECT_EQ(SpinRange(), (Range{0, 11, true}));

  // Only the first item counts, even when it is of a kind that is ignored.
  Drop({dir.File("notes.txt"), dir.File("star.ico"), dir.File("one.dll")});
  EXPECT_EQ(Text("EditIconFile"), dir.File("twelve.exe"));

  Spin().SetValue(4);
  Drop({dir.File("star.ico")});
  EXPECT_EQ(Text("EditIconFile"), dir.File("star.ico"));
  EXPECT_EQ(Spin().Value(), 0);
  EXPECT_FALSE(Spin().Enabled());
  EXPECT_FALSE(On("ButtonSaveIcon"));

  // A shortcut to a .dll makes the .dll the source; one to a folder is ignored.
  MakeShortcut(dir.File("library.lnk"), dir.File("twelve.dll"));
  MakeShortcut(dir.File("folder.lnk"), dir.File("Beta"));
  Drop({dir.File("library.lnk")});
  EXPECT_EQ(Text("EditIconFile"), dir.File("twelve.dll"));
  EXPECT_EQ(SpinRange(), (Range{0, 11, true}));
  Drop({dir.File("folder.lnk")});
  EXPECT_EQ(Text("EditIconFile"), dir.File("twelve.dll"));

  // A path longer than MAX_PATH is taken whole; nothing overflows.
  std::string deep = dir.path();
  for (int i = 0; i < 6; ++i) {
    deep += "\\" + std::string(48, static_cast<char>('a' + i));
    ASSERT_TRUE(::CreateDirectoryW(ToWinPath(deep).c_str(), nullptr));
  }
  const std::string long_ico = deep + "\\star.ico";
  ASSERT_GT(long_ico.size(), static_cast<std::size_t>(MAX_PATH));
  fs.CopyFileOver(dir.File("star.ico"), long_ico);
  Drop({long_ico});
  EXPECT_EQ(Text("EditIconFile"), long_ico);
  Spin().SetValue(0);  // the preview of a long path: shown or cleared, never a crash
  fs.RemoveFile(long_ico);
  for (int i = 0; i < 6; ++i) {
    ::RemoveDirectoryW(ToWinPath(deep).c_str());
    deep.resize(deep.rfind('\\'));
  }

  // A dropped folder is listed in its parent and selected; the source stays.
  Drop({dir.File("Beta\\Inner")});
  EXPECT_EQ(Text("PathFolder"), dir.File("Beta"));
  EXPECT_THAT(Names(), ElementsAre("Inner"));
  EXPECT_EQ(Text("EditFolder"), dir.File("Beta\\Inner") + "\\");
  Drop({dir.File("BETA") + "\\"});
  EXPECT_EQ(Text("PathFolder"), dir.path());
  const int selected = SelectedItem();
  ASSERT_GE(selected, 0);
  EXPECT_EQ(form->item_paths()[static_cast<std::size_t>(selected)], dir.File("Beta"));
}

TEST_F(SourceGuiTest, SavingTheIconOfAnExecutable) {
  Choose(dir.File("twelve.exe"));
  Spin().SetValue(3);
  prompts.files = {dir.File("saved.ico")};
  form->ButtonSaveIconClick();
  ASSERT_EQ(prompts.dialogs.size(), 2u);
  const FileDialog& save = prompts.dialogs[1];
  EXPECT_EQ(save.kind, FileDialog::Kind::kSave);
  EXPECT_EQ(save.file_name, "twelve.ico");
  EXPECT_EQ(save.default_extension, "ico");
  EXPECT_EQ(save.filter, "Icons (*.ico)|*.ico");
  // One image: the header, one entry, then group 3's image as it was stored.
  const Bytes ico = fs.ReadFile(dir.File("saved.ico")).value_or(Bytes{});
  const Bytes image = testing::SolidIconImage(32, testing::SolidIconGroupColour(3));
  ASSERT_EQ(ico.size(), 6 + 16 + image.size());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), ico.begin() + 22));

  // A cancelled dialog writes nothing; "Сохранить иконку" ignores executables.
  form->ButtonSaveIconClick();
  form->SaveIconMenuClick();
  EXPECT_EQ(prompts.dialogs.size(), 3u);
  EXPECT_TRUE(prompts.shown.size() == 3u && prompts.shown.back() == "save: twelve.ico");
}

TEST_F(SourceGuiTest, SavingACopyOfAnIcoFile) {
  form->EditIconFile.SetProperty("Text", "");
  form->SaveIconMenuClick();
  EXPECT_THAT(prompts.shown, ElementsAre("error: Ошибка!: Выберите источник иконки"));

  ::SetFileAttributesW(Widen(dir.File("star.ico")).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  Choose(dir.File("star.ico"));
  prompts.files = {dir.File("copy.ico")};
  form->SaveIconMenuClick();
  const FileDialog& save = prompts.dialogs.back();
  EXPECT_EQ(save.default_extension, "ico");
  // Image_<short date>_hh-mm-ss, with nothing a file name cannot hold.
  const std::string& name = save.file_name;
  EXPECT_EQ(name.rfind("Image_", 0), 0u) << name;
  EXPECT_EQ(name.find_first_of("/\\:*?\"<>|"), std::string::npos) << name;
  ASSERT_GE(name.size(), 16u);
  const std::string time = name.substr(name.size() - 9);
  EXPECT_TRUE(time[0] == '_' && time[3] == '-' && time[6] == '-' &&
              std::all_of(time.begin() + 1, time.end(), [](char c) { return c == '-' || (c >= '0' && c <= '9'); }))
      << name;
  EXPECT_EQ(fs.ReadFile(dir.File("copy.ico")), fs.ReadFile(dir.File("star.ico")));
  const DWORD attributes = ::GetFileAttributesW(Widen(dir.File("copy.ico")).c_str());
  EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM), 0u);
  // Stamped with the time of saving, in the two-second steps of a DOS time.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(Widen(dir.File("copy.ico")).c_str(), GetFileExInfoStandard, &data));
  FILETIME local;
  SYSTEMTIME stamp, now;
  ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  ::FileTimeToSystemTime(&local, &stamp);
  ::GetLocalTime(&now);
  EXPECT_EQ(stamp.wSecond % 2, 0);
  EXPECT_EQ(stamp.wMilliseconds, 0);
  FILETIME now_ft;
  ::SystemTimeToFileTime(&now, &now_ft);
  const auto ticks = [](FILETIME f) { return (static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
  EXPECT_LT(ticks(now_ft) - ticks(local), 60ull * 10'000'000ull);
  ::SetFileAttributesW(Widen(dir.File("star.ico")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SourceGuiTest, TheIndexBoxTakesNoTypingButDeleteAndEnterPressesChange) {
  Choose(dir.File("none.exe"));  // no limit, so any number fits
  Spin().SetValue(12);
  HWND box = Spin().hwnd();
  for (WPARAM key : {WPARAM{'7'}, WPARAM{'A'}, WPARAM{VK_SPACE}}) {
    ::SendMessageW(box, WM_KEYDOWN, key, 0);
    ::SendMessageW(box, WM_CHAR, key, 0);
  }
  ::SendMessageW(box, WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(Text("SpinEditIcon"), "12");
  ::SendMessageW(box, EM_SETSEL, 0, 1);
  ::SendMessageW(box, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(Text("SpinEditIcon"), "2");
  ::SendMessageW(box, EM_SETSEL, 0, -1);
  ::SendMessageW(box, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(Text("SpinEditIcon"), "");
  EXPECT_EQ(Spin().Value(), 0);  // an empty box reads as the lower bound

  // Enter in the tooltip box presses the default button "Изменить".
  MSG enter{form->EditInfoTip.hwnd(), WM_KEYDOWN, VK_RETURN, 0};
  EXPECT_TRUE(form->HandleKey(enter));
  EXPECT_THAT(prompts.shown.back(), ::testing::HasSubstr("Изменить иконку папки?"));
}

// The real pickers, answered by a timer inside their own message loop: the
// filter arrives as its entries and a typed name gets the default extension.
struct DialogAnswer {
  std::wstring title;
  std::wstring typed;
  LRESULT filter_entries = -1;
  bool answered = false;
};
DialogAnswer g_answer;

void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = ::FindWindowW(L"#32770", g_answer.title.c_str());
  if (dialog == nullptr || g_answer.answered) return;
  g_answer.answered = true;
  g_answer.filter_entries = ::SendDlgItemMessageW(dialog, 0x470 /* cmb1 */, CB_GETCOUNT, 0, 0);
  if (!::SetDlgItemTextW(dialog, 0x47C /* cmb13 */, g_answer.typed.c_str()))
    ::SetDlgItemTextW(dialog, 0x480 /* edt1 */, g_answer.typed.c_str());
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

std::optional<std::string> AnswerWith(const FileDialog& dialog, const std::string& typed) {
  g_answer = DialogAnswer{Widen(dialog.title), Widen(typed)};
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &AnswerDialog);
  ui::WindowPrompts prompts;
  std::optional<std::string> picked = prompts.ChooseFile(dialog);
  ::KillTimer(nullptr, timer);
  EXPECT_TRUE(g_answer.answered);
  return picked;
}

TEST_F(BrowserGuiTest, TheSystemPickersTakeTheFilterAndTheDefaultExtension) {
  FileDialog open;
  open.title = "Выберите файл иконки...";
  open.filter = "Все типы|*.ico;*.exe|Иконки (*.ico)|*.ico|Приложение (*.exe)|*.exe";
  EXPECT_EQ(AnswerWith(open, dir.File("star.ico")), dir.File("star.ico"));
  EXPECT_EQ(g_answer.filter_entries, 3);

  FileDialog save;
  save.kind = FileDialog::Kind::kSave;
  save.title = "Сохранить иконку";
  save.filter = "Icons (*.ico)|*.ico";
  save.default_extension = "ico";
  save.file_name = "twelve.ico";
  EXPECT_EQ(AnswerWith(save, dir.File("saved")), dir.File("saved.ico"));
  EXPECT_EQ(g_answer.filter_entries, 1);
}

TEST_F(SourceGuiTest, TheSourceBoxThePreviewAndTheBrowseButtonOpenTheDialog) {
  auto& browse = form->ButtonBrowseIcon;
  const std::vector<std::pair<const char*, std::function<void()>>> ways = {
      {"source box", [&] { ::SendMessageW(form->EditIconFile.hwnd(), WM_LBUTTONUP, 0, 0); }},
      {"preview", [&] { ::SendMessageW(form->ImageIcon.hwnd(), WM_LBUTTONUP, 0, 0); }},
      {"browse button", [&] {
         ::SendMessageW(::GetParent(browse.hwnd()), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(browse.hwnd()), BN_CLICKED),
                        reinterpret_cast<LPARAM>(browse.hwnd()));
       }}};
  for (const auto& [way, click] : ways) {
    SCOPED_TRACE(way);
    const std::size_t before = prompts.dialogs.size();
    prompts.files = {dir.File("one.dll")};
    click();
    ASSERT_EQ(prompts.dialogs.size(), before + 1);
    EXPECT_EQ(prompts.dialogs.back().title, "Выберите файл иконки...");
    EXPECT_EQ(Text("EditIconFile"), dir.File("one.dll"));
    form->EditIconFile.SetProperty("Text", "");
  }
}

TEST_F(SourceGuiTest, MenuItemsCarryTheirGlyphs) {
  for (const char* name : {"RefreshIconMenu", "IconDeleteMenu", "SaveIconMenu"}) {
    SCOPED_TRACE(name);
    auto& item = testing::Named<ui::MenuItem>(*form, name);
    ASSERT_NE(item.glyph.get(), nullptr);
    MENUITEMINFOW info{sizeof info};
    info.fMask = MIIM_BITMAP;
    ASSERT_TRUE(::GetMenuItemInfoW(item.owner_menu, item.command, FALSE, &info));
    EXPECT_EQ(info.hbmpItem, item.glyph.get());
    BITMAP bm{};
    ASSERT_TRUE(::GetObjectW(item.glyph.get(), sizeof bm, &bm));
    EXPECT_EQ(bm.bmBitsPixel, 32);
    // Some pixels are drawn and some are transparent.
    const auto* pixels = static_cast<const std::uint32_t*>(bm.bmBits);
    ASSERT_NE(pixels, nullptr);
    int opaque = 0, clear = 0;
    for (int i = 0; i < bm.bmWidth * bm.bmHeight; ++i) ((pixels[i] >> 24) == 0 ? clear : opaque)++;
    EXPECT_GT(opaque, 0);
    EXPECT_GT(clear, 0);
  }
}

TEST_F(SourceGuiTest, AFoldersIndexIsShownWhateverTheLastSourceAllowed) {
  // Beta gets icon 7 of a twelve-icon library, without a copy.
  const auto beta = std::find(form->item_paths().begin(), form->item_paths().end(), dir.File("Beta"));
  ASSERT_NE(beta, form->item_paths().end());
  const int beta_item = static_cast<int>(beta - form->item_paths().begin());
  Select(beta_item);
  Choose(dir.File("twelve.dll"));
  Spin().SetValue(7);
  ::SendMessageW(form->CheckBoxCopyIcon.hwnd(), BM_SETCHECK, BST_UNCHECKED, 0);
  prompts.answers = {true};
  form->ButtonChangeIconClick();
  ASSERT_EQ(Status(), "Иконка успешно установлена");

  // A one-group source allows only 0 and 1; selecting Beta still shows 7.
  Choose(dir.File("one.dll"));
  ASSERT_EQ(SpinRange(), (Range{0, 1, true}));
  Select(beta_item == 0 ? 1 : 0);
  Select(beta_item);
  EXPECT_EQ(Text("EditIconFile"), dir.File("twelve.dll"));
  EXPECT_EQ(Spin().Value(), 7);
  EXPECT_EQ(Text("SpinEditIcon"), "7");
}

// The colour at the middle of a cell's upper part, where its picture is.
COLORREF ColourInCell(const testing::ScreenPixels& grid, const RECT& cell, int picture) {
  return grid.At((cell.left + cell.right) / 2, cell.top + std::max(2, picture / 2));
}

TEST_F(SourceGuiTest, ADroppedPictureIsPreviewedAsItsIconAndAppliedAsAnIcoInTheFolder) {
  // 40 x 20: red on the left, blue on the right; centred on a square, the
  // icon is clear above and below.
  RgbaImage picture{40, 20, std::vector<std::uint32_t>(800)};
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) picture.pixels[static_cast<std::size_t>(y * 40 + x)] = x < 20 ? 0xFFFF0000 : 0xFF0000FF;
  const Bytes png = EncodePng(picture);
  fs.WriteFileAtomically(dir.File("photo.png"), png);
  fs.WriteFileAtomically(dir.File("broken.png"), Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2)));

  Drop({dir.File("photo.png")});
  EXPECT_EQ(Text("EditIconFile"), dir.File("photo.png"));
  const testing::IconBitmap shown = testing::IconPixels(Preview());
  ASSERT_EQ(shown.width, form->Scale(48));
  const auto at = [&](int x, int y) { return shown.pixels[static_cast<std::size_t>(y * shown.width + x)]; };
  const int w = shown.width;
  EXPECT_EQ(at(w / 2, 1) >> 24, 0u) << "clear above the picture";
  EXPECT_EQ(at(w / 4, w / 2), 0xFFFF0000u);
  EXPECT_EQ(at(3 * w / 4, w / 2), 0xFF0000FFu);
  // Nothing to step or copy: a picture always goes into the folder.
  EXPECT_FALSE(Spin().Enabled());
  EXPECT_FALSE(On("ButtonPickIcon"));
  EXPECT_FALSE(On("CheckBoxCopyIcon"));
  EXPECT_TRUE(On("ButtonSaveIcon"));
  EXPECT_TRUE(On("ButtonChangeIcon"));
  EXPECT_EQ(form->default_button(), &form->ButtonChangeIcon);

  // Applied to Alpha with Copy off all the same.
  const auto alpha = std::find(form->item_paths().begin(), form->item_paths().end(), dir.File("Alpha"));
  ASSERT_NE(alpha, form->item_paths().end());
  Select(static_cast<int>(alpha - form->item_paths().begin()));
  form->EditIconFile.SetProperty("Text", dir.File("photo.png"));
  ::SendMessageW(form->CheckBoxCopyIcon.hwnd(), BM_SETCHECK, BST_UNCHECKED, 0);
  prompts.answers = {true};
  form->ButtonChangeIconClick();
  EXPECT_EQ(Status(), "Иконка успешно установлена");
  EXPECT_EQ(fs.ReadFile(dir.File("Alpha\\photo.ico")), PictureToIco(picture)) << "decoded exactly, as PNG is lossless";
  EXPECT_EQ(fs.GetAttributes(dir.File("Alpha\\photo.ico")).value_or(0) & (kAttrHidden | kAttrSystem),
            kAttrHidden | kAttrSystem);
  const auto ini = fs.ReadFile(dir.File("Alpha\\Desktop.ini"));
  ASSERT_TRUE(ini);
  EXPECT_THAT(std::string(reinterpret_cast<const char*>(ini->data()), ini->size()),
              ::testing::HasSubstr("IconFile=photo.ico\r\nIconIndex=0\r\nIconResource=photo.ico,0\r\n"));
  EXPECT_TRUE(fs.FileExists(dir.File("photo.png"))) << "the picture stays where it was";

  // A picture cut short: no preview, nothing offered; forced, it changes nothing.
  prompts.shown.clear();
  Drop({dir.File("broken.png")});
  EXPECT_EQ(Preview(), nullptr);
  const auto beta = std::find(form->item_paths().begin(), form->item_paths().end(), dir.File("Beta"));
  ASSERT_NE(beta, form->item_paths().end());
  Select(static_cast<int>(beta - form->item_paths().begin()));
  form->EditIconFile.SetProperty("Text", dir.File("broken.png"));
  prompts.answers = {true};
  form->ButtonChangeIconClick();
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_THAT(prompts.shown[1], ::testing::StartsWith("error: Ошибка!: Файл не является картинкой или повреждён: " +
                                                     dir.File("broken.png") + " ("));
  EXPECT_FALSE(fs.FileExists(dir.File("Beta\\Desktop.ini")));
  EXPECT_FALSE(fs.FileExists(dir.File("Beta\\broken.ico")));
}

// The picker runs modally: a timer drives it from inside its own loop, and
// another closes it should the steps leave it open.
std::function<void()> g_in_picker;
ui::Form* g_stray_picker = nullptr;
bool g_stray_closed = false;
void CALLBACK RunInPicker(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  if (g_in_picker) g_in_picker();
}
void CALLBACK CloseStrayPicker(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  if (g_stray_picker != nullptr && ::IsWindowVisible(g_stray_picker->hwnd())) {
    g_stray_closed = true;
    g_stray_picker->Hide();
  }
}

class PickerGuiTest : public SourceGuiTest {
 protected:
  void SetUp() override {
    SourceGuiTest::SetUp();
    form->set_icon_picker(&picker);
    form->Show();
  }
  void TearDown() override {
    form->Hide();
    SourceGuiTest::TearDown();
  }
  // Opens the picker from its button and runs `steps` in it once its icons
  // are loaded. Keys the steps post go through the picker's own loop; the
  // steps must close it.
  void InPicker(std::function<void()> steps) {
    g_stray_closed = false;
    g_in_picker = [this, steps] {
      for (int i = 0; i < 200 && picker.Loading(); ++i) {
        ui::ProcessMessages();
        ::Sleep(10);
      }
      ui::ProcessMessages();
      steps();
    };
    g_stray_picker = &picker;
    ::SetTimer(nullptr, 0, 50, &RunInPicker);
    const UINT_PTR stray = ::SetTimer(nullptr, 0, 5000, &CloseStrayPicker);
    form->ButtonPickIconClick();
    ::KillTimer(nullptr, stray);
    g_in_picker = {};
    g_stray_picker = nullptr;
    EXPECT_FALSE(g_stray_closed) << "the steps left the picker open";
  }
  HWND Grid() { return picker.GridIcons.hwnd(); }
  void Key(UINT key) { ::SendMessageW(Grid(), WM_KEYDOWN, key, 0); }
  POINT CellCentre(int item) {
    const RECT r = picker.GridIcons.CellRect(item);
    return {(r.left + r.right) / 2, r.top + picker.Scale(20)};
  }
  void Click(int item) {
    const POINT p = CellCentre(item);
    // The list waits for the button to come up before it reports the click.
    ::PostMessageW(Grid(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    ::SendMessageW(Grid(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ui::ProcessMessages();
  }
  void DoubleClick(int item) {
    const POINT p = CellCentre(item);
    ::PostMessageW(Grid(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    ::SendMessageW(Grid(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ui::ProcessMessages();
  }

  TFormIconPicker picker;
};

TEST_F(PickerGuiTest, EveryIconOfTheFileInAGridAndTheChoiceSetsTheIndex) {
  Choose(dir.File("twelve.exe"));
  ASSERT_TRUE(On("ButtonPickIcon"));
  prompts.shown.clear();  // the open dialog's record
  int columns = 0;
  InPicker([&] {
    EXPECT_TRUE(::IsWindowVisible(picker.hwnd()));
    ASSERT_EQ(picker.GridIcons.Count(), 12);
    for (int i = 0; i < 12; ++i) EXPECT_TRUE(picker.GridIcons.HasPicture(i)) << i;
    EXPECT_EQ(picker.GridIcons.Selected(), 0) << "the index box's icon";
    // Each cell shows its own group, the index under it.
    const auto grid = testing::CaptureWindow(Grid(), true);
    for (int i : {5, 7, 11}) {  // not the selected one: it is drawn blended with the highlight
      const COLORREF c = ColourInCell(grid, picker.GridIcons.CellRect(i), picker.GridIcons.PictureSize());
      const std::uint32_t want = testing::SolidIconGroupColour(i);
      EXPECT_EQ(c, RGB((want >> 16) & 0xFF, (want >> 8) & 0xFF, want & 0xFF)) << "cell " << i;
    }
    const RECT first = picker.GridIcons.CellRect(0);
    for (int i = 0; i < 12 && picker.GridIcons.CellRect(i).top == first.top; ++i) ++columns;
    ASSERT_GT(columns, 1);
    ASSERT_LT(columns, 8) << "the 8th cell is on a later row";

    // A click sets the index box at once, the picker stays.
    Click(3);
    EXPECT_EQ(Spin().Value(), 3);
    EXPECT_TRUE(::IsWindowVisible(picker.hwnd()));
    // End, Home and the arrows move through the grid, rows included.
    Key(VK_END);
    EXPECT_EQ(picker.GridIcons.Selected(), 11);
    Key(VK_HOME);
    EXPECT_EQ(picker.GridIcons.Selected(), 0);
    for (int i = 0; i < 7 / columns; ++i) Key(VK_DOWN);
    for (int i = 0; i < 7 % columns; ++i) Key(VK_RIGHT);
    EXPECT_EQ(picker.GridIcons.Selected(), 7);
    EXPECT_EQ(Spin().Value(), 3) << "moving is not choosing";
    // Enter chooses the 8th icon and closes the picker.
    ::PostMessageW(Grid(), WM_KEYDOWN, VK_RETURN, 0);
  });
  EXPECT_FALSE(::IsWindowVisible(picker.hwnd()));
  EXPECT_EQ(Spin().Value(), 7);
  // The preview follows the index box as it always did.
  const testing::IconBitmap preview = testing::IconPixels(Preview());
  ASSERT_FALSE(preview.pixels.empty());
  EXPECT_EQ(preview.pixels[preview.pixels.size() / 2] & 0xFFFFFF, testing::SolidIconGroupColour(7) & 0xFFFFFF);

  // A double click chooses and closes; it opens on the index chosen.
  InPicker([&] {
    EXPECT_EQ(picker.GridIcons.Selected(), 7);
    DoubleClick(2);
  });
  EXPECT_FALSE(::IsWindowVisible(picker.hwnd()));
  EXPECT_EQ(Spin().Value(), 2);

  // Escape puts back the index the picker opened with, clicks or not.
  InPicker([&] {
    Click(9);
    EXPECT_EQ(Spin().Value(), 9);
    ::PostMessageW(Grid(), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(Spin().Value(), 2);
  EXPECT_THAT(prompts.shown, ElementsAre());
}

TEST_F(PickerGuiTest, AFileOfManyIconsOpensWithTheFirstScreenAndLoadsTheRestBehind) {
  // The system's own shell32.dll has hundreds of icons.
  const std::string shell32 = testing::SystemFolder() + "\\shell32.dll";
  Win32ResourceLoader loader;
  const int groups = GetIconCountSimple(fs, loader, shell32);
  ASSERT_GT(groups, 60);
  picker.Load(shell32, 0);
  // The cells on screen are there at once; the worker brings the others.
  const ui::IconGrid::Screen screen = picker.GridIcons.ScreenAround(0);
  ASSERT_EQ(screen.first, 0);
  ASSERT_LT(screen.end, groups);
  int at_once = 0;
  for (int i = 0; i < groups; ++i) at_once += picker.GridIcons.HasPicture(i) ? 1 : 0;
  EXPECT_GT(at_once, screen.end * 9 / 10);
  EXPECT_LE(at_once, screen.end);
  for (int i = 0; i < 500 && picker.Loading(); ++i) {
    ui::ProcessMessages();
    ::Sleep(10);
  }
  EXPECT_FALSE(picker.Loading());
  int loaded = 0;
  for (int i = 0; i < groups; ++i) loaded += picker.GridIcons.HasPicture(i) ? 1 : 0;
  EXPECT_GE(loaded, groups * 9 / 10) << "a few groups may be beyond drawing";

  // Opened on an icon further down, that icon's screen comes at once.
  picker.Load(shell32, 100);
  EXPECT_TRUE(picker.GridIcons.HasPicture(100));
  EXPECT_EQ(picker.GridIcons.Selected(), 100);
  // Another file while the worker runs: it stops, and the grid is the new file's.
  picker.Load(dir.File("twelve.dll"), 20);
  for (int i = 0; i < 100 && picker.Loading(); ++i) {
    ui::ProcessMessages();
    ::Sleep(10);
  }
  EXPECT_EQ(picker.GridIcons.Count(), 12);
  EXPECT_EQ(picker.GridIcons.Selected(), 11) << "an index past the end selects the last";
  // A file that is not an executable gives an empty grid, not a crash.
  picker.Load(dir.File("notes.txt"), 0);
  EXPECT_EQ(picker.GridIcons.Count(), 0);

  // The button refuses what has no icons, with the reason.
  Drop({dir.File("none.exe")});
  form->ButtonPickIconClick();
  EXPECT_THAT(prompts.shown, ElementsAre("error: Ошибка!: В файле нет групп иконок"));
}

}  // namespace
}  // namespace vandrel
