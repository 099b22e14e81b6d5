#include "CdxaReader.h"

#include <fcntl.h>
#include <gst/app/gstappsrc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "GstRef.h"

namespace mci {
namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

bool findCdxaData(const std::uint8_t* head, std::size_t headSize, std::uint64_t& start, std::uint64_t& size) {
    if (headSize < 12 || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "CDXA", 4) != 0)
        return false;
    std::uint64_t pos = 12;
    while (pos + 8 <= headSize) {
        const std::uint64_t chunkSize = le32(head + pos + 4);
        if (std::memcmp(head + pos, "data", 4) == 0) {
            start = pos + 8;
            size = chunkSize;
            return true;
        }
        pos += 8 + chunkSize + (chunkSize & 1);
    }
    return false;
}

std::shared_ptr<CdxaReader> CdxaReader::probe(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    std::uint8_t head[512];
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    struct stat st {};
    std::uint64_t start = 0, size = 0;
    if (got <= 0 || ::fstat(fd, &st) != 0 ||
        !findCdxaData(head, static_cast<std::size_t>(got), start, size)) {
        ::close(fd);
        return nullptr;
    }
    // Trust the file's real length over a chunk size that a cut-off copy no longer matches.
    const std::uint64_t available = static_cast<std::uint64_t>(st.st_size) > start ? st.st_size - start : 0;
    const std::uint64_t sectors = std::min(size, available) / kSectorSize;
    return std::shared_ptr<CdxaReader>(new CdxaReader(fd, start, sectors));
}

CdxaReader::CdxaReader(int fd, std::uint64_t dataStart, std::uint64_t sectors)
    : fd_(fd), dataStart_(dataStart), sectors_(sectors) {}

CdxaReader::~CdxaReader() {
    ::close(fd_);
}

std::size_t CdxaReader::read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const {
    std::size_t done = 0;
    while (done < length && offset < payloadSize()) {
        const std::uint64_t sector = offset / kPayloadSize;
        const std::uint64_t within = offset % kPayloadSize;
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPayloadSize - within, length - done));
        const auto at = static_cast<off_t>(dataStart_ + sector * kSectorSize + kPayloadOffset + within);
        const ssize_t got = ::pread(fd_, out + done, n, at);
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return done;
}

void CdxaReader::attach(GstElement* appsrc) {
    auto* src = GST_APP_SRC(appsrc);
    gst_app_src_set_stream_type(src, GST_APP_STREAM_TYPE_RANDOM_ACCESS);
    gst_app_src_set_size(src, static_cast<gint64>(payloadSize()));
    g_object_set(appsrc, "format", GST_FORMAT_BYTES, nullptr);
    {
        // A pipeline started afresh (a rewind from the end) sets up a new source: from the start.
        std::lock_guard lock(mutex_);
        offset_ = 0;
    }
    g_signal_connect(appsrc, "need-data", G_CALLBACK(&CdxaReader::needData), this);
    g_signal_connect(appsrc, "seek-data", G_CALLBACK(&CdxaReader::seekData), this);
}

void CdxaReader::needData(GstElement* src, guint length, gpointer data) {
    auto* self = static_cast<CdxaReader*>(data);
    std::lock_guard lock(self->mutex_);
    if (self->offset_ >= self->payloadSize()) {
        gst_app_src_end_of_stream(GST_APP_SRC(src));
        return;
    }
    const std::size_t want = std::clamp<std::size_t>(length, 4096, std::size_t{64} * 1024);
    auto buffer = GstRef<GstBuffer>(gst_buffer_new_allocate(nullptr, want, nullptr), RefMode::Adopt);
    GstMapInfo map;
    if (!gst_buffer_map(buffer.get(), &map, GST_MAP_WRITE)) return;
    const std::size_t got = self->read(self->offset_, map.data, want);
    gst_buffer_unmap(buffer.get(), &map);
    if (got == 0) {
        gst_app_src_end_of_stream(GST_APP_SRC(src));
        return;
    }
    gst_buffer_set_size(buffer.get(), static_cast<gssize>(got));
    GST_BUFFER_OFFSET(buffer.get()) = self->offset_;
    self->offset_ += got;
    gst_app_src_push_buffer(GST_APP_SRC(src), gst_buffer_ref(buffer.get()));  // the push takes that reference
}

gboolean CdxaReader::seekData(GstElement*, guint64 offset, gpointer data) {
    auto* self = static_cast<CdxaReader*>(data);
    std::lock_guard lock(self->mutex_);
    self->offset_ = offset;
    return TRUE;
}

}  // namespace mci
