// The service worker of meltsim's page: it keeps every file of the site, so
// that the page works without a network once it has been loaded. A new build
// has a new cache name (the files' list changes) and replaces the old cache.
const CACHE = 'meltsim-__VERSION__';
const FILES = __FILES__;

self.addEventListener('install', (event) => {
  event.waitUntil(
    caches
      .open(CACHE)
      .then((cache) => cache.addAll(FILES))
      .then(() => self.skipWaiting()),
  );
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) => Promise.all(names.filter((n) => n.startsWith('meltsim-') && n !== CACHE).map((n) => caches.delete(n))))
      .then(() => self.clients.claim()),
  );
});

// The site's files from the cache; the page itself with or without its query.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(
    caches
      .match(request, { ignoreSearch: request.mode === 'navigate' })
      .then((cached) => cached || fetch(request)),
  );
});
