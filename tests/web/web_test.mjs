// The web build in headless chromium: usage
//   node web_test.mjs SITE_DIR STILL_MOMENTS REFERENCE_STILLS AMBER_STILLCMP OUT_DIR
// OUT_DIR receives the browser's stills and its end screen, for a person to look at.
import { execFileSync, spawn } from 'node:child_process';
import { mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

const require = createRequire(new URL('../../web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const [site, momentsTool, references, stillcmp, dir] = process.argv.slice(2);
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
const base = `http://127.0.0.1:${port}/`;
const browser = await puppeteer.launch({
  executablePath: fileURLToPath(new URL('chromium.sh', import.meta.url)), headless: true,
  protocolTimeout: 600000,
  // The stills and the played production run side by side in two pages,
  // both drawing as shown pages do.
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
         '--disable-renderer-backgrounding', '--disable-background-timer-throttling',
         '--disable-backgrounding-occluded-windows'] });

async function open(query) {
  const page = await browser.newPage();
  await page.setViewport({ width: 640, height: 480 });
  const lines = [];
  page.on('console', (m) => lines.push(m.text()));
  await page.goto(base + query);
  return { page, lines };
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

async function play() {
  const { page, lines } = await open('');
  await page.waitForSelector('#play:not([disabled])');
  await page.click('#play');
  await page.waitForFunction(() => Module.amberSound.requests.length >= 2, { timeout: 60000 });
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
  check(Math.abs(sync - clock) < 0.04 && Math.abs(starts - expected) < 0.001,
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

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// The heard soundtrack against the picture's production time, in seconds,
// both taken at the moment the output timestamp names.
const drift = (page) => page.evaluate(() => {
  const { ctx, startedAt } = Module.amberSound, n = Module.amberNow, ts = ctx.getOutputTimestamp();
  return ts.contextTime - startedAt - (n.seconds - Module.amberChapters[1].seconds + (ts.performanceTime - n.at) / 1000);
});
async function worstDrift(page, until) {
  let worst = 0;
  while (!(await page.evaluate(until))) { worst = Math.max(worst, Math.abs(await drift(page))); await sleep(100); }
  return worst;
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
  await (await page.waitForSelector('#play:not([disabled])')).click();
  // The soundtrack joins where the picture is once the browser has decoded it.
  await page.waitForFunction(() => Module.amberNow && Module.amberSound.source, { timeout: 60000 });
  const tree = await page.evaluate(() => Module.amberChapters[6].seconds);
  let worst = await worstDrift(page, `Module.amberNow.seconds > ${tree + 0.5}`);
  check(worst < 0.04, `?t=83: sound within 40 ms of the picture into entry 6 (worst ${(worst * 1000).toFixed(1)} ms)`);
  await page.keyboard.press('Space');
  await page.waitForFunction(() => new URLSearchParams(location.search).has('t'));
  const t = await page.evaluate(() => new URLSearchParams(location.search).get('t'));
  await page.$eval('#bar', (bar) => { bar.style.visibility = 'hidden'; });
  await page.screenshot({ path: join(dir, `paused_${t}.png`), clip: { x: 0, y: 0, width: 640, height: 480 } });
  await page.$eval('#bar', (bar) => { bar.style.visibility = ''; });
  await still(`?at=${t}`, join(dir, `web_${t}.png`));
  let ok = true;
  try { execFileSync(stillcmp, [join(dir, `web_${t}.png`), join(dir, `paused_${t}.png`)]); } catch { ok = false; }
  check(ok, `paused at ?t=${t}, showing ?at=${t}`);
  await sleep(2000);
  await page.keyboard.press('Space');
  await page.waitForFunction(`Module.amberNow.seconds > ${Number(t) + 0.1}`);
  worst = await worstDrift(page, `Module.amberNow.seconds > ${Number(t) + 1.5}`);
  check(worst < 0.04, `resumed after 2 s: sound within 40 ms (worst ${(worst * 1000).toFixed(1)} ms)`);
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

try {
  await Promise.all([play(), stills()]);
  await player();
} finally {
  await browser.close();
  server.kill();
}
console.log(`stills and screenshots in ${dir}`);
process.exit(failures.length ? 1 : 0);
