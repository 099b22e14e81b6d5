#include "PartialWav.h"

#include "mci/mci.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace mci {
namespace {

constexpr int kBits = 16;
constexpr off_t kHeader = 44;

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
std::uint32_t get32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool writeAll(int fd, const void* data, std::size_t size, off_t at = -1) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = at < 0 ? ::write(fd, p, size) : ::pwrite(fd, p, size, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        if (at >= 0) at += n;
    }
    return true;
}

bool writeHeader(int fd, std::uint64_t dataBytes, int rate, int channels) {
    std::uint8_t header[kHeader];
    wavHeader(header, static_cast<std::uint32_t>(std::min(dataBytes, PartialWav::kMaxData)), rate, channels,
              kBits);
    return writeAll(fd, header, sizeof header, 0);
}

// Header and samples of `from` into a new file at dest; a failed copy leaves no file behind.
bool copyInto(int from, std::uint64_t dataBytes, int rate, int channels, const std::string& dest) {
    const int to = ::open(dest.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (to < 0) return false;
    bool ok = writeHeader(to, dataBytes, rate, channels) && ::lseek(to, kHeader, SEEK_SET) == kHeader;
    std::vector<char> chunk(1 << 16);
    off_t at = kHeader;
    for (std::uint64_t left = dataBytes; ok && left > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        const ssize_t n = ::pread(from, chunk.data(), want, at);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0 && writeAll(to, chunk.data(), static_cast<std::size_t>(n));
        at += n;
        left -= static_cast<std::uint64_t>(n > 0 ? n : 0);
    }
    ok = ::close(to) == 0 && ok;
    if (!ok) ::unlink(dest.c_str());
    return ok;
}

// Moves a finished file into place; across file systems it is copied and the original removed.
bool moveInto(int fd, const std::string& from, std::uint64_t dataBytes, int rate, int channels,
              const std::string& dest) {
    if (::rename(from.c_str(), dest.c_str()) == 0) return true;
    if (errno != EXDEV || !copyInto(fd, dataBytes, rate, channels, dest)) return false;
    ::unlink(from.c_str());
    return true;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

void makeFolder(const std::string& folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at)
        if (at == folder.size() || folder[at] == '/') ::mkdir(folder.substr(0, at).c_str(), 0777);
}

std::string join(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + '/' + name;
}

// Owns a descriptor for the length of a scope.
struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// A file a dead process left: complete its header (the last second may not be counted yet) and
// move it. False when it is not one of ours, still held, or holds nothing.
bool rescueOne(const std::string& path, const std::function<std::string(std::time_t)>& where,
               std::string& savedAs) {
    const Fd f{::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW)};
    if (f.fd < 0 || ::flock(f.fd, LOCK_EX | LOCK_NB) != 0) return false;  // a running recorder holds it
    struct stat st {};
    std::uint8_t header[kHeader];
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode) || ::pread(f.fd, header, kHeader, 0) != kHeader ||
        std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVEfmt ", 8) != 0)
        return false;  // not a file we write: leave it alone
    const int channels = header[22] | header[23] << 8;
    const int rate = static_cast<int>(get32(header + 24));
    const int frame = channels * kBits / 8;
    if (channels < 1 || channels > 8 || rate < 1000 || rate > 384000) return false;
    std::uint64_t data = static_cast<std::uint64_t>(st.st_size) - kHeader;
    data = std::min(data - data % static_cast<std::uint64_t>(frame),
                    PartialWav::kMaxData - PartialWav::kMaxData % static_cast<std::uint64_t>(frame));
    if (data == 0) {
        ::unlink(path.c_str());
        return false;
    }
    if (!writeHeader(f.fd, data, rate, channels) ||
        ::ftruncate(f.fd, static_cast<off_t>(kHeader + static_cast<off_t>(data))) != 0)
        return false;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};  // named after its last write: keep it
    ::futimens(f.fd, times);
    ::fsync(f.fd);
    const std::string dest = where(st.st_mtim.tv_sec);
    if (dest.empty() || !moveInto(f.fd, path, data, rate, channels, dest)) return false;
    savedAs = dest;
    return true;
}

}  // namespace

void wavHeader(std::uint8_t out[44], std::uint32_t dataBytes, int rate, int channels, int bitsPerSample) {
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(channels * bitsPerSample / 8);
    std::memcpy(out, "RIFF", 4);
    put32(out + 4, 36 + dataBytes);
    std::memcpy(out + 8, "WAVEfmt ", 8);
    put32(out + 16, 16);
    put16(out + 20, 1);  // PCM
    put16(out + 22, static_cast<std::uint16_t>(channels));
    put32(out + 24, static_cast<std::uint32_t>(rate));
    put32(out + 28, static_cast<std::uint32_t>(rate) * blockAlign);
    put16(out + 32, static_cast<std::uint16_t>(blockAlign));
    put16(out + 34, static_cast<std::uint16_t>(bitsPerSample));
    std::memcpy(out + 36, "data", 4);
    put32(out + 40, dataBytes);
}

std::unique_ptr<PartialWav> PartialWav::create(const std::string& folder, int rate, int channels) {
    static std::atomic<unsigned> serial{0};
    makeFolder(folder);
    // The process id names the owner for a person looking; the lock is what tells a live one.
    const std::string stem =
        join(folder, std::to_string(::getpid()) + "-" + std::to_string(std::time(nullptr)) + "-" +
                         std::to_string(++serial));
    const std::string making = stem + ".new";
    const int fd = ::open(making.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    // Locked and valid before it gets the name a rescuer looks for.
    const std::string path = stem + kSuffix;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !writeHeader(fd, 0, rate, channels) ||
        ::lseek(fd, kHeader, SEEK_SET) != kHeader || ::rename(making.c_str(), path.c_str()) != 0) {
        ::unlink(making.c_str());
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<PartialWav>(new PartialWav(fd, path, rate, channels));
}

PartialWav::PartialWav(int fd, std::string path, int rate, int channels)
    : fd_(fd), path_(std::move(path)), rate_(rate), channels_(channels) {
    flusher_ = std::thread([this] { flushLoop(); });
}

PartialWav::~PartialWav() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    flusher_.join();
    if (!moved_) ::unlink(path_.c_str());
    ::close(fd_);
}

// Once a second: the header counts what was written, and both reach the disk (a power cut too
// keeps all but the last second).
void PartialWav::flushLoop() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_; });
        if (moved_ || bytes_ == headerBytes_) continue;
        writeHeaderLocked(bytes_);
        lock.unlock();
        ::fdatasync(fd_);
        lock.lock();
    }
}

bool PartialWav::writeHeaderLocked(std::uint64_t dataBytes) {
    if (!writeHeader(fd_, dataBytes, rate_, channels_)) return false;
    headerBytes_ = dataBytes;
    return true;
}

bool PartialWav::append(const void* data, std::size_t size) {
    std::lock_guard lock(mutex_);
    if (failed_ || moved_) return false;
    // Counted only once written whole, so the header never claims samples that are not there.
    if (bytes_ + size > kMaxData || !writeAll(fd_, data, size)) {
        failed_ = true;
        return false;
    }
    bytes_ += size;
    return true;
}

std::uint64_t PartialWav::bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

bool PartialWav::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

bool PartialWav::moved() const {
    std::lock_guard lock(mutex_);
    return moved_;
}

void PartialWav::refresh() {
    std::lock_guard lock(mutex_);
    if (!moved_ && bytes_ != headerBytes_) writeHeaderLocked(bytes_);
}

bool PartialWav::saveAs(const std::string& dest, bool move) {
    std::lock_guard lock(mutex_);
    if (bytes_ == 0 || failed_) return false;
    if (!move || moved_) return copyInto(fd_, bytes_, rate_, channels_, dest);
    if (!writeHeaderLocked(bytes_) || ::fdatasync(fd_) != 0) return false;
    if (!moveInto(fd_, path_, bytes_, rate_, channels_, dest)) return false;
    moved_ = true;
    path_ = dest;
    return true;
}

std::unique_ptr<PartialWav> PartialWav::continued(const std::string& folder) const {
    auto fresh = create(folder, rate_, channels_);
    if (!fresh) return nullptr;
    std::lock_guard lock(mutex_);
    std::vector<char> chunk(1 << 16);
    off_t at = kHeader;
    for (std::uint64_t left = bytes_; left > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        const ssize_t n = ::pread(fd_, chunk.data(), want, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || !fresh->append(chunk.data(), static_cast<std::size_t>(n))) return nullptr;
        at += n;
        left -= static_cast<std::uint64_t>(n);
    }
    return fresh;
}

std::vector<std::string> rescueRecordings(const std::string& folder,
                                          const std::function<std::string(std::time_t)>& where) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (endsWith(e->d_name, PartialWav::kSuffix)) names.push_back(join(folder, e->d_name));
        ::closedir(dir);
    }
    std::vector<std::string> saved;
    for (const auto& path : names) {
        std::string dest;
        if (rescueOne(path, where, dest)) saved.push_back(dest);
    }
    return saved;
}

}  // namespace mci
