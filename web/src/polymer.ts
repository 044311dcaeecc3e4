// The polymer dialog: the 13 values of fields 15 to 27 with a name; load
// them from a polymer file or a data file, save them as a polymer file, go
// back to the defaults. OK refuses values a run would refuse, with the
// run's message.

import type { CoreClient } from './core-client';
import type { CoreDescription, PolymerFileView } from './core-types';
import { byId, bytesOf, element, fileInput, saveFile } from './dom';

export interface PolymerChoice {
  name: string;
  texts: string[];
  isDefault: boolean;
}

export class PolymerDialog {
  private readonly dialog = byId<HTMLDialogElement>('polymer-dialog');
  private readonly name = byId<HTMLInputElement>('polymer-name');
  private readonly edits: HTMLInputElement[] = [];
  private resolve?: (choice: PolymerChoice | undefined) => void;

  constructor(
    core: CoreDescription,
    private readonly client: CoreClient,
  ) {
    const fields = core.fields.slice(core.polymerFirstField, core.polymerFirstField + core.polymerFieldCount);
    for (const field of fields) {
      const id = `polymer-${field.symbol}`;
      const input = element('input', { id, title: field.tooltip, spellcheck: false, inputMode: 'decimal' });
      this.edits.push(input);
      const label = element('label', { htmlFor: id, textContent: field.label.trimEnd(), title: field.tooltip });
      byId('polymer-fields').append(element('div', { className: 'field' }, [label, input]));
    }
    byId('polymer-form').addEventListener('submit', (event) => {
      event.preventDefault();
      void this.accept();
    });
    byId('polymer-cancel').addEventListener('click', () => this.close(undefined));
    this.dialog.addEventListener('cancel', (event) => {
      event.preventDefault();
      this.close(undefined);
    });
    byId('polymer-defaults').addEventListener('click', () =>
      this.fill(core.defaultPolymerName, fields.map((f) => f.defaultText)),
    );
    fileInput(byId<HTMLInputElement>('polymer-file-input'), byId('polymer-load'), ([file]) => void this.load(file));
    byId('polymer-save').addEventListener('click', () => void this.save());
  }

  private say(text: string): void {
    byId('polymer-message').textContent = text;
  }

  private fill(name: string, texts: string[]): void {
    this.name.value = name;
    texts.forEach((t, k) => (this.edits[k].value = t));
    this.say('');
  }

  private texts(): string[] {
    return this.edits.map((e) => e.value);
  }

  // Shows the dialog with the current polymer; resolves with the new one on
  // OK, with nothing on Cancel.
  open(name: string, texts: string[]): Promise<PolymerChoice | undefined> {
    this.fill(name, texts);
    this.dialog.showModal();
    this.edits[0].focus();
    return new Promise((resolve) => (this.resolve = resolve));
  }

  private close(choice: PolymerChoice | undefined): void {
    this.dialog.close();
    this.resolve?.(choice);
    this.resolve = undefined;
  }

  private async accept(): Promise<void> {
    const texts = this.texts();
    const name = this.name.value.trim() || 'own polymer';
    const message = await this.client.request<string | null>({ op: 'checkPolymer', name, texts });
    if (message) {
      this.say(message);
      return;
    }
    const isDefault = await this.client.request<boolean>({ op: 'isDefaultPolymer', texts });
    this.close({ name, texts, isDefault });
  }

  private async load(file: File | undefined): Promise<void> {
    if (!file) return;
    const read = await this.client.request<PolymerFileView>({
      op: 'readPolymerFile',
      bytes: await bytesOf(file),
      fileName: file.name,
    });
    if (!read.ok) {
      this.say(read.message);
      return;
    }
    this.fill(read.name, read.texts);
  }

  private async save(): Promise<void> {
    const name = this.name.value.trim() || 'own polymer';
    const bytes = await this.client.request<Uint8Array>({ op: 'polymerFileBytes', name, texts: this.texts() });
    const fileName = `${name.replace(/[^A-Za-z0-9._-]+/g, '_') || 'polymer'}.txt`;
    saveFile(fileName, bytes, 'application/octet-stream');
  }
}
