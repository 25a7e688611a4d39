// Measures the web page in headless Chromium (tools/web/benchmark.sh runs it): the time from
// navigation to the first game frame, the CPU time of the page's main thread (and of the GPU
// process, where SwiftShader does WebGL's work here) and the frame rate while the player
// stands still, with WebGL and with SDL's software renderer, and at the display's rate and
// with frames unthrottled (a display of any refresh rate). Reports; never fails on a number.
// Usage: node web.mjs URL SECONDS
import fs from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const puppeteer = createRequire(path.join(here, "..", "tests", "web", "package.json"))("puppeteer-core");
const [url, secondsText] = process.argv.slice(2);
const seconds = Number(secondsText) || 10;
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Counts the browser's frames (display refreshes) and those in which the game drew something.
function probe(noWebGL) {
  const p = (window.__probe = { frames: 0, refreshes: 0, firstFrame: 0, drawn: false });
  const raf = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => raf((time) => {
    p.drawn = false;
    p.refreshes++;
    callback(time);
    if (p.drawn && !p.frames++) p.firstFrame = performance.now();
  });
  for (const [proto, name] of [[window.WebGLRenderingContext, "clear"], [window.WebGL2RenderingContext, "clear"],
                               [window.CanvasRenderingContext2D, "putImageData"]]) {
    const original = proto && proto.prototype[name];
    if (original) proto.prototype[name] = function (...args) { p.drawn = true; return original.apply(this, args); };
  }
  if (noWebGL) {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, ...args) {
      return /webgl/.test(type) ? null : getContext.call(this, type, ...args);
    };
  }
}

// CPU seconds of each Chromium process of a type below the browser process: of its main thread,
// or of all its threads.
function cpu(browserPid, type, mainThread) {
  const seconds = [];
  for (const pid of fs.readdirSync("/proc").filter((name) => /^\d+$/.test(name))) {
    try {
      if (!fs.readFileSync(`/proc/${pid}/cmdline`, "utf8").includes(`--type=${type}`)) continue;
      let parent = pid;
      while (parent > 1 && parent != browserPid) parent = Number(fs.readFileSync(`/proc/${parent}/stat`, "utf8").split(") ")[1].split(" ")[1]);
      if (parent != browserPid) continue;
      const fields = fs.readFileSync(mainThread ? `/proc/${pid}/task/${pid}/stat` : `/proc/${pid}/stat`, "utf8").split(") ")[1].split(" ");
      seconds.push((Number(fields[11]) + Number(fields[12])) / 100);
    } catch {
      // gone meanwhile
    }
  }
  return seconds;
}

async function run(label, { noWebGL = false, unthrottled = false } = {}) {
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--enable-unsafe-swiftshader", "--use-angle=swiftshader", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           ...(unthrottled ? ["--disable-frame-rate-limit", "--disable-gpu-vsync"] : [])],
  });
  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 768 });
  await page.evaluateOnNewDocument(probe, noWebGL);
  const session = await page.createCDPSession();
  await session.send("Performance.enable");
  await session.send("Network.enable");
  const fetched = new Map();
  session.on("Network.loadingFinished", (e) => fetched.set(e.requestId, e.encodedDataLength));
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.state === "ready", { timeout: 60000, polling: 20 });
  const ready = await page.evaluate(() => performance.now());
  await page.mouse.click(512, 384);
  await page.waitForFunction(() => window.__probe.frames > 0, { timeout: 60000, polling: 10 });
  const first = await page.evaluate(() => window.__probe.firstFrame);
  // Past the logo, standing at the start.
  await sleep(4000);
  const metric = async () => {
    const { metrics } = await session.send("Performance.getMetrics");
    const get = (name) => metrics.find((m) => m.name === name).value;
    const [frames, refreshes] = await page.evaluate(() => [window.__probe.frames, window.__probe.refreshes]);
    return { task: get("TaskDuration"), time: get("Timestamp"), frames, refreshes,
             renderer: cpu(browser.process().pid, "renderer", true), gpu: cpu(browser.process().pid, "gpu-process", false) };
  };
  // The page's renderer is the one that worked; the others idle.
  const spent = (x, y) => Math.max(0, ...y.map((s, i) => s - (x[i] ?? s)));
  const a = await metric();
  await sleep(seconds * 1000);
  const b = await metric();
  const wall = b.time - a.time;
  const result = {
    label,
    ready: Math.round(ready),
    firstFrame: Math.round(first),
    busy: (100 * (b.task - a.task)) / wall,
    cpu: (100 * spent(a.renderer, b.renderer)) / wall,
    gpu: (100 * spent(a.gpu, b.gpu)) / wall,
    fps: (b.frames - a.frames) / wall,
    refreshes: (b.refreshes - a.refreshes) / wall,
    bytes: [...fetched.values()].reduce((sum, n) => sum + n, 0),
  };
  await browser.close();
  return result;
}

const results = [];
results.push(await run("WebGL"));
results.push(await run("WebGL, frames unthrottled", { unthrottled: true }));
results.push(await run("software renderer", { noWebGL: true }));
console.log("renderer                     ready  first frame  main thread: CPU, busy  GPU process CPU    fps  refreshes/s");
console.log("(CPU: time on a core; busy: Chromium's TaskDuration, the thread's tasks by the wall clock)");
for (const r of results)
  console.log(`${r.label.padEnd(27)} ${String(r.ready).padStart(5)} ms ${String(r.firstFrame).padStart(7)} ms` +
              `  ${r.cpu.toFixed(1).padStart(9)} % ${r.busy.toFixed(1).padStart(5)} %  ${r.gpu.toFixed(1).padStart(11)} %` +
              `  ${r.fps.toFixed(1).padStart(5)}  ${r.refreshes.toFixed(1).padStart(11)}`);
console.log(`bytes the page fetched, uncompressed: ${results[0].bytes}`);
