// The page's side of a worker that holds the core: requests as promises,
// study rows as callbacks, and cancel by ending the worker (a computation
// in WebAssembly cannot be interrupted otherwise).

import type { SweepRow } from './core-types';
import type { Envelope, Hello, Reply, Request } from './protocol';

export class Cancelled extends Error {
  constructor() {
    super('cancelled');
  }
}

interface Pending {
  resolve: (value: unknown) => void;
  reject: (error: Error) => void;
  onRows?: (rows: SweepRow[]) => void;
}

export type WorkerFactory = (name: string) => Worker;

export const moduleWorker: WorkerFactory = (name) =>
  new Worker(new URL('./worker.ts', import.meta.url), { type: 'module', name });

export class CoreClient {
  private worker: Worker;
  private readonly pending = new Map<number, Pending>();
  private nextId = 1;
  // Settles when the worker has loaded the core.
  ready: Promise<void>;

  constructor(
    private readonly name: string,
    private readonly factory: WorkerFactory = moduleWorker,
  ) {
    [this.worker, this.ready] = this.start();
  }

  private start(): [Worker, Promise<void>] {
    const worker = this.factory(this.name);
    const ready = new Promise<void>((resolve, reject) => {
      worker.onmessage = (event: MessageEvent<Reply | Hello>) => {
        const message = event.data;
        if (message.id === 0) {
          if (message.kind === 'ready') resolve();
          else if (message.kind === 'failed') reject(new Error(message.error));
          return;
        }
        this.receive(message as Reply);
      };
      worker.onerror = (event) => reject(new Error(event.message || 'the worker failed'));
    });
    ready.catch(() => undefined); // reported to whoever waits on it
    return [worker, ready];
  }

  private receive(reply: Reply): void {
    const pending = this.pending.get(reply.id);
    if (!pending) return;
    if (reply.kind === 'rows') {
      pending.onRows?.(reply.rows);
      return;
    }
    this.pending.delete(reply.id);
    if (reply.kind === 'value') pending.resolve(reply.value);
    else pending.reject(new Error(reply.error));
  }

  request<T>(request: Request, onRows?: (rows: SweepRow[]) => void): Promise<T> {
    const id = this.nextId++;
    const transfer: Transferable[] = [];
    if ('bytes' in request) transfer.push(request.bytes.buffer);
    return new Promise<T>((resolve, reject) => {
      this.pending.set(id, { resolve: resolve as (v: unknown) => void, reject, onRows });
      this.worker.postMessage({ ...request, id } as Envelope, transfer);
    });
  }

  get busy(): boolean {
    return this.pending.size > 0;
  }

  // Ends whatever the worker computes and starts a fresh one; every
  // request still open fails with Cancelled.
  restart(): void {
    this.worker.terminate();
    for (const pending of this.pending.values()) pending.reject(new Cancelled());
    this.pending.clear();
    [this.worker, this.ready] = this.start();
  }

  terminate(): void {
    this.worker.terminate();
    for (const pending of this.pending.values()) pending.reject(new Cancelled());
    this.pending.clear();
  }
}
