// The browser's bench: the web build in Debian's chromium, headless, drawing
// with SwiftShader, or in Debian's firefox-esr, which offers WebGL 2 only in
// a window (on a desktop, or under build/amber_xvfb_run), times every frame
// of the tape as amber_bench does and prints the same report. Usage, after
// ./setup.sh:
//   node tools/bench/web_bench.mjs [chromium|firefox] [SITE_DIR]
// (default chromium and build-web)
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';

const require = createRequire(new URL('../../web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const firefox = process.argv[2] === 'firefox';
const site = process.argv[3] || new URL('../../build-web', import.meta.url).pathname;
const port = 19000 + (process.pid % 1000);
const server = spawn('python3', ['-m', 'http.server', '-b', '127.0.0.1', '-d', site, `${port}`],
                     { stdio: 'ignore' });
const browser = await puppeteer.launch(firefox
  ? { browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false, protocolTimeout: 1200000 }
  : { executablePath: '/usr/bin/chromium', headless: true, protocolTimeout: 1200000,
      args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'] });
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 640, height: 480 });
  let report = false;
  page.on('console', (m) => {
    report ||= m.text().startsWith('entry');
    if (report) console.log(m.text());
  });
  for (let tries = 0; ; ++tries) {  // the server may still be starting
    try { await page.goto(`http://127.0.0.1:${port}/?bench`); break; } catch (e) {
      if (tries > 50) throw e;
      await new Promise((r) => setTimeout(r, 100));
    }
  }
  console.log(`renderer: ${await page.evaluate(() => {
    const gl = document.createElement('canvas').getContext('webgl2');
    const info = gl.getExtension('WEBGL_debug_renderer_info');
    return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : gl.getParameter(gl.RENDERER);
  })}, 640 x 480, ${await browser.version()}`);
  await page.waitForFunction(() => document.body.dataset.state === 'bench', { timeout: 1200000 });
} finally {
  await browser.close();
  server.kill();
}
