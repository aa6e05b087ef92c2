// The program's fixed web addresses: the maker's home page and the store's affiliate redirect.
// The host names and the affiliate tag live here only; every window that shows or opens one of
// them reads it from here.
#pragma once

#include <string>
#include <string_view>

namespace glyphmeter::ui::WebAddresses {

// The maker's web site, shown as plain text in both windows and opened by the help window's link.
inline constexpr std::string_view makerHost = "www.tarnby.com";

// The store whose banner the help window carries, and the maker's tag with that store.
inline constexpr std::string_view storeHost = "www.amazon.com";
inline constexpr std::string_view affiliateTag = "tarnby-20";

// "http://www.tarnby.com/"
inline std::string makerHomePage() {
    return "http://" + std::string(makerHost) + "/";
}

// The store's home page, reached through its affiliate redirect so that the maker is credited.
inline std::string storeAffiliateHome() {
    return "http://" + std::string(storeHost) + "/exec/obidos/redirect-home/" +
           std::string(affiliateTag);
}

}  // namespace glyphmeter::ui::WebAddresses
