// libFuzzer entry: any byte string must parse to a result code without a fault, and a word
// split must never lose or invent a byte outside quotes and blanks.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    mci::Command cmd;
    (void)mci::parseCommand(line, cmd);
    std::vector<mci::Word> words;
    if (mci::splitWords(line, words) == 0) {
        std::size_t total = 0;
        for (const auto& w : words) total += w.text.size();
        if (total > size) __builtin_trap();
    }
    return 0;
}
