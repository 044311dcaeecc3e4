// Serves the built site (MELTSIM_SITE_DIR, by default ../build-web/site) on
// 127.0.0.1 with `python3 -m http.server` for the browser tests.
import { spawn, type ChildProcess } from 'node:child_process';
import { existsSync } from 'node:fs';
import { createServer } from 'node:net';
import { resolve } from 'node:path';
import type { TestProject } from 'vitest/node';

export const siteDir = resolve(process.env.MELTSIM_SITE_DIR ?? resolve(import.meta.dirname, '../../../build-web/site'));

function freePort(): Promise<number> {
  return new Promise((done, fail) => {
    const server = createServer();
    server.once('error', fail);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address() as { port: number };
      server.close(() => done(port));
    });
  });
}

async function waitForServer(url: string): Promise<void> {
  for (let attempt = 0; attempt < 100; attempt++) {
    try {
      if ((await fetch(url)).ok) return;
    } catch {
      // not listening yet
    }
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error(`the site did not come up at ${url}`);
}

let server: ChildProcess | undefined;

export default async function setup(project: TestProject): Promise<() => void> {
  if (!existsSync(resolve(siteDir, 'index.html')))
    throw new Error(`no built site in ${siteDir}: run bash scripts/build-web.sh first`);
  const port = await freePort();
  server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1', '--directory', siteDir], {
    stdio: 'ignore',
  });
  const url = `http://127.0.0.1:${port}/`;
  await waitForServer(url);
  project.provide('siteUrl', url);
  return () => server?.kill();
}

declare module 'vitest' {
  export interface ProvidedContext {
    siteUrl: string;
  }
}
