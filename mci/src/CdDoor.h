#pragma once

namespace mci {

// Opens (ejects) or closes the door of the first CD-ROM drive. Returns 0 or an error code.
int setCdDoor(bool closed);

}  // namespace mci
