// Counting the letters of any alphabet (Alphabet.h) in one file of a given encoding.
//
// The file is read by the same engine as the A-to-Z tally (ReadingEngine.h) and counted by an
// AlphabetCounter. Without an encoding, a file that starts with a UTF-16 byte-order mark is read
// as UTF-16 of that byte order after the mark, and any other file as UTF-8 (a UTF-8 mark is a
// character that is no letter). An explicit encoding is always used; a UTF-16 mark of that same
// encoding is skipped, any other mark is read as text of that encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "Alphabet.h"
#include "AlphabetCounter.h"
#include "BlockReading.h"
#include "InputFile.h"
#include "TextEncoding.h"

namespace glyphmeter::analysis {

struct AlphabetOptions {
    Alphabet alphabet;
    std::optional<TextEncoding> encoding;  // nullopt: UTF-8, or UTF-16 after its mark
    bool foldAccents = false;
};

struct AlphabetTally {
    AlphabetCounts counts;  // letters in the alphabet's order; invalid sequences by file offset
    TextEncoding encoding = TextEncoding::utf8;  // the encoding the file was read in
    bool limitReached = false;
};

class ReaderBuffers;

// Reads `file` once and counts the letters of options.alphabet. Counting stops right after the
// letter that makes the total reach `limit`; `showMessage` then receives limitMessage(limit)
// once before this returns. Failing to read the file throws FileError naming the path, and
// whatever fails in either reader thread is thrown here. `buffers`, where given, are read into
// and kept for the next file.
AlphabetTally tallyAlphabet(InputFile& file, const AlphabetOptions& options,
                            const MessageSink& showMessage, std::int32_t limit = letterLimit,
                            ReaderBuffers* buffers = nullptr);

namespace detail {

// With its reading made explicit, so tests can cover many blocks with small files, and callers
// can read from something other than a file (or look between blocks whether to stop).
AlphabetTally tallyAlphabet(BlockInput& input, const AlphabetOptions& options,
                            const MessageSink& showMessage, std::int32_t limit,
                            std::size_t blockSize, int threads, ReaderBuffers* buffers = nullptr);

}  // namespace detail

}  // namespace glyphmeter::analysis
