// The service worker: the game played with the network off, one build at a
// time. web/makesite.py puts the build's files and their SHA-256 below, so
// that a new build is a new worker (the browser compares this file at every
// visit: that is the whole of a second visit's traffic).
//
// Installing, a worker keeps its build's files in a cache named after the
// build, each checked against its hash (a file of another build, fetched
// while the host was being updated, fails the install: the worker in place
// goes on). The sheets of the languages an earlier build kept come too; the
// page names the one it loaded itself (a first visit loads it before this
// worker exists). A new worker waits until the page it finds has started
// (so that a page never takes part of its files from one build and part
// from another); the page then lets it take over, and it forgets the older
// builds. Every file of the build is answered from its cache, fetched and
// checked first if it is not there yet.
"use strict";

var kSite = /* @FILES@ */;
var kCache = "zunk-" + kSite.build;
var kCachePrefix = "zunk-";

function isSheet(name) {
  return name.indexOf("sheets/") === 0;
}

// Kept at install: everything but the sheets and this worker.
var kCore = Object.keys(kSite.files).filter(function (name) {
  return !isSheet(name) && name !== "sw.js";
});

function urlOf(name) {
  return new URL(name, self.registration.scope).href;
}

// A URL's path within the site ("index.html" for the site's folder), or
// null for one outside it.
function pathOf(url) {
  var target = new URL(url), scope = new URL(self.registration.scope);
  if (target.origin !== scope.origin || target.pathname.indexOf(scope.pathname) !== 0) return null;
  try {
    return decodeURIComponent(target.pathname.slice(scope.pathname.length)) || "index.html";
  } catch (error) {
    return null;
  }
}

// The file of this build a request names, or null for anything else.
function nameOf(url) {
  var name = pathOf(url);
  return name !== null && name !== "sw.js" && Object.prototype.hasOwnProperty.call(kSite.files, name) ? name : null;
}

// The language of a sheet's file name ("sheets/zunk-fr.0123abcd.png": "fr").
function sheetLanguage(name) {
  var match = /^sheets\/zunk-([a-z_]+)\.[0-9a-f]+\.png$/.exec(name);
  return match ? match[1] : null;
}

function hex(buffer) {
  return Array.prototype.map.call(new Uint8Array(buffer), function (byte) {
    return (byte < 16 ? "0" : "") + byte.toString(16);
  }).join("");
}

// Fetches `name` past the browser's own cache (which may answer 304), checks
// it against the build's hash and keeps it; gives the answer kept.
function keep(cache, name) {
  return fetch(urlOf(name), { cache: "no-cache", credentials: "same-origin" }).then(function (response) {
    if (!response.ok) throw new Error(name + ": " + response.status);
    var type = response.headers.get("Content-Type") || "application/octet-stream";
    return response.arrayBuffer().then(function (body) {
      return crypto.subtle.digest("SHA-256", body).then(function (digest) {
        if (hex(digest) !== kSite.files[name]) throw new Error(name + " is another build's");
        var kept = new Response(body, { headers: { "Content-Type": type } });
        return cache.put(urlOf(name), kept.clone()).then(function () {
          return kept;
        });
      });
    });
  });
}

// The same, unless the cache has it already.
function keepOnce(cache, name) {
  return cache.match(urlOf(name)).then(function (kept) {
    return kept || keep(cache, name);
  });
}

// The sheets an earlier build kept, by language, as this build names them.
function sheetsKeptBefore() {
  var byLanguage = {};
  Object.keys(kSite.files).forEach(function (name) {
    var language = sheetLanguage(name);
    if (language) byLanguage[language] = name;
  });
  return caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf(kCachePrefix) === 0 && name !== kCache;
    }).map(function (name) {
      return caches.open(name).then(function (cache) {
        return cache.keys();
      }).then(function (requests) {
        return requests.map(function (request) {
          var language = sheetLanguage(pathOf(request.url) || "");
          return language && byLanguage[language];
        });
      });
    }));
  }).then(function (lists) {
    var wanted = {};
    lists.forEach(function (list) {
      list.forEach(function (name) {
        if (name) wanted[name] = true;
      });
    });
    return Object.keys(wanted);
  });
}

self.addEventListener("install", function (event) {
  event.waitUntil(caches.open(kCache).then(function (cache) {
    return sheetsKeptBefore().then(function (sheets) {
      return Promise.all(kCore.concat(sheets).map(function (name) {
        return keepOnce(cache, name);
      }));
    });
  }).catch(function (error) {
    // Half a build is no build: the next visit tries again.
    return caches.delete(kCache).then(function () {
      throw error;
    });
  }));
});

self.addEventListener("activate", function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf(kCachePrefix) === 0 && name !== kCache;
    }).map(function (name) {
      return caches.delete(name);
    }));
  }).then(function () {
    return self.clients.claim();
  }));
});

// From the page: "take-over" once it has started (a waiting worker then
// replaces the one in place), and the sheets it loaded, to keep; it hears
// back "kept" when they are.
self.addEventListener("message", function (event) {
  var message = event.data || {};
  if (message.type === "take-over") {
    event.waitUntil(self.skipWaiting());
  } else if (message.type === "keep") {
    var names = (message.names || []).filter(function (name) {
      return isSheet(name) && Object.prototype.hasOwnProperty.call(kSite.files, name);
    });
    var source = event.source;
    event.waitUntil(caches.open(kCache).then(function (cache) {
      return Promise.all(names.map(function (name) {
        return keepOnce(cache, name);
      }));
    }).then(function () {
      if (source) source.postMessage({ type: "kept", build: kSite.build });
    }, function () {
      // Not kept now: asked for again at the next visit.
    }));
  }
});

// A file that is not kept and cannot be (the host has another build, whose
// worker is on its way) comes from the network as it is, kept by no one.
self.addEventListener("fetch", function (event) {
  if (event.request.method !== "GET") return;
  var name = nameOf(event.request.url);
  if (!name) return;
  event.respondWith(caches.open(kCache).then(function (cache) {
    return keepOnce(cache, name);
  }).catch(function () {
    return fetch(event.request);
  }));
});
