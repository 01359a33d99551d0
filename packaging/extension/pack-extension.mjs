// Packs the extension for delivery.
//
//   node pack-extension.mjs id --key KEY.pem
//       prints the extension ID the key gives
//   node pack-extension.mjs pack --source DIR --key KEY.pem --version V --origins "P,P"
//                                --update-base URL --out DIR
//       writes into --out: extension/ (unpacked, the packaged manifest), norva-digital-id.crx,
//       norva-digital-id.xpi, updates.xml (codebase: URL/norva-digital-id.crx), extension-id,
//       and policies/ (templates for managed deployment)
//   node pack-extension.mjs updates --key KEY.pem --version V --codebase URL
//       prints an update manifest for a crx hosted at URL
import { mkdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { parseArgs } from "node:util";

import {
  crx3, extensionId, folderFiles, packagedManifest, policyTemplates, publicKeyDer, updateManifest, zip,
} from "./packing.mjs";

const OPTIONS = {
  source: { type: "string" }, key: { type: "string" }, version: { type: "string" },
  origins: { type: "string" }, "update-base": { type: "string" }, codebase: { type: "string" },
  out: { type: "string" },
};

function required(values, names) {
  const missing = names.filter((name) => values[name] === undefined);
  if (missing.length) throw new Error(`missing ${missing.map((name) => "--" + name).join(", ")}`);
}

function writeFiles(out, files) {
  for (const [name, contents] of files) {
    mkdirSync(dirname(join(out, name)), { recursive: true });
    writeFileSync(join(out, name), contents);
  }
}

function pack(values, keyPem) {
  required(values, ["source", "version", "origins", "update-base", "out"]);
  const publicDer = publicKeyDer(keyPem);
  const id = extensionId(publicDer);
  const sourceFiles = folderFiles(values.source);
  const sourceManifest = JSON.parse(sourceFiles.find(([name]) => name === "manifest.json")[1]);
  const manifest = packagedManifest(sourceManifest, {
    version: values.version, publicDer, origins: values.origins.split(",").filter(Boolean),
  });
  const files = sourceFiles.map(([name, contents]) =>
    [name, name === "manifest.json" ? Buffer.from(JSON.stringify(manifest, null, 2) + "\n") : contents]);
  const archive = zip(files);
  const base = values["update-base"].replace(/\/*$/, "/");
  const policies = policyTemplates({ id, geckoId: manifest.browser_specific_settings.gecko.id, updateBase: base });
  rmSync(values.out, { recursive: true, force: true });
  writeFiles(values.out, [
    ...files.map(([name, contents]) => [join("extension", name), contents]),
    ["norva-digital-id.crx", crx3(archive, keyPem)],
    ["norva-digital-id.xpi", archive],
    ["updates.xml", updateManifest({ id, version: values.version, codebase: `${base}norva-digital-id.crx` })],
    ["extension-id", `${id}\n`],
    ...Object.entries(policies).map(([name, policy]) => [join("policies", name), JSON.stringify(policy, null, 2) + "\n"]),
  ]);
}

try {
  const { positionals, values } = parseArgs({ options: OPTIONS, allowPositionals: true });
  required(values, ["key"]);
  const keyPem = readFileSync(values.key, "utf8");
  switch (positionals[0]) {
    case "id":
      console.log(extensionId(publicKeyDer(keyPem)));
      break;
    case "pack":
      pack(values, keyPem);
      break;
    case "updates":
      required(values, ["version", "codebase"]);
      process.stdout.write(updateManifest({
        id: extensionId(publicKeyDer(keyPem)), version: values.version, codebase: values.codebase,
      }));
      break;
    default:
      throw new Error("usage: pack-extension.mjs id|pack|updates --key KEY.pem ...");
  }
} catch (error) {
  console.error(`pack-extension: ${error.message}`);
  process.exit(2);
}
