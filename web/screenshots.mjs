// The pictures of docs/web.md: the page at 1366 x 768 in Debian's Chromium,
// served from the built site on 127.0.0.1.
//   node web/screenshots.mjs [SITE_DIR] [OUT_DIR]
import { spawn } from 'node:child_process';
import { resolve } from 'node:path';
import { chromium } from 'playwright-core';

const root = resolve(import.meta.dirname, '..');
const site = resolve(process.argv[2] ?? process.env.MELTSIM_SITE_DIR ?? resolve(root, 'build-web/site'));
const out = resolve(process.argv[3] ?? resolve(root, 'docs'));
const port = 8000 + Math.floor(Math.random() * 1000);
const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1', '--directory', site], { stdio: 'ignore' });
const url = `http://127.0.0.1:${port}/`;
for (let i = 0; i < 50; i++) {
  try {
    if ((await fetch(url)).ok) break;
  } catch {
    await new Promise((r) => setTimeout(r, 100));
  }
}

const browser = await chromium.launch({
  executablePath: process.env.MELTSIM_CHROMIUM ?? '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  const page = await browser.newPage({ viewport: { width: 1366, height: 768 } });
  const ready = () => page.waitForSelector('body[data-ready=true]');
  const shown = () => page.waitForFunction(() => document.body.dataset.runMilliseconds !== undefined);
  const shot = (name) => page.screenshot({ path: resolve(out, name) });

  await page.goto(url);
  await ready();
  await shot('web-inputs.png');

  await page.getByRole('button', { name: 'GO', exact: true }).click();
  await shown();
  await shot('web-results.png');

  await page.getByRole('tab', { name: 'Table and Summary' }).click();
  await shot('web-table.png');

  await page.goto(`${url}?RPM=50&OUTPUT=400&run=1`);
  await ready();
  await shown();
  await page.getByRole('button', { name: 'Keep as Reference' }).click();
  await page.getByRole('tab', { name: 'Inputs' }).click();
  await page.locator('#inputs-form').getByLabel('Number of Revolution (rpm)').fill('60');
  await page.evaluate(() => delete document.body.dataset.runMilliseconds);
  await page.getByRole('button', { name: 'GO', exact: true }).click();
  await shown();
  await shot('web-reference.png');

  await page.getByRole('tab', { name: 'Inputs' }).click();
  await page.locator('#inputs-form').getByLabel('SBAP').fill('1.5');
  await page.getByRole('button', { name: 'GO', exact: true }).click();
  await page.waitForFunction(() => document.getElementById('message').textContent !== '');
  await shot('web-refused.png');
  await page.locator('#inputs-form').getByLabel('SBAP').fill('1.0');

  await page.getByRole('tab', { name: 'Study' }).click();
  await page.getByLabel('First values').fill('30:79:1');
  await page.getByLabel('Second input').selectOption('OUTPUT');
  await page.getByLabel('Second values').fill('200,300,400');
  await page.getByRole('button', { name: 'Run Study' }).click();
  await page.waitForFunction(() => document.body.dataset.study !== undefined, undefined, { timeout: 300_000 });
  await shot('web-study.png');
  console.log(`screenshots in ${out}`);
} finally {
  await browser.close();
  server.kill();
}
