#pragma once
// The only code of the player that builds media command text. Each operation is a fixed
// sequence of blocking commands on the command channel; results are ignored.

#include <QDateTime>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

class MediaWindowState;

namespace mdlFunctions {

inline constexpr int kReplyLength = 128;
inline constexpr quint32 kButtonFace = 0x8000000F;
inline constexpr quint32 kRed = 0xFF;

// command, reply buffer (may be null), reply length -> result code
using CommandChannel = std::function<int(const std::string&, char*, int)>;

// --- wiring (production: the engine, the real windows, the clock, the executable's folder) ---
void SetCommandChannel(CommandChannel channel);  // empty channel = the engine
void SetWindowState(MediaWindowState* state);
void SetClock(std::function<QDateTime()> now);  // empty = QDateTime::currentDateTime
void SetProgramFolder(const QString& folder);   // empty = QCoreApplication::applicationDirPath
void SetFallbackFolder(const QString& folder);  // empty = XDG music folder, else home
// Shows an internal error to the user (title, text); empty = a modal message box.
void SetErrorReporter(std::function<void(const QString&, const QString&)> report);

// Observers that must not poll (the desktop's remote control) hear of changes the device cannot
// announce: a new medium, a jump of the position, a new speed factor. Called after the commands.
struct MediaEvents {
    std::function<void()> opened;
    std::function<void()> jumped;
    std::function<void(qint32)> speedSet;
};
void SetMediaEvents(MediaEvents events);  // empty members are not called

// --- module state ---
// The current medium's name as written into the open command (bytes, not necessarily UTF-8).
std::string& MediaFile();
const char* MciReply();  // the shared 128-character reply buffer

// --- movie device ---
void OpenMovie(quintptr parentHandle, const std::string& style);
void PlayMovie();
void PauseMovie();
void ResumeMovie();
void StopMovie();
void CloseAllDevices();
void RewindToStart();
void SeekToSeconds(qint32 seconds);
void StepBackFrames(qint32 n);
void StepForwardFrames(qint32 n);
void StepBackSeconds(qint32 n);
void StepForwardSeconds(qint32 n);
void SetVolume(qint32 volume);
void MuteAudio();
void UnmuteAudio();
void SetSpeed(qint32 speed);
void PlaceMovieWindow(qint32 x, qint32 y, qint32 width, qint32 height);
bool IsPlayingOrPaused();
QString GetMovieMode();
QString QuerySourceRect();
void GetSourceSize(qint32& width, qint32& height);
qint32 GetLengthMs();
qint32 GetLengthSeconds();
qint32 GetPositionMs();
qint32 GetPositionSeconds();
qint32 GetPositionFrames();
// True when the last OpenMovie failed (the engine refused the file or its name).
bool LastOpenFailed();
// Status word shown instead of the (empty) mode when the engine refused the medium.
inline constexpr const char* kCannotOpen = "Cannot open";

// --- recorder ---
// Status word shown instead of "Recorded" when the recording could not be saved anywhere.
inline constexpr const char* kSaveFailed = "Save failed";
void ToggleRecording();
// Full path of the file a recording stopped at `when` is saved to (never an existing file).
QString RecordingPath(const QDateTime& when);

// --- time text, CD door ---
QString FormatDuration(qint32 ms);
QString PositionText();
QString LengthText();
void OpenCdDoor();
void CloseCdDoor();

// --- parsing helpers ---
// Leading number: blanks, optional sign, decimal digits (and a fraction), nearest integer with
// halves to even; no digits gives 0.
qint32 LeadingNumber(std::string_view text);
// Each word capitalised, the rest lower case.
QString ProperCase(const QString& text);
// Wraps a file name in double quotes, escaping backslash and double quote so that the engine
// reads it back as one word.
std::string QuoteFileName(const std::string& name);

}  // namespace mdlFunctions
