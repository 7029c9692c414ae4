#pragma once

#include <string_view>

// The words that name what is played: stored in the playback session, compared byte for byte,
// and the choosers' items.
namespace arlo::catalogue {

inline constexpr std::string_view kCategoryTv = "TV版";
inline constexpr std::string_view kCategoryMovie = "剧场版";
inline constexpr std::string_view kLanguageJapanese = "日语";
inline constexpr std::string_view kLanguageMandarin = "国语";
inline constexpr std::string_view kSourceSohu = "搜狐";
inline constexpr std::string_view kSourceLeTV = "乐视";
inline constexpr std::string_view kSourceIqiyi = "爱奇艺";

}  // namespace arlo::catalogue
