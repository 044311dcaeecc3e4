// The Study page: a grid of one or two inputs, one worker per core, each
// running a shard of the grid (cases k+1, k+1+N, ...), the rows merged in
// grid order as they come, with progress, cancel, a table, a plot and the
// CSV as `meltsim-cli sweep` writes it.

import uPlot from 'uplot';
import { Cancelled, CoreClient } from './core-client';
import type { CoreDescription, SweepPlanView, SweepRow } from './core-types';
import { byId, element, saveFile } from './dom';
import { GridOrderMerger, shardCount } from './grid-order';
import { SHARD_WORKER_NAME } from './protocol';
import { NONE, studyCsv, studySeries, varyTexts } from './study-data';

const SHOWN_ROWS = 2000; // the table shows this many rows; the CSV has them all

export interface StudyBase {
  texts: string[];
  series: string;
}

export class StudyView {
  private pool: CoreClient[] = [];
  private rows: SweepRow[] = [];
  private columns: string[] = [];
  private axes = 0;
  private running = false;
  private plot?: uPlot;
  private readonly symbol1 = byId<HTMLSelectElement>('vary1-symbol');
  private readonly symbol2 = byId<HTMLSelectElement>('vary2-symbol');
  private readonly yChoice = byId<HTMLSelectElement>('study-y');

  constructor(
    core: CoreDescription,
    private readonly planner: CoreClient,
    private readonly base: () => StudyBase,
    private readonly cores: number,
  ) {
    for (const [select, chosen] of [
      [this.symbol1, 'RPM'],
      [this.symbol2, NONE],
    ] as const) {
      if (select === this.symbol2) select.append(element('option', { value: NONE, textContent: '(none)' }));
      for (const f of core.fields) select.append(element('option', { value: f.symbol, textContent: `${f.symbol} - ${f.name}` }));
      select.value = chosen;
    }
    byId('study-form').addEventListener('submit', (event) => {
      event.preventDefault();
      void this.start();
    });
    byId('cancel-study').addEventListener('click', () => this.cancel());
    byId('download-study').addEventListener('click', () =>
      saveFile('study.csv', studyCsv(this.columns, this.rows), 'text/csv'),
    );
    this.yChoice.addEventListener('change', () => this.drawPlot());
  }

  private say(message: string): void {
    byId('study-message').textContent = message;
  }

  private progress(done: number, total: number, seconds?: number): void {
    const bar = byId<HTMLProgressElement>('study-progress');
    bar.max = Math.max(total, 1);
    bar.value = done;
    const workers = this.pool.length;
    byId('study-status').textContent =
      `${done} of ${total} cases` +
      (seconds !== undefined ? ` in ${seconds.toFixed(1)} s` : '') +
      ` on ${workers} worker${workers === 1 ? '' : 's'}`;
  }

  private workers(count: number): CoreClient[] {
    while (this.pool.length < count) this.pool.push(new CoreClient(SHARD_WORKER_NAME));
    return this.pool.slice(0, count);
  }

  async start(): Promise<void> {
    if (this.running) return;
    this.say('');
    const varies = varyTexts([this.symbol1.value, byId<HTMLInputElement>('vary1-values').value], [
      this.symbol2.value,
      byId<HTMLInputElement>('vary2-values').value,
    ]);
    if (varies.length === 0) {
      this.say('Choose an input and its values: START:STOP:STEP or v1,v2,...');
      return;
    }
    const plan = await this.planner.request<SweepPlanView>({ op: 'planSweep', varies });
    if (!plan.ok) {
      this.say(plan.message);
      return;
    }
    const { texts, series } = this.base();
    this.begin(plan, varies.length);
    const shards = shardCount(this.cores, plan.size);
    const clients = this.workers(shards);
    const started = performance.now();
    const merger = new GridOrderMerger<SweepRow>((rows) => this.append(rows));
    // When each shard delivered its first and last rows: the shards ran side by side.
    const shardTimes = clients.map(() => ({ cases: 0, first: -1, last: -1 }));
    let arrived = 0;
    try {
      await Promise.all(
        clients.map((client, k) =>
          client.request(
            { op: 'sweepShard', base: texts, varies, series, shardIndex: k, shardCount: shards },
            (rows) => {
              const at = performance.now() - started;
              const times = shardTimes[k];
              if (times.first < 0) times.first = at;
              times.last = at;
              times.cases += rows.length;
              arrived += rows.length;
              merger.add(rows);
              this.progress(arrived, plan.size);
            },
          ),
        ),
      );
      const seconds = (performance.now() - started) / 1000;
      this.progress(arrived, plan.size, seconds);
      document.body.dataset.study = JSON.stringify({ seconds, shards: shardTimes });
      this.drawPlot();
    } catch (error) {
      if (error instanceof Cancelled) this.say(`Cancelled after ${arrived} of ${plan.size} cases.`);
      else this.say(String(error instanceof Error ? error.message : error));
    } finally {
      this.finish();
    }
  }

  cancel(): void {
    if (!this.running) return;
    for (const client of this.pool) client.terminate();
    this.pool = [];
  }

  private begin(plan: SweepPlanView, axes: number): void {
    this.running = true;
    this.rows = [];
    this.columns = plan.columns;
    this.axes = axes;
    byId<HTMLButtonElement>('run-study').disabled = true;
    byId<HTMLButtonElement>('cancel-study').disabled = false;
    byId<HTMLButtonElement>('download-study').disabled = true;
    const table = byId<HTMLTableElement>('study-table');
    table.replaceChildren(
      element('thead', {}, [element('tr', {}, plan.columns.map((c) => element('th', { scope: 'col', textContent: c })))]),
      element('tbody'),
    );
    const numeric = plan.columns.filter((c, i) => i > axes && !['status', 'message', 'end', 'notices', 'series', 'warnings'].includes(c));
    this.yChoice.replaceChildren(...numeric.map((c) => element('option', { value: c, textContent: c })));
    this.yChoice.value = numeric.includes('FLIGHT') ? 'FLIGHT' : numeric[0];
    this.plot?.destroy();
    this.plot = undefined;
    this.progress(0, plan.size);
  }

  private append(rows: SweepRow[]): void {
    const body = byId<HTMLTableElement>('study-table').tBodies[0];
    for (const row of rows) {
      this.rows.push(row);
      if (this.rows.length <= SHOWN_ROWS)
        body.append(element('tr', {}, row.cells.map((cell) => element('td', { textContent: cell }))));
    }
  }

  private finish(): void {
    this.running = false;
    byId<HTMLButtonElement>('run-study').disabled = false;
    byId<HTMLButtonElement>('cancel-study').disabled = true;
    byId<HTMLButtonElement>('download-study').disabled = this.rows.length === 0;
    if (this.rows.length > SHOWN_ROWS)
      this.say(`The table shows the first ${SHOWN_ROWS} of ${this.rows.length} rows; Study CSV has them all.`);
  }

  private drawPlot(): void {
    this.plot?.destroy();
    this.plot = undefined;
    if (this.rows.length === 0 || this.axes === 0) return;
    const y = this.yChoice.value;
    const groups = studySeries(this.columns, this.rows, y, this.axes);
    const tables = [...groups.values()].map((g) => [g.x, g.y] as uPlot.AlignedData);
    const names = [...groups.keys()];
    const palette = ['#1f77b4', '#ff7f0e', '#2ca02c', '#d62728', '#9467bd', '#8c564b', '#e377c2', '#7f7f7f', '#bcbd22', '#17becf'];
    const target = byId('study-plot');
    this.plot = new uPlot(
      {
        width: Math.max(320, Math.min(target.clientWidth || 900, 1100)),
        height: 260,
        scales: { x: { time: false } },
        series: [
          { label: this.columns[1] },
          ...names.map((name, i) => ({
            label: this.axes > 1 ? `${this.columns[2]} = ${name}` : y,
            stroke: palette[i % palette.length],
            width: 2,
            spanGaps: false,
          })),
        ],
        axes: [{ label: this.columns[1] }, { label: y, size: 70 }],
      },
      uPlot.join(tables),
      target,
    );
  }
}
