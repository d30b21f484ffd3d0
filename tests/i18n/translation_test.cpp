// The translation engine over windows and files in memory.
#include "i18n/translation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/ini_store.h"
#include "platform/text.h"
#include "tests/fakes/fake_components.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/support/pe_builder.h"

namespace vandrel {
namespace {

using testing::FakeComponent;
using testing::FakeWindow;
using ::testing::ElementsAre;

class TranslationTest : public ::testing::Test {
 protected:
  static constexpr char kProgram[] = "C:\\Apps\\Vandrel\\";
  static constexpr char kSettings[] = "C:\\Apps\\Vandrel\\Config\\Option.ini";
  static constexpr char kEnglish[] = "C:\\Apps\\Vandrel\\Language\\English.ini";
  static constexpr char kLog[] = "C:\\Apps\\Vandrel.log";

  void SetUp() override {
    fs.files[kSettings] = testing::ToBytes("[Language]\r\nLanguage=English\r\n");
  }
  void Language(std::string_view vandrel_section) {
    fs.files[kEnglish] = testing::ToBytes("[Language information]\r\nLANGNAME=English\r\n[Vandrel]\r\n" +
                                          std::string(vandrel_section));
  }
  void Apply(FakeWindow& window) { TranslateForm(translation, window, "Vandrel", context); }
  std::vector<std::string> LogLines() {
    const auto it = fs.files.find(kLog);
    if (it == fs.files.end()) return {"<no log>"};
    TextEncoding found = TextEncoding::kNone;
    const std::string text = DecodeText(it->second, ansi, found);
    if (!it->second.empty()) {
      EXPECT_EQ(found, TextEncoding::kUtf16LE);
    }
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find("\r\n", start);
      EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
      if (end == std::string::npos) break;
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  testing::FakeFileSystem fs;
  std::unique_ptr<AnsiCodec> cp1251 = MakeWindows1251Codec();
  const AnsiCodec& ansi = *cp1251;
  int messages_let_run = 0;
  TranslationContext context{fs, ansi, kSettings, kProgram, "Vandrel", [this] { ++messages_let_run; }};
  TTranslation translation;
};

TEST(TranslationFiles, WhereTheLanguageAndTheLogLie) {
  EXPECT_EQ(LanguageFilePath("C:\\Apps\\Vandrel\\", "English"), "C:\\Apps\\Vandrel\\Language\\English.ini");
  EXPECT_EQ(MissingKeyLogPath("C:\\Apps\\Vandrel\\", "Vandrel"), "C:\\Apps\\Vandrel.log");
  EXPECT_EQ(MissingKeyLogPath("C:\\Vandrel\\", "Vandrel"), "C:\\Vandrel.log");
}

TEST(TranslationFiles, TextsThatAreNeverLookedUp) {
  for (const char* text : {"", "-", "0", "42", "-2147483648", "2147483647", "$FF", "0x1A", "+7"})
    EXPECT_TRUE(IsUntranslatable(text)) << text;
  for (const char* text : {"--", "2147483648", "-2147483649", "1.5", "12a", " ", "x", "$", "0x", "$1FFFFFFFF", "Да"})
    EXPECT_FALSE(IsUntranslatable(text)) << text;
}

TEST_F(TranslationTest, KeysMatchWithoutRegardToCaseAndEachEntryIsUsedOnce) {
  Language(
      "form1.BUTTONCHANGEICON.caption=Change\r\n"
      "Form1.ButtonChangeIcon.Hint=Change the folder's icon\r\n"
      "Form1.LangError.Caption=Error!\r\n"
      "Form1.LangError.Caption=Second\r\n"
      "Form1.GroupBox1.Caption=\r\n");
  FakeWindow form1("Form1", "Vandrel 9");
  FakeComponent& button = form1.Add("ButtonChangeIcon", ComponentKind::kButton,
                                    {{"Caption", "Изменить"}, {"Hint", "Изменить иконку папки"}});
  FakeComponent& error = form1.Add("LangError", ComponentKind::kMenuItem, {{"Caption", "Ошибка!"}, {"Hint", ""}});
  FakeComponent& group = form1.Add("GroupBox1", ComponentKind::kGroupBox, {{"Caption", "Папка"}});
  Apply(form1);
  EXPECT_EQ(button.GetProperty("Caption"), "Change");
  EXPECT_EQ(button.GetProperty("Hint"), "Change the folder's icon");
  EXPECT_EQ(error.GetProperty("Caption"), "Error!");
  EXPECT_EQ(group.GetProperty("Caption"), "Папка") << "an empty value keeps the text";
  EXPECT_EQ(form1.self().GetProperty("Caption"), "Vandrel 9") << "the main window's caption is never looked up";
  EXPECT_GT(messages_let_run, 0);

  // Within one application a repeated key takes the next entry.
  Language("Form1.LangError.Caption=A\r\nForm1.LangError.Caption=B\r\n");
  FakeWindow twice("Form1");
  FakeComponent& first = twice.Add("LangError", ComponentKind::kMenuItem, {{"Caption", "Ошибка!"}});
  FakeComponent& second = twice.Add("LangError", ComponentKind::kMenuItem, {{"Caption", "Ошибка!"}});
  Apply(twice);
  EXPECT_EQ(first.GetProperty("Caption"), "A");
  EXPECT_EQ(second.GetProperty("Caption"), "B");
}

TEST_F(TranslationTest, SeparatorsEmptyTextsAndNumbersAreNotLookedUp) {
  fs.files[kLog] = {};
  Language("");
  FakeWindow form1("Form1");
  form1.Add("N1", ComponentKind::kMenuItem, {{"Caption", "-"}, {"Hint", ""}});
  form1.Add("SpinEditSize", ComponentKind::kSpinEdit, {{"Hint", ""}, {"Text", "0"}});
  Apply(form1);
  EXPECT_THAT(LogLines(), ElementsAre());
  EXPECT_TRUE(fs.files[kLog].empty()) << "an empty log is not rewritten";
}

TEST_F(TranslationTest, MissingKeysAreAppendedToAnExistingLogEveryTime) {
  const std::u16string earlier = u"\xFEFF" u"Form8.Caption=О программе\r\n";
  Bytes log;
  for (char16_t c : earlier) {
    log.push_back(static_cast<std::byte>(c & 0xFF));
    log.push_back(static_cast<std::byte>(c >> 8));
  }
  fs.files[kLog] = log;
  Language("Form1.Other.Caption=x\r\n");
  FakeWindow form1("Form1");
  form1.Add("GroupBox1", ComponentKind::kGroupBox, {{"Caption", "Папка"}});
  Apply(form1);
  Apply(form1);
  EXPECT_THAT(LogLines(), ElementsAre("Form8.Caption=О программе", "Form1.GroupBox1.Caption=Папка",
                                      "Form1.GroupBox1.Caption=Папка"));
  // Without a log in place none is made.
  fs.files.erase(kLog);
  Apply(form1);
  EXPECT_FALSE(fs.FileExists(kLog));
}

TEST_F(TranslationTest, WindowCaptionsFollowTheirOwnRules) {
  Language("Form8.Caption=\r\nForm10.Caption=Update\r\nForm10.Caption=Update\r\n");
  FakeWindow form8("Form8", "О программе");
  Apply(form8);
  EXPECT_EQ(form8.self().GetProperty("Caption"), "") << "no filter on a window's caption";
  FakeWindow form10("Form10", "Обновление");
  Apply(form10);
  EXPECT_EQ(form10.self().GetProperty("Caption"), "Update Vandrel");
  Apply(form10);
  EXPECT_EQ(form10.self().GetProperty("Caption"), "Update Vandrel");
  // Without the key the caption is kept, and the title is not added twice.
  Language("");
  Apply(form10);
  Apply(form10);
  EXPECT_EQ(form10.self().GetProperty("Caption"), "Update Vandrel");
}

TEST_F(TranslationTest, SkippedKindsAndNamesAreLeftAlone) {
  fs.files[kLog] = {};
  Language(
      "Form8.StatusBar1.Hint=x\r\nForm8.ComboBox1.Text=x\r\nForm8.Edit1.Text=x\r\nForm8.LabelCopyright.Caption=x\r\n"
      "Form8.Caption=About\r\n");
  FakeWindow form8("Form8", "О программе");
  FakeComponent& status = form8.Add("StatusBar1", ComponentKind::kStatusBar, {{"Hint", "подсказка"}});
  FakeComponent& combo = form8.Add("ComboBox1", ComponentKind::kComboBox, {{"Text", "C:\\"}});
  FakeComponent& edit = form8.Add("Edit1", ComponentKind::kEdit, {{"Text", "путь"}});
  FakeComponent& copyright = form8.Add("LabelCopyright", ComponentKind::kLabel, {{"Caption", "(c) 2026"}});
  Apply(form8);
  EXPECT_EQ(status.GetProperty("Hint"), "подсказка");
  EXPECT_EQ(combo.GetProperty("Text"), "C:\\");
  EXPECT_EQ(edit.GetProperty("Text"), "путь");
  EXPECT_EQ(copyright.GetProperty("Caption"), "(c) 2026");
  EXPECT_THAT(LogLines(), ElementsAre());

  Language("Form10.LabelLocalVersion.Caption=x\r\nForm10.LabelServerVersion.Caption=x\r\n");
  FakeWindow form10("Form10", "Обновление");
  FakeComponent& local = form10.Add("LabelLocalVersion", ComponentKind::kLabel, {{"Caption", "9.0.26.320"}});
  FakeComponent& server = form10.Add("LabelServerVersion", ComponentKind::kLabel, {{"Caption", "9.0.27.1"}});
  Apply(form10);
  EXPECT_EQ(local.GetProperty("Caption"), "9.0.26.320");
  EXPECT_EQ(server.GetProperty("Caption"), "9.0.27.1");
  // The view of a folder's Desktop.ini is the user's data: never looked up
  // or logged as missing; its hint is the program's text like any other.
  fs.files[kLog] = {};
  Language("Form1.MemoLog.Text=replaced\r\n");
  FakeWindow form1("Form1", "Vandrel");
  FakeComponent& memo =
      form1.Add("MemoLog", ComponentKind::kMemo, {{"Text", "[.ShellClassInfo]\r\nIconResource=star.ico,0"}, {"Hint", "Журнал"}});
  Apply(form1);
  EXPECT_EQ(memo.GetProperty("Text"), "[.ShellClassInfo]\r\nIconResource=star.ico,0");
  EXPECT_THAT(LogLines(), ElementsAre("Form1.MemoLog.Hint=Журнал"));
}

TEST_F(TranslationTest, ListsFiltersAndLabelledEditsHaveTheirKeys) {
  Language(
      "Form1.ListView1.Columns[0].Caption=Name\r\n"
      "Form1.TabControl1.Tabs [0]=First\r\n"
      "Form1.TabControl1.Tabs[1]=never\r\n"
      "Form1.CheckListBox1.Items [1]=Second\r\n"
      "Form1.OpenDialog1.Filter=Icons|*.ico\r\n"
      "Form1.OpenDialog1.Title=Pick an icon\r\n"
      "Form1.LabeledEdit1.Caption=Path\r\n"
      "Form1.EditLabel1.Caption=Path label\r\n");
  FakeWindow form1("Form1");
  FakeComponent& list = form1.Add("ListView1", ComponentKind::kListView, {{"Hint", ""}});
  list.lists["Columns"] = {"Имя", "-"};
  FakeComponent& tabs = form1.Add("TabControl1", ComponentKind::kTabControl, {{"Hint", ""}});
  tabs.lists["Tabs"] = {"Первая", "Вторая"};
  FakeComponent& checks = form1.Add("CheckListBox1", ComponentKind::kCheckListBox, {{"Hint", ""}});
  checks.lists["Items"] = {"", "Второй"};
  FakeComponent& dialog = form1.Add("OpenDialog1", ComponentKind::kOpenDialog,
                                    {{"Title", "Выбор иконки"}, {"Filter", "Иконки|*.ico"}});
  FakeComponent& labelled = form1.Add("LabeledEdit1", ComponentKind::kLabeledEdit, {{"Text", "C:\\"}});
  labelled.label = std::make_unique<FakeComponent>("EditLabel1", ComponentKind::kLabel,
                                                   std::map<std::string, std::string>{{"Caption", "Путь"}});
  Apply(form1);
  EXPECT_THAT(list.lists["Columns"], ElementsAre("Name", "-"));
  EXPECT_THAT(tabs.lists["Tabs"], ElementsAre("First", "Вторая")) << "no blank before the bracket: no match";
  EXPECT_THAT(checks.lists["Items"], ElementsAre("", "Second"));
  EXPECT_EQ(dialog.GetProperty("Title"), "Pick an icon");
  EXPECT_EQ(dialog.GetProperty("Filter"), "Icons|*.ico");
  // The label first under the edit box's name, then under its own.
  EXPECT_EQ(labelled.label->GetProperty("Caption"), "Path label");
  EXPECT_EQ(labelled.GetProperty("Text"), "C:\\") << "its text is not looked up when there is no entry";
}

TEST_F(TranslationTest, NoFileOrAnErrorChangesOnlyWhatItMust) {
  FakeWindow form8("Form8", "О программе");
  FakeComponent& ok = form8.Add("Button1", ComponentKind::kButton, {{"Caption", "Ок"}});
  fs.files[kSettings] = testing::ToBytes("[Language]\r\nLanguage=Klingon\r\n");
  Language("Form8.Caption=About\r\nForm8.Button1.Caption=Ok\r\n");
  Apply(form8);
  EXPECT_EQ(form8.self().GetProperty("Caption"), "О программе") << "the selected file does not exist";

  // A property that refuses its value ends this window's translation; what
  // was replaced stays, and the next window is translated as usual.
  fs.files[kSettings] = testing::ToBytes("[Language]\r\nLanguage=English\r\n");
  Language("Form8.Caption=About\r\nForm8.Button1.Caption=Ok\r\nForm8.Button2.Caption=Two\r\nForm10.Caption=Update\r\n");
  FakeComponent& refusing = form8.Add("Button2", ComponentKind::kButton, {{"Caption", "Два"}});
  ok.refuse_writes = true;
  Apply(form8);
  EXPECT_EQ(form8.self().GetProperty("Caption"), "About");
  EXPECT_EQ(ok.GetProperty("Caption"), "Ок");
  EXPECT_EQ(refusing.GetProperty("Caption"), "Два");
  FakeWindow form10("Form10", "Обновление");
  Apply(form10);
  EXPECT_EQ(form10.self().GetProperty("Caption"), "Update Vandrel");
}

}  // namespace
}  // namespace vandrel
