#!/bin/sh
# Compares the two ways a page's program can give the browser its turn back,
# on the frame of play shown in headless Chromium for ten seconds: driven by
# the browser's frames (emscripten_set_main_loop) or a blocking loop whose
# waits hand the turn back (Asyncify, as the game is built). Prints each
# one's .wasm size, frames a second and the CPU the browser spent meanwhile.
# Usage: tools/web-loops.sh (after tools/web.sh)
set -e
cd "$(dirname "$0")/.."
export NODE_PATH=/usr/share/nodejs NODE_OPTIONS=--no-experimental-fetch
cmake --build build-web --target WebFrameMainLoop WebFrameAsyncify -j"$(nproc)" >/dev/null
page=$(mktemp -d)
trap 'rm -rf "$page"' EXIT
for loop in MainLoop Asyncify; do
    cp "build-web/WebFrame$loop.js" "build-web/WebFrame$loop.wasm" \
       "build-web/WebFrame$loop.data" "$page/"
    sed "s/Zephyrion\.js/WebFrame$loop.js/" web/index.html >"$page/$loop.html"
done
NODE_OPTIONS= node --experimental-websocket - "$page" <<'SCRIPT'
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
const { Browser } = await import(process.cwd() + '/tests/web/Browser.mjs');
const page = process.argv[2];

// User and system time of a process and all its descendants, in clock ticks.
function cpuTicks(root) {
  const parent = new Map(), ticks = new Map();
  for (const pid of readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const fields = readFileSync(`/proc/${pid}/stat`, 'latin1').replace(/^.*\) /, '').split(' ');
      parent.set(pid, fields[1]);
      ticks.set(pid, Number(fields[11]) + Number(fields[12]));
    } catch (e) {}
  }
  let sum = 0;
  for (const [pid, t] of ticks)
    for (let p = pid; p; p = parent.get(p))
      if (p === String(root)) {
        sum += t;
        break;
      }
  return sum;
}

for (const loop of ['MainLoop', 'Asyncify']) {
  const wasm = readFileSync(`${page}/WebFrame${loop}.wasm`);
  const browser = await Browser.open(page);
  try {
    await browser.load(`/${loop}.html`);
    const before = cpuTicks(browser.chromium.pid), t0 = Date.now();
    const [, frames, seconds] = await browser.line(/(\d+) frames in ([\d.]+) s/, 30000, 'the ten seconds');
    const cpu = (cpuTicks(browser.chromium.pid) - before) / 100 / ((Date.now() - t0) / 1000);
    console.log(`${loop.padEnd(8)}  .wasm ${(wasm.length / 1024).toFixed(0)} KiB ` +
                `(${(gzipSync(wasm, { level: 9 }).length / 1024).toFixed(0)} KiB gzipped), ` +
                `${(frames / seconds).toFixed(1)} frames a second, ` +
                `browser CPU ${(cpu * 100).toFixed(0)} % of a core`);
  } finally {
    await browser.close();
  }
}
SCRIPT
