import { describe, expect, it } from 'vitest';
import type { PlotView } from '../../src/core-types';
import { dashArray, escapeXml, plotGroup, plotsSvg, zoneName } from '../../src/plot-svg';

// A melting profile as the core describes one: a current curve, a dashed
// reference, zone ends, the end mark and the zone names.
const profile: PlotView = {
  kind: 0,
  title: 'Melting profile',
  xTitle: 'FLIGHT (turns)',
  yTitle: 'ratio',
  xMax: 20,
  xTick: 2,
  valueScale: 'unit',
  yMin: 0,
  yMax: 1,
  yLabelFormat: '%.1f',
  curves: [
    { name: 'X/W', x: [5, 20], y: [1, 0], colour: '#1f77b4', width: 2.2, style: 'solid', reference: false, inLegend: true },
    { name: 'X/W (reference)', x: [5, 10], y: [1, 0.5], colour: '#1f77b4', width: 1.6, style: 'dash', reference: true, inLegend: false },
  ],
  marks: [
    { role: 'zoneEnd', x: 10, name: '', colour: '#5a5a5a', width: 1, style: 'dot', reference: false, inLegend: false },
    { role: 'end', x: 18, name: 'melting end', colour: '#800000', width: 1.6, style: 'dashdot', reference: false, inLegend: true },
  ],
  zoneLabels: [
    { name: 'feed', from: 0, to: 10 },
    { name: 'metering', from: 10, to: 20 },
  ],
};

// The points of the polylines, in pixels.
function polylines(svg: string): number[][][] {
  return [...svg.matchAll(/<polyline points="([^"]*)"/g)].map((m) =>
    m[1].split(' ').map((p) => p.split(',').map(Number)),
  );
}

describe('the plots as SVG', () => {
  it('maps FLIGHT and the value onto the plot area', () => {
    // A 640 x 420 cell: the area runs from x 64 to 622 and from y 50 (value 1) to 374 (value 0).
    // FLIGHT 5 of 20 lies a quarter across: 64 + 0.25 * 558 = 203.5.
    const [current] = polylines(plotGroup(profile, 0, 0, 640, 420));
    expect(current[0][0]).toBeCloseTo(203.5, 2);
    expect(current[0][1]).toBeCloseTo(50, 2);
    expect(current[1][0]).toBeCloseTo(622, 2);
    expect(current[1][1]).toBeCloseTo(374, 2);
  });

  it('draws the reference dashed and the end mark dash-dotted, and names only the current run', () => {
    const svg = plotGroup(profile, 0, 0, 640, 420);
    expect(svg).toMatch(/<polyline [^>]*stroke-dasharray="7 4"/);
    expect(svg).toMatch(/<line x1="[\d.]+" y1="50.00"[^>]*stroke="#800000"[^>]*stroke-dasharray="9 3 2 3"/);
    expect(svg).toContain('>X/W</text>');
    expect(svg).toContain('>melting end</text>');
    expect(svg).not.toContain('>X/W (reference)</text>');
  });

  it('labels the value axis by the description and names the zones that fit', () => {
    const svg = plotGroup(profile, 0, 0, 640, 420);
    for (const label of ['0.0', '0.2', '0.4', '0.6', '0.8', '1.0']) expect(svg).toContain(`>${label}</text>`);
    expect(svg).toContain('>feed</text>');
    expect(svg).toContain('>metering</text>');
  });

  it('puts four plots two by two in one document', () => {
    const svg = plotsSvg([profile, { ...profile, kind: 1 }, { ...profile, kind: 2 }, { ...profile, kind: 3 }]);
    expect(svg.startsWith('<svg xmlns="http://www.w3.org/2000/svg" width="1280" height="840"')).toBe(true);
    expect(svg.match(/<g transform="translate\(/g)?.length).toBe(4);
    expect(svg).toContain('translate(640 420)');
  });

  it('escapes what would break the markup', () => {
    expect(escapeXml('a < b & "c"')).toBe('a &#60; b &#38; &#34;c&#34;');
    const svg = plotGroup({ ...profile, title: 'X<W & more' }, 0, 0, 640, 420);
    expect(svg).toContain('X&#60;W &#38; more');
  });
});

describe('zone names and line styles', () => {
  it('shortens a zone name to what fits, or leaves it out', () => {
    // 6.5 px a character and 6 px of room: 'compression' (11 characters) needs 6 + 71.5 px;
    // 45 px hold (45 - 6) / 6.5 = 6 characters: five letters and the point.
    expect(zoneName('compression', 80)).toBe('compression');
    expect(zoneName('compression', 45)).toBe('compr.');
    expect(zoneName('compression', 20)).toBe('');
  });

  it('gives each line style its dashes', () => {
    expect(dashArray('solid')).toBeNull();
    expect(dashArray('dash')).toBe('7 4');
    expect(dashArray('dashdot')).toBe('9 3 2 3');
    expect(dashArray('dot')).toBe('2 3');
  });
});
