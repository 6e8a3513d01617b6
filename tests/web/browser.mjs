// The page in build-web/ played in headless Chromium through the DevTools protocol on a pipe (no
// package, no network): stills of &size at every reference moment against tests/velmora/reference,
// links outside the show, a still made full-screen after a load in a small window and the loading
// line, the start screen, a key, the music's clock, Escape, the music's end, a lost WebGL context,
// and a phone's taps, upright and sideways, with no console or WebGL error.
// Usage: node tests/web/browser.mjs [build-web] [folder for the stills taken]
import { spawn } from "node:child_process";
import { mkdtempSync, readFile, readFileSync, readdirSync, rmSync, statSync, writeFileSync, mkdirSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { extname, join } from "node:path";

const root = process.argv[2] || "build-web";
const stillsDir = process.argv[3] || "build/web-stills";
const referenceDir = "tests/velmora/reference";
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".mp3": "audio/mpeg" };
// While `musicHeld` is a promise, the music's response stops half-way until it settles.
let musicHeld = null;
const server = createServer((request, response) => {
  const path = join(root, new URL(request.url, "http://x").pathname.replace(/\/$/, "/index.html"));
  readFile(path, async (error, body) => {
    if (error) return response.writeHead(404).end();
    response.writeHead(200, { "Content-Type": types[extname(path)] || "application/octet-stream", "Content-Length": body.length });
    const held = path.endsWith(".mp3") && musicHeld, half = body.length >> 1;
    if (held) {
      response.write(body.subarray(0, half));
      await held;
    }
    response.end(held ? body.subarray(half) : body);
  });
});
await new Promise((done) => server.listen(0, "127.0.0.1", done));
const origin = `http://127.0.0.1:${server.address().port}`;

const profile = mkdtempSync(join(tmpdir(), "skorvane-chromium-"));
const chromium = spawn("chromium", ["--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
  "--no-sandbox", "--no-first-run", "--disable-background-networking", "--disable-component-update",
  "--autoplay-policy=no-user-gesture-required", "--remote-debugging-pipe",
  `--user-data-dir=${profile}`, "about:blank"],
  { stdio: ["ignore", "ignore", "ignore", "pipe", "pipe"] });
let nextId = 1, buffered = "";
const waiting = new Map(), problems = [];
chromium.stdio[4].on("data", (chunk) => {
  const messages = (buffered + chunk).split("\0");
  buffered = messages.pop();
  for (const text of messages) {
    const message = JSON.parse(text);
    if (waiting.has(message.id)) waiting.get(message.id)(message);
    const { method, params } = message;
    if (method === "Runtime.exceptionThrown") problems.push(params.exceptionDetails.text);
    if (method === "Runtime.consoleAPICalled" && /error|warning/.test(params.type)) problems.push(params.args[0].value);
    if (method === "Log.entryAdded" && params.entry.level !== "verbose") problems.push(params.entry.text);
  }
});
let session;
function send(method, params = {}) {
  const id = nextId++;
  chromium.stdio[3].write(JSON.stringify({ id, method, params, sessionId: session }) + "\0");
  return new Promise((resolve, reject) => waiting.set(id, (m) => (m.error ? reject(new Error(method + ": " + m.error.message)) : resolve(m.result))));
}
async function evaluate(expression) {
  const result = await send("Runtime.evaluate", { expression, awaitPromise: true, returnByValue: true });
  if (result.exceptionDetails) throw new Error(expression + ": " + result.exceptionDetails.text);
  return result.result.value;
}
async function until(expression, seconds, what) {
  for (const end = Date.now() + seconds * 1000; Date.now() < end; await new Promise((r) => setTimeout(r, 50)))
    if (await evaluate(expression).catch(() => false)) return; // a page being replaced has no answer
  throw new Error(`${what}: not within ${seconds} s`);
}
async function open(query) {
  await send("Page.navigate", { url: `${origin}/${query}` });
  await until("typeof Module === 'object' && document.readyState === 'complete'", 30, "the page " + query);
}
const startShown = "getComputedStyle(document.getElementById('start')).display !== 'none'";
const text = (id) => evaluate(`document.getElementById('${id}').textContent`);
const key = (name) => ["keyDown", "keyUp"].map((type) => send("Input.dispatchKeyEvent", { type, key: name, code: name }));
const tap = async () => {
  await send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [{ x: 100, y: 100 }] });
  await send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
};
// A window of `width` x `height` points on a screen of `screen` points (the window's size if not given).
const metrics = (width, height, scale = 1, screen = [width, height], mobile = false) =>
  send("Emulation.setDeviceMetricsOverride", { width, height, deviceScaleFactor: scale, mobile,
    screenWidth: screen[0], screenHeight: screen[1] });
async function screenshot(name) {
  const { data } = await send("Page.captureScreenshot", { format: "png" });
  if (name) mkdirSync(stillsDir, { recursive: true }), writeFileSync(join(stillsDir, name), Buffer.from(data, "base64"));
  return data;
}
// Lines the page must show go to the console too; they are taken out of the problems.
const expected = (pattern) => problems.splice(0, problems.length, ...problems.filter((p) => !pattern.test(p)));

let failures = 0;
const check = (ok, text) => console.log(`${ok ? "ok  " : "FAIL"} ${text}`) || (failures += !ok);

const { targetId } = await send("Target.createTarget", { url: "about:blank" });
({ sessionId: session } = await send("Target.attachToTarget", { targetId, flatten: true }));
await Promise.all(["Page.enable", "Runtime.enable", "Log.enable"].map((m) => send(m)));

// Compared in the page, which decodes both pictures: mean over RGBA (of 255) and the share of
// pixels with a channel off by more than 32. With `letterbox`, b is first fitted into a's size,
// centred on black, as a window shows a picture of another aspect.
const compare = (a, b, letterbox) => `(async () => {
  const decode = async (b64) => createImageBitmap(await (await fetch('data:image/png;base64,' + b64)).blob());
  const [x, y] = [await decode('${a}'), await decode('${b}')];
  if (!${!!letterbox} && (x.width !== y.width || x.height !== y.height)) return { mean: 255, off: 1 };
  const pixels = (image, scale) => { const c = new OffscreenCanvas(x.width, x.height).getContext('2d');
    c.fillRect(0, 0, x.width, x.height);
    const [w, h] = [image.width * scale, image.height * scale];
    c.drawImage(image, (x.width - w) / 2, (x.height - h) / 2, w, h);
    return c.getImageData(0, 0, x.width, x.height).data; };
  const [p, q] = [pixels(x, 1), pixels(y, Math.min(x.width / y.width, x.height / y.height))];
  let sum = 0, off = 0;
  for (let i = 0; i < p.length; i++) sum += Math.abs(p[i] - q[i]);
  for (let i = 0; i < p.length; i += 4) off += [0, 1, 2, 3].some((k) => Math.abs(p[i + k] - q[i + k]) > 32);
  return { mean: sum / p.length, off: off / (p.length / 4) };
})()`;
const reference = (time) => readFileSync(join(referenceDir, `frame-${time}.png`)).toString("base64");
async function alike(a, b, what, letterbox = false) {
  const { mean, off } = await evaluate(compare(a, b, letterbox));
  check(mean <= 1.0 && off <= 0.01, `${what}: mean ${mean.toFixed(3)}, ${(100 * off).toFixed(2)}% of pixels off`);
}

try {
  // Stills at the references' size on a larger screen: the link's size wins.
  await metrics(320, 180, 1, [1280, 720]);
  for (const file of readdirSync(referenceDir).filter((f) => /^frame-[\d.]+\.png$/.test(f)).sort()) {
    const time = file.slice(6, -4);
    await open(`?t=${time}&paused&size=320x180`);
    await until("Module.stillDrawn === true", 120, "the still at " + time);
    await alike(await screenshot(file), reference(time), `still at ${time} s`);
  }

  // A moment past the show and a size beyond the capture tool's: a line each, and the start screen.
  await open("?t=500&paused&size=0x8193");
  await until(startShown, 60, "the start screen of a link outside the show");
  const lines = (await text("message")).split("\n");
  check(lines[0].startsWith("?t=500 ") && lines[1].startsWith("&size=0x8193 ") && !(await evaluate("Module.stillDrawn")),
    `a link outside the show names both values and shows the start screen: ${lines.join(" | ")}`);
  expected(/^\?t=500 |^&size=0x8193 /);
  // A size the browser draws smaller (Chromium's drawing buffers stop near 33 million pixels): the
  // show is built at the size it was given, and the line says so.
  await open("?size=8192x8192");
  await until(startShown, 60, "the start screen of a size beyond the browser's");
  const [canvas, buffer] = await evaluate(`((c, gl) => [c.width + "x" + c.height, gl.drawingBufferWidth + "x" + gl.drawingBufferHeight])
    (document.querySelector('canvas'), document.querySelector('canvas').getContext('webgl2'))`);
  const line = (await text("message")).trim();
  check(canvas === buffer && line.startsWith("&size=8192x8192 "), `a canvas of ${canvas} draws into ${buffer}: ${line}`);
  expected(/^&size=8192x8192 /);

  // Loaded in a window a quarter of the screen's size at twice the density, with the music held
  // half-way: the loading line counts the music, and the still fills the screen at full-screen.
  const size = (file) => statSync(join(root, file)).size;
  const [data, music] = [size("skorvane.data"), size("velmora.mp3")];
  const loading = `Loading ${Math.floor(100 * (data + (music >> 1)) / (data + music))}%`;
  let release;
  musicHeld = new Promise((done) => (release = done));
  await metrics(80, 45, 2, [160, 90]);
  await open("?t=44.000&paused");
  await until(`document.getElementById('status').textContent === '${loading}'`, 30, `"${loading}" with half the music`);
  check(true, `"${loading}" with all the data and half the music`);
  musicHeld = null, release();
  await until("Module.stillDrawn === true", 120, "the still in a small window");
  await metrics(160, 90, 2);
  await alike(await screenshot("fullscreen-after-small-window.png"), reference("44.000"),
    "the still full-screen after a load in a window a quarter of the screen, at twice the density");

  // From 90 s: the clock must start at the music's position, and the music ends 11 s later.
  await metrics(320, 180);
  const loaded = Date.now();
  await open("?t=90");
  await until(startShown, 120, "the start screen");
  await screenshot("start.png");
  // Under its line, the start screen is the first title card, as at 2.999 s.
  await evaluate("document.getElementById('start').style.visibility = 'hidden'");
  await alike(await screenshot(), reference("2.999"), "the start screen shows the title card");
  await evaluate("document.getElementById('start').style.visibility = ''");
  check(true, `start screen ${Date.now() - loaded} ms after the URL (${Math.round(await evaluate("Module.startScreenAt"))} ms in the page)`);
  await Promise.all(key("KeyA"));
  await until("Module.music.currentTime > 91", 10, "the music after a key");
  // Sampled at the end of animation frames, after the show's own frame has drawn.
  const lag = await evaluate(`new Promise((done) => { let worst = 0, frames = 0;
    const sample = () => { worst = Math.max(worst, Math.abs(Module.music.currentTime - Module.shownTime));
      if (++frames < 60) requestAnimationFrame(sample); else done(worst); };
    requestAnimationFrame(sample); })`);
  check(lag <= 2 / 60, `the drawn time follows the music: ${(1000 * lag).toFixed(1)} ms at most`);
  await Promise.all(key("Escape"));
  await until(`${startShown} && Module.music.paused`, 5, "the start screen after Escape");
  check(true, "Escape returns to the start screen");
  await Promise.all(key("Space"));
  await until("!!document.fullscreenElement && !Module.music.paused", 5, "full-screen play after a key");
  await evaluate("document.exitFullscreen().then(() => true)");
  await until(`${startShown} && Module.music.paused`, 5, "the start screen after leaving full-screen");
  check(true, "leaving full-screen returns to the start screen");
  await Promise.all(key("Enter"));
  await until(`${startShown} && Module.music.ended`, 20, "the start screen at the music's end");
  check(true, "eleven seconds of play to the music's end, which returns to the start screen");
  check(await evaluate("document.querySelector('canvas').getContext('webgl2').getError() === 0"), "no WebGL error");

  // The context lost while the show plays: the music stops, the page says so, and a key starts again.
  const startLine = await text("start");
  await Promise.all(key("KeyB"));
  await until("!Module.music.paused", 5, "play after a key");
  await evaluate("document.querySelector('canvas').getContext('webgl2').getExtension('WEBGL_lose_context').loseContext()");
  await until(`${startShown} && Module.music.paused && document.getElementById('start').textContent !== '${startLine}'`, 5,
    "a line when the context is lost");
  check(true, `a lost context stops the show and says so: "${await text("start")}"`);
  await Promise.all(key("KeyC"));
  await until(`typeof Module === 'object' && !Module.startScreenAt`, 10, "the page loaded again");
  await until(startShown, 60, "the start screen after starting again");
  check(true, "a key after the lost context starts the page again");

  // A phone held upright, then sideways: the show is built landscape at the screen's pixels and
  // shown letterboxed upright; its start screen speaks to touch; a tap plays full-screen, another stops.
  await metrics(390, 844, 3, [390, 844], true);
  await send("Emulation.setTouchEmulationEnabled", { enabled: true, maxTouchPoints: 5 });
  await open("?t=44.000&paused");
  await until("Module.stillDrawn === true", 120, "the phone's still");
  const upright = await screenshot("phone-portrait.png");
  await metrics(844, 390, 3, [390, 844], true);
  await alike(upright, await screenshot("phone-landscape.png"), "upright, the phone shows the sideways picture letterboxed", true);
  await metrics(390, 844, 3, [390, 844], true);
  await open("");
  await until(startShown, 60, "the phone's start screen");
  check((await text("start")).startsWith("Tap"), `the phone's start screen speaks to touch: "${await text("start")}"`);
  await tap();
  await until("!!document.fullscreenElement && !Module.music.paused", 5, "full-screen play after a tap");
  await tap();
  await until(`${startShown} && Module.music.paused`, 5, "the start screen after a second tap");
  check(true, "a tap plays full-screen and the next one stops");
} catch (error) {
  check(false, error.message);
}
check(problems.length === 0, `no console error or warning${problems.length ? ": " + problems.join(" | ") : ""}`);
session = undefined;
send("Browser.close");
if (chromium.exitCode === null && chromium.signalCode === null) await new Promise((done) => chromium.once("exit", done));
server.close();
rmSync(profile, { recursive: true, force: true, maxRetries: 10 });
process.exit(failures ? 1 : 0);
