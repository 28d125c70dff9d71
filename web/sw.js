// SPDX-License-Identifier: MIT
// The site offline. Installed on the first visit, it keeps the whole site in
// a cache named by the build (site.cmake writes the hash of the site's files
// in here), so a rebuilt site is a new worker that fills a cache of its own
// and drops the old one. While the server answers, the site comes from it,
// checked afresh, and a rebuilt page shows on the very next visit; when it
// does not, from the cache.
"use strict";

const PREFIX = "pelko " + self.registration.scope + " ";
const CACHE = PREFIX + "@SITE_HASH@";
const SITE = "@SITE_FILES@".split(" ");

self.addEventListener("install", function (event) {
  event.waitUntil(caches.open(CACHE)
    .then(function (cache) {
      return cache.addAll(SITE.map(function (file) { return new Request(file, { cache: "no-cache" }); }));
    })
    .then(function () { return self.skipWaiting(); }));
});

self.addEventListener("activate", function (event) {
  event.waitUntil(caches.keys()
    .then(function (names) {
      return Promise.all(names.filter(function (name) {
        return name.startsWith(PREFIX) && name !== CACHE;
      }).map(function (name) { return caches.delete(name); }));
    })
    .then(function () { return self.clients.claim(); }));
});

self.addEventListener("fetch", function (event) {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(fetch(request, { cache: "no-cache" }).catch(function () {
    return caches.open(CACHE)
      .then(function (cache) { return cache.match(request, { ignoreSearch: true }); })
      .then(function (response) { return response || Response.error(); });
  }));
});
