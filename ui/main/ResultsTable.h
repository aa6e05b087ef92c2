// The results of one tally as a table for other programs: tab-separated text that pastes into a
// spreadsheet as cells, and the same table as CSV.
#pragma once

#include <QString>

#include <memory>

#include "LetterTally.h"

class QMimeData;

namespace glyphmeter::ui {

// "Letter", "Count", "Frequency"; one line per letter A to Z with its count and its frequency as a
// fraction with four decimals and a point ("L", "3", "0.3000"; "0.0000" when nothing was counted);
// then "Total" and the total. Cells are joined by `separator`; every line ends with `lineEnd`.
QString resultsTable(const analysis::LetterTally& tally, QChar separator, const QString& lineEnd);

// The table for the clipboard: tab-separated as plain text, comma-separated as text/csv, lines
// ending with the system's line ending.
std::unique_ptr<QMimeData> resultsMimeData(const analysis::LetterTally& tally);

}  // namespace glyphmeter::ui
