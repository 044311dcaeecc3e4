// Names of the files the page offers for download.

// The name without its folders: the save file name may hold a path.
export function baseName(fileName: string): string {
  return fileName.replace(/^.*[\\/]/, '');
}

// A file name for a copy of the result file: result.txt -> result.json.
export function siblingName(fileName: string, suffix: string): string {
  const base = baseName(fileName) || 'result';
  const dot = base.lastIndexOf('.');
  return (dot > 0 ? base.slice(0, dot) : base) + suffix;
}
