#!/usr/bin/env bash
# Makes every picture of the user guide (docs/images/*.png) with the program itself: each run
# starts zenkar-pro offscreen on its simulated bench, sets the window up by control names,
# lets it measure and saves the window or parts of it when it closes. One command remakes
# them all:
#
#     bash scripts/screenshots.sh
#
# The two long runs measure for about two minutes so that the graphs have history; all runs
# go side by side. CYCLES=N changes the length of the long ones.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target zenkar-pro
program=$PWD/build/app/zenkar-pro
images=$PWD/docs/images
# 58 cycles end with cycle number 60 (they count from 3), a slow query with the temperature
# measured every fifth cycle, so the last frame in the log shows one.
cycles=${CYCLES:-58}
work=$(mktemp -d /tmp/zk_screenshots_XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$images"

pids=()
# run NAME SETTINGS-FILE-TEXT ARGS...: one program run in a folder of its own, in the background.
run() {
  local name=$1 settings=$2
  shift 2
  mkdir -p "$work/$name"
  [ -z "$settings" ] || printf '%b' "$settings" >"$work/$name/zenkar-pro.ini"
  QT_QPA_PLATFORM=offscreen "$program" --base-dir "$work/$name" --headless "$@" \
    >"$work/$name/log.txt" 2>&1 &
  pids+=("$!:$name")
}
debug_allowed='[Zenkar settings]\r\nAllow debug=yes\r\n'

# The window at work: every curve of the graphs on, the temperature measured every fifth
# cycle, the rate of change observed.
run working "" --simulate-bypass --sim-speed 8 --cycles "$cycles" \
  --set RtIntegerEditTemperatureFrequency=5 --set CheckBoxRateOfChange \
  --set CheckBoxPumpVoltageShow --set CheckBoxCellTemperatureShow \
  --screenshot "$images/window.png" \
  --screenshot-part "Image1=$images/schematic.png" \
  --screenshot-part "MemoLog=$images/log.png" \
  --screenshot-part "RtGraph2DPumpCurrent=$images/graph-pump.png" \
  --screenshot-part "RtGraph2DSensorVoltage=$images/graph-sensor.png"

# Both graphs in elapsed seconds, showing only the last minute.
run only-last "" --simulate-bypass --sim-speed 8 --cycles "$cycles" \
  --set RadioButtonPumpTimeAxisSeconds --set CheckBoxPumpTimeAxisSlit \
  --set RadioButtonSensorTimeAxisSeconds --set CheckBoxSensorTimeAxisSlit \
  --screenshot-part "PanelGraph=$images/graphs-only-last.png"

# The pages as they come up.
run page-operation "" --simulate-bypass --cycles 1 \
  --screenshot-part "PageControl1=$images/page-operation.png"
run page-graph "" --simulate-bypass --cycles 1 --page "Graph setting" \
  --screenshot-part "PageControl1=$images/page-graph-setting.png"
run page-save "" --simulate-bypass --cycles 1 --page "Save" \
  --screenshot-part "PageControl1=$images/page-save.png"
run page-debug "$debug_allowed" --simulate-bypass --cycles 1 --page "Debug" --set "Edit1=*IDN?" \
  --screenshot-part "PageControl1=$images/page-debug.png"

failed=0
for entry in "${pids[@]}"; do
  pid=${entry%%:*}
  name=${entry#*:}
  if wait "$pid"; then
    echo "made: $name"
  else
    echo "FAILED: $name (its log follows)" >&2
    tail -n 40 "$work/$name/log.txt" >&2
    failed=1
  fi
done
[ "$failed" -eq 0 ] || exit 1
ls -l "$images"/*.png
