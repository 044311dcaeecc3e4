import { describe, expect, it } from 'vitest';
import { flightAxis, niceRange, niceStep, tickLabel, ticks, valueAxis } from '../../src/axis';
import type { PlotView } from '../../src/core-types';

function plot(over: Partial<PlotView>): PlotView {
  return {
    kind: 0, title: 't', xTitle: 'FLIGHT (turns)', yTitle: 'y', xMax: 24.7, xTick: 2,
    valueScale: 'padded', yMin: 0, yMax: 1, yLabelFormat: '%g', curves: [], marks: [], zoneLabels: [],
    ...over,
  };
}

describe('nice steps and ranges', () => {
  it('rounds a rough step up to 1, 2, 2.5 or 5 times a power of ten', () => {
    // By hand: 0.3 -> 0.5, 0.21 -> 0.25, 7 -> 10, 1 -> 1, 0.0042 -> 0.005.
    expect(niceStep(0.3)).toBeCloseTo(0.5, 12);
    expect(niceStep(0.21)).toBeCloseTo(0.25, 12);
    expect(niceStep(7)).toBe(10);
    expect(niceStep(1)).toBe(1);
    expect(niceStep(0.0042)).toBeCloseTo(0.005, 15);
    expect(niceStep(0)).toBe(1);
    expect(niceStep(Number.NaN)).toBe(1);
  });

  it('widens the temperatures of the default run to whole ticks', () => {
    // 280.3 to 291.2 is 10.9 wide; a fifth is 2.18 -> step 2.5; floor(280.3/2.5)*2.5 = 280,
    // ceil(291.2/2.5)*2.5 = 292.5.
    expect(niceRange(280.3, 291.2)).toEqual({ min: 280, max: 292.5, step: 2.5 });
  });

  it('keeps a range that already sits on ticks', () => {
    expect(niceRange(0, 40)).toEqual({ min: 0, max: 40, step: 10 });
  });

  it('opens an empty range around its value', () => {
    const range = niceRange(3, 3);
    expect(range.min).toBeLessThan(3);
    expect(range.max).toBeGreaterThan(3);
  });
});

describe('ticks and their labels', () => {
  it('puts ticks from the start by the step up to the end, without rounding noise', () => {
    expect(ticks({ min: 0, max: 1, step: 0.2 })).toEqual([0, 0.2, 0.4, 0.6, 0.8, 1]);
    expect(ticks({ min: -0.1, max: 0.2, step: 0.1 })).toEqual([-0.1, 0, 0.1, 0.2]);
  });

  it('stops FLIGHT ticks at the last whole step before the screw end', () => {
    // 24.7 turns with ticks every 2: 0, 2, ..., 24 (13 ticks), the axis ending at 24.7.
    const axis = flightAxis(plot({ xMax: 24.7, xTick: 2 }));
    expect(axis.max).toBe(24.7);
    const t = ticks(axis);
    expect(t.length).toBe(13);
    expect(t.at(-1)).toBe(24);
  });

  it('labels by the printf form of the description', () => {
    expect(tickLabel(0.4, '%.1f')).toBe('0.4');
    expect(tickLabel(1, '%.1f')).toBe('1.0');
    expect(tickLabel(0.30000000000000004, '%g')).toBe('0.3');
    expect(tickLabel(-0, '%.1f')).toBe('0.0');
  });

  it('shows a ratio on the unit interval and other values rounded outwards', () => {
    expect(valueAxis(plot({ valueScale: 'unit', yMin: 0, yMax: 1 }))).toEqual({ min: 0, max: 1, step: 0.2 });
    const covered = valueAxis(plot({ valueScale: 'coverUnit', yMin: 0, yMax: 1.13 }));
    expect(covered.min).toBe(0);
    expect(covered.max).toBeGreaterThanOrEqual(1.13);
  });
});
