// The desktop's files in the browser: data files (picked and dropped), Save
// Data File, polymer files, Open Result File, Keep as Reference.
import { readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import type { Browser, BrowserContext, Page } from 'playwright-core';
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import { download, go, launch, native, newContext, openSite, writeScratch } from './support';

const testData = resolve(import.meta.dirname, '../../../tests/data');

let browser: Browser;
let context: BrowserContext;
let page: Page;
let defaultsFile: string; // what Save Data File writes for the default inputs

beforeAll(async () => {
  browser = await launch();
  context = await newContext(browser);
  page = await openSite(context);
  defaultsFile = (await download(page, 'Save Data File')).bytes.toString('latin1');
});

afterAll(async () => {
  await browser?.close();
});

const message = () => page.locator('#message').textContent();
const field = (label: string) => page.locator('#inputs-form').getByLabel(label);

// A data file of 31 lines as edited by hand: every value the default but
// the diameter, the speed and a polymer value.
function dataFile(): string {
  const lines = defaultsFile.split('\r\n').slice(0, 31);
  lines[0] = 'Screw Diameter (cm) = 20.0 cm';
  lines[9] = 'Number of Revolution (rpm) =   55 rpm, a note';
  lines[26] = 'Melting Point = 250.0';
  return lines.join('\r\n') + '\r\n';
}

describe('Read Data File', () => {
  it('fills the editable fields from a picked file and leaves the polymer alone, saying so', async () => {
    await page.locator('#data-file-input').setInputFiles(writeScratch('hand.txt', dataFile()));
    await expect.poll(() => field('Screw Diameter (cm)').inputValue()).toBe('20.0');
    expect(await field('Number of Revolution (rpm)').inputValue()).toBe('55');
    expect(await field('Melting Point').inputValue()).toBe('265.0');
    expect(await page.locator('#notice').textContent()).toBe(
      'Read Data File left the polymer lines 27 (TM) of hand.txt alone. To take them: Polymer... > Load File... and choose hand.txt.',
    );
  });

  it('refuses a result file, naming it, and changes no field', async () => {
    const resultFile = join(native(['run', '--set', 'RPM=40', '-o', 'r40.txt']), 'r40.txt');
    await page.locator('#data-file-input').setInputFiles(resultFile);
    await expect.poll(message).toBe('"r40.txt" is not a correct data file!');
    expect(await field('Screw Diameter (cm)').inputValue()).toBe('20.0');
  });

  it('takes a dropped file like a picked one, and one file only', async () => {
    const drop = async (files: { name: string; text: string }[]) =>
      page.evaluate((list) => {
        const transfer = new DataTransfer();
        for (const f of list) transfer.items.add(new File([f.text], f.name, { type: 'text/plain' }));
        document.querySelector('main')!.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
      }, files);
    const text = dataFile().replace('= 20.0 cm', '= 12.5');
    await drop([{ name: 'dropped.txt', text }]);
    await expect.poll(() => field('Screw Diameter (cm)').inputValue()).toBe('12.5');
    await drop([
      { name: 'a.txt', text },
      { name: 'b.txt', text },
    ]);
    await expect.poll(message).toBe('Select one data file! Please try again.');
  });

  it('reads back what Save Data File wrote', async () => {
    await field('Output (kg/hr)').fill('333.5');
    const saved = await download(page, 'Save Data File');
    await field('Output (kg/hr)').fill('1');
    await page.locator('#data-file-input').setInputFiles(writeScratch(saved.fileName, saved.bytes));
    await expect.poll(() => field('Output (kg/hr)').inputValue()).toBe('333.5');
    expect(saved.bytes.toString('latin1').split('\r\n').length).toBe(32); // 31 lines, CR LF each
  });
});

describe('the polymer', () => {
  it('is edited in its dialog; OK refuses what a run refuses, with the run message', async () => {
    await page.getByRole('button', { name: 'Polymer...' }).click();
    const dialog = page.getByRole('dialog');
    await dialog.getByLabel('Melting Point').fill('-5');
    await dialog.getByRole('button', { name: 'OK' }).click();
    await expect.poll(() => dialog.locator('#polymer-message').textContent()).toBe('Value of Melting Point is not correct');
    await dialog.getByLabel('Melting Point').fill('250.0');
    await dialog.getByLabel('Name').fill('softer PP');
    await dialog.getByRole('button', { name: 'OK' }).click();
    await expect.poll(() => field('Melting Point').inputValue()).toBe('250.0');
    await expect.poll(() => page.locator('#polymer-label').textContent()).toBe('Polymer (fields 15 to 27): softer PP  - own values');
  });

  it('is saved as a polymer file and loaded back; Defaults puts the default polymer back', async () => {
    await page.getByRole('button', { name: 'Polymer...' }).click();
    const dialog = page.getByRole('dialog');
    const saved = await download(page, 'Save Polymer File...');
    expect(saved.bytes.toString('latin1').startsWith('Polymer = softer PP\r\n')).toBe(true);
    await dialog.getByRole('button', { name: 'Defaults' }).click();
    expect(await dialog.getByLabel('Melting Point').inputValue()).toBe('265.0');
    await page.locator('#polymer-file-input').setInputFiles(writeScratch('softer.txt', saved.bytes));
    await expect.poll(() => dialog.getByLabel('Melting Point').inputValue()).toBe('250.0');
    expect(await dialog.getByLabel('Name').inputValue()).toBe('softer PP');
    await dialog.getByRole('button', { name: 'Defaults' }).click();
    await dialog.getByRole('button', { name: 'OK' }).click();
    await expect.poll(() => page.locator('#polymer-label').textContent()).toBe('Polymer (fields 15 to 27): default polymer');
  });

  it('of a data file goes into the run like typed values', async () => {
    await page.getByRole('button', { name: 'Polymer...' }).click();
    const dialog = page.getByRole('dialog');
    await page.locator('#polymer-file-input').setInputFiles(join(testData, 'polymer_pp.txt'));
    await expect.poll(() => dialog.getByLabel('Name').inputValue()).toBe('polymer_pp');
    await dialog.getByRole('button', { name: 'OK' }).click();
    await page.locator('#data-file-input').setInputFiles(join(testData, 'polymer_pp.txt'));
    await expect.poll(() => field('Screw Diameter (cm)').inputValue()).toBe('6.5');
    await page.getByLabel('Save File Name').fill('pp.txt');
    await go(page);
    const expected = native(['run', join(testData, 'polymer_pp.txt'), '--all-fields', '-o', 'pp.txt']);
    const result = await download(page, 'Result file');
    expect(result.bytes.equals(readFileSync(join(expected, 'pp.txt')))).toBe(true);
  });
});

describe('Open Result File and the reference', () => {
  it('shows an earlier result file: how it ended, its table and its inputs', async () => {
    const file = join(native(['run', '-o', 'earlier.txt']), 'earlier.txt');
    await page.getByRole('tab', { name: 'Results' }).click();
    await page.locator('#result-file-input').setInputFiles(file);
    await expect.poll(() => page.locator('#headline').textContent()).toBe('Melting complete at 18.1 turns');
    expect(await page.locator('#source-label').textContent()).toContain('Result file: earlier.txt');
    expect(await page.locator('#step-table tbody tr').count()).toBe(96);
    expect(await page.getByRole('button', { name: 'Copy Inputs to Fields' }).isEnabled()).toBe(true);
  });

  it('says so of a file whose calculation did not finish', async () => {
    const sectionOnly = readFileSync(join(native(['run', '-o', 'r.txt']), 'r.txt')).toString('latin1').split('\r\n').slice(0, 35).join('\r\n') + '\r\n';
    await page.locator('#result-file-input').setInputFiles(writeScratch('unfinished.txt', Buffer.from(sectionOnly, 'latin1')));
    await expect.poll(() => page.locator('#headline').textContent()).toBe(
      'The calculation of this file did not finish: it holds only the input section.',
    );
  });

  it('keeps a run as the dashed reference beside the next run', async () => {
    await page.getByRole('tab', { name: 'Inputs' }).click();
    await field('Number of Revolution (rpm)').fill('38.0');
    await go(page);
    await page.getByRole('button', { name: 'Keep as Reference' }).click();
    await expect.poll(() => page.locator('#reference-label').textContent()).toContain('Reference (dashed)');
    await page.getByRole('tab', { name: 'Inputs' }).click();
    await field('Number of Revolution (rpm)').fill('45');
    await go(page);
    const legend = await page.locator('#plots-page .u-legend').first().textContent();
    expect(legend).toContain('X/W (reference)');
    await page.getByRole('button', { name: 'Clear Reference' }).click();
    await expect.poll(() => page.locator('#plots-page .u-legend').first().textContent()).not.toContain('reference');
  });

  it('exports the plots as SVG and PNG', async () => {
    const svg = await download(page, 'Save Plots (SVG)');
    expect(svg.bytes.toString().startsWith('<svg xmlns="http://www.w3.org/2000/svg" width="1280" height="840"')).toBe(true);
    const png = await download(page, 'Save Plots (PNG)');
    expect(png.bytes.subarray(0, 8).equals(Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]))).toBe(true);
    expect(png.bytes.readUInt32BE(16)).toBe(1280); // IHDR width
  });
});
