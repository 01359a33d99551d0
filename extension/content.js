// The bridge between a page on the allow-list and the extension: the page library posts
// requests to its own window, this script opens a port to the background for each one and
// posts the answer back. Closing the port (the page aborts, or the page goes away) tells the
// background to stop the host. Only pages on the allow-list get this script at all.
"use strict";

(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const CHANNEL = "norva-digital-id";
  const ports = new Map();

  function answer(id, body) {
    window.postMessage({ channel: CHANNEL, type: "answer", id, ...body }, window.location.origin);
  }

  function extensionFailed(message) {
    return { error: { type: "ExtensionFailed", message } };
  }

  function send(id, request, deadlineMs) {
    let port;
    try {
      port = api.runtime.connect({ name: "norva-request" });
    } catch (error) {
      answer(id, extensionFailed(`The extension could not be reached: ${error.message}`));
      return;
    }
    ports.set(id, port);
    port.onMessage.addListener((result) => {
      ports.delete(id);
      answer(id, result);
    });
    port.onDisconnect.addListener(() => {
      if (ports.delete(id)) {
        answer(id, extensionFailed("The extension gave no answer."));
      }
    });
    port.postMessage({ request, deadlineMs });
  }

  window.addEventListener("message", (event) => {
    const data = event.data;
    if (event.source !== window || typeof data !== "object" || data === null ||
        data.channel !== CHANNEL) {
      return;
    }
    if (data.type === "ping") {
      answer(data.id, { present: true, version: api.runtime.getManifest().version });
    } else if (data.type === "request") {
      send(data.id, data.request, data.deadlineMs);
    } else if (data.type === "abort") {
      const port = ports.get(data.id);
      if (port) {
        ports.delete(data.id);
        port.disconnect();
      }
    }
  });
})();
