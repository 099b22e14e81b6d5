#pragma once
// The decoder elements' types, registered by the plugin.

#include <gst/gst.h>

namespace peltocodecs {

GType videoDecoderType();
GType audioDecoderType();

// Both decoders, under their element names; `plugin` may be null for a program's own use.
bool registerElements(GstPlugin* plugin, guint rank);

}  // namespace peltocodecs
