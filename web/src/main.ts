// meltsim in the browser: the page's wiring. The core runs in workers; the
// page shows what it returns.

import { addressOf, parseAddress, type PageInputs } from './address';
import { Cancelled, CoreClient } from './core-client';
import type { CoreDescription, DataFileView, ResultFileView, RunView, SavedFileView } from './core-types';
import { byId, bytesOf, fileInput, saveFile, tabGroup } from './dom';
import { InputsForm } from './form';
import { PolymerDialog } from './polymer';
import { RUN_WORKER_NAME, type Request } from './protocol';
import { ResultsView } from './results';
import { recall, remember } from './storage';
import { StudyView } from './study';

enum Tab {
  Inputs = 0,
  Results = 1,
  Study = 2,
}

// The polymer lines "15 (A0), 16 (A1)" for the note after Read Data File.
export function lineList(lines: number[], core: CoreDescription): string {
  return lines.map((line) => `${line} (${core.fields[line - 1].symbol})`).join(', ');
}

class Page {
  private readonly form: InputsForm;
  private readonly results: ResultsView;
  private readonly polymer: PolymerDialog;
  private readonly selectTab: (tab: Tab) => void;
  private readonly defaults: PageInputs;
  // What the run worker holds, to be restored when it is started afresh.
  private currentSource?: Request;
  private referenceSource?: Request;
  private running = false;

  constructor(
    private readonly core: CoreDescription,
    private readonly client: CoreClient,
  ) {
    this.form = new InputsForm(core);
    this.results = new ResultsView(core);
    this.polymer = new PolymerDialog(core, client);
    new StudyView(core, client, () => ({ texts: this.form.texts(), series: this.form.series.value }), navigator.hardwareConcurrency || 1);
    const tabs = ['tab-inputs', 'tab-results', 'tab-study'].map((id) => byId<HTMLButtonElement>(id));
    this.selectTab = tabGroup(tabs);
    tabGroup(['tab-plots', 'tab-table'].map((id) => byId<HTMLButtonElement>(id)));
    this.defaults = {
      texts: core.fields.map((f) => f.defaultText),
      saveFileName: core.defaultSaveFileName,
      series: core.defaultSeries,
    };
    this.wire();
  }

  private wire(): void {
    byId('inputs-form').addEventListener('submit', (event) => {
      event.preventDefault();
      void this.go();
    });
    byId('cancel-run').addEventListener('click', () => this.client.restart());
    fileInput(
      byId<HTMLInputElement>('data-file-input'),
      byId('read-data'),
      (files) => void this.readDataFile(files),
      () => this.say(this.core.selectOneDataFileMessage),
    );
    byId('save-data').addEventListener('click', () => void this.saveDataFile());
    byId('polymer-button').addEventListener('click', () => void this.editPolymer());
    fileInput(byId<HTMLInputElement>('result-file-input'), byId('open-result'), (files) => void this.openResultFile(files));
    byId('keep-reference').addEventListener('click', () => void this.keepReference());
    byId('clear-reference').addEventListener('click', () => void this.clearReference());
    byId('copy-inputs').addEventListener('click', () => {
      const account = this.results.current;
      if (account) this.form.setTexts(account.inputTexts, true);
      this.selectTab(Tab.Inputs);
    });
    this.wireDrop();
  }

  private wireDrop(): void {
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      document.body.classList.add('dragging');
    });
    document.addEventListener('dragleave', (event) => {
      if (event.relatedTarget === null) document.body.classList.remove('dragging');
    });
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      document.body.classList.remove('dragging');
      const files = Array.from(event.dataTransfer?.files ?? []);
      if (!byId('results-panel').hidden) void this.openResultFile(files);
      else void this.readDataFile(files);
    });
  }

  say(text: string): void {
    byId('message').textContent = text;
  }

  private notice(text: string): void {
    const notice = byId('notice');
    notice.textContent = text;
    notice.hidden = text === '';
  }

  private inputs(): PageInputs {
    return { texts: this.form.texts(), saveFileName: this.form.saveFileName.value, series: this.form.series.value };
  }

  async start(): Promise<void> {
    const address = parseAddress(location.search, this.core.fields);
    const fromAddress = address.texts.size > 0 || address.series !== undefined || address.saveFileName !== undefined;
    const remembered = fromAddress ? undefined : recall(localStorage, this.core.fields.length);
    if (remembered) {
      this.form.setTexts(remembered.texts, false);
      this.form.saveFileName.value = remembered.saveFileName;
      if (this.core.seriesModes.includes(remembered.series)) this.form.series.value = remembered.series;
      this.form.polymerName = remembered.polymerName;
    }
    for (const [field, text] of address.texts) this.form.edits[field].value = text;
    if (address.saveFileName !== undefined) this.form.saveFileName.value = address.saveFileName;
    if (address.series !== undefined) {
      if (this.core.seriesModes.includes(address.series)) this.form.series.value = address.series;
      else address.unknown.push(`series=${address.series}`);
    }
    await this.showPolymerName();
    if (address.unknown.length > 0) this.say(`The address names no input: ${address.unknown.join(', ')}`);
    byId<HTMLButtonElement>('go').disabled = false;
    if (address.run) await this.go();
  }

  private async showPolymerName(): Promise<void> {
    const isDefault = await this.client.request<boolean>({ op: 'isDefaultPolymer', texts: this.form.polymerTexts() });
    this.form.showPolymerName(isDefault);
  }

  private setRunning(running: boolean): void {
    this.running = running;
    byId<HTMLButtonElement>('go').disabled = running;
    byId<HTMLButtonElement>('cancel-run').disabled = !running;
    document.body.classList.toggle('busy', running);
    if (running) byId('result-path').textContent = 'Computing…';
  }

  async go(): Promise<void> {
    if (this.running) return;
    const started = performance.now();
    this.say('');
    this.notice('');
    this.form.clearMark();
    const inputs = this.inputs();
    const request: Request = { op: 'run', ...inputs };
    this.setRunning(true);
    try {
      const run = await this.client.request<RunView>(request);
      this.showRun(run, inputs);
      if (run.status !== 'input error') this.currentSource = request;
    } catch (error) {
      if (!(error instanceof Cancelled)) throw error;
      this.say('The run was cancelled.');
      byId('result-path').textContent = '';
      await this.restoreWorker();
    } finally {
      this.setRunning(false);
    }
    // The time from GO to the result on the screen, for the speed test.
    requestAnimationFrame(() => (document.body.dataset.runMilliseconds = String(performance.now() - started)));
  }

  private showRun(run: RunView, inputs: PageInputs): void {
    remember(localStorage, { ...inputs, polymerName: this.form.polymerName });
    if (run.status === 'input error') {
      this.say(run.message);
      byId('result-path').textContent = '';
      if (run.refusedField >= 0) this.form.mark(run.refusedField, (text) => this.notice(text));
      return;
    }
    history.replaceState(null, '', addressOf(inputs, this.defaults, this.core.fields, true) || location.pathname);
    const account = run.account!;
    if (run.status !== 'ok') this.say(run.message);
    this.results.show(account, run.plots!, run, false, this.form.polymerName, run.status);
    byId('result-path').textContent = (run.status === 'ok' ? 'Result file: ' : 'Failed run: ') + inputs.saveFileName;
    if (run.status === 'ok' || account.rows.length > 0) this.selectTab(Tab.Results);
  }

  // A fresh run worker knows nothing: give it the run shown and the reference again.
  private async restoreWorker(): Promise<void> {
    try {
      await this.client.ready;
      if (this.referenceSource) {
        await this.client.request(this.copy(this.referenceSource));
        await this.client.request({ op: 'keepAsReference' });
      }
      if (this.currentSource) await this.client.request(this.copy(this.currentSource));
    } catch (error) {
      this.say(`The calculator could not be started again: ${error instanceof Error ? error.message : error}`);
    }
  }

  // A request whose bytes are sent keeps its own copy (sending hands them over).
  private copy(request: Request): Request {
    return 'bytes' in request ? { ...request, bytes: request.bytes.slice() } : request;
  }

  private async readDataFile(files: File[]): Promise<void> {
    if (files.length !== 1) {
      this.say(this.core.selectOneDataFileMessage);
      return;
    }
    const [file] = files;
    let bytes: Uint8Array;
    try {
      bytes = await bytesOf(file);
    } catch {
      this.say(this.core.dataFileCannotOpenMessage);
      return;
    }
    const read = await this.client.request<DataFileView>({
      op: 'readDataFile',
      bytes,
      fileName: file.name,
      currentTexts: this.form.texts(),
    });
    if (!read.ok) {
      this.say(read.message);
      return;
    }
    this.say('');
    this.form.clearMark();
    this.form.setTexts(read.values, true);
    this.selectTab(Tab.Inputs);
    const lines = read.polymerLinesDiffering;
    this.notice(
      lines.length === 0
        ? ''
        : `Read Data File left the polymer lines ${lineList(lines, this.core)} of ${file.name} alone. ` +
            `To take them: Polymer... > Load File... and choose ${file.name}.`,
    );
  }

  private async saveDataFile(): Promise<void> {
    const data = await this.client.request<SavedFileView>({ op: 'saveDataFile', texts: this.form.texts() });
    if (!data.ok || !data.bytes) {
      this.say(data.message);
      return;
    }
    saveFile('data.txt', data.bytes, 'application/octet-stream');
  }

  private async editPolymer(): Promise<void> {
    const choice = await this.polymer.open(this.form.polymerName, this.form.polymerTexts());
    if (!choice) return;
    this.form.setPolymer(choice.name, choice.texts, choice.isDefault);
    this.notice('');
  }

  private async openResultFile(files: File[]): Promise<void> {
    if (files.length !== 1) return;
    const [file] = files;
    const bytes = await bytesOf(file);
    const request: Request = { op: 'openResultFile', bytes: bytes.slice(), name: file.name };
    const read = await this.client.request<ResultFileView>(request);
    if (!read.ok) {
      this.say(read.message);
      return;
    }
    this.say('');
    this.currentSource = { op: 'openResultFile', bytes, name: file.name };
    this.results.show(read.account!, read.plots!, {}, true, 'as in the file');
    this.selectTab(Tab.Results);
  }

  private async keepReference(): Promise<void> {
    const plots = await this.client.request<RunView['plots'] | null>({ op: 'keepAsReference' });
    if (!plots) return;
    this.referenceSource = this.currentSource;
    this.results.showPlots(plots);
    this.results.setReferenceLabel(`Reference (dashed): ${this.results.current?.title ?? ''}`);
    byId<HTMLButtonElement>('clear-reference').disabled = false;
  }

  private async clearReference(): Promise<void> {
    const plots = await this.client.request<NonNullable<RunView['plots']>>({ op: 'clearReference' });
    this.referenceSource = undefined;
    this.results.showPlots(plots);
    this.results.setReferenceLabel('');
    byId<HTMLButtonElement>('clear-reference').disabled = true;
  }
}

async function main(): Promise<void> {
  const client = new CoreClient(RUN_WORKER_NAME);
  try {
    await client.ready;
  } catch (error) {
    byId('loading').textContent = `The calculator could not be loaded: ${error instanceof Error ? error.message : error}`;
    return;
  }
  const core = await client.request<CoreDescription>({ op: 'describe' });
  byId('loading').hidden = true;
  byId('version').textContent = `meltsim ${core.version}`;
  const page = new Page(core, client);
  await page.start();
  document.body.dataset.ready = 'true';
}

if ('serviceWorker' in navigator && import.meta.env.PROD) {
  // Works offline once loaded: the service worker keeps the site's files.
  void navigator.serviceWorker.register('./sw.js').catch(() => undefined);
}

void main();
