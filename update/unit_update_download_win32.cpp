// The update window's download button: fetching the package on a worker,
// the progress on the bar and the taskbar button, cancelling, and starting
// the installer or the portable update script.
#include <windows.h>

#include <chrono>
#include <thread>

#include "common/paths.h"
#include "icons/pe_resource_file.h"
#include "platform/error.h"
#include "platform/win32/authenticode.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_crypto.h"
#include "update/unit_update_win32.h"
#include "update/update_script_win32.h"
#include "update/update_check.h"

namespace vandrel {

// Carries the transfer's progress from the worker to the window.
class TForm10::ProgressWatcher final : public DownloadWatcher {
 public:
  ProgressWatcher(TForm10& form, std::shared_ptr<bool> alive, std::shared_ptr<std::atomic<bool>> cancel)
      : form_(form), alive_(std::move(alive)), cancel_(std::move(cancel)) {}

  void Begin(std::int64_t) override {
    OnWindow([this] {
      form_.ProgressBarUpdate.SetRange(0, 100);
      form_.TaskbarUpdate.SetValue(0, 100);
    });
  }
  void Progress(std::optional<std::int64_t> position) override {
    // Only a step the bar shows is worth a trip to the window.
    if (shown_ && (!position || *position == last_)) return;
    shown_ = true;
    if (position) last_ = *position;
    OnWindow([this, position] {
      form_.TaskbarUpdate.SetNormal(true);
      if (!position) return;
      form_.ProgressBarUpdate.SetPosition(static_cast<int>(std::min<std::int64_t>(*position, 1'000'000)));
      form_.TaskbarUpdate.SetValue(static_cast<unsigned long long>(form_.ProgressBarUpdate.Position()), 100);
    });
  }
  bool Cancelled() override { return *cancel_; }

 private:
  // Runs `step` on the window's thread unless the window or the download has gone.
  template <typename Step>
  void OnWindow(Step step) {
    ui::RunOnUiThread([&] {
      if (*alive_ && !*cancel_) step();
    });
  }
  TForm10& form_;
  std::shared_ptr<bool> alive_;
  std::shared_ptr<std::atomic<bool>> cancel_;
  bool shown_ = false;
  std::int64_t last_ = -1;
};

std::string TForm10::GetTempDirectory() const {
  if (!env_.temp_folder.empty()) return WithTrailingBackslash(env_.temp_folder);
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH, buffer);
  return WithTrailingBackslash(n > 0 && n < MAX_PATH ? Narrow(std::wstring(buffer, n)) : std::string());
}

void TForm10::ButtonDownloadClick() {
  if (downloading_) {
    CancelDownload();
  } else {
    StartDownload();
  }
}

void TForm10::StartDownload() {
  abort_update_ = false;
  downloading_ = true;
  ButtonDownload.SetText(MessageCaption("LangCancel"));
  ButtonClose.SetEnabled(false);
  ProgressBarUpdate.SetVisible(true);
  ProgressBarUpdate.SetPosition(0);
  GroupBoxOption.SetEnabled(false);

  const std::string folder = env_.portable_mode ? FolderPart(env_.exe_path) : GetTempDirectory();
  PackageRequest request{.url = download_url_,
                         .target = folder + FileNameFromUrl(download_url_),
                         .archive = env_.portable_mode,
                         .proxy = Proxy(),
                         .stall_limit_ms = env_.stall_limit_ms,
                         .expected = package_,
                         .version = latest_version_,
                         .local_version = env_.local_version};
  // A cancelled transfer may still be unwinding: the new one waits for it.
  auto previous = download_done_;
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  auto done = std::make_shared<std::atomic<bool>>(false);
  download_cancel_ = cancel;
  download_done_ = done;
  download_task_.Abandon();
  download_task_.Start([this, alive = alive_, http = http_, request, previous, cancel, done,
                        publisher = publisher_sha256_] {
    while (previous && !*previous && !*cancel) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::string failure;
    bool not_verified = false;
    try {
      ProgressWatcher watcher(*this, alive, cancel);
      Win32FileSystem fs;
      Win32Crypto crypto;
      DownloadPackage(*http, fs, crypto, request, watcher);
      if (!request.archive) {
        // A signed installer must carry a signature Windows accepts, and the
        // pinned publisher's when the build pins one; without a pin an
        // unsigned one is started as it is (its manifest vouches for it).
        auto file = fs.OpenForReading(request.target);
        const auto table = file ? FindPeCertificateTable(*file) : std::nullopt;
        file.reset();
        if ((table && table->size > 0) || !publisher.empty()) {
          if (const std::string problem = SignatureProblem(request.target, publisher); !problem.empty()) {
            fs.RemoveFile(request.target);
            throw UpdateNotVerified("The installer is not started", problem);
          }
        }
      }
    } catch (const UpdateNotVerified& e) {
      failure = e.what();
      not_verified = true;
    } catch (const std::exception& e) {
      failure = e.what();
    }
    try {
      ui::RunOnUiThread([&] {
        if (*alive && !*cancel) DownloadEnded(failure, not_verified, request.target);
      });
    } catch (...) {
      // The window's thread has gone: the program is ending.
    }
    *done = true;
  });
}

void TForm10::DownloadEnded(const std::string& failure, bool not_verified, const std::string& package) {
  TaskbarUpdate.SetNormal(false);
  if (!failure.empty()) {
    ReturnToIdle();
    Log("download: " + failure);
    LabelUpDate.SetText(MessageCaption(not_verified ? "LangUpdateNotVerified" : "LangNoDownload"));
    return;
  }
  LabelUpDate.SetText(MessageCaption("LangDownloadComplet"));
  if (env_.portable_mode) {
    if (CheckBoxQuickUpdate.Checked()) SimplePortableUpdate(package, env_.exe_path);
  } else if (CheckBoxQuickUpdate.Checked()) {
    processes_->Open(package, InstallerParameters(SelectedLanguage()));
    end_normally_();
  } else {
    processes_->Open(package, "");
  }
  ReturnToIdle();
}

void TForm10::ReturnToIdle() {
  downloading_ = false;
  SetDownloadIdle();
  ButtonClose.SetEnabled(true);
  ProgressBarUpdate.SetPosition(0);
  ProgressBarUpdate.SetVisible(false);
  GroupBoxOption.SetEnabled(true);
  TaskbarUpdate.SetNormal(false);
}

void TForm10::CancelDownload() {
  // The window is idle at once; the transfer breaks off on its worker and
  // leaves no file (an earlier complete package stays as it was).
  ReturnToIdle();
  abort_update_ = true;
  if (download_cancel_) *download_cancel_ = true;
  LabelUpDate.SetText(MessageCaption("LangNoDownload"));
}

void TForm10::SimplePortableUpdate(const std::string& zip_in_app_dir, const std::string& current_exe_path) {
  const UpdateScript script =
      PortableUpdateScript(FolderPart(current_exe_path), NamePart(current_exe_path), NamePart(zip_in_app_dir),
                           ::GetCurrentProcessId());
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  const std::string path = GetTempDirectory() + UpdateScriptName(now.wHour, now.wMinute, now.wSecond);
  try {
    fs_.WriteFileAtomically(path, script.Content());
  } catch (const std::exception&) {
    LabelUpDate.SetText(MessageCaption("LangNoDownload"));
    return;
  }
  if (fs_.FileExists(path)) {
    StartUpdateScript(*processes_, path, script, FolderPart(current_exe_path));
    exit_now_();
    return;
  }
  ui::ShowMessageBox(hwnd(), "Failed to create update script!", "");
}

}  // namespace vandrel
