// The main window's fixed layout: for every control its objectName and its Left, Top, Width and
// Height in twips, with the colours, font sizes and the letter grid's spacing. MainWindow builds
// its controls from this table and converts twips to pixels only through Twips.h.
#pragma once

#include <QColor>

#include "DesignWindow.h"

namespace glyphmeter::ui::mainDesign {

inline constexpr const char* windowName = "frmGlyphmeter";
// The window's client area and where it opens on the screen.
inline constexpr Box clientArea{3165, 3180, 7935, 7170};

inline const QColor silver(192, 192, 192);

inline constexpr double fontPoints = 8.25;
inline constexpr double programNamePoints = 15.75;

// The path box along the bottom, with its caption and the two buttons of the side panel.
inline constexpr DesignedControl pathBox{"txtSourceFile", {840, 6840, 5295, 285}};
inline constexpr DesignedControl pathCaption{"Label1", {120, 6860, 735, 375}};
inline constexpr DesignedControl selectFileButton{"btnSelectFile", {6240, 6840, 1575, 285}};
inline constexpr const char* fileDialogName = "cdbSourceFile";

// The grey side panel on the right, from back to front: the panel itself, the maker's web
// address, the logo, the program's name, the two large buttons, and the total with its caption.
inline constexpr DesignedControl sidePanel{"Label7", {6120, 0, 1815, 7215}};
inline constexpr DesignedControl websiteLabel{"lblWebsite", {6240, 0, 1455, 255}};
inline constexpr DesignedControl logo{"pctLogo", {6240, 240, 1575, 1335}};
inline constexpr DesignedControl programNameLabel{"lblProgramName", {6240, 1680, 1695, 735}};
inline constexpr DesignedControl calculateButton{"btnCalcFreq", {6240, 2520, 1575, 2175}};
inline constexpr DesignedControl helpButton{"btnHelp", {6240, 4800, 1575, 855}};
inline constexpr DesignedControl totalLettersCaption{"Label2", {6240, 6000, 1575, 255}};
inline constexpr DesignedControl totalLettersLabel{"lblTotalChars", {6240, 6240, 1575, 375}};

// The chart's top line: the column headings (each the single element 1 of its control array),
// the silver cell over the letter column, and the bar scale's two ends.
inline constexpr DesignedControl frequencyHeading{"lblFreqHeading", {120, 0, 1455, 255}};
inline constexpr DesignedControl countHeading{"lblCountHeading", {1080, 0, 855, 255}};
inline constexpr DesignedControl letterColumnCorner{"Label6", {2040, 0, 255, 255}};
inline constexpr DesignedControl scaleStartLabel{"lblGraphMin", {2400, 0, 735, 255}};
inline constexpr DesignedControl largestFrequencyLabel{"lblMaxFreq", {5400, 0, 705, 255}};

// Row 0 of the letter grid (the letter A); rows 1 to 25 are copies of it made at start.
inline constexpr DesignedControl frequencyCell{"lblFreq", {120, 240, 855, 255}};
inline constexpr DesignedControl countCell{"lblCount", {1080, 240, 855, 255}};
inline constexpr DesignedControl letterCell{"LabelChar", {2040, 240, 255, 255}};
inline constexpr DesignedLine bar{"freqLine", 2400, 360, 2410, 360};
inline constexpr int barWidthPixels = 5;

// The letter grid.
inline constexpr int rowCount = 26;
inline constexpr float rowPitch = 250;
inline constexpr char16_t firstLetter = u'A';

}  // namespace glyphmeter::ui::mainDesign
