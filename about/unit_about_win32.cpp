#include "about/unit_about_win32.h"

#include <dwmapi.h>
#include <shellapi.h>

#include "config/contacts.h"

namespace vandrel {

using vandrel::ComponentKind;
using ui::Dock;

namespace {

// Links look like links: blue and underlined, with the hand cursor.
LRESULT CALLBACK LinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_SETCURSOR) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

TForm8::TForm8(std::function<std::string()> main_caption, std::string legal_copyright)
    : ui::Form(Options{"Form8", "О программе", 334, 161, 350, 200, false, true}),
      main_caption_(std::move(main_caption)) {
  using K = ComponentKind;
  auto& buttons = Add({"TabControlButtons", K::kTabControl, nullptr, Dock::kBottom, 0, 0, 0, 35});
  auto& ok = Add({"Button1", K::kButton, &buttons, Dock::kFill, 0, 0, 0, 0, "Ok"});
  ok.on_click = [this] { Hide(); };
  auto& body = Add({"TabControlBody", K::kTabControl, nullptr, Dock::kFill});
  Add({"LabelVersion", K::kLabel, &body, Dock::kTop, 0, 0, 0, 20});
  auto& copyright = Add({"LabelCopyright", K::kLabel, &body, Dock::kTop, 0, 0, 0, 17, legal_copyright});
  (void)copyright;
  LOGFONTW lf{};
  ::GetObjectW(font(), sizeof lf, &lf);
  lf.lfUnderline = TRUE;
  link_font_ = ::CreateFontIndirectW(&lf);
  lf.lfUnderline = FALSE;
  lf.lfWeight = FW_BOLD;
  bold_font_ = ::CreateFontIndirectW(&lf);
  ::SendMessageW(ok.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(bold_font_), FALSE);
  ::SetWindowSubclass(ok.hwnd(), LinkProc, 1, 0);  // the hand cursor
  for (auto [name, caption] : {std::pair<const char*, std::string>{"LabelTelegram", "Telegram"},
                               {"LabelGMail", std::string(kMakerFirstMail)},
                               {"LabelYaMail", std::string(kMakerSecondMail)},
                               {"LabelMainWebSite", "Сайт основной"}}) {
    auto& link = Add({name, K::kLabel, &body, Dock::kTop, 0, 0, 0, 17, caption});
    ::SendMessageW(link.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(link_font_), FALSE);
    ::SetWindowSubclass(link.hwnd(), LinkProc, 1, 0);
    ::SetPropW(link.hwnd(), L"VandrelLink", reinterpret_cast<HANDLE>(1));  // drawn blue by its panel
    const std::string label = name;
    link.on_click = [this, label] { OpenLink(label); };
  }
  auto& image = Add({"Image1", K::kImage, &body, Dock::kNone, 12, 14, 32, 32});
  ::SetWindowPos(image.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);  // over the label rows
  image.SetIcon(static_cast<HICON>(
      ::LoadImageW(ui::Instance(), L"MAINICON", IMAGE_ICON, Scale(32), Scale(32), LR_DEFAULTCOLOR)));
  on_show = [this] { FormShow(); };
  // Rounded corners where the system draws them (Windows 11).
  const DWORD round = 2;  // DWMWCP_ROUND
  ::DwmSetWindowAttribute(hwnd(), 33 /* DWMWA_WINDOW_CORNER_PREFERENCE */, &round, sizeof round);
  Relayout();
  CenterOnDesktop();
}

void TForm8::FormShow() { Get<ui::Control>("LabelVersion").SetProperty("Caption", main_caption_ ? main_caption_() : ""); }

std::string TForm8::LinkTarget(std::string_view label) {
  if (label == "LabelTelegram") return std::string(kMakerTelegramChannel);
  if (label == "LabelGMail") return "mailto:" + std::string(kMakerFirstMail);
  if (label == "LabelYaMail") return "mailto:" + std::string(kMakerSecondMail);
  if (label == "LabelMainWebSite") return std::string(kMakerWebSite);
  return {};
}

void TForm8::OpenLink(std::string_view label) {
  // No registered mail program or browser: the shell's failure is not reported.
  ::ShellExecuteW(hwnd(), L"open", ui::W(LinkTarget(label)).c_str(), nullptr, nullptr, SW_SHOW);
  ui::ProcessMessages();
}

}  // namespace vandrel
