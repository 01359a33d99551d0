// The same extension in Debian's Firefox ESR, driven over WebDriver BiDi: the demo page
// counts the tokens through the page library, the background script and NorvaHost.
import assert from "node:assert/strict";
import { mkdirSync, rmSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { after, before, test } from "node:test";

import puppeteer from "puppeteer-core";

import { prepareToken } from "./commands.mjs";
import {
  ARTIFACTS, EXTENSION, GECKO_ID, HOST_NAME, VirtualTokenHost, fillManifest, hostDouble, scratchFolder, startDemoServer,
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
