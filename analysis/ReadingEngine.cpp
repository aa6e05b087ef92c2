// The reading engine's parts that need no policy: the start of a file, the second reader's
// thread, the characters of a block, the number of processors and the limit's message.
#include "ReadingEngine.h"

#include <new>
#include <optional>
#include <system_error>
#include <thread>

#ifdef __linux__
#include <sched.h>
#endif

#include "LetterIndex.h"
#include "LetterKernels.h"
#include "NumberText.h"
#include "ReaderThread.h"

namespace glyphmeter::analysis {

std::string limitMessage(std::int32_t limit) {
    return "Input file size exceeds this programs maximum of" + signedNumberText(limit) +
           " chars.  Counting stopped at this point, but results will be " +
           "valid up to this point.";
}

int processorCount() {
    static const int count = [] {
#ifdef __linux__
        // The processors this process may run on, which a CPU set or taskset can make fewer than
        // the machine has; one system call, where the C++ library reads a file under /sys.
        cpu_set_t allowed;
        if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
            return std::max(1, CPU_COUNT(&allowed));
        }
#endif
        return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    }();
    return count;
}

namespace detail {

int readerThreads() {
    return processorCount() > 1 ? 2 : 1;
}

LimitStop findLimit(std::span<const std::byte> chars, std::int64_t left) {
    LimitStop stop;
    while (stop.end < chars.size()) {
        stop.letters += letterIndex[static_cast<std::uint8_t>(chars[stop.end])] != notALetter;
        ++stop.end;
        if (stop.letters >= left) {
            stop.reached = true;
            break;
        }
    }
    return stop;
}

std::span<std::byte> narrowToCharacters(std::span<std::byte> block, TextForm form) {
    if (form == TextForm::bytes) {
        return block;
    }
    // Unit i is written over byte i, which its own unit (bytes 2i and 2i+1) has been read from.
    narrowUtf16Scalar(block, form == TextForm::utf16BigEndian, block.data());
    return narrowedCharacters(block, form);
}

std::span<std::byte> narrowedCharacters(std::span<std::byte> block, TextForm form) {
    return form == TextForm::bytes ? block : block.first(block.size() / 2);
}

bool worthSecondReader(std::optional<std::uint64_t> size, const TextStart& start,
                       std::size_t blockSize) {
    return !size || *size > start.offset + blockSize;
}

TextStart readStart(BlockInput& input, ReaderBuffers& buffers, std::size_t blockSize,
                    std::array<std::byte, 2>& firstBytes, bool twoByteUnits) {
    if (!input.supportsPositionedReads()) {
        return startInSequence(input, firstBytes);
    }
    const std::size_t firstRead = firstReadSize(input.size(), blockSize);
    return startByPosition(input, buffers.forReader(0, firstRead).first(firstRead), twoByteUnits);
}

void runReaders(bool second, const std::function<bool()>& addReader,
                const std::function<void(int)>& work) {
    std::optional<ReaderThread> secondReader;
    if (second) {
        try {
            if (addReader()) {
                secondReader.emplace([&] { work(1); });
            }
        } catch (const std::bad_alloc&) {
            // No memory for the second reader's state: this one reads on alone.
        } catch (const std::system_error&) {
            // No thread to be had.
        }
    }
    work(0);
}

}  // namespace detail

}  // namespace glyphmeter::analysis
