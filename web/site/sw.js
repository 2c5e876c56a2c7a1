// Keeps the page's files so that it burns without a network. The network is
// asked first, so a new build reaches the page when it can; the kept copy
// answers when it cannot.
'use strict';
const Kept = 'emberdell-page';
// Only the build of the module this browser runs.
importScripts('emberdell-module.js');
const Files = ['./', 'index.html', 'page.css', 'page.js', 'emberdell-module.js', 'emberdell-render.js',
  'render-worker.js', self.emberdellModuleName + '.js', self.emberdellModuleName + '.wasm', 'manifest.webmanifest', 'icon-192.png', 'icon-512.png', 'styles/(Default)%20Wood.wyk', 'styles/Gas%20Flame.wyk',
  'styles/Windy%20Night.wyk'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(Kept).then((cache) => cache.addAll(Files)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(
    fetch(request)
      .then((response) => {
        if (response.ok) {
          const copy = response.clone();
          caches.open(Kept).then((cache) => cache.put(request, copy));
        }
        return response;
      })
      .catch(() => caches.match(request, { ignoreSearch: true }).then((kept) => kept || Response.error())),
  );
});
