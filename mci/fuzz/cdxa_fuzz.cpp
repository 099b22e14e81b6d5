// libFuzzer entry: any file may be handed to the Video CD reader. Probing must not fault, a found
// data chunk must lie inside the bytes looked at, and reads stay within the payload and the file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CdxaReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint64_t start = 0, length = 0;
    if (mci::findCdxaData(data, size, start, length) && start > size) __builtin_trap();

    const int fd = memfd_create("cdxa", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (write(fd, data, size) == static_cast<ssize_t>(size)) {
        const auto reader = mci::CdxaReader::probe("/proc/self/fd/" + std::to_string(fd));
        if (reader) {
            if (reader->payloadSize() / mci::CdxaReader::kPayloadSize * mci::CdxaReader::kSectorSize > size)
                __builtin_trap();
            std::vector<std::uint8_t> out(3 * mci::CdxaReader::kPayloadSize);
            // From the start, across a sector boundary, and past the end.
            for (const std::uint64_t at : {std::uint64_t{0}, mci::CdxaReader::kPayloadSize - 7,
                                           reader->payloadSize() - 1, reader->payloadSize() + 5}) {
                const std::size_t got = reader->read(at, out.data(), out.size());
                if (got > out.size() || (at >= reader->payloadSize() && got != 0)) __builtin_trap();
            }
        }
    }
    close(fd);
    return 0;
}
