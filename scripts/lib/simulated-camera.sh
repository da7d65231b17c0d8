# Shared by the demo scripts: a scratch Windows directory with the built
# modules, and a simulated still camera on the virtual USB cable, both gone
# when the script ends. Source it from the repository root with $build set.

demo_require() {
  for file in "$@"; do
    if [ ! -e "$file" ]; then
      echo "demo: $file is missing; run scripts/build first" >&2
      exit 1
    fi
  done
}

demo_scratch=$(mktemp -d "${TMPDIR:-/tmp}/qm4200-demo-XXXXXX")
demo_camsim_pid=
demo_cleanup() {
  if [ -n "$demo_camsim_pid" ]; then
    kill "$demo_camsim_pid" 2>/dev/null || true
    wait "$demo_camsim_pid" 2>/dev/null || true
  fi
  rm -rf "$demo_scratch"
}
trap demo_cleanup EXIT

# demo_windows_dir FILE...: $WINDIR becomes a fresh Windows directory whose
# TWAIN_32 tree links the named files of the build's own (fresh KVB.ini and
# thumbnail cache, nothing of the user's touched).
demo_windows_dir() {
  export WINDIR="$demo_scratch/windows"
  mkdir -p "$WINDIR/TWAIN_32/QM4200"
  for file in "$@"; do
    ln -s "$PWD/$build/windows/TWAIN_32/$file" "$WINDIR/TWAIN_32/$file"
  done
}

# demo_start_camera [camsim options]: attaches the camera to the USB cable
# and waits until it is ready.
demo_start_camera() {
  export QM4200_USB="$demo_scratch/usb-cable"
  "$build/bin/camsim" --usb --socket "$QM4200_USB" --ready-file "$demo_scratch/ready" "$@" \
    > "$demo_scratch/camsim.log" 2>&1 &
  demo_camsim_pid=$!
  for _ in $(seq 100); do
    [ -e "$demo_scratch/ready" ] && return 0
    sleep 0.1
  done
  echo "demo: the simulated camera did not attach" >&2
  cat "$demo_scratch/camsim.log" >&2
  exit 1
}
