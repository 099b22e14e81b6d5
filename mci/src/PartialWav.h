#pragma once
// A recording on disk while it runs: a WAV file whose header a thread of its own brings up to date
// every second, so a process that dies leaves a playable file. The file is held under an exclusive
// lock for its whole life; a partial file whose lock can be taken was left by a process that died.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mci {

class PartialWav {
  public:
    static constexpr std::uint64_t kMaxData = 0xFFFFFFFFull - 36;  // a RIFF chunk counts in 32 bits
    static constexpr const char* kSuffix = ".partial.wav";

    // A new, empty recording in folder (created if missing); null when the folder refuses it.
    static std::unique_ptr<PartialWav> create(const std::string& folder, int rate, int channels);
    // Removes the file unless it was moved into place by saveAs.
    ~PartialWav();
    PartialWav(const PartialWav&) = delete;
    PartialWav& operator=(const PartialWav&) = delete;

    // Appends samples (any thread); false once a write failed.
    bool append(const void* data, std::size_t size);
    std::uint64_t bytes() const;
    bool failed() const;
    // Brings the header up to date now (it also happens every second).
    void refresh();
    // Makes dest a complete WAV file of what was recorded. When `move` is set the file itself goes
    // there (copied only across file systems) and this object no longer owns it.
    bool saveAs(const std::string& dest, bool move);
    // True once the file was moved away: a recording that goes on needs a fresh file (continued()).
    bool moved() const;
    // A fresh partial file in folder holding what this one holds.
    std::unique_ptr<PartialWav> continued(const std::string& folder) const;
    const std::string& path() const { return path_; }

  private:
    PartialWav(int fd, std::string path, int rate, int channels);
    void flushLoop();
    bool writeHeaderLocked(std::uint64_t dataBytes);

    const int fd_;
    std::string path_;  // UI thread only
    const int rate_;
    const int channels_;
    mutable std::mutex mutex_;
    std::uint64_t bytes_ = 0;        // guarded by mutex_
    std::uint64_t headerBytes_ = 0;  // guarded by mutex_: the count the header on disk holds
    bool failed_ = false;            // guarded by mutex_
    bool moved_ = false;             // guarded by mutex_
    bool stopping_ = false;          // guarded by mutex_
    std::condition_variable wake_;
    std::thread flusher_;
};

// The 44-byte header of a PCM WAV file holding `dataBytes` of samples.
void wavHeader(std::uint8_t out[44], std::uint32_t dataBytes, int rate, int channels, int bitsPerSample);

}  // namespace mci
