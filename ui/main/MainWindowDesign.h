// The main window's design: every position, size, colour, font size and fixed text, in twips and
// points as designed. frmGlyphmeter builds its controls from this table and converts twips to
// pixels only through Twips.h.
#pragma once

#include <QColor>

#include "DesignWindow.h"

namespace glyphmeter::ui::mainDesign {

// The window's client area and where it opens on the screen.
inline constexpr Box clientArea{3165, 3180, 7935, 7170};

inline const QColor silver(192, 192, 192);

inline constexpr double fontPoints = 8.25;
inline constexpr double programNamePoints = 15.75;

inline constexpr Box txtSourceFile{840, 6840, 5295, 285};
inline constexpr Box pctLogo{6240, 240, 1575, 1335};
inline constexpr Box btnHelp{6240, 4800, 1575, 855};
inline constexpr Box btnSelectFile{6240, 6840, 1575, 285};
inline constexpr Box btnCalcFreq{6240, 2520, 1575, 2175};
inline constexpr Box Label2{6240, 6000, 1575, 255};
inline constexpr Box lblTotalChars{6240, 6240, 1575, 375};
inline constexpr Box Label1{120, 6860, 735, 375};
inline constexpr Box lblProgramName{6240, 1680, 1695, 735};
inline constexpr Box lblWebsite{6240, 0, 1455, 255};
inline constexpr Box Label7{6120, 0, 1815, 7215};
inline constexpr Box Label6{2040, 0, 255, 255};
inline constexpr Box lblGraphMin{2400, 0, 735, 255};
inline constexpr Box lblMaxFreq{5400, 0, 705, 255};
inline constexpr Box lblFreqHeading{120, 0, 1455, 255};
inline constexpr Box lblCountHeading{1080, 0, 855, 255};

// Row 0 of the letter grid; rows 1 to 25 are made from it at load.
inline constexpr Box lblFreq{120, 240, 855, 255};
inline constexpr Box lblCount{1080, 240, 855, 255};
inline constexpr Box LabelChar{2040, 240, 255, 255};
struct Line {
    float x1;
    float y1;
    float x2;
    float y2;
};
inline constexpr Line freqLine{2400, 360, 2410, 360};
inline constexpr int freqLineWidthPixels = 5;

// The letter grid.
inline constexpr int rowCount = 26;
inline constexpr float rowPitch = 250;
inline constexpr char16_t firstLetter = u'A';

}  // namespace glyphmeter::ui::mainDesign
