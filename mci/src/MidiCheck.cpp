#include "MidiCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace mci {
namespace {

// No real MIDI file comes near this, and the parser would hold all of it in memory.
constexpr std::size_t kMaxMidiBytes = std::size_t{16} << 20;
// The parser adds 8 to a chunk length in 32 bits: a larger length passes its bounds check.
constexpr std::uint32_t kMaxChunkLength = 0xffffffffu - 8;

std::uint32_t be32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

MidiCheck broken(std::string* why, const std::string& text) {
    if (why) *why = text;
    return MidiCheck::Broken;
}

// A variable-length number: at most four bytes, the last inside the track.
bool skipVarLen(const std::uint8_t*& p, const std::uint8_t* end, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4 && p != end; ++i) {
        const std::uint8_t b = *p++;
        value = value << 7 | (b & 0x7fu);
        if (!(b & 0x80u)) return true;
    }
    return false;
}

// Walks one track's events as the parser does; null when they fill it exactly.
const char* trackFault(const std::uint8_t* p, const std::uint8_t* end) {
    std::uint8_t running = 0;  // the status a leading data byte repeats; 0 for none
    while (p != end) {
        std::uint32_t delta = 0;
        if (!skipVarLen(p, end, delta)) return "a delta time runs past the track";
        if (p == end) return "the track ends between a delta time and its event";
        const std::uint8_t status = *p;
        std::uint32_t length = 0;
        if (status == 0xff) {  // meta: running status stays, as the parser keeps it
            if (++p == end) return "a meta event is cut off";
            const std::uint8_t type = *p++;
            if (!skipVarLen(p, end, length) || length > static_cast<std::size_t>(end - p))
                return "a meta event runs past the track";
            if (type == 0x51 && length < 3) return "a tempo event holds less than three bytes";
            p += length;
        } else if (status == 0xf0 || status == 0xf7) {
            ++p;
            if (!skipVarLen(p, end, length) || length > static_cast<std::size_t>(end - p))
                return "a system exclusive event runs past the track";
            p += length;
            running = 0;
        } else if (status >= 0xf0) {
            return "a system message, which a file cannot hold";
        } else {
            const bool own = status & 0x80u;
            if (own) {
                running = status;
                ++p;
            } else if (!running) {
                return "a data byte with no status before it";
            }
            const std::size_t need = (running & 0xe0u) == 0xc0u ? 1 : 2;  // program, pressure: one
            if (need > static_cast<std::size_t>(end - p)) return "an event runs past the track";
            p += need;
            // Under running status the parser copies the byte after the event as well.
            if (!own && p == end) return "the track ends in an event under running status";
        }
    }
    return nullptr;
}

bool isSmf(const std::uint8_t* data, std::size_t size) {
    return size >= 4 && std::memcmp(data, "MThd", 4) == 0;
}

bool isRmid(const std::uint8_t* data, std::size_t size) {
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "RMID", 4) == 0;
}

MidiCheck checkSmf(const std::uint8_t* data, std::size_t size, std::string* why) {
    if (!isSmf(data, size)) return broken(why, "no MIDI header");
    if (size < 14) return broken(why, "too short for its header");
    const std::uint32_t headerLength = be32(data + 4);
    // The parser reads six bytes of the header whatever its length says.
    if (headerLength < 6) return broken(why, "the header is shorter than six bytes");
    if (headerLength > size - 8) return broken(why, "the header runs past the end of the file");
    const unsigned counted = static_cast<unsigned>(data[10]) << 8 | data[11];
    unsigned tracks = 0;
    std::size_t pos = 8 + headerLength;
    // The parser walks every chunk to the end and stops, refusing the file, at the first that is
    // cut off. Until the counted tracks are in, that is a truncated file; after them, junk.
    while (pos < size) {
        const bool trailing = tracks >= counted;
        if (size - pos < 8) {
            if (trailing) break;
            return broken(why, "the file ends inside a chunk header");
        }
        const std::uint32_t length = be32(data + pos + 4);
        const bool isTrack = std::memcmp(data + pos, "MTrk", 4) == 0;
        if (length > kMaxChunkLength) return broken(why, "a chunk length the parser cannot add up");
        if (std::memcmp(data + pos, "MThd", 4) == 0) return broken(why, "a second header");
        if (length > size - pos - 8) {
            if (trailing) break;
            return broken(why, isTrack
                                   ? "track " + std::to_string(tracks + 1) + " runs past the end of the file"
                                   : std::string("a chunk runs past the end of the file"));
        }
        if (isTrack && !trailing) {
            ++tracks;
            if (const char* fault = trackFault(data + pos + 8, data + pos + 8 + length))
                return broken(why, "track " + std::to_string(tracks) + ": " + fault);
        }
        pos += 8 + std::size_t{length};
    }
    if (tracks == 0) return broken(why, "no track");
    return MidiCheck::Sound;
}

}  // namespace

MidiCheck checkMidi(const std::uint8_t* data, std::size_t size, std::string* why) {
    if (isSmf(data, size)) return checkSmf(data, size, why);
    if (!isRmid(data, size)) return MidiCheck::NotMidi;
    // The parser trusts the RIFF length for the chunk headers it reads and pads no odd chunk; its
    // "data" chunk is found the same way here.
    const std::uint32_t riffLength = le32(data + 4);
    if (riffLength > size - 8) return broken(why, "the RIFF chunk runs past the end of the file");
    const std::size_t riffEnd = 8 + std::size_t{riffLength};
    std::size_t pos = 12;
    while (pos + 8 <= riffEnd) {
        const std::uint32_t length = le32(data + pos + 4);
        if (length > riffEnd - pos - 8) break;
        if (std::memcmp(data + pos, "data", 4) == 0) return checkSmf(data + pos + 8, length, why);
        pos += 8 + std::size_t{length};
    }
    return broken(why, "no complete data chunk in the RIFF file");
}

MidiCheck checkMidiFile(const std::string& path, std::string* why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return MidiCheck::NotMidi;  // the open that follows says why
    MidiCheck result = MidiCheck::NotMidi;
    std::uint8_t head[12];
    struct stat st {};
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    const std::size_t headSize = got > 0 ? static_cast<std::size_t>(got) : 0;
    if ((isSmf(head, headSize) || isRmid(head, headSize)) && ::fstat(fd, &st) == 0) {
        if (static_cast<std::uint64_t>(st.st_size) > kMaxMidiBytes) {
            result = broken(why, "too large for a MIDI file");
        } else {
            std::vector<std::uint8_t> all(static_cast<std::size_t>(st.st_size));
            std::size_t done = 0;
            while (done < all.size()) {
                const ssize_t part =
                    ::pread(fd, all.data() + done, all.size() - done, static_cast<off_t>(done));
                if (part <= 0) break;
                done += static_cast<std::size_t>(part);
            }
            result = checkMidi(all.data(), done, why);
        }
    }
    ::close(fd);
    return result;
}

}  // namespace mci
