// What the browser tests share: Chromium from Debian, a page of the served
// site, downloads as bytes, and the native command line to compare with.
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { chromium, type Browser, type BrowserContext, type Page } from 'playwright-core';
import { inject } from 'vitest';

export const chromiumPath = process.env.MELTSIM_CHROMIUM ?? '/usr/bin/chromium';
export const nativeCli = resolve(process.env.MELTSIM_NATIVE_CLI ?? resolve(import.meta.dirname, '../../../build/meltsim-cli'));

// The flags this sandbox needs (no network services, no first-run dialogs).
const CHROMIUM_ARGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

export function launch(): Promise<Browser> {
  return chromium.launch({ executablePath: chromiumPath, args: CHROMIUM_ARGS, headless: true });
}

export function siteUrl(path = ''): string {
  return inject('siteUrl') + path;
}

export async function newContext(browser: Browser): Promise<BrowserContext> {
  return browser.newContext({ viewport: { width: 1366, height: 768 }, acceptDownloads: true });
}

// A fresh page of the site, once the core is loaded.
export async function openSite(context: BrowserContext, path = ''): Promise<Page> {
  const page = await context.newPage();
  const errors: string[] = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(siteUrl(path));
  await page.waitForSelector('body[data-ready=true]', { timeout: 30_000 }).catch((error) => {
    throw new Error(`${error.message}; page errors: ${errors.join('; ')}`);
  });
  return page;
}

// The bytes of what the button named `name` downloads.
export async function download(page: Page, name: string): Promise<{ bytes: Buffer; fileName: string }> {
  const [file] = await Promise.all([
    page.waitForEvent('download'),
    page.getByRole('button', { name, exact: true }).click(),
  ]);
  const path = await file.path();
  return { bytes: readFileSync(path), fileName: file.suggestedFilename() };
}

// Presses GO and waits until the run is shown.
export async function go(page: Page): Promise<void> {
  await page.evaluate(() => delete document.body.dataset.runMilliseconds);
  await page.getByRole('button', { name: 'GO', exact: true }).click();
  await page.waitForFunction(() => document.body.dataset.runMilliseconds !== undefined);
}

export function scratchDir(): string {
  return mkdtempSync(join(tmpdir(), 'meltsim-web-test-'));
}

// Runs `meltsim-cli ARGS` in a fresh folder and returns the folder; an exit
// code other than `exitCode` fails the test.
export function native(args: string[], exitCode = 0): string {
  if (!existsSync(nativeCli)) throw new Error(`no native command line at ${nativeCli} (MELTSIM_NATIVE_CLI)`);
  const dir = scratchDir();
  const run = spawnSync(nativeCli, args, { cwd: dir, encoding: 'utf8' });
  if (run.status !== exitCode)
    throw new Error(`meltsim-cli ${args.join(' ')} exited with ${run.status}, not ${exitCode}: ${run.stderr}`);
  return dir;
}

export function writeScratch(name: string, content: string | Buffer): string {
  const path = join(scratchDir(), name);
  writeFileSync(path, content);
  return path;
}
