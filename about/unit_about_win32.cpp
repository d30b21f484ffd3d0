#include "about/unit_about_win32.h"

#include "config/build_config.h"

namespace vandrel {

using ui::Dock;

TForm8::TForm8(std::function<std::string()> main_caption, std::string legal_copyright)
    : ui::Form(Options{.name = "Form8", .caption = "О программе", .client_width = 334, .client_height = 161,
                       .min_width = 350, .min_height = 200, .sizable = false, .app_window = true, .rounded_corners = true}),
      TabControlButtons(Add<ui::FramedPanel>({.name = "TabControlButtons", .dock = Dock::kBottom, .height = 35})),
      Button1(Add<ui::Button>({.name = "Button1", .parent = &TabControlButtons, .dock = Dock::kFill, .caption = "Ok",
                               .hand_cursor = true, .font = {.bold = true}})),
      TabControlBody(Add<ui::FramedPanel>({.name = "TabControlBody", .dock = Dock::kFill})),
      LabelVersion(Add<ui::Label>({.name = "LabelVersion", .parent = &TabControlBody, .dock = Dock::kTop, .height = 20})),
      LabelCopyright(Add<ui::Label>({.name = "LabelCopyright", .parent = &TabControlBody, .dock = Dock::kTop,
                                     .height = 17, .caption = legal_copyright})),
      LabelTelegram(AddLink("LabelTelegram", "Telegram")),
      LabelGMail(AddLink("LabelGMail", std::string(kMakerFirstMail))),
      LabelYaMail(AddLink("LabelYaMail", std::string(kMakerSecondMail))),
      LabelMainWebSite(AddLink("LabelMainWebSite", "Сайт основной")),
      Image1(Add<ui::Image>({.name = "Image1", .parent = &TabControlBody, .x = 12, .y = 14, .width = 32, .height = 32})),
      main_caption_(std::move(main_caption)) {
  Button1.on_click = [this] { Hide(); };
  for (ui::Label* link : {&LabelTelegram, &LabelGMail, &LabelYaMail, &LabelMainWebSite})
    link->on_click = [this, link] { desktop_.Open(LinkTarget(link->Name())); ui::ProcessMessages(); };
  Image1.BringToFront();  // over the label rows
  Image1.SetIcon(ui::LoadGlyphIcon(L"MAINICON", Scale(32)));
  on_show = [this] { FormShow(); };
  Relayout();
  CenterOnDesktop();
}

ui::Label& TForm8::AddLink(const char* name, const std::string& caption) {
  return Add<ui::Label>({.name = name, .parent = &TabControlBody, .dock = Dock::kTop, .height = 17, .caption = caption,
                         .link = true});
}

void TForm8::FormShow() { LabelVersion.SetProperty("Caption", main_caption_ ? main_caption_() : ""); }

std::string TForm8::LinkTarget(std::string_view label) {
  if (label == "LabelTelegram") return std::string(kMakerTelegramChannel);
  if (label == "LabelGMail") return "mailto:" + std::string(kMakerFirstMail);
  if (label == "LabelYaMail") return "mailto:" + std::string(kMakerSecondMail);
  if (label == "LabelMainWebSite") return std::string(kMakerWebSite);
  return {};
}

}  // namespace vandrel
