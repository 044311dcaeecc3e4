#!/usr/bin/env bash
# Builds meltsim's page into $MELTSIM_WEB_BUILD/site (static files only) from
# the sources in web/ and the WebAssembly core that emscripten built into
# $MELTSIM_WEB_BUILD/web (scripts/build-web.sh builds both). The npm packages
# come from web/package-lock.json, installed into web/node_modules.
#   bash web/build-site.sh            build the site
#   bash web/build-site.sh --serve    build it, then serve it on 127.0.0.1
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${MELTSIM_WEB_BUILD:-$ROOT/build-web}"
case "$BUILD" in /*) ;; *) BUILD="$PWD/$BUILD" ;; esac
WEB="$ROOT/web"

node_major="$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)"
if [ "$node_major" -lt 20 ]; then
  echo "build-site: the page is built with Node.js 20 or later and npm (found: $(node --version 2>/dev/null || echo none))" >&2
  exit 1
fi
for file in meltsim-core.mjs meltsim-core.wasm; do
  if [ ! -f "$BUILD/web/$file" ]; then
    echo "build-site: $BUILD/web/$file is missing: build the core first (bash scripts/build-web.sh)" >&2
    exit 1
  fi
done

# The packages of the lock file, again only when the lock file changed.
stamp="$WEB/node_modules/.package-lock.json"
if [ ! -f "$stamp" ] || [ "$WEB/package-lock.json" -nt "$stamp" ]; then
  (cd "$WEB" && npm ci --no-audit --no-fund --loglevel=error)
fi

(cd "$WEB" && npx tsc --noEmit -p . &&
  MELTSIM_CORE_DIR="$BUILD/web" MELTSIM_SITE_DIR="$BUILD/site" npx vite build --logLevel warn)
echo "build-site: $BUILD/site ($(du -sb "$BUILD/site" | cut -f1) bytes)"

if [ "${1:-}" = "--serve" ]; then
  port="${MELTSIM_WEB_PORT:-8080}"
  echo "meltsim is at http://127.0.0.1:$port/ (Ctrl+C stops the server)"
  exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$BUILD/site"
fi
