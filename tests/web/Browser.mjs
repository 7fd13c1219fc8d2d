// The game's page in a real browser for the tests: serves an unpacked web
// build on 127.0.0.1, starts headless Chromium on it and drives it through
// the DevTools protocol in real time (keys, the page's own JavaScript,
// screenshots), collecting the page's console. Every wait has a bound and
// says what it waited for when it runs out.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { inflateSync } from 'node:zlib';

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Lines a child prints until one matches: the match, or a failure after ms.
function awaitLine(child, stream, pattern, ms, what) {
  return new Promise((resolve, reject) => {
    let seen = '';
    const timer = setTimeout(() => reject(new Error(`${what}: nothing after ${ms} ms; it said:\n${seen}`)), ms);
    child[stream].on('data', (chunk) => {
      seen += chunk;
      const match = seen.match(pattern);
      if (match) {
        clearTimeout(timer);
        resolve(match);
      }
    });
    child.on('exit', (code) => reject(new Error(`${what}: ended (${code}); it said:\n${seen}`)));
  });
}

export class Browser {
  // folder: the unpacked page; size: the browser window's, CSS pixels; scale:
  // the device's pixels to a CSS pixel. What it started is stopped if it fails.
  static async open(folder, options = {}) {
    const b = new Browser();
    try {
      await b.start(folder, options);
      return b;
    } catch (error) {
      await b.close();
      throw error;
    }
  }

  async start(folder, { width = 1280, height = 720, scale = 1 }) {
    const b = this;
    b.profile = mkdtempSync(join(tmpdir(), 'zephyrion-chromium-'));
    b.server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', folder],
                     { stdio: ['ignore', 'pipe', 'pipe'] });
    const [, port] = await awaitLine(b.server, 'stdout', /port (\d+)/, 10000, 'the web server');
    b.origin = `http://127.0.0.1:${port}`;
    b.chromium = spawn('chromium', ['--headless=new', '--no-sandbox', '--no-first-run', '--mute-audio',
                                    '--remote-debugging-port=0', `--user-data-dir=${b.profile}`,
                                    `--window-size=${width},${height}`, `--force-device-scale-factor=${scale}`,
                                    'about:blank'],
                       { stdio: ['ignore', 'ignore', 'pipe'] });
    const [, url] = await awaitLine(b.chromium, 'stderr', /DevTools listening on (ws:\S+)/, 30000, 'Chromium');
    const http = url.replace(/^ws:\/\/([^/]+).*$/, 'http://$1');
    const pages = await (await fetch(`${http}/json/list`)).json();
    const page = pages.find((p) => p.type === 'page');
    b.socket = new WebSocket(page.webSocketDebuggerUrl);
    await new Promise((resolve, reject) => { b.socket.onopen = resolve; b.socket.onerror = reject; });
    b.nextId = 1;
    b.waiting = new Map();
    b.console = [];
    b.socket.onmessage = (event) => b.receive(JSON.parse(event.data));
    b.socket.onclose = () => {  // no answer will come
      for (const { reject } of b.waiting.values())
        reject(new Error('the browser closed its DevTools connection'));
      b.waiting.clear();
    };
    await b.send('Page.enable');
    await b.send('Runtime.enable');
  }

  receive(message) {
    if (message.id && this.waiting.has(message.id)) {
      const { resolve, reject } = this.waiting.get(message.id);
      this.waiting.delete(message.id);
      if (message.error)
        reject(new Error(JSON.stringify(message.error)));
      else
        resolve(message.result);
    } else if (message.method === 'Runtime.consoleAPICalled') {
      this.console.push(message.params.args.map((a) => a.value ?? a.description ?? '').join(' '));
    } else if (message.method === 'Runtime.exceptionThrown') {
      this.console.push('exception: ' + JSON.stringify(message.params.exceptionDetails.exception?.description));
    }
  }

  send(method, params = {}) {
    const id = this.nextId++;
    this.socket.send(JSON.stringify({ id, method, params }));
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
  }

  async close() {
    this.socket?.close();
    this.chromium?.kill('SIGKILL');
    this.server?.kill('SIGKILL');
    await sleep(200);
    if (this.profile)
      rmSync(this.profile, { recursive: true, force: true });
  }

  // Loads the page (path and query relative to the server), then waits until
  // the game runs its main.
  async load(path = '/', ms = 60000) {
    this.console = [];
    await this.send('Page.navigate', { url: this.origin + path });
    await this.until('typeof Module !== "undefined" && Module.calledRun === true', ms, `the game to start at ${path}`);
  }

  // The value of an expression in the page.
  async value(expression) {
    const r = await this.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails)
      throw new Error(`${expression}: ${r.exceptionDetails.exception?.description}`);
    return r.result.value;
  }

  // Waits until the expression is true in the page, for ms at most.
  async until(expression, ms, what) {
    const end = Date.now() + ms;
    for (;;) {
      if (await this.value(`!!(${expression})`))
        return;
      if (Date.now() > end)
        throw new Error(`waited ${ms} ms for ${what}; the page's console:\n${this.console.join('\n')}`);
      await sleep(100);
    }
  }

  // Waits until a console line matches: the match.
  async line(pattern, ms, what) {
    const end = Date.now() + ms;
    for (;;) {
      for (const text of this.console) {
        const match = text.match(pattern);
        if (match)
          return match;
      }
      if (Date.now() > end)
        throw new Error(`waited ${ms} ms for ${what}; the page's console:\n${this.console.join('\n')}`);
      await sleep(100);
    }
  }

  // A key of keys below pressed and let go, as the keyboard sends it: key,
  // code and its Windows key number (what SDL's browser backend reads).
  async press([key, code, keyCode, text = ''], heldMs = 80) {
    const base = { key, code, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode };
    await this.send('Input.dispatchKeyEvent', { type: text ? 'keyDown' : 'rawKeyDown', text, ...base });
    await sleep(heldMs);
    await this.send('Input.dispatchKeyEvent', { type: 'keyUp', ...base });
    await sleep(120);
  }

  // The page as shown: { width, height, rgb(x, y), png }.
  async screenshot() {
    const { data } = await this.send('Page.captureScreenshot', { format: 'png' });
    const png = Buffer.from(data, 'base64');
    return { ...decodePng(png), png };
  }
}

// Keys by name, for press().
export const keys = {
  Enter: ['Enter', 'Enter', 13, '\r'],
  Escape: ['Escape', 'Escape', 27],
  Down: ['ArrowDown', 'ArrowDown', 40],
  Up: ['ArrowUp', 'ArrowUp', 38],
  Right: ['ArrowRight', 'ArrowRight', 39],
  Left: ['ArrowLeft', 'ArrowLeft', 37],
  Space: [' ', 'Space', 32, ' '],
};

// An 8-bit RGB or RGBA PNG, as Chromium writes its screenshots.
export function decodePng(bytes) {
  let width = 0, height = 0, channels = 0;
  const parts = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at), type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0), height = body.readUInt32BE(4);
      if (body[8] !== 8 || (body[9] !== 2 && body[9] !== 6) || body[12] !== 0)
        throw new Error(`screenshot PNG of a kind not read here (depth ${body[8]}, colour ${body[9]})`);
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      parts.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(parts)), stride = width * channels;
  const pixels = Buffer.alloc(height * stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)], row = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? pixels[y * stride + i - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + i] : 0;
      const c = y > 0 && i >= channels ? pixels[(y - 1) * stride + i - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predict = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      pixels[y * stride + i] = (row[i] + predict) & 255;
    }
  }
  return {
    width, height,
    rgb: (x, y) => {
      const at = (y * width + x) * channels;
      return [pixels[at], pixels[at + 1], pixels[at + 2]];
    },
  };
}
