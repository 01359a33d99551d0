// Starts Debian's Chromium (through its /usr/bin/chromium wrapper) and Firefox ESR as a
// user would, with no extension of ours on the command line, opens a page on the
// allow-list and reports what the extension does there.
//
//   node installed-extension.mjs chromium|firefox PROFILE_DIR
//
// Prints one JSON line: {"present": bool, "HostVersion": ..., "TokensCount": ...,
// "offList": bool}, offList saying whether the extension answers a page from 127.0.0.2,
// which is on no allow-list. The
// caller sets the environment the host sees (TOKENSIM_STATE, XDG_CONFIG_HOME, ...), and
// NORVA_CHROMIUM_ARGS for extra Chromium switches.
import { createRequire } from "node:module";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

const ROOT = resolve(dirname(fileURLToPath(import.meta.url)), "..", "..");
const require = createRequire(join(ROOT, "tests", "browser", "package.json"));
const { serve } = await import(join(ROOT, "demo", "serve.mjs"));

// In the page: whether the extension answers, and two commands through it.
async function useExtension(page, urls) {
  await page.goto(urls.allowed);
  const outcome = await page.evaluate(async () => {
    const norva = await import("/lib/norva.js");
    const settle = (call) => call.then(({ result }) => ({ result }), (error) => ({ error: error.kind ?? error.message }));
    const present = await norva.isExtensionPresent();
    return { present, HostVersion: await settle(norva.HostVersion()), TokensCount: await settle(norva.TokensCount()) };
  });
  await page.goto(urls.offList);
  outcome.offList = await page.evaluate(async () => (await import("/lib/norva.js")).isExtensionPresent());
  return outcome;
}

async function chromium(profile, urls) {
  const { chromium } = require("playwright-core");
  const extra = (process.env.NORVA_CHROMIUM_ARGS ?? "").split(" ").filter(Boolean);
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: "/usr/bin/chromium",
    headless: true,
    // As a user starts it: Playwright's switches that turn off extensions and the
    // background fetches that a force-installed extension is downloaded by are left out.
    ignoreDefaultArgs: ["--disable-extensions", "--disable-background-networking"],
    args: extra,
  });
  try {
    // A force-installed extension is fetched after start-up: wait for its worker a while.
    const wait = Number(process.env.NORVA_WORKER_WAIT_MS ?? 0);
    if (wait > 0 && context.serviceWorkers().length === 0) {
      await context.waitForEvent("serviceworker", { timeout: wait }).catch(() => {});
    }
    const outcome = await useExtension(await context.newPage(), urls);
    outcome.workers = context.serviceWorkers().map((worker) => new URL(worker.url()).host);
    return outcome;
  } finally {
    await context.close();
  }
}

async function firefox(profile, urls) {
  const puppeteer = require("puppeteer-core");
  const browser = await puppeteer.launch({
    browser: "firefox",
    executablePath: "/usr/bin/firefox-esr",
    headless: true,
    userDataDir: profile,
    // Puppeteer's profile reads add-ons from the profile and application scopes only; a
    // user's Firefox reads every scope, the system's (where the package puts the xpi) too.
    // These are Debian's Firefox ESR defaults.
    extraPrefsFirefox: { "extensions.enabledScopes": 15, "extensions.autoDisableScopes": 3 },
  });
  try {
    return await useExtension(await browser.newPage(), urls);
  } finally {
    await browser.close();
  }
}

const [browserName, profile] = process.argv.slice(2);
const [allowed] = await serve({ port: 0, hosts: ["127.0.0.1"] });
const [offList] = await serve({ port: allowed.address().port, hosts: ["127.0.0.2"] });
try {
  const port = allowed.address().port;
  const urls = { allowed: `http://127.0.0.1:${port}/`, offList: `http://127.0.0.2:${port}/` };
  const outcome = await (browserName === "firefox" ? firefox : chromium)(profile, urls);
  console.log(JSON.stringify(outcome));
} finally {
  allowed.close();
  offList.close();
}
