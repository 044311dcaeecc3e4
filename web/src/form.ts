// The Inputs page: the 31 fields with the window's labels and tooltips, the
// polymer line, the series box and the save file name. The fixed fields 15
// to 27 (the polymer) are shown disabled and change through the polymer
// dialog, as in the window.

import type { CoreDescription, FieldInfo } from './core-types';
import { byId, element } from './dom';

const INPUT_GROUP_FIELDS = 28; // fields 1 to 28 stand in "Input Data"

export const SERIES_TOOLTIP =
  'How the solid bed series is summed:\n' +
  'written - the term loop as the model writes it, with all its outcomes;\n' +
  'rescue (default) - as written, but a step whose series fails is computed again\n' +
  '  with the converged sums, and so is the rest of the run; a run that the\n' +
  '  written series completes is unchanged;\n' +
  'stable - the converged sums wherever the term loop does not converge, from the first step.';

export class InputsForm {
  readonly edits: HTMLInputElement[] = [];
  readonly saveFileName = byId<HTMLInputElement>('Edit29');
  readonly series = byId<HTMLSelectElement>('series');
  private marked = -1;
  polymerName: string;

  constructor(private readonly core: CoreDescription) {
    this.polymerName = core.defaultPolymerName;
    core.fields.forEach((field, i) => {
      const parent = byId(i < INPUT_GROUP_FIELDS ? 'input-columns' : 'additional-fields');
      parent.append(this.fieldPanel(field, i));
    });
    for (const mode of core.seriesModes) this.series.append(element('option', { value: mode, textContent: mode }));
    this.series.value = core.defaultSeries;
    this.series.title = SERIES_TOOLTIP;
    this.saveFileName.value = core.defaultSaveFileName;
    this.showPolymerName(true);
  }

  private fieldPanel(field: FieldInfo, i: number): HTMLElement {
    const id = field.editName;
    const input = element('input', {
      id,
      value: field.defaultText,
      disabled: !field.editable,
      title: field.tooltip,
      spellcheck: false,
      inputMode: 'decimal',
    });
    input.dataset.symbol = field.symbol;
    input.addEventListener('input', () => {
      if (this.marked === i) this.clearMark();
    });
    this.edits.push(input);
    // The label is the window's caption; its blanks are kept but do not count
    // in the accessible name.
    const label = element('label', { htmlFor: id, textContent: field.label.trimEnd(), title: field.tooltip });
    return element('div', { className: 'field', id: `Panel${id.slice(4)}`, title: field.tooltip }, [label, input]);
  }

  texts(): string[] {
    return this.edits.map((e) => e.value);
  }

  setTexts(texts: string[], onlyEditable: boolean): void {
    texts.forEach((text, i) => {
      if (!onlyEditable || this.core.fields[i].editable) this.edits[i].value = text;
    });
  }

  polymerTexts(): string[] {
    const first = this.core.polymerFirstField;
    return this.texts().slice(first, first + this.core.polymerFieldCount);
  }

  setPolymer(name: string, texts: string[], isDefault: boolean): void {
    texts.forEach((text, k) => (this.edits[this.core.polymerFirstField + k].value = text));
    this.polymerName = name;
    if (this.marked >= this.core.polymerFirstField && this.marked < this.core.polymerFirstField + texts.length)
      this.clearMark();
    this.showPolymerName(isDefault);
  }

  showPolymerName(isDefault: boolean): void {
    byId('polymer-label').textContent =
      `Polymer (fields 15 to 27): ${this.polymerName}` + (isDefault ? '' : '  - own values');
  }

  // Focuses and marks the refused field; a polymer field is greyed, so a
  // notice says how to change it.
  mark(field: number, notice: (text: string) => void): void {
    this.clearMark();
    this.marked = field;
    const edit = this.edits[field];
    edit.classList.add('marked');
    edit.setAttribute('aria-invalid', 'true');
    if (!edit.disabled) {
      edit.focus();
      edit.select();
    } else {
      notice(`The polymer value ${this.core.fields[field].symbol} is refused: change it with Polymer...`);
    }
    edit.scrollIntoView({ block: 'nearest' });
  }

  clearMark(): void {
    if (this.marked < 0) return;
    const edit = this.edits[this.marked];
    edit.classList.remove('marked');
    edit.removeAttribute('aria-invalid');
    this.marked = -1;
  }

  get markedField(): number {
    return this.marked;
  }
}
