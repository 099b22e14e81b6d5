#pragma once
// The decoders a medium needs, loaded before it is opened so that autoplugging finds them.

#include <string>

namespace mci {

// Loads the player's own decoders unless the file is plain PCM or MIDI; without them, the
// framework's wrapper of the same library. Cheap once done; safe from any thread.
void loadCodecsFor(const std::string& path);

// Puts every hardware video decoder the framework found a working device for (it registers none
// without one) ahead of the software decoders, ours included: the framework before 1.24 ranks
// some of them below every software decoder, so autoplugging would never pick them.
void preferHardwareDecoders();

}  // namespace mci
