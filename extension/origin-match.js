// Which pages may use the extension: the content script's "matches" in manifest.json, read
// with the browser's own match-pattern rules, plus one rule of ours: a page must be served
// over https, except on this machine (http://localhost and http://127.0.0.1) for development.
//
// The browser injects the bridge by the same patterns, so the two agree on:
//   - the scheme "*" means http and https;
//   - host names compare without regard to letter case; "*" is every host, "*.example.com"
//     is example.com and every name under it;
//   - a pattern without a port (or with ":*") matches every port; a pattern with a port
//     matches that port only (the scheme's default port counts as written);
//   - the path is a glob over the URL's path and query, "*" standing for any text.
//
// A plain script without imports: the background loads it with importScripts() in Chromium
// and as an earlier background script in Firefox; the tests load it into node.
"use strict";

const NORVA_DEV_HOSTS = ["localhost", "127.0.0.1"];

const norvaPatternSyntax = /^(\*|https?):\/\/(\*|(?:\*\.)?[^/:*]+)(?::(\*|\d+))?(\/.*)$/;

// The pattern's parts, or null for a pattern this extension never honours (other schemes,
// "<all_urls>", malformed text).
function norvaParsePattern(pattern) {
  const match = norvaPatternSyntax.exec(String(pattern));
  if (!match) {
    return null;
  }
  const [, scheme, host, port, path] = match;
  return { scheme, host: host.toLowerCase(), port: port ?? "*", path };
}

function norvaGlob(glob) {
  const escaped = glob.split("*").map((part) => part.replace(/[.+?^${}()|[\]\\]/g, "\\$&"));
  return new RegExp(`^${escaped.join(".*")}$`, "s");
}

function norvaPortOf(url) {
  return url.port !== "" ? url.port : url.protocol === "https:" ? "443" : "80";
}

// Whether the browser would inject a content script with this pattern into the page at url.
function norvaPatternMatches(pattern, url) {
  const parts = norvaParsePattern(pattern);
  if (!parts) {
    return false;
  }
  const scheme = url.protocol.slice(0, -1);
  if (parts.scheme === "*" ? !["http", "https"].includes(scheme) : parts.scheme !== scheme) {
    return false;
  }
  const hostname = url.hostname.toLowerCase();
  if (parts.host.startsWith("*.")) {
    const base = parts.host.slice(2);
    if (hostname !== base && !hostname.endsWith("." + base)) {
      return false;
    }
  } else if (parts.host !== "*" && parts.host !== hostname) {
    return false;
  }
  if (parts.port !== "*" && parts.port !== norvaPortOf(url)) {
    return false;
  }
  return norvaGlob(parts.path).test(url.pathname + url.search);
}

// Secure, or on this machine.
function norvaSecureOrigin(url) {
  return url.protocol === "https:" ||
    (url.protocol === "http:" && NORVA_DEV_HOSTS.includes(url.hostname.toLowerCase()));
}

// The verdict for a page: null when it may use the extension, else the reason in words.
function norvaPageRefusal(patterns, pageUrl) {
  let url;
  try {
    url = new URL(pageUrl);
  } catch {
    return "the page has no URL";
  }
  if (!patterns.some((pattern) => norvaPatternMatches(pattern, url))) {
    return `the site ${url.origin} is not on the extension's allow-list`;
  }
  if (!norvaSecureOrigin(url)) {
    return `the site ${url.origin} is not served over https`;
  }
  return null;
}
