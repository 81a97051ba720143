// PLIM's page in Debian's headless Chromium, played with a stand-in pad.
//
//   node tests/web/page_test.js PAGE_DIR NATIVE_BUILD_DIR
//
// Serves PAGE_DIR (dist/web) on the loopback and drives index.html: the start
// step, a pad plugged in after the program started, picker -> guide -> grid,
// the touch pad on a phone and the keys without any pad, the layouts,
// cells placed, the song in IndexedDB, the sound handed to the browser, the
// grid after a reload, #song= links good, declined and bad, the buttons,
// leaving, the page opened from the file system and a browser without Web
// Audio.  Pictures are compared with the native plim-shot's, pixel for pixel;
// the WAV download with the native plim-render's, byte for byte.  Waits on
// frames drawn and results, never on rates.  Prints one line a check and
// "N passed, N failed".
//
// The page as an app, on a site of its own: installable, its service worker
// keeping the build's files, opened, started and linked to with the network
// cut, the screen kept on while PLIM runs, a new build replacing the old;
// and index.html alone, on a host and from the file system.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const puppeteer = require('puppeteer-core');

const [pageDir, nativeDir] = process.argv.slice(2);
if (!pageDir || !nativeDir) {
  console.error('usage: node tests/web/page_test.js PAGE_DIR NATIVE_BUILD_DIR');
  process.exit(2);
}
const CHROMIUM = process.env.PLIM_CHROMIUM || '/usr/lib/chromium/chromium';
const WAIT_MS = 30000;  // for anything the page must get to
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'plim-web-'));

let passed = 0;
let failed = 0;
function check(ok, what, detail) {
  if (ok) {
    passed++;
    console.log(`ok: ${what}`);
  } else {
    failed++;
    console.log(`FAILED: ${what}${detail ? ` (${detail})` : ''}`);
  }
}

// --- Songs, pictures and renders of the native build ---------------------------

// Standard mapping: the browser's button numbers.
const BUTTON = {A: 0, B: 1, X: 2, Y: 3, L1: 4, R1: 5, SELECT: 8, START: 9, UP: 12, DOWN: 13, LEFT: 14, RIGHT: 15};

// A 152-byte song: lit cells as [row, col], then the six settings.
function songBytes(cells, {pace = 108, voice = 0, bank = 0, wobble = 0, echo = 0, space = 0} = {}) {
  const bytes = Buffer.alloc(152);
  for (const [row, col] of cells) bytes[row * 16 + col] = 1;
  [pace, voice, bank, wobble, echo, space].forEach((value, i) => bytes.writeInt32LE(value, 128 + 4 * i));
  return bytes;
}

function songDir(name, bytes) {
  const dir = path.join(work, name);
  fs.mkdirSync(dir, {recursive: true});
  fs.writeFileSync(path.join(dir, 'plim.state'), bytes);
  return dir;
}

// The pixels of an 8-bit RGB PNG, as plim-shot writes them, or RGBA, as
// plim-icon does (channels: 3 or 4).
function readPng(file) {
  const data = fs.readFileSync(file);
  let offset = 8;
  let width = 0;
  let height = 0;
  let channels = 3;
  const compressed = [];
  while (offset < data.length) {
    const length = data.readUInt32BE(offset);
    const type = data.toString('ascii', offset + 4, offset + 8);
    const body = data.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || (body[9] !== 2 && body[9] !== 6) || body[12] !== 0) throw new Error(`${file}: not 8-bit RGB(A)`);
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      compressed.push(body);
    }
    offset += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(compressed));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; x++) {
      const at = y * stride + x;
      const value = raw[y * (stride + 1) + 1 + x];
      const left = x >= channels ? pixels[at - channels] : 0;
      const up = y > 0 ? pixels[at - stride] : 0;
      const upLeft = x >= channels && y > 0 ? pixels[at - stride - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = left;
      else if (filter === 2) predicted = up;
      else if (filter === 3) predicted = (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - upLeft;
        const [pa, pb, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - upLeft)];
        predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
      }
      pixels[at] = (value + predicted) & 255;
    }
  }
  return {width, height, channels, pixels};
}

// plim-shot's picture (picker, guide or grid) of a song.
function nativePicture(name, bytes, picture) {
  const out = path.join(work, `${name}-shots`);
  childProcess.execFileSync(path.join(nativeDir, 'plim-shot'), [songDir(name, bytes), out]);
  return readPng(path.join(out, `${picture}.png`));
}

function nativeWav(name, bytes) {
  const out = path.join(work, `${name}.wav`);
  childProcess.execFileSync(path.join(nativeDir, 'plim-render'), [songDir(name, bytes), out], {stdio: 'ignore'});
  return fs.readFileSync(out);
}

// --- The page -----------------------------------------------------------------

// Runs in the page before its own scripts: a standard-mapping pad that
// navigator.getGamepads shows once plugged, and a count of the frames drawn
// (each present puts the picture into the canvas).
function standIns(plugged) {
  const pad = {
    id: 'Stand-in pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard', timestamp: 1,
    buttons: Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0})),
    axes: [0, 0, 0, 0],
  };
  navigator.getGamepads = () => (plugged ? [pad, null, null, null] : [null, null, null, null]);
  window.standInPad = {
    plug() {
      plugged = true;
      const event = new Event('gamepadconnected');
      Object.defineProperty(event, 'gamepad', {value: pad});
      window.dispatchEvent(event);
    },
    hold(buttons) {
      pad.buttons.forEach((button, i) => {
        button.pressed = button.touched = buttons.includes(i);
        button.value = button.pressed ? 1 : 0;
      });
      pad.timestamp++;
    },
  };
  window.framesDrawn = 0;
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    window.framesDrawn++;
    return put.apply(this, args);
  };
}

async function framesPass(page, count) {
  const now = await page.evaluate(() => window.framesDrawn);
  await page.waitForFunction((from, n) => window.framesDrawn >= from + n, {timeout: WAIT_MS}, now, count);
}

// Holds the buttons for a few frames, then lets go for a few more: the page
// polls the pad once a frame.
async function press(page, ...buttons) {
  await page.evaluate((held) => window.standInPad.hold(held), buttons.map((b) => BUTTON[b]));
  await framesPass(page, 4);
  await page.evaluate(() => window.standInPad.hold([]));
  await framesPass(page, 4);
}

async function canvasPixels(page) {
  const text = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let binary = '';
    for (let i = 0; i < data.length; i += 4) binary += String.fromCharCode(data[i], data[i + 1], data[i + 2]);
    return `${canvas.width}x${canvas.height}:${btoa(binary)}`;
  });
  const [size, pixels] = text.split(':');
  return {size, pixels: Buffer.from(pixels, 'base64')};
}

// Calls probe until it returns '' (the awaited result) or timeout ms have
// passed; returns the last answer, which says what was wrong.
async function eventually(probe, timeout = 10000) {
  const until = Date.now() + timeout;
  let answer = await probe();
  while (answer && Date.now() < until) {
    await new Promise((resolve) => setTimeout(resolve, 100));
    answer = await probe();
  }
  return answer;
}

// '' once the canvas shows exactly the picture; else how far it is off.
function showsPicture(page, picture) {
  return eventually(async () => {
    const shown = await canvasPixels(page);
    if (shown.size !== `${picture.width}x${picture.height}`) return `canvas is ${shown.size}`;
    let differ = 0;
    for (let i = 0; i < shown.pixels.length; i++) if (shown.pixels[i] !== picture.pixels[i]) differ++;
    return differ === 0 ? '' : `${differ} of ${shown.pixels.length} channel values differ`;
  });
}

// The song file as IndexedDB holds it, or null.
function storedSong(page) {
  return page.evaluate(() => new Promise((resolve) => {
    const request = indexedDB.open('/songs');
    request.onerror = () => resolve(null);
    request.onsuccess = () => {
      const db = request.result;
      if (!db.objectStoreNames.contains('FILE_DATA')) return resolve(null);
      const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get('/songs/plim.state');
      get.onsuccess = () => resolve(get.result && get.result.contents ? Array.from(get.result.contents) : null);
      get.onerror = () => resolve(null);
    };
  }));
}

// The stored song's lit cells and settings, to say what a check found.
async function storedSummary(page) {
  const stored = await storedSong(page);
  if (!stored) return 'no song stored';
  const cells = [];
  for (let i = 0; i < 128; i++) if (stored[i]) cells.push(`${i >> 4},${i & 15}`);
  const settings = Buffer.from(stored);
  return `cells ${cells.join(' ')}; pace ${settings.readInt32LE(128)}, bank ${settings.readInt32LE(136)}`;
}

async function storageHolds(page, bytes) {
  return !(await eventually(async () => {
    const stored = await storedSong(page);
    return stored && Buffer.from(stored).equals(bytes) ? '' : 'not yet';
  }));
}

function coverText(page) {
  return page.evaluate(() => (document.getElementById('cover').hidden ? '' : document.getElementById('cover-text').textContent));
}

async function waitForStartStep(page) {
  await page.waitForFunction(() => document.getElementById('cover-text').textContent.startsWith('Press any button'),
                             {timeout: WAIT_MS});
}

// Opens the page (browser may be a browser context); dialogs are answered as
// answer says (true: accept).
async function openPage(browser, url, {plugged = false, answer = true, before = null,
                                       viewport = {width: 640, height: 480, deviceScaleFactor: 1}} = {}) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.dialogs = [];
  page.on('dialog', (dialog) => {
    page.dialogs.push(dialog.message());
    return answer ? dialog.accept() : dialog.dismiss();
  });
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(String(error)));
  await page.evaluateOnNewDocument(standIns, plugged);
  if (before) await page.evaluateOnNewDocument(before);
  await page.goto(url);
  return page;
}

// From the picker through the guide to the grid with A; checks the guide.
async function toGrid(page, guide) {
  await press(page, 'A');
  check(!(await showsPicture(page, guide)), 'A on the picker shows the guide, as plim-shot draws it');
  await press(page, 'A');
}

// The grid at rest, flashes faded and messages gone, against plim-shot's.
async function restingGridMatches(page, picture, what) {
  await press(page, 'START');
  await new Promise((resolve) => setTimeout(resolve, 1300));  // the message lasts 1.1 s
  await framesPass(page, 30);  // flashes fade over 24 frames
  const difference = await showsPicture(page, picture);
  check(!difference, what, difference);
}

// --- The checks ---------------------------------------------------------------

// The content types a static host gives (a service worker must come as a script).
const CONTENT_TYPES = {'.html': 'text/html; charset=utf-8', '.js': 'text/javascript',
                       '.png': 'image/png', '.webmanifest': 'application/manifest+json'};

// Serves dir on the loopback, a site of its own, as a static host does.
// While host.cut, every request fails as with the network down; host.files
// maps a path to the bytes served in its place (another build's).
async function serve(dir, host = {cut: false, files: new Map()}) {
  const server = http.createServer((request, response) => {
    if (host.cut) return request.socket.destroy();
    const pathname = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const answer = (error, body) => {
      response.writeHead(error ? 404 : 200,
                         {'Content-Type': error ? 'text/plain' : CONTENT_TYPES[path.extname(pathname)] || 'application/octet-stream'});
      response.end(error ? 'not found' : body);
    };
    if (host.files.has(pathname)) answer(null, host.files.get(pathname));
    else fs.readFile(path.join(dir, pathname), answer);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {server, host, url: `http://127.0.0.1:${server.address().port}/index.html`};
}

async function main() {
  const site = await serve(pageDir);
  const url = site.url;
  const downloads = path.join(work, 'downloads');
  fs.mkdirSync(downloads);

  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--mute-audio'],
  });
  const session = await browser.target().createCDPSession();
  await session.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: downloads});
  // The page as an app on a site of its own, visited the first time there;
  // and index.html alone, on a host without the other files.
  const appSite = await serve(pageDir);
  const alone = path.join(work, 'alone');
  fs.mkdirSync(alone);
  fs.copyFileSync(path.join(pageDir, 'index.html'), path.join(alone, 'index.html'));
  const aloneSite = await serve(alone);
  try {
    await scenario(browser, url, downloads);
    await withoutAPad(browser, url);
    await appScenario(browser, appSite, aloneSite.url, alone);
  } finally {
    await browser.close();
    for (const {server} of [site, appSite, aloneSite]) server.close();
  }
}

async function scenario(browser, url, downloads) {
  const placed = songBytes([[0, 0], [0, 1], [1, 1]]);
  const guide = nativePicture('placed', placed, 'guide');
  const placedGrid = nativePicture('placed', placed, 'grid');

  // First visit: nothing kept yet; started with a click, the pad plugged in after.
  let page = await openPage(browser, url);
  await waitForStartStep(page);
  await page.click('#cover');
  await framesPass(page, 5);
  await page.evaluate(() => window.standInPad.plug());
  await framesPass(page, 5);
  await toGrid(page, guide);
  // A real pad played: the touch pad makes way.
  const box = await eventually(() => page.evaluate(() => {
    const rect = document.getElementById('canvas').getBoundingClientRect();
    const pad = document.querySelector('[data-pad-button]').getBoundingClientRect();
    return rect.width === 640 && rect.height === 480 && pad.width === 0 ? '' : `${rect.width}x${rect.height}, pad ${pad.width} wide`;
  }));
  check(!box, 'with a pad played in a 640 x 480 window the touch pad hides and the canvas is shown 1:1', box);

  // Sound: the callback's samples reach the browser, and notes are not silence.
  await page.evaluate(() => {
    const node = Module.SDL2.audio.scriptProcessorNode;
    const callback = node.onaudioprocess;
    window.sound = {buffers: 0, loud: 0};
    node.onaudioprocess = (event) => {
      callback(event);
      window.sound.buffers++;
      const left = event.outputBuffer.getChannelData(0);
      if (left.some((sample) => sample !== 0)) window.sound.loud++;
    };
  });

  // A on the top-left cell, right and A, down and A; then back to the corner.
  await press(page, 'A');
  await press(page, 'RIGHT');
  await press(page, 'A');
  await press(page, 'DOWN');
  await press(page, 'A');
  await press(page, 'LEFT');
  await press(page, 'UP');
  check(await storageHolds(page, placed), 'the three cells reach IndexedDB as the 152-byte song');

  await page.waitForFunction(() => window.sound.loud >= 3, {timeout: WAIT_MS}).catch(() => {});
  const sound = await page.evaluate(() => window.sound);
  check(sound.buffers > 0 && sound.loud >= 3, 'the grid\'s notes reach the browser as samples that are not silent',
        JSON.stringify(sound));

  await restingGridMatches(page, placedGrid, 'the resting grid is drawn exactly as plim-shot draws the song');

  // The buttons: the link, the song file and the WAV of the current song.
  await page.click('#share');
  const link = await page.$eval('#link', (input) => input.value);
  const expectedLink = `${url}#song=${placed.toString('base64url')}`;
  check(link === expectedLink, 'Copy link shows the link of the current song', link);
  await page.click('#save');
  await page.click('#wav');
  const saved = path.join(downloads, 'plim.state');
  const wav = path.join(downloads, 'plim.wav');
  await eventually(() => (fs.existsSync(saved) && fs.existsSync(wav) ? '' : 'no downloads yet'), WAIT_MS);
  check(fs.existsSync(saved) && fs.readFileSync(saved).equals(placed), 'Save song downloads the 152-byte song');
  const nativeRender = nativeWav('placed', placed);
  check(fs.existsSync(wav) && fs.readFileSync(wav).equals(nativeRender),
        'Save WAV downloads the same bytes as the native plim-render', fs.existsSync(wav) ? `${fs.statSync(wav).size} bytes` : 'none');
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
  const notSong = path.join(work, 'short.state');
  fs.writeFileSync(notSong, Buffer.alloc(100));
  await chooser.accept([notSong]);
  await page.waitForFunction(() => /ignored/.test(document.getElementById('notice').textContent), {timeout: WAIT_MS});
  check(await storageHolds(page, placed), 'Open song ignores a 100-byte file and keeps the song');

  // Reload: started by the pad this time, the song is back on the grid.
  await page.close();
  page = await openPage(browser, url, {plugged: true});
  await waitForStartStep(page);
  await press(page, 'A');
  check(await coverText(page) === '', 'a pad button starts the page');
  await toGrid(page, guide);
  await restingGridMatches(page, placedGrid, 'after a reload the grid holds the song again');

  // Leaving: SELECT + START saves, ends and offers to start again.
  await press(page, 'A');  // a change not yet saved: the cell at the top left goes dark
  await page.evaluate((held) => window.standInPad.hold(held), [BUTTON.SELECT]);
  await framesPass(page, 4);
  await page.evaluate((held) => window.standInPad.hold(held), [BUTTON.SELECT, BUTTON.START]);
  await page.waitForFunction(() => !document.getElementById('again').hidden, {timeout: WAIT_MS});
  check(/has ended/.test(await coverText(page)), 'SELECT + START ends the program and the page says so');
  const left = songBytes([[0, 1], [1, 1]]);
  check(await storageHolds(page, left), 'the song, changed just before, is kept after leaving');
  await page.close();

  // A link to another song: the page asks; accepted, it plays the link's song.
  const linked = songBytes([[2, 3], [4, 5], [7, 15], [3, 8]], {pace: 132, bank: 2, echo: 2, space: 1});
  const linkedGrid = nativePicture('linked', linked, 'grid');
  page = await openPage(browser, `${url}#song=${linked.toString('base64url')}`, {plugged: true});
  await waitForStartStep(page);
  check(page.dialogs.length === 1, 'a link to a different song asks before replacing the kept one', page.dialogs.join(' | '));
  check(await storageHolds(page, linked), 'accepted, the link\'s song is the kept one');
  check(await page.evaluate(() => location.hash) === '', 'the address is made plain again');
  await press(page, 'A');
  await toGrid(page, guide);
  await restingGridMatches(page, linkedGrid, 'the link\'s song is on the grid, exactly as plim-shot draws it');

  // Open song while playing: the same question; accepted, PLIM starts again with the file's song.
  const [opener] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
  await Promise.all([page.waitForNavigation(), opener.accept([path.join(work, 'placed', 'plim.state')])]);
  await waitForStartStep(page);
  check(page.dialogs.length === 2 && await storageHolds(page, placed), 'Open song asks, then starts again with the chosen song');
  await page.close();

  // Declined, the kept song stays.
  page = await openPage(browser, `${url}#song=${linked.toString('base64url')}`, {answer: false});
  await waitForStartStep(page);
  check(page.dialogs.length === 1 && await storageHolds(page, placed), 'declined, the kept song stays');
  await page.close();

  // A bad link is ignored with a notice; the page still starts.
  page = await openPage(browser, `${url}#song=bm90IGEgc29uZw`);
  await waitForStartStep(page);
  const badNotice = await page.$eval('#notice', (p) => p.textContent);
  check(/ignored/.test(badNotice) && page.dialogs.length === 0, 'a bad link is ignored with a notice', badNotice);
  check(await storageHolds(page, placed), 'a bad link leaves the kept song alone');
  await page.click('#cover');
  await framesPass(page, 10);
  check(page.errors.length === 0, 'nothing went wrong on the pages', page.errors.join(' | '));
  await page.close();

  // Opened from the file system: it starts, draws and keeps songs there too.
  page = await openPage(browser, `file://${path.resolve(pageDir, 'index.html')}`, {plugged: true});
  await waitForStartStep(page);
  await press(page, 'A');
  await toGrid(page, guide);
  await press(page, 'A');
  check(await storageHolds(page, songBytes([[0, 0]])), 'opened as a file, the page plays and keeps the song');
  // A change closed before its half second is up is saved as the page goes.
  await press(page, 'RIGHT');
  await press(page, 'A');
  await page.close({runBeforeUnload: true});
  page = await openPage(browser, `file://${path.resolve(pageDir, 'index.html')}`);
  await waitForStartStep(page);
  check(await storageHolds(page, songBytes([[0, 0], [0, 1]])), 'a change not yet saved is kept when the page is closed');
  await page.close();

  // A browser without Web Audio is told so.
  page = await openPage(browser, url, {before: () => { delete window.AudioContext; delete window.webkitAudioContext; }});
  await page.waitForFunction(() => /no Web Audio/.test(document.getElementById('cover-text').textContent), {timeout: WAIT_MS})
    .then(() => check(true, 'without Web Audio the page says so'),
          () => check(false, 'without Web Audio the page says so'));
  await page.close();
}

// --- Without a pad: the touch pad and the keys ---------------------------------

const PAD = {B: 0, A: 1, X: 2, Y: 3, L1: 4, R1: 5, L2: 6, R2: 7, UP: 8, DOWN: 9, LEFT: 10, RIGHT: 11, SELECT: 12, START: 13};
const PHONE = {width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 3};
const PHONE_SIDEWAYS = {width: 844, height: 390, isMobile: true, hasTouch: true, deviceScaleFactor: 3};

// '' when the canvas, every button of the touch pad and the panel's button lie
// inside the window, none overlaps another, every button is 44 x 44 or
// larger, the canvas is 4:3 and the page does not scroll; else what is wrong.
function layoutProblems(page) {
  return page.evaluate(() => {
    const problems = [];
    const boxes = [['canvas', document.getElementById('canvas')]];
    document.querySelectorAll('[data-pad-button], #panel-open').forEach((button) => {
      if (button.getClientRects().length) boxes.push([button.getAttribute('data-pad-button') || button.id, button]);
    });
    if (boxes.length < 15) problems.push(`only ${boxes.length - 1} buttons shown`);
    const rects = boxes.map(([name, box]) => [name, box.getBoundingClientRect()]);
    for (const [name, r] of rects) {
      if (r.left < 0 || r.top < 0 || r.right > innerWidth || r.bottom > innerHeight) problems.push(`${name} outside`);
      if (name !== 'canvas' && (r.width < 44 || r.height < 44)) problems.push(`${name} ${r.width}x${r.height}`);
    }
    rects.forEach(([a, r], i) => rects.slice(i + 1).forEach(([b, q]) => {
      if (r.left < q.right && q.left < r.right && r.top < q.bottom && q.top < r.bottom) problems.push(`${a} overlaps ${b}`);
    }));
    const canvas = rects[0][1];
    if (Math.abs(canvas.width * 3 - canvas.height * 4) > 4) problems.push(`canvas ${canvas.width}x${canvas.height}`);
    const scroller = document.scrollingElement;
    if (scroller.scrollHeight > innerHeight || scroller.scrollWidth > innerWidth) {
      problems.push(`page scrolls (${scroller.scrollWidth}x${scroller.scrollHeight})`);
    }
    return problems.join(', ');
  });
}

// '' when the panel shows all it holds without scrolling, inside the window.
function panelProblems(page) {
  return page.evaluate(() => {
    const panel = document.getElementById('panel');
    const r = panel.getBoundingClientRect();
    if (!panel.getClientRects().length) return 'panel hidden';
    if (r.left < 0 || r.top < 0 || r.right > innerWidth + 0.5 || r.bottom > innerHeight + 0.5) return 'panel outside the window';
    return panel.scrollHeight > panel.clientHeight + 1 ? `panel cut off (${panel.scrollHeight} > ${panel.clientHeight})` : '';
  });
}

// Fingers on the touch screen, through the DevTools protocol: each event
// lists every finger still down.
function touchScreen(page, cdp) {
  const down = new Map();  // finger id -> point
  const send = (type) => cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: [...down].map(([id, point]) => ({id, x: point.x, y: point.y})),
  });
  const centre = (n) => page.$eval(`[data-pad-button="${n}"]`, (button) => {
    const r = button.getBoundingClientRect();
    return {x: r.left + r.width / 2, y: r.top + r.height / 2};
  });
  return {
    async put(id, n) {
      down.set(id, await centre(n));
      await send('touchStart');
      await framesPass(page, 2);
    },
    async slide(id, n) {
      down.set(id, await centre(n));
      await send('touchMove');
      await framesPass(page, 2);
    },
    async lift(id) {
      down.delete(id);
      await send('touchEnd');
      await framesPass(page, 2);
    },
    async tap(n) {
      await this.put(9, n);
      await this.lift(9);
    },
    async cancel() {  // the system takes every finger back
      down.clear();
      await send('touchCancel');
      await framesPass(page, 2);
    },
  };
}

async function withoutAPad(browser, url) {
  const guide = nativePicture('empty', songBytes([]), 'guide');

  // A phone held upright, touch only.
  let context = await browser.createBrowserContext();
  let page = await openPage(context, url, {viewport: PHONE});
  await page.waitForFunction(() => document.getElementById('cover-text').textContent === 'Tap to start', {timeout: WAIT_MS})
    .then(() => check(true, 'on a touch screen the start step says tap'), () => check(false, 'on a touch screen the start step says tap'));
  let problems = await layoutProblems(page);
  check(!problems, 'at 390 x 844 the canvas and the fourteen buttons fit, apart and large enough, without scrolling', problems);
  const canvasWidth = await page.$eval('#canvas', (canvas) => canvas.getBoundingClientRect().width);
  check(canvasWidth === 390, 'upright, the canvas takes the full width', String(canvasWidth));
  problems = await panelProblems(page);
  check(!problems, 'upright, the help below the pad is not cut off', problems);
  const cdp = await page.target().createCDPSession();
  const fingers = touchScreen(page, cdp);
  await fingers.tap(PAD.A);
  check(await coverText(page) === '', 'the first tap on the pad starts');
  problems = await showsPicture(page, nativePicture('empty', songBytes([]), 'picker'));
  check(!problems, 'the picker is drawn exactly as plim-shot draws it, the first tap doing nothing more', problems);
  await fingers.tap(PAD.A);
  problems = await showsPicture(page, guide);
  check(!problems, 'A on the touch pad shows the guide, as plim-shot draws it', problems);
  await fingers.tap(PAD.A);
  await fingers.tap(PAD.A);          // (0,0)
  await fingers.tap(PAD.RIGHT);
  await fingers.put(1, PAD.A);       // (0,1), painting while held
  await fingers.put(2, PAD.RIGHT);   // (0,2)
  await fingers.slide(2, PAD.DOWN);  // slid from right to down: (1,2)
  await fingers.lift(2);
  await fingers.lift(1);
  check(await storageHolds(page, songBytes([[0, 0], [0, 1], [0, 2], [1, 2]])),
        'A, and A held while a second finger slides from right to down, place and paint the cells', await storedSummary(page));
  const pressedLook = await page.evaluate(() => document.querySelectorAll('.pressed').length);
  await fingers.put(1, PAD.SELECT);
  const selectLooks = await page.$eval(`[data-pad-button="${PAD.SELECT}"]`, (b) => b.classList.contains('pressed'));
  check(pressedLook === 0 && selectLooks, 'a held button looks pressed, and none once let go');
  await fingers.put(2, PAD.X);       // SELECT + X: FRESH START
  await fingers.lift(2);
  await fingers.lift(1);
  await fingers.tap(PAD.R1);         // pace 112
  await fingers.tap(PAD.A);          // (0,0)
  const touched = songBytes([[0, 0]], {pace: 112});
  check(await storageHolds(page, touched), 'SELECT + X starts afresh, then R1 and A: the stored song is exactly that', await storedSummary(page));
  await fingers.tap(PAD.START);
  await new Promise((resolve) => setTimeout(resolve, 1300));
  await framesPass(page, 30);
  problems = await showsPicture(page, nativePicture('touched', touched, 'grid'));
  check(!problems, 'the grid at rest is drawn exactly as plim-shot draws the song', problems);
  // A touch the system takes back (a swipe from the screen's edge, a call)
  // lets go of its button: A held, the touch cancelled, then RIGHT only moves.
  await fingers.tap(PAD.DOWN);
  await fingers.put(1, PAD.A);       // (1,0), painting while held
  await fingers.cancel();
  const pressedAfterCancel = await page.evaluate(() => document.querySelectorAll('.pressed').length);
  await fingers.tap(PAD.RIGHT);      // to (1,1), painting it only if A were still held
  await fingers.tap(PAD.R1);         // pace 116
  check(pressedAfterCancel === 0 && await storageHolds(page, songBytes([[0, 0], [1, 0]], {pace: 116})),
        'a cancelled touch lets go of its button: A held, cancelled, then RIGHT only moves', await storedSummary(page));

  // Turned sideways: the canvas between the pad's halves, the panel folded.
  await page.setViewport(PHONE_SIDEWAYS);
  await framesPass(page, 5);
  problems = await layoutProblems(page);
  check(!problems, 'at 844 x 390 the canvas lies between the halves of the pad, all fitting, apart and large enough', problems);
  await page.click('#panel-open');
  problems = await panelProblems(page);
  check(!problems, 'sideways, the folded help opens whole', problems);
  await page.click('#panel-close');
  // A real pad played hides the touch pad; a touch brings it back.
  const padShown = () => page.$eval(`[data-pad-button="${PAD.A}"]`, (button) => button.getClientRects().length > 0);
  await page.evaluate(() => { window.standInPad.plug(); window.standInPad.hold([9]); });  // START: rest
  await framesPass(page, 10);
  await page.evaluate(() => window.standInPad.hold([]));
  const hidden = !(await padShown());
  await cdp.send('Input.dispatchTouchEvent', {type: 'touchStart', touchPoints: [{id: 5, x: 422, y: 20}]});
  await cdp.send('Input.dispatchTouchEvent', {type: 'touchEnd', touchPoints: []});
  check(hidden && await padShown(), 'a real pad played hides the touch pad, and a touch brings it back');
  check(page.errors.length === 0, 'nothing went wrong on the touch page', page.errors.join(' | '));
  await context.close();

  // A laptop: keys only.
  context = await browser.createBrowserContext();
  page = await openPage(context, url, {viewport: {width: 1280, height: 800, deviceScaleFactor: 1}});
  await waitForStartStep(page);
  const key = async (name) => {  // held for two frames: well under the D-pad's 220 ms repeat
    await page.keyboard.down(name);
    await framesPass(page, 2);
    await page.keyboard.up(name);
    await framesPass(page, 2);
  };
  await page.keyboard.press('Space');  // starts
  await framesPass(page, 5);
  await key('ArrowRight');
  check(await storageHolds(page, songBytes([], {bank: 1})), 'the right arrow on the picker steps the bank once', await storedSummary(page));
  problems = await showsPicture(page, nativePicture('bank1', songBytes([], {bank: 1}), 'picker'));
  check(!problems, 'the picker shows the second bank chosen, as plim-shot draws it', problems);
  await key('Enter');
  await key('KeyX');  // opens the grid, and only that
  await key('KeyX');  // (0,0)
  await key('ArrowRight');
  await page.keyboard.down('KeyX');  // (0,1), painting while held
  await framesPass(page, 4);
  await key('ArrowDown');            // (1,1)
  await key('ArrowRight');           // (1,2)
  await page.keyboard.up('KeyX');
  await framesPass(page, 4);
  check(await storageHolds(page, songBytes([[0, 0], [0, 1], [1, 1], [1, 2]], {bank: 1})),
        'keys place, and X held with the arrows paints', await storedSummary(page));
  await page.keyboard.down('ShiftLeft');
  await framesPass(page, 4);
  await key('KeyS');                 // SELECT + X: FRESH START
  await page.keyboard.up('ShiftLeft');
  await framesPass(page, 4);
  await key('KeyW');                 // pace 112
  await key('KeyX');                 // (0,0)
  const keyed = songBytes([[0, 0]], {pace: 112});
  check(await storageHolds(page, keyed), 'Shift + S starts afresh, then W and X: the stored song is exactly that', await storedSummary(page));
  const help = await page.evaluate(() => [...document.querySelectorAll('.help')].filter((p) => p.getClientRects().length)
    .map((p) => p.textContent.trim().slice(0, 5)).join());
  check(help === 'Keys:', 'the help shows the keys', help);
  await page.click('#share');  // a notice and the link box
  problems = await panelProblems(page);
  check(!problems, 'at 1280 x 800 with a notice the help is not cut off', problems);

  // A link pasted into the tab while PLIM plays is taken as a link: PLIM
  // starts again with its song.
  const noticeSays = (pattern) => page.waitForFunction((text) => new RegExp(text).test(document.getElementById('notice').textContent),
                                                       {timeout: WAIT_MS}, pattern).then(() => true, () => false);
  const linked = songBytes([[5, 5]], {pace: 140});
  await page.evaluate((code) => { window.beforeTheLink = true; location.hash = `#song=${code}`; }, linked.toString('base64url'));
  await page.waitForFunction(() => !window.beforeTheLink && /^Press any button/.test(document.getElementById('cover-text').textContent),
                             {timeout: WAIT_MS});
  check(await storageHolds(page, linked) && page.dialogs.length === 1,
        'a link pasted into the tab while PLIM plays asks, then PLIM starts again with its song', page.dialogs.join(' | '));
  // Before the start: a bad link is refused, and a good one after it is
  // taken with a notice of its own.
  await page.evaluate(() => { location.hash = '#song=bm90IGEgc29uZw'; });
  const refused = await noticeSays('ignored');
  const another = songBytes([[6, 6]], {pace: 100});
  await page.evaluate((code) => { location.hash = `#song=${code}`; }, another.toString('base64url'));
  const taken = await noticeSays('^The song from the link is kept');
  check(refused && taken && await storageHolds(page, another) && page.dialogs.length === 2,
        'pasted before the start, a bad link is refused and a good one after it is kept, the old notice gone',
        await page.$eval('#notice', (p) => p.textContent));
  check(page.errors.length === 0, 'nothing went wrong on the keyboard page', page.errors.join(' | '));
  await context.close();
}

// --- The page as an app ---------------------------------------------------------

// Runs in the page before its own scripts: every screen wake lock the page
// is given, in window.wakeLocks.
function recordWakeLocks() {
  window.wakeLocks = [];
  if (!navigator.wakeLock) return;
  const request = navigator.wakeLock.request.bind(navigator.wakeLock);
  navigator.wakeLock.request = (type) => request(type).then((lock) => {
    window.wakeLocks.push(lock);
    return lock;
  });
}

// What the site's service worker keeps: {cache name: its file names, sorted}.
function keptFiles(page) {
  return page.evaluate(async () => {
    const kept = {};
    for (const name of await caches.keys()) {
      const requests = await (await caches.open(name)).keys();
      kept[name] = requests.map((request) => new URL(request.url).pathname.split('/').pop()).sort();
    }
    return kept;
  });
}

// The manifest's maskable icons (Chromium's own check covers the others) are
// PNGs of the sizes it says, opaque to every edge, their logo (the white
// pixels) inside the middle circle, four fifths of the size across, that no
// shape a phone cuts them to may cross.  '' when they are.
function maskableIconFaults(pageDir) {
  const manifest = JSON.parse(fs.readFileSync(path.join(pageDir, 'manifest.webmanifest'), 'utf8'));
  const icons = manifest.icons.filter((icon) => icon.purpose === 'maskable');
  const faults = icons.map((icon) => {
    const {width, height, channels, pixels} = readPng(path.join(pageDir, icon.src));
    if (`${width}x${height}` !== icon.sizes || channels !== 4) return `${icon.src} is ${width}x${height}x${channels}`;
    let [clear, logo, outside] = [0, 0, 0];
    for (let at = 0; at < pixels.length; at += 4) {
      if (pixels[at + 3] !== 255) clear++;
      if (pixels[at] !== 255 || pixels[at + 1] !== 255 || pixels[at + 2] !== 255) continue;
      logo++;
      const [x, y] = [(at / 4) % width + 0.5 - width / 2, Math.floor(at / 4 / width) + 0.5 - height / 2];
      if (x * x + y * y > (0.4 * width) ** 2) outside++;
    }
    return clear || !logo || outside ? `${icon.src}: ${clear} pixels not opaque, ${logo} of the logo, ${outside} outside` : '';
  });
  return icons.length ? faults.filter(Boolean).join('; ') : 'no maskable icon';
}

// Installable, kept by its service worker, opened and started offline,
// #song= links offline, the screen kept on, a new build taking the old one's
// place; index.html alone from a host and from the file system.
async function appScenario(browser, site, aloneUrl, aloneDir) {
  const url = site.url;
  const picker = nativePicture('fresh', songBytes([]), 'picker');
  const files = fs.readdirSync(pageDir).filter((name) => name !== 'service_worker.js').sort();

  // The first visit to the site: the worker starts, keeps every file, and takes the page over.
  let page = await openPage(browser, url, {before: recordWakeLocks});
  await waitForStartStep(page);
  const worker = await page.waitForFunction(() => navigator.serviceWorker.controller !== null &&
                                            navigator.serviceWorker.controller.state === 'activated',
                                            {timeout: WAIT_MS}).then(() => '', (error) => String(error));
  check(!worker, 'after the first visit the service worker is active and serves the page', worker);
  const kept = await keptFiles(page);
  const keptNames = Object.keys(kept);
  check(keptNames.length === 1 && JSON.stringify(kept[keptNames[0]]) === JSON.stringify(files),
        'the worker keeps every file of the build, once', JSON.stringify(kept));

  await page.waitForSelector('link[rel=manifest]', {timeout: WAIT_MS});
  const devtools = await page.createCDPSession();
  const {installabilityErrors} = await devtools.send('Page.getInstallabilityErrors');
  check(installabilityErrors.length === 0, 'Chromium finds the page installable', JSON.stringify(installabilityErrors));
  const faults = maskableIconFaults(pageDir);
  check(!faults, 'the maskable icons are of the sizes the manifest says, and safe to cut', faults);

  // The network cut: a reload loads and starts the page, and the picker is drawn exactly.
  site.host.cut = true;
  await page.setOfflineMode(true);
  await page.reload();
  await waitForStartStep(page);
  await page.click('#cover');
  const offline = await showsPicture(page, picker);
  check(!offline, 'offline, a reload loads and starts the page, and the picker is drawn exactly as plim-shot draws it', offline);
  const held = await page.waitForFunction(() => window.wakeLocks.some((lock) => !lock.released), {timeout: WAIT_MS})
    .then(() => true, () => false);
  check(held, 'while PLIM runs the page holds a screen wake lock');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.getElementById('again').hidden, {timeout: WAIT_MS});
  check(await page.evaluate(() => window.wakeLocks.length > 0 && window.wakeLocks.every((lock) => lock.released)),
        'leaving lets the screen dim again');

  // A link, offline: its song is taken and played.
  const linked = songBytes([[5, 2], [6, 9], [0, 15]], {pace: 96, wobble: 1});
  await page.goto('about:blank');
  await page.goto(`${url}#song=${linked.toString('base64url')}`);
  await waitForStartStep(page);
  check(await storageHolds(page, linked) && await page.evaluate(() => location.hash) === '',
        'offline, a #song= link opens and keeps its song');

  // A new build on the site: the next visit online keeps its files in place
  // of the old ones, and the visit after shows it.
  site.host.cut = false;
  await page.setOfflineMode(false);
  const workerText = fs.readFileSync(path.join(pageDir, 'service_worker.js'), 'utf8');
  const nextWorker = workerText.replace(/^const BUILD = '(\w+)';$/m, "const BUILD = 'next$1';");
  const nextPage = fs.readFileSync(path.join(pageDir, 'index.html'), 'utf8').replace('<title>PLIM</title>', '<title>PLIM next</title>');
  if (nextWorker === workerText || !nextPage.includes('PLIM next')) throw new Error('no new build made of the page');
  site.host.files.set('/service_worker.js', nextWorker);
  site.host.files.set('/index.html', nextPage);
  await page.goto('about:blank');
  await page.goto(url);
  const replaced = await eventually(async () => {
    // Only the names, until the old build's cache is gone: opening it would make it anew.
    const names = await page.evaluate(() => caches.keys());
    if (names.length !== 1 || !/ next\w+$/.test(names[0])) {
      const workers = await page.evaluate(async () => {
        const registration = await navigator.serviceWorker.getRegistration();
        return ['installing', 'waiting', 'active'].map((k) => `${k} ${registration[k] && registration[k].state}`).join(', ');
      });
      return `kept: ${names.join(', ')}; workers: ${workers}`;
    }
    const now = await keptFiles(page);
    const title = await page.evaluate(async (name) => {
      const response = await (await caches.open(name)).match('index.html');
      return response ? /<title>(.*?)<\/title>/.exec(await response.text())[1] : 'none';
    }, names[0]);
    return title === 'PLIM next' && JSON.stringify(now[names[0]]) === JSON.stringify(files) ? '' : `kept index.html: ${title}`;
  }, WAIT_MS);
  check(!replaced, 'a new build replaces the kept files on the next visit online, the old ones deleted', replaced);
  site.host.cut = true;
  await page.setOfflineMode(true);
  await page.reload();
  await waitForStartStep(page);
  check(await page.title() === 'PLIM next', 'the visit after, offline, opens the new build', await page.title());
  check(page.errors.length === 0, 'nothing went wrong on the app\'s pages', page.errors.join(' | '));
  await page.close();

  // index.html alone on a host: a plain page, no worker, no manifest, nothing said.
  page = await openPage(browser, aloneUrl);
  await waitForStartStep(page);
  await new Promise((resolve) => setTimeout(resolve, 1000));  // the worker's registration fails meanwhile
  const plain = await page.evaluate(async () => ({
    worker: (await navigator.serviceWorker.getRegistrations()).length,
    manifest: document.querySelectorAll('link[rel=manifest]').length,
    notice: document.getElementById('notice').textContent,
  }));
  check(plain.worker === 0 && plain.manifest === 0 && plain.notice === '' && page.errors.length === 0,
        'index.html alone on a host is a plain page and says nothing of a worker', JSON.stringify(plain));
  await page.close();

  // index.html alone in a folder of the file system: it starts and draws the picker exactly.
  page = await openPage(browser, `file://${path.join(aloneDir, 'index.html')}`);
  await waitForStartStep(page);
  await page.click('#cover');
  const fromFile = await showsPicture(page, picker);
  check(!fromFile && page.errors.length === 0, 'index.html alone from the file system draws the picker exactly', fromFile || page.errors.join(' | '));
  await page.close();
}

main()
  .catch((error) => {
    failed++;
    console.log(`FAILED: ${error.stack || error}`);
  })
  .finally(() => {
    fs.rmSync(work, {recursive: true, force: true});
    console.log(`web page: ${passed} passed, ${failed} failed`);
    process.exitCode = failed === 0 ? 0 : 1;
  });
