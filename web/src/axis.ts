// Axis ranges and tick labels of the plots, as the window's charts lay them
// out: FLIGHT from 0 to the screw end with ticks every xTick turns, the value
// axis as the plot description asks (the unit interval, or its range rounded
// outwards to nice numbers).

import type { PlotView } from './core-types';

export interface AxisRange {
  min: number;
  max: number;
  step: number; // distance between ticks
}

// 1, 2, 2.5 or 5 times a power of ten, the first at least `rough`.
export function niceStep(rough: number): number {
  if (!(rough > 0) || !Number.isFinite(rough)) return 1;
  const power = Math.pow(10, Math.floor(Math.log10(rough)));
  for (const factor of [1, 2, 2.5, 5, 10]) {
    if (factor * power >= rough * (1 - 1e-12)) return factor * power;
  }
  return 10 * power;
}

// [min, max] widened to multiples of a nice step, with about `ticks` intervals.
export function niceRange(min: number, max: number, ticks = 5): AxisRange {
  if (!(max > min)) {
    const centre = Number.isFinite(min) ? min : 0;
    return niceRange(centre - 1, centre + 1, ticks);
  }
  const step = niceStep((max - min) / ticks);
  return { min: Math.floor(min / step + 1e-9) * step, max: Math.ceil(max / step - 1e-9) * step, step };
}

// The tick positions from min by step up to max (included up to rounding).
export function ticks(range: AxisRange): number[] {
  const count = Math.floor((range.max - range.min) / range.step + 1e-9);
  const values: number[] = [];
  for (let i = 0; i <= count && i <= 1000; i++) values.push(cleanZero(range.min + i * range.step));
  return values;
}

function cleanZero(value: number): number {
  // 0.30000000000000004 and -0 are not what a tick should say.
  const rounded = Number(value.toPrecision(12));
  return rounded === 0 ? 0 : rounded;
}

export function valueAxis(plot: PlotView): AxisRange {
  if (plot.valueScale === 'unit') return { min: 0, max: 1, step: 0.2 };
  return niceRange(plot.yMin, plot.yMax);
}

// FLIGHT from 0 to the screw end.
export function flightAxis(plot: PlotView): AxisRange {
  return { min: 0, max: plot.xMax > 0 ? plot.xMax : 1, step: plot.xTick > 0 ? plot.xTick : 1 };
}

// A tick label by the description's printf form: "%.1f" or "%g".
export function tickLabel(value: number, format: string): string {
  const fixed = /^%\.(\d+)f$/.exec(format);
  if (fixed) return cleanZero(value).toFixed(Number(fixed[1]));
  return String(cleanZero(value));
}
