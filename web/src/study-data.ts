// The study's rows as the page saves and plots them: pure functions of the
// rows the core made.

import type { SweepRow } from './core-types';

// The choice "(none)" of the second input.
export const NONE = '';

// The --vary texts of the two rows of the form ("RPM=20:60:5").
export function varyTexts(first: [string, string], second: [string, string]): string[] {
  const varies: string[] = [];
  for (const [symbol, values] of [first, second]) {
    if (symbol !== NONE && values.trim() !== '') varies.push(`${symbol}=${values.trim()}`);
  }
  return varies;
}

// The study's rows as one CSV text: the header, then each row's line.
export function studyCsv(columns: string[], rows: SweepRow[]): string {
  return [columns.join(',') + '\n', ...rows.map((r) => r.csv)].join('');
}

// The plot of a numeric column against the first varied input, one curve
// per value of the second; cases without that value leave a gap.
export function studySeries(columns: string[], rows: SweepRow[], yColumn: string, axes: number) {
  const y = columns.indexOf(yColumn);
  const groups = new Map<string, { x: number[]; y: (number | null)[] }>();
  for (const row of rows) {
    const key = axes > 1 ? row.cells[2] : '';
    let group = groups.get(key);
    if (!group) groups.set(key, (group = { x: [], y: [] }));
    const value = row.cells[y];
    group.x.push(Number(row.cells[1]));
    group.y.push(value === '' || value === undefined ? null : Number(value));
  }
  // Along the axis from left to right, whatever order the values were given in.
  for (const group of groups.values()) {
    const order = group.x.map((_, i) => i).sort((a, b) => group.x[a] - group.x[b]);
    group.x = order.map((i) => group.x[i]);
    group.y = order.map((i) => group.y[i]);
  }
  return groups;
}
