#pragma once
// Standard MIDI files (and RIFF "RMID" files that wrap one), checked before the framework's parser
// sees them. midiparse (gst-plugins-bad 1.22) trusts the bytes it walks: its variable-length
// numbers read up to four bytes whatever is left, a channel event under running status copies one
// byte more than it holds, a tempo event reads three bytes whatever its length, an event that
// overhangs its track is copied whole, and a chunk length near 4 GiB wraps its bounds check. The
// 65-byte file that showed it has chunk lengths that add up; its last event runs past its track.
// So the events are walked too, the way that parser walks them, and a file where any of its reads
// would leave the bytes it was given is refused.

#include <cstddef>
#include <cstdint>
#include <string>

namespace mci {

enum class MidiCheck {
    NotMidi,  // neither "MThd" nor "RIFF"/"RMID" at the start: not ours to judge
    Sound,    // the header, the tracks it counts and every event in them fit
    Broken,   // a MIDI file whose structure does not add up; `why` says where
};

// `data` holds the whole file. Bytes after the tracks the header counts are accepted unless they
// could make the parser misread (another header, a chunk length that wraps): real files carry
// padding and junk there.
MidiCheck checkMidi(const std::uint8_t* data, std::size_t size, std::string* why = nullptr);

// Reads the file's head and, when it is a MIDI file, all of it (a huge one is refused).
MidiCheck checkMidiFile(const std::string& path, std::string* why = nullptr);

}  // namespace mci
