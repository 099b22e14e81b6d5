// The MIDI structure check on hand-made files: what the framework's parser may be given.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "MidiCheck.h"

namespace mci {
namespace {

using namespace std::string_literals;

std::string be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string le32(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

std::string track(const std::string& events) {
    return "MTrk" + be32(static_cast<std::uint32_t>(events.size())) + events;
}

std::string header(int format, int tracks) {
    return "MThd\0\0\0\6\0"s + static_cast<char>(format) + '\0' + static_cast<char>(tracks) + "\1\xe0"s;
}

std::string song(std::initializer_list<std::string> tracks) {
    std::string out = header(tracks.size() > 1 ? 1 : 0, static_cast<int>(tracks.size()));
    for (const auto& t : tracks) out += track(t);
    return out;
}

const std::string kEnd = "\0\xff\x2f\0"s;  // end of track

// The four notes of the test media's clip, byte for byte.
std::string clip() {
    std::string events = "\0\xc0\0"s;
    for (char note : {'\x3c', '\x40', '\x43', '\x48'})
        events += "\0\x90"s + note + "\x64\x83\x60\x80"s + note + '\x40';
    return song({events + kEnd});
}

MidiCheck check(const std::string& bytes, std::string* why = nullptr) {
    return checkMidi(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), why);
}

TEST(MidiCheck, WellFormedFilesPass) {
    ASSERT_EQ(clip().size(), 65u);
    EXPECT_EQ(check(clip()), MidiCheck::Sound);
    // Running status across a meta event, a tempo, a system exclusive message, an empty track, and
    // a chunk of a kind the parser skips.
    const std::string busy = "\0\xff\x51\3\7\xa1\x20\0\x90\x3c\x64\x60\x3c\0\0\xff\1\2hi\0\x3e\x40"s +
                             "\0\xf0\3\x7e\x7f\xf7"s + kEnd;
    const std::string twoTracks = header(1, 2) + track(busy) + "XFIH" + be32(3) + "abc" + track("");
    EXPECT_EQ(check(twoTracks), MidiCheck::Sound);
    // The same song inside RIFF, after another chunk.
    const std::string inner = clip();
    const std::string rmid =
        "RMID"s + "LIST" + le32(4) + "INFO" + "data" + le32(static_cast<std::uint32_t>(inner.size())) + inner;
    EXPECT_EQ(check("RIFF" + le32(static_cast<std::uint32_t>(rmid.size())) + rmid), MidiCheck::Sound);
}

// Padding and junk after the last counted track are common in real files, and no read of the
// parser's depends on them; only what would make it misread is refused there.
TEST(MidiCheck, TrailingBytesAfterTheCountedTracksPassUnlessTheyMisleadTheParser) {
    for (const std::string& junk :
         {"\0"s, "\0\0\0\0\0\0\0"s, std::string(300, 'x'), "MTrk\0\0\1\0abc"s, track("\x90\x3c")})
        EXPECT_EQ(check(clip() + junk), MidiCheck::Sound) << junk.size();
    // Another header would count new tracks; a length near 4 GiB wraps the parser's bounds check.
    EXPECT_EQ(check(clip() + header(1, 9) + track("\x90")), MidiCheck::Broken);
    EXPECT_EQ(check(clip() + "MTrk" + be32(0xfffffff9u) + "\x90"), MidiCheck::Broken);
    EXPECT_EQ(check(clip() + "junk" + be32(0xffffffffu)), MidiCheck::Broken);
}

TEST(MidiCheck, OnlyFilesWithAMidiSignatureAreJudged) {
    for (const std::string& other : {""s, "MTh"s, "RIFF\x24\0\0\0WAVEfmt "s, "ID3\4\0\0\0\0\0\0"s,
                                     "RIFF\4\0\0\0RMI"s, std::string(100, '\0')})
        EXPECT_EQ(check(other), MidiCheck::NotMidi) << other;
}

TEST(MidiCheck, ChunksThatDoNotAddUpAreRefused) {
    const std::string good = clip();
    // A copy cut anywhere, in the header or in the track.
    for (std::size_t n = 4; n < good.size(); ++n) EXPECT_EQ(check(good.substr(0, n)), MidiCheck::Broken) << n;
    std::string why;
    EXPECT_EQ(check(good.substr(0, 40), &why), MidiCheck::Broken);
    EXPECT_EQ(why, "track 1 runs past the end of the file");

    std::string shortHeader = good;
    shortHeader[7] = 5;  // the parser reads six bytes whatever it says
    EXPECT_EQ(check(shortHeader), MidiCheck::Broken);
    std::string longHeader = good;
    longHeader[6] = 1;
    EXPECT_EQ(check(longHeader), MidiCheck::Broken);
    std::string longTrack = good;
    longTrack[21] += 1;  // one byte more than there is
    EXPECT_EQ(check(longTrack), MidiCheck::Broken);
    std::string hugeTrack = good;
    hugeTrack.replace(18, 4, be32(0xfffffff8u));
    EXPECT_EQ(check(hugeTrack), MidiCheck::Broken);
    // Two tracks counted, one there and then the file ends, or runs on in junk.
    const std::string oneOfTwo = header(1, 2) + good.substr(14);
    EXPECT_EQ(check(oneOfTwo + "\0\0"s), MidiCheck::Broken);
    EXPECT_EQ(check(oneOfTwo + std::string(40, 'x')), MidiCheck::Broken);
    EXPECT_EQ(check(header(0, 0) + track(kEnd)), MidiCheck::Broken);  // no track counted
    EXPECT_EQ(check(header(0, 1)), MidiCheck::Broken);

    const std::string data = "data" + le32(static_cast<std::uint32_t>(good.size())) + good;
    EXPECT_EQ(check("RIFF" + le32(static_cast<std::uint32_t>(data.size()) + 5) + "RMID" + data),
              MidiCheck::Broken);
    EXPECT_EQ(check("RIFF" + le32(12) + "RMIDLIST" + le32(0) + "data" + le32(200)), MidiCheck::Broken);
    const std::string cutInside = "data" + le32(static_cast<std::uint32_t>(good.size())) + good.substr(0, 40);
    EXPECT_EQ(check("RIFF" + le32(static_cast<std::uint32_t>(cutInside.size() + 4)) + "RMID" + cutInside),
              MidiCheck::Broken);
}

TEST(MidiCheck, EventsThatOverhangTheirTrackAreRefused) {
    // The mutated clip that made the parser read past its buffer: chunk lengths that add up, and a
    // last event under running status that needs one byte more than the track has.
    std::string hostile = clip();
    hostile.replace(0x2a, 0x10, std::string(0x10, '\0'));
    hostile.replace(0x3a, 7, "\x80\x48\x40\0\xff\x2f\0"s);
    ASSERT_EQ(hostile.size(), 65u);
    std::string why;
    EXPECT_EQ(check(hostile, &why), MidiCheck::Broken);
    EXPECT_EQ(why, "track 1: an event runs past the track");

    const std::string cases[] = {
        "\0\x90\x3c"s,                     // a note without its velocity
        "\0\xc0"s,                         // a program change without its program
        "\0\x90\x3c\x64\x81"s,             // a delta time cut off
        "\0\x90\x3c\x64\0"s,               // a delta time with no event after it
        "\x81\x81\x81\x81\0\xff\x2f\0"s,   // a delta time of five bytes
        "\0\xff\x51\1\7"s + kEnd,          // a tempo of one byte
        "\0\xff\1\x20hi"s,                 // a text longer than the track
        "\0\xff"s,                         // a meta event without its type
        "\0\xf0\x10\x7e"s,                 // a system exclusive message longer than the track
        "\0\x3c\x64"s + kEnd,              // a data byte with no status before it
        "\0\xf0\1\xf7\0\x3c\x64"s + kEnd,  // running status does not outlive a system exclusive
        "\0\x90\x3c\x64\0\x3e\x64"s,       // the parser copies the byte after a running-status event
        "\0\xf8"s + kEnd,                  // a real-time message
    };
    for (const auto& events : cases) EXPECT_EQ(check(song({events})), MidiCheck::Broken) << events.size();
    // A broken second track is found too.
    EXPECT_EQ(check(song({kEnd, "\0\x90\x3c"s})), MidiCheck::Broken);
}

}  // namespace
}  // namespace mci
