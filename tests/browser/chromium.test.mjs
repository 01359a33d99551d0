// The extension, the page library and the demo page in Debian's headless Chromium, with
// NorvaHost on a virtual token and host doubles for the failures it never produces.
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { cpSync, mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { after, before, describe, test } from "node:test";

import { liveCommands, prepareToken, wireRequests } from "./commands.mjs";
import {
  ARTIFACTS, BIN, EXTENSION, EXTENSION_ID, launchChromiumWithExtension, VirtualTokenHost, hostDouble, hostEvents, installChromiumManifest,
  loadOriginMatcher, overlaps, processGone, removeChromiumManifest, scratchFolder, startDemoServer, waitFor,
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
  context = await launchChromiumWithExtension(profile);
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

  test("arguments the host cannot take back are refused in the page, with nothing sent", async () => {
    const folder = scratchFolder("refused");
    const log = join(folder, "requests.log");
    writeFileSync(log, "");
    useHost(hostDouble(folder, "record", log));
    const rows = [
      ["GenerateKeysCustom", { pin: "1", keyLength: "2048" }],
      ["FirstName", { newVal: undefined }],
      ["LastName", { newVal: "Levi\u0007" }],
      ["SignData", null],
    ];
    for (const [func, fields] of rows) {
      const outcome = await call(page, func, fields);
      assert.deepEqual([outcome.name, outcome.kind], ["TransportError", "BadRequest"], `${func} ${outcome.message}`);
    }
    assert.equal(readFileSync(log, "utf8"), "", "no request reached the host");
    useHost(host.wrapper);
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
    { name: "a declined upload", host: "answer",
      reply: '{"rc":"0","result":"","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":1}',
      run: ["SignFileData", { pin: "592604", fileContent: "5\r\n", fileName: "pay.txt" }],
      error: ["UserCancelledError", "UserCancelled"] },
    { name: "an upload the host finds too large for the token's key", host: "answer",
      reply: '{"rc":"711","errMsg":"Upload too large for the browser","maxRecords":2043,"keyLength":2048}',
      run: ["SignFile", { pin: "592604", fileName: "/tmp/pay.txt" }],
      error: ["UploadTooLargeError", "UploadTooLarge"], fields: { maxRecords: 2043, keyLength: 2048, rc: "711" } },
    { name: "an upload too large for any key, refused in the page", host: "real",
      run: ["SignFileData", { pin: "592604", fileName: "big.txt", fileContent: "5\r\n".repeat(4080) }],
      error: ["UploadTooLargeError", "UploadTooLarge"], fields: { maxRecords: 4079, keyLength: null },
      hostStarts: false },
    { name: "a request over the size bound", host: "real",
      run: ["SignFileData", { fileContent: "1".repeat(1024 * 1024) }], error: ["TransportError", "RequestTooLarge"],
      hostStarts: false },
  ];
  for (const failure of failures) {
    test(failure.name, async () => {
      const folder = scratchFolder("double");
      if (failure.host === "none") removeChromiumManifest(profile);
      else if (failure.reply) {
        writeFileSync(join(folder, "reply"), failure.reply);
        useHost(hostDouble(folder, "answer", join(folder, "reply")));
      } else useHost(failure.host === "real" ? host.wrapper : hostDouble(folder, failure.host));
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
      for (const [key, value] of Object.entries(failure.fields ?? {})) assert.equal(outcome[key], value, key);
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

  test("asks before formatting, sends key lengths as \"1\" and \"2\", shows cancellations as such", async () => {
    const folder = scratchFolder("demo-record");
    const log = join(folder, "requests.log");
    writeFileSync(log, "");
    useHost(hostDouble(folder, "record", log));
    const sent = () => readFileSync(log, "utf8").split("\n").filter(Boolean).map((line) => JSON.parse(line));
    const full = page.locator('form[data-func="FullFormatToken"]');
    await full.locator('select[name="keyLength"]').selectOption({ label: "2048 bits" });
    const rows = [
      ["dismiss", 'form[data-func="FullFormatToken"]', "cancelled", /^FullFormatToken cancelled/, null],
      ["accept", 'form[data-func="FullFormatToken"]', "ok", /^FullFormatToken: result "recorded"/, "2"],
      ["dismiss", 'form[data-func="FormatToken"]', "cancelled", /^FormatToken cancelled/, null],
    ];
    for (const [answer, selector, outcome, text, keyLength] of rows) {
      const before = sent().length;
      page.once("dialog", (dialog) => dialog[answer]());
      const [shown] = await submit(page, [selector]);
      assert.match(shown, text);
      assert.equal(await page.locator(`${selector} output`).getAttribute("class"), outcome);
      assert.equal(sent().length - before, keyLength ? 1 : 0, `${selector} ${answer}`);
      if (keyLength) assert.equal(sent().at(-1).params.keyLength, keyLength);
    }
    const custom = page.locator('form[data-func="GenerateKeysCustom"]');
    await custom.locator('select[name="keylength"]').selectOption({ label: "1024 bits" });
    await submit(page, ['form[data-func="GenerateKeysCustom"]']);
    assert.equal(sent().at(-1).params.keylength, "1");
    // A declined upload reads as a cancellation, not as success.
    writeFileSync(join(folder, "reply"), '{"rc":"0","result":"","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":1}');
    useHost(hostDouble(folder, "answer", join(folder, "reply")));
    const form = page.locator("form[data-upload]");
    await form.locator('input[type="file"]').setInputFiles(
      { name: "PAY0117.txt", mimeType: "text/plain", buffer: Buffer.from("5\r\n") });
    const [declined] = await submit(page, ["form[data-upload]"]);
    assert.match(declined, /^SignFileData cancelled: the file was declined in the prompt, nothing was signed/);
    assert.equal(await form.locator("output").getAttribute("class"), "cancelled");
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

// A second tab with the demo page, once the page's own version check on load is done.
async function openDemo() {
  const target = await context.newPage();
  await target.goto(server.allowedUrl);
  await target.locator("#extension-status:not(.pending)").waitFor();
  return target;
}

describe("deadlines and one request at a time", () => {
  // How a page lets go of a host that never answers; each way must end the host.
  const ways = [
    { name: "the deadline passes", run: "deadline", error: ["TransportError", "Timeout"] },
    { name: "the page aborts", run: "abort", error: ["TransportError", "Aborted"] },
    { name: "the tab is closed", run: "close" },
  ];
  for (const way of ways) {
    test(`a host that never answers is ended when ${way.name}`, async (t) => {
      const target = way.run === "close" ? await openDemo() : page;
      const folder = scratchFolder("hang");
      const log = join(folder, "events.log");
      writeFileSync(log, "");
      useHost(hostDouble(folder, "hang", log));
      const pending = target.evaluate(async (run) => {
        const norva = await import("/lib/norva.js");
        const controller = new AbortController();
        const options = run === "deadline" ? { timeoutMs: 1500 } : { signal: controller.signal };
        globalThis.abortHost = () => controller.abort();
        return norva.TokensCount(undefined, options).then(() => ["resolved"], (error) => [error.name, error.kind]);
      }, way.run);
      const started = await waitFor(() => hostEvents(log).find((e) => e.event === "start"), 10000);
      assert.ok(started, "the host started");
      if (way.run === "abort") await page.evaluate(() => globalThis.abortHost());
      if (way.run === "close") {
        pending.catch(() => {}); // the page's call goes with the page
        await target.close();
      }
      else assert.deepEqual(await pending, way.error);
      const letGo = Date.now();
      assert.ok(await waitFor(() => processGone(started.pid), 10000), "the host process is gone");
      const events = hostEvents(log).map((e) => e.event);
      const seen = hostEvents(log).map((e) => `${e.event} ${e.at - letGo} ms`).join(", ");
      t.diagnostic(`host gone ${Date.now() - letGo} ms after the page let go; it saw: ${seen}`);
      assert.ok(events.includes("eof"), "the host saw its input end first");
      useHost(host.wrapper);
    });
  }

  test("concurrent calls from two tabs are served one after the other", async () => {
    const folder = scratchFolder("slow");
    const log = join(folder, "events.log");
    writeFileSync(log, "");
    const other = await openDemo();
    useHost(hostDouble(folder, "slow", log));
    const calls = (target) => target.evaluate(async () => {
      const norva = await import("/lib/norva.js");
      // Two calls not awaited one by one, as a careless page makes them.
      const results = await Promise.allSettled([norva.TokensCount(), norva.HostVersion()]);
      return results.map((r) => r.value?.result ?? r.reason?.kind);
    });
    const results = await Promise.all([calls(page), calls(other)]);
    assert.deepEqual(results, [["slow", "slow"], ["slow", "slow"]]);
    const { spans, overlapping } = overlaps(log);
    assert.equal(spans.length, 4);
    assert.ok(!overlapping, `hosts overlapped: ${JSON.stringify(spans)}`);
    await other.close();
    useHost(host.wrapper);
  });
});

describe("versions and keys", () => {
  test("status names the three versions, and which is missing", async () => {
    const status = () => page.evaluate(async () => {
      const norva = await import("/lib/norva.js");
      return norva.status().then((versions) => versions, (error) => [error.name, error.kind]);
    });
    useHost(host.wrapper);
    assert.deepEqual(await status(), { library: "1.0.0", extension: "1.0.0", host: "1.0.0.0", missing: [] });
    removeChromiumManifest(profile);
    assert.deepEqual(await status(), { library: "1.0.0", extension: "1.0.0", host: null, missing: ["host"] });
    const folder = scratchFolder("old");
    writeFileSync(join(folder, "reply"), '{"rc":"0","result":"0.9.0.0","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0}');
    useHost(hostDouble(folder, "answer", join(folder, "reply")));
    assert.deepEqual(await status(), ["VersionError", "HostTooOld"]);
    useHost(host.wrapper);
    const other = await context.newPage();
    await other.goto(server.refusedUrl);
    const missing = await other.evaluate(async () => (await import("/lib/norva.js")).status());
    assert.deepEqual(missing, { library: "1.0.0", extension: null, host: null, missing: ["extension", "host"] });
    await other.close();
  });

  test("a SignData signature of a SHA-256 DigestInfo verifies with WebCrypto", async () => {
    useHost(host.wrapper);
    prepareToken(host, "service");
    execFileSync(join(BIN, "make_service_key"), [host.folder, "592604", "2048"],
                 { env: { ...process.env, ...host.environment } });
    const verdicts = await page.evaluate(async () => {
      const norva = await import("/lib/norva.js");
      const { result: modulus } = await norva.PublicKey();
      const key = await crypto.subtle.importKey("jwk", norva.publicKeyToJwk(modulus),
        { name: "RSASSA-PKCS1-v1_5", hash: "SHA-256" }, false, ["verify"]);
      const message = new TextEncoder().encode("Pay 10.50 to 12345-67-8");
      const rawData = await norva.sha256DigestInfo(message);
      const { result } = await norva.SignData({ pin: "592604", rawData, isConvertToBinary: true });
      const signature = Uint8Array.from(result.match(/../g), (pair) => parseInt(pair, 16));
      const verify = (data) => crypto.subtle.verify("RSASSA-PKCS1-v1_5", key, signature, data);
      return [modulus.length, await verify(message), await verify(new TextEncoder().encode("Pay 10.51 to 12345-67-8"))];
    });
    assert.deepEqual(verdicts, [512, true, false]);
  });
});

describe("the allow-list as the browser injects it", () => {
  test("the background agrees with Chromium's injection on ports, case and plain http", async () => {
    // A copy of the extension with its own allow-list, in a browser of its own.
    const copy = scratchFolder("extension-copy");
    cpSync(EXTENSION, copy, { recursive: true });
    const port = new URL(server.allowedUrl).port;
    const patterns = ["http://127.0.0.1:1/*", "http://LOCALHOST/*", `http://127.0.0.2:${port}/*`];
    const manifest = JSON.parse(readFileSync(join(copy, "manifest.json"), "utf8"));
    manifest.content_scripts[0].matches = patterns;
    writeFileSync(join(copy, "manifest.json"), JSON.stringify(manifest));
    const own = await launchChromiumWithExtension(scratchFolder("chromium-copy"), copy);
    const { pageRefusal, patternMatches } = loadOriginMatcher();
    const rows = [];
    try {
      const target = await own.newPage();
      for (const url of [`http://127.0.0.1:${port}/`, `http://localhost:${port}/`, `http://127.0.0.2:${port}/`]) {
        await target.goto(url);
        const outcome = await target.evaluate(async () => {
          const norva = await import("/lib/norva.js");
          return norva.HostVersion().then(() => "answered", (error) => error.kind);
        });
        const listed = patterns.some((pattern) => patternMatches(pattern, new URL(url)));
        const refusal = pageRefusal(patterns, url);
        rows.push([url, outcome, listed, refusal === null]);
      }
    } finally {
      await own.close();
    }
    // The host is not installed for this profile: a request the background lets through
    // fails there, one it refuses never gets that far.
    assert.deepEqual(rows, [
      [`http://127.0.0.1:${port}/`, "ExtensionMissing", false, false],
      [`http://localhost:${port}/`, "HostNotInstalled", true, true],
      [`http://127.0.0.2:${port}/`, "OriginRefused", true, false],
    ]);
  });
});

test("a page in a frame stays refused, even from an allowed origin", async () => {
  useHost(host.wrapper);
  const startsBefore = host.starts().length;
  await page.evaluate((url) => new Promise((loaded) => {
    const frame = document.createElement("iframe");
    frame.src = url;
    frame.onload = loaded;
    document.body.append(frame);
  }), server.allowedUrl);
  const frame = page.frames().find((candidate) => candidate !== page.mainFrame());
  const outcome = await frame.evaluate(async () => {
    const norva = await import("/lib/norva.js");
    return norva.HostVersion().then(() => "answered", (error) => error.kind);
  });
  assert.equal(outcome, "ExtensionMissing");
  assert.equal(host.starts().length, startsBefore, "the host was not started");
  await page.reload();
});
