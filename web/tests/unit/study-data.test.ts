import { describe, expect, it } from 'vitest';
import type { SweepRow } from '../../src/core-types';
import { NONE, studyCsv, studySeries, varyTexts } from '../../src/study-data';

const columns = ['case', 'RPM', 'OUTPUT', 'status', 'message', 'FLIGHT'];
function row(c: number, rpm: string, output: string, flight: string): SweepRow {
  const cells = [String(c), rpm, output, flight ? 'ok' : 'calculation error', flight ? '' : 'failed, badly', flight];
  return { case: c, cells, csv: cells.map((x) => (x.includes(',') ? `"${x}"` : x)).join(',') + '\n' };
}

describe('the study form', () => {
  it('makes the --vary texts of the chosen inputs, the first outermost', () => {
    expect(varyTexts(['RPM', ' 20:60:5 '], ['OUTPUT', '200,300'])).toEqual(['RPM=20:60:5', 'OUTPUT=200,300']);
    expect(varyTexts(['RPM', '30'], [NONE, '1,2'])).toEqual(['RPM=30']);
    expect(varyTexts(['RPM', '  '], ['OUTPUT', '5'])).toEqual(['OUTPUT=5']);
  });
});

describe('the study rows', () => {
  const rows = [row(1, '40', '200', '17.5'), row(2, '40', '300', ''), row(3, '20', '200', '20.1'), row(4, '20', '300', '22')];

  it('saves the header and every line as the core wrote it', () => {
    expect(studyCsv(columns, rows)).toBe(
      'case,RPM,OUTPUT,status,message,FLIGHT\n1,40,200,ok,,17.5\n2,40,300,calculation error,"failed, badly",\n3,20,200,ok,,20.1\n4,20,300,ok,,22\n',
    );
  });

  it('plots one curve per value of the second input, left to right, with gaps where a case failed', () => {
    const series = studySeries(columns, rows, 'FLIGHT', 2);
    expect([...series.keys()]).toEqual(['200', '300']);
    expect(series.get('200')).toEqual({ x: [20, 40], y: [20.1, 17.5] });
    expect(series.get('300')).toEqual({ x: [20, 40], y: [22, null] });
  });

  it('plots one curve for a study of one input', () => {
    const single = studySeries(['case', 'RPM', 'status', 'FLIGHT'], [{ case: 1, cells: ['1', '30', 'ok', '18'], csv: '' }], 'FLIGHT', 1);
    expect([...single.values()]).toEqual([{ x: [30], y: [18] }]);
  });
});
