// The four plots as one SVG picture, for Save Plots (SVG, and PNG by drawing
// the SVG): the curves, zone ends, end marks and zone names of the plot
// descriptions the core made, with their axes, titles and legends.

import { flightAxis, tickLabel, ticks, valueAxis, type AxisRange } from './axis';
import type { LineStyle, PlotView } from './core-types';

export const CELL_WIDTH = 640; // one plot of the four, as the window saves them
export const CELL_HEIGHT = 420;
const FONT = 'DejaVu Sans, Arial, sans-serif';
const AREA = { left: 64, right: 18, top: 50, bottom: 46 };

export function dashArray(style: LineStyle): string | null {
  switch (style) {
    case 'dash':
      return '7 4';
    case 'dashdot':
      return '9 3 2 3';
    case 'dot':
      return '2 3';
    default:
      return null;
  }
}

export function escapeXml(text: string): string {
  return text.replace(/[&<>"']/g, (c) => `&#${c.charCodeAt(0)};`);
}

interface Frame {
  x0: number;
  x1: number;
  y0: number; // top
  y1: number; // bottom
  xs: AxisRange;
  ys: AxisRange;
}

function px(frame: Frame, x: number): number {
  return frame.x0 + ((x - frame.xs.min) / (frame.xs.max - frame.xs.min)) * (frame.x1 - frame.x0);
}

function py(frame: Frame, y: number): number {
  return frame.y1 - ((y - frame.ys.min) / (frame.ys.max - frame.ys.min)) * (frame.y1 - frame.y0);
}

function n(value: number): string {
  return Number.isFinite(value) ? value.toFixed(2) : '0';
}

function stroke(colour: string, width: number, style: LineStyle): string {
  const dash = dashArray(style);
  return `stroke="${colour}" stroke-width="${width}" fill="none"${dash ? ` stroke-dasharray="${dash}"` : ''}`;
}

function text(x: number, y: number, content: string, extra = ''): string {
  return `<text x="${n(x)}" y="${n(y)}" font-family="${FONT}" ${extra}>${escapeXml(content)}</text>`;
}

function axes(plot: PlotView, f: Frame): string[] {
  const parts: string[] = [];
  for (const x of ticks(f.xs)) {
    parts.push(`<line x1="${n(px(f, x))}" y1="${n(f.y0)}" x2="${n(px(f, x))}" y2="${n(f.y1)}" stroke="#e4e4e4"/>`);
    parts.push(text(px(f, x), f.y1 + 16, tickLabel(x, '%g'), 'font-size="11" text-anchor="middle"'));
  }
  for (const y of ticks(f.ys)) {
    parts.push(`<line x1="${n(f.x0)}" y1="${n(py(f, y))}" x2="${n(f.x1)}" y2="${n(py(f, y))}" stroke="#e4e4e4"/>`);
    parts.push(text(f.x0 - 6, py(f, y) + 4, tickLabel(y, plot.yLabelFormat), 'font-size="11" text-anchor="end"'));
  }
  parts.push(`<rect x="${n(f.x0)}" y="${n(f.y0)}" width="${n(f.x1 - f.x0)}" height="${n(f.y1 - f.y0)}" fill="none" stroke="#444"/>`);
  parts.push(text((f.x0 + f.x1) / 2, f.y1 + 36, plot.xTitle, 'font-size="12" text-anchor="middle"'));
  const yMid = (f.y0 + f.y1) / 2;
  parts.push(text(16, yMid, plot.yTitle, `font-size="12" text-anchor="middle" transform="rotate(-90 16 ${n(yMid)})"`));
  return parts;
}

function curves(plot: PlotView, f: Frame): string[] {
  return plot.curves
    .filter((c) => c.x.length > 0)
    .map((c) => {
      const points = c.x.map((x, i) => `${n(px(f, x))},${n(py(f, c.y[i]))}`).join(' ');
      return `<polyline points="${points}" ${stroke(c.colour, c.width, c.style)} stroke-linejoin="round"/>`;
    });
}

function marks(plot: PlotView, f: Frame): string[] {
  const parts = plot.marks
    .filter((m) => m.x >= f.xs.min && m.x <= f.xs.max)
    .map(
      (m) =>
        `<line x1="${n(px(f, m.x))}" y1="${n(f.y0)}" x2="${n(px(f, m.x))}" y2="${n(f.y1)}" ${stroke(m.colour, m.width, m.style)}/>`,
    );
  for (const zone of plot.zoneLabels) {
    const width = px(f, zone.to) - px(f, zone.from);
    const name = zoneName(zone.name, width);
    if (name) parts.push(text((px(f, zone.from) + px(f, zone.to)) / 2, f.y1 - 6, name, 'font-size="11" fill="#5a5a5a" text-anchor="middle"'));
  }
  return parts;
}

// The zone's name where it fits between the zone's ends, shortened to its
// first letters where only those fit, or nothing.
export function zoneName(name: string, widthPixels: number, charPixels = 6.5): string {
  const fits = Math.floor((widthPixels - 6) / charPixels);
  if (fits >= name.length) return name;
  if (fits >= 4) return `${name.slice(0, fits - 1)}.`;
  return '';
}

function legend(plot: PlotView, f: Frame): string[] {
  const parts: string[] = [];
  let x = f.x0;
  const y = 36;
  const entries = [
    ...plot.curves.filter((c) => c.inLegend).map((c) => ({ ...c })),
    ...plot.marks.filter((m) => m.inLegend),
  ];
  for (const e of entries) {
    parts.push(`<line x1="${n(x)}" y1="${y - 4}" x2="${n(x + 22)}" y2="${y - 4}" ${stroke(e.colour, e.width, e.style)}/>`);
    parts.push(text(x + 26, y, e.name, 'font-size="11"'));
    x += 40 + e.name.length * 6.5;
  }
  return parts;
}

// One plot as an SVG group of width x height at (left, top).
export function plotGroup(plot: PlotView, left: number, top: number, width: number, height: number): string {
  const frame: Frame = {
    x0: AREA.left,
    x1: width - AREA.right,
    y0: AREA.top,
    y1: height - AREA.bottom,
    xs: flightAxis(plot),
    ys: valueAxis(plot),
  };
  const clip = `clip${plot.kind}-${left}-${top}`;
  return [
    `<g transform="translate(${left} ${top})">`,
    `<rect width="${width}" height="${height}" fill="white"/>`,
    `<clipPath id="${clip}"><rect x="${frame.x0}" y="${frame.y0}" width="${frame.x1 - frame.x0}" height="${frame.y1 - frame.y0}"/></clipPath>`,
    text(width / 2, 20, plot.title, 'font-size="14" font-weight="bold" text-anchor="middle"'),
    ...axes(plot, frame),
    `<g clip-path="url(#${clip})">`,
    ...marks(plot, frame),
    ...curves(plot, frame),
    '</g>',
    ...legend(plot, frame),
    '</g>',
  ].join('\n');
}

// The four plots two by two, as a whole SVG document.
export function plotsSvg(plots: PlotView[], cellWidth = CELL_WIDTH, cellHeight = CELL_HEIGHT): string {
  const columns = 2;
  const rows = Math.ceil(plots.length / columns);
  const width = columns * cellWidth;
  const height = rows * cellHeight;
  const groups = plots.map((p, i) =>
    plotGroup(p, (i % columns) * cellWidth, Math.floor(i / columns) * cellHeight, cellWidth, cellHeight),
  );
  return [
    `<svg xmlns="http://www.w3.org/2000/svg" width="${width}" height="${height}" viewBox="0 0 ${width} ${height}">`,
    ...groups,
    '</svg>',
    '',
  ].join('\n');
}
