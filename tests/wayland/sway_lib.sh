# Sourced after tests/linux/x_lib.sh (its waiting, checks and cases serve here
# too): a headless sway compositor with two outputs, the second at scale 1.5,
# and the ways to run clients in it and read its outputs.
#
# sway refuses to run as root, so as root the compositor and every client run
# as nobody, with a runtime folder of their own; as a user they run as that
# user. Nothing here sleeps for a fixed time.

sway_outputs=(HEADLESS-1 HEADLESS-2)

# start_sway [CONFIG-LINES]: the compositor (no Xwayland, a black background,
# no borders) plus any extra config lines; exports WAYLAND_DISPLAY,
# XDG_RUNTIME_DIR and SWAYSOCK for the clients; its pid in $sway_pid.
start_sway() {
  sway_dir=$(mktemp -d "$work/sway.XXXXXX")
  chmod 700 "$sway_dir"
  as_sway=()
  if [ "$(id -u)" = 0 ]; then
    as_sway=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown 65534:65534 "$sway_dir"
    chmod o+x "$work"
  fi
  {
    echo 'xwayland disable'
    echo 'output HEADLESS-1 resolution 1280x720 position 0 0 scale 1'
    echo 'output HEADLESS-2 resolution 1280x720 position 1280 0 scale 1.5'
    echo 'output * bg #000000 solid_color'
    echo 'default_border none'
    echo 'focus_follows_mouse no'
    echo "${1:-}"
  } >"$sway_dir/config"
  env -i PATH="$PATH" HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=2 \
    "${as_sway[@]}" sway -c "$sway_dir/config" >"$work/sway.log" 2>&1 &
  sway_pid=$!
  helper_pids+=("$sway_pid")
  export XDG_RUNTIME_DIR="$sway_dir" WAYLAND_DISPLAY=wayland-1
  wait_until 15 sway_ready || { echo "sway did not start: $(tail -n3 "$work/sway.log")" >&2; return 1; }
  SWAYSOCK=$(ls "$sway_dir"/sway-ipc.*.sock)
  export SWAYSOCK
}
sway_ready() { ls "$sway_dir"/sway-ipc.*.sock >/dev/null 2>&1 && [ -S "$sway_dir/wayland-1" ]; }

# in_sway COMMAND...: runs COMMAND as the compositor's user, in its session
# (no X display). Background starts spell it out, so that $! is the program.
in_sway() {
  env -u DISPLAY HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WAYLAND_DISPLAY=wayland-1 \
    SWAYSOCK="$SWAYSOCK" "${as_sway[@]}" "$@"
}
swaymsg_() { in_sway swaymsg "$@"; }

# output_shot OUTPUT FILE: OUTPUT's pixels (device pixels) as a PNG
output_shot() { in_sway grim -o "$1" - >"$2" 2>/dev/null; }
# output_lit OUTPUT FILE SHARE: a shot of OUTPUT in which more than SHARE of
# the pixels are lit (a predicate for wait_until)
output_lit() {
  output_shot "$1" "$2" && above "$(convert "$2" -colorspace gray -threshold 10% -format '%[fx:mean]' info:)" "$3"
}
# expect_output_lit SECONDS OUTPUT FILE SHARE: waits for it, else a failure
expect_output_lit() {
  wait_until "$1" output_lit "$2" "$3" "$4" && return 0
  check "$2 lit above $4 (lit $(convert "$3" -colorspace gray -threshold 10% -format '%[fx:mean]' info: 2>/dev/null))" false
}
# shot_size FILE: "WxH" of a picture
shot_size() { identify -format '%wx%h' "$1" 2>/dev/null; }

# start_saver_in_sway ARGS...: the saver as a client of the compositor, with
# this case's settings folder (which the compositor's user may write); its
# pid in $saver_pid, its output in $work/saver.log.
start_saver_in_sway() {
  [ ${#as_sway[@]} -gt 0 ] && chown -R 65534:65534 "$config"
  env -u DISPLAY HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WAYLAND_DISPLAY=wayland-1 \
    XDG_CONFIG_HOME="$config" "${as_sway[@]}" "$zarvella" "$@" >>"$work/saver.log" 2>&1 &
  saver_pid=$!
}
# sway_windows TITLE: "WxH+X+Y fullscreen-mode output" of each window titled
# TITLE, one a line, ordered by output; false when there is none
sway_windows() {
  swaymsg_ -t get_tree 2>/dev/null | jq -r --arg t "$1" '
    [.. | objects | select(.type == "output") as $o | $o | .. | objects
      | select((.type == "con" or .type == "floating_con") and .name == $t)
      | "\(.rect.width)x\(.rect.height)+\(.rect.x)+\(.rect.y) \(.fullscreen_mode) \($o.name)"]
    | unique | .[]' | grep .
}
sway_windows_named() { sway_windows "$1" >/dev/null; }
# output_region_lit OUTPUT FILE GEOMETRY SHARE: a shot of OUTPUT whose region
# (device pixels) is lit above SHARE (a predicate for wait_until)
output_region_lit() { output_shot "$1" "$2" && lit_above "$2" "$3" "$4"; }
# stop_swaybg: ends the compositor's own background client. sway stacks a
# newer background layer surface below an older one, so a layer-shell client
# started after swaybg would be hidden by it; without it, whatever a client
# leaves uncovered shows sway's grey.
stop_swaybg() {
  local pid
  pid=$(wait_until 10 sway_child swaybg) || return 1
  kill "$pid" 2>/dev/null
  wait_until 5 ended "$pid"
}
# sway_child NAME: the pid of a program NAME that this compositor started (it
# detaches its children, so they are found by its runtime folder)
sway_child() {
  local pid
  for pid in $(ls /proc | grep -x '[0-9]*'); do
    [ "$(basename "$(readlink "/proc/$pid/exe" 2>/dev/null)")" = "$1" ] || continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$sway_dir" &&
      { echo "$pid"; return 0; }
  done
  return 1
}
# output_shows_picture OUTPUT FILE: a shot of OUTPUT that is lit in places and
# pure black in others: a picture on black, not the grey of no surface at all
# (a predicate for wait_until)
output_shows_picture() {
  output_shot "$1" "$2" &&
    above "$(convert "$2" -colorspace gray -threshold 10% -format '%[fx:mean]' info:)" 0.02 &&
    above "$(convert "$2" -colorspace gray -fill white +opaque black -negate -format '%[fx:mean]' info:)" 0.2
}
# output_scale OUTPUT: its scale (device pixels per logical pixel)
output_scale() { swaymsg_ -t get_outputs | jq -r --arg o "$1" '.[] | select(.name == $o) | .scale'; }
# to_device GEOMETRY SCALE: a logical WxH+X+Y in device pixels
to_device() {
  awk -F'[x+]' -v s="$2" '{printf "%dx%d+%d+%d\n", $1 * s, $2 * s, $3 * s, $4 * s}' <<<"$1"
}
# colour_share FILE GEOMETRY COLOUR: share of the region's pixels of exactly COLOUR
colour_share() {
  convert "$1" -crop "$2" +repage -fuzz 1% -fill black +opaque "$3" -fill white -opaque "$3" \
    -colorspace gray -format '%[fx:mean]' info:
}
# sway_window_inside TITLE: each window titled TITLE, with its title bar and
# borders, lies wholly inside its output (a tiled one's decoration is inside its rect)
sway_window_inside() {
  swaymsg_ -t get_tree 2>/dev/null | jq -e --arg t "$1" '
    [.. | objects | select(.type == "output") as $o | $o | .. | objects
      | select((.type == "con" or .type == "floating_con") and .name == $t)
      | .rect, (select(.type == "floating_con") | .deco_rect) | select(.height > 0)
      | .x >= $o.rect.x and .y >= $o.rect.y and .x + .width <= $o.rect.x + $o.rect.width
        and .y + .height <= $o.rect.y + $o.rect.height]
    | length > 0 and all' >/dev/null
}
