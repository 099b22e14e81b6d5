#pragma once
// The decoder elements' types, registered by the plugin.

#include <glib-object.h>

namespace peltocodecs {

GType videoDecoderType();
GType audioDecoderType();

}  // namespace peltocodecs
