#pragma once
// What libavcodec is asked for a stream's caps, and how its output is described back.

#include <gst/audio/audio.h>
#include <gst/gst.h>
#include <gst/video/video.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "AvRef.h"

namespace peltocodecs {

// Compressed streams the decoders take. Streams outside these sets go to other decoders.
extern const char* const kVideoSinkCaps;
extern const char* const kAudioSinkCaps;

// An always-present pad of these caps on every element of the class.
void addPadTemplate(GstElementClass* element, const char* name, GstPadDirection direction, const char* caps);

// AV_CODEC_ID_NONE for caps outside the sets above.
AVCodecID videoCodecFor(const GstStructure* caps);
AVCodecID audioCodecFor(const GstStructure* caps);

// A context for the codec, carrying the caps' codec_data as extradata; null when the codec is
// not built into the library or the context cannot be made.
CodecContext contextFor(AVCodecID id, const GstStructure* caps);

// The buffer's bytes in a packet of its own, padded as the decoders need (they read past the
// end in whole words); false when the buffer cannot be read or the packet made.
bool fillPacket(AVPacket* packet, GstBuffer* buffer);

// GST_VIDEO_FORMAT_UNKNOWN for pixel formats the decoder does not hand on.
GstVideoFormat videoFormatFor(AVPixelFormat format);
// The colour description and chroma siting the frame carries; unset fields keep what `info` already has.
void describeColour(const AVFrame& frame, GstVideoInfo* info);

// Channel positions in libavcodec's order (the bits of its layout mask, lowest first); false
// when the layout has no mask, in which case the positions are left unset.
bool channelPositions(const AVChannelLayout& layout, GstAudioChannelPosition* positions, int count);

// Writes the frame's samples as interleaved 32-bit floats; false for sample formats it does not
// convert. `out` holds frame.nb_samples * channels floats.
bool interleaveToFloat(const AVFrame& frame, float* out);

}  // namespace peltocodecs
