#pragma once
// The media control engine: textual commands in, replies and result codes out.
// Every call blocks until the command is done and must come from the thread that runs the
// GLib main context (the Qt UI thread in the player).

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mci {

// Result codes. 0 is success; everything else is an error whose text errorText() gives.
enum Error : int {
    Ok = 0,
    ErrUnrecognizedCommand = 261,  // first word is not a command
    ErrUnknownKeyword = 263,       // a word the command does not take
    ErrMissingArgument = 264,      // a keyword without its value
    ErrBadNumber = 265,            // a number out of range or not a number
    ErrNoSuchDevice = 266,         // alias not open
    ErrAliasInUse = 267,           // open with an alias that already exists
    ErrUnbalancedQuote = 268,
    ErrFileNotFound = 275,
    ErrCannotOpen = 276,  // the file exists but cannot be played
    ErrDeviceType = 277,  // unknown device type or command not for this device
    ErrNotReady = 278,
    ErrHardware = 279,  // drive/door/capture failure
    ErrCannotSave = 280,
    ErrTimeout = 281,
    ErrBadWindow = 282,  // parent is not a window of this process
    ErrBusy = 283,       // a command came in while another one waits
};

// What the engine plays into, records from and traces to. A program reads them from its
// environment once at start (fromEnvironment) and hands them over before its first command; tests
// set them directly. A change applies to devices opened after it; the trace follows at once.
struct Options {
    enum class Sinks {
        Real,       // the sound server and, with a GUI, a window for the picture
        Fake,       // neither sound nor picture: everything runs as fast as it decodes
        FakeAudio,  // sound into a clocked fake sink, the picture shown as usual
    };
    Sinks sinks = Sinks::Real;
    std::string captureSource;  // pipeline description for "waveaudio" input; empty: the sound server
    std::string traceLog;       // file for one line per command; empty: no trace

    // PELTO_MCI_FAKE_SINKS ("audio": FakeAudio; set and not "0": Fake), PELTO_MCI_CAPTURE_SRC and
    // PELTO_MCI_LOG.
    static Options fromEnvironment();
};

void setOptions(const Options& options);

// Loads the media framework and the elements an open of `path` will need on a thread of its own,
// while the program builds its windows: the first command waits for it to finish. Any path will
// do, an empty or unreadable one included; it only tells whether the codec library is wanted.
void warmUp(std::string path);
// Waits until that warm-up is done; at once when there was none.
void finishWarmUp();

// Sends one command. When reply is not null and replyLength > 0 the reply is written there,
// cut to replyLength - 1 bytes and always NUL-terminated; a failed command writes an empty reply.
int sendString(std::string_view command, char* reply, int replyLength);

// Short English text for a result code.
std::string errorText(int code);

// Where "waveaudio" devices keep a recording while it runs: a WAV file, brought up to date every
// second, that a process which dies leaves behind. Default: the user's state folder + "/pelto-mci".
void setRecordingFolder(const std::string& folder);

// Recordings in folder that a process which died left behind (never one a running process still
// records). Each is made a complete WAV file and moved to the path where(time of its last write)
// gives; an empty one is removed. Gives the paths they were saved under.
std::vector<std::string> rescueRecordings(const std::string& folder,
                                          const std::function<std::string(std::time_t)>& where);

}  // namespace mci
