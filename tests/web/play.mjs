// Plays the web page in a real browser through its automation protocol, as a player would.
// Usage: node play.mjs chromium|firefox URL WORK_DIR [STILL_PNG]
//   WORK_DIR receives the downloads; STILL_PNG is kestravel-world's drawing of the start zone
//   once the player has stood still long enough for nothing on it to move.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import puppeteer from "puppeteer-core";

const [browserName, url, work, stillPng] = process.argv.slice(2);
const measure = path.join(path.dirname(new URL(import.meta.url).pathname), "..", "e2e", "lib", "quality_check.py");
const chromium = browserName === "chromium";
const downloads = path.join(work, `downloads-${browserName}`);
fs.mkdirSync(downloads, { recursive: true });
let failed = 0;
const check = (good, what) => { console.log(`${good ? "ok" : "FAIL"}: ${browserName}: ${what}`); failed += good ? 0 : 1; };
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const png = (...args) => Number(execFileSync("python3", [measure, ...args]).toString());
const size = (file) => { const b = fs.readFileSync(file); return `${b.readUInt32BE(16)}x${b.readUInt32BE(20)}`; };

// Counts the browser frames the game drew in, notes the canvas contexts asked for (refusing
// WebGL if told to) and puts an analyser between the game's sound and the output.
function probe(noWebGL) {
  const p = (window.__probe = { frames: 0, contexts: [], rms: 0 });
  const raf = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => raf((time) => { p.drawn = false; callback(time); p.frames += p.drawn ? 1 : 0; });
  for (const [type, name] of [["WebGLRenderingContext", "clear"], ["CanvasRenderingContext2D", "putImageData"]]) {
    const original = window[type].prototype[name];
    window[type].prototype[name] = function (...args) { p.drawn = true; return original.apply(this, args); };
  }
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, ...args) {
    const context = noWebGL && /webgl/.test(type) ? null : getContext.call(this, type, ...args);
    p.contexts.push(context ? type : `${type}:none`);
    return context;
  };
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...args) {
    if (!(target instanceof AudioDestinationNode)) return connect.call(this, target, ...args);
    if (!p.analyser) {
      p.analyser = target.context.createAnalyser();
      connect.call(p.analyser, target);
      const samples = new Float32Array(p.analyser.fftSize);
      setInterval(() => {
        p.analyser.getFloatTimeDomainData(samples);
        p.audio = target.context.state;
        p.rms = Math.max(p.rms, Math.sqrt(samples.reduce((sum, s) => sum + s * s, 0) / samples.length));
      }, 20);
    }
    return connect.call(this, p.analyser, ...args);
  };
}

const browser = await puppeteer.launch(chromium ? {
  executablePath: "/usr/bin/chromium", headless: true,
  // No GPU here: WebGL through SwiftShader. The rest keeps Chromium off the network.
  args: ["--no-sandbox", "--enable-unsafe-swiftshader", "--use-angle=swiftshader", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
} : {
  // Headless Firefox has no WebGL without a GPU; under Xvfb it has Mesa's.
  browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: false,
  extraPrefsFirefox: { "browser.download.folderList": 2, "browser.download.dir": downloads,
                       "browser.download.always_ask_before_handling_new_types": false },
});

async function openPage(noWebGL, missing) {
  const page = await browser.newPage();
  // Firefox ESR 140 lacks a command this sends after sizing the page; the size still holds.
  await page.setViewport({ width: 1000, height: 700 }).catch(() => {});
  await page.evaluateOnNewDocument(probe, noWebGL);
  if (chromium) await (await page.createCDPSession()).send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  if (missing) {
    await page.setRequestInterception(true);
    page.on("request", (r) => (r.url().endsWith(missing) ? r.respond({ status: 404, body: "" }) : r.continue()));
  }
  page.on("pageerror", (error) => console.log(`page error: ${error.message}`));
  await page.goto(url);
  return page;
}
const read = (page, what) => page.evaluate(what);
async function waitFor(page, test, seconds, what) {
  for (let i = 0; i < seconds * 10; i++, await sleep(100)) if (await page.evaluate(test).catch(() => false)) return true;
  check(false, `${what} (waited ${seconds} s)`);
  return false;
}
const state = (name) => `document.body.dataset.state === "${name}"`;
// Frames, not seconds: a busy machine draws fewer of them in a second.
const untilFrame = (page, n) => waitFor(page, `window.__probe.frames >= ${n}`, 300, `frame ${n}`);
// Held for a few game frames: the game looks at the keys once a frame.
async function press(page, key, modifier) {
  if (modifier) await page.keyboard.down(modifier);
  await page.keyboard.down(key);
  await sleep(150);
  await page.keyboard.up(key);
  if (modifier) await page.keyboard.up(modifier);
  await sleep(150);
}
// F12, then the PNG it downloaded, copied to WORK_DIR/BROWSER-NAME.png.
async function shoot(page, name) {
  const before = new Set(fs.readdirSync(downloads));
  await press(page, "F12");
  for (let i = 0; i < 100; i++, await sleep(100)) {
    const fresh = fs.readdirSync(downloads).find((f) => !before.has(f) && f.endsWith(".png"));
    if (!fresh) continue;
    await sleep(200);
    const file = path.join(work, `${browserName}-${name}.png`);
    fs.copyFileSync(path.join(downloads, fresh), file);
    return { file, name: fresh };
  }
  check(false, `F12 downloaded nothing (${name})`);
  return null;
}

// ---------------------------------------------------------------- start, the logo, a room
let page = await openPage();
check((await page.title()) === "Kestravel", `the page title is "${await page.title()}"`);
if (await waitFor(page, state("ready"), 60, "Click to play")) {
  const [text, frames, sound] = await read(page, () => [document.getElementById("text").textContent,
    window.__probe.frames, !!window.__probe.analyser]);
  check(text === "Click to play" && !frames && !sound, `once loaded the page says "${text}"; no frame, no sound before it`);
}
await page.mouse.click(500, 350);
await waitFor(page, state("running"), 10, "the game starting on the click");
await untilFrame(page, 20);
const contexts = await read(page, () => window.__probe.contexts.join(" "));
check(/^webgl/.test(contexts) && !/:none/.test(contexts), `the game draws with WebGL (${contexts})`);
const logo = await shoot(page, "logo");
if (logo) {
  check(size(logo.file) === "640x480" && /^Kestravel_\d{8}-\d{6}(-\d+)?\.png$/.test(logo.name),
    `F12 downloads a 640x480 PNG named like the desktop's: ${logo.name}, ${size(logo.file)}`);
  const dark = png("dark", logo.file);
  check(dark > 0.6 && dark < 1, `the logo first: dark with something lit (${(dark * 100).toFixed(0)} % dark)`);
}
if (chromium) {
  await sleep(1000);
  const [audio, rms] = await read(page, () => [window.__probe.audio, window.__probe.rms]);
  check(audio === "running" && rms > 0.01, `the click unlocked the audio and sound reaches the output (${audio}, RMS ${rms.toFixed(3)})`);
}
// The start zone stands still once its caption is gone (1020 frames after the logo's 105) and the
// jump preview has faded in.
await untilFrame(page, stillPng ? 1200 : 200);
const room = await shoot(page, "room");
if (room) check(png("dark", room.file) < 0.5, "then a room");
if (room && stillPng) {
  const differ = png("diff", room.file, stillPng);
  check(differ < 0.01, `the start zone matches kestravel-world's drawing of the same moment (${(differ * 100).toFixed(2)} % of pixels differ)`);
}

// ---------------------------------------------------------------- keys, fullscreen
await page.keyboard.down("ArrowRight");
await sleep(600);
await page.keyboard.up("ArrowRight");
for (const key of [" ", "ArrowDown", "Tab", "ArrowUp", " ", "PageDown", "End"]) await press(page, key);
const walked = await shoot(page, "walked");
if (room && walked) check(png("diff", room.file, walked.file) > 0.001, "the keys move the player");
const still = await read(page, () => [window.scrollX, window.scrollY, document.scrollingElement.scrollTop,
                                      document.activeElement === document.getElementById("canvas")]);
check(still.join() === "0,0,0,true", `arrows, Space, Tab and paging keys neither scroll the page nor take the focus (${still})`);
if (chromium) {
  // The game hides the pointer while it believes itself fullscreen.
  const full = () => read(page, () => `${!!document.fullscreenElement} ${document.getElementById("canvas").style.cursor}`);
  const leave = () => read(page, () => document.fullscreenElement && document.exitFullscreen());
  await press(page, "KeyF", "Control");
  const entered = await full();
  await leave();
  // The game hears of it at its next frame. SDL sets the pointer only while it is over the canvas,
  // which Chromium 150 forgets on leaving fullscreen until the pointer moves, as a player's would.
  await page.mouse.move(510, 360);
  for (let i = 0; i < 100 && (await full()) !== "false default"; i++) await sleep(100);
  const left = await full();
  await press(page, "KeyF", "Control");
  const again = await full();
  check(entered === "true none" && left === "false default" && again === "true none",
    `Ctrl+F: browser fullscreen; leaving it by the browser leaves the game's, so Ctrl+F enters again (${entered}; ${left}; ${again})`);
  await leave();
}

// ---------------------------------------------------------------- EXIT
// Space chooses: WebDriver BiDi's Enter arrives as the keypad's.
for (const key of ["Escape", "ArrowUp", " "]) await press(page, key);
if (await waitFor(page, state("ended"), 10, "the end page after EXIT")) {
  const shown = await read(page, () => [document.getElementById("text").textContent,
    document.getElementById("button").textContent, document.getElementById("canvas").hidden].join(" / "));
  check(shown === "The game has ended. / Play again / true", `EXIT shows the end page, canvas put away: ${shown}`);
  await page.click("#button");
  if (await waitFor(page, state("ready"), 60, "Play again loading the game afresh")) check(true, "Play again loads the game afresh");
} else {
  await page.screenshot({ path: path.join(work, `${browserName}-no-end-page.png`) });
}
await page.close();

// ---------------------------------------------------------------- without WebGL, without data
if (chromium) {
  page = await openPage(true);
  await waitFor(page, state("ready"), 60, "Click to play without WebGL");
  await page.mouse.click(500, 350);
  await untilFrame(page, 150);
  const soft = await shoot(page, "software");
  check(soft && (await read(page, () => document.body.dataset.state)) === "running" && png("dark", soft.file) < 0.5,
    "without WebGL SDL's software renderer draws the room");
  await page.close();
  page = await openPage(false, "kestravel.data");
  await waitFor(page, state("ready"), 60, "Click to play without the data");
  await page.mouse.click(500, 350);
  if (await waitFor(page, state("error"), 10, "an error in the page without the data")) {
    const shown = await read(page, () => document.getElementById("text").textContent);
    check(shown === "Game data not found!", `without its data the page shows the game's own message: ${shown}`);
  }
}
await browser.close();
console.log(`${browserName}: ${failed ? `${failed} failed` : "all passed"}`);
process.exit(failed ? 1 : 0);
