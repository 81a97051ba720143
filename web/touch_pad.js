// The pad on the page for players without one: fourteen buttons played by
// touch (each finger its own press) or the mouse, through Pointer Events,
// handed to the program as its touch pad's presses and releases
// (plim_touch_pad), which it plays as a real pad's.  Also the page's layout
// around the canvas, with or without this pad, and which help the panel
// shows: for touch, keys or a pad, whichever was used last.  Runs after
// page.js, in the same scope.

// --- The buttons ------------------------------------------------------------------

// Sizes in CSS pixels: every button is at least 44 x 44.
var PAD_UNIT = 48;                           // a D-pad or face button
var PAD_EDGE = 8;                            // around each half
var PAD_HALF_W = 3 * PAD_UNIT + 2 * PAD_EDGE;  // 160
var PAD_HALF_H = 5 * PAD_UNIT + 4 * PAD_EDGE;  // 272: shoulders, three rows, SELECT or START

// Pad button number, label, half (0 left, 1 right) and place in it.
var PAD_BUTTONS = [
  [6, 'L2', 0, 8, 8, 70, 48],
  [4, 'L1', 0, 82, 8, 70, 48],
  [8, '\u25b2', 0, 56, 64, 48, 48],
  [10, '\u25c0', 0, 8, 112, 48, 48],
  [11, '\u25b6', 0, 104, 112, 48, 48],
  [9, '\u25bc', 0, 56, 160, 48, 48],
  [12, 'SELECT', 0, 8, 216, 92, 48],
  [5, 'R1', 1, 8, 8, 70, 48],
  [7, 'R2', 1, 82, 8, 70, 48],
  [2, 'X', 1, 56, 64, 48, 48],
  [3, 'Y', 1, 8, 112, 48, 48],
  [1, 'A', 1, 104, 112, 48, 48],
  [0, 'B', 1, 56, 160, 48, 48],
  [13, 'START', 1, 56, 216, 96, 48],
];

var touchPad = {
  halves: [],      // the two halves' elements, left first
  buttons: {},     // pad button number -> element
  fingers: {},     // pointer id -> the pad button it holds, or -1
  holding: [],     // pad button number -> how many pointers hold it
  shown: true,     // false while a real pad is being played
  compact: false,  // the panel is folded behind its button (phone landscape)
};

function buildTouchPad() {
  for (var half = 0; half < 2; half++) {
    var box = document.createElement('div');
    box.className = 'pad-half';
    box.style.width = PAD_HALF_W + 'px';
    box.style.height = PAD_HALF_H + 'px';
    document.body.appendChild(box);
    touchPad.halves.push(box);
  }
  PAD_BUTTONS.forEach(function (row) {
    var button = document.createElement('div');
    button.className = 'pad-button';
    button.setAttribute('data-pad-button', String(row[0]));
    button.setAttribute('role', 'button');
    button.textContent = row[1];
    button.style.left = row[3] + 'px';
    button.style.top = row[4] + 'px';
    button.style.width = row[5] + 'px';
    button.style.height = row[6] + 'px';
    touchPad.halves[row[2]].appendChild(button);
    touchPad.buttons[row[0]] = button;
    touchPad.holding[row[0]] = 0;
  });
  // Beside SELECT, where the panel is folded: the button that opens it.
  var open = document.createElement('button');
  open.id = 'panel-open';
  open.textContent = '\u2630';
  open.setAttribute('aria-label', 'Song and help');
  open.style.left = '106px';
  open.style.top = (PAD_HALF_H - PAD_EDGE - PAD_UNIT) + 'px';
  touchPad.halves[0].appendChild(open);
}

// --- Fingers and the mouse ---------------------------------------------------------

function holdButton(n, down) {
  var before = touchPad.holding[n];
  touchPad.holding[n] = Math.max(0, before + (down ? 1 : -1));
  var now = touchPad.holding[n];
  if ((before === 0) === (now === 0)) return;  // a second finger on a held button
  touchPad.buttons[n].classList.toggle('pressed', now > 0);
  if (page.started && !page.ended) Module['_plim_touch_pad'](n, now > 0 ? 1 : 0);
}

// The pad button under a point, or -1.
function padButtonAt(x, y) {
  var under = document.elementFromPoint(x, y);
  var button = under && under.closest ? under.closest('[data-pad-button]') : null;
  return button ? Number(button.getAttribute('data-pad-button')) : -1;
}

// A pointer now on button n (-1: on none): what it held is let go first, so
// a finger sliding from one direction onto the next moves on.
function pointerOn(id, n) {
  var held = id in touchPad.fingers ? touchPad.fingers[id] : -1;
  if (held === n) return;
  if (held >= 0) holdButton(held, false);
  touchPad.fingers[id] = n;
  if (n >= 0) holdButton(n, true);
}

function pointerGone(event) {
  if (!(event.pointerId in touchPad.fingers)) return;
  pointerOn(event.pointerId, -1);
  delete touchPad.fingers[event.pointerId];
}

function letGoOfAll() {
  Object.keys(touchPad.fingers).forEach(function (id) { pointerGone({pointerId: id}); });
}

function listenToPointers() {
  touchPad.halves.forEach(function (half) {
    half.addEventListener('pointerdown', function (event) {
      event.preventDefault();
      if (!page.started) {
        start();  // the first tap is the start step, and only that
        touchPad.fingers[event.pointerId] = -1;
        return;
      }
      pointerOn(event.pointerId, padButtonAt(event.clientX, event.clientY));
    });
    half.addEventListener('contextmenu', function (event) { event.preventDefault(); });
  });
  // The button under the finger is looked up at every move, whichever
  // element the browser sends a touch's events to.
  document.addEventListener('pointermove', function (event) {
    if (event.pointerId in touchPad.fingers) pointerOn(event.pointerId, padButtonAt(event.clientX, event.clientY));
  });
  ['pointerup', 'pointercancel'].forEach(function (type) { document.addEventListener(type, pointerGone); });
  document.documentElement.addEventListener('pointerleave', pointerGone);
  window.addEventListener('blur', letGoOfAll);
  document.addEventListener('visibilitychange', letGoOfAll);
}

// --- Which input is in use ---------------------------------------------------------

function isTouchScreen() {
  return navigator.maxTouchPoints > 0 || window.matchMedia('(pointer: coarse)').matches;
}

// The help shown is the one for what was used last: 'touch', 'keys' or 'pad'.
function inputUsed(kind) {
  if (document.body.getAttribute('data-input') !== kind) document.body.setAttribute('data-input', kind);
}

function showTouchPad(shown) {
  if (touchPad.shown === shown) return;
  touchPad.shown = shown;
  if (!shown) letGoOfAll();
  layOut();
}

// A real pad being played hides the touch pad; a touch brings it back.
function watchRealPads() {
  setInterval(function () {
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    for (var i = 0; i < pads.length; i++) {
      var pad = pads[i];
      if (!pad) continue;
      var played = pad.buttons.some(function (button) { return button.pressed; }) ||
        pad.axes.some(function (axis) { return Math.abs(axis) > 0.5; });
      if (played) {
        inputUsed('pad');
        showTouchPad(false);
        return;
      }
    }
  }, 100);
  document.addEventListener('pointerdown', function (event) {
    if (event.pointerType === 'touch') {
      inputUsed('touch');
      showTouchPad(true);
    } else if (event.target.closest && event.target.closest('[data-pad-button]')) {
      inputUsed('touch');
    }
  }, true);
  window.addEventListener('keydown', function () { inputUsed('keys'); }, true);
}

// --- The layout ----------------------------------------------------------------------

var PANEL_MIN_W = 240;  // the panel beside the canvas is never narrower
var PANEL_MAX_W = 400;
var SMALL_SCREEN = 500;  // a phone: its shorter side is below this

function place(box, x, y, w, h) {
  box.style.left = Math.round(x) + 'px';
  box.style.top = Math.round(y) + 'px';
  if (w !== undefined) box.style.width = Math.floor(w) + 'px';
  box.style.height = h === undefined ? '' : Math.floor(h) + 'px';
}

// Lays the canvas, the pad's halves and the panel out in the window: the
// canvas as large as the space allows at 4:3, nothing overlapping.
// Portrait: canvas at the top, the pad below, the panel under it.
// Landscape: the canvas between the pad's halves, the panel beside when it
// leaves the canvas at least 70% of its width, else (phones) folded
// behind a button.  Without the pad the panel goes beside or below.
function layOut() {
  var width = window.innerWidth;
  var height = window.innerHeight;
  var stage = element('stage');
  var panel = element('panel');
  var pad = touchPad.shown;
  var small = Math.min(width, height) < SMALL_SCREEN;
  document.body.classList.toggle('small-screen', small);
  document.body.classList.toggle('touch-pad-shown', pad);
  touchPad.halves.forEach(function (half) { half.hidden = !pad; });
  var compact = false;
  var canvasW;
  var panelBox;  // [x, y, w, h], h undefined for as tall as it is
  if (width < height) {
    var below = pad ? PAD_HALF_H : 0;
    canvasW = Math.min(width, Math.max(0, height - below - (pad ? 180 : 0)) * 4 / 3);
    var canvasH = canvasW * 3 / 4;
    place(stage, (width - canvasW) / 2, 0, canvasW, canvasH);
    if (pad) {
      place(touchPad.halves[0], 0, canvasH);
      place(touchPad.halves[1], width - PAD_HALF_W, canvasH);
    }
    panelBox = [0, canvasH + below, width, pad ? height - canvasH - below : undefined];
  } else {
    var sides = pad ? 2 * PAD_HALF_W : 0;
    var full = Math.min(width - sides, height * 4 / 3);
    var panelW = Math.min(PANEL_MAX_W, Math.max(PANEL_MIN_W, width - sides - full));
    var beside = Math.min(width - sides - panelW, height * 4 / 3);
    var panelX;
    if (beside >= 0.7 * full) {
      canvasW = beside;
      panelX = width - panelW;
      panelBox = [panelX, 0, panelW, height];
    } else {
      canvasW = full;
      panelX = width;
      compact = pad;
      panelBox = compact ? [0, 0, width, height] : [0, canvasW * 3 / 4, width, undefined];
    }
    var room = panelX - sides;  // between the halves
    place(stage, (pad ? PAD_HALF_W : 0) + (room - canvasW) / 2, (height - canvasW * 3 / 4) / 2,
          canvasW, canvasW * 3 / 4);
    if (pad) {
      place(touchPad.halves[0], 0, (height - PAD_HALF_H) / 2);
      place(touchPad.halves[1], panelX - PAD_HALF_W, (height - PAD_HALF_H) / 2);
    }
  }
  touchPad.compact = compact;
  document.body.classList.toggle('panel-folded', compact);
  if (!compact) document.body.classList.remove('panel-open');
  place(panel, panelBox[0], panelBox[1], panelBox[2], panelBox[3]);
}

function setUpTouchPad() {
  buildTouchPad();
  listenToPointers();
  watchRealPads();
  inputUsed(isTouchScreen() ? 'touch' : 'keys');
  // The folded panel opens over the page and closes again.
  element('panel-open').addEventListener('click', function () { document.body.classList.add('panel-open'); });
  element('panel-close').addEventListener('click', function () { document.body.classList.remove('panel-open'); });
  window.addEventListener('resize', layOut);
  layOut();
}

setUpTouchPad();
