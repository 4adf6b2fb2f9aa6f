#!/usr/bin/env bash
# Makes the README's pictures from the real program: builds it if needed,
# starts Xvfb with openbox, the loopback stand-in services
# (scripts/fake_services.py) and Morvane in a throw-away home, then with
# xdotool runs a single-site scan, filters its keywords and runs a batch of
# the list below, and writes docs/site-keywords.png, docs/site-filter.png,
# docs/batch-done.png and docs/batch-blocked.png, then fills in 网络设置… for
# docs/network-settings.png. Nothing of the user's
# settings or ledger is touched. The window's controls sit where the design
# puts them (twips / 15 logical pixels), so the clicks below are the
# design's places.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only these pictures need the X tools: they stay out of the test set-up.
bash scripts/deps.sh xvfb openbox xdotool imagemagick x11-utils
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target morvane >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/run LANG=C.UTF-8
mkdir -p "$HOME/Documents" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
openbox >/dev/null 2>&1 &
pids+=($!)

python3 scripts/fake_services.py --log "$work/requests" >"$work/port" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
touch "$work/requests"
host=127.0.0.1:$(cat "$work/port")
MORVANE_STATS_HOST=$host MORVANE_SEARCH_HOST=$host MORVANE_UPDATE_URL=http://$host/update.htm \
    build/morvane >"$work/morvane.log" 2>&1 &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name '^Morvane ' | head -n1)
sleep 2.5 # the window settles where it fits the screen

click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.4
}
# Waits until the services have had no request for a while: the run is through.
settle() {
    local quiet=0 count last=-1
    while [ "$quiet" -lt "${1:-15}" ]; do
        count=$(wc -l <"$work/requests")
        if [ "$count" = "$last" ] && [ "$count" -gt 0 ]; then quiet=$((quiet + 1)); else quiet=0; fi
        last=$count
        sleep 0.2
    done
}
# The window with openbox's frame, which shows the icon and the title.
shoot() {
    xdotool mousemove 1270 1010
    sleep 0.5
    local x y w h left right top bottom
    read -r x y w h < <(xwininfo -id "$window" | awk -F: '/Absolute upper-left X|Absolute upper-left Y|Width|Height/ {
        printf "%d ", $2 } END { print "" }')
    read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | grep -o '[0-9][0-9, ]*' | tr -d ,)
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" \
        +repage "docs/$1"
    echo "docs/$1"
}

# The single-site view opens first, with the example domain in its box.
click 576 28 # 开  始
settle
shoot site-keywords.png

# 结果过滤: 查看百度指数大于 10000.
click 185 103 # the filter's list
xdotool key Down Return
sleep 0.3
click 240 102 # the value box
xdotool key ctrl+a
xdotool type 10000
click 316 103 # 开 始
shoot site-filter.png

click 672 28 # 批量查询
click 140 80 # the list box
xdotool key ctrl+a
for domain in www.sina.com.cn www.163.com www.sohu.com www.alpha.cn www.beta.cn www.gamma.cn www.delta.cn \
    www.epsilon.cn www.zeta.cn www.eta.cn www.theta.cn www.iota.cn; do
    xdotool type --delay 5 "$domain"
    xdotool key Return
done
xdotool key ctrl+Home # the list shown from its top
click 344 52  # 手动导入
click 344 148 # 开始
settle 20     # longer than a rest
shoot batch-done.png

# A run the search engine blocks at its fourth row, after a page of a form
# the rules do not know: the run pauses itself and says why.
click 140 80
xdotool key ctrl+a
for domain in www.sina.com.cn changed.example.cn www.163.com blocked.example.cn www.sohu.com www.alpha.cn \
    www.beta.cn www.gamma.cn; do
    xdotool type --delay 5 "$domain"
    xdotool key Return
done
xdotool key ctrl+Home
click 344 52  # 手动导入
click 344 148 # 开始
settle
shoot batch-blocked.png

# 网络设置…: an HTTP proxy with a login, as a user fills it in; the dialog alone.
click 765 652 # 网络设置…, at the right of the status line
window=$(xdotool search --sync --onlyvisible --name '^网络设置$' | head -n1)
sleep 0.5
click 30 77 # HTTP 代理
click 241 105
xdotool type 127.0.0.1
click 471 105
xdotool type 3128
click 241 133
xdotool type worker
click 474 133
xdotool type secret
shoot network-settings.png
xdotool key Escape
