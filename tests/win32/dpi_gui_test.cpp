// A move to a screen of another scaling: every control, group-box frame,
// link and glyph takes a font or size for the new DPI, every replaced font
// and bitmap is deleted, and nothing is left behind on the way back.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "about/unit_about_win32.h"
#include "app/unit_base_win32.h"
#include "app/unit_icon_picker_win32.h"
#include "platform/win32/gdi_handles.h"
#include "tests/win32/win32_test_support.h"

namespace vandrel {
namespace {

class DpiGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::InitializeUi(::GetModuleHandleW(nullptr)); }
};

// What a window shows that depends on its DPI, handle by handle.
struct Seen {
  std::vector<std::pair<std::string, HFONT>> fonts;  // every control window, frames included
  std::vector<std::pair<std::string, HICON>> button_glyphs;
  std::vector<std::pair<std::string, HBITMAP>> menu_glyphs;
};

HFONT FontOf(HWND h) { return reinterpret_cast<HFONT>(::SendMessageW(h, WM_GETFONT, 0, 0)); }

Seen Look(ui::Form& form) {
  Seen s;
  for (Component* component : form.Components()) {
    auto* c = dynamic_cast<ui::Control*>(component);
    if (auto* item = dynamic_cast<ui::MenuItem*>(c)) {
      if (item->glyph) s.menu_glyphs.emplace_back(item->Name(), item->glyph.get());
      continue;
    }
    if (c == nullptr || c->hwnd() == nullptr) continue;
    // Panels and images draw no text; a group box's text is its frame's.
    if (auto* box = dynamic_cast<ui::GroupBox*>(c)) s.fonts.emplace_back(c->Name() + " frame", FontOf(box->frame()));
    if (dynamic_cast<ui::Panel*>(c) != nullptr || dynamic_cast<ui::Image*>(c) != nullptr) continue;
    s.fonts.emplace_back(c->Name(), FontOf(c->hwnd()));
    if (dynamic_cast<ui::Button*>(c) != nullptr) {
      if (auto icon = reinterpret_cast<HICON>(::SendMessageW(c->hwnd(), BM_GETIMAGE, IMAGE_ICON, 0)))
        s.button_glyphs.emplace_back(c->Name(), icon);
    }
  }
  return s;
}

LOGFONTW Logical(HFONT f) {
  LOGFONTW lf{};
  ::GetObjectW(f, sizeof lf, &lf);
  return lf;
}

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return 0;
  BITMAP bm{};
  ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return bm.bmWidth;
}

void MoveToDpi(ui::Form& form, UINT dpi) {
  RECT r;
  ::GetWindowRect(form.hwnd(), &r);
  const int w = MulDiv(r.right - r.left, static_cast<int>(dpi), static_cast<int>(form.dpi()));
  const int h = MulDiv(r.bottom - r.top, static_cast<int>(dpi), static_cast<int>(form.dpi()));
  RECT suggested{r.left, r.top, r.left + w, r.top + h};
  ::SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// Checks everything `form` shows against `dpi`, and that what it showed
// before is gone.
void ExpectFor(ui::Form& form, UINT dpi, const Seen& before) {
  SCOPED_TRACE("DPI " + std::to_string(dpi));
  ASSERT_EQ(form.dpi(), dpi);
  const Seen now = Look(form);
  std::set<HGDIOBJ> live;
  for (const auto& [name, f] : now.fonts) live.insert(f);
  for (const auto& [name, b] : now.menu_glyphs) live.insert(b);
  const int base_height = -MulDiv(form.options().font_points, static_cast<int>(dpi), 72);
  for (const auto& [name, font] : now.fonts) {
    SCOPED_TRACE(name);
    ASSERT_NE(font, nullptr);
    const LOGFONTW lf = Logical(font);
    if (name == "SpeedButton_GeneralMenu") {
      EXPECT_EQ(lf.lfHeight, -MulDiv(21, static_cast<int>(dpi), 96));  // the "≡" in its own 21-pixel Tahoma
      EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    } else {
      EXPECT_EQ(lf.lfHeight, base_height);
    }
  }
  for (const auto& [name, icon] : now.button_glyphs) EXPECT_EQ(IconWidth(icon), MulDiv(16, static_cast<int>(dpi), 96)) << name;
  for (const auto& [name, bitmap] : now.menu_glyphs) {
    BITMAP bm{};
    ASSERT_TRUE(::GetObjectW(bitmap, sizeof bm, &bm)) << name;
    EXPECT_EQ(bm.bmWidth, ::GetSystemMetricsForDpi(SM_CXSMICON, dpi)) << name;
  }
  // A handle value the system gave out again is in use by us; any other
  // replaced handle must be gone.
  for (const auto& [name, font] : before.fonts) {
    if (live.count(font)) continue;
    EXPECT_EQ(::GetObjectType(font), 0u) << name << " kept its old font";
  }
  for (const auto& [name, bitmap] : before.menu_glyphs) {
    if (live.count(bitmap)) continue;
    EXPECT_EQ(::GetObjectType(bitmap), 0u) << name << " kept its old glyph";
  }
  for (const auto& [name, icon] : before.button_glyphs) {
    bool still_shown = false;
    for (const auto& [n, i] : now.button_glyphs) still_shown = still_shown || i == icon;
    if (!still_shown) {
      ICONINFO info{};
      EXPECT_FALSE(::GetIconInfo(icon, &info)) << name << " kept its old glyph";
    }
  }
}

TEST_F(DpiGuiTest, TheMainAndAboutWindowsFollowAChangeOfScalingAndLeakNothing) {
  TForm1 form1({}, "9.0.26.320", false);
  TForm8 form8([&form1] { return form1.Caption(); }, "© 2026 Vandrel");
  for (ui::Form* form : std::initializer_list<ui::Form*>{&form1, &form8}) {
    SCOPED_TRACE(form->options().name);
    form->Show();
    ui::ProcessMessages();  // the first paint makes the palette's brushes
    const UINT start_dpi = form->dpi();
    const UINT other = start_dpi == 144 ? 96 : 144;
    const int live_at_start = LiveOwnedHandles();
    const Seen at_start = Look(*form);
    EXPECT_FALSE(at_start.fonts.empty());

    MoveToDpi(*form, other);
    ui::ProcessMessages();
    ExpectFor(*form, other, at_start);
    EXPECT_EQ(LiveOwnedHandles(), live_at_start);  // each new handle replaced an old one

    const Seen scaled = Look(*form);
    MoveToDpi(*form, start_dpi);
    ui::ProcessMessages();
    ExpectFor(*form, start_dpi, scaled);
    EXPECT_EQ(LiveOwnedHandles(), live_at_start);
    form->Hide();
  }
  // The About window's own fonts: bold on "Ok", underlined on the links.
  EXPECT_EQ(Logical(FontOf(form8.Button1.hwnd())).lfWeight, FW_BOLD);
  for (ui::Label* link : {&form8.LabelTelegram, &form8.LabelGMail, &form8.LabelYaMail, &form8.LabelMainWebSite})
    EXPECT_TRUE(Logical(FontOf(link->hwnd())).lfUnderline) << link->Name();
  EXPECT_FALSE(Logical(FontOf(form8.LabelVersion.hwnd())).lfUnderline);
}

TEST_F(DpiGuiTest, TheIconPickerDrawsItsPreviewsAfreshAtTheNewScaling) {
  TFormIconPicker picker;
  picker.Load(testing::SystemFolder() + "\\shell32.dll", 0);
  picker.Show();
  ui::ProcessMessages();
  const UINT start_dpi = picker.dpi();
  const UINT other = start_dpi == 144 ? 96 : 144;
  EXPECT_EQ(picker.GridIcons.PictureSize(), MulDiv(48, static_cast<int>(start_dpi), 96));
  const Seen at_start = Look(picker);
  MoveToDpi(picker, other);
  ui::ProcessMessages();
  ExpectFor(picker, other, at_start);
  EXPECT_EQ(picker.GridIcons.PictureSize(), MulDiv(48, static_cast<int>(other), 96));
  EXPECT_TRUE(picker.GridIcons.HasPicture(0)) << "the first screen drawn again at once";
  MoveToDpi(picker, start_dpi);
  ui::ProcessMessages();
  EXPECT_EQ(picker.GridIcons.PictureSize(), MulDiv(48, static_cast<int>(start_dpi), 96));
  picker.StopLoading();
  picker.Hide();
}

TEST_F(DpiGuiTest, OwnersFreeWhatTheyHoldAndCountIt) {
  const int start = LiveOwnedHandles();
  HFONT raw = nullptr;
  {
    FontHandle font(::CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    raw = font.get();
    EXPECT_EQ(LiveOwnedHandles(), start + 1);
    FontHandle moved = std::move(font);
    EXPECT_EQ(font.get(), nullptr);
    EXPECT_EQ(LiveOwnedHandles(), start + 1);
    EXPECT_NE(::GetObjectType(raw), 0u);
  }
  EXPECT_EQ(::GetObjectType(raw), 0u);
  EXPECT_EQ(LiveOwnedHandles(), start);
  IconHandle icon(::LoadIconW(nullptr, IDI_APPLICATION));
  HICON copy = ::CopyIcon(icon.get());
  icon.Reset(copy);  // the shared system icon is given up, the copy owned
  EXPECT_EQ(LiveOwnedHandles(), start + 1);
  HICON released = icon.Release();
  EXPECT_EQ(LiveOwnedHandles(), start);
  EXPECT_TRUE(::DestroyIcon(released));
}

}  // namespace
}  // namespace vandrel
