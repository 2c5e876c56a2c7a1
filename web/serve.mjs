// A static file server for build/web, for scripts/web and the browser tests:
// the page's files as they are, with the types a browser wants for
// WebAssembly, workers and the manifest. Listens on localhost only.
//   node web/serve.mjs FOLDER [PORT]   (the first free port from PORT, 8000 if not given)
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const Types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.wyk': 'application/octet-stream',
};

// Resolves to {server, port, url} once listening on the first free port from FirstPort (0: any).
export function serveFolder(folder, firstPort = 0, lastPort = firstPort === 0 ? 0 : firstPort + 100) {
  const root = path.resolve(folder);
  const server = createServer(async (request, response) => {
    try {
      const url = new URL(request.url, 'http://localhost');
      let file = path.normalize(path.join(root, decodeURIComponent(url.pathname)));
      if (file !== root && !file.startsWith(root + path.sep)) throw new Error('outside');
      if (url.pathname.endsWith('/')) file = path.join(file, 'index.html');
      const body = await readFile(file);
      response.writeHead(200, {
        'Content-Type': Types[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-cache',
      });
      response.end(body);
    } catch (e) {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found\n');
    }
  });
  return new Promise((resolve, reject) => {
    let port = firstPort;
    server.on('error', (e) => {
      if (e.code === 'EADDRINUSE' && port < lastPort) server.listen(++port, '127.0.0.1');
      else reject(e);
    });
    server.on('listening', () => {
      const actual = server.address().port;
      resolve({ server, port: actual, url: `http://localhost:${actual}/` });
    });
    server.listen(port, '127.0.0.1');
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [folder, port] = process.argv.slice(2);
  if (!folder) {
    console.error('usage: node web/serve.mjs FOLDER [PORT]');
    process.exit(2);
  }
  const { url } = await serveFolder(folder, Number(port || 8000));
  console.log(`Emberdell burns at ${url} (Ctrl+C stops the server)`);
}
