// The help window's fixed layout: for every control its objectName and its Left, Top, Width and
// Height in twips (the line: its two ends), with the colours, font sizes and the pointing hand's
// hot spot. HelpWindow builds its controls from this table and converts twips to pixels only
// through Twips.h.
#pragma once

#include <QColor>

#include "DesignWindow.h"

namespace glyphmeter::ui::helpDesign {

inline constexpr const char* windowName = "frmHelp";
// The client area's top-left corner on the screen, and its size.
inline constexpr Box clientArea{6105, 1725, 7080, 7080};

inline const QColor linkPurple(192, 0, 192);

// Controls listed back to front: each one created later covers the ones before it.
inline constexpr DesignedControl titleLabel{"Label1", {1440, 120, 3255, 495}};
inline constexpr DesignedControl makerLink{"Label2", {2280, 480, 2415, 495}};
inline constexpr DesignedControl registrationHeading{"Label3", {3360, 1080, 1455, 255}};
inline constexpr DesignedControl warrantyHeading{"Label4", {1680, 5280, 3135, 255}};
inline constexpr DesignedControl instructionsHeading{"Label5", {1680, 3120, 3135, 255}};
// The purple rule under the title and the web address.
inline constexpr DesignedLine titleRule{"Line1", 2400, 740, 4680, 740};
inline constexpr int titleRuleWidthPixels = 2;
inline constexpr DesignedControl warrantyText{"Text1", {0, 5520, 4935, 855}};
inline constexpr DesignedControl distributionText{"Text2", {2040, 1320, 2895, 1695}};
inline constexpr DesignedControl instructionsText{"Text3", {120, 3360, 4815, 1695}};
// The tall photograph on the right, and the store's banner, a link.
inline constexpr DesignedControl decoration{"Picture1", {5040, 0, 2055, 7095}};
inline constexpr DesignedControl storeBanner{"AmazonLink", {120, 1320, 1935, 1455}};

inline constexpr double titleFontPoints = 12;      // the title and the web address
inline constexpr double headingFontPoints = 9.75;  // the three headings
inline constexpr double textFontPoints = 8.25;     // the three texts

// The pointing hand's fingertip.
inline constexpr int handHotX = 6;
inline constexpr int handHotY = 0;

}  // namespace glyphmeter::ui::helpDesign
