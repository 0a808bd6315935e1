// The web build in a browser: usage
//   node web_test.mjs chromium|firefox served|file SITE_DIR ONE_FILE STILL_MOMENTS
//                     REFERENCE_STILLS AMBER_STILLCMP OUT_DIR
// "served" plays the page from SITE_DIR through a web server on this machine,
// "file" plays ONE_FILE from disk and fails on any request beyond the file.
// Chromium runs headless; Firefox runs in a window on the display in
// DISPLAY, since headless it offers no WebGL 2. In Chromium the file's run
// also plays as a phone does, and checks the page's word where WebGL 2 is
// missing. OUT_DIR receives the browser's stills and screenshots, for a
// person to look at.
import { execFileSync, spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const require = createRequire(new URL('../../web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const [browserName, served, site, oneFile, momentsTool, references, stillcmp, dir] = process.argv.slice(2);
const firefox = browserName === 'firefox';
// How close sound keeps to the picture: the median within the 40 ms a
// viewer cannot tell. Firefox's context clock moves in steps of about
// 0.1 s, so a single sample, such as entry 2's start, may stray further
// (Firefox: 82 ms beside a median of 27 ms), as may one in Chromium while
// other tests load both cores (59 ms beside a median of 1.4 ms; entry 2
// 92 ms off while the release compiled), never past 0.15 s.
const together = 0.04;
const strays = 0.15;
const failures = [];
const started = Date.now();
const seconds = () => ((Date.now() - started) / 1000).toFixed(1);
const check = (ok, what) => { console.log(`${seconds()} s ${ok ? 'ok  ' : 'FAIL'} ${what}`); if (!ok) failures.push(what); };

const [momentLine, entry2Line] = execFileSync(momentsTool, { encoding: 'utf8' }).trim().split('\n');
const moments = momentLine.split(',');
rmSync(dir, { recursive: true, force: true });
mkdirSync(dir, { recursive: true });
// The server takes a free port and names it once it listens. It and the
// browser end with this script, however the script ends, even killed.
async function serve() {
  const server = spawn('setpriv', ['--pdeathsig', 'KILL', 'python3', '-u', '-m', 'http.server',
                                 '-b', '127.0.0.1', '-d', site, '0'],
                       { stdio: ['ignore', 'pipe', 'ignore'] });
  process.on('exit', () => server.kill());
  const port = await new Promise((resolve, reject) => {
    let said = '';
    server.stdout.on('data', (d) => { said += d; const m = said.match(/ port (\d+) /); if (m) resolve(m[1]); });
    server.on('exit', (status) => reject(new Error(`the web server ended with status ${status}`)));
    setTimeout(() => reject(new Error('the web server named no port within 30 s')), 30000).unref();
  });
  return `http://127.0.0.1:${port}/`;
}
const base = served === 'served' ? await serve() : pathToFileURL(oneFile).href;

// Firefox opens no sound without an output device: it gets a sound server
// of its own, whose one sink plays into nothing at the sound card's pace.
// Its home and the server's files stay in a folder of this test's.
function soundServer() {
  const home = mkdtempSync(join(tmpdir(), 'web-firefox-'));
  process.on('exit', () => rmSync(home, { recursive: true, force: true }));
  const socket = join(home, 'pulse-socket');
  const env = { ...process.env, HOME: home, XDG_RUNTIME_DIR: home, TMPDIR: home };
  const server = spawn('setpriv', ['--pdeathsig', 'KILL', 'pulseaudio', '-n', '--daemonize=no',
                                   '--exit-idle-time=-1', '--disable-shm', '-L', 'module-null-sink',
                                   '-L', `module-native-protocol-unix socket=${socket} auth-anonymous=1`],
                       { env, stdio: 'ignore' });
  process.on('exit', () => server.kill('SIGKILL'));
  return { ...env, PULSE_SERVER: `unix:${socket}` };
}

// Chromium draws with SwiftShader. Its stills and the played production run
// side by side in two pages, both drawing as shown pages do; Firefox's
// pages take turns, since it draws only the tab in front.
const launch = (extra = []) => puppeteer.launch(firefox
  ? { browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false, protocolTimeout: 600000,
      env: soundServer() }
  : { executablePath: fileURLToPath(new URL('chromium.sh', import.meta.url)), headless: true,
      protocolTimeout: 600000,
      args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
             '--disable-renderer-backgrounding', '--disable-background-timer-throttling',
             '--disable-backgrounding-occluded-windows', ...extra] });
const browser = await launch();

// The one file asks for nothing beyond itself. Chromium names every request,
// file: ones included; Firefox's WebDriver BiDi names only network ones.
function watchRequests(page) {
  const own = base.split(/[?#]/)[0];
  page.on('request', (request) => {
    const url = request.url();
    if (!/^(data|blob):/.test(url) && url.split(/[?#]/)[0] !== own) check(false, `the one file asked for ${url}`);
  });
}

async function open(query, viewport = { width: 640, height: 480 }, into = browser, test = true) {
  const page = await into.newPage();
  // Firefox draws a tab behind another about once a second, and a click
  // there waits for its frame: each page comes to the front.
  if (firefox) await page.bringToFront();
  await page.setViewport(viewport);
  const lines = [];
  page.on('console', (m) => lines.push(m.text()));
  page.on('pageerror', (error) => check(false, `no exception on the page: ${error.message}`));
  if (served === 'file') watchRequests(page);
  const opened = Date.now();
  // ?test keeps the stills and the seeks where the test reads them.
  await page.goto(base + (test ? (query ? `${query}&test` : '?test') : query));
  return { page, lines, opened };
}

async function stills() {
  const { page } = await open(`?at=${momentLine}`);
  await page.waitForFunction(() => document.body.dataset.state === 'stills', { timeout: 500000 });
  const pngs = await page.evaluate(() => window.amberStills);
  await page.close();
  for (const t of moments) {
    const test = join(dir, `web_${t}.png`);
    writeFileSync(test, Buffer.from(pngs[Number(t)].split(',')[1], 'base64'));
    let ok = true;
    try { execFileSync(stillcmp, [join(references, `amber_grid_at_${Number(t)}.png`), test]); } catch { ok = false; }
    check(ok, `?at=${t} matches amber_capture --still ${t}`);
  }
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// Where the page stands, for a failure's message. A page that does not
// answer in 10 s is busy in a script that does not return, or its thread
// waits inside the browser: the browser's processes then say which (a
// thread that waits shows the kernel function it sleeps in).
const where = (page) => within(10000, page.evaluate(() => JSON.stringify({
  state: document.body.dataset.state, visible: document.visibilityState, now: Module.amberNow,
  started: Module.amberStarted, context: Module.amberSound.ctx.state, decoded: !!Module.amberSound.buffer,
  pending: Module.amberSound.pending, requests: Module.amberSound.requests })), 'the page answering')
  .catch((error) => `${error.message}; the browser's processes:\n${browserProcesses()}`);
function browserProcesses() {
  const ps = execFileSync('ps', ['-eo', 'pid=,ppid=,stat=,time=,wchan:24=,comm='], { encoding: 'utf8' });
  const rows = ps.trim().split('\n').map((line) => line.trim().split(/\s+/));
  const ours = new Set([String(browser.process().pid)]);
  for (let grew = true; grew;) {
    grew = false;
    for (const [pid, ppid] of rows) if (ours.has(ppid) && !ours.has(pid)) { ours.add(pid); grew = true; }
  }
  return rows.filter(([pid]) => ours.has(pid)).map((row) => row.join(' ')).join('\n');
}
// A step that must end within ms, or the run stops saying where the page stands.
function within(ms, step, what, page = null) {
  let timer;
  const late = new Promise((resolve, reject) => {
    timer = setTimeout(async () => reject(new Error(`${what}: not within ${ms / 1000} s${page ? `; ${await where(page)}` : ''}`)), ms);
  });
  return Promise.race([step, late]).finally(() => clearTimeout(timer));
}

// Waits a minute for what the page should reach, or says where it stands.
const waitOrTell = (page, what, failure) => page.waitForFunction(what, { timeout: 60000 }).catch(async () => {
  throw new Error(`${failure}: ${await where(page)}`);
});

async function play() {
  const { page, lines, opened } = await open('');
  await page.waitForSelector('#play:not([disabled])');
  // The viewer's wait, for the record: in chromium the stills draw beside it.
  console.log(`${seconds()} s the start button is enabled ${Date.now() - opened} ms after the page is opened`);
  await within(30000, page.click('#play'), 'the click on the start button returns', page);
  await waitOrTell(page, () => Module.amberSound.requests.length >= 2, 'entry 2 did not start');
  const trace = ['VELQ_MAIN', 'CFS_Open: Attempting to open drive ./amber_grid.cfs ... done.',
                 'CFS_Open: WendrikFS drive v1.1 (24 files in drive)', 'VELQ_LOADER', 'VELQ_TIMER',
                 'VELQ_CORE', 'CFS_Close: Closing drive ... done.'];
  check(JSON.stringify(lines.filter((l) => trace.includes(l))) === JSON.stringify(trace),
        `trace lines in order: ${lines.join(' | ')}`);
  // Entry 2 starts where the tape puts it; the soundtrack then is where the
  // production's clock is when the frame that starts it runs, however late.
  const [sync, clock, starts] = await page.evaluate(() => {
    const r = Module.amberSound.requests[1], n = Module.amberNow, c = Module.amberChapters;
    return [r.position, n.seconds + (r.clockMs - n.at) / 1000 - c[1].seconds, c[2].seconds - c[1].seconds];
  });
  const expected = Number(entry2Line);
  check(Math.abs(sync - clock) < strays && Math.abs(starts - expected) < 0.001,
        `soundtrack at ${sync.toFixed(3)} s when entry 2 starts (${starts.toFixed(3)} s in, tape at ${expected} s), clock at ${clock.toFixed(3)} s`);
  const peak = await page.evaluate(async () => {
    const { ctx, output } = Module.amberSound;
    const analyser = ctx.createAnalyser();
    output.connect(analyser);
    await new Promise((r) => setTimeout(r, 500));
    const samples = new Float32Array(analyser.fftSize);
    analyser.getFloatTimeDomainData(samples);
    return Math.max(...samples.map(Math.abs));
  });
  check(peak > 0.01, `sound plays after entry 1 (peak ${peak.toFixed(3)})`);
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => document.body.dataset.state === 'ended', { timeout: 5000 })
    .catch(() => {});
  check(await page.evaluate(() => document.body.dataset.state === 'ended' &&
                            Module.amberSound.source === null), 'Escape ends the production');
  await page.screenshot({ path: join(dir, 'ended.png') });
}

// The heard soundtrack against the picture's production time, in seconds,
// both taken at the moment the output timestamp names. Firefox's timestamp
// is its context clock and the page's, read together, both less a latency
// that asking for may stop the page for good (the sound layer says how).
const drift = (page) => page.evaluate((ownTimestamp) => {
  const { ctx, startedAt } = Module.amberSound, n = Module.amberNow;
  const ts = ownTimestamp ? { contextTime: ctx.currentTime, performanceTime: performance.now() } : ctx.getOutputTimestamp();
  return ts.contextTime - startedAt - (n.seconds - Module.amberChapters[1].seconds + (ts.performanceTime - n.at) / 1000);
}, firefox);
// Sampled every 0.1 s while the soundtrack sounds, until `until` holds: the
// median and the worst sample keep together.
async function keepsTogether(page, until, what) {
  const drifts = [];
  while (!(await page.evaluate(until))) {
    if (await page.evaluate(() => !!Module.amberSound.source)) drifts.push(Math.abs(await drift(page)));
    await sleep(100);
  }
  drifts.sort((a, b) => a - b);
  const [median, worst] = [drifts[drifts.length >> 1] ?? 1, drifts.at(-1) ?? 1];
  check(median < together && worst < strays,
        `${what}: sound within ${together * 1000} ms of the picture (median ${(median * 1000).toFixed(1)} ms, worst ${(worst * 1000).toFixed(1)} ms)${drifts.length ? '' : `; never sounding: ${await where(page)}`}`);
}
const still = async (query, png) => {
  const { page } = await open(query);
  await page.waitForFunction(() => document.body.dataset.state === 'stills', { timeout: 60000 });
  writeFileSync(png, Buffer.from((await page.evaluate(() => Object.values(window.amberStills)[0])).split(',')[1], 'base64'));
  await page.close();
};

// ?t=, pausing, resuming, seeking and the timeline, one after another.
async function player() {
  const { page } = await open('?t=83');
  await within(30000, (await page.waitForSelector('#play:not([disabled])')).click(),
               'the click on the start button returns', page);
  // The soundtrack joins where the picture is once the browser has decoded it.
  await waitOrTell(page, () => Module.amberNow && Module.amberSound.source, '?t=83 did not start');
  const tree = await page.evaluate(() => Module.amberChapters[6].seconds);
  await sleep(500);  // the output's timestamps settle over its first callbacks
  await keepsTogether(page, `Module.amberNow.seconds > ${tree + 0.5}`, '?t=83 into entry 6');
  await page.keyboard.press(' ');
  await page.waitForFunction(() => new URLSearchParams(location.search).has('t'));
  const t = await page.evaluate(() => new URLSearchParams(location.search).get('t'));
  await page.$eval('#bar', (bar) => { bar.style.visibility = 'hidden'; });
  await page.screenshot({ path: join(dir, `paused_${t}.png`), clip: { x: 0, y: 0, width: 640, height: 480 } });
  await page.$eval('#bar', (bar) => { bar.style.visibility = ''; });
  await still(`?at=${t}`, join(dir, `web_${t}.png`));
  // The viewer comes back to the player's tab: one behind others has its
  // timers slowed, and Firefox may not pick it when the still's closes.
  await page.bringToFront();
  let ok = true;
  try { execFileSync(stillcmp, [join(dir, `web_${t}.png`), join(dir, `paused_${t}.png`)]); } catch { ok = false; }
  check(ok, `paused at ?t=${t}, showing ?at=${t}`);
  await sleep(2000);
  await page.keyboard.press(' ');
  await page.waitForFunction(`Module.amberNow.seconds > ${Number(t) + 0.1}`);
  await keepsTogether(page, `Module.amberNow.seconds > ${Number(t) + 1.5}`, 'resumed after 2 s');
  // An output that stands still a while, as a starved machine's does, leaves
  // the sound behind the picture; it is soon back in step.
  await page.evaluate(async () => {
    await Module.amberSound.ctx.suspend();
    await new Promise((r) => setTimeout(r, 300));
    await Module.amberSound.ctx.resume();
  });
  await sleep(1500);
  const back = await page.evaluate(() => Module.amberNow.seconds);
  await keepsTogether(page, `Module.amberNow.seconds > ${back + 1}`, 'after the output stood still for 0.3 s');
  const box = await page.$eval('#track', (e) => { const r = e.getBoundingClientRect(); return [r.x, r.width, r.y + r.height / 2]; });
  for (const to of [30, 150]) {
    await page.mouse.click(box[0] + box[1] * to / await page.evaluate(() => Module.amberChapters[11].seconds), box[2]);
    const { seconds, ms } = await page.evaluate(() => Module.amberSeeks.at(-1));
    const [entry, expected] = await page.evaluate((s) => [Module.amberNow.entry,
      Module.amberChapters.findLastIndex((c) => c.seconds <= s)], seconds);
    check(entry === expected && Math.abs(seconds - to) < 0.1 && ms < 600,
          `seek to ${seconds.toFixed(2)} s lands on entry ${entry} (${expected}) in ${ms.toFixed(0)} ms`);
  }
  await page.mouse.move(320, 200);
  await page.screenshot({ path: join(dir, 'timeline_shown.png') });
  await sleep(2500);
  check(await page.$eval('#bar', (bar) => bar.classList.contains('hidden')), 'the timeline hides after 2 s of stillness');
  await page.screenshot({ path: join(dir, 'timeline_hidden.png') });
  await page.close();
}

// A phone held either way, with touch alone, from a link into the tape: the
// picture fits, a tap starts it with sound, taps show and hide the timeline,
// a drag seeks, buttons are a finger's size, nothing scrolls or zooms, and
// paused, the controls leave the picture.
async function phone() {
  for (const [name, width, height] of [['portrait', 390, 844], ['landscape', 844, 390]]) {
    const { page, opened } = await open('?t=40', { width, height, isMobile: true, hasTouch: true });
    const shot = (what) => page.screenshot({ path: join(dir, `phone_${name}_${what}.png`) });
    const box = (selector) => page.$eval(selector, (e) => { const r = e.getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; });
    const shown = () => page.$eval('#bar', (bar) => !bar.classList.contains('hidden'));
    const fingerSized = async (selector) => (await page.$$eval(selector, (es) => es.map((e) => e.getBoundingClientRect().height)))
      .every((h) => h >= 44);
    await page.waitForSelector('#play:not([disabled])');
    console.log(`${seconds()} s ${name}: the start button is enabled ${Date.now() - opened} ms after the page is opened`);
    await shot('start');
    check(await fingerSized('#play'), `${name}: the start button is a finger's size`);
    await page.tap('#play');
    await page.waitForFunction(() => Module.amberSound.source && Module.amberSound.ctx.state === 'running', { timeout: 60000 });
    const [x, y, w, h] = await box('#screen');
    const fit = Math.min(width, height * 4 / 3);
    check(Math.abs(w - fit) < 1 && Math.abs(h - fit * 3 / 4) < 1 && Math.abs(x - (width - w) / 2) < 1 &&
          Math.abs(y - (height - h) / 2) < 1, `${name}: the picture fits at 4:3, centred (${w}x${h} at ${x},${y})`);
    await page.waitForSelector('#bar.hidden', { timeout: 5000 });
    await page.touchscreen.tap(x + w / 2, y + h / 3);
    check(await shown(), `${name}: a tap on the picture shows the timeline`);
    await shot('timeline');
    check(await fingerSized('#controls button') && await fingerSized('#track'), `${name}: the timeline's buttons and track are a finger's size`);
    await page.touchscreen.tap(x + w / 2, y + h / 3);
    check(!await shown(), `${name}: a second tap hides it`);
    await page.touchscreen.tap(x + w / 2, y + h / 3);
    const [tx, ty, tw, th] = await box('#track');
    const end = await page.evaluate(() => Module.amberChapters.at(-1).seconds);
    await page.touchscreen.touchStart(tx + tw * 0.2, ty + th / 2);
    await page.touchscreen.touchMove(tx + tw * 0.4, ty + th / 2);
    await page.touchscreen.touchMove(tx + tw * 0.6, ty + th / 2);
    await page.touchscreen.touchEnd();
    await page.waitForFunction(() => Module.amberSeeks.length > 0, { timeout: 5000 }).catch(() => {});
    const [landed, entry, expected] = await page.evaluate(() => {
      const s = Module.amberSeeks.at(-1)?.seconds ?? -1;
      return [s, Module.amberNow.entry, Module.amberChapters.findLastIndex((c) => c.seconds <= s)];
    });
    check(Math.abs(landed - end * 0.6) < 1 && entry === expected,
          `${name}: a drag along the timeline seeks to ${landed.toFixed(1)} s, entry ${entry} (${expected})`);
    check(await page.evaluate(() => scrollX === 0 && scrollY === 0 && visualViewport.scale === 1 &&
            document.documentElement.scrollHeight <= innerHeight && document.documentElement.scrollWidth <= innerWidth),
          `${name}: nothing scrolled or zoomed`);
    // Emulated taps on a page busy drawing in software are at times not
    // made clicks, as if held too long; a viewer would tap again.
    const paused = () => page.evaluate(() => document.body.dataset.state === 'paused');
    for (let i = 0; i < 3 && !await paused(); ++i) { await page.tap('#toggle'); await sleep(500); }
    check(await paused(), `${name}: a tap on Pause pauses`);
    await page.waitForSelector('#bar.hidden', { timeout: 5000 }).catch(() => {});
    check(!await shown(), `${name}: paused, the controls leave the picture after 2 s`);
    await sleep(400);  // their fade
    await shot('paused');
    await page.close();
  }
}

// Where the browser offers no WebGL 2, the page says so, and nothing throws.
async function withoutWebGL2() {
  const bare = await launch(['--disable-webgl2']);
  try {
    const { page } = await open('', undefined, bare, false);
    await page.waitForFunction(() => document.body.dataset.state === 'no-webgl2', { timeout: 10000 }).catch(() => {});
    await sleep(1000);
    check(await page.$eval('#no-webgl2', (p) => !p.hidden && p.offsetHeight > 0 && /WebGL 2/.test(p.textContent)),
          'without WebGL 2 the page says what is missing');
    await page.screenshot({ path: join(dir, 'no_webgl2.png') });
    check(await page.evaluate(() => !('amberStills' in window) && !('amberSeeks' in Module)),
          'the test hooks are there only with ?test');
  } finally {
    await bare.close();
  }
}

try {
  if (firefox) { await stills(); await play(); } else await Promise.all([play(), stills()]);
  await player();
  if (!firefox && served === 'file') { await phone(); await withoutWebGL2(); }
} finally {
  await browser.close();
}
console.log(`stills and screenshots in ${dir}`);
process.exit(failures.length ? 1 : 0);
