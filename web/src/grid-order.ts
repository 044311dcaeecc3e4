// Rows of a study come from several shards, each in its own order; the page
// shows and saves them in grid order. The merger holds rows that arrive
// early until every row before them is there.

export class GridOrderMerger<T extends { case: number }> {
  private readonly early = new Map<number, T>();
  private next = 1; // the case number of the next row to hand on

  constructor(private readonly onRows: (rows: T[]) => void) {}

  add(rows: T[]): void {
    for (const row of rows) this.early.set(row.case, row);
    const ready: T[] = [];
    for (let row = this.early.get(this.next); row; row = this.early.get(this.next)) {
      ready.push(row);
      this.early.delete(this.next);
      this.next++;
    }
    if (ready.length > 0) this.onRows(ready);
  }

  // Rows handed on so far.
  get merged(): number {
    return this.next - 1;
  }

  // Rows that arrived before a row that is still missing.
  get waiting(): number {
    return this.early.size;
  }
}

// The shards a study is split into: one per worker, none empty.
export function shardCount(cores: number, cases: number): number {
  const workers = Number.isFinite(cores) && cores >= 1 ? Math.floor(cores) : 1;
  return Math.max(1, Math.min(workers, cases));
}
