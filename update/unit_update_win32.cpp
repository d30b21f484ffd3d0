#include "update/unit_update_win32.h"

#include "common/ini_store.h"
#include "config/build_config.h"
#include "i18n/message_captions.h"
#include "update/update_check.h"

namespace vandrel {

using ui::Dock;
using Align = ui::Spec::Align;

// A dialog of fixed size: the controls are placed, not docked.
TForm10::TForm10(Environment environment)
    : ui::Form(Options{.name = "Form10", .caption = "Обновление", .client_width = 434, .client_height = 191,
                       .min_width = 400, .min_height = 230, .sizable = false, .app_window = true,
                       .font_face = L"Segoe UI", .font_points = 9, .double_buffered = true}),
      GroupBox1(Add<ui::GroupBox>({.name = "GroupBox1", .x = 4, .y = 0, .width = 4, .height = 96, .stretch = true})),
      LabelUpDate(Add<ui::Label>({.name = "LabelUpDate", .parent = &GroupBox1, .x = 0, .y = 0, .width = 0, .height = 20,
                                  .caption = "Проверка обновления...", .stretch = true, .font = {.bold = true}})),
      LabelLocalTitle(Add<ui::Label>({.name = "LabelLocalTitle", .parent = &GroupBox1, .x = 0, .y = 30, .width = 200,
                                      .height = 20, .caption = "Версия на компьютере:", .align = Align::kRight})),
      LabelLocalVersion(Add<ui::Label>({.name = "LabelLocalVersion", .parent = &GroupBox1, .x = 206, .y = 30,
                                        .width = 0, .height = 20, .stretch = true, .align = Align::kLeft})),
      LabelServerTitle(Add<ui::Label>({.name = "LabelServerTitle", .parent = &GroupBox1, .x = 0, .y = 52, .width = 200,
                                       .height = 20, .caption = "Версия на сервере:", .align = Align::kRight})),
      LabelServerVersion(Add<ui::Label>({.name = "LabelServerVersion", .parent = &GroupBox1, .x = 206, .y = 52,
                                         .width = 0, .height = 20, .stretch = true, .align = Align::kLeft,
                                         .font = {.bold = true}})),
      ProgressBarUpdate(Add<ui::ProgressBar>({.name = "ProgressBarUpdate", .x = 4, .y = 98, .width = 4, .height = 21,
                                              .stretch = true})),
      GroupBoxOption(Add<ui::GroupBox>({.name = "GroupBoxOption", .x = 4, .y = 119, .width = 4, .height = 38,
                                        .caption = "Опции", .stretch = true})),
      CheckBoxQuickUpdate(Add<ui::CheckBox>({.name = "CheckBoxQuickUpdate", .parent = &GroupBoxOption, .width = 110,
                                             .height = 17, .caption = "Быстрое", .hand_cursor = true,
                                             .two_state = true})),
      CheckBoxForceUpdate(Add<ui::CheckBox>({.name = "CheckBoxForceUpdate", .parent = &GroupBoxOption, .x = 116,
                                             .width = 130, .height = 17, .caption = "Принудительное",
                                             .hand_cursor = true, .two_state = true})),
      CheckBoxAutoCheck(Add<ui::CheckBox>({.name = "CheckBoxAutoCheck", .parent = &GroupBoxOption, .x = 250,
                                           .width = 170, .height = 17, .caption = "Проверять при запуске",
                                           .hand_cursor = true, .two_state = true})),
      TabControlButtons(Add<ui::FramedPanel>({.name = "TabControlButtons", .dock = Dock::kBottom, .height = 34})),
      ButtonDownload(Add<ui::Button>({.name = "ButtonDownload", .parent = &TabControlButtons, .x = 4, .y = 2,
                                      .width = 120, .height = 25, .caption = "Скачать", .hand_cursor = true})),
      ButtonClose(Add<ui::Button>({.name = "ButtonClose", .parent = &TabControlButtons, .x = 4, .y = 2, .width = 120,
                                   .height = 25, .caption = "Закрыть", .anchor_right = true, .hand_cursor = true})),
      PopupMenuLanguage(AddMessageCaptions()),
      env_(std::move(environment)) {
  if (env_.mirrors.empty()) env_.mirrors = {std::string(kFirstMirror), std::string(kSecondMirror)};
  CheckBoxQuickUpdate.SetChecked(true);
  CheckBoxAutoCheck.SetChecked(true);
  SetDefaultButton(&ButtonDownload);
  ButtonDownload.SetEnabled(false);
  ButtonClose.on_click = [this] { ButtonCloseClick(); };
  CheckBoxForceUpdate.on_click = [this] { CheckBoxForceUpdateClick(); };
  on_show = [this] { FormShow(); };
  on_close = [this] { FormClose(); };
  ui::RunGuarded(hwnd(), [this] { FormCreate(); });
  Relayout();
  CenterOnDesktop();
}

TForm10::~TForm10() {
  // A check still running finishes; what it finds changes nothing now.
  closing_ = true;
  check_task_.Wait();
  DestroyNow();
}

ui::PopupMenu& TForm10::AddMessageCaptions() {
  auto& captions = AddPopupMenu("PopupMenuLanguage");
  for (const CaptionItem& item : UpdateWindowMessageItems())
    AddMenuItem({.name = std::string(item.name), .parent = &captions, .caption = std::string(item.caption)});
  return captions;
}

std::string TForm10::MessageCaption(std::string_view item) {
  if (ui::Control* c = Find(item)) return c->GetProperty("Caption");
  return std::string(item);
}

void TForm10::FormCreate() { LoadNastr(); }

void TForm10::LoadNastr() {
  if (!env_.settings_path) return;
  const IniStore ini = IniStore::Open(fs_, ansi_, env_.settings_path());
  CheckBoxAutoCheck.SetChecked(ini.ReadBool("Option", "CheckBoxAutoCheck", true));
}

void TForm10::SaveNastr() {
  if (!env_.settings_path) return;
  IniStore ini = IniStore::Open(fs_, ansi_, env_.settings_path());
  ini.WriteBool("Option", "CheckBoxAutoCheck", CheckBoxAutoCheck.Checked());
  ini.Save(fs_);
}

void TForm10::SetDownloadIdle() { ButtonDownload.SetText(MessageCaption("LangDownload")); }

void TForm10::FormShow() {
  LabelUpDate.SetText("");
  LabelLocalVersion.SetText(env_.local_version);
  LabelUpDate.SetText(MessageCaption("LangCheckUpdate"));
  if (CheckBoxForceUpdate.Checked()) {
    CheckBoxForceUpdate.SetChecked(false);
    CheckBoxForceUpdateClick();
  }
  LabelServerVersion.SetText("");
  StartCheck();
}

void TForm10::StartCheck() {
  if (check_task_.Running()) return;  // the last showing's check still runs: its result will do
  GroupBoxOption.SetEnabled(false);
  ButtonDownload.SetEnabled(false);
  const std::vector<std::string> mirrors = env_.mirrors;
  const bool portable = env_.portable_mode;
  check_task_.Start([this, mirrors, portable] {
    std::optional<UpdateSource> found;
    try {
      found = FindUpdateSource(*http_, mirrors, portable, ProxyFor(GetSystemProxy(*registry_)));
    } catch (...) {
      // An unreadable proxy setting or anything else: the check failed.
    }
    ui::RunOnUiThread([this, &found] {
      if (closing_) return;
      ui::RunGuarded(hwnd(), [this, &found] {
        if (found) {
          latest_version_ = found->version;
          download_url_ = found->package_url;
          check_result_ = CompareVersions(latest_version_, env_.local_version);
          LabelUpDate.SetText(check_result_ == 1 ? MessageCaption("LangUpdateAvailable") + " " + env_.local_version +
                                                       " ---> " + latest_version_
                                                 : MessageCaption("LangNoUpdate"));
          LabelServerVersion.SetText(latest_version_);
        } else {
          LabelUpDate.SetText(MessageCaption("LangFailedCheckUpdates"));
          LabelServerVersion.SetText(MessageCaption("LangConnectionError"));
          check_result_ = 0;
          download_url_.clear();
          latest_version_.clear();
        }
        if (!CheckBoxForceUpdate.Checked()) {
          SetDownloadIdle();
          ButtonDownload.SetEnabled(check_result_ == 1);
          GroupBoxOption.SetEnabled(true);
        }
      });
    });
  });
}

void TForm10::CheckBoxForceUpdateClick() {
  SetDownloadIdle();
  ButtonDownload.SetEnabled(CheckBoxForceUpdate.Checked());
}

void TForm10::ButtonCloseClick() {
  try {
    Close();
  } catch (...) {
  }
}

void TForm10::FormClose() {
  LabelUpDate.SetText("");
  LabelLocalVersion.SetText("");
  LabelServerVersion.SetText("");
  SaveNastr();
}

}  // namespace vandrel
