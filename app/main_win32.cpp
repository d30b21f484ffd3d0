// Vandrel.exe: the start-up sequence and the message loop.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "about/unit_about_win32.h"
#include "app/file_info_utils.h"
#include "app/startup.h"
#include "app/unit_base_win32.h"
#include "app/unit_icon_picker_win32.h"
#include "common/paths.h"
#include "ui/app.h"
#include "ui/message_dialog.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/system_version.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_version_reader.h"
#include "update/unit_update_win32.h"

namespace {

// Held for the life of the process and never closed: the system drops it
// when the process ends.
HANDLE g_instance_mutex = nullptr;

bool AlreadyRunning() {
  const std::wstring name = vandrel::Widen(vandrel::kApplicationTitle);
  g_instance_mutex = ::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str());
  if (g_instance_mutex != nullptr) return true;
  g_instance_mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
  return false;
}

bool IsWindows10Or11() {
  const vandrel::SystemVersion& v = vandrel::CurrentSystemVersion();
  return vandrel::IsWindows10Or11(v.major, v.build);
}

std::vector<std::string> Arguments() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv != nullptr && i < argc; ++i) args.push_back(vandrel::Narrow(argv[i]));
  if (argv != nullptr) ::LocalFree(argv);
  return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  if (AlreadyRunning()) return 0;  // silently: the running copy is left alone
  // Shortcuts dropped on the window are read through the shell's COM objects.
  const vandrel::ComApartment com;
  vandrel::ui::InitializeUi(instance);

  const std::string exe = vandrel::Win32Desktop().ExecutablePath();
  vandrel::Win32FileSystem fs;
  vandrel::Win32VersionReader versions;
  const bool portable = fs.FileExists(vandrel::FolderPart(exe) + "portable.ini");

  vandrel::TForm1 form1(Arguments(), vandrel::GetFileVersion(versions, exe), portable, exe);
  vandrel::TForm8 form8([&form1] { return form1.Caption(); }, vandrel::GetLegalCopyright(versions, exe));
  vandrel::TForm10 form10({.local_version = vandrel::GetFileVersion(versions, exe), .portable_mode = portable,
                           .settings_path = [&form1] { return form1.PortablePath(); },
                           .exe_path = exe,
                           .startup_check = true,
                           .hold_startup_prompt = true});
  vandrel::TFormIconPicker picker;
  form1.set_about_window(&form8);
  form1.set_update_window(&form10);
  form1.set_icon_picker(&picker);

  // With every window made: the language files are cleaned up against them,
  // the menu is built and the chosen language applied, so that even the
  // refusal below speaks it.
  form1.CleanTranslationsLikeGlobload();
  form1.LoadLanguage();
  form1.globload();
  form1.FormShow();

  if (!IsWindows10Or11()) {
    vandrel::ui::ShowMessageBox(nullptr, form1.MessageCaption("LangOnlyWindows"), form1.MessageCaption("LangError"),
                                vandrel::ui::MessageDialogSpec::Icon::kError);
    return 0;
  }
  form1.Show();
  form10.AllowStartupPrompt();
  vandrel::ui::RunMessageLoop();
  return 0;
}
