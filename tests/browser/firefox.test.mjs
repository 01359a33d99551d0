// The same extension in Debian's Firefox ESR, driven over WebDriver BiDi: the demo page
// counts the tokens through the page library, the background script and NorvaHost.
import assert from "node:assert/strict";
import { mkdirSync, rmSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { after, before, test } from "node:test";

import puppeteer from "puppeteer-core";

import { prepareToken } from "./commands.mjs";
import {
  ARTIFACTS, EXTENSION, GECKO_ID, HOST_NAME, VirtualTokenHost, fillManifest, hostDouble, hostEvents, overlaps,
  processGone, scratchFolder, startDemoServer, waitFor,
}
  from "./support.mjs";

let browser;
let server;
let host;
let page;
let manifestFile;

before(async () => {
  host = new VirtualTokenHost();
  server = await startDemoServer();
  // Firefox reads per-user host manifests only from $HOME/.mozilla/native-messaging-hosts.
  const home = scratchFolder("firefox-home");
  const manifests = join(home, ".mozilla", "native-messaging-hosts");
  mkdirSync(manifests, { recursive: true });
  manifestFile = join(manifests, `${HOST_NAME}.json`);
  writeFileSync(manifestFile, fillManifest("firefox", host.wrapper));
  browser = await puppeteer.launch({
    browser: "firefox",
    executablePath: process.env.NORVA_FIREFOX ?? "/usr/bin/firefox-esr",
    headless: true,
    env: { ...process.env, HOME: home },
  });
  const id = await browser.installExtension(EXTENSION);
  assert.equal(id, GECKO_ID);
  page = await browser.newPage();
  await page.goto(server.allowedUrl);
  mkdirSync(ARTIFACTS, { recursive: true });
});

after(async () => {
  await browser?.close();
  await server?.close();
});

test("the demo page counts the tokens through the extension", async () => {
  prepareToken(host, "service");
  await page.waitForSelector("#extension-status.present");
  const texts = [];
  for (const func of ["TokensCount", "NorvaEFTTokensCount"]) {
    await page.click(`form[data-func="${func}"] button`);
    const output = await page.waitForSelector(`form[data-func="${func}"] output.ok, form[data-func="${func}"] output.failed`);
    texts.push(await output.evaluate((element) => element.textContent));
  }
  assert.deepEqual(texts, [
    'TokensCount: result "1" · ZTNoError · PKCS#11 ZT_CKR_OK',
    'NorvaEFTTokensCount: result "1" · ZTNoError · PKCS#11 ZT_CKR_OK',
  ]);
  // Firefox passes the manifest's path and the extension's ID; the host ignores both.
  assert.ok(host.starts().every((line) => line.endsWith(` ${GECKO_ID}`)), host.starts().join("\n"));
  await page.screenshot({ path: join(ARTIFACTS, "demo-firefox.png") });
});

test("host failures and a malformed request are typed errors here too", async () => {
  const folder = scratchFolder("firefox-doubles");
  const cases = [
    ["oversized", "HostReplyUnreadable"],
    ["silent", "HostExited"],
    ["oversized", "HostReplyUnreadable"],
    [null, "HostNotInstalled"],
  ];
  for (const [double, kind] of cases) {
    if (double) writeFileSync(manifestFile, fillManifest("firefox", hostDouble(folder, double)));
    else rmSync(manifestFile);
    const outcome = await page.evaluate(async () => {
      const norva = await import("/lib/norva.js");
      return norva.TokensCount().then(() => "resolved", (error) => [error.name, error.kind, error.message]);
    });
    assert.deepEqual(outcome.slice(0, 2), ["TransportError", kind], outcome[2]);
  }
  const malformed = await page.evaluate(async () => {
    const norva = await import("/lib/norva.js");
    return norva.request("SignData", "1234").catch((error) => [error.name, error.kind]);
  });
  assert.deepEqual(malformed, ["TransportError", "BadRequest"]);
});

function useHost(path) {
  writeFileSync(manifestFile, fillManifest("firefox", path));
}

// Aborting takes the same path in the background; the Chromium suite covers it.
test("a host that never answers is ended at the deadline", async (t) => {
  for (const run of ["deadline"]) {
    const folder = scratchFolder("firefox-hang");
    const log = join(folder, "events.log");
    writeFileSync(log, "");
    useHost(hostDouble(folder, "hang", log));
    const pending = page.evaluate(async (run) => {
      const norva = await import("/lib/norva.js");
      const controller = new AbortController();
      globalThis.abortHost = () => controller.abort();
      const options = run === "deadline" ? { timeoutMs: 1500 } : { signal: controller.signal };
      return norva.TokensCount(undefined, options).then(() => ["resolved"], (error) => [error.name, error.kind]);
    }, run);
    const started = await waitFor(() => hostEvents(log).find((e) => e.event === "start"), 10000);
    assert.ok(started, "the host started");
    if (run === "abort") await page.evaluate(() => globalThis.abortHost());
    assert.deepEqual(await pending, ["TransportError", run === "deadline" ? "Timeout" : "Aborted"]);
    const letGo = Date.now();
    assert.ok(await waitFor(() => processGone(started.pid), 10000), `${run}: the host process is gone`);
    const events = hostEvents(log).map((e) => e.event);
    const seen = hostEvents(log).map((e) => `${e.event} ${e.at - letGo} ms`).join(", ");
    t.diagnostic(`${run}: host gone ${Date.now() - letGo} ms after the page let go; it saw: ${seen}`);
    assert.ok(events.includes("eof"), "the host saw its input end first");
  }
});

test("concurrent calls are served one after the other, and a declined upload is a cancellation", async () => {
  const folder = scratchFolder("firefox-slow");
  const log = join(folder, "events.log");
  writeFileSync(log, "");
  useHost(hostDouble(folder, "slow", log));
  const results = await page.evaluate(async () => {
    const norva = await import("/lib/norva.js");
    const results = await Promise.allSettled([norva.TokensCount(), norva.HostVersion(), norva.CreateTime()]);
    return results.map((r) => r.value?.result ?? r.reason?.kind);
  });
  assert.deepEqual(results, ["slow", "slow", "slow"]);
  const { spans, overlapping } = overlaps(log);
  assert.equal(spans.length, 3);
  assert.ok(!overlapping, `hosts overlapped: ${JSON.stringify(spans)}`);
  writeFileSync(join(folder, "reply"), '{"rc":"0","result":"","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":1}');
  useHost(hostDouble(folder, "answer", join(folder, "reply")));
  const declined = await page.evaluate(async () => {
    const norva = await import("/lib/norva.js");
    return norva.SignFileData({ pin: "592604", fileContent: "5\r\n", fileName: "pay.txt" })
      .then(() => ["resolved"], (error) => [error.name, error.kind]);
  });
  assert.deepEqual(declined, ["UserCancelledError", "UserCancelled"]);
});
