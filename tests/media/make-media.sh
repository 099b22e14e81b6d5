#!/usr/bin/env bash
# Makes the real media the tests play: small clips of every kind the player opens.
# Usage: make-media.sh OUTDIR [NAME...]
# Files that already exist are kept while this script is unchanged; a changed script makes them anew.
set -uo pipefail
out=${1:?usage: make-media.sh OUTDIR [NAME...]}
shift
only=$(if [ $# -gt 0 ]; then printf '%s\n' "$@"; fi)
mkdir -p "$out"
failed=0
recipe=$(sha1sum "$0" | cut -c1-12)
stale=1
[ -e "$out/.recipe-$recipe" ] && stale=0

# 3 s of moving test picture (320x240, 25 fps) and a 440 Hz tone.
vid="videotestsrc num-buffers=75 pattern=ball ! video/x-raw,width=320,height=240,framerate=25/1"
aud="audiotestsrc num-buffers=130 samplesperbuffer=1024 freq=440 ! audio/x-raw,rate=44100,channels=2"

wanted() { [ -z "$only" ] || grep -qxF "$1" <<<"$only"; }

make() {  # make NAME PIPELINE... (the pipeline writes to @OUT@)
    local name=$1; shift
    wanted "$name" || return 0
    [ "$stale" = 1 ] && rm -f "$out/$name"
    [ -s "$out/$name" ] && return 0
    local tmp="$out/.$name.tmp" args=() a
    for a in "$@"; do args+=("${a//@OUT@/$tmp}"); done
    if ! timeout 120 gst-launch-1.0 -q "${args[@]}" >/dev/null 2>&1 || [ ! -s "$tmp" ]; then
        echo "make-media: failed to make $name" >&2; rm -f "$tmp"; failed=1; return 0
    fi
    mv "$tmp" "$out/$name"
}

make clip.mpg $vid ! videoconvert ! mpeg2enc format=0 ! queue ! avmux_mpeg name=m ! filesink location=@OUT@ \
     $aud ! audioconvert ! avenc_mp2 ! queue ! m.
make clip.avi $vid ! videoconvert ! jpegenc ! queue ! avimux name=m ! filesink location=@OUT@ \
     $aud ! audioconvert ! queue ! m.
# asfmux stamps video from 1000 h on: the audio must start there too or no picture is shown.
make clip.wmv $vid ! videoconvert ! avenc_wmv2 ! queue ! asfmux name=m ! filesink location=@OUT@ \
     audiotestsrc num-buffers=130 samplesperbuffer=1024 freq=440 timestamp-offset=3600000000000000 ! \
     audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_wmav2 ! queue ! m.
make clip.wav $aud ! audioconvert ! wavenc ! filesink location=@OUT@
make clip.mp3 $aud ! audioconvert ! lamemp3enc ! xingmux ! filesink location=@OUT@
# MP3 without a Xing header: constant bit rate, and variable (2 s of silence, then 4 s of noise).
make clip-cbr.mp3 $aud ! audioconvert ! lamemp3enc target=bitrate bitrate=128 cbr=true ! filesink location=@OUT@
make clip-vbr.mp3 concat name=c ! audioconvert ! lamemp3enc target=quality quality=2 ! filesink location=@OUT@ \
     audiotestsrc num-buffers=86 samplesperbuffer=1024 wave=silence ! audio/x-raw,rate=44100,channels=2 ! c. \
     audiotestsrc num-buffers=172 samplesperbuffer=1024 wave=white-noise ! audio/x-raw,rate=44100,channels=2 ! c.
make clip.au $aud ! audioconvert ! audio/x-raw,format=S16BE ! avmux_au ! filesink location=@OUT@
make clip.wma $aud ! audioconvert ! avenc_wmav2 ! asfmux ! filesink location=@OUT@
make hd.mp4 videotestsrc num-buffers=250 pattern=smpte ! \
     video/x-raw,width=1280,height=720,framerate=25/1,format=I420 ! x264enc speed-preset=ultrafast ! \
     h264parse ! queue ! mp4mux name=m ! filesink location=@OUT@ \
     audiotestsrc num-buffers=431 samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=2 ! \
     audioconvert ! avenc_aac ! aacparse ! queue ! m.
# 60 s of 720p H.264 with a keyframe every 2 s: a held arrow key seeks across it 30 times a second.
make hold.mp4 videotestsrc num-buffers=1500 pattern=ball ! \
     video/x-raw,width=1280,height=720,framerate=25/1,format=I420 ! \
     x264enc speed-preset=ultrafast bframes=2 key-int-max=50 ! video/x-h264,profile=main ! \
     h264parse ! queue ! mp4mux name=m ! filesink location=@OUT@ \
     audiotestsrc num-buffers=2584 samplesperbuffer=1024 freq=440 ! audio/x-raw,rate=44100,channels=2 ! \
     audioconvert ! avenc_aac ! aacparse ! queue ! m.
# 1080p, wider than the test display: the window sized to it must still fit the screen.
make big.mp4 videotestsrc num-buffers=50 pattern=ball ! \
     video/x-raw,width=1920,height=1080,framerate=25/1,format=I420 ! x264enc speed-preset=ultrafast ! \
     h264parse ! mp4mux ! filesink location=@OUT@
# 30 s of small picture and sound, long enough for the seek keys' 15 and 30 s steps.
make long.mpg videotestsrc num-buffers=750 pattern=ball ! video/x-raw,width=160,height=120,framerate=25/1 ! \
     videoconvert ! mpeg2enc format=0 ! queue ! avmux_mpeg name=m ! filesink location=@OUT@ \
     audiotestsrc num-buffers=1292 samplesperbuffer=1024 freq=330 ! audio/x-raw,rate=44100,channels=2 ! \
     audioconvert ! avenc_mp2 ! queue ! m.

# The demo clip the player starts with: 20 s, Video CD size; made only when asked for by name.
if [ -n "$only" ]; then
    make demo.mpg videotestsrc num-buffers=500 pattern=ball motion=wavy background-color=0xff203060 foreground-color=0xffffc020 ! \
         video/x-raw,width=352,height=240,framerate=25/1 ! timeoverlay font-desc="Sans 18" ! videoconvert ! \
         mpeg2enc format=0 ! queue ! avmux_mpeg name=m ! filesink location=@OUT@ \
         audiotestsrc num-buffers=862 samplesperbuffer=1024 wave=ticks freq=660 ! \
         audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_mp2 ! queue ! m.
fi

# 12 s of 720p H.264 (a keyframe every 2 s, B-frames) whose every frame shows its own number as a
# barcode (make-framecode.py), with sound: frame steps are checked against the picture itself.
if wanted framecode.mp4; then
    [ "$stale" = 1 ] && rm -f "$out/framecode.mp4"
    if [ ! -s "$out/framecode.mp4" ]; then
        tmp="$out/.framecode.mp4.tmp"
        if timeout 120 python3 "$(dirname "$0")/make-framecode.py" 1280 720 300 |
            timeout 120 gst-launch-1.0 -q fdsrc fd=0 blocksize=1382400 ! \
                rawvideoparse width=1280 height=720 format=i420 framerate=25/1 ! \
                x264enc speed-preset=ultrafast bframes=2 key-int-max=50 ! video/x-h264,profile=main ! \
                h264parse ! queue ! mp4mux name=m ! filesink location="$tmp" \
                audiotestsrc num-buffers=517 samplesperbuffer=1024 freq=550 ! \
                audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_aac ! aacparse ! queue ! m. \
                >/dev/null 2>&1 && [ -s "$tmp" ]; then
            mv "$tmp" "$out/framecode.mp4"
        else
            echo "make-media: failed to make framecode.mp4" >&2; rm -f "$tmp"; failed=1
        fi
    fi
fi
# A tiny type-0 MIDI file: four quarter notes on a piano, 120 bpm (about 2 s).
[ "$stale" = 1 ] && rm -f "$out/clip.mid" "$out/clip.dat"
if wanted clip.mid && [ ! -s "$out/clip.mid" ]; then
    {
        printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0'
        printf 'MTrk\x00\x00\x00\x2b'
        printf '\x00\xc0\x00'
        for note in 3c 40 43 48; do printf "\\x00\\x90\\x$note\\x64\\x83\\x60\\x80\\x$note\\x40"; done
        printf '\x00\xff\x2f\x00'
    } > "$out/.clip.mid.tmp" && mv "$out/.clip.mid.tmp" "$out/clip.mid"
fi
# A Video CD file made from the MPEG-1 clip.
if wanted clip.dat && [ ! -s "$out/clip.dat" ] && [ -s "$out/clip.mpg" ]; then
    if timeout 60 python3 "$(dirname "$0")/make-vcd.py" "$out/clip.mpg" "$out/.clip.dat.tmp"; then
        mv "$out/.clip.dat.tmp" "$out/clip.dat"
    else
        echo "make-media: failed to make clip.dat" >&2; rm -f "$out/.clip.dat.tmp"; failed=1
    fi
fi
[ "$failed" = 0 ] && { rm -f "$out"/.recipe-*; touch "$out/.recipe-$recipe"; }
echo "make-media: $(ls "$out" | wc -l) files in $out"
exit $failed
