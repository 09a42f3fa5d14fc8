#!/usr/bin/env node
// Regenerates the sideways real-page cases (not run by the tests).
//
// Needs chromium, debian-reference-en and Node 20 or later
// (apt-get install chromium debian-reference-en nodejs):
//
//     node --experimental-websocket tests/data/sideways/make_sideways.mjs [output folder]
//
// Each case is a Debian Reference page with a part wider than the viewport: a
// table whose cells do not wrap (as a spreadsheet's) or a code listing with
// long lines, moved to the top of the page (what stands above it is hidden).
// Headless Chromium shows the page in a viewport of a fixed size and is
// scrolled to the right by real wheel events (horizontal wheel deltas, sent
// through the DevTools protocol); the viewport is grabbed after each notch.
// The truth is one grab of a viewport as wide as the wide part, scrolled to
// the left edge. The page's body has a fixed width and its stylesheet loses
// its @media rules, so the wide viewport lays the page out exactly as the
// narrow one.

import { spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

const SOURCE = "/usr/share/debian-reference";
const HERE = path.dirname(new URL(import.meta.url).pathname);

const CASES = [
  { name: "debref-ch02-wide-table", page: "ch02.en.html", selector: "div.table-contents table", index: "widest",
    viewport: [800, 600], notch: 290, nowrap: true },
  { name: "debref-ch02-long-code", page: "ch02.en.html", selector: "pre.screen", index: "widest",
    viewport: [480, 360], notch: 170, nowrap: false },
];

const PAGE_STYLE = `<style>
  body { width: 760px !important; margin: 8px !important; }
  .tf-nowrap td, .tf-nowrap th { white-space: nowrap !important; }
  pre.screen { white-space: pre !important; overflow: visible !important; }
</style>`;

function withoutMediaRules(css) {
  let out = "", i = 0;
  for (;;) {
    const at = css.indexOf("@media", i);
    if (at < 0) return out + css.slice(i);
    out += css.slice(i, at);
    let depth = 0, j = css.indexOf("{", at);
    do {
      if (css[j] === "{") depth++;
      else if (css[j] === "}") depth--;
      j++;
    } while (depth > 0);
    i = j;
  }
}

function preparePage(c, workdir) {
  let html = fs.readFileSync(path.join(SOURCE, c.page), "utf8");
  if (c.nowrap) html = html.replace("<body", '<body class="tf-nowrap"');
  html = html.replace("</head>", PAGE_STYLE + "</head>");
  fs.writeFileSync(path.join(workdir, c.page), html);
  for (const name of fs.readdirSync(SOURCE)) {
    const target = path.join(workdir, name);
    if (name.endsWith(".html") || fs.existsSync(target)) continue;
    if (name.endsWith(".css")) fs.writeFileSync(target, withoutMediaRules(fs.readFileSync(path.join(SOURCE, name), "utf8")));
    else fs.symlinkSync(path.join(SOURCE, name), target);
  }
  return "file://" + path.join(workdir, c.page);
}

// Hides what stands above the shown part and returns its right edge.
const focusScript = (c) => `(() => {
  const all = [...document.querySelectorAll(${JSON.stringify(c.selector)})];
  const el = ${JSON.stringify(c.index)} === "widest"
      ? all.reduce((a, b) => (b.scrollWidth > a.scrollWidth ? b : a)) : all[${JSON.stringify(c.index)}];
  for (let n = el; n && n !== document.body; n = n.parentElement)
    for (let s = n.previousElementSibling; s; s = s.previousElementSibling) s.style.display = "none";
  window.scrollTo(0, 0);
  return Math.min(Math.ceil(el.getBoundingClientRect().left + el.scrollWidth) + 16,
                  document.documentElement.scrollWidth);
})()`;

class Browser {
  static async start(userDir) {
    const proc = spawn("chromium", ["--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
      "--disable-smooth-scrolling", "--force-device-scale-factor=1", "--remote-debugging-port=0",
      `--user-data-dir=${userDir}`, "about:blank"], { stdio: ["ignore", "ignore", "pipe"] });
    const url = await new Promise((resolve, reject) => {
      let text = "";
      proc.stderr.on("data", (d) => {
        text += d;
        const m = text.match(/DevTools listening on (ws:\/\/\S+)/);
        if (m) resolve(m[1]);
      });
      proc.on("exit", () => reject(new Error("chromium ended: " + text)));
    });
    const b = new Browser(proc, new WebSocket(url));
    await new Promise((r) => b.ws.addEventListener("open", r));
    return b;
  }
  constructor(proc, ws) {
    this.proc = proc; this.ws = ws; this.nextId = 1; this.waiting = new Map(); this.events = [];
    ws.addEventListener("message", (e) => {
      const msg = JSON.parse(e.data);
      if (msg.id && this.waiting.has(msg.id)) {
        const { resolve, reject } = this.waiting.get(msg.id);
        this.waiting.delete(msg.id);
        msg.error ? reject(new Error(JSON.stringify(msg.error))) : resolve(msg.result);
      } else if (msg.method) this.events.push(msg);
    });
  }
  send(method, params = {}, sessionId) {
    const id = this.nextId++;
    this.ws.send(JSON.stringify({ id, method, params, sessionId }));
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
  }
  async waitFor(method) {
    for (;;) {
      const i = this.events.findIndex((e) => e.method === method);
      if (i >= 0) return this.events.splice(i, 1)[0];
      await sleep(50);
    }
  }
  close() {
    const ended = new Promise((r) => this.proc.on("exit", r));
    this.proc.kill();
    return ended;
  }
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function makeCase(browser, c, root, workdir) {
  const url = preparePage(c, workdir);
  const { targetId } = await browser.send("Target.createTarget", { url: "about:blank" });
  const { sessionId } = await browser.send("Target.attachToTarget", { targetId, flatten: true });
  const send = (m, p) => browser.send(m, p, sessionId);
  const evaluate = async (expr) => (await send("Runtime.evaluate", { expression: expr, returnByValue: true })).result.value;
  const [vw, vh] = c.viewport;
  const metrics = (width) => send("Emulation.setDeviceMetricsOverride", { width, height: vh, deviceScaleFactor: 1, mobile: false });
  await send("Page.enable");
  await metrics(vw);
  await send("Page.navigate", { url });
  await browser.waitFor("Page.loadEventFired");
  const right = await evaluate(focusScript(c));
  const end = right - vw;
  await sleep(300);

  const folder = path.join(root, c.name);
  fs.rmSync(folder, { recursive: true, force: true });
  fs.mkdirSync(path.join(folder, "frames"), { recursive: true });
  const grab = async (file) => {
    const { data } = await send("Page.captureScreenshot", { format: "png" });
    fs.writeFileSync(file, Buffer.from(data, "base64"));
  };
  const offsets = [];
  for (let x = 0; ; ) {
    await grab(path.join(folder, "frames", String(offsets.length).padStart(4, "0") + ".png"));
    offsets.push(x);
    if (x >= end) break;
    // One notch to the right, the last one only as far as the wide part goes.
    const delta = Math.min(c.notch, end - x);
    await send("Input.dispatchMouseEvent", { type: "mouseWheel", x: vw / 2, y: vh / 2, deltaX: delta, deltaY: 0 });
    await sleep(400);
    const now = await evaluate("window.scrollX");
    if (now <= x) throw new Error(`${c.name}: the page did not scroll at ${x}`);
    x = now;
  }
  await metrics(right);
  await evaluate("window.scrollTo(0, 0)");
  await sleep(400);
  await grab(path.join(folder, "truth.png"));
  await browser.send("Target.closeTarget", { targetId });
  const meta = { name: c.name, width: vw, height: vh, notch: c.notch, offsets, expectedWidth: right,
                 package: "debian-reference-en", page: c.page, shows: `${c.selector} ${c.index}`, cellsWrap: !c.nowrap };
  fs.writeFileSync(path.join(folder, "meta.json"), JSON.stringify(meta, null, 1) + "\n");
  console.log(c.name, "width", right, "frames", offsets.length);
}

const root = process.argv[2] || HERE;
const workdir = fs.mkdtempSync(path.join(os.tmpdir(), "sideways-"));
const browser = await Browser.start(path.join(workdir, "profile"));
try {
  for (const c of CASES) await makeCase(browser, c, root, workdir);
} finally {
  await browser.close();
  fs.rmSync(workdir, { recursive: true, force: true });
}
