// Tests of the built site in Debian's Chromium, driven by playwright-core:
// the site is served on 127.0.0.1 by python3's http.server, as any static
// server would serve it. One file at a time: the machine has few cores.
import { defineConfig } from 'vitest/config';

export default defineConfig({
  test: {
    include: ['tests/browser/**/*.test.ts'],
    environment: 'node',
    globalSetup: ['tests/browser/serve-site.ts'],
    fileParallelism: false,
    testTimeout: 90_000,
    hookTimeout: 60_000,
  },
});
