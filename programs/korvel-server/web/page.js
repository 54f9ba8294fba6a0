// korvel-server's page: the form's state is the API's parameters (the same
// names as the korvel program's long options), kept in the page's URL. Each
// change asks for the SVG and, for GS1 or HIBC data, the validation; the
// preview changes only when the new image has loaded, so it never flickers.
"use strict";

const DEFAULTS = {
  data: "1234567", kind: "plain", fmt: "0", shape: "square", dmre: false, unit: "px", xdim: "5",
  "module-mm": "0.5", dpi: "300", fcolor: "000000", bcolor: "ffffff", qzone: true, qsize: "1", orient: "0",
  dots: "", "ink-spread": "0", "hri-text": false, "no-background": false, cmyk: false,
};

// The print options: the flags and the numbers, named as the API names them.
const PRINT_FLAGS = ["hri-text", "no-background", "cmyk"];
const PRINT_NUMBERS = ["dots", "ink-spread"];

// Sizes of the formats, for the format list (rows x columns).
const SQUARE = [10, 12, 14, 16, 18, 20, 22, 24, 26, 32, 36, 40, 44, 48, 52, 64, 72, 80, 88, 96, 104, 120, 132, 144];
const RECTANGLE = ["8 × 18", "8 × 32", "12 × 26", "12 × 36", "16 × 36", "16 × 48"];
const DMRE = ["8 × 48", "8 × 64", "8 × 80", "8 × 96", "8 × 120", "8 × 144", "12 × 64", "12 × 88", "16 × 64",
  "20 × 36", "20 × 44", "20 × 64", "22 × 48", "24 × 48", "24 × 64", "26 × 40", "26 × 48", "26 × 64"];

const $ = (id) => document.getElementById(id);
const form = $("label");
let pending = null;        // the AbortController of the requests in flight
let shownUrl = null;       // the object URL the preview shows
let timer = 0;

function fillFormats(dmre, selected) {
  const select = $("fmt");
  const options = [["0", "Smallest that fits"]];
  SQUARE.forEach((n, i) => options.push([String(i + 1), `${i + 1}: ${n} × ${n}`]));
  RECTANGLE.forEach((size, i) => options.push([String(25 + i), `${25 + i}: ${size}`]));
  if (dmre) {
    DMRE.forEach((size, i) => options.push([String(31 + i), `${31 + i}: ${size} (DMRE)`]));
  }
  select.replaceChildren(...options.map(([value, text]) => new Option(text, value)));
  select.value = options.some(([value]) => value === selected) ? selected : "0";
}

// The form's state as a plain object.
function readForm() {
  const unit = form.elements.unit.value;
  return {
    data: $("data").value,
    kind: form.elements.kind.value,
    fmt: $("fmt").value,
    shape: $("shape").value,
    dmre: $("dmre").checked,
    unit,
    xdim: $("xdim").value,
    "module-mm": $("module-mm").value,
    dpi: $("dpi").value,
    fcolor: $("fcolor").value.replace("#", ""),
    bcolor: $("bcolor").value.replace("#", ""),
    qzone: $("qzone").checked,
    qsize: $("qsize").value,
    orient: $("orient").value,
    dots: $("dots").value,
    "ink-spread": $("ink-spread").value,
    "hri-text": $("hri-text").checked,
    "no-background": $("no-background").checked,
    cmyk: $("cmyk").checked,
  };
}

function writeForm(state) {
  $("data").value = state.data;
  form.elements.kind.value = state.kind;
  $("dmre").checked = state.dmre;
  fillFormats(state.dmre, state.fmt);
  $("shape").value = state.shape;
  form.elements.unit.value = state.unit;
  $("xdim").value = state.xdim;
  $("module-mm").value = state["module-mm"];
  $("dpi").value = state.dpi;
  $("fcolor").value = `#${state.fcolor}`;
  $("bcolor").value = `#${state.bcolor}`;
  $("qzone").checked = state.qzone;
  $("qsize").value = state.qsize;
  $("orient").value = state.orient;
  for (const name of PRINT_NUMBERS) $(name).value = state[name];
  for (const name of PRINT_FLAGS) $(name).checked = state[name];
  showUnit(state.unit);
}

// The state from the page's URL: the API's parameter names; anything
// missing or not understood keeps its default.
function stateFromUrl() {
  const query = new URLSearchParams(location.search);
  const state = { ...DEFAULTS };
  const text = (name) => { if (query.has(name)) state[name] = query.get(name); };
  ["data", "fmt", "shape", "xdim", "module-mm", "dpi", "qsize", "orient", ...PRINT_NUMBERS].forEach(text);
  for (const name of PRINT_FLAGS) state[name] = query.get(name) === "1";
  for (const name of ["fcolor", "bcolor"]) {
    if (/^[0-9a-fA-F]{6}$/.test(query.get(name) || "")) state[name] = query.get(name).toLowerCase();
  }
  state.kind = query.get("gs1") === "1" ? "gs1" : query.get("hibc") === "1" ? "hibc" : "plain";
  state.dmre = query.get("dmre") === "1";
  state.qzone = query.get("qzone") !== "0";
  state.unit = query.has("module-mm") ? "mm" : "px";
  state.shape = state.shape.toLowerCase() === "rectangle" ? "rectangle" : "square";
  return state;
}

// The API's parameters for the state: only what differs from the defaults
// (the data always), so that URLs stay short and match the program's options.
function parameters(state, forPng) {
  const p = new URLSearchParams();
  p.set("data", state.data);
  if (state.kind === "gs1") p.set("gs1", "1");
  if (state.kind === "hibc") p.set("hibc", "1");
  if (state.dmre) p.set("dmre", "1");
  if (state.fmt !== "0") p.set("fmt", state.fmt);
  if (state.shape !== "square") p.set("shape", state.shape);
  if (state.unit === "mm") {
    p.set("module-mm", state["module-mm"]);
    if (forPng) p.set("dpi", state.dpi);
  } else if (state.xdim !== DEFAULTS.xdim) {
    p.set("xdim", state.xdim);
  }
  if (state.fcolor !== DEFAULTS.fcolor) p.set("fcolor", state.fcolor);
  if (state.bcolor !== DEFAULTS.bcolor) p.set("bcolor", state.bcolor);
  if (!state.qzone) p.set("qzone", "0");
  if (state.qsize !== DEFAULTS.qsize) p.set("qsize", state.qsize);
  if (state.orient !== "0") p.set("orient", state.orient);
  if (state.dots !== "") p.set("dots", state.dots);
  if (state["ink-spread"] !== DEFAULTS["ink-spread"] && state["ink-spread"] !== "") {
    p.set("ink-spread", state["ink-spread"]);
  }
  for (const name of PRINT_FLAGS) if (state[name]) p.set(name, "1");
  return p;
}

// A word for the shell: single quotes, a quote inside as '\''.
function shellWord(text) {
  return /^[A-Za-z0-9_@%+=:,./-]+$/.test(text) ? text : `'${text.replace(/'/g, "'\\''")}'`;
}

// The korvel command line that writes the same bytes as the PNG download
// (the server stamps PNGs with time 0 unless told otherwise).
function commandLine(state) {
  const words = ["korvel"];
  if (state.kind === "gs1") words.push("--gs1");
  if (state.kind === "hibc") words.push("--hibc");
  if (state.dmre) words.push("--dmre");
  if (state.fmt !== "0") words.push("-f", state.fmt);
  if (state.shape !== "square") words.push(`--shape=${state.shape}`);
  if (state.unit === "mm") words.push(`--module-mm=${state["module-mm"]}`, `--dpi=${state.dpi}`);
  else if (state.xdim !== DEFAULTS.xdim) words.push("-n", state.xdim);
  if (state.fcolor !== DEFAULTS.fcolor) words.push("-r", state.fcolor);
  if (state.bcolor !== DEFAULTS.bcolor) words.push("-b", state.bcolor);
  if (!state.qzone) words.push("-q", "0");
  if (state.qsize !== DEFAULTS.qsize) words.push("-e", state.qsize);
  if (state.orient !== "0") words.push("-o", state.orient);
  if (state.dots !== "") words.push(`--dots=${state.dots}`);
  if (state["ink-spread"] !== DEFAULTS["ink-spread"] && state["ink-spread"] !== "") {
    words.push(`--ink-spread=${state["ink-spread"]}`);
  }
  for (const name of PRINT_FLAGS) if (state[name]) words.push(`--${name}`);
  words.push("--time=0", "-d", shellWord(state.data), "label.png");
  return words.join(" ");
}

function showUnit(unit) {
  for (const element of form.querySelectorAll("[data-unit]")) {
    element.hidden = element.dataset.unit !== unit;
  }
}

// The data with the bytes position .. position+length-1 (1-based, bytes of
// the UTF-8 text) marked; a length of 0 marks the place where something is
// missing.
function showFault(data, fault) {
  const target = $("fault-text");
  const bytes = new TextEncoder().encode(data);
  const start = Math.min(Math.max(fault.position - 1, 0), bytes.length);
  const end = Math.min(start + Math.max(fault.length, 0), bytes.length);
  const decode = (part) => new TextDecoder().decode(part);
  const mark = document.createElement("mark");
  if (end > start) {
    mark.textContent = decode(bytes.slice(start, end));
  } else {
    mark.textContent = "▲";
    mark.className = "missing";
    mark.setAttribute("aria-label", "missing here");
  }
  target.replaceChildren(decode(bytes.slice(0, start)), mark, decode(bytes.slice(end)));
}

function setFault(message, fault, data) {
  const box = $("fault");
  box.hidden = !message;
  $("data").setAttribute("aria-invalid", message ? "true" : "false");
  $("fault-message").textContent = message || "";
  if (message && fault && fault.position > 0) {
    showFault(data, fault);
    box.querySelector(".fault-text").hidden = false;
  } else {
    $("fault-text").replaceChildren();
    box.querySelector(".fault-text").hidden = true;
  }
}

function setStatus(text, isError) {
  const status = $("status");
  status.textContent = text;
  status.classList.toggle("error", Boolean(isError));
}

function setDownloads(state, enabled) {
  for (const type of ["png", "svg", "pdf"]) {
    const link = $(`download-${type}`);
    link.href = `/v1/symbol.${type}?${parameters(state, type === "png")}`;
    link.setAttribute("aria-disabled", enabled ? "false" : "true");
    if (enabled) link.removeAttribute("tabindex"); else link.setAttribute("tabindex", "-1");
  }
}

async function validate(state, signal) {
  if (state.kind === "plain") return null;
  const query = new URLSearchParams({ data: state.data, [state.kind]: "1" });
  const response = await fetch(`/v1/validate?${query}`, { signal });
  return response.json();
}

async function symbol(state, signal) {
  const response = await fetch(`/v1/symbol.svg?${parameters(state, false)}`, { signal });
  if (!response.ok) return { error: await response.json() };
  return { blob: await response.blob() };
}

// Shows the new image once it has loaded; the old one stays until then.
function showImage(blob, data) {
  const url = URL.createObjectURL(blob);
  const loader = new Image();
  loader.onload = () => {
    const preview = $("preview");
    preview.src = url;
    preview.alt = `Data Matrix symbol of: ${data}`;
    preview.classList.remove("stale");
    preview.dataset.ready = "true";
    if (shownUrl) URL.revokeObjectURL(shownUrl);
    shownUrl = url;
  };
  loader.src = url;
}

async function refresh() {
  const state = readForm();
  history.replaceState(null, "", `?${parameters(state, state.unit === "mm")}`);
  $("command").value = commandLine(state);
  $("image-url").value = `${location.origin}/v1/symbol.png?${parameters(state, true)}`;
  if (pending) pending.abort();
  pending = new AbortController();
  const { signal } = pending;
  try {
    const [checked, made] = await Promise.all([validate(state, signal), symbol(state, signal)]);
    const hri = checked && checked.valid ? checked.hri : "";
    $("hri").value = hri;
    $("hri-line").hidden = !hri;
    if (made.error) {
      const fault = made.error.position ? made.error : null;
      setFault(made.error.message, fault, state.data);
      setStatus(made.error.parameter && made.error.parameter !== "data"
        ? `${made.error.message} (${made.error.parameter})` : "No symbol for these settings.", true);
      $("preview").classList.add("stale");
      setDownloads(state, false);
      return;
    }
    setFault("", null, state.data);
    setStatus("");
    setDownloads(state, true);
    showImage(made.blob, state.data);
  } catch (error) {
    if (error.name !== "AbortError") setStatus(`The server did not answer: ${error.message}`, true);
  }
}

function schedule() {
  clearTimeout(timer);
  timer = setTimeout(refresh, 120);
}

async function copy(id, button) {
  const field = $(id);
  try {
    await navigator.clipboard.writeText(field.value);
  } catch {
    field.select();
    document.execCommand("copy");
  }
  const label = button.textContent;
  button.textContent = "Copied";
  setTimeout(() => { button.textContent = label; }, 1200);
}

function start() {
  writeForm(stateFromUrl());
  form.addEventListener("submit", (event) => event.preventDefault());
  form.addEventListener("input", schedule);
  form.addEventListener("change", (event) => {
    if (event.target.id === "dmre") fillFormats($("dmre").checked, $("fmt").value);
    if (event.target.name === "unit") showUnit(form.elements.unit.value);
    schedule();
  });
  for (const button of document.querySelectorAll("[data-copy]")) {
    button.addEventListener("click", () => copy(button.dataset.copy, button));
  }
  refresh();
}

start();
