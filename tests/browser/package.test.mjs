// The page library as integrators get it: `npm pack`, installed from the tarball into a
// scratch project, and a page using every command type-checked with `tsc --strict`
// against the packaged declarations. Mistakes an integrator could make must not compile.
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import { mkdirSync, readFileSync, readdirSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { before, test } from "node:test";

import { LIBRARY_VERSION } from "../../extension/lib/norva.js";
import { EXTENSION, ROOT, scratchFolder } from "./support.mjs";

const TSC = join(ROOT, "tests", "browser", "node_modules", "typescript", "bin", "tsc");
const library = JSON.parse(readFileSync(join(EXTENSION, "lib", "package.json"), "utf8"));
let project;

before(() => {
  const folder = scratchFolder("pack");
  execFileSync("npm", ["pack", join(EXTENSION, "lib"), "--pack-destination", folder, "--silent"], { encoding: "utf8" });
  const tarball = readdirSync(folder).find((name) => name.endsWith(".tgz"));
  project = join(folder, "page");
  mkdirSync(project);
  writeFileSync(join(project, "package.json"), JSON.stringify({ name: "page", private: true, type: "module" }));
  execFileSync("npm", ["install", "--offline", "--no-audit", "--no-fund", "--silent", join(folder, tarball)], { cwd: project });
});

// Type-checks modules of the scratch page in one tsc run; returns tsc's diagnostics per file.
function typeCheck(files) {
  for (const [name, source] of Object.entries(files)) writeFileSync(join(project, name), source);
  const run = spawnSync(process.execPath, [TSC, "--strict", "--noEmit", "--target", "es2022", "--lib", "es2022,dom",
    "--module", "nodenext", "--moduleResolution", "nodenext", ...Object.keys(files)], { cwd: project, encoding: "utf8" });
  const output = run.stdout + run.stderr;
  return Object.fromEntries(Object.keys(files).map((name) => [
    name, output.split("\n").filter((line) => line.startsWith(`${name}(`)).join("\n"),
  ]));
}

const everyCommand = `
import * as norva from "@norva/digital-id";
import { TZentorError } from "@norva/digital-id/enumerations";

const pin = "592604";
const SOPassword = "87654321";
const controller = new AbortController();
const versions: norva.Versions = await norva.status();
const missing: Array<"extension" | "host"> = versions.missing;
const outcomes: norva.Outcome[] = [
  await norva.HostVersion(),
  await norva.FormatToken({ SOPassword }),
  await norva.InitPIN({ initPin: pin, SOPassword }),
  await norva.GenerateKeys({ pin }),
  await norva.GenerateKeysCustom({ pin, keylength: "2" }),
  await norva.ChangePIN({ oldPin: pin, newPin: pin }),
  await norva.SignData({ pin, rawData: await norva.sha256DigestInfo("text"), isConvertToBinary: true }),
  await norva.SignFile({ pin, fileName: "C:\\\\upload\\\\pay.txt", challenge: "c1" }, { timeoutMs: 300000 }),
  await norva.SignFileData({ pin, fileContent: "5\\r\\n", fileName: "pay.txt", challenge: "c2" },
                           { signal: controller.signal }),
  await norva.DecryptAndSignData({ pin, rawData: "00", isConvertToBinary: true }),
  await norva.CardType(), await norva.CardType({ newVal: 1 }), await norva.CardType({ newVal: "3" }),
  await norva.Company(), await norva.Company({ newVal: "Trellmoor Payments" }),
  await norva.FirstName(), await norva.FirstName({ newVal: "Dana" }),
  await norva.LastName(), await norva.LastName({ newVal: "Levi" }, { timeoutMs: 5000 }),
  await norva.UserCode(), await norva.UserCode({ newVal: "77" }),
  await norva.UserID(), await norva.UserID({ newVal: "300123456" }),
  await norva.TokensCount(), await norva.NorvaEFTTokensCount(), await norva.CreateTime(),
  await norva.DriversInstalled(), await norva.PublicKey(),
  await norva.FullFormatToken({ initPin: pin, SOPassword, userID: "1", firstName: "A", lastName: "B", keyLength: "2" }),
  await norva.request("HostVersion", null, { timeoutMs: 1000 }),
];
const key = await crypto.subtle.importKey("jwk", norva.publicKeyToJwk(outcomes[27].result),
  { name: "RSASSA-PKCS1-v1_5", hash: "SHA-256" }, false, ["verify"]);
try {
  await norva.SignFileData({ pin, fileContent: "5", fileName: "a.txt" });
} catch (error) {
  if (error instanceof norva.UploadTooLargeError) {
    const limit: number = error.maxRecords;
    const bits: number | null = error.keyLength;
  } else if (error instanceof norva.UserCancelledError || error instanceof norva.VersionError) {
    const kind: string = error.kind;
  } else if (error instanceof norva.TransportError && error.kind === "Timeout") {
    controller.abort();
  } else if (error instanceof norva.TokenError) {
    const name: string = error.LastZTErrorName + TZentorError[error.LastZTError];
  }
}
const limits: number[] = [norva.maxRecords(2048), norva.countUploadRecords("5\\r\\n"), norva.PERSON_DEADLINE_MS];
export { key, missing, limits };
`;

// Each must fail to compile.
const mistakes = [
  "SignData({ pin: 592604 })",
  "GenerateKeysCustom({ pin: '1', keyLength: '2' })",
  "GenerateKeysCustom({ pin: '1', keylength: '2048' })",
  "FirstName({ newVal: ['Dana'] })",
  "TokensCount({ timeoutMs: 5 })",
  "SignFile({ pin: '1' }, { signal: 'stop' })",
  "SignFileData({ fileContent: new Uint8Array(4) })",
  "NoSuchCommand()",
];

test("the packed library type-checks a page using every command, and refuses mistakes", () => {
  assert.equal(library.name, "@norva/digital-id");
  assert.equal(library.version, LIBRARY_VERSION, "status() reports the package's own version");
  const commands = readFileSync(join(EXTENSION, "lib", "norva.js"), "utf8")
    .match(/^export const (\w+) = (?:method|property)\(/gm).map((line) => line.split(" ")[2]);
  assert.equal(commands.length, 22);
  for (const command of commands) {
    assert.match(everyCommand, new RegExp(`norva\\.${command}\\(`), `the sample uses ${command}`);
  }
  const files = { "every-command.mts": everyCommand };
  for (const [index, call] of mistakes.entries()) {
    files[`mistake-${index}.mts`] = `import * as norva from "@norva/digital-id";\nawait norva.${call};\nexport {};\n`;
  }
  const diagnostics = typeCheck(files);
  assert.equal(diagnostics["every-command.mts"], "");
  for (const [index, call] of mistakes.entries()) {
    assert.match(diagnostics[`mistake-${index}.mts`], /error TS\d+/, call);
  }
});
