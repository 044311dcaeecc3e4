import { describe, expect, it } from 'vitest';
import { GridOrderMerger, shardCount } from '../../src/grid-order';
import { nextBatchSize, SHARD_BATCH_MILLISECONDS } from '../../src/protocol';

type Row = { case: number };
const rows = (...cases: number[]): Row[] => cases.map((c) => ({ case: c }));

describe('rows of the shards in grid order', () => {
  it('merges two interleaved shards that arrive in uneven batches', () => {
    // Shard 0 runs cases 1, 3, 5, 7; shard 1 runs 2, 4, 6 (the sweep's K/N rule).
    const out: number[] = [];
    const merger = new GridOrderMerger<Row>((r) => out.push(...r.map((x) => x.case)));
    merger.add(rows(1, 3, 5));
    expect(out).toEqual([1]);
    expect(merger.waiting).toBe(2);
    merger.add(rows(2));
    expect(out).toEqual([1, 2, 3]);
    merger.add(rows(7));
    merger.add(rows(4, 6));
    expect(out).toEqual([1, 2, 3, 4, 5, 6, 7]);
    expect(merger.merged).toBe(7);
    expect(merger.waiting).toBe(0);
  });

  it('holds everything back while the first row is missing', () => {
    const out: number[] = [];
    const merger = new GridOrderMerger<Row>((r) => out.push(...r.map((x) => x.case)));
    merger.add(rows(2, 3, 4));
    expect(out).toEqual([]);
    merger.add(rows(1));
    expect(out).toEqual([1, 2, 3, 4]);
  });

  it('uses a shard per core, never more shards than cases', () => {
    expect(shardCount(4, 1000)).toBe(4);
    expect(shardCount(8, 3)).toBe(3);
    expect(shardCount(0, 10)).toBe(1);
    expect(shardCount(Number.NaN, 10)).toBe(1);
    expect(shardCount(2, 0)).toBe(1);
  });
});

describe('batch sizes of a shard', () => {
  it('aims at the batch time from the last batch', () => {
    // 4 cases in 20 ms: 5 ms a case, so 100 ms take 20 cases (at most 4 times the last batch: 16).
    expect(SHARD_BATCH_MILLISECONDS).toBe(100);
    expect(nextBatchSize(4, 20)).toBe(16);
    expect(nextBatchSize(40, 200)).toBe(20);
  });

  it('never asks for less than one case or more than 500', () => {
    expect(nextBatchSize(1, 5000)).toBe(1);
    expect(nextBatchSize(0, 10)).toBe(1);
    expect(nextBatchSize(400, 0.001)).toBe(500);
  });
});
