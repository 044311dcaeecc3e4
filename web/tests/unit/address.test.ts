import { describe, expect, it } from 'vitest';
import { addressOf, parseAddress, type PageInputs } from '../../src/address';
import type { FieldInfo } from '../../src/core-types';

// The first fields of the input table, as the core describes them.
const symbols = ['D', 'NFEED', 'NCOMP', 'NMETER', 'NDELAY', 'H1', 'H3', 'PITCH', 'E', 'RPM', 'OUTPUT'];
const fields = symbols.map(
  (symbol) => ({ symbol, editName: '', label: '', name: '', unit: '', tooltip: '', defaultText: '1', editable: true }) as FieldInfo,
);
const defaults: PageInputs = { texts: symbols.map(() => '1'), saveFileName: 'result.txt', series: 'rescue' };

describe('inputs in the address', () => {
  it('reads the link of the issue: RPM 50, OUTPUT 400, computed on load', () => {
    const a = parseAddress('?RPM=50&OUTPUT=400&run=1', fields);
    expect([...a.texts]).toEqual([
      [9, '50'],
      [10, '400'],
    ]);
    expect(a.run).toBe(true);
    expect(a.unknown).toEqual([]);
  });

  it('takes symbols in any case and names what it does not know', () => {
    const a = parseAddress('?rpm=45&Series=stable&file=a.txt&XYZ=1&run=0', fields);
    expect(a.texts.get(9)).toBe('45');
    expect(a.series).toBe('stable');
    expect(a.saveFileName).toBe('a.txt');
    expect(a.unknown).toEqual(['XYZ']);
    expect(a.run).toBe(false);
  });

  it('keeps a text exactly, whatever it holds', () => {
    const a = parseAddress('?D=1%2C5&E=%201.5e-1%20', fields);
    expect(a.texts.get(0)).toBe('1,5');
    expect(a.texts.get(8)).toBe(' 1.5e-1 ');
  });

  it('writes only what differs from the defaults, and reads it back', () => {
    const inputs: PageInputs = { ...defaults, texts: [...defaults.texts] };
    inputs.texts[9] = '50';
    inputs.texts[0] = '1 & 2';
    inputs.series = 'written';
    const query = addressOf(inputs, defaults, fields, true);
    expect(query).toBe('?D=1+%26+2&RPM=50&series=written&run=1');
    const back = parseAddress(query, fields);
    expect(back.texts.get(0)).toBe('1 & 2');
    expect(back.texts.get(9)).toBe('50');
    expect(back.series).toBe('written');
    expect(back.run).toBe(true);
  });

  it('gives an empty address for the defaults', () => {
    expect(addressOf(defaults, defaults, fields, false)).toBe('');
  });
});
