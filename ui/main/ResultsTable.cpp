#include "ResultsTable.h"

#include <QMimeData>

#include "FrequencyFigures.h"

namespace glyphmeter::ui {

QString resultsTable(const analysis::LetterTally& tally, QChar separator, const QString& lineEnd) {
    const analysis::FrequencyTexts texts = analysis::describeTally(tally);
    const auto line = [&](const QStringList& cells) { return cells.join(separator) + lineEnd; };
    QString table =
        line({QStringLiteral("Letter"), QStringLiteral("Count"), QStringLiteral("Frequency")});
    for (int r = 0; r < analysis::letterCount; ++r) {
        table += line({QString(QChar(u'A' + r)), QString::number(tally.letterCounts[r]),
                       QString::fromStdString(analysis::fourDecimals(texts.frequencyFigures[r]))});
    }
    return table + line({QStringLiteral("Total"), QString::number(tally.totalLetters)});
}

std::unique_ptr<QMimeData> resultsMimeData(const analysis::LetterTally& tally) {
#ifdef Q_OS_WIN
    const QString lineEnd = QStringLiteral("\r\n");
#else
    const QString lineEnd = QStringLiteral("\n");
#endif
    auto data = std::make_unique<QMimeData>();
    data->setText(resultsTable(tally, u'\t', lineEnd));
    data->setData(QStringLiteral("text/csv"), resultsTable(tally, u',', lineEnd).toUtf8());
    return data;
}

}  // namespace glyphmeter::ui
