// The bridge between a page on the allow-list and the extension: the page library posts
// requests to its own window, this script passes them to the background and posts the
// answer back. Only pages on the allow-list get this script at all.
"use strict";

(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const CHANNEL = "norva-digital-id";

  function answer(id, body) {
    window.postMessage({ channel: CHANNEL, type: "answer", id, ...body }, window.location.origin);
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
      api.runtime.sendMessage({ type: "norva-request", request: data.request }).then(
        (result) => answer(data.id, result ?? {
          error: { type: "ExtensionFailed", message: "The extension gave no answer." },
        }),
        (error) => answer(data.id, {
          error: { type: "ExtensionFailed", message: `The extension could not be reached: ${error.message}` },
        }));
    }
  });
})();
