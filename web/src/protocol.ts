// The messages between the page and a worker that holds the core. Every
// request carries an id; the worker answers it once with its value or the
// error, and a study shard first sends its rows in batches under the same id.

import type { SweepRow } from './core-types';

export type Request =
  | { op: 'describe' }
  | { op: 'run'; texts: string[]; saveFileName: string; series: string }
  | { op: 'openResultFile'; bytes: Uint8Array; name: string }
  | { op: 'keepAsReference' }
  | { op: 'clearReference' }
  | { op: 'readDataFile'; bytes: Uint8Array; fileName: string; currentTexts: string[] }
  | { op: 'saveDataFile'; texts: string[] }
  | { op: 'readPolymerFile'; bytes: Uint8Array; fileName: string }
  | { op: 'polymerFileBytes'; name: string; texts: string[] }
  | { op: 'checkPolymer'; name: string; texts: string[] }
  | { op: 'isDefaultPolymer'; texts: string[] }
  | { op: 'planSweep'; varies: string[] }
  | {
      op: 'sweepShard';
      base: string[];
      varies: string[];
      series: string;
      shardIndex: number;
      shardCount: number;
    };

export type Envelope = Request & { id: number };

export type Reply =
  | { id: number; kind: 'value'; value: unknown }
  | { id: number; kind: 'error'; error: string }
  | { id: number; kind: 'rows'; rows: SweepRow[] };

// The worker's first message: the core is loaded (or could not be).
export type Hello = { id: 0; kind: 'ready' } | { id: 0; kind: 'failed'; error: string };

// The worker's name says what it is for: the one that runs GO warms the
// core up once, so that the first run is as quick as any other.
export const RUN_WORKER_NAME = 'meltsim-run';
export const SHARD_WORKER_NAME = 'meltsim-shard';

// How long one batch of a shard should take, so that progress moves
// smoothly without a message per case.
export const SHARD_BATCH_MILLISECONDS = 100;

// The number of cases of the next batch, from the last batch's size and time.
export function nextBatchSize(lastSize: number, lastMilliseconds: number): number {
  if (lastSize <= 0 || !(lastMilliseconds > 0)) return 1;
  const perCase = lastMilliseconds / lastSize;
  const size = Math.floor(SHARD_BATCH_MILLISECONDS / perCase);
  return Math.max(1, Math.min(size, lastSize * 4, 500));
}
