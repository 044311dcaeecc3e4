// A worker that holds the WebAssembly core: the run worker keeps the run
// shown and the reference; a shard worker runs its part of a study. The
// page cancels a computation by ending the worker.

import createMeltsimCore from '@core/meltsim-core.mjs';
import wasmUrl from '@core/meltsim-core.wasm?url';
import type { MeltsimCore, Session } from './core-types';
import {
  RUN_WORKER_NAME,
  nextBatchSize,
  type Envelope,
  type Hello,
  type Reply,
} from './protocol';

declare const self: DedicatedWorkerGlobalScope;

let core: MeltsimCore;
let session: Session;

function post(message: Reply | Hello): void {
  // Bytes are handed over, not copied.
  const transfer: Transferable[] = [];
  if (message.kind === 'value') {
    const value = message.value as { resultFile?: Uint8Array; bytes?: Uint8Array } | Uint8Array;
    if (value instanceof Uint8Array) transfer.push(value.buffer);
    else if (value && typeof value === 'object') {
      if (value.resultFile) transfer.push(value.resultFile.buffer);
      if (value.bytes) transfer.push(value.bytes.buffer);
    }
  }
  self.postMessage(message, transfer);
}

function runShard(request: Extract<Envelope, { op: 'sweepShard' }>): unknown {
  const shard = new core.SweepShard(
    request.base,
    request.varies,
    request.series,
    request.shardIndex,
    request.shardCount,
  );
  try {
    let batch = 1;
    let cases = 0;
    while (!shard.done()) {
      const start = performance.now();
      const rows = shard.next(batch);
      cases += rows.length;
      post({ id: request.id, kind: 'rows', rows });
      batch = nextBatchSize(rows.length, performance.now() - start);
    }
    return { cases };
  } finally {
    shard.delete();
  }
}

function handle(request: Envelope): unknown {
  switch (request.op) {
    case 'describe':
      return core.describe();
    case 'run':
      return session.run(request.texts, request.saveFileName, request.series);
    case 'openResultFile':
      return session.openResultFile(request.bytes, request.name);
    case 'keepAsReference':
      return session.keepAsReference();
    case 'clearReference':
      return session.clearReference();
    case 'readDataFile':
      return core.readDataFile(request.bytes, request.fileName, request.currentTexts);
    case 'saveDataFile':
      return core.saveDataFile(request.texts);
    case 'readPolymerFile':
      return core.readPolymerFile(request.bytes, request.fileName);
    case 'polymerFileBytes':
      return core.polymerFileBytes(request.name, request.texts);
    case 'checkPolymer':
      return core.checkPolymer(request.name, request.texts);
    case 'isDefaultPolymer':
      return core.isDefaultPolymer(request.texts);
    case 'planSweep':
      return core.planSweep(request.varies);
    case 'sweepShard':
      return runShard(request);
  }
}

// One run of the defaults, thrown away: the engine compiles the hot code
// fully while nobody waits for it.
function warmUp(): void {
  const warm = new core.Session();
  try {
    const fields = core.describe().fields;
    warm.run(
      fields.map((f) => f.defaultText),
      'warm-up',
      core.describe().defaultSeries,
    );
  } finally {
    warm.delete();
  }
}

async function start(): Promise<boolean> {
  try {
    core = (await createMeltsimCore({ locateFile: () => wasmUrl })) as MeltsimCore;
    session = new core.Session();
    if (self.name === RUN_WORKER_NAME) warmUp();
    post({ id: 0, kind: 'ready' });
    return true;
  } catch (error) {
    post({ id: 0, kind: 'failed', error: String(error) });
    return false;
  }
}

const started = start();

// Requests that come before the core is loaded wait for it, in order.
self.onmessage = async (event: MessageEvent<Envelope>) => {
  const request = event.data;
  if (!(await started)) {
    post({ id: request.id, kind: 'error', error: 'The calculator could not be loaded.' });
    return;
  }
  try {
    post({ id: request.id, kind: 'value', value: handle(request) });
  } catch (error) {
    post({ id: request.id, kind: 'error', error: error instanceof Error ? error.message : String(error) });
  }
};
