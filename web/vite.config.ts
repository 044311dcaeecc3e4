// Builds the page into a folder of static files (MELTSIM_SITE_DIR, by
// default ../build-web/site) from the sources here and the WebAssembly core
// that emscripten built (MELTSIM_CORE_DIR, by default ../build-web/web).
import { createHash } from 'node:crypto';
import { readdirSync, readFileSync } from 'node:fs';
import { resolve } from 'node:path';
import { defineConfig, type Plugin } from 'vite';

const root = import.meta.dirname;
const coreDir = resolve(process.env.MELTSIM_CORE_DIR ?? resolve(root, '../build-web/web'));
const siteDir = resolve(process.env.MELTSIM_SITE_DIR ?? resolve(root, '../build-web/site'));

// Writes sw.js with the list of every file of the built site.
function serviceWorker(): Plugin {
  return {
    name: 'meltsim-service-worker',
    apply: 'build',
    generateBundle(_options, bundle) {
      const copied = readdirSync(resolve(root, 'public'));
      const built = Object.keys(bundle);
      const files = ['./', './index.html', ...[...built, ...copied].map((name) => `./${name}`)];
      files.sort();
      const version = createHash('sha256').update(files.join('\n')).digest('hex').slice(0, 16);
      const source = readFileSync(resolve(root, 'sw.template.js'), 'utf8')
        .replace('__VERSION__', version)
        .replace('__FILES__', JSON.stringify(files, null, 2));
      this.emitFile({ type: 'asset', fileName: 'sw.js', source });
    },
  };
}

export default defineConfig({
  root,
  base: './',
  resolve: { alias: { '@core': coreDir } },
  worker: { format: 'es' },
  build: {
    outDir: siteDir,
    emptyOutDir: true,
    target: 'es2022',
    assetsInlineLimit: 0,
    chunkSizeWarningLimit: 600,
  },
  server: { fs: { allow: [root, coreDir] } },
  plugins: [serviceWorker()],
});
