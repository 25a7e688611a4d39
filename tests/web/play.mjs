// Plays the web page in a real browser through its automation protocol, as a player would.
// Usage: node play.mjs chromium|firefox URL WORK_DIR [STILL_PNG]
//   WORK_DIR receives the downloads; STILL_PNG is kestravel-world's drawing of the start zone
//   after the player has stood still long enough for nothing to move any more.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const [browserName, url, work, stillPng] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
const measure = path.join(here, "..", "e2e", "lib", "quality_check.py");
const chromium = browserName === "chromium";
const downloads = path.join(work, `downloads-${browserName}`);
fs.mkdirSync(downloads, { recursive: true });

let failed = 0;
const pass = (what) => console.log(`ok: ${browserName}: ${what}`);
const fail = (what) => { console.log(`FAIL: ${browserName}: ${what}`); failed++; };
const check = (good, what) => (good ? pass(what) : fail(what));
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const png = (what, file, ...rest) => Number(execFileSync("python3", [measure, what, file, ...rest]).toString());

// Counts the frames the game really draws (a browser frame with a draw call in it), records the
// canvas contexts asked for, and puts an analyser in front of the audio output.
function probe(noWebGL) {
  const p = (window.__probe = { frames: 0, contexts: [], rms: 0, audio: "none", drawn: false });
  const raf = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => raf((time) => {
    p.drawn = false;
    callback(time);
    if (p.drawn) p.frames++;
  });
  const mark = (proto, name) => {
    const original = proto && proto.prototype[name];
    if (original) proto.prototype[name] = function (...args) { p.drawn = true; return original.apply(this, args); };
  };
  mark(window.WebGLRenderingContext, "clear");
  mark(window.WebGL2RenderingContext, "clear");
  mark(window.CanvasRenderingContext2D, "putImageData");
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
        p.audio = target.context.state;
        p.analyser.getFloatTimeDomainData(samples);
        p.rms = Math.max(p.rms, Math.sqrt(samples.reduce((sum, s) => sum + s * s, 0) / samples.length));
      }, 20);
    }
    return connect.call(this, p.analyser, ...args);
  };
}

const browser = await puppeteer.launch(chromium ? {
  executablePath: "/usr/bin/chromium",
  headless: true,
  // No GPU here: WebGL through SwiftShader. The rest keeps Chromium off the network.
  args: ["--no-sandbox", "--enable-unsafe-swiftshader", "--use-angle=swiftshader", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--window-size=1000,700"],
} : {
  browser: "firefox",
  executablePath: "/usr/bin/firefox-esr",
  // Headless Firefox has no WebGL without a GPU; under Xvfb it has Mesa's.
  headless: false,
  extraPrefsFirefox: {
    "browser.download.folderList": 2,
    "browser.download.dir": downloads,
    "browser.download.useDownloadDir": true,
    "browser.download.always_ask_before_handling_new_types": false,
    "browser.download.alwaysOpenPanel": false,
  },
});

async function openPage(noWebGL = false) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 700 });
  await page.evaluateOnNewDocument(probe, noWebGL);
  if (chromium) {
    const session = await page.createCDPSession();
    await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  }
  page.on("pageerror", (error) => console.log(`page error: ${error.message}`));
  await page.goto(url);
  return page;
}

const state = (page) => page.evaluate(() => document.body.dataset.state);
const frames = (page) => page.evaluate(() => window.__probe.frames);
async function waitFor(page, test, seconds, what) {
  for (let i = 0; i < seconds * 10; i++) {
    if (await page.evaluate(test).catch(() => false)) return true;
    await sleep(100);
  }
  fail(`${what} (waited ${seconds} s)`);
  return false;
}
const untilFrame = (page, n, seconds = 60) => waitFor(page, `window.__probe.frames >= ${n}`, seconds, `frame ${n}`);

// Presses a key for a few game frames, so the game's once-a-frame look at the keys sees it.
async function press(page, key, modifier) {
  if (modifier) await page.keyboard.down(modifier);
  await page.keyboard.down(key);
  await sleep(150);
  await page.keyboard.up(key);
  if (modifier) await page.keyboard.up(modifier);
  await sleep(150);
}

// F12, then the newly downloaded PNG, renamed to NAME.png for the report.
async function shoot(page, name) {
  const before = new Set(fs.readdirSync(downloads));
  await press(page, "F12");
  for (let i = 0; i < 100; i++) {
    const fresh = fs.readdirSync(downloads).filter((f) => !before.has(f) && f.endsWith(".png"));
    if (fresh.length) {
      await sleep(200);
      const kept = path.join(work, `${browserName}-${name}.png`);
      fs.copyFileSync(path.join(downloads, fresh[0]), kept);
      return { file: kept, name: fresh[0] };
    }
    await sleep(100);
  }
  fail(`F12 downloaded nothing (${name})`);
  return null;
}
const size = (file) => { const b = fs.readFileSync(file); return `${b.readUInt32BE(16)}x${b.readUInt32BE(20)}`; };

// ---------------------------------------------------------------- start
let page = await openPage();
check((await page.title()) === "Kestravel", `the page title is "${await page.title()}"`);
if (await waitFor(page, () => document.body.dataset.state === "ready", 60, "Click to play")) {
  const shown = await page.evaluate(() => document.getElementById("text").textContent);
  check(shown === "Click to play", `after loading the page says "${shown}"`);
  check((await frames(page)) === 0 && (await page.evaluate(() => window.__probe.analyser === undefined)),
    "no frame is drawn and no sound opened before the click");
}
await page.mouse.click(500, 350);
await waitFor(page, () => document.body.dataset.state === "running", 10, "the game starting on the click");
await untilFrame(page, 20);
const contexts = await page.evaluate(() => window.__probe.contexts.join(" "));
check(/webgl/.test(contexts) && !/webgl[^ ]*:none/.test(contexts), `the game draws with WebGL (${contexts})`);

// ---------------------------------------------------------------- the logo, then a room
const logo = await shoot(page, "logo");
if (logo) {
  check(size(logo.file) === "640x480", `F12 downloads a 640x480 PNG (${size(logo.file)})`);
  check(/^Kestravel_\d{8}-\d{6}(-\d+)?\.png$/.test(logo.name), `named like the desktop's: ${logo.name}`);
  const dark = png("dark", logo.file);
  check(dark > 0.6 && dark < 1, `the logo first: a dark picture with something lit (${(dark * 100).toFixed(0)} % dark)`);
}
if (chromium) {
  await sleep(1000);
  const audio = await page.evaluate(() => [window.__probe.audio, window.__probe.rms]);
  check(audio[0] === "running" && audio[1] > 0.01, `the click unlocked the audio and sound reaches the output (${audio[0]}, RMS ${audio[1].toFixed(3)})`);
}
// The start zone stands still once its caption has gone (1020 frames after the 105 of the logo)
// and the jump preview has faded in.
const stillFrame = stillPng ? 1200 : 200;
await untilFrame(page, stillFrame, 90);
const room = await shoot(page, "room");
if (room) {
  const dark = png("dark", room.file);
  check(dark < 0.5, `then a room (${(dark * 100).toFixed(0)} % dark)`);
  if (stillPng) {
    const differ = png("diff", room.file, stillPng);
    check(differ < 0.01, `the start zone matches kestravel-world's drawing of the same moment (${(differ * 100).toFixed(2)} % of pixels differ)`);
  }
}

// ---------------------------------------------------------------- keys
const scroll = () => page.evaluate(() => [window.scrollX, window.scrollY, document.scrollingElement.scrollTop,
                                         document.activeElement === document.getElementById("canvas")]);
await page.keyboard.down("ArrowRight");
await sleep(600);
await page.keyboard.up("ArrowRight");
for (const key of [" ", "ArrowDown", "Tab", "ArrowUp", " ", "PageDown", "End"]) await press(page, key);
const walked = await shoot(page, "walked");
if (room && walked) {
  const moved = png("diff", room.file, walked.file);
  check(moved > 0.001, `the keys move the player (${(moved * 100).toFixed(2)} % of pixels changed)`);
}
const [sx, sy, top, focused] = await scroll();
check(sx === 0 && sy === 0 && top === 0 && focused, `arrows, Space, Tab and paging keys neither scroll the page nor move the focus (${sx},${sy},${top}, focus kept: ${focused})`);

// ---------------------------------------------------------------- fullscreen
if (chromium) {
  const full = () => page.evaluate(() => [!!document.fullscreenElement, document.getElementById("canvas").style.cursor]);
  await press(page, "KeyF", "Control");
  await sleep(300);
  let [on, cursor] = await full();
  check(on && cursor === "none", `Ctrl+F makes the page fullscreen and the game hides the pointer (${on}, "${cursor}")`);
  await page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
  await sleep(300);
  [on, cursor] = await full();
  check(!on && cursor !== "none", `leaving the browser's fullscreen leaves the game's too ("${cursor}")`);
  await press(page, "KeyF", "Control");
  await sleep(300);
  [on] = await full();
  check(on, "so the next Ctrl+F enters fullscreen again");
  await page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
  await sleep(300);
}

// ---------------------------------------------------------------- EXIT
// Space chooses: WebDriver BiDi's Enter arrives as the keypad's.
await press(page, "Escape");
await press(page, "ArrowUp");
await press(page, " ");
if (await waitFor(page, () => document.body.dataset.state === "ended", 10, "the end page after EXIT")) {
  const [text, action, hidden] = await page.evaluate(() => [document.getElementById("text").textContent,
    document.getElementById("button").textContent, document.getElementById("canvas").hidden]);
  check(text === "The game has ended." && action === "Play again" && hidden,
    `EXIT shows the end page: "${text}" with "${action}", canvas put away`);
  await page.click("#button");
  await waitFor(page, () => document.body.dataset.state === "ready", 60, "Play again loading the game afresh");
  pass("Play again loads the game afresh");
} else {
  await page.screenshot({ path: path.join(work, `${browserName}-no-end-page.png`) });
}
await page.close();

// ---------------------------------------------------------------- without WebGL, without data
if (chromium) {
  page = await openPage(true);
  await waitFor(page, () => document.body.dataset.state === "ready", 60, "Click to play without WebGL");
  await page.mouse.click(500, 350);
  await untilFrame(page, 150);
  const soft = await shoot(page, "software");
  const state2 = await state(page);
  check(soft && state2 === "running" && png("dark", soft.file) < 0.5,
    `without WebGL the game draws the room with SDL's software renderer (${state2})`);
  await page.close();

  page = await browser.newPage();
  await page.setRequestInterception(true);
  page.on("request", (request) => (request.url().endsWith("kestravel.data") ? request.respond({ status: 404, body: "" }) : request.continue()));
  await page.goto(url);
  await waitFor(page, () => document.body.dataset.state === "ready", 60, "Click to play without the data");
  await page.mouse.click(500, 350);
  if (await waitFor(page, () => document.body.dataset.state === "error", 10, "an error in the page without the data")) {
    const shown = await page.evaluate(() => document.getElementById("text").textContent);
    check(shown === "Game data not found!", `without its data the page shows the game's message "${shown}"`);
  }
  await page.close();
}

await browser.close();
console.log(failed ? `${browserName}: ${failed} failed` : `${browserName}: all passed`);
process.exit(failed ? 1 : 0);
