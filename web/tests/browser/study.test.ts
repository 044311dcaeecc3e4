// A study in the browser: a grid of two inputs on a worker per core, its
// progress, its rows in grid order as `meltsim-cli sweep` writes them, and
// cancel.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import type { Browser, BrowserContext, Page } from 'playwright-core';
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import { download, launch, native, newContext, openSite } from './support';

let browser: Browser;
let context: BrowserContext;
let page: Page;

beforeAll(async () => {
  browser = await launch();
  context = await newContext(browser);
  page = await openSite(context);
  // Every value the progress bar shows, to see it move.
  await page.evaluate(() => {
    const bar = document.getElementById('study-progress') as HTMLProgressElement;
    const seen: number[] = ((window as unknown as { progressSeen: number[] }).progressSeen = []);
    new MutationObserver(() => seen.push(bar.value)).observe(bar, { attributes: true });
    const status = document.getElementById('study-status')!;
    new MutationObserver(() => seen.push(Number(status.textContent?.split(' ')[0]))).observe(status, {
      childList: true,
      characterData: true,
      subtree: true,
    });
  });
});

afterAll(async () => {
  await browser?.close();
});

// Texts equal but for their numbers, which agree to 1e-6 relative.
function expectTextClose(actual: string, expected: string, where: string): void {
  const number = /-?\d+(?:\.\d+)?(?:e[-+]?\d+)?/gi;
  expect(actual.replace(number, '#'), where).toBe(expected.replace(number, '#'));
  const a = actual.match(number) ?? [];
  const b = expected.match(number) ?? [];
  a.forEach((x, i) => expect(Math.abs(Number(x) - Number(b[i])), where).toBeLessThanOrEqual(1e-6 * Math.max(1, Math.abs(Number(b[i])))));
}

async function study(first: [string, string], second: [string, string]): Promise<void> {
  await page.getByRole('tab', { name: 'Study' }).click();
  await page.getByLabel('First input').selectOption(first[0]);
  await page.getByLabel('First values').fill(first[1]);
  await page.getByLabel('Second input').selectOption(second[0]);
  await page.getByLabel('Second values').fill(second[1]);
  await page.evaluate(() => delete document.body.dataset.study);
  await page.getByRole('button', { name: 'Run Study' }).click();
}

describe('a study', () => {
  it('of 100 cases shows its progress and gives the rows of meltsim-cli sweep in grid order', async () => {
    await study(['RPM', '30:79:1'], ['OUTPUT', '200,300']);
    await page.waitForFunction(() => document.body.dataset.study !== undefined, undefined, { timeout: 120_000 });
    expect(await page.locator('#study-status').textContent()).toMatch(/^100 of 100 cases in [\d.]+ s on \d+ workers?$/);
    expect(await page.locator('#study-progress').evaluate((p: HTMLProgressElement) => [p.value, p.max])).toEqual([100, 100]);
    const seen = await page.evaluate(() => (window as unknown as { progressSeen: number[] }).progressSeen);
    expect(seen.some((v) => v > 0 && v < 100)).toBe(true);
    expect(await page.locator('#study-table tbody tr').count()).toBe(100);

    const expected = native(['sweep', '--vary', 'RPM=30:79:1', '--vary', 'OUTPUT=200,300', '-o', 'study.csv']);
    const csv = await download(page, 'Study CSV');
    const lines = csv.bytes.toString().split('\n');
    const nativeLines = readFileSync(join(expected, 'study.csv'), 'utf8').split('\n');
    expect(lines[0]).toBe(nativeLines[0]);
    expect(lines.length).toBe(nativeLines.length);
    // Case, inputs, status, message, NSTEP and how the march ended agree
    // exactly; the 17-digit numbers to 1e-6 relative: the platforms'
    // mathematical libraries differ in the last bits, and a long march can
    // carry such a difference into the eighth digit.
    for (let i = 1; i < lines.length - 1; i++) {
      const ours = lines[i].split(',');
      const theirs = nativeLines[i].split(',');
      expect(ours.slice(0, 7), `row ${i}`).toEqual(theirs.slice(0, 7));
      ours.forEach((cell, k) => expectTextClose(cell, theirs[k], `row ${i} column ${k}`));
    }
  });

  it('runs on every core: one worker per core, side by side', async () => {
    const cores = await page.evaluate(() => navigator.hardwareConcurrency);
    const { shards } = JSON.parse(await page.evaluate(() => document.body.dataset.study!)) as {
      shards: { cases: number; first: number; last: number }[];
    };
    expect(shards.length).toBe(Math.min(cores, 100));
    for (const shard of shards) expect(shard.cases).toBeGreaterThanOrEqual(Math.floor(100 / shards.length));
    if (shards.length > 1) {
      // Every shard delivered rows before another had finished.
      const lastEnd = Math.min(...shards.map((s) => s.last));
      for (const shard of shards) expect(shard.first).toBeLessThan(lastEnd);
    }
  });

  it('plots a column against the first input, a curve per value of the second', async () => {
    const legend = await page.locator('#study-plot .u-legend').textContent();
    expect(legend).toContain('OUTPUT = 200');
    expect(legend).toContain('OUTPUT = 300');
    await page.getByLabel('Plot', { exact: true }).selectOption('PTOTAL');
    expect(await page.locator('#study-plot .u-legend').textContent()).toContain('OUTPUT = 200');
  });

  it('refuses values that are no grid, with the message of the command line', async () => {
    await study(['RPM', '30:20:5'], ['', '']);
    await expect.poll(() => page.locator('#study-message').textContent()).not.toBe('');
    expect(await page.getByRole('button', { name: 'Run Study' }).isEnabled()).toBe(true);
  });

  it('can be cancelled, and the next study runs', async () => {
    await study(['RPM', '20:80:0.5'], ['OUTPUT', '100:600:10']);
    await expect.poll(() => page.getByRole('button', { name: 'Cancel Study' }).isEnabled()).toBe(true);
    await page.getByRole('button', { name: 'Cancel Study' }).click();
    await expect.poll(() => page.locator('#study-message').textContent()).toMatch(/^Cancelled after \d+ of 6171 cases\.$/);
    expect(await page.getByRole('button', { name: 'Run Study' }).isEnabled()).toBe(true);
    await study(['RPM', '40,50'], ['', '']);
    await page.waitForFunction(() => document.body.dataset.study !== undefined);
    expect(await page.locator('#study-table tbody tr').count()).toBe(2);
  });
});
