// The page around the program: the start step, the song kept in the
// browser's storage (IndexedDB, mounted at /songs), songs from links and
// files, and the buttons beside the canvas.  Runs before the program's own
// code is set up; the program starts only when the player presses or clicks.

var SONG_DIR = '/songs';
var SONG_NAME = '';  // the song file's name, as the program names it once loaded
var SONG_PATH = '';  // SONG_DIR + '/' + SONG_NAME
var WAV_PATH = '/tmp/plim.wav';
var LINK_PREFIX = '#song=';

var page = {
  ready: false,     // the program is loaded and the song chosen
  started: false,   // main() has run: frames are going
  ended: false,     // the player left
  replaced: false,  // a song from a file took the program's place: nothing more is saved
  syncing: false,   // a copy into IndexedDB is under way
  syncAgain: [],    // what waits for the next copy: its callbacks
};

function element(id) { return document.getElementById(id); }

function notice(text) { element('notice').textContent = text; }

Module['canvas'] = element('canvas');
Module['printErr'] = function (text) { console.warn(text); };

// --- The song in the browser's storage ----------------------------------------

function isSong(bytes) { return bytes !== null && Module['_plim_is_song_size'](bytes.length) === 1; }

// The kept song's bytes, or null when none is kept (or what is kept is no song).
function keptSong() {
  try {
    var bytes = FS.readFile(SONG_PATH);
    return isSong(bytes) ? bytes : null;
  } catch (error) {
    return null;
  }
}

function sameBytes(a, b) {
  if (a.length !== b.length) return false;
  for (var i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
  return true;
}

// Copies /songs into IndexedDB, then calls done.  Copies asked for while one
// runs are made once, after it.
function keepSongs(done) {
  if (page.syncing) {
    page.syncAgain.push(done || null);
    return;
  }
  page.syncing = true;
  FS.syncfs(false, function (error) {
    page.syncing = false;
    if (error) notice('This browser would not keep the song: ' + error + '.');
    if (done) done();
    if (page.syncAgain.length) {
      var waiting = page.syncAgain;
      page.syncAgain = [];
      keepSongs(function () { waiting.forEach(function (then) { if (then) then(); }); });
    }
  });
}

// The program has written its song file: on to lasting storage.
Module['onSongWritten'] = function () { keepSongs(); };

// Asks the program to write the song now (a change not yet saved included);
// before it runs, or after it ended, the kept file is already the song.
function saveNow() {
  if (page.started && !page.ended && !page.replaced) Module['_plim_save_song']();
}

// A page being hidden may be closed before a copy into IndexedDB is done
// (each step of one waits for the next turn): the song also goes, at once,
// into the page's synchronous storage, with the time it was saved.  The next
// visit takes it if it is newer than what IndexedDB kept.
var LEAVING_KEY = 'plim.song.leaving';

function saveOnTheWayOut() {
  if (!page.started || page.replaced) return;
  saveNow();  // after leaving, the song is saved already
  try {
    var leaving = {time: FS.stat(SONG_PATH).mtime.getTime(), song: toBase64Url(FS.readFile(SONG_PATH))};
    localStorage.setItem(LEAVING_KEY, JSON.stringify(leaving));
  } catch (error) {
    // no such storage here: the copy into IndexedDB is all there is
  }
}

function takeSongLeftBehind() {
  try {
    var leaving = JSON.parse(localStorage.getItem(LEAVING_KEY));
    if (!leaving) return;
    var kept = FS.analyzePath(SONG_PATH).exists ? FS.stat(SONG_PATH).mtime.getTime() : -1;
    var bytes = fromBase64Url(leaving.song);
    if (leaving.time > kept && isSong(bytes)) FS.writeFile(SONG_PATH, bytes);
    keepSongs(function () { localStorage.removeItem(LEAVING_KEY); });
  } catch (error) {
    // nothing usable was left behind
  }
}

// Hiding or closing the page saves, as quitting does on the desktop.
document.addEventListener('visibilitychange', function () {
  if (document.visibilityState === 'hidden') saveOnTheWayOut();
});
window.addEventListener('pagehide', saveOnTheWayOut);

Module['preRun'] = [function () {
  FS.mkdir(SONG_DIR);
  FS.mount(IDBFS, {}, SONG_DIR);
  addRunDependency('songs');
  FS.syncfs(true, function (error) {
    if (error) notice('This browser keeps no songs for this page (' + error + '): songs last until it is closed.');
    removeRunDependency('songs');
  });
}];

// --- Songs from links and files -------------------------------------------------

function toBase64Url(bytes) {
  var text = '';
  for (var i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
  return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// The bytes of base64url text without padding, or null when it is not that.
function fromBase64Url(code) {
  if (!/^[A-Za-z0-9_-]*$/.test(code) || code.length % 4 === 1) return null;
  var padded = code.replace(/-/g, '+').replace(/_/g, '/') + '==='.slice(0, (4 - code.length % 4) % 4);
  try {
    var text = atob(padded);
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
    return bytes;
  } catch (error) {
    return null;
  }
}

function songLink(bytes) {
  return location.href.split('#')[0] + LINK_PREFIX + toBase64Url(bytes);
}

// Puts a song from a link or a file in storage, asking first when a
// different song is kept there: 'same' (it is the kept song already),
// 'taken' or 'declined'.
function offerSong(bytes, from) {
  var kept = keptSong();
  if (kept && sameBytes(kept, bytes)) return 'same';
  if (kept && !confirm('Replace the song kept in this browser with the song from ' + from +
                       '? The kept song is lost unless you saved it (Save song).')) return 'declined';
  FS.writeFile(SONG_PATH, bytes);
  return 'taken';
}

// A #song= link opens its song; the address is then made plain again, so
// that starting again or reloading keeps whatever the player made since.
// Returns what offerSong said, or 'none' (no song in the address); a song
// taken is kept, then done is called.
function takeLinkedSong(done) {
  var hash = location.hash;
  if (hash.indexOf(LINK_PREFIX) !== 0) return 'none';
  history.replaceState(null, '', location.href.split('#')[0]);
  var bytes = fromBase64Url(hash.slice(LINK_PREFIX.length));
  if (!isSong(bytes)) {
    notice('The link holds no PLIM song; it was ignored.');
    return 'none';
  }
  var offered = offerSong(bytes, 'the link');
  if (offered === 'taken') keepSongs(done);
  return offered;
}

// A link pasted into this tab while it shows PLIM is taken as on opening it;
// a PLIM that runs, or ran, starts again with the link's song.
window.addEventListener('hashchange', function () {
  if (!page.ready || location.hash.indexOf(LINK_PREFIX) !== 0) return;
  notice('');  // what was said of an earlier link no longer holds
  saveNow();
  var running = page.started && !page.ended;
  if (running) Browser.mainLoop.pause();  // nothing may save over the new song
  var restart = page.started;
  var offered = takeLinkedSong(function () {
    if (restart) location.reload();
    else notice('The song from the link is kept: start to play it.');
  });
  if (offered === 'taken') page.replaced = running;
  else if (running) Browser.mainLoop.resume();
});

// --- Starting, leaving ----------------------------------------------------------

function showCover(text, again) {
  element('cover-text').textContent = text;
  element('again').hidden = !again;
  element('cover').hidden = false;
}

function start() {
  if (!page.ready || page.started) return;
  page.started = true;
  element('cover').hidden = true;
  element('canvas').focus();
  Module['callMain'](['--keys', SONG_DIR]);  // no pad needed: keys play the grid
  keepScreenOn();
  // A pad press is not a gesture that lets a page play sound; a click or key is.
  setTimeout(function () {
    var audio = Module['SDL2'] && Module['SDL2'].audioContext;
    if (audio && audio.state !== 'running' && !page.ended)
      notice('Click the page or press a key to let the browser play the sound.');
  }, 1000);
}

// The start step: any pad button, key, click or tap starts (the browser lets
// a page play sound only after such a gesture).
function awaitStart() {
  page.ready = true;
  showCover(isTouchScreen() ? 'Tap to start' : 'Press any button or click to start', false);
  element('cover').addEventListener('click', start);
  window.addEventListener('keydown', function () { start(); });
  var watch = setInterval(function () {
    if (page.started) return clearInterval(watch);
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    for (var i = 0; i < pads.length; i++) {
      var pad = pads[i];
      if (pad && pad.buttons.some(function (button) { return button.pressed; })) return start();
    }
  }, 50);
}

Module['onLeave'] = function () {
  page.ended = true;
  letScreenDim();
  showCover('PLIM has ended. Your song is kept in this browser.', true);
};

element('again').addEventListener('click', function () { location.reload(); });

Module['onRuntimeInitialized'] = function () {
  if (window.plimMissing.length) return;
  SONG_NAME = Module['ccall']('plim_song_file_name', 'string', [], []);
  SONG_PATH = SONG_DIR + '/' + SONG_NAME;
  takeSongLeftBehind();
  takeLinkedSong();
  awaitStart();
};

// --- The buttons beside the canvas --------------------------------------------

function download(bytes, name) {
  var url = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
  var anchor = document.createElement('a');
  anchor.href = url;
  anchor.download = name;
  document.body.appendChild(anchor);
  anchor.click();
  anchor.remove();
  setTimeout(function () { URL.revokeObjectURL(url); }, 60000);
}

// The current song's file, saved first; null (with a notice) when there is none.
function currentSong() {
  if (!page.ready) return null;
  saveNow();
  var bytes = keptSong();
  if (!bytes) notice('There is no song yet: start PLIM and light a cell.');
  return bytes;
}

function onButton(id, action) {
  element(id).addEventListener('click', function (event) {
    event.currentTarget.blur();  // Space and Return go to the program, not the button
    action();
  });
}

onButton('share', function () {
  var bytes = currentSong();
  if (!bytes) return;
  var link = songLink(bytes);
  var box = element('link');
  box.value = link;
  box.hidden = false;
  var copied = navigator.clipboard ? navigator.clipboard.writeText(link) : Promise.reject();
  copied.then(function () { notice('The link to this song is on the clipboard.'); },
              function () { notice('Copy the link to this song from the box below.'); });
});

onButton('save', function () {
  var bytes = currentSong();
  if (bytes) download(bytes, SONG_NAME);
});

onButton('wav', function () {
  if (!currentSong()) return;
  notice('Rendering plim.wav\u2026');
  setTimeout(function () {  // lets the notice show before the page is busy
    if (Module['ccall']('plim_export_wav', 'number', ['string', 'string'], [SONG_DIR, WAV_PATH]) !== 1) {
      notice('The song could not be rendered.');
      return;
    }
    var wav = FS.readFile(WAV_PATH);
    FS.unlink(WAV_PATH);
    download(wav, 'plim.wav');
    notice('plim.wav: four passes of the song and its tail.');
  }, 30);
});

onButton('open', function () { if (page.ready) element('file').click(); });

element('file').addEventListener('change', function (event) {
  var file = event.target.files[0];
  event.target.value = '';
  if (!file) return;
  file.arrayBuffer().then(function (buffer) {
    var bytes = new Uint8Array(buffer);
    if (!isSong(bytes)) {
      notice(file.name + ' is no PLIM song; it was ignored.');
      return;
    }
    saveNow();
    var running = page.started && !page.ended;
    if (running) Browser.mainLoop.pause();  // nothing may save over the new song
    var offered = offerSong(bytes, file.name);
    if (offered !== 'taken') {
      if (running) Browser.mainLoop.resume();
      if (offered === 'same') notice(file.name + ' is the song already.');
      return;
    }
    // The program loads its song as it starts: it starts again, with this one.
    page.replaced = running;
    keepSongs(function () {
      if (running || page.ended) location.reload();
      else notice(file.name + ' is the song now.');
    });
  });
});

// --- The page as an app: kept for offline play, installable, screen awake -------

// Served over http(s) with its build's other files beside it, the page has
// its service worker (service_worker.js) keep them all in the browser, so
// that it opens and plays offline, and links its manifest, which lets the
// browser install it.  Alone (opened as a file, or copied somewhere by
// itself) there is no worker to register and the page stays a plain page,
// saying nothing about it.
function becomeApp() {
  if (!/^https?:$/.test(location.protocol) || !('serviceWorker' in navigator)) return;
  navigator.serviceWorker.register('service_worker.js', {updateViaCache: 'none'}).then(function () {
    var manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = 'manifest.webmanifest';
    document.head.appendChild(manifest);
  }, function () {
    // no worker here: a plain page
  });
}

becomeApp();

// The screen stays lit while PLIM runs and the page is shown (the browser
// lets go of the lock whenever the page is hidden: it is asked for again as
// the page comes back).  Where the browser has no wake lock, or refuses one,
// the screen dims as it would.
var awake = {lock: null, asking: false};

function keepScreenOn() {
  if (!navigator.wakeLock || awake.lock || awake.asking || !page.started || page.ended ||
      document.visibilityState !== 'visible') return;
  awake.asking = true;
  navigator.wakeLock.request('screen').then(function (lock) {
    awake.asking = false;
    if (page.ended) return lock.release();
    awake.lock = lock;
    lock.addEventListener('release', function () { awake.lock = null; });
  }, function () {
    awake.asking = false;
  });
}

function letScreenDim() {
  if (awake.lock) awake.lock.release();
}

document.addEventListener('visibilitychange', keepScreenOn);
