// The help window's texts. The instructions keep their own line breaks and trailing spaces; the
// two notices are single paragraphs that the boxes wrap.
#include "HelpTexts.h"

namespace glyphmeter::ui::HelpTexts {

QString instructions() {
    return QStringLiteral(
        "Use the select file button to select your input file.  \r\n"
        "This is the file containing the text that you want \r\n"
        "analyzed.  It must be a text file <2.1G.  After selecting \r\n"
        "the file, click the calculate frequency button.  \r\n"
        "There may be a small pause as the computer \r\n"
        "calculates the results.  This version converts all text \r\n"
        "to uppercase and then calculates the frequencies for \r\n"
        "letters A-Z.\r\n");
}

QString distributionNotice() {
    return QStringLiteral(
        "You may give this program to others free of charge, provided nothing in it is "
        "changed. If you like it, please click the Amazon banner on your way to the store next "
        "time you shop there: we receive a small commission at no extra cost to you.\r\n");
}

QString warrantyNotice() {
    return QStringLiteral(
        "Copyright \u00A9 2026 Tarnby Software. This program is provided \"as is\", without "
        "warranty of any kind. In no event shall the author be liable for any damage arising "
        "from its use.\r\n");
}

}  // namespace glyphmeter::ui::HelpTexts
