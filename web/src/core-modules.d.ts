// The core built by emscripten (build-web/web/meltsim-core.mjs), found
// through the @core alias of vite.config.ts.
declare module '@core/meltsim-core.mjs' {
  const createMeltsimCore: (options?: {
    locateFile?: (path: string) => string;
    wasmBinary?: ArrayBuffer | Uint8Array;
  }) => Promise<unknown>;
  export default createMeltsimCore;
}
