import { describe, expect, it } from 'vitest';
import { Cancelled, CoreClient } from '../../src/core-client';
import type { Envelope } from '../../src/protocol';

// A worker that records what it is sent and answers when told to.
class FakeWorker {
  static made: FakeWorker[] = [];
  onmessage: ((event: MessageEvent) => void) | null = null;
  onerror: ((event: ErrorEvent) => void) | null = null;
  sent: { message: Envelope; transfer: Transferable[] }[] = [];
  terminated = false;
  constructor(readonly name: string) {
    FakeWorker.made.push(this);
  }
  postMessage(message: Envelope, transfer: Transferable[]) {
    this.sent.push({ message, transfer });
  }
  terminate() {
    this.terminated = true;
  }
  reply(data: unknown) {
    this.onmessage?.({ data } as MessageEvent);
  }
}

function client(): [CoreClient, () => FakeWorker] {
  FakeWorker.made = [];
  const c = new CoreClient('test', (name) => new FakeWorker(name) as unknown as Worker);
  return [c, () => FakeWorker.made.at(-1)!];
}

describe('the page side of a worker', () => {
  it('is ready when the worker says so, and answers each request by its id', async () => {
    const [c, worker] = client();
    worker().reply({ id: 0, kind: 'ready' });
    await c.ready;
    const first = c.request<string>({ op: 'describe' });
    const second = c.request<number>({ op: 'isDefaultPolymer', texts: [] });
    const [a, b] = worker().sent.map((s) => s.message.id);
    worker().reply({ id: b, kind: 'value', value: 2 });
    worker().reply({ id: a, kind: 'value', value: 'one' });
    await expect(first).resolves.toBe('one');
    await expect(second).resolves.toBe(2);
    expect(c.busy).toBe(false);
  });

  it('passes a failure in the core on as an error with its text', async () => {
    const [c, worker] = client();
    const answer = c.request({ op: 'saveDataFile', texts: [] });
    worker().reply({ id: worker().sent[0].message.id, kind: 'error', error: 'expected 31 field texts, got 0' });
    await expect(answer).rejects.toThrow('expected 31 field texts, got 0');
  });

  it('reports the rows of a shard as they come, then its end', async () => {
    const [c, worker] = client();
    const seen: number[] = [];
    const done = c.request({ op: 'planSweep', varies: [] }, (rows) => seen.push(...rows.map((r) => r.case)));
    const id = worker().sent[0].message.id;
    worker().reply({ id, kind: 'rows', rows: [{ case: 1, cells: [], csv: '' }] });
    worker().reply({ id, kind: 'rows', rows: [{ case: 3, cells: [], csv: '' }] });
    worker().reply({ id, kind: 'value', value: { cases: 2 } });
    await expect(done).resolves.toEqual({ cases: 2 });
    expect(seen).toEqual([1, 3]);
  });

  it('hands file bytes over instead of copying them', () => {
    const [c, worker] = client();
    const bytes = new Uint8Array([1, 2, 3]);
    void c.request({ op: 'readPolymerFile', bytes, fileName: 'p.txt' });
    expect(worker().sent[0].transfer).toEqual([bytes.buffer]);
  });

  it('cancels by ending the worker: open requests fail as cancelled and a new worker starts', async () => {
    const [c, worker] = client();
    const old = worker();
    const run = c.request({ op: 'run', texts: [], saveFileName: 'r.txt', series: 'rescue' });
    c.restart();
    await expect(run).rejects.toBeInstanceOf(Cancelled);
    expect(old.terminated).toBe(true);
    expect(FakeWorker.made.length).toBe(2);
    expect(worker().name).toBe('test');
    worker().reply({ id: 0, kind: 'ready' });
    await c.ready;
  });

  it('says why the core could not be loaded', async () => {
    const [c, worker] = client();
    worker().reply({ id: 0, kind: 'failed', error: 'no WebAssembly' });
    await expect(c.ready).rejects.toThrow('no WebAssembly');
  });
});
