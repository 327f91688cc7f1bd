# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/test and scripts/run: a private X server and sound server for tests and
# demos, ended when the calling script exits. Sets DISPLAY, XDG_RUNTIME_DIR and PULSE_SERVER.

veltrio_env_dir=$(mktemp -d "${TMPDIR:-/tmp}/veltrio-env.XXXXXX")
veltrio_env_pids=()

veltrio_env_stop() {
  local pid
  for pid in "${veltrio_env_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${veltrio_env_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$veltrio_env_dir"
}
trap veltrio_env_stop EXIT

# Starts Xvfb on a free display number and waits until it answers.
veltrio_start_xvfb() {
  local fifo="$veltrio_env_dir/displayfd"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$fifo" \
    >"$veltrio_env_dir/xvfb.log" 2>&1 &
  veltrio_env_pids+=($!)
  local number
  if ! read -r -t 20 number <"$fifo"; then
    echo "test-env: Xvfb did not start; see $veltrio_env_dir/xvfb.log" >&2
    return 1
  fi
  export DISPLAY=":$number"
  unset WAYLAND_DISPLAY
}

# Starts a private PulseAudio server with a null sink as the default sink.
veltrio_start_pulse() {
  export XDG_RUNTIME_DIR="$veltrio_env_dir/runtime"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse.sock"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
    --load="module-native-protocol-unix socket=$XDG_RUNTIME_DIR/pulse.sock auth-anonymous=1" \
    --load="module-null-sink sink_name=veltrio_null" \
    --load="module-always-sink" \
    >"$veltrio_env_dir/pulse.log" 2>&1 &
  veltrio_env_pids+=($!)
  local i
  for i in $(seq 50); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "test-env: PulseAudio did not start; see $veltrio_env_dir/pulse.log" >&2
  return 1
}
