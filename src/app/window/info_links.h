#pragma once

// The maker's pages that the information buttons and the logo open.
namespace InfoLinks {
inline constexpr auto programPage = "https://www.example.com/quorvane";        // "最新版本"
inline constexpr auto customSoftware = "https://www.example.com/custom-software"; // "定制软件"
inline constexpr auto homePage = "https://www.example.com/"; // "其他Brinvale" and the logo
}
