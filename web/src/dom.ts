// Small helpers for building the page.

export function byId<T extends HTMLElement = HTMLElement>(id: string): T {
  const element = document.getElementById(id);
  if (!element) throw new Error(`the page has no element #${id}`);
  return element as T;
}

export function element<K extends keyof HTMLElementTagNameMap>(
  tag: K,
  properties: Partial<HTMLElementTagNameMap[K]> = {},
  children: (Node | string)[] = [],
): HTMLElementTagNameMap[K] {
  const node = Object.assign(document.createElement(tag), properties);
  node.append(...children);
  return node;
}

// Lets the user save `content` as the file `name`.
export function saveFile(name: string, content: BlobPart | Uint8Array, type: string): void {
  const url = URL.createObjectURL(new Blob([content as BlobPart], { type }));
  const link = element('a', { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10_000);
}

// A hidden file input: its button opens the picker; what is chosen (by the
// picker or put there by a test or an assistive tool) goes to `onFiles`,
// a cancelled picker to `onCancel`.
export function fileInput(
  input: HTMLInputElement,
  button: HTMLElement,
  onFiles: (files: File[]) => void,
  onCancel?: () => void,
): void {
  button.addEventListener('click', () => {
    input.value = '';
    input.click();
  });
  input.addEventListener('change', () => onFiles(Array.from(input.files ?? [])));
  if (onCancel) input.addEventListener('cancel', onCancel);
}

export async function bytesOf(file: File): Promise<Uint8Array> {
  return new Uint8Array(await file.arrayBuffer());
}

// A group of tabs: arrow keys move between them, the chosen one shows its panel.
export function tabGroup(tabs: HTMLButtonElement[], onSelect?: (index: number) => void): (index: number) => void {
  const select = (index: number, focus = false) => {
    tabs.forEach((tab, i) => {
      const chosen = i === index;
      tab.setAttribute('aria-selected', String(chosen));
      tab.tabIndex = chosen ? 0 : -1;
      byId(tab.getAttribute('aria-controls')!).hidden = !chosen;
    });
    if (focus) tabs[index].focus();
    onSelect?.(index);
  };
  tabs.forEach((tab, i) => {
    tab.addEventListener('click', () => select(i));
    tab.addEventListener('keydown', (event) => {
      const step = event.key === 'ArrowRight' ? 1 : event.key === 'ArrowLeft' ? -1 : 0;
      if (step === 0) return;
      event.preventDefault();
      select((i + step + tabs.length) % tabs.length, true);
    });
  });
  return (index) => select(index);
}
