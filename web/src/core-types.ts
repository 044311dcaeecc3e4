// The objects the WebAssembly core hands the page (web/core/*.cpp make them).

export interface FieldInfo {
  symbol: string;
  editName: string;
  label: string; // the window's label, with its blanks
  name: string; // the label without padding and colon
  unit: string;
  tooltip: string; // meaning, unit, allowed and typical range, one a line
  defaultText: string;
  editable: boolean;
}

export interface ColumnInfo {
  head: string;
  unit: string;
  headWithUnit: string;
  meaning: string;
}

export interface CoreDescription {
  version: string;
  fields: FieldInfo[];
  columns: ColumnInfo[];
  seriesModes: string[];
  defaultSeries: string;
  defaultSaveFileName: string;
  polymerFirstField: number;
  polymerFieldCount: number;
  defaultPolymerName: string;
  selectOneDataFileMessage: string;
  dataFileCannotOpenMessage: string;
}

export type LineStyle = 'solid' | 'dash' | 'dashdot' | 'dot';

export interface PlotCurve {
  name: string;
  x: number[];
  y: number[];
  colour: string;
  width: number;
  style: LineStyle;
  reference: boolean;
  inLegend: boolean;
}

export interface PlotMark {
  role: 'zoneEnd' | 'end';
  x: number;
  name: string;
  colour: string;
  width: number;
  style: LineStyle;
  reference: boolean;
  inLegend: boolean;
}

export interface PlotView {
  kind: number;
  title: string;
  xTitle: string;
  yTitle: string;
  xMax: number;
  xTick: number;
  valueScale: 'unit' | 'coverUnit' | 'padded';
  yMin: number;
  yMax: number;
  yLabelFormat: string;
  curves: PlotCurve[];
  marks: PlotMark[];
  zoneLabels: { name: string; from: number; to: number }[];
}

export interface AccountView {
  title: string;
  headline: string;
  failed: boolean;
  partial: boolean;
  inputOnly: boolean;
  canKeep: boolean;
  warnings: string[];
  notices: string[];
  series: string | null;
  summaryLines: string[];
  inputTexts: string[];
  rows: string[][];
}

export interface RunView {
  status: string; // "ok", "input error", "calculation error", ...
  message: string;
  refusedField: number; // index of the refused field, or -1
  account?: AccountView;
  plots?: PlotView[];
  resultFile?: Uint8Array;
  json?: string | null;
  csv?: string | null;
}

export interface ResultFileView {
  ok: boolean;
  message: string;
  account?: AccountView;
  plots?: PlotView[];
}

export interface DataFileView {
  ok: boolean;
  message: string;
  values: string[];
  polymerLinesDiffering: number[];
}

export interface SavedFileView {
  ok: boolean;
  message: string;
  bytes: Uint8Array | null;
}

export interface PolymerFileView {
  ok: boolean;
  message: string;
  name: string;
  texts: string[];
  fromDataFile: boolean;
}

export interface SweepPlanView {
  ok: boolean;
  message: string;
  size: number;
  columns: string[];
}

export interface SweepRow {
  case: number; // 1-based position in the whole grid
  cells: string[];
  csv: string; // the row's CSV line, LF at its end
}

export interface Session {
  run(texts: string[], saveFileName: string, series: string): RunView;
  openResultFile(bytes: Uint8Array, name: string): ResultFileView;
  keepAsReference(): PlotView[] | null;
  clearReference(): PlotView[];
  plots(): PlotView[];
  delete(): void;
}

export interface SweepShard {
  size(): number;
  done(): boolean;
  next(maxCases: number): SweepRow[];
  delete(): void;
}

export interface MeltsimCore {
  describe(): CoreDescription;
  readDataFile(bytes: Uint8Array, fileName: string, currentTexts: string[]): DataFileView;
  saveDataFile(texts: string[]): SavedFileView;
  readPolymerFile(bytes: Uint8Array, fileName: string): PolymerFileView;
  polymerFileBytes(name: string, texts: string[]): Uint8Array;
  checkPolymer(name: string, texts: string[]): string | null;
  isDefaultPolymer(texts: string[]): boolean;
  planSweep(varies: string[]): SweepPlanView;
  Session: new () => Session;
  SweepShard: new (
    base: string[],
    varies: string[],
    series: string,
    shardIndex: number,
    shardCount: number,
  ) => SweepShard;
}
