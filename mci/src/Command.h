#pragma once
// A parsed command: the text is split and checked here, free of any media backend, so the
// parser can be fuzzed and unit-tested on its own.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mci {

struct Word {
    std::string text;
    bool quoted = false;
};

// Splits on blanks; a word that starts with a double quote runs to the matching quote, with
// \" and \\ as escapes. Returns 0 or an error code.
int splitWords(std::string_view line, std::vector<Word>& words);

enum class Verb {
    Open,
    Close,
    Play,
    Pause,
    Resume,
    Stop,
    Seek,
    Set,
    SetAudio,
    Status,
    Where,
    Put,
    Record,
    Save
};
enum class TimeFormat { Ms, Frames };
enum class SeekTo { Start, End, Position };
enum class SetItem { TimeFormat, Speed, AudioAll, Door, FormatTag };
enum class StatusItem { Mode, Length, Position, Ready, TimeFormat, Speed, Volume, MediaPresent };
enum class WhereItem { Source, Destination };

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct Command {
    Verb verb = Verb::Open;
    std::string device;  // alias, "all", "new", a file name or a device type
    bool wait = false;
    bool notify = false;

    // open
    std::string type;  // lower case; empty when not given
    std::string alias;
    std::optional<std::uint64_t> parent;
    std::string style;
    // play
    std::optional<int> from, to;
    // seek
    SeekTo seekTo = SeekTo::Start;
    int seekPosition = 0;
    // set / setaudio
    SetItem setItem = SetItem::TimeFormat;
    TimeFormat timeFormat = TimeFormat::Ms;
    int number = 0;   // speed or volume
    bool on = false;  // audio all on, door closed
    // status / where / put
    StatusItem statusItem = StatusItem::Mode;
    WhereItem whereItem = WhereItem::Source;
    Rect rect;
    // save
    std::string path;
};

// Parses one command line. Returns 0 or an error code from mci.h; on error `out` is unspecified.
int parseCommand(std::string_view line, Command& out);

// A decimal number that fits a non-negative 32-bit int (no sign, digits only).
std::optional<int> parseCount(std::string_view text);

}  // namespace mci
