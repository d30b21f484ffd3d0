// The update window, TForm10: the local and the server's version, the
// verdict of the check, the options and the download button.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/http_client.h"
#include "platform/registry.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_http_client.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_ansi_codec.h"
#include "ui/message_dialog.h"
#include "ui/taskbar_progress.h"
#include "ui/ui.h"
#include "update/update_check.h"
#include "update/update_install.h"

namespace vandrel {

class TForm10 final : public ui::Form {
 public:
  struct Environment {
    std::string local_version;                  // the running program's
    bool portable_mode = false;
    std::function<std::string()> settings_path;  // Option.ini, as the main window places it
    std::vector<std::string> mirrors;            // empty: the ones the build was made with
    std::string exe_path;                        // the running program; a portable package goes beside it
    bool startup_check = false;                  // the program's own window: checks once at start-up
    // The start-up prompt waits for AllowStartupPrompt (the program's windows
    // translated and the main window shown).
    bool hold_startup_prompt = false;
    int stall_limit_ms = kStallLimitMs;          // a download receiving nothing this long fails
    int mirror_deadline_ms = kMirrorDeadlineMs;  // all one mirror may take in a check
    std::string temp_folder;                     // empty: the user's, as GetTempPathW gives it
    // Tests ask local servers and keep the registry's proxy as it is;
    // none: WinHTTP and the user's registry.
    std::shared_ptr<HttpClient> http;
    Registry* registry = nullptr;
    // Tests sign with keys and pin publishers of their own; none: the build's.
    std::optional<std::string> public_keys;
    std::optional<std::string> publisher_sha256;
  };
  explicit TForm10(Environment environment);
  ~TForm10() override;

  // The current caption of a message item of PopupMenuLanguage.
  std::string MessageCaption(std::string_view item);

  void FormCreate();
  void FormShow();
  void FormClose();
  void LoadNastr();
  void SaveNastr();
  void CheckBoxForceUpdateClick();
  void ButtonCloseClick();
  void ButtonDownloadClick();
  void CheckForUpdatesInBackground();
  void PromptForUpdate();
  // From now on the start-up prompt may show; one held back shows now.
  void AllowStartupPrompt();
  void QuickStartUpdate();
  // Writes and runs the portable update script, then ends the program;
  // returns only when the script could not be made.
  void SimplePortableUpdate(const std::string& zip_in_app_dir, const std::string& current_exe_path);
  // Returns the download button to idle ("Скачать").
  void SetDownloadIdle();
  // The language the user chose in the settings ("" when none): the installer's.
  std::string SelectedLanguage();
  // The folder for an installer package, with a trailing backslash.
  std::string GetTempDirectory() const;

  // What the last check found.
  const std::string& download_url() const { return download_url_; }
  const std::string& latest_version() const { return latest_version_; }
  int check_result() const { return check_result_; }
  bool checking() const { return check_task_.Running(); }
  bool downloading() const { return downloading_; }
  bool update_available() const { return update_available_; }
  const std::string& pending_version() const { return pending_version_; }
  // Why checks and downloads failed, a line each (also sent to a debugger).
  const std::vector<std::string>& update_log() const { return update_log_; }
  void WaitForCheck() { check_task_.Wait(); }
  void WaitForStartupCheck() { startup_task_.Wait(); }
  void WaitForDownload() {
    quick_task_.Wait();
    download_task_.Wait();
  }
  // Tests record what is started and answer the prompt.
  void set_processes(Processes* processes) { processes_ = processes ? processes : &own_processes_; }
  // How the program ends: at once (after the portable script started) and
  // normally (after the installer started).
  void set_ending(std::function<void()> exit_now, std::function<void()> end_normally) {
    exit_now_ = std::move(exit_now);
    end_normally_ = std::move(end_normally);
  }
  void set_prompt(std::function<bool(const ui::MessageDialogSpec&)> ask) { ask_ = std::move(ask); }

  // In creation order.
  ui::GroupBox& GroupBox1;
  ui::Label& LabelUpDate;
  ui::Label& LabelLocalTitle;
  ui::Label& LabelLocalVersion;
  ui::Label& LabelServerTitle;
  ui::Label& LabelServerVersion;
  ui::ProgressBar& ProgressBarUpdate;
  ui::GroupBox& GroupBoxOption;
  ui::CheckBox& CheckBoxQuickUpdate;
  ui::CheckBox& CheckBoxForceUpdate;
  ui::CheckBox& CheckBoxAutoCheck;
  ui::FramedPanel& TabControlButtons;
  ui::Button& ButtonDownload;
  ui::Button& ButtonClose;
  ui::PopupMenu& PopupMenuLanguage;
  ui::TaskbarProgress TaskbarUpdate;

 private:
  class ProgressWatcher;
  ui::PopupMenu& AddMessageCaptions();
  void StartCheck();
  // Asks the mirrors on `task`'s worker; `found_it` gets the answer on the
  // user-interface thread, unless the window has gone by then.
  void AskMirrors(ui::BackgroundTask& task, std::function<void(const UpdateCheck&)> found_it);
  std::string UpdateAvailableText(const std::string& server_version);
  void StartDownload();
  void CancelDownload();
  void DownloadEnded(const std::string& failure, bool not_verified, const std::string& package);
  void Log(const std::string& line);
  // Why each mirror of a check was passed over.
  void LogCheck(std::string_view which, const UpdateCheck& check);
  void ReturnToIdle();
  std::optional<HttpProxy> Proxy();

  Environment env_;
  std::shared_ptr<HttpClient> http_ = std::make_shared<Win32HttpClient>();
  Win32Registry own_registry_;
  Registry* registry_ = &own_registry_;
  Win32Processes own_processes_;
  Processes* processes_ = &own_processes_;
  std::function<void()> exit_now_, end_normally_;
  std::function<bool(const ui::MessageDialogSpec&)> ask_;
  Win32FileSystem fs_;
  Win32AnsiCodec ansi_;

  std::vector<P256PublicKey> keys_;  // whose signature on a manifest is trusted
  std::string publisher_sha256_;     // the installer's pinned publisher, or empty
  std::vector<std::string> update_log_;

  unsigned check_generation_ = 0;  // the showing whose check may still change the window
  std::string download_url_, latest_version_;
  std::optional<PackageDigest> package_;  // the package as the signed manifest describes it
  int check_result_ = 0;
  std::string pending_version_, pending_download_url_;
  std::optional<PackageDigest> pending_package_;
  bool update_available_ = false;
  bool quick_start_pending_ = false;
  bool prompt_allowed_ = true;
  bool prompt_held_ = false;  // the start-up check ended before the prompt was allowed
  bool downloading_ = false;  // the download button's state: Cancel
  bool abort_update_ = false;

  // Workers hold these, not the window: the window may go while they run,
  // and what they bring back later changes nothing once `alive_` is false.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // user-interface thread only
  std::shared_ptr<std::atomic<bool>> download_cancel_, download_done_;
  ui::BackgroundTask check_task_, startup_task_, download_task_, quick_task_;
};

}  // namespace vandrel
