#!/usr/bin/env node
// Draws a glTF binary the way a web viewer shows it: three.js in headless
// Chromium renders the file from its first camera node, and the pixels come
// back to be written as a PNG (RGB) or a .raw file (RGBA, top row first).
//
//   node view.mjs IN.glb OUT.png [--width 640] [--height 480] [--background 787878]
//                 [--timeout 60] [--verbose]
//
// Exits 0 once the picture is written; otherwise 1 with the reason on stderr.
// The page says when it is done: no waiting on guessed delays.

import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

const here = path.dirname(fileURLToPath(import.meta.url));
const threeRoot = path.join(here, 'node_modules', 'three');
const setupHint = 'run scripts/setup.sh --tests';

function parseArguments(argv) {
  const options = { width: 640, height: 480, background: '787878', timeout: 60, verbose: false };
  const files = [];
  for (let i = 0; i < argv.length; ++i) {
    const a = argv[i];
    if (a === '--verbose') options.verbose = true;
    else if (['--width', '--height', '--timeout', '--background'].includes(a) && i + 1 < argv.length)
      options[a.slice(2)] = argv[++i];
    else if (a.startsWith('--')) throw new Error(`unknown option ${a}`);
    else files.push(a);
  }
  if (files.length !== 2) throw new Error('usage: view.mjs IN.glb OUT.png|OUT.raw [--width W] [--height H] '
                                          + '[--background RRGGBB] [--timeout SECONDS] [--verbose]');
  [options.input, options.output] = files;
  for (const key of ['width', 'height', 'timeout']) {
    options[key] = Number(options[key]);
    if (!(options[key] > 0) || !Number.isInteger(options[key]))
      throw new Error(`--${key} needs a whole number above 0`);
  }
  if (!/^[0-9a-fA-F]{6}$/.test(options.background)) throw new Error('--background needs six hex digits');
  if (!/\.(png|raw)$/i.test(options.output)) throw new Error('the output must end in .png or .raw');
  return options;
}

// $CHROMIUM, else the first chromium or chromium-browser on the PATH.
function findChromium() {
  if (process.env.CHROMIUM) return process.env.CHROMIUM;
  const folders = (process.env.PATH || '').split(path.delimiter).filter(Boolean);
  for (const name of ['chromium', 'chromium-browser'])
    for (const folder of folders)
      if (fs.existsSync(path.join(folder, name))) return path.join(folder, name);
  throw new Error(`Chromium not found (set CHROMIUM or ${setupHint})`);
}

// --- PNG writing: 8-bit RGB, one filter byte 0 per row ---

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xFFFFFFFF;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xFF] ^ (c >>> 8);
  return (c ^ 0xFFFFFFFF) >>> 0;
}

function chunk(type, data) {
  const length = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(body));
  return Buffer.concat([length, body, crc]);
}

function encodePng(rgba, width, height) {
  const rows = Buffer.alloc((width * 3 + 1) * height);
  for (let y = 0, o = 0; y < height; ++y) {
    rows[o++] = 0;
    for (let x = 0; x < width; ++x, o += 3) rgba.copy(rows, o, (y * width + x) * 4, (y * width + x) * 4 + 3);
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 2, 0, 0, 0], 8);
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A]), chunk('IHDR', header),
                        chunk('IDAT', zlib.deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

// --- the loopback server: the page, three.js, the scene, and the page's answers ---

const contentTypes = { '.html': 'text/html', '.js': 'text/javascript', '.glb': 'model/gltf-binary' };

function sendFile(response, file) {
  fs.readFile(file, (error, data) => {
    if (error) {
      response.writeHead(404).end();
      return;
    }
    const type = contentTypes[path.extname(file)] || 'application/octet-stream';
    response.writeHead(200, { 'content-type': type });
    response.end(data);
  });
}

function readBody(request) {
  return new Promise((resolve, reject) => {
    const parts = [];
    request.on('data', (part) => parts.push(part));
    request.on('end', () => resolve(Buffer.concat(parts)));
    request.on('error', reject);
  });
}

// Serves the page and its files; calls onPixels(rgba, headers) or onFailure(text)
// when the page reports.
function startServer(options, onPixels, onFailure) {
  const server = http.createServer(async (request, response) => {
    const url = new URL(request.url, 'http://localhost');
    if (request.method === 'POST') {
      let body;
      try {
        body = await readBody(request);
      } catch (error) {
        onFailure(`the page's answer broke off: ${error.message}`);
        return;
      }
      response.writeHead(200).end();
      if (url.pathname === '/pixels') onPixels(body, request.headers);
      else onFailure(`the page failed: ${body.toString('utf8')}`);
      return;
    }
    if (url.pathname === '/') sendFile(response, path.join(here, 'view.html'));
    else if (url.pathname === '/scene.glb') sendFile(response, options.input);
    else if (url.pathname.startsWith('/three/')) {
      const file = path.normalize(path.join(threeRoot, url.pathname.slice('/three/'.length)));
      if (!file.startsWith(threeRoot + path.sep)) response.writeHead(403).end();
      else sendFile(response, file);
    } else response.writeHead(404).end();
  });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => resolve(server));
  });
}

// Headless Chromium has no GPU here: WebGL runs on SwiftShader, which this
// Chromium picks by itself but newer ones only when asked explicitly. As root
// it starts only without its sandbox; the rest keeps it off the network.
function chromiumArguments(profile, url) {
  return ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
          '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync',
          '--disable-quic', '--disable-extensions', `--user-data-dir=${profile}`, url];
}

function lastLines(text, count) {
  return text.trim().split('\n').slice(-count).join('\n');
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  if (!fs.existsSync(options.input)) throw new Error(`no such file: ${options.input}`);
  if (!fs.existsSync(path.join(threeRoot, 'build', 'three.module.js')))
    throw new Error(`three.js is missing from ${path.dirname(threeRoot)} (${setupHint})`);
  const chromium = findChromium();

  let chromiumProcess = null;
  let chromiumOutput = '';
  let server = null;
  let timer = null;
  let profile = null;

  // Everything ends here: Chromium (its whole process group) is stopped and
  // waited for before its profile folder is removed.
  let finished = false;
  const finish = async (message) => {
    if (finished) return;
    finished = true;
    clearTimeout(timer);
    const running = chromiumProcess?.pid !== undefined && chromiumProcess.exitCode === null
                    && chromiumProcess.signalCode === null;
    if (running) {
      const exited = new Promise((resolve) => chromiumProcess.once('exit', resolve));
      try { process.kill(-chromiumProcess.pid, 'SIGKILL'); } catch { /* already gone */ }
      await exited;
    }
    server?.close();
    server?.closeAllConnections();
    if (profile) fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
    if (message) process.stderr.write(`view.mjs: ${message}\n`);
    process.exit(message ? 1 : 0);
  };

  const onPixels = (rgba, headers) => {
    const width = Number(headers['x-width']), height = Number(headers['x-height']);
    if (width !== options.width || height !== options.height || rgba.length !== width * height * 4)
      return finish(`the page sent ${rgba.length} bytes for ${width} x ${height}`);
    if (options.verbose)
      process.stderr.write(`view.mjs: ${decodeURIComponent(headers['x-summary'] || '')}\n`);
    try {
      const raw = /\.raw$/i.test(options.output);
      fs.writeFileSync(options.output, raw ? rgba : encodePng(rgba, width, height));
    } catch (error) {
      return finish(`cannot write ${options.output}: ${error.message}`);
    }
    return finish(null);
  };

  server = await startServer(options, onPixels, (message) => finish(message));
  const { port } = server.address();
  const url = `http://127.0.0.1:${port}/?width=${options.width}&height=${options.height}`
              + `&background=${options.background}`;
  timer = setTimeout(() => finish(`no picture after ${options.timeout} s; Chromium said:\n`
                                  + lastLines(chromiumOutput, 20)), options.timeout * 1000);
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'view-chromium-'));
  // A process group of its own, so that finish() stops every process it starts.
  chromiumProcess = spawn(chromium, chromiumArguments(profile, url),
                          { detached: true, stdio: ['ignore', 'pipe', 'pipe'] });
  const collect = (data) => {
    chromiumOutput = (chromiumOutput + data).slice(-20000);
    if (options.verbose) process.stderr.write(data);
  };
  chromiumProcess.stdout.on('data', collect);
  chromiumProcess.stderr.on('data', collect);
  chromiumProcess.on('error', (error) => finish(`cannot start ${chromium}: ${error.message}`));
  chromiumProcess.on('exit', (code, signal) => {
    const said = lastLines(chromiumOutput, 20);
    if (!finished) finish(`Chromium ended (${signal || code}) before the page reported:\n${said}`);
  });
  for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => finish(`stopped by ${signal}`));
}

main().catch((error) => {
  process.stderr.write(`view.mjs: ${error.message}\n`);
  process.exit(1);
});
