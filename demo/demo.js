// The demo page: every form runs one library call and shows its outcome in words.
import * as norva from "/lib/norva.js";

const statusLine = document.getElementById("extension-status");
const log = document.getElementById("log");

async function showExtensionStatus() {
  try {
    const version = await norva.checkExtension();
    statusLine.textContent = `Extension ${version} is ready.`;
    statusLine.className = "present";
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
  if (outcome.SignFileCanceled) {
    parts.push("cancelled by the user");
  }
  parts.push(`${outcome.LastZTErrorName}`, `PKCS#11 ${outcome.PKCS11ErrorName}`);
  return `${func}: ${parts.join(" · ")}`;
}

function describeFailure(func, error) {
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

function show(form, func, ok, text) {
  const output = form.querySelector("output");
  output.textContent = text;
  output.className = ok ? "ok" : "failed";
  form.dataset.outcome = ok ? "ok" : "failed";
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
    show(form, func, false, `${func}: choose an upload file first`);
    return;
  }
  try {
    const outcome = isProperty && !isPut ? await call() : await call(fields);
    show(form, func, true, describeSuccess(func, outcome));
  } catch (error) {
    show(form, func, false, describeFailure(func, error));
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
