// libFuzzer entry: any file may be handed to the MIDI check. It must not fault, it judges only
// files with a MIDI signature, and every file it passes must be safe for the framework's parser:
// a model of that parser's walk (midiparse, gst-plugins-bad 1.22, with its 32-bit arithmetic)
// touches each byte the parser would read and traps on one outside the file, or on an event the
// parser would retry for ever (it ignores the errors of its first pass over a track).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "MidiCheck.h"

namespace {

class ParserModel {
  public:
    ParserModel(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    void run() {
        std::uint32_t offset = 0, length = 0;
        if (!findBody(offset, length)) return;
        while (length) {
            const std::uint32_t consumed = chunk(offset, length);
            if (consumed == 0) return;
            offset += consumed;
            length -= consumed;
        }
    }

  private:
    std::uint8_t at(std::uint64_t i) const {
        if (i >= size_) __builtin_trap();
        return data_[i];
    }
    std::uint32_t be32(std::uint64_t i) const {
        return std::uint32_t{at(i)} << 24 | std::uint32_t{at(i + 1)} << 16 | std::uint32_t{at(i + 2)} << 8 |
               at(i + 3);
    }
    std::uint32_t le32(std::uint64_t i) const {
        return at(i) | std::uint32_t{at(i + 1)} << 8 | std::uint32_t{at(i + 2)} << 16 |
               std::uint32_t{at(i + 3)} << 24;
    }

    bool findBody(std::uint32_t& offset, std::uint32_t& length) const {
        const auto size = static_cast<std::uint32_t>(size_);
        if (size < 8) return false;
        if (std::memcmp(data_, "RIFF", 4) != 0) {
            offset = 0;
            length = size;
            return true;
        }
        if (size < 12 || std::memcmp(data_ + 8, "RMID", 4) != 0) return false;
        std::uint32_t riff = le32(4);
        if (size < riff) return false;
        offset = 12;
        while (true) {
            if (riff < 8) return false;
            const bool isData =
                at(offset) == 'd' && at(offset + 1) == 'a' && at(offset + 2) == 't' && at(offset + 3) == 'a';
            const std::uint32_t len = le32(offset + 4);
            riff -= 8;
            if (riff < len) return false;
            offset += 8;
            riff -= len;
            if (isData) {
                length = len;
                return true;
            }
            offset += len;
        }
    }

    std::uint32_t chunk(std::uint32_t offset, std::uint32_t size) {
        if (size < 8) return 0;
        const std::uint32_t len = be32(offset + 4);
        if (size < len + 8) return 0;
        const std::uint32_t type = be32(offset);
        if (type == 0x4d546864) {  // MThd
            const unsigned format = std::uint32_t{at(offset + 8)} << 8 | at(offset + 9);
            const unsigned tracks = std::uint32_t{at(offset + 10)} << 8 | at(offset + 11);
            const unsigned division = std::uint32_t{at(offset + 12)} << 8 | at(offset + 13);
            if (format > 1 || (tracks > 1 && format == 0) || (division & 0x8000)) return 0;
            ntracks_ = tracks;
        } else if (type == 0x4d54726b && count_ < ntracks_) {  // MTrk
            ++count_;
            track(offset + 8, len, false);
            track(offset + 8, len, true);  // playing: the same walk, copying each event out
        }
        return len + 8;
    }

    struct Track {
        std::uint64_t base;
        std::uint32_t size, offset = 0;
        std::uint8_t running = 0xff;
        bool eot = false;
    };

    std::uint32_t varlen(std::uint64_t p, std::uint32_t size, std::uint32_t& value) const {
        value = 0;
        for (std::uint32_t i = 0; i < 4; ++i) {
            if (size == 0) return 0;
            value = value << 7 | (at(p + i) & 0x7fu);
            if (!(at(p + i) & 0x80u)) return i + 1;
        }
        return 0;
    }

    void advance(Track& t) const {
        if (t.offset >= t.size) {
            t.eot = true;
            return;
        }
        std::uint32_t delta = 0;
        const std::uint32_t consumed = varlen(t.base + t.offset, t.size - t.offset, delta);
        if (consumed == 0) t.eot = true;
        t.offset += consumed;
    }

    // False where the parser returns an error without moving on.
    bool event(Track& t, bool play) const {
        const std::uint64_t p = t.base + t.offset;
        const std::uint8_t status = at(p);
        const std::uint8_t ev = status & 0x80u ? status : t.running & 0x80u ? t.running : 0;
        std::uint32_t length = 0;
        if (ev == 0xff) {
            t.offset += 1;
            const std::uint32_t size = t.size - t.offset;
            if (size < 1) return false;
            const std::uint8_t type = at(p + 1);
            std::uint32_t len = 0;
            const std::uint32_t consumed = varlen(p + 2, size - 1, len);
            if (consumed == 0 || size - consumed - 1 < len) return false;
            for (std::uint32_t i = 0; i < len && at(p + 2 + consumed + i); ++i) {
            }
            if (type == 0x51) at(p + 2 + consumed + 2);
            t.offset += consumed + len + 1;
        } else if (ev == 0xf0 || ev == 0xf7) {
            t.offset += 1;
            const std::uint32_t size = t.size - t.offset;
            std::uint32_t len = 0;
            const std::uint32_t consumed = varlen(p + 1, size, len);
            if (consumed == 0 || size - consumed < len) return false;
            if (play)
                for (std::uint32_t i = 0; i < len; ++i) at(p + 1 + consumed + i);
            t.offset += consumed + len;
        } else if ((ev & 0xf0u) == 0xf0u || ev < 0x80) {
            return false;
        } else {
            length = (ev & 0xe0u) == 0xc0u ? 1 : 2;
            const bool own = status & 0x80u;
            if (play)
                for (std::uint32_t i = 0; i < length + (own ? 0 : 1); ++i) at(p + (own ? 1 : 0) + i);
            t.offset += own ? length + 1 : length;
        }
        if (ev < 0xf8) t.running = ev;
        advance(t);
        return true;
    }

    void track(std::uint64_t base, std::uint32_t size, bool play) const {
        Track t{base, size};
        advance(t);
        while (!t.eot)
            if (!event(t, play)) {
                if (!play) __builtin_trap();  // the first pass would spin on this event for ever
                return;
            }
    }

    const std::uint8_t* data_;
    std::size_t size_;
    unsigned ntracks_ = 0, count_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const mci::MidiCheck verdict = mci::checkMidi(data, size);
    const bool signed_ =
        (size >= 4 && std::memcmp(data, "MThd", 4) == 0) ||
        (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "RMID", 4) == 0);
    if ((verdict == mci::MidiCheck::NotMidi) == signed_) __builtin_trap();
    if (verdict == mci::MidiCheck::Sound) ParserModel(data, size).run();
    return 0;
}
