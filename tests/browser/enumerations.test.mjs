// The page library names the component's codes; its tables must say what the type
// library says, value for value.
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { test } from "node:test";

import { TPKCS11Error, TZentorError } from "../../extension/lib/enumerations.js";
import { ROOT } from "./support.mjs";

function idlEnumeration(name) {
  const idl = readFileSync(join(ROOT, "component", "idl", "NorvaDigitalIDIF.idl"), "utf8");
  const body = new RegExp(`typedef enum ${name}\\s*\\{([^}]*)\\}`).exec(idl)[1];
  const entries = [...body.matchAll(/(\w+)\s*=\s*(0x[0-9A-Fa-f]+|\d+)/g)];
  return Object.fromEntries(entries.map(([, enumerator, value]) => [Number(value), enumerator]));
}

test("TZentorError and TPKCS11Error match the type library", () => {
  assert.deepEqual({ ...TZentorError }, idlEnumeration("TZentorError"));
  assert.deepEqual({ ...TPKCS11Error }, idlEnumeration("TPKCS11Error"));
  assert.equal(Object.keys(TPKCS11Error).length, 83);
});
