// Our own message box: real controls with the captions given, Enter, Escape,
// a click, Ctrl+C, and the owner held while it is up.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/win32/wide.h"
#include "ui/message_dialog.h"
#include "ui/ui.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;

// What the timer saw of the box, and what it then did.
struct Seen {
  enum class Act { kEnter, kEscape, kClickSecond, kCopyThenEscape } act = Act::kEnter;
  HWND owner = nullptr;
  bool found = false;
  bool owner_enabled = true;
  std::vector<std::wstring> texts;  // every child's text, in creation order
  std::wstring default_button;
  std::wstring focused;
};
Seen g_seen;

BOOL CALLBACK CollectChild(HWND child, LPARAM) {
  wchar_t text[256] = {};
  ::GetWindowTextW(child, text, 256);
  wchar_t cls[32] = {};
  ::GetClassNameW(child, cls, 32);
  if (::lstrcmpiW(cls, L"Static") == 0 && (::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return TRUE;
  g_seen.texts.push_back(text);
  if (::lstrcmpiW(cls, L"Button") == 0 && (::GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
    g_seen.default_button = text;
  return TRUE;
}

void Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  ::SendInput(1, &in, sizeof in);
}

// The typed keys arrive through the window system: Escape waits for them.
void CALLBACK EscapeLater(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (HWND box = ::FindWindowW(L"VandrelMessageDialog", L"Vandrel"))
    ::PostMessageW(::GetFocus() ? ::GetFocus() : box, WM_KEYDOWN, VK_ESCAPE, 0);
}

void CALLBACK ActOnTheBox(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = ::FindWindowW(L"VandrelMessageDialog", L"Vandrel");
  if (box == nullptr) return;  // not up yet: the timer fires again
  ::KillTimer(nullptr, id);
  g_seen.found = true;
  g_seen.owner_enabled = ::IsWindowEnabled(g_seen.owner) != FALSE;
  ::EnumChildWindows(box, &CollectChild, 0);
  wchar_t focus[256] = {};
  ::GetWindowTextW(::GetFocus(), focus, 256);
  g_seen.focused = focus;
  HWND target = ::GetFocus() ? ::GetFocus() : box;
  switch (g_seen.act) {
    case Seen::Act::kEnter: ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0); break;
    case Seen::Act::kEscape: ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0); break;
    case Seen::Act::kClickSecond: {
      HWND second = ::GetDlgItem(box, 101);
      ::PostMessageW(second, BM_CLICK, 0, 0);
      break;
    }
    case Seen::Act::kCopyThenEscape:
      ::SetForegroundWindow(box);
      Key(VK_CONTROL, false);
      Key('C', false);
      Key('C', true);
      Key(VK_CONTROL, true);
      ::SetTimer(nullptr, 0, 700, &EscapeLater);
      break;
  }
}

std::wstring Clipboard() {
  std::wstring text;
  if (!::OpenClipboard(nullptr)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

class MessageDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::InitializeUi(::GetModuleHandleW(nullptr)); }
  int Show(Seen::Act act, int default_button = 0) {
    g_seen = Seen{act, owner.hwnd()};
    spec.default_button = default_button;
    ::SetTimer(nullptr, 0, 100, &ActOnTheBox);
    return ui::ShowMessageDialog(owner.hwnd(), spec);
  }
  ui::Form owner{ui::Form::Options{.name = "Owner", .caption = "Owner", .client_width = 300, .client_height = 200}};
  ui::MessageDialogSpec spec{.title = "Vandrel",
                             .text = "Доступно обновление 9.0.27.1\r\nХотите обновить приложение сейчас?",
                             .icon = ui::MessageDialogSpec::Icon::kInformation,
                             .buttons = {"Да", "Нет"}};
};

TEST_F(MessageDialogTest, ShowsTheTextAndTheGivenButtonsAndEnterPressesTheDefault) {
  owner.Show();
  EXPECT_EQ(Show(Seen::Act::kEnter), 0);
  ASSERT_TRUE(g_seen.found);
  EXPECT_THAT(g_seen.texts, ElementsAre(Widen(spec.text), L"Да", L"Нет"));
  EXPECT_EQ(g_seen.default_button, L"Да");
  EXPECT_EQ(g_seen.focused, L"Да");
  EXPECT_FALSE(g_seen.owner_enabled) << "the owner waits while the box is up";
  EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
  EXPECT_EQ(::FindWindowW(L"VandrelMessageDialog", nullptr), nullptr);
  // Another default: Enter presses that one.
  EXPECT_EQ(Show(Seen::Act::kEnter, 1), 1);
  EXPECT_EQ(g_seen.default_button, L"Нет");
  owner.Hide();
}

TEST_F(MessageDialogTest, EscapeAndAClickAnswerAsTheyShould) {
  owner.Show();
  EXPECT_EQ(Show(Seen::Act::kEscape), 1);  // the last button cancels
  EXPECT_EQ(Show(Seen::Act::kClickSecond), 1);
  spec.buttons = {"OK"};
  EXPECT_EQ(Show(Seen::Act::kEscape), 0);
  owner.Hide();
}

TEST_F(MessageDialogTest, CtrlCCopiesTheBoxAsTheSystemsBoxDoes) {
  owner.Show();
  ::OpenClipboard(nullptr);
  ::EmptyClipboard();
  ::CloseClipboard();
  EXPECT_EQ(Show(Seen::Act::kCopyThenEscape), 1);
  EXPECT_EQ(Clipboard(), Widen(ui::MessageDialogClipboardText(spec)));
  EXPECT_EQ(ui::MessageDialogClipboardText({.title = "T", .text = "a\nb", .buttons = {"Да", "Нет"}}),
            "---------------------------\r\nT\r\n---------------------------\r\na\r\nb\r\n"
            "---------------------------\r\nДа   Нет   \r\n---------------------------\r\n");
  // Mnemonic marks are not copied; a doubled one is a plain "&".
  EXPECT_THAT(ui::MessageDialogClipboardText({.title = "T", .text = "a", .buttons = {"&Yes", "&No", "A&&B"}}),
              ::testing::HasSubstr("\r\nYes   No   A&B   \r\n"));
  owner.Hide();
}

TEST_F(MessageDialogTest, TheProgramsQuestionsAndMessagesCarryTheSystemsCaptions) {
  owner.Show();
  const std::string yes = ui::SystemButtonCaption(IDYES), no = ui::SystemButtonCaption(IDNO);
  EXPECT_FALSE(yes.empty());
  EXPECT_NE(yes, no);
  g_seen = Seen{Seen::Act::kEnter, owner.hwnd()};
  ::SetTimer(nullptr, 0, 100, &ActOnTheBox);
  EXPECT_TRUE(ui::AskYesNo(owner.hwnd(), "Изменить иконку папки?", "Vandrel")) << "Enter answers yes";
  EXPECT_THAT(g_seen.texts, ElementsAre(L"Изменить иконку папки?", Widen(yes), Widen(no)));
  g_seen = Seen{Seen::Act::kEscape, owner.hwnd()};
  ::SetTimer(nullptr, 0, 100, &ActOnTheBox);
  EXPECT_FALSE(ui::AskYesNo(owner.hwnd(), "Изменить иконку папки?", "Vandrel")) << "Escape answers no";
  g_seen = Seen{Seen::Act::kEnter, owner.hwnd()};
  ::SetTimer(nullptr, 0, 100, &ActOnTheBox);
  ui::ShowMessageBox(owner.hwnd(), "Иконка удалена", "Vandrel", ui::MessageDialogSpec::Icon::kError);
  EXPECT_THAT(g_seen.texts, ElementsAre(L"Иконка удалена", Widen(ui::SystemButtonCaption(IDOK))));
  owner.Hide();
}

}  // namespace
}  // namespace vandrel
