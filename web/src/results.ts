// The Results page: how the run ended, its warnings, the four plots, the
// step table with units, the summary and the inputs, and the downloads.

import type { AccountView, CoreDescription, PlotView } from './core-types';
import { byId, element, saveFile } from './dom';
import { plotsSvg } from './plot-svg';
import { PlotGrid } from './plots';
import { baseName, siblingName } from './file-names';

export interface Downloads {
  resultFile?: Uint8Array; // the result file's bytes, as the desktop writes them
  json?: string | null;
  csv?: string | null;
}




export class ResultsView {
  private readonly grid = new PlotGrid(byId('plots-page'));
  private plots: PlotView[] = [];
  private account?: AccountView;
  private downloads: Downloads = {};
  private fromFile = false;

  constructor(private readonly core: CoreDescription) {
    byId('download-result').addEventListener('click', () => this.download('result'));
    byId('download-json').addEventListener('click', () => this.download('json'));
    byId('download-csv').addEventListener('click', () => this.download('csv'));
    byId('save-svg').addEventListener('click', () => this.saveSvg());
    byId('save-png').addEventListener('click', () => void this.savePng());
  }

  get current(): AccountView | undefined {
    return this.account;
  }

  get shownFromFile(): boolean {
    return this.fromFile;
  }

  // `status` is the run's status word ("ok", "warning", "calculation error"),
  // none for a file read back.
  show(account: AccountView, plots: PlotView[], downloads: Downloads, fromFile: boolean, polymer: string, status?: string): void {
    this.account = account;
    this.downloads = downloads;
    this.fromFile = fromFile;
    byId('source-label').textContent = (fromFile ? 'Result file: ' : 'Run: ') + account.title +
      (polymer ? `  (polymer: ${polymer}${account.series ? `, series: ${account.series}` : ''})` : '');
    const headline = byId('headline');
    headline.textContent = account.headline;
    headline.classList.toggle('failed', account.failed || account.partial);
    const badge = byId('run-status');
    badge.textContent = status ?? '';
    badge.dataset.status = status ?? '';
    badge.title = status ? `The run's status: ${status}` : '';
    badge.hidden = !status;
    const banner = byId('warnings');
    banner.textContent = account.warnings.map((w) => `\u26a0 ${w}`).join('\n');
    banner.hidden = account.warnings.length === 0;
    this.showTable(account);
    this.showSummary(account);
    this.showPlots(plots);
    this.updateButtons();
  }

  showPlots(plots: PlotView[]): void {
    this.plots = plots;
    this.grid.show(plots);
    this.updateButtons();
  }

  setReferenceLabel(text: string): void {
    byId('reference-label').textContent = text;
  }

  private showTable(account: AccountView): void {
    const table = byId<HTMLTableElement>('step-table');
    const head = element('tr', {}, this.core.columns.map((c) => element('th', { scope: 'col', title: c.meaning, textContent: c.headWithUnit })));
    const body = element('tbody');
    for (const row of account.rows) body.append(element('tr', {}, row.map((cell) => element('td', { textContent: cell }))));
    table.replaceChildren(element('thead', {}, [head]), body);
  }

  private showSummary(account: AccountView): void {
    const lines: string[] = [];
    if (account.summaryLines.length > 0) lines.push(...account.summaryLines, '');
    if (account.notices.length > 0) lines.push('Notices:', ...account.notices.map((n) => `  ${n}`), '');
    lines.push('Inputs:');
    const width = Math.max(...this.core.fields.map((f) => f.name.length + 8));
    this.core.fields.forEach((f, k) => {
      const name = f.editable ? f.name : `${f.name} (fixed)`;
      lines.push(`  ${name.padEnd(width)} ${account.inputTexts[k] ?? ''}`);
    });
    byId('summary').textContent = lines.join('\n');
  }

  private updateButtons(): void {
    const set = (id: string, enabled: boolean) => ((byId<HTMLButtonElement>(id).disabled = !enabled));
    set('download-result', !!this.downloads.resultFile);
    set('download-json', !!this.downloads.json);
    set('download-csv', !!this.downloads.csv);
    const hasCurves = this.plots.some((p) => p.curves.some((c) => c.x.length > 0));
    set('save-png', hasCurves);
    set('save-svg', hasCurves);
    set('keep-reference', !!this.account?.canKeep);
    set('copy-inputs', !!this.account && this.fromFile);
  }

  private download(kind: 'result' | 'json' | 'csv'): void {
    const title = this.account?.title ?? this.core.defaultSaveFileName;
    if (kind === 'result' && this.downloads.resultFile)
      saveFile(baseName(title) || 'result.txt', this.downloads.resultFile, 'application/octet-stream');
    if (kind === 'json' && this.downloads.json) saveFile(siblingName(title, '.json'), this.downloads.json, 'application/json');
    if (kind === 'csv' && this.downloads.csv) saveFile(siblingName(title, '.csv'), this.downloads.csv, 'text/csv');
  }

  private plotsName(suffix: string): string {
    return siblingName(this.account?.title ?? 'result', `-plots${suffix}`);
  }

  private saveSvg(): void {
    saveFile(this.plotsName('.svg'), plotsSvg(this.plots), 'image/svg+xml');
  }

  // The SVG picture drawn on a canvas: the PNG shows exactly what the SVG does.
  private async savePng(): Promise<void> {
    const svg = plotsSvg(this.plots);
    const url = URL.createObjectURL(new Blob([svg], { type: 'image/svg+xml' }));
    try {
      const image = new Image();
      image.src = url;
      await image.decode();
      const canvas = element('canvas', { width: image.naturalWidth, height: image.naturalHeight });
      canvas.getContext('2d')!.drawImage(image, 0, 0);
      const png = await new Promise<Blob | null>((resolve) => canvas.toBlob(resolve, 'image/png'));
      if (png) saveFile(this.plotsName('.png'), png, 'image/png');
    } finally {
      URL.revokeObjectURL(url);
    }
  }
}


