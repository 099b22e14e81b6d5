# Outer frame and client rectangles of a top-level window, in pixels, as a window manager
# decorates it. xdotool's own geometry reports the client and gets its place wrong under a
# reparenting window manager.

# client_rect WINDOW: "X Y WIDTH HEIGHT" of the client area on the root window.
client_rect() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print x, y, w, h }'
}

# frame_rect WINDOW: "X Y WIDTH HEIGHT" of the outer frame (the client without a window manager).
frame_rect() {
    local x y w h l=0 r=0 t=0 b=0 ext
    read -r x y w h <<<"$(client_rect "$1")"
    ext=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
    [ -n "$ext" ] && IFS=, read -r l r t b <<<"$ext"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
