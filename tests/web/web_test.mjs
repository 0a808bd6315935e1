// The web build in headless chromium: usage
//   node web_test.mjs SITE_DIR STILL_MOMENTS REFERENCE_STILLS AMBER_STILLCMP OUT_DIR
// OUT_DIR receives the browser's stills and its end screen, for a person to look at.
import { execFileSync, spawn } from 'node:child_process';
import { mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';

const require = createRequire(new URL('../../web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const [site, momentsTool, references, stillcmp, dir] = process.argv.slice(2);
const port = 18000 + (process.pid % 1000);
const base = `http://127.0.0.1:${port}/`;
const failures = [];
const started = Date.now();
const seconds = () => ((Date.now() - started) / 1000).toFixed(1);
const check = (ok, what) => { console.log(`${seconds()} s ${ok ? 'ok  ' : 'FAIL'} ${what}`); if (!ok) failures.push(what); };

const [momentLine, entry2Line] = execFileSync(momentsTool, { encoding: 'utf8' }).trim().split('\n');
const moments = momentLine.split(',');
rmSync(dir, { recursive: true, force: true });
mkdirSync(dir, { recursive: true });
const server = spawn('python3', ['-m', 'http.server', '-b', '127.0.0.1', '-d', site, `${port}`],
                     { stdio: 'ignore' });
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, protocolTimeout: 600000,
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
  for (let tries = 0; ; ++tries) {  // the server may still be starting
    try { await page.goto(base + query); break; } catch (e) { if (tries > 50) throw e; }
    await new Promise((r) => setTimeout(r, 100));
  }
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
  const sync = await page.evaluate(() => Module.amberSound.requests[1].position);
  const expected = Number(entry2Line);
  check(Math.abs(sync - expected) < 0.04,
        `soundtrack at ${sync.toFixed(3)} s when entry 2 starts, tape at ${expected} s`);
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

try {
  await Promise.all([play(), stills()]);
} finally {
  await browser.close();
  server.kill();
}
console.log(`stills and screenshots in ${dir}`);
process.exit(failures.length ? 1 : 0);
