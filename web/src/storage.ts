// The last inputs, remembered in the browser so that the page opens with
// them again; an address with inputs wins over them.

export interface RememberedInputs {
  texts: string[];
  saveFileName: string;
  series: string;
  polymerName: string;
}

export const STORAGE_KEY = 'meltsim.inputs.v1';

export function remember(storage: Storage | undefined, inputs: RememberedInputs): void {
  try {
    storage?.setItem(STORAGE_KEY, JSON.stringify(inputs));
  } catch {
    // A full or forbidden storage only means the inputs are not remembered.
  }
}

// The remembered inputs, or nothing when there are none or they do not fit
// the field count of this version.
export function recall(storage: Storage | undefined, fieldCount: number): RememberedInputs | undefined {
  let parsed: unknown;
  try {
    parsed = JSON.parse(storage?.getItem(STORAGE_KEY) ?? 'null');
  } catch {
    return undefined;
  }
  if (!parsed || typeof parsed !== 'object') return undefined;
  const p = parsed as Partial<RememberedInputs>;
  const isText = (v: unknown) => typeof v === 'string';
  if (!Array.isArray(p.texts) || p.texts.length !== fieldCount || !p.texts.every(isText)) return undefined;
  if (!isText(p.saveFileName) || !isText(p.series) || !isText(p.polymerName)) return undefined;
  return p as RememberedInputs;
}
