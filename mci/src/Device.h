#pragma once
// A device the engine owns under an alias. Commands a device does not take answer ErrDeviceType.

#include <string>

#include "Command.h"
#include "mci/mci.h"

namespace mci {

class Device {
  public:
    virtual ~Device() = default;
    // Brings the state up to date with what happened since the last command (end of medium, errors).
    virtual void catchUp() {}
    virtual int play(const Command&) { return ErrDeviceType; }
    virtual int pause() { return ErrDeviceType; }
    virtual int resume() { return ErrDeviceType; }
    virtual int stop() { return ErrDeviceType; }
    virtual int seek(const Command&) { return ErrDeviceType; }
    virtual int set(const Command&) { return ErrDeviceType; }
    virtual int setVolume(int) { return ErrDeviceType; }
    virtual int status(const Command&, std::string&) { return ErrDeviceType; }
    virtual int where(const Command&, std::string&) { return ErrDeviceType; }
    virtual int put(const Command&) { return ErrDeviceType; }
    virtual int record() { return ErrDeviceType; }
    virtual int save(const std::string&) { return ErrDeviceType; }
};

}  // namespace mci
