#pragma once
// String numbers of the entry browser.

namespace qx7::gui {

inline constexpr int kBrowserTitle = 5600;  // also the button of the log page
inline constexpr int kBrowserColumnHeaders[] = {5601, 5602, 5603, 5604, 5605, 5606};
inline constexpr int kBrowserErrors = 5607;
inline constexpr int kBrowserWarnings = 5608;
inline constexpr int kBrowserInformation = 5609;
inline constexpr int kBrowserCodeLabel = 5610;
inline constexpr int kBrowserAllCodes = 5611;
inline constexpr int kBrowserFindLabel = 5612;
inline constexpr int kBrowserFindPrevious = 5613;
inline constexpr int kBrowserFindNext = 5614;
inline constexpr int kBrowserGoToLabel = 5615;
inline constexpr int kBrowserGoTo = 5616;
inline constexpr int kBrowserReading = 5617;
inline constexpr int kBrowserCount = 5620;       // "%1 of %2 entries"
inline constexpr int kBrowserNotFound = 5621;    // "Not found: %1"
inline constexpr int kBrowserCannotRead = 5622;  // "The log cannot be read: %1"
inline constexpr int kBrowserRowUnreadable = 5623;
inline constexpr int kBrowserStoppedAtDamage = 5624;
inline constexpr int kBrowserWrapped = 5625;
inline constexpr int kBrowserNothingAfter = 5626;
inline constexpr int kBrowserCopy = 5627;
inline constexpr int kBrowserSearching = 5628;
inline constexpr int kBrowserOnlyFirst = 5631;  // "Only the first %1 entries are shown."
inline constexpr int kBrowserTypeOf = 5640;     // "Type %1"
inline constexpr int kBrowserNotATime = 5641;   // "Not a date and time: "%1". ..."
inline constexpr int kBrowserGoToHint = 5642;
// The browser is the tool's own window: its buttons speak the user's language.
inline constexpr int kBrowserClose = 5643;
inline constexpr int kBrowserCancelReading = 5644;

}  // namespace qx7::gui
