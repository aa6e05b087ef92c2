#include "Languages.h"

#include <algorithm>
#include <numeric>

namespace glyphmeter::cli {

namespace {

// Relative letter frequencies in per cent, three decimals, from the table "Relative frequencies
// of letters in other languages" of the English Wikipedia article "Letter frequency" (version of
// January 2020), which names its corpus for each language. Its English column is Robert Lewand,
// "Cryptological Mathematics", Mathematical Association of America, 2000, p. 36.
constexpr LanguageTable tables[] = {
    {"en",
     "English",
     {8.167, 1.492, 2.782, 4.253, 12.702, 2.228, 2.015, 6.094, 6.966, 0.153, 0.772, 4.025, 2.406,
      6.749, 7.507, 1.929, 0.095, 5.987,  6.327, 9.056, 2.758, 0.978, 2.360, 0.150, 1.974, 0.074},
     {},
     {}},
    {"de",
     "German",
     {6.516, 1.886, 2.732, 5.076, 16.396, 1.656, 3.009, 4.577, 6.550, 0.268, 1.417, 3.437, 2.534,
      9.776, 2.594, 0.670, 0.018, 7.003,  7.270, 6.154, 4.166, 0.846, 1.921, 0.034, 0.039, 1.134},
     // ß ä ö ü
     {0.307, 0.578, 0.443, 0.995},
     "ßäöü"},
    {"fr",
     "French",
     {7.636, 0.901, 3.260, 3.669, 14.715, 1.066, 0.866, 0.737, 7.529, 0.613, 0.049, 5.456, 2.968,
      7.095, 5.796, 2.521, 1.362, 6.693,  7.948, 7.244, 6.311, 1.838, 0.074, 0.427, 0.128, 0.326},
     // à â ç è é ê ë î ï ô ù œ
     {0.486, 0.051, 0.085, 0.271, 1.504, 0.218, 0.008, 0.045, 0.005, 0.023, 0.058, 0.018},
     "àâçèéêëîïôùœ"},
    {"es",
     "Spanish",
     {11.525, 2.215, 4.019, 5.010, 12.181, 0.692, 1.768, 0.703, 6.247, 0.493, 0.011, 4.967, 3.157,
      6.712,  8.683, 2.510, 0.877, 6.871,  7.977, 4.632, 2.927, 1.138, 0.017, 0.215, 1.008, 0.467},
     // á é í ñ ó ú ü
     {0.502, 0.433, 0.725, 0.311, 0.827, 0.168, 0.012},
     "áéíñóúü"},
    {"it",
     "Italian",
     {11.745, 0.927, 4.501, 3.736, 11.792, 1.153, 1.644, 0.636, 10.143, 0.011, 0.009, 6.510, 2.512,
      6.883,  9.832, 3.056, 0.505, 6.367,  4.981, 5.623, 3.011, 2.097,  0.033, 0.003, 0.020, 1.181},
     // à è ì ò ù
     {0.635, 0.263, 0.030, 0.002, 0.166},
     "àèìòù"},
    {"pt",
     "Portuguese",
     {14.634, 1.043, 3.882, 4.992, 12.570, 1.023, 1.303, 0.781, 6.186, 0.397, 0.015, 2.779, 4.738,
      4.446,  9.735, 2.523, 1.204, 6.530,  6.805, 4.336, 3.639, 1.575, 0.037, 0.253, 0.006, 0.470},
     // à á â ã ç é ê í ó ô ú ü
     {0.072, 0.118, 0.562, 0.733, 0.530, 0.337, 0.450, 0.132, 0.296, 0.635, 0.207, 0.026},
     "àáâãçéêíóôúü"},
    {"nl",
     "Dutch",
     {7.486,  1.584, 1.242, 5.933, 17.324, 0.805, 3.403, 2.380, 6.499, 1.461, 2.248, 3.568, 2.213,
      10.032, 6.063, 1.370, 0.009, 6.411,  5.733, 6.923, 2.192, 1.854, 1.821, 0.036, 0.035, 1.374},
     {},
     {}},
    {"sv",
     "Swedish",
     {9.383, 1.535, 1.486, 4.702, 10.149, 2.027, 2.862, 2.090, 5.817, 0.614, 3.140, 5.275, 3.471,
      8.542, 4.482, 1.839, 0.020, 8.431,  6.590, 7.691, 1.919, 2.415, 0.142, 0.159, 0.708, 0.070},
     // å ä ö
     {1.338, 1.797, 1.305},
     "åäö"},
};

}  // namespace

std::span<const LanguageTable> languageTables() {
    return tables;
}

const LanguageTable* findLanguage(std::string_view code) {
    const auto found = std::find_if(std::begin(tables), std::end(tables),
                                    [&](const LanguageTable& table) { return table.code == code; });
    return found == std::end(tables) ? nullptr : &*found;
}

std::array<double, analysis::letterCount> expectedShares(const LanguageTable& language) {
    const double sum = std::accumulate(language.percent.begin(), language.percent.end(), 0.0);
    std::array<double, analysis::letterCount> shares;
    for (int letter = 0; letter < analysis::letterCount; ++letter) {
        shares[letter] = language.percent[letter] / sum;
    }
    return shares;
}

}  // namespace glyphmeter::cli
