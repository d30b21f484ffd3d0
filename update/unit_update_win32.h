// The update window, TForm10: the local and the server's version, the
// verdict of the check, the options and the download button.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/http_client.h"
#include "platform/registry.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_http_client.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_ansi_codec.h"
#include "ui/ui.h"

namespace vandrel {

class TForm10 final : public ui::Form {
 public:
  struct Environment {
    std::string local_version;                  // the running program's
    bool portable_mode = false;
    std::function<std::string()> settings_path;  // Option.ini, as the main window places it
    std::vector<std::string> mirrors;            // empty: the ones the build was made with
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
  // Returns the download button to idle ("Скачать").
  void SetDownloadIdle();

  // What the last check found.
  const std::string& download_url() const { return download_url_; }
  const std::string& latest_version() const { return latest_version_; }
  int check_result() const { return check_result_; }
  bool checking() const { return check_task_.Running(); }
  void WaitForCheck() { check_task_.Wait(); }
  // Tests ask local servers and keep the registry's proxy as it is.
  void set_http(HttpClient* http) { http_ = http ? http : &own_http_; }
  void set_registry(Registry* registry) { registry_ = registry ? registry : &own_registry_; }

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

 private:
  ui::PopupMenu& AddMessageCaptions();
  void StartCheck();

  Environment env_;
  Win32HttpClient own_http_;
  HttpClient* http_ = &own_http_;
  Win32Registry own_registry_;
  Registry* registry_ = &own_registry_;
  Win32FileSystem fs_;
  Win32AnsiCodec ansi_;
  std::string download_url_, latest_version_;
  int check_result_ = 0;
  ui::BackgroundTask check_task_;
  bool closing_ = false;  // results that arrive later change nothing
};

}  // namespace vandrel
