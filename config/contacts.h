// The maker's contact details, shown as links in the About window. The web
// site's host is also the host of the first update mirror.
#pragma once

#include <string_view>

namespace vandrel {

inline constexpr std::string_view kMakerTelegramChannel = "https://t.me/vandrel_soft";
inline constexpr std::string_view kMakerFirstMail = "vandrel.soft@gmail.com";
inline constexpr std::string_view kMakerSecondMail = "vandrel.soft@yandex.ru";
inline constexpr std::string_view kMakerWebSiteHost = "vandrel-soft.ru";
inline constexpr std::string_view kMakerWebSite = "http://vandrel-soft.ru/";

}  // namespace vandrel
