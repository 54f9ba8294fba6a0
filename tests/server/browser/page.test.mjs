// korvel-server's page in a real headless Chromium (Debian's, driven by
// puppeteer-core): the preview read back with zxing-cpp, a GS1 fault found
// highlighted, a download read back and compared with the page's own korvel
// command line, axe-core's rules, and a 390 px wide screen.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { spawn, execFileSync } from "node:child_process";
import { createInterface } from "node:readline";
import { mkdtempSync, readFileSync, existsSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import puppeteer from "puppeteer-core";

const LABEL = "[01]09501101530003[17]261231[10]ABC123";
const scratch = mkdtempSync(join(tmpdir(), "korvel-page-"));
let server;
let base;
let browser;

// What zxing-cpp reads in an image file, as text.
function readSymbol(file) {
  const hex = execFileSync("/usr/bin/python3", [join(process.cwd(), "read_symbol.py"), file]).toString();
  return Buffer.from(hex, "hex").toString("latin1");
}

async function waitForFile(file, limitMs = 15000) {
  const until = Date.now() + limitMs;
  while (!existsSync(file) && Date.now() < until) await new Promise((r) => setTimeout(r, 100));
  await new Promise((r) => setTimeout(r, 300));  // a download is renamed into place when complete
  assert.ok(existsSync(file), `${file} was not downloaded`);
}

async function openPage(query, width = 1100) {
  const page = await browser.newPage();
  await page.setBypassCSP(true);  // lets axe-core's script in
  await page.setViewport({ width, height: 900 });
  await page.goto(`${base}/?${query}`, { waitUntil: "load" });
  await page.waitForSelector("#preview[data-ready='true']", { timeout: 15000 });
  return page;
}

before(async () => {
  server = spawn(process.env.KORVEL_SERVER, ["--listen=127.0.0.1:0", "--threads=2"], { stdio: ["ignore", "pipe", "inherit"] });
  const line = await new Promise((resolve, reject) => {
    createInterface({ input: server.stdout }).once("line", resolve);
    server.once("exit", () => reject(new Error("korvel-server ended")));
  });
  base = line.match(/(http:\/\/[^/]+)\//)[1];
  browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM,
    userDataDir: join(scratch, "profile"),
    args: ["--no-sandbox", "--headless", "--disable-gpu", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--no-first-run"],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.kill("SIGTERM");
  rmSync(scratch, { recursive: true, force: true });
});

test("a label from the URL shows, reads back, and gives its HRI", async () => {
  const page = await openPage(new URLSearchParams({ data: LABEL, gs1: "1" }).toString());
  const shot = join(scratch, "preview.png");
  await (await page.$("#preview")).screenshot({ path: shot });
  assert.equal(readSymbol(shot), "0109501101530003172612311" + "0ABC123");
  assert.equal(await page.$eval("#hri", (e) => e.value), "(01) 09501101530003 (17) 261231 (10) ABC123");
  assert.equal(await page.$eval("#data", (e) => e.value), LABEL);
  assert.equal(await page.$eval("input[name=kind]:checked", (e) => e.value), "gs1");
  await page.close();
});

test("a wrong check digit is found and its characters highlighted", async () => {
  const page = await openPage(new URLSearchParams({ data: LABEL, gs1: "1" }).toString());
  await page.$eval("#data", (e) => { e.focus(); e.select(); });
  await page.keyboard.type("[01]09501101530004");
  await page.waitForSelector("#fault:not([hidden])", { timeout: 10000 });
  assert.match(await page.$eval("#fault-message", (e) => e.textContent), /check digit 4, expected 3/);
  await page.waitForSelector("#fault-text mark", { timeout: 5000 });
  assert.equal(await page.$eval("#fault-text mark", (e) => e.textContent), "09501101530004");
  assert.equal(await page.$eval("#data", (e) => e.getAttribute("aria-invalid")), "true");
  assert.match(page.url(), /data=%5B01%5D09501101530004/);
  await page.close();
});

test("the PNG download reads back and equals the page's korvel command line", async () => {
  const page = await openPage(new URLSearchParams({ data: "LOT 0815 / it's", fcolor: "8b0000", orient: "90" }).toString());
  const downloads = join(scratch, "downloads");
  const cdp = await page.createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  await page.click("#download-png");
  const file = join(downloads, "label.png");
  await waitForFile(file);
  assert.equal(readSymbol(file), "LOT 0815 / it's");

  const command = await page.$eval("#command", (e) => e.value);
  assert.match(command, /^korvel .*--time=0 .* label\.png$/);
  const run = join(scratch, "run");
  execFileSync("mkdir", ["-p", run]);
  execFileSync("/bin/sh", ["-c", command.replace(/^korvel /, `'${process.env.KORVEL_PROGRAM}' `)], { cwd: run });
  assert.deepEqual(readFileSync(join(run, "label.png")), readFileSync(file));
  assert.equal(await page.$eval("#image-url", (e) => e.value), `${base}/v1/symbol.png?${new URL(await page.$eval("#download-png", (e) => e.href)).search.slice(1)}`);
  await page.close();
});

test("every control is reachable by keyboard and axe-core finds no violation", async () => {
  const page = await openPage("data=1234567");
  const reached = new Set();
  for (let i = 0; i < 40; i += 1) {
    await page.keyboard.press("Tab");
    reached.add(await page.evaluate(() => document.activeElement.id || document.activeElement.name || ""));
  }
  for (const id of ["data", "kind", "fmt", "shape", "dmre", "xdim", "fcolor", "bcolor", "qsize", "orient", "qzone",
    "dots", "ink-spread", "hri-text", "no-background", "cmyk", "download-png", "download-svg", "download-pdf", "command", "image-url"]) {
    assert.ok(reached.has(id), `${id} is not reached by Tab`);
  }
  await page.addScriptTag({ path: join(process.cwd(), "node_modules/axe-core/axe.min.js") });
  const results = await page.evaluate(() => window.axe.run(document));
  assert.deepEqual(results.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(" ")}`), []);
  await page.close();
});

test("the page fits a 390 px wide screen without horizontal scrolling", async () => {
  const page = await openPage(new URLSearchParams({ data: LABEL + "[21]" + "X".repeat(20), gs1: "1" }).toString(), 390);
  const widths = await page.evaluate(() => [document.documentElement.scrollWidth, document.body.scrollWidth]);
  assert.ok(Math.max(...widths) <= 390, `the page is ${widths} px wide`);
  await page.close();
});
