#include "CdDoor.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "mci/mci.h"

namespace mci {
namespace {

// The kernel lists drives as "drive name:\tsr0\tsr1..."; the first is ours.
std::string firstDrive() {
    std::ifstream info("/proc/sys/dev/cdrom/info");
    std::string line;
    while (std::getline(info, line)) {
        if (line.rfind("drive name:", 0) != 0) continue;
        const auto start = line.find_first_not_of(" \t", 11);
        if (start == std::string::npos) return {};
        const auto end = line.find_first_of(" \t", start);
        return "/dev/" + line.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    return {};
}

}  // namespace

int setCdDoor(bool closed) {
    const std::string drive = firstDrive();
    if (drive.empty()) return ErrHardware;
    // O_NONBLOCK: an open door or an empty drive must not make the open wait for a disc.
    const int fd = ::open(drive.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return ErrHardware;
    const int rc = ::ioctl(fd, closed ? CDROMCLOSETRAY : CDROMEJECT, 0);
    ::close(fd);
    return rc == 0 ? Ok : ErrHardware;
}

}  // namespace mci
