#pragma once

#include <string>

namespace mci {

// Opens (ejects) or closes the door of the first CD-ROM drive. Returns 0 or an error code.
int setCdDoor(bool closed);

// How the door of one drive ("/dev/sr0") is moved: through UDisks2 on the system bus, which can
// unmount a mounted disc first (the kernel refuses to eject one), else by the drive's ioctls.
enum class DoorPath { UDisks, Ioctl };
struct DoorResult {
    int code;
    DoorPath path;
};
DoorResult moveCdDoor(const std::string& drive, bool closed);

}  // namespace mci
