// The inputs in the page's address: a link such as ?RPM=50&OUTPUT=400&run=1
// sets those fields (the others keep their defaults) and, with run=1,
// computes at once. Only what differs from the defaults is written.

import type { FieldInfo } from './core-types';

export interface AddressInputs {
  texts: Map<number, string>; // field index -> text
  series?: string;
  saveFileName?: string;
  run: boolean;
  unknown: string[]; // parameters that name nothing
}

export const SERIES_PARAM = 'series';
export const FILE_PARAM = 'file';
export const RUN_PARAM = 'run';

export function parseAddress(search: string, fields: FieldInfo[]): AddressInputs {
  const params = new URLSearchParams(search);
  const result: AddressInputs = { texts: new Map(), run: false, unknown: [] };
  const index = new Map(fields.map((f, i) => [f.symbol.toUpperCase(), i]));
  for (const [key, value] of params) {
    const name = key.toLowerCase();
    if (name === RUN_PARAM) result.run = value !== '0' && value.toLowerCase() !== 'false';
    else if (name === SERIES_PARAM) result.series = value;
    else if (name === FILE_PARAM) result.saveFileName = value;
    else if (index.has(key.toUpperCase())) result.texts.set(index.get(key.toUpperCase())!, value);
    else result.unknown.push(key);
  }
  return result;
}

export interface PageInputs {
  texts: string[];
  saveFileName: string;
  series: string;
}

export function addressOf(
  inputs: PageInputs,
  defaults: PageInputs,
  fields: FieldInfo[],
  run: boolean,
): string {
  const params = new URLSearchParams();
  inputs.texts.forEach((text, i) => {
    if (text !== defaults.texts[i]) params.set(fields[i].symbol, text);
  });
  if (inputs.series !== defaults.series) params.set(SERIES_PARAM, inputs.series);
  if (inputs.saveFileName !== defaults.saveFileName) params.set(FILE_PARAM, inputs.saveFileName);
  if (run) params.set(RUN_PARAM, '1');
  const query = params.toString();
  return query ? `?${query}` : '';
}
