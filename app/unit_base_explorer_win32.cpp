// Restarting Explorer and clearing its icon cache from the general menu.
#include "app/unit_base_win32.h"
#include "shell/explorer.h"

namespace vandrel {

bool TForm1::KillTask(const std::string& exe_file_name) { return vandrel::KillTask(*processes_, exe_file_name); }

void TForm1::RestartExplorerMenu1Click() {
  // Not while a clearing runs: it stops and starts Explorer itself.
  if (cache_task_.Running()) return;
  // Whatever fails here ends the command without a message.
  try {
    RestGeneralMenuButton();
    RestartExplorer(shell_, *processes_);
  } catch (...) {
  }
}

void TForm1::DeleteIconCacheClick() {
  RestGeneralMenuButton();
  ClearIconCacheInThread();
  shell_.NotifyAssociationsChanged();
}

void TForm1::ClearIconCacheInThread() {
  if (cache_task_.Running()) return;  // one clearing at a time
  ProgressBar1.SetRange(0, 100);
  ProgressBar1.SetPosition(0);
  ProgressBar1.SetVisible(true);
  SetStatus("");
  DeleteIconCache.SetEnabled(false);
  RestartExplorerMenu.SetEnabled(false);  // Explorer is the clearing's until it ends
  cache_task_.Start([this] {
    // Each step for the window runs on its thread; after the window began to
    // close, those steps do nothing while the clearing itself runs on.
    const auto on_ui = [this](const std::function<void()>& step) {
      ui::RunOnUiThread([this, &step] {
        if (!closing_) step();
      });
    };
    CacheClearingView view;
    view.run_on_ui = on_ui;
    view.show_stage = [this](int position, std::string_view item) {
      ProgressBar1.SetPosition(position);
      SetStatus(MessageCaption(item));  // the caption of the moment: the current language
    };
    view.hide_progress = [this] { ProgressBar1.SetVisible(false); };
    view.show_error = [this](const std::string& message) {
      ProgressBar1.SetVisible(false);
      SetStatus(MessageCaption("LangError") + " " + message);
    };
    try {
      ClearIconCacheSequence(*processes_, *clock_, view);
    } catch (...) {
      // A step for the window failed while showing an error; the clearing is over.
    }
    on_ui([this] {
      DeleteIconCache.SetEnabled(true);
      RestartExplorerMenu.SetEnabled(true);
    });
  });
}

}  // namespace vandrel
