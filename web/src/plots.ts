// The four plots of the Results page, drawn with uPlot from the core's plot
// descriptions: curves against FLIGHT, zone ends and end marks, zone names,
// a read-out of every curve where the pointer is (kept in step across the
// four plots).

import uPlot from 'uplot';
import 'uplot/dist/uPlot.min.css';
import { flightAxis, tickLabel, ticks, valueAxis } from './axis';
import type { LineStyle, PlotView } from './core-types';
import { element } from './dom';
import { dashArray, zoneName } from './plot-svg';

const SYNC_KEY = 'meltsim-plots';

function dash(style: LineStyle): number[] | undefined {
  return dashArray(style)?.split(' ').map(Number);
}

// The curves' points on one FLIGHT axis (uPlot wants the curves aligned):
// a curve has no value where another curve has a point it lacks.
function alignedData(plot: PlotView): uPlot.AlignedData {
  if (plot.curves.length === 0) return [[]];
  const tables = plot.curves.map((c) => [c.x, c.y] as uPlot.AlignedData);
  return uPlot.join(tables);
}

function drawMarks(u: uPlot, plot: PlotView): void {
  const ctx = u.ctx;
  const { left, top, width, height } = u.bbox;
  ctx.save();
  ctx.beginPath();
  ctx.rect(left, top, width, height);
  ctx.clip();
  for (const mark of plot.marks) {
    const x = u.valToPos(mark.x, 'x', true);
    ctx.beginPath();
    ctx.strokeStyle = mark.colour;
    ctx.lineWidth = mark.width * devicePixelRatio;
    ctx.setLineDash((dash(mark.style) ?? []).map((d) => d * devicePixelRatio));
    ctx.moveTo(x, top);
    ctx.lineTo(x, top + height);
    ctx.stroke();
  }
  ctx.setLineDash([]);
  ctx.fillStyle = '#5a5a5a';
  ctx.font = `${11 * devicePixelRatio}px DejaVu Sans, Arial, sans-serif`;
  ctx.textAlign = 'center';
  for (const zone of plot.zoneLabels) {
    const from = u.valToPos(zone.from, 'x', true);
    const to = u.valToPos(zone.to, 'x', true);
    const name = zoneName(zone.name, (to - from) / devicePixelRatio);
    if (name) ctx.fillText(name, (from + to) / 2, top + height - 6 * devicePixelRatio);
  }
  ctx.restore();
}

// Two rows of plots share what the window's height leaves below the
// toolbar, headline and legends: 215 px on a laptop, more on a large screen.
function plotHeight(): number {
  return Math.max(215, Math.min(400, Math.floor((window.innerHeight - 330) / 2) - 60));
}

function options(plot: PlotView, width: number): uPlot.Options {
  const xs = flightAxis(plot);
  const ys = valueAxis(plot);
  const format = (v: number | null | undefined) => (v == null ? '-' : String(Number(v.toPrecision(6))));
  return {
    title: plot.title,
    width,
    height: plotHeight(),
    scales: { x: { time: false, range: [xs.min, xs.max] }, y: { range: [ys.min, ys.max] } },
    series: [
      { label: 'FLIGHT', value: (_u, v) => format(v) },
      ...plot.curves.map((c) => ({
        label: c.name,
        stroke: c.colour,
        width: c.width,
        dash: dash(c.style),
        spanGaps: true,
        points: { show: false },
        value: (_u: uPlot, v: number | null) => format(v),
      })),
    ],
    axes: [
      { label: plot.xTitle, splits: () => ticks(xs), values: (_u, s) => s.map((v) => tickLabel(v, '%g')) },
      {
        label: plot.yTitle,
        splits: () => ticks(ys),
        values: (_u, s) => s.map((v) => tickLabel(v, plot.yLabelFormat)),
        size: 56,
      },
    ],
    legend: { live: true },
    cursor: { sync: { key: SYNC_KEY }, points: { size: 6 } },
    hooks: { draw: [(u) => drawMarks(u, plot)] },
  };
}

// What the end marks mean, under the plot (uPlot's legend lists curves only).
function markLegend(plot: PlotView): HTMLElement {
  const names = plot.marks.filter((m) => m.inLegend).map((m) => `${m.style === 'dashdot' ? '-·-' : '- -'} ${m.name}`);
  return element('p', { className: 'plot-marks', textContent: names.join('   ') });
}

export class PlotGrid {
  private charts: uPlot[] = [];
  private readonly resize = new ResizeObserver(() => this.fit());

  constructor(private readonly container: HTMLElement) {
    this.resize.observe(container);
    window.addEventListener('resize', () => this.fit());
  }

  private cellWidth(): number {
    return Math.max(280, Math.floor((this.container.clientWidth - 14) / 2));
  }

  show(plots: PlotView[]): void {
    this.clear();
    const width = this.cellWidth();
    for (const plot of plots) {
      const cell = element('figure', { className: 'plot-cell' });
      cell.setAttribute('aria-label', `${plot.title} plot`);
      cell.style.margin = '0';
      this.container.append(cell);
      this.charts.push(new uPlot(options(plot, width), alignedData(plot), cell));
      if (plot.marks.some((m) => m.inLegend)) cell.append(markLegend(plot));
    }
  }

  clear(): void {
    for (const chart of this.charts) chart.destroy();
    this.charts = [];
    this.container.replaceChildren();
  }

  private fit(): void {
    if (this.container.clientWidth === 0) return; // hidden
    const width = this.cellWidth();
    const height = plotHeight();
    for (const chart of this.charts)
      if (chart.width !== width || chart.height !== height) chart.setSize({ width, height });
  }
}
