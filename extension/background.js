// Relays page requests to NorvaHost, one at a time, each under a deadline.
//
// Every request gets its own host process: the background opens a native port
// (runtime.connectNative), sends the request, takes the one reply and lets the port go. The
// host serves one request per process, so a port never carries two.
//
// One at a time per browser profile: requests from every tab wait in one queue, first in,
// first out, so two hosts never work on the token at once. A request's deadline runs from
// the moment the background receives it, so time spent waiting in the queue counts.
//
// At the deadline, when the page aborts, or when the page goes away (tab closed, page left),
// the background disconnects the native port. The browser then closes the host's standard
// input and ends the process (Chromium kills it about 2 s later; the README records what
// each browser does). The next request waits that long before its host starts.
//
// Runs as Chromium's service worker and as Firefox's background script (Firefox runs no
// extension service workers), so it is one plain script with no imports.
"use strict";

const api = globalThis.browser ?? globalThis.chrome;

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
// These are Chromium's rules. Firefox is stricter: it never matches a pattern with upper-case
// letters in its host and injects nothing for a content script with a port in a pattern, so
// such pages never reach this check there.
// The tests load this script into node and call these functions directly.

const DEVELOPMENT_HOSTS = ["localhost", "127.0.0.1"];

const patternSyntax = /^(\*|https?):\/\/(\*|(?:\*\.)?[^/:*]+)(?::(\*|\d+))?(\/.*)$/;

// The pattern's parts, or null for a pattern this extension never honours (other schemes,
// "<all_urls>", malformed text).
function parsePattern(pattern) {
  const match = patternSyntax.exec(String(pattern));
  if (!match) {
    return null;
  }
  const [, scheme, host, port, path] = match;
  return { scheme, host: host.toLowerCase(), port: port ?? "*", path };
}

function globRegExp(glob) {
  const escaped = glob.split("*").map((part) => part.replace(/[.+?^${}()|[\]\\]/g, "\\$&"));
  return new RegExp(`^${escaped.join(".*")}$`, "s");
}

function portOf(url) {
  return url.port !== "" ? url.port : url.protocol === "https:" ? "443" : "80";
}

// Whether the browser would inject a content script with this pattern into the page at url.
function patternMatches(pattern, url) {
  const parts = parsePattern(pattern);
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
  if (parts.port !== "*" && parts.port !== portOf(url)) {
    return false;
  }
  return globRegExp(parts.path).test(url.pathname + url.search);
}

// Secure, or on this machine.
function secureOrigin(url) {
  return url.protocol === "https:" ||
    (url.protocol === "http:" && DEVELOPMENT_HOSTS.includes(url.hostname.toLowerCase()));
}

// The verdict for a page: null when it may use the extension, else the reason in words.
function pageRefusal(patterns, pageUrl) {
  let url;
  try {
    url = new URL(pageUrl);
  } catch {
    return "the page has no URL";
  }
  if (!patterns.some((pattern) => patternMatches(pattern, url))) {
    return `the site ${url.origin} is not on the extension's allow-list`;
  }
  if (!secureOrigin(url)) {
    return `the site ${url.origin} is not served over https`;
  }
  return null;
}

const HOST_NAME = "com.norva.digitalid";
const PORT_NAME = "norva-request";

// The browser refuses host replies over 1 MB; requests are held to the same bound so a
// page cannot make the browser buffer an unbounded message for the host.
const MAX_REQUEST_BYTES = 1024 * 1024;

// Deadlines: a person reads the file-signing prompt, so those commands get longer.
const DEFAULT_DEADLINE_MS = 120 * 1000;
const PERSON_DEADLINE_MS = 10 * 60 * 1000;
const WAITS_FOR_PERSON = ["SignFile", "SignFileData"];
// The longest deadline a page may ask for (setTimeout's own bound).
const MAX_DEADLINE_MS = 2147483647;

// After the background cuts a host off, the browser may take this long to end it: Chromium
// kills it about 2 s after closing its input, Firefox ESR sends SIGTERM after about 3 s
// (and kills it about 3 s later if that does not end it).
const HOST_END_GRACE_MS = 3500;

// The allow-list is the content script's "matches" in manifest.json: the bridge is only
// injected into those pages, and requests from any other sender are refused here too.
const allowedPatterns = api.runtime.getManifest().content_scripts.flatMap((script) => script.matches);

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

function deadlineFor(request, asked) {
  if (asked === undefined || asked === null) {
    return WAITS_FOR_PERSON.includes(request.func) ? PERSON_DEADLINE_MS : DEFAULT_DEADLINE_MS;
  }
  if (typeof asked !== "number" || !Number.isFinite(asked) || asked <= 0 || asked > MAX_DEADLINE_MS) {
    return null;
  }
  return asked;
}

// Browsers report native-messaging failures only as message texts; these are Chromium's
// and Firefox's (checked by the browser tests), turned into types a page can act on.
// Chromium cannot tell a reply over its 1 MB limit from another unreadable reply; a host
// that ends without replying gives Firefox no error at all.
const hostFailures = [
  [/not found|No such native application/i, "HostNotInstalled",
   "NorvaHost is not installed for this browser (no native-messaging host manifest)."],
  [/forbidden/i, "HostNotAllowed", "NorvaHost's manifest does not allow this extension."],
  [/exited|unexpected error|^$/i, "HostExited", "NorvaHost ended without replying."],
  [/communicating|exceeds the limit/i, "HostReplyUnreadable",
   "NorvaHost's reply could not be read: it is larger than the browser's 1 MB limit, or not a framed JSON message."],
];

function hostFailure(message) {
  for (const [pattern, type, text] of hostFailures) {
    if (pattern.test(message)) {
      return failure(type, message ? `${text} (${message})` : text);
    }
  }
  return failure("HostFailed", `NorvaHost could not be used: ${message}`);
}

// One request from a page: its port to the page, and once running, its port to the host.
class Job {
  constructor(pagePort, request, deadlineMs) {
    this.pagePort = pagePort;
    this.request = request;
    this.deadlineMs = deadlineMs;
    this.hostPort = null;
    this.settled = false;
    this.timer = setTimeout(() => this.settle(failure("Timeout",
      `NorvaHost did not answer "${request.func}" within ${deadlineMs} ms; the host was stopped.`)), deadlineMs);
  }

  start() {
    try {
      const port = api.runtime.connectNative(HOST_NAME);
      this.hostPort = port;
      port.onMessage.addListener((reply) => this.settle({ reply }));
      port.onDisconnect.addListener(() => {
        this.hostPort = null;
        const error = port.error ?? api.runtime.lastError;
        this.settle(hostFailure(String(error?.message ?? "")));
      });
      port.postMessage(this.request);
    } catch (error) {
      this.settle(hostFailure(String(error?.message ?? error)));
    }
  }

  // Ends the job once: answers the page if it is still there and lets the host go.
  settle(answer) {
    if (this.settled) {
      return;
    }
    this.settled = true;
    clearTimeout(this.timer);
    const cutOff = this.hostPort !== null && !("reply" in answer);
    if (this.hostPort) {
      this.hostPort.disconnect();
      this.hostPort = null;
    }
    if (this.pagePort) {
      this.pagePort.postMessage(answer);
      this.pagePort.disconnect();
      this.pagePort = null;
    }
    queue.finished(this, cutOff);
  }

  // The page went away or gave up: nothing is answered, the host is stopped.
  drop() {
    this.pagePort = null;
    this.settle(failure("Aborted", "The page gave up on the request."));
  }
}

const queue = {
  waiting: [],
  running: null,
  resting: false,

  add(job) {
    this.waiting.push(job);
    this.next();
  },

  finished(job, cutOff) {
    const index = this.waiting.indexOf(job);
    if (index >= 0) {
      this.waiting.splice(index, 1);
      return;
    }
    if (this.running !== job) {
      return;
    }
    this.running = null;
    if (cutOff) {
      // The browser ends a cut-off host a little later; its successor waits for that.
      this.resting = true;
      setTimeout(() => {
        this.resting = false;
        this.next();
      }, HOST_END_GRACE_MS);
      return;
    }
    this.next();
  },

  next() {
    if (this.running || this.resting || this.waiting.length === 0) {
      return;
    }
    this.running = this.waiting.shift();
    this.running.start();
  },
};

function senderUrl(sender) {
  return sender.url ?? sender.tab?.url ?? "";
}

// The first message on a page's port is its request; the answer comes back on the port.
function accept(pagePort, message) {
  const { sender } = pagePort;
  if (sender.id !== api.runtime.id || sender.frameId !== 0) {
    return failure("OriginRefused", "Pages in frames may not use the extension.");
  }
  const refusal = pageRefusal(allowedPatterns, senderUrl(sender));
  if (refusal) {
    return failure("OriginRefused", `Refused: ${refusal}.`);
  }
  if (!isPlainObject(message)) {
    return failure("BadRequest", "The request must be an object.");
  }
  const { request, deadlineMs } = message;
  const problem = envelopeProblem(request);
  if (problem) {
    return failure("BadRequest", problem);
  }
  const deadline = deadlineFor(request, deadlineMs);
  if (deadline === null) {
    return failure("BadRequest", `The deadline must be a number of milliseconds from 1 to ${MAX_DEADLINE_MS}.`);
  }
  const size = new TextEncoder().encode(JSON.stringify(request)).length;
  if (size > MAX_REQUEST_BYTES) {
    return failure("RequestTooLarge",
                   `The request is ${size} bytes; at most ${MAX_REQUEST_BYTES} bytes are relayed.`);
  }
  const job = new Job(pagePort, request, deadline);
  pagePort.onDisconnect.addListener(() => job.drop());
  queue.add(job);
  return null;
}

api.runtime.onConnect.addListener((pagePort) => {
  if (pagePort.name !== PORT_NAME) {
    return;
  }
  const onFirst = (message) => {
    pagePort.onMessage.removeListener(onFirst);
    const refused = accept(pagePort, message);
    if (refused) {
      pagePort.postMessage(refused);
      pagePort.disconnect();
    }
  };
  pagePort.onMessage.addListener(onFirst);
});
