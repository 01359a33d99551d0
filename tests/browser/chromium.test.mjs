// The extension, the page library and the demo page in Debian's headless Chromium, with
// NorvaHost on a virtual token and host doubles for the failures it never produces.
import assert from "node:assert/strict";
import { mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { after, before, describe, test } from "node:test";

import { chromium } from "playwright-core";

import { liveCommands, prepareToken, wireRequests } from "./commands.mjs";
import {
  ARTIFACTS, EXTENSION, EXTENSION_ID, VirtualTokenHost, hostDouble, installChromiumManifest,
  removeChromiumManifest, scratchFolder, startDemoServer,
} from "./support.mjs";

let context;
let server;
let host;
let profile;
let page;

before(async () => {
  host = new VirtualTokenHost();
  server = await startDemoServer();
  profile = scratchFolder("chromium");
  installChromiumManifest(profile, host.wrapper);
  context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.NORVA_CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    ignoreDefaultArgs: ["--disable-extensions"],
    args: [`--disable-extensions-except=${EXTENSION}`, `--load-extension=${EXTENSION}`],
  });
  const worker = context.serviceWorkers()[0] ?? (await context.waitForEvent("serviceworker"));
  assert.equal(new URL(worker.url()).host, EXTENSION_ID, "the manifest's key fixes the extension ID");
  page = await context.newPage();
  await page.goto(server.allowedUrl);
  mkdirSync(ARTIFACTS, { recursive: true });
});

after(async () => {
  await context?.close();
  await server?.close();
});

// Runs one library call in the page and returns what it settled with, as plain data.
function call(target, func, fields, extra = []) {
  return target.evaluate(async ([func, fields, extra]) => {
    const norva = await import("/lib/norva.js");
    try {
      const outcome = func === "request" ? await norva.request(...extra)
        : fields === undefined ? await norva[func]() : await norva[func](fields);
      const { reply, ...plain } = outcome;
      return { settled: "resolved", ...plain };
    } catch (error) {
      const { reply, ...fields } = error;
      return { settled: "rejected", name: error.name, message: error.message, ...fields };
    }
  }, [func, fields, extra]);
}

function useHost(path) {
  installChromiumManifest(profile, path);
}

describe("commands on a virtual token", () => {
  for (const [index, row] of liveCommands.entries()) {
    const name = `${index} ${row.func}${row.fields ? " " + JSON.stringify(row.fields) : ""}`;
    test(name, { skip: row.awaiting && `awaits ${row.awaiting}` }, async () => {
      useHost(host.wrapper);
      prepareToken(host, row.token);
      const outcome = await call(page, row.func, row.fields);
      if (row.expect.error) {
        assert.equal(outcome.settled, "rejected", JSON.stringify(outcome));
        assert.equal(outcome.kind, row.expect.error, outcome.message);
        return;
      }
      assert.equal(outcome.settled, "resolved", outcome.message);
      if ("result" in row.expect) assert.equal(outcome.result, row.expect.result);
      if (row.expect.resultMatch) assert.match(outcome.result, row.expect.resultMatch);
      assert.equal(outcome.LastZTErrorName, "ZTNoError");
      assert.equal(outcome.PKCS11ErrorName, "ZT_CKR_OK");
    });
  }

  test("the browser's arguments reach the host, which ignores them", () => {
    const starts = host.starts();
    assert.ok(starts.length > 0);
    assert.ok(starts.every((line) => line.startsWith(`chrome-extension://${EXTENSION_ID}/`)), starts.join("\n"));
  });

  test("host errors come back typed, with the host's code and message", async () => {
    useHost(host.wrapper);
    const cases = [
      [["NoSuchCommand"], "UnsupportedFunction", "708", "Unsupported function"],
      [["FormatToken"], "ParamsMissing", "705", "One or more parameters are missing"],
      [["CardType", { newVal: ["1"] }], "ParamsInvalid", "706", "One or more parameters are invalid"],
    ];
    for (const [args, kind, rc, errMsg] of cases) {
      const outcome = await call(page, "request", undefined, args);
      assert.deepEqual([outcome.name, outcome.kind, outcome.rc, outcome.errMsg], ["HostError", kind, rc, errMsg]);
    }
  });
});

describe("the library's requests as the host receives them", () => {
  test("every command, named fields to protocol keys", async () => {
    const folder = scratchFolder("record");
    const log = join(folder, "requests.log");
    writeFileSync(log, "");
    useHost(hostDouble(folder, "record", log));
    for (const [func, fields, expected] of wireRequests) {
      const outcome = await call(page, func, fields);
      assert.equal(outcome.result, "recorded", `${func}: ${outcome.message}`);
      const received = readFileSync(log, "utf8").trim().split("\n").at(-1);
      assert.deepEqual(JSON.parse(received), expected, func);
    }
  });

  test("a field the command does not take is refused in the page", async () => {
    const outcome = await call(page, "GenerateKeysCustom", { pin: "1", keyLength: "2048" });
    assert.equal(outcome.name, "TypeError");
  });
});

describe("failures come back as typed errors", () => {
  const failures = [
    { name: "a page whose origin is not on the allow-list", page: "refused", host: "real",
      run: ["HostVersion"], error: ["ExtensionMissingError", "ExtensionMissing"], hostStarts: false },
    { name: "a host that is not installed", host: "none",
      run: ["HostVersion"], error: ["TransportError", "HostNotInstalled"], hostStarts: false },
    { name: "a host that exits without replying", host: "silent",
      run: ["HostVersion"], error: ["TransportError", "HostExited"] },
    { name: "a reply over the browser's 1 MB limit", host: "oversized",
      run: ["HostVersion"], error: ["TransportError", "HostReplyUnreadable"] },
    { name: "a command name that is not a string", host: "real",
      run: ["request", undefined, [42]], error: ["TransportError", "BadRequest"], hostStarts: false },
    { name: "params that are not an object", host: "real",
      run: ["request", undefined, ["SignData", ["1234"]]], error: ["TransportError", "BadRequest"], hostStarts: false },
    { name: "a request over the size bound", host: "real",
      run: ["SignFileData", { fileContent: "1".repeat(1024 * 1024) }], error: ["TransportError", "RequestTooLarge"],
      hostStarts: false },
  ];
  for (const failure of failures) {
    test(failure.name, async () => {
      const folder = scratchFolder("double");
      if (failure.host === "none") removeChromiumManifest(profile);
      else useHost(failure.host === "real" ? host.wrapper : hostDouble(folder, failure.host));
      let target = page;
      if (failure.page === "refused") {
        target = await context.newPage();
        await target.goto(server.refusedUrl);
      }
      const startsBefore = host.starts().length;
      const started = Date.now();
      const [func, fields, extra] = failure.run;
      const outcome = await call(target, func, fields, extra);
      assert.deepEqual([outcome.name, outcome.kind], failure.error, outcome.message);
      assert.ok(Date.now() - started < 30000, "the failure is reported promptly");
      if (failure.hostStarts === false) assert.equal(host.starts().length, startsBefore, "the host was not started");
      if (target !== page) await target.close();
      useHost(host.wrapper);
    });
  }
});

describe("the demo page", () => {
  // Submits the forms in order and returns the text each shows.
  async function submit(target, selectors) {
    const texts = [];
    for (const selector of selectors) {
      const form = target.locator(selector);
      await form.locator("button").click();
      await form.locator("output:not(:empty)").waitFor();
      await target.waitForFunction((element) => !element.querySelector("button").disabled, await form.elementHandle());
      texts.push(await form.locator("output").textContent());
    }
    return texts;
  }

  test("shows each outcome in words", async () => {
    useHost(host.wrapper);
    prepareToken(host, "service");
    await page.reload();
    await page.locator("#extension-status.present").waitFor();
    const texts = await submit(page, [
      'form[data-func="NorvaEFTTokensCount"]', 'form[data-func="TokensCount"]',
      'form[data-func="DriversInstalled"]', 'form[data-func="HostVersion"]',
      'form[data-func="CardType"]:not([data-put])',
    ]);
    assert.deepEqual(texts, [
      'NorvaEFTTokensCount: result "1" · ZTNoError · PKCS#11 ZT_CKR_OK',
      'TokensCount: result "1" · ZTNoError · PKCS#11 ZT_CKR_OK',
      'DriversInstalled: result "1" · ZTNoError · PKCS#11 ZT_CKR_OK',
      'HostVersion: result "1.0.0.0" · ZTNoError · PKCS#11 ZT_CKR_OK',
      'CardType: result "1" · ZTNoError · PKCS#11 ZT_CKR_OK',
    ]);
    removeChromiumManifest(profile);
    const [missing] = await submit(page, ['form[data-func="NorvaEFTTokensCount"]']);
    assert.match(missing, /^NorvaEFTTokensCount failed: HostNotInstalled, NorvaHost is not installed/);
    // The component's failures in words, a vendor's own CK_RV included.
    const folder = scratchFolder("answer");
    const answers = [
      ['{"rc":"0","result":"6","LastZTError":6,"PKCS11Error":160,"SignFileCanceled":0}',
       "ChangePIN failed: ZTLoginFailed (6) · PKCS#11 ZT_CKR_PIN_INCORRECT (160)"],
      ['{"rc":"0","result":"","LastZTError":22,"PKCS11Error":-2147483647,"SignFileCanceled":0}',
       "SignData failed: ZTSignRecoverFailed (22) · PKCS#11 CK_RV 0x80000001 (-2147483647)"],
    ];
    for (const [index, [reply, text]] of answers.entries()) {
      writeFileSync(join(folder, "reply"), reply);
      useHost(hostDouble(folder, "answer", join(folder, "reply")));
      const func = text.split(" ")[0];
      assert.deepEqual(await submit(page, [`form[data-func="${func}"]`]), [text], `answer ${index}`);
    }
    useHost(host.wrapper);
    assert.equal(await page.locator("#log li").count(), 8);
    await page.screenshot({ path: join(ARTIFACTS, "demo-chromium.png"), fullPage: true });
  });

  test("signs the upload file the user picks, read in the Hebrew code page", async () => {
    const folder = scratchFolder("upload");
    const log = join(folder, "requests.log");
    writeFileSync(log, "");
    useHost(hostDouble(folder, "record", log));
    const form = page.locator("form[data-upload]");
    // "1", two Hebrew letters in Windows-1255 (alef, bet), CR LF.
    await form.locator('input[type="file"]').setInputFiles(
      { name: "PAY0117.txt", mimeType: "text/plain", buffer: Buffer.from([0x31, 0xe0, 0xe1, 0x0d, 0x0a]) });
    await form.locator('input[name="pin"]').fill("592604");
    await form.locator('input[name="challenge"]').fill("c-17");
    const [text] = await submit(page, ["form[data-upload]"]);
    assert.equal(text, 'SignFileData: result "recorded" · ZTNoError · PKCS#11 ZT_CKR_OK');
    assert.deepEqual(JSON.parse(readFileSync(log, "utf8")), {
      func: "SignFileData",
      params: { pin: "592604", challenge: "c-17", fileName: "PAY0117.txt", fileContent: "1\u05d0\u05d1\r\n" },
    });
    useHost(host.wrapper);
  });

  test("says clearly when the extension does not serve the page", async () => {
    const other = await context.newPage();
    await other.goto(server.refusedUrl);
    await other.locator("#extension-status.missing").waitFor();
    assert.match(await other.locator("#extension-status").textContent(),
                 /extension is not installed or enabled, or does not serve this site \(http:\/\/127\.0\.0\.2:\d+\)/);
    await other.screenshot({ path: join(ARTIFACTS, "demo-chromium-refused.png") });
    await other.close();
  });
});
