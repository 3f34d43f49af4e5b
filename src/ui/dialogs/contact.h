// Where the user reaches us: the web page, the support mail, and the mail
// the contact links start.
#pragma once

#include <QString>

namespace datrevo::ui {

inline constexpr const char* kProductName = "Vantorrel Datrevo";
inline constexpr const char* kProductVersion = "5.8.4.1";
inline constexpr const char* kWebPage = "https://www.vantorrel.example/datrevo";
inline constexpr const char* kSupportAddress = "support@vantorrel.example";
inline constexpr const char* kSupportSubject = "Vantorrel Datrevo Question";

// "mailto:" the support address with the subject and a body that asks for
// what support needs to know, its lines joined by "%0A".
QString SupportMailUrl();

}  // namespace datrevo::ui
