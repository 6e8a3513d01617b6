// The page in build-web/ played in headless Chromium through the DevTools protocol on a pipe (no
// package, no network): stills at every reference moment against tests/velmora/reference, then the
// start screen, a key, the music's clock, Escape and the music's end, with no console or WebGL error.
// Usage: node tests/web/browser.mjs [build-web] [folder for the stills taken]
import { spawn } from "node:child_process";
import { mkdtempSync, readFile, readFileSync, readdirSync, rmSync, writeFileSync, mkdirSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { extname, join } from "node:path";

const root = process.argv[2] || "build-web";
const stillsDir = process.argv[3] || "build/web-stills";
const referenceDir = "tests/velmora/reference";
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".mp3": "audio/mpeg" };
const server = createServer((request, response) => {
  const path = join(root, new URL(request.url, "http://x").pathname.replace(/\/$/, "/index.html"));
  readFile(path, (error, body) => (error ? response.writeHead(404).end()
    : response.writeHead(200, { "Content-Type": types[extname(path)] || "application/octet-stream" }).end(body)));
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
    if (await evaluate(expression)) return;
  throw new Error(`${what}: not within ${seconds} s`);
}
async function open(query) {
  await send("Page.navigate", { url: `${origin}/${query}` });
  await until("typeof Module === 'object' && document.readyState === 'complete'", 30, "the page " + query);
}
const startShown = "getComputedStyle(document.getElementById('start')).display !== 'none'";
const key = (name) => ["keyDown", "keyUp"].map((type) => send("Input.dispatchKeyEvent", { type, key: name, code: name }));

let failures = 0;
const check = (ok, text) => console.log(`${ok ? "ok  " : "FAIL"} ${text}`) || (failures += !ok);

const { targetId } = await send("Target.createTarget", { url: "about:blank" });
({ sessionId: session } = await send("Target.attachToTarget", { targetId, flatten: true }));
await Promise.all(["Page.enable", "Runtime.enable", "Log.enable"].map((m) => send(m)));
await send("Emulation.setDeviceMetricsOverride", { width: 320, height: 180, deviceScaleFactor: 1, mobile: false });

// Compared in the page, which decodes both pictures: mean over RGBA (of 255) and the share of
// pixels with a channel off by more than 32.
const compare = (a, b) => `(async () => {
  const pixels = async (b64) => { const image = await createImageBitmap(await (await fetch('data:image/png;base64,' + b64)).blob());
    const c = new OffscreenCanvas(image.width, image.height).getContext('2d'); c.drawImage(image, 0, 0);
    return c.getImageData(0, 0, image.width, image.height).data; };
  const [x, y] = [await pixels('${a}'), await pixels('${b}')];
  if (x.length !== y.length) return { mean: 255, off: 1 };
  let sum = 0, off = 0;
  for (let p = 0; p < x.length; p++) sum += Math.abs(x[p] - y[p]);
  for (let p = 0; p < x.length; p += 4) off += [0, 1, 2, 3].some((k) => Math.abs(x[p + k] - y[p + k]) > 32);
  return { mean: sum / x.length, off: off / (x.length / 4) };
})()`;

try {
  for (const file of readdirSync(referenceDir).filter((f) => /^frame-[\d.]+\.png$/.test(f)).sort()) {
    const time = file.slice(6, -4);
    await open(`?t=${time}&paused`);
    await until("Module.stillDrawn === true", 120, "the still at " + time);
    const { data } = await send("Page.captureScreenshot", { format: "png" });
    const { mean, off } = await evaluate(compare(data, readFileSync(join(referenceDir, file)).toString("base64")));
    check(mean <= 1.0 && off <= 0.01, `still at ${time} s: mean ${mean.toFixed(3)}, ${(100 * off).toFixed(2)}% of pixels off`);
    mkdirSync(stillsDir, { recursive: true });
    writeFileSync(join(stillsDir, file), Buffer.from(data, "base64"));
  }

  // From 90 s: the clock must start at the music's position, and the music ends 11 s later.
  const loaded = Date.now();
  await open("?t=90");
  await until(startShown, 120, "the start screen");
  writeFileSync(join(stillsDir, "start.png"), Buffer.from((await send("Page.captureScreenshot", { format: "png" })).data, "base64"));
  // Under its line, the start screen is the first title card, as at 2.999 s.
  await evaluate("document.getElementById('start').style.visibility = 'hidden'");
  const card = (await send("Page.captureScreenshot", { format: "png" })).data;
  const { mean } = await evaluate(compare(card, readFileSync(join(referenceDir, "frame-2.999.png")).toString("base64")));
  check(mean <= 1.0, `the start screen shows the title card: mean ${mean.toFixed(3)}`);
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
