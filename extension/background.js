// Relays one page request to NorvaHost and hands back its reply unchanged. The browser
// starts a host process for every sendNativeMessage, which is what the host expects: it
// serves exactly one request and exits.
//
// Runs as Chromium's service worker and as Firefox's background script (Firefox runs no
// extension service workers), so it is a plain script with no imports.
"use strict";

const api = globalThis.browser ?? globalThis.chrome;

const HOST_NAME = "com.norva.digitalid";

// The browser refuses host replies over 1 MB; requests are held to the same bound so a
// page cannot make the browser buffer an unbounded message for the host.
const MAX_REQUEST_BYTES = 1024 * 1024;

// The allow-list is the content script's "matches" in manifest.json: the bridge is only
// injected into those pages, and requests from any other sender are refused here too.
const allowedPatterns = api.runtime.getManifest().content_scripts.flatMap((script) => script.matches);

function patternAllowsOrigin(pattern, origin) {
  const match = /^(\*|https?):\/\/(\*|(?:\*\.)?[^/*]+)\/.*$/.exec(pattern);
  if (!match) {
    return false;
  }
  const [, scheme, host] = match;
  const url = new URL(origin);
  const urlScheme = url.protocol.slice(0, -1);
  if (scheme === "*" ? !["http", "https"].includes(urlScheme) : scheme !== urlScheme) {
    return false;
  }
  if (host === "*") {
    return true;
  }
  if (host.startsWith("*.")) {
    const base = host.slice(2);
    return url.hostname === base || url.hostname.endsWith("." + base);
  }
  // Match patterns carry no port: a listed host is allowed on every port.
  return url.hostname === host;
}

function senderOrigin(sender) {
  if (sender.origin && sender.origin !== "null") {
    return sender.origin;
  }
  try {
    return new URL(sender.url).origin;
  } catch {
    return "null";
  }
}

function originAllowed(origin) {
  return origin !== "null" && allowedPatterns.some((pattern) => patternAllowsOrigin(pattern, origin));
}

function failure(type, message) {
  return { error: { type, message } };
}

function isPlainObject(value) {
  return typeof value === "object" && value !== null && !Array.isArray(value);
}

// The protocol's envelope: an object with a string "func" and, when present, an object
// "params". Anything else never reaches the host.
function envelopeProblem(request) {
  if (!isPlainObject(request)) {
    return "The request must be an object.";
  }
  if (typeof request.func !== "string" || request.func === "") {
    return 'The request needs a command name in "func".';
  }
  if ("params" in request && request.params !== undefined && request.params !== null &&
      !isPlainObject(request.params)) {
    return 'The request\'s "params" must be an object.';
  }
  const extra = Object.keys(request).filter((key) => key !== "func" && key !== "params");
  if (extra.length > 0) {
    return `The request has members the host does not know: ${extra.join(", ")}.`;
  }
  return null;
}

// Browsers report native-messaging failures only as message texts; these are Chromium's
// and Firefox's (checked by the browser tests), turned into types a page can act on.
// Chromium cannot tell a reply over its 1 MB limit from another unreadable reply;
// Firefox reports a host that ends without replying as "an unexpected error".
const hostFailures = [
  [/not found|No such native application/i, "HostNotInstalled",
   "NorvaHost is not installed for this browser (no native-messaging host manifest)."],
  [/forbidden/i, "HostNotAllowed", "NorvaHost's manifest does not allow this extension."],
  [/exited|unexpected error/i, "HostExited", "NorvaHost ended without replying."],
  [/communicating|exceeds the limit/i, "HostReplyUnreadable",
   "NorvaHost's reply could not be read: it is larger than the browser's 1 MB limit, or not a framed JSON message."],
];

function hostFailure(message) {
  for (const [pattern, type, text] of hostFailures) {
    if (pattern.test(message)) {
      return failure(type, `${text} (${message})`);
    }
  }
  return failure("HostFailed", `NorvaHost could not be used: ${message}`);
}

async function relay(request, sender) {
  const origin = senderOrigin(sender);
  if (sender.id !== api.runtime.id || !originAllowed(origin)) {
    return failure("OriginRefused", `The site ${origin} is not on the extension's allow-list.`);
  }
  const problem = envelopeProblem(request);
  if (problem) {
    return failure("BadRequest", problem);
  }
  const size = new TextEncoder().encode(JSON.stringify(request)).length;
  if (size > MAX_REQUEST_BYTES) {
    return failure("RequestTooLarge",
                   `The request is ${size} bytes; at most ${MAX_REQUEST_BYTES} bytes are relayed.`);
  }
  try {
    return { reply: await api.runtime.sendNativeMessage(HOST_NAME, request) };
  } catch (error) {
    return hostFailure(String(error?.message ?? error));
  }
}

api.runtime.onMessage.addListener((message, sender, sendResponse) => {
  if (!isPlainObject(message) || message.type !== "norva-request") {
    return false;
  }
  relay(message.request, sender).then(sendResponse);
  return true; // the answer comes asynchronously
});
