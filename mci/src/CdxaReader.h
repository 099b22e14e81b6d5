#pragma once
// Video CD files: a RIFF "CDXA" container of raw 2352-byte Mode 2 sectors, each carrying 2324
// bytes of an MPEG-1 system stream. The reader feeds the bare stream to an appsrc, with seeking.

#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace mci {

class CdxaReader {
  public:
    static constexpr std::uint64_t kSectorSize = 2352;
    static constexpr std::uint64_t kPayloadOffset = 24;  // sync 12, header 4, subheader 8
    static constexpr std::uint64_t kPayloadSize = 2324;

    // A reader when `path` is a CDXA file, else null.
    static std::shared_ptr<CdxaReader> probe(const std::string& path);
    ~CdxaReader();
    CdxaReader(const CdxaReader&) = delete;
    CdxaReader& operator=(const CdxaReader&) = delete;

    std::uint64_t payloadSize() const { return sectors_ * kPayloadSize; }
    // Copies up to `length` payload bytes starting at payload offset `offset`; returns the count.
    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const;
    void attach(GstElement* appsrc);  // configures a playbin's appsrc to pull from us

  private:
    CdxaReader(int fd, std::uint64_t dataStart, std::uint64_t sectors);
    static void needData(GstElement* src, guint length, gpointer self);
    static gboolean seekData(GstElement* src, guint64 offset, gpointer self);

    int fd_;
    std::uint64_t dataStart_;
    std::uint64_t sectors_;
    std::mutex mutex_;
    std::uint64_t offset_ = 0;  // next payload byte to push; guarded by mutex_
};

// Finds the "data" chunk of a RIFF/CDXA header: its offset and size. Exposed for tests.
bool findCdxaData(const std::uint8_t* head, std::size_t headSize, std::uint64_t& start, std::uint64_t& size);

}  // namespace mci
