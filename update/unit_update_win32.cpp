#include "update/unit_update_win32.h"

#include <utility>

#include "common/ini_store.h"
#include "config/build_config.h"
#include "config/product.h"
#include "i18n/message_captions.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_crypto.h"
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
  if (env_.http) http_ = env_.http;
  if (env_.registry) registry_ = env_.registry;
  prompt_allowed_ = !env_.hold_startup_prompt;
  keys_ = ParsePublicKeys(env_.public_keys.value_or(std::string(kUpdatePublicKeys)));
  publisher_sha256_ = env_.publisher_sha256.value_or(std::string(kUpdatePublisherSha256));
  CheckBoxQuickUpdate.SetChecked(true);
  CheckBoxAutoCheck.SetChecked(true);
  SetDefaultButton(&ButtonDownload);
  ButtonDownload.SetEnabled(false);
  ButtonClose.on_click = [this] { ButtonCloseClick(); };
  ButtonDownload.on_click = [this] { ButtonDownloadClick(); };
  TaskbarUpdate.Attach(hwnd());
  exit_now_ = [] { ::ExitProcess(0); };
  end_normally_ = [] { ::PostQuitMessage(0); };
  ask_ = [](const ui::MessageDialogSpec& spec) {
    ui::Form* owner = ui::Windows().active();
    return ui::ShowMessageDialog(owner != nullptr ? owner->hwnd() : nullptr, spec) == 0;
  };
  CheckBoxForceUpdate.on_click = [this] { CheckBoxForceUpdateClick(); };
  on_show = [this] { FormShow(); };
  on_close = [this] { FormClose(); };
  ui::RunGuarded(hwnd(), [this] { FormCreate(); });
  Relayout();
  CenterOnDesktop();
}

TForm10::~TForm10() {
  // Work still running goes on by itself, without waiting: a transfer breaks
  // off, and what a check brings back later changes nothing.
  *alive_ = false;
  if (download_cancel_) *download_cancel_ = true;
  for (ui::BackgroundTask* task : {&check_task_, &startup_task_, &download_task_, &quick_task_}) task->Abandon();
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
  if (env_.settings_path) {
    const IniStore ini = IniStore::Open(fs_, ansi_, env_.settings_path());
    CheckBoxAutoCheck.SetChecked(ini.ReadBool("Option", "CheckBoxAutoCheck", true));
  }
  if (env_.startup_check && CheckBoxAutoCheck.Checked()) CheckForUpdatesInBackground();
}

void TForm10::SaveNastr() {
  if (!env_.settings_path) return;
  IniStore ini = IniStore::Open(fs_, ansi_, env_.settings_path());
  ini.WriteBool("Option", "CheckBoxAutoCheck", CheckBoxAutoCheck.Checked());
  ini.Save(fs_);
}

std::string TForm10::SelectedLanguage() {
  if (!env_.settings_path) return "";
  return IniStore::Open(fs_, ansi_, env_.settings_path()).ReadString("Language", "Language", "");
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
  if (quick_start_pending_) {
    quick_start_pending_ = false;
    QuickStartUpdate();
    return;
  }
  LabelServerVersion.SetText("");
  StartCheck();
}

std::optional<HttpProxy> TForm10::Proxy() {
  try {
    return ProxyFor(GetSystemProxy(*registry_));
  } catch (...) {
    return std::nullopt;  // an unreadable setting means a direct connection
  }
}

std::string TForm10::UpdateAvailableText(const std::string& server_version) {
  return MessageCaption("LangUpdateAvailable") + " " + env_.local_version + " ---> " + server_version;
}

void TForm10::StartCheck() {
  // A check of an earlier showing that still hangs is let go: what it brings
  // back later is ignored, and it holds up nothing.
  check_task_.Abandon();
  const unsigned generation = ++check_generation_;
  GroupBoxOption.SetEnabled(false);
  ButtonDownload.SetEnabled(false);
  AskMirrors(check_task_, [this, generation](const UpdateCheck& check) {
    if (generation != check_generation_) return;
    LogCheck("check", check);
    if (const auto& found = check.source) {
      latest_version_ = found->version;
      download_url_ = found->package_url;
      package_ = found->package;
      check_result_ = CompareVersions(latest_version_, env_.local_version);
      LabelUpDate.SetText(check_result_ == 1 ? UpdateAvailableText(latest_version_) : MessageCaption("LangNoUpdate"));
      LabelServerVersion.SetText(latest_version_);
    } else {
      // A mirror that answered with something nobody signed is no
      // connection error: its version is not shown at all.
      LabelUpDate.SetText(MessageCaption(check.not_verified ? "LangUpdateNotVerified" : "LangFailedCheckUpdates"));
      LabelServerVersion.SetText(check.not_verified ? "" : MessageCaption("LangConnectionError"));
      check_result_ = 0;
      download_url_.clear();
      latest_version_.clear();
      package_.reset();
    }
    // A download that began meanwhile (an accepted start-up prompt) keeps its button.
    if (!CheckBoxForceUpdate.Checked() && !downloading_) {
      SetDownloadIdle();
      ButtonDownload.SetEnabled(check_result_ == 1);
      GroupBoxOption.SetEnabled(true);
    }
  });
}

void TForm10::AskMirrors(ui::BackgroundTask& task, std::function<void(const UpdateCheck&)> found_it) {
  task.Start([this, alive = alive_, http = http_, mirrors = env_.mirrors, portable = env_.portable_mode, proxy = Proxy(),
              keys = keys_, deadline_ms = env_.mirror_deadline_ms, found_it = std::move(found_it)] {
    UpdateCheck check;
    try {
      Win32Crypto crypto;
      check = FindUpdateSource(*http, mirrors, portable, proxy, UpdateTrust{keys, &crypto}, deadline_ms);
    } catch (const std::exception& e) {
      check = UpdateCheck{.log = {std::string("The check failed: ") + e.what()}};
    } catch (...) {
      check = UpdateCheck{.log = {"The check failed."}};
    }
    ui::RunOnUiThread([&] {
      if (!*alive) return;
      ui::RunGuarded(hwnd(), [&] { found_it(check); });
    });
  });
}

void TForm10::Log(const std::string& line) {
  update_log_.push_back(line);
  ::OutputDebugStringW(Widen("Vandrel update: " + line + "\n").c_str());
}

void TForm10::LogCheck(std::string_view which, const UpdateCheck& check) {
  for (const std::string& line : check.log) Log(std::string(which) + ": " + line);
}

void TForm10::CheckForUpdatesInBackground() {
  // The prompt waits for the user-interface thread's message loop, so it
  // comes once the main window is up.
  AskMirrors(startup_task_, [this](const UpdateCheck& check) {
    LogCheck("start-up check", check);
    const auto& found = check.source;
    pending_version_ = found ? found->version : "";
    pending_download_url_ = found ? found->package_url : "";
    pending_package_ = found ? std::optional(found->package) : std::nullopt;
    update_available_ = found && CompareVersions(pending_version_, env_.local_version) == 1;
    PromptForUpdate();
  });
}

void TForm10::AllowStartupPrompt() {
  prompt_allowed_ = true;
  if (std::exchange(prompt_held_, false)) PromptForUpdate();
}

void TForm10::PromptForUpdate() {
  if (!update_available_ || pending_download_url_.empty()) return;
  if (!prompt_allowed_) {
    // The language steps let messages run before the windows are
    // translated and shown: the question waits for them.
    prompt_held_ = true;
    return;
  }
  const ui::MessageDialogSpec spec{
      .title = std::string(kApplicationTitle),
      .text = MessageCaption("LangUpdateAvailable") + " " + pending_version_ + "\r\n" + MessageCaption("LangUpdateNow"),
      .icon = ui::MessageDialogSpec::Icon::kInformation,
      .buttons = {MessageCaption("LangYes"), MessageCaption("LangNo")},
      .default_button = 0,
      .cancel_button = 1};
  if (!ask_(spec)) return;
  download_url_ = pending_download_url_;
  latest_version_ = pending_version_;
  package_ = pending_package_;
  LabelServerVersion.SetText(pending_version_);
  if (::IsWindowVisible(hwnd())) {
    // The user opened the window meanwhile: the download starts in it.
    if (!downloading_) QuickStartUpdate();
    return;
  }
  quick_start_pending_ = true;
  ShowModal();
}

void TForm10::QuickStartUpdate() {
  download_url_ = pending_download_url_;
  latest_version_ = pending_version_;
  package_ = pending_package_;
  LabelUpDate.SetText(UpdateAvailableText(latest_version_));
  LabelServerVersion.SetText(pending_version_);
  // The click comes from the message loop, so the window paints first.
  quick_task_.Start([this, alive = alive_] {
    ui::RunOnUiThread([this, &alive] {
      if (*alive && !downloading_) ui::RunGuarded(hwnd(), [this] { ButtonDownloadClick(); });
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
  if (downloading_) CancelDownload();  // closing the window breaks the transfer off
  LabelUpDate.SetText("");
  LabelLocalVersion.SetText("");
  LabelServerVersion.SetText("");
  SaveNastr();
}

}  // namespace vandrel
