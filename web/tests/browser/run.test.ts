// GO in the browser: the headline, the downloads byte for byte as the native
// command line writes them, refused inputs, the link that reproduces a run.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import type { Browser, BrowserContext, Page } from 'playwright-core';
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import { download, go, launch, native, newContext, openSite } from './support';

let browser: Browser;
let context: BrowserContext;
let page: Page;

beforeAll(async () => {
  browser = await launch();
  context = await newContext(browser);
  page = await openSite(context);
});

afterAll(async () => {
  await browser?.close();
});

function csvCells(text: string): (string | number)[][] {
  return text.split('\n').map((line) => line.split(',').map((cell) => (cell !== '' && Number.isFinite(Number(cell)) ? Number(cell) : cell)));
}

function expectNumbersClose(actual: unknown, expected: unknown, path = '$'): void {
  if (typeof expected === 'number' && typeof actual === 'number') {
    expect(Math.abs(actual - expected), path).toBeLessThanOrEqual(1e-9 * Math.max(1, Math.abs(expected)));
  } else if (expected !== null && typeof expected === 'object') {
    expect(typeof actual, path).toBe('object');
    expect(Object.keys(actual as object), path).toEqual(Object.keys(expected));
    for (const key of Object.keys(expected))
      expectNumbersClose((actual as Record<string, unknown>)[key], (expected as Record<string, unknown>)[key], `${path}.${key}`);
  } else {
    expect(actual, path).toEqual(expected);
  }
}

const headline = () => page.locator('#headline').textContent();
const message = () => page.locator('#message').textContent();

describe('a run', () => {
  it('of the defaults says where melting ended and gives the result file the desktop writes', async () => {
    await go(page);
    expect(await headline()).toBe('Melting complete at 18.1 turns');
    expect(await page.locator('#run-status').textContent()).toBe('ok');
    const expected = native(['run', '-o', 'result.txt', '--json', 'result.json', '--csv', 'result.csv']);
    const result = await download(page, 'Result file');
    expect(result.fileName).toBe('result.txt');
    expect(result.bytes.equals(readFileSync(join(expected, 'result.txt')))).toBe(true);
    // CR LF and the degree sign as the two bytes 0x81 0x8E.
    expect(result.bytes.includes(Buffer.from([0x81, 0x8e]))).toBe(true);
    expect(result.bytes.includes(Buffer.from('\r\n'))).toBe(true);
    // The copies print 17 digits, whose last ones may differ between the
    // platforms' mathematical libraries: same structure, same texts, numbers
    // to 1e-9 relative (the result file's coarser digits agree exactly).
    const json = (await download(page, 'JSON')).bytes.toString();
    expectNumbersClose(JSON.parse(json), JSON.parse(readFileSync(join(expected, 'result.json'), 'utf8')));
    const csv = (await download(page, 'CSV')).bytes.toString();
    expectNumbersClose(csvCells(csv), csvCells(readFileSync(join(expected, 'result.csv'), 'utf8')));
  });

  it('of typed inputs, started with Enter, matches the command line with the same inputs', async () => {
    await page.getByRole('tab', { name: 'Inputs' }).click();
    const rpm = page.getByLabel('Number of Revolution (rpm)');
    await rpm.fill('');
    await rpm.pressSequentially('45');
    await page.getByLabel('Save File Name').fill('rpm45.txt');
    await rpm.press('Enter');
    await page.waitForFunction(() => document.body.dataset.runMilliseconds !== undefined);
    const expected = native(['run', '--set', 'RPM=45', '-o', 'rpm45.txt']);
    const result = await download(page, 'Result file');
    expect(result.fileName).toBe('rpm45.txt');
    expect(result.bytes.equals(readFileSync(join(expected, 'rpm45.txt')))).toBe(true);
    expect(await page.locator('#step-table tbody tr').count()).toBeGreaterThan(10);
  });

  it('shows the step table with units and the summary on their own page', async () => {
    await page.getByRole('tab', { name: 'Table and Summary' }).click();
    expect(await page.locator('#plots-page').isVisible()).toBe(false);
    expect(await page.locator('#step-table').isVisible()).toBe(true);
    const heads = await page.locator('#step-table th').allTextContents();
    expect(heads).toEqual([
      'FLIGHT (turns)', 'DEPTH (cm)', 'X/W (-)', 'QS/QT (-)', 'TB (\u2103)', 'T121 (\u2103)', 'TAV (\u2103)',
      'FILM (cm)', '1/PSAI (-)', 'POWER TOT (kW)', 'POWER VIS (kW)',
    ]);
    expect(await page.locator('#summary').textContent()).toContain('Final solid ratio = ');
    await page.getByRole('tab', { name: 'Plots' }).click();
  });
});

describe('a failed calculation', () => {
  it('says where it failed, shows the rows it reached and leaves the input section as its file', async () => {
    await page.getByRole('tab', { name: 'Inputs' }).click();
    await page.getByLabel('Number of Revolution (rpm)').fill('50');
    await page.getByLabel('Series:').selectOption('written');
    await go(page);
    expect(await page.locator('#run-status').textContent()).toBe('calculation error');
    expect(await headline()).toMatch(/^Calculation failed at step \d+ \(FLIGHT [\d.]+ turns\): .+ - the table shows the \d+ steps recorded before\.$/);
    expect(await message()).not.toBe('');
    expect(await page.locator('#step-table tbody tr').count()).toBeGreaterThan(0);
    const expected = native(['run', '--series', 'written', '--set', 'RPM=50', '-o', 'result.txt'], 3);
    const result = await download(page, 'Result file');
    expect(result.bytes.equals(readFileSync(join(expected, 'result.txt')))).toBe(true);
    expect(await page.getByRole('button', { name: 'JSON', exact: true }).isDisabled()).toBe(true);
    expect(await page.getByRole('button', { name: 'Keep as Reference' }).isDisabled()).toBe(true);
    await page.getByRole('tab', { name: 'Inputs' }).click();
    await page.getByLabel('Number of Revolution (rpm)').fill('38.0');
    await page.getByLabel('Series:').selectOption('rescue');
  });
});

describe('a refused input', () => {
  it('shows the exact message and focuses and marks its field', async () => {
    await page.getByRole('tab', { name: 'Inputs' }).click();
    await page.getByLabel('Number of Revolution (rpm)').fill('-1');
    await page.getByRole('button', { name: 'GO', exact: true }).click();
    await expect.poll(message).toBe('Value of Number of Revolution is not correct');
    const rpm = page.getByLabel('Number of Revolution (rpm)');
    await expect.poll(() => rpm.evaluate((e) => e === document.activeElement)).toBe(true);
    expect(await rpm.getAttribute('aria-invalid')).toBe('true');
    // Typing clears the mark.
    await rpm.fill('38.0');
    expect(await rpm.getAttribute('aria-invalid')).toBeNull();
  });

  it('that is no number names the first such field, ahead of every check', async () => {
    await page.getByLabel('Screw Diameter (cm)').fill('1,5');
    await page.getByLabel('Output (kg/hr)').fill('-3');
    await page.getByRole('button', { name: 'GO', exact: true }).click();
    await expect.poll(message).toBe('Input value is not correct!');
    expect(await page.getByLabel('Screw Diameter (cm)').getAttribute('aria-invalid')).toBe('true');
    await page.getByLabel('Screw Diameter (cm)').fill('15.0');
    await page.getByLabel('Output (kg/hr)').fill('300.0');
  });

  it('in the save file name is refused with its message', async () => {
    await page.getByLabel('Save File Name').fill('');
    await page.getByRole('button', { name: 'GO', exact: true }).click();
    await expect.poll(message).toBe('Save File Name is not correct');
    await page.getByLabel('Save File Name').fill('result.txt');
  });
});

describe('a link', () => {
  it('with RPM 50 and OUTPUT 400 computes on load and reproduces the command line', async () => {
    const linked = await openSite(context, '?RPM=50&OUTPUT=400&run=1');
    await linked.waitForFunction(() => document.body.dataset.runMilliseconds !== undefined);
    expect(await linked.getByLabel('Number of Revolution (rpm)').inputValue()).toBe('50');
    const expected = native(['run', '--set', 'RPM=50', '--set', 'OUTPUT=400', '-o', 'result.txt']);
    const result = await download(linked, 'Result file');
    expect(result.bytes.equals(readFileSync(join(expected, 'result.txt')))).toBe(true);
    expect(await linked.locator('#headline').textContent()).not.toBe('');
    await linked.close();
  });

  it('is what the address says after GO', async () => {
    await page.getByLabel('Number of Revolution (rpm)').fill('42');
    await go(page);
    expect(new URL(page.url()).search).toBe('?RPM=42&run=1');
    await page.getByRole('tab', { name: 'Inputs' }).click();
    await page.getByLabel('Number of Revolution (rpm)').fill('38.0');
  });

  it('left out, the page opens with the inputs of the last GO', async () => {
    const again = await openSite(context);
    expect(await again.getByLabel('Number of Revolution (rpm)').inputValue()).toBe('42');
    expect(await again.locator('#headline').textContent()).toBe('');
    await again.close();
  });
});

describe('the page', () => {
  it('names every control: the 31 fields by the window labels, GO and the downloads', async () => {
    const labels = [
      'Screw Diameter (cm)', 'Turns of Feed Zone', 'Turns of Compression Zone', 'Turns of Metering Zone',
      'Turns of Delay in Melting', 'Depth of Feed Zone Channel (cm)', 'Depth of Meter. Zone Channel (cm)',
      'Screw Pitch (cm)', 'Flight Width (cm)', 'Number of Revolution (rpm)', 'Output (kg/hr)',
      'Barrel Temp. Para. (C0)', 'Barrel Temp. Para. (C1)', 'Barrel Temp. Para. (C2)',
      'Viscosity Equation Para. (a0)', 'Viscosity Equation Para. (a1)', 'Viscosity Equation Para. (a11)',
      'Viscosity Equation Para. (a2)', 'Viscosity Equation Para. (a22)', 'Viscosity Equation Para. (a12)',
      'Density of Solid (g/cm3)', 'Density of Melt (g/cm3)', 'Specific Heat of Solid (cal/g.\u2103)',
      'Heat of Fusion (cal/g)', 'Specific Heat of Melt (cal/g.\u2103)', 'Thermal Cond of Melt (cal/cm.s.\u2103)',
      'Melting Point (\u2103)', 'Solid Temperature (\u2103)', 'SBAP', 'Screw Temperature (\u2103)',
      'Thermal Cond of Solid (cal/cm.s.\u2103)',
    ];
    await page.getByRole('tab', { name: 'Inputs' }).click();
    const form = page.locator('#inputs-form');
    for (const label of labels) expect(await form.getByLabel(label, { exact: false }).count(), label).toBe(1);
    expect(await page.locator('input:not([type=file]):not([aria-label]):not([id])').count()).toBe(0);
    expect(await page.getByRole('button', { name: 'GO', exact: true }).count()).toBe(1);
    await page.getByRole('tab', { name: 'Results' }).click();
    for (const name of ['Result file', 'JSON', 'CSV'])
      expect(await page.getByRole('button', { name, exact: true }).count()).toBe(1);
  });

  it('explains each field in its tooltip: meaning, unit, allowed and typical range', async () => {
    await page.getByRole('tab', { name: 'Inputs' }).click();
    const tip = await page.getByLabel('Number of Revolution (rpm)').getAttribute('title');
    expect(tip).toMatch(/^RPM: [^\n]+\nUnit: [^\n]+\nAllowed: > 0\nTypical: [^\n]+$/);
  });
});
