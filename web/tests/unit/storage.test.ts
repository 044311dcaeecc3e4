import { describe, expect, it } from 'vitest';
import { recall, remember, STORAGE_KEY, type RememberedInputs } from '../../src/storage';

class MemoryStorage implements Storage {
  private items = new Map<string, string>();
  failWrites = false;
  get length() {
    return this.items.size;
  }
  clear() {
    this.items.clear();
  }
  getItem(key: string) {
    return this.items.get(key) ?? null;
  }
  key(i: number) {
    return [...this.items.keys()][i] ?? null;
  }
  removeItem(key: string) {
    this.items.delete(key);
  }
  setItem(key: string, value: string) {
    if (this.failWrites) throw new Error('QuotaExceededError');
    this.items.set(key, value);
  }
}

const inputs: RememberedInputs = {
  texts: Array.from({ length: 31 }, (_, i) => String(i)),
  saveFileName: 'run 7.txt',
  series: 'stable',
  polymerName: 'PP homopolymer',
};

describe('the last inputs in the browser', () => {
  it('come back as they were left', () => {
    const storage = new MemoryStorage();
    remember(storage, inputs);
    expect(recall(storage, 31)).toEqual(inputs);
  });

  it('are not taken when they do not fit this version or are damaged', () => {
    const storage = new MemoryStorage();
    remember(storage, inputs);
    expect(recall(storage, 32)).toBeUndefined();
    storage.setItem(STORAGE_KEY, '{"texts":[1,2]');
    expect(recall(storage, 31)).toBeUndefined();
    storage.setItem(STORAGE_KEY, JSON.stringify({ ...inputs, texts: inputs.texts.map(Number) }));
    expect(recall(storage, 31)).toBeUndefined();
    storage.setItem(STORAGE_KEY, JSON.stringify({ ...inputs, series: 3 }));
    expect(recall(storage, 31)).toBeUndefined();
  });

  it('are simply not kept where the storage refuses them', () => {
    const storage = new MemoryStorage();
    storage.failWrites = true;
    expect(() => remember(storage, inputs)).not.toThrow();
    expect(recall(storage, 31)).toBeUndefined();
    expect(recall(undefined, 31)).toBeUndefined();
  });
});
