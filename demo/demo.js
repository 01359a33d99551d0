// The demo page: every form runs one library call and shows its outcome in words.
import * as norva from "/lib/norva.js";

const statusLine = document.getElementById("extension-status");
const log = document.getElementById("log");

// The versions in play; a missing extension or host is named.
async function showExtensionStatus() {
  try {
    const versions = await norva.status();
    if (versions.extension === null) {
      statusLine.textContent = `The Norva Digital ID extension is not installed or enabled, or does not serve this site (${window.location.origin}).`;
      statusLine.className = "missing";
    } else if (versions.host === null) {
      statusLine.textContent = `Extension ${versions.extension} is ready, but NorvaHost is not installed for this browser.`;
      statusLine.className = "missing";
    } else {
      statusLine.textContent = `Extension ${versions.extension} is ready, with NorvaHost ${versions.host} (page library ${versions.library}).`;
      statusLine.className = "present";
    }
  } catch (error) {
    statusLine.textContent = error.message;
    statusLine.className = "missing";
  }
}

function describeSuccess(func, outcome) {
  const parts = [];
  if (outcome.result !== "") {
    parts.push(`result "${outcome.result}"`);
  } else {
    parts.push("done");
  }
  parts.push(`${outcome.LastZTErrorName}`, `PKCS#11 ${outcome.PKCS11ErrorName}`);
  return `${func}: ${parts.join(" · ")}`;
}

// The outcome's class on the page: "ok", "cancelled" (the person said no, in the prompt or
// here) or "failed".
function describeFailure(func, error) {
  if (error instanceof norva.UserCancelledError) {
    return ["cancelled", `${func} cancelled: the file was declined in the prompt, nothing was signed`];
  }
  if (error instanceof norva.UploadTooLargeError) {
    const key = error.keyLength ? `a ${error.keyLength}-bit key` : "any key";
    return ["failed", `${func} refused: the file has more than ${error.maxRecords} detail records, the most that can be signed from a browser with ${key}; nothing was signed`];
  }
  return ["failed", describeError(func, error)];
}

function describeError(func, error) {
  if (error instanceof norva.TokenError) {
    return `${func} failed: ${error.LastZTErrorName} (${error.LastZTError}) · PKCS#11 ${error.PKCS11ErrorName} (${error.PKCS11Error})`;
  }
  if (error instanceof norva.HostError) {
    return `${func} failed: NorvaHost ${error.rc} ${error.kind}, "${error.errMsg}"`;
  }
  if (error instanceof norva.NorvaError) {
    return `${func} failed: ${error.kind}, ${error.message}`;
  }
  return `${func} failed: ${error.message}`;
}

function show(form, func, outcome, text) {
  const output = form.querySelector("output");
  output.textContent = text;
  output.className = outcome;
  form.dataset.outcome = outcome;
  const entry = document.createElement("li");
  entry.textContent = `${new Date().toLocaleTimeString()} ${text}`;
  entry.className = output.className;
  log.prepend(entry);
}

// The content of an upload file, read as the single-byte text of the Hebrew Windows code
// page that such files are written in; the component narrows it back to the same bytes.
async function readUploadFile(file) {
  const bytes = await file.arrayBuffer();
  return new TextDecoder("windows-1255").decode(bytes);
}

async function fieldsOf(form) {
  const fields = {};
  for (const element of form.elements) {
    if (!element.name || element.name === "func") {
      continue;
    }
    if (element.type === "checkbox") {
      fields[element.name] = element.checked;
    } else if (element.type === "file") {
      const file = element.files[0];
      if (file) {
        fields.fileName = file.name;
        fields.fileContent = await readUploadFile(file);
      }
    } else {
      fields[element.name] = element.value;
    }
  }
  return fields;
}

async function run(form) {
  const fields = await fieldsOf(form);
  const func = "holderPut" in form.dataset ? form.elements.func.value : form.dataset.func;
  const call = norva[func];
  const isProperty = ["CardType", "Company", "FirstName", "LastName", "UserCode", "UserID"].includes(func);
  const isPut = "put" in form.dataset || "holderPut" in form.dataset;
  if ("upload" in form.dataset && fields.fileContent === undefined) {
    show(form, func, "failed", `${func}: choose an upload file first`);
    return;
  }
  if (form.dataset.confirm && !window.confirm(form.dataset.confirm)) {
    show(form, func, "cancelled", `${func} cancelled: the token was left as it was`);
    return;
  }
  try {
    const outcome = isProperty && !isPut ? await call() : await call(fields);
    show(form, func, "ok", describeSuccess(func, outcome));
  } catch (error) {
    show(form, func, ...describeFailure(func, error));
  }
}

for (const form of document.querySelectorAll("main form")) {
  form.addEventListener("submit", async (event) => {
    event.preventDefault();
    const button = form.querySelector("button");
    button.disabled = true;
    try {
      await run(form);
    } finally {
      button.disabled = false;
    }
  });
}

showExtensionStatus();
