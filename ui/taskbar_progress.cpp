#include "ui/taskbar_progress.h"

namespace vandrel::ui {

TaskbarProgress::~TaskbarProgress() {
  if (list_ != nullptr) list_->Release();
}

ITaskbarList3* TaskbarProgress::List() {
  if (!tried_) {
    tried_ = true;
    void* list = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &list))) {
      list_ = static_cast<ITaskbarList3*>(list);
      if (FAILED(list_->HrInit())) {
        list_->Release();
        list_ = nullptr;
      }
    }
  }
  return list_;
}

void TaskbarProgress::SetNormal(bool normal) {
  if (window_ == nullptr) return;
  if (ITaskbarList3* list = List()) list->SetProgressState(window_, normal ? TBPF_NORMAL : TBPF_NOPROGRESS);
}

void TaskbarProgress::SetValue(unsigned long long value, unsigned long long maximum) {
  if (window_ == nullptr) return;
  if (ITaskbarList3* list = List()) list->SetProgressValue(window_, value, maximum);
}

}  // namespace vandrel::ui
