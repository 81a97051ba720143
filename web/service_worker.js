// The page's service worker: keeps every file of one build in the browser,
// so that after one visit PLIM opens, starts and plays with no network.
//
// scripts/build-web.sh writes a copy beside index.html with the build's name
// (a hash of its files) and the list of its files in place of the two marks
// below.  A new build is thus a new worker: the browser sees it on the next
// visit online, the worker keeps the new files, takes over the pages, and
// deletes what the older builds kept.
'use strict';

const BUILD = '@BUILD@';
const FILES = '@FILES@'.split(' ');

// Kept per folder: two builds hosted side by side on one site keep their own.
const KEPT_PREFIX = `plim ${self.registration.scope} `;
const KEPT = KEPT_PREFIX + BUILD;

// Every file fetched anew (not from the browser's HTTP cache), all or none:
// a build that cannot be kept whole leaves nothing, and is tried again on the
// next visit.
async function keepFiles() {
  const cache = await caches.open(KEPT);
  await Promise.all(FILES.map(async (name) => {
    const response = await fetch(name, {cache: 'reload'});
    if (!response.ok) throw new Error(`${name}: ${response.status}`);
    // A host that answers index.html with a redirect (to its folder, say):
    // a page may not be answered with a redirected response, so keep its body.
    const plain = response.redirected
      ? new Response(await response.blob(), {status: 200, headers: response.headers})
      : response;
    await cache.put(name, plain);
  })).catch(async (error) => {
    await caches.delete(KEPT);
    throw error;
  });
}

self.addEventListener('install', (event) => {
  event.waitUntil(keepFiles().then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(KEPT_PREFIX) && name !== KEPT) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

// A kept file answers; anything else goes to the network.  The page's own
// address answers with index.html, also as its folder (start address,
// query and #song= links: the part after # never reaches the worker).
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') return;
  const url = new URL(request.url);
  if (request.mode === 'navigate' && url.href.split('?')[0] === self.registration.scope) {
    url.pathname += 'index.html';
  }
  event.respondWith((async () => {
    const kept = await caches.match(url.href, {cacheName: KEPT, ignoreSearch: true});
    return kept || fetch(request);
  })());
});
